#include "ViewerWatch.h"

#include "Figures.h"
#include "ReportLines.h"

namespace {

// The stand-in's settings key and its main window's class, as the stand-in defines them.
const wchar_t c_szSettingsKey[] = L"Software\\StandIns\\GraphViewer";
const wchar_t c_szFrameClass[] = L"StandInGraphViewerFrame";
// Where the tool finds the viewer.
const wchar_t c_szViewerKey[] = L"Software\\Microsoft\\Shared Tools\\Graphedit";

bool StartsWith(const std::string& str, const char* pszPrefix)
{
    return str.compare(0, std::char_traits<char>::length(pszPrefix), pszPrefix) == 0;
}

void Stamp(double* pdWhen, bool bSeen)
{
    if (bSeen && *pdWhen == 0.0)
        *pdWhen = NowMs();
}

} // namespace

CViewerWatch::CViewerWatch()
{
    wchar_t szFolder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szFolder);
    m_strReport = std::wstring(szFolder) + L"meridel-bench-viewer.txt";

    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, c_szSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                          nullptr) == ERROR_SUCCESS)
    {
        ::RegSetValueExW(hKey, L"ReportFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_strReport.c_str()),
                         static_cast<DWORD>((m_strReport.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(hKey);
    }

    wchar_t szExe[MAX_PATH] = {};
    DWORD cbExe = sizeof(szExe) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, c_szViewerKey, L"Path", RRF_RT_REG_SZ, nullptr, szExe, &cbExe) ==
        ERROR_SUCCESS)
        m_strViewerExe = szExe;
}

CViewerWatch::~CViewerWatch()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, c_szSettingsKey, 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS)
    {
        ::RegDeleteValueW(hKey, L"ReportFile");
        ::RegCloseKey(hKey);
    }
    ::DeleteFileW(m_strReport.c_str());
}

void CViewerWatch::Clear() const
{
    ::DeleteFileW(m_strReport.c_str());
}

void CViewerWatch::Poll(SViewerEvents* pEvents) const
{
    Stamp(&pEvents->m_dWindowVisible, FindViewerWindow(0) != nullptr);
    for (const std::string& strLine : ReadReportLines(m_strReport))
    {
        Stamp(&pEvents->m_dStarted, StartsWith(strLine, "started pid="));
        Stamp(&pEvents->m_dConnectCommand, strLine == "connect-command");
        Stamp(&pEvents->m_dConnectDialog, strLine == "connect-dialog");
        Stamp(&pEvents->m_dOk, strLine == "ok");
        Stamp(&pEvents->m_dConnected, StartsWith(strLine, "connected graph="));
        if (StartsWith(strLine, "bind-failed") || StartsWith(strLine, "rot-failed") ||
            StartsWith(strLine, "connect-dialog-failed") || strLine == "no-selection")
            pEvents->m_bFailed = true;
    }
}

HWND CViewerWatch::FindViewerWindow(DWORD dwProcessId)
{
    for (HWND hWnd = ::FindWindowExW(nullptr, nullptr, c_szFrameClass, nullptr); hWnd;
         hWnd = ::FindWindowExW(nullptr, hWnd, c_szFrameClass, nullptr))
    {
        DWORD dwOwner = 0;
        ::GetWindowThreadProcessId(hWnd, &dwOwner);
        if ((dwProcessId == 0 || dwOwner == dwProcessId) && ::IsWindowVisible(hWnd))
            return hWnd;
    }
    return nullptr;
}
