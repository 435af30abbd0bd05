#include "ViewerHarness.h"

#include "ReportLog.h"
#include "ViewerSettings.h"

namespace
{
    const wchar_t kViewerInstallKey[] = L"Software\\Microsoft\\Shared Tools\\Graphedit";

    LONG SetDword(HKEY hKey, const wchar_t* pszName, DWORD dwValue)
    {
        return RegSetValueExW(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    }

    LONG SetWide(HKEY hKey, const wchar_t* pszName, DWORD dwType, const std::wstring& strData)
    {
        return RegSetValueExW(hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(strData.data()),
                              static_cast<DWORD>(strData.size() * sizeof(wchar_t)));
    }

    testing::AssertionResult WriteSwitches(const SViewerSwitches& switches, const std::wstring& strReportFile)
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kViewerSettingsKey);
        HKEY hKey = nullptr;
        LONG lResult = RegCreateKeyExW(HKEY_CURRENT_USER, kViewerSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                       nullptr, &hKey, nullptr);
        if (lResult != ERROR_SUCCESS)
            return testing::AssertionFailure() << "cannot create the switches key: " << lResult;
        const std::pair<const wchar_t*, const std::optional<DWORD>*> kDwords[] = {
            {L"NoSizingFrame", &switches.NoSizingFrame},
            {L"ShowDelayMs", &switches.ShowDelayMs},
            {L"ConnectDialogDelayMs", &switches.ConnectDialogDelayMs},
            {L"IdleDelayMs", &switches.IdleDelayMs},
            {L"NestedListBox", &switches.NestedListBox},
            {L"ChildlessPopup", &switches.ChildlessPopup},
            {L"ListHangMs", &switches.ListHangMs},
            {L"IgnoreQuit", &switches.IgnoreQuit},
        };
        for (const auto& value : kDwords)
            if (value.second->has_value() && lResult == ERROR_SUCCESS)
                lResult = SetDword(hKey, value.first, **value.second);
        if (!switches.ExtraEntries.empty() && lResult == ERROR_SUCCESS)
        {
            std::wstring strMulti;
            for (const std::wstring& strEntry : switches.ExtraEntries)
                strMulti += strEntry + L'\0';
            lResult = SetWide(hKey, L"ExtraEntries", REG_MULTI_SZ, strMulti + L'\0');
        }
        if (lResult == ERROR_SUCCESS)
            lResult = SetWide(hKey, L"ReportFile", REG_SZ, strReportFile + L'\0');
        RegCloseKey(hKey);
        if (lResult != ERROR_SUCCESS)
            return testing::AssertionFailure() << "cannot write a switch: " << lResult;
        return testing::AssertionSuccess();
    }

    std::wstring RegisteredViewerPath()
    {
        wchar_t szPath[MAX_PATH] = {};
        DWORD cbPath = sizeof(szPath) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kViewerInstallKey, L"Path", RRF_RT_REG_SZ, nullptr, szPath, &cbPath) !=
            ERROR_SUCCESS)
            return std::wstring();
        return szPath;
    }

    std::wstring NewReportFilePath()
    {
        static unsigned s_nRun = 0;
        wchar_t szDir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, szDir);
        wchar_t szName[64] = {};
        swprintf(szName, 64, L"viewerstandin-%lx-%u.txt", static_cast<unsigned long>(GetCurrentProcessId()), ++s_nRun);
        return std::wstring(szDir) + szName;
    }

    struct SWindowSearch
    {
        DWORD dwProcessId;
        DWORD dwStyleMask;
        HWND hWndOwner;
        HWND hWndFound;
    };

    DWORD ProcessOf(HWND hWnd)
    {
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hWnd, &dwProcessId);
        return dwProcessId;
    }
}

bool PumpUntil(DWORD dwTimeoutMs, const std::function<bool()>& fnDone)
{
    ULONGLONG ullDeadline = GetTickCount64() + dwTimeoutMs;
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (fnDone())
            return true;
        ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullDeadline)
            return fnDone();
        // Wakes for any message of this thread, otherwise looks again after a short while.
        DWORD dwWait = static_cast<DWORD>(ullDeadline - ullNow);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwWait < 20 ? dwWait : 20, QS_ALLINPUT);
    }
}

bool PumpWaitForHandle(HANDLE hObject, DWORD dwTimeoutMs)
{
    return PumpUntil(dwTimeoutMs, [hObject] { return WaitForSingleObject(hObject, 0) == WAIT_OBJECT_0; });
}

CViewerProcess::~CViewerProcess()
{
    if (m_pi.hProcess)
    {
        if (!HasExited() && !QuitAndWaitForExit())
            TerminateProcess(m_pi.hProcess, 1);   // only our own child, and only after a failed test
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kViewerSettingsKey);
    if (!m_strReportFile.empty())
        DeleteFileW(m_strReportFile.c_str());
}

testing::AssertionResult CViewerProcess::Start(const SViewerSwitches& switches)
{
    std::wstring strViewer = RegisteredViewerPath();
    if (strViewer.empty())
        return testing::AssertionFailure() << "the viewer's Path value is not registered";
    m_strReportFile = NewReportFilePath();
    DeleteFileW(m_strReportFile.c_str());
    testing::AssertionResult written = WriteSwitches(switches, m_strReportFile);
    if (!written)
        return written;

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    m_ullStartTick = GetTickCount64();
    if (!CreateProcessW(strViewer.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &si, &m_pi))
        return testing::AssertionFailure() << "CreateProcessW(" << Narrow(strViewer) << ") failed: " << GetLastError();

    wchar_t szStarted[32] = {};
    swprintf(szStarted, 32, L"started pid=%x", static_cast<unsigned>(m_pi.dwProcessId));
    bool bStarted = WaitForReportLine(szStarted, kAppearMs);
    // The viewer has read its switches once it reports; later viewers must not see them.
    RegDeleteTreeW(HKEY_CURRENT_USER, kViewerSettingsKey);
    if (!bStarted)
        return testing::AssertionFailure() << "no \"" << Narrow(szStarted) << "\" in " << Narrow(m_strReportFile);
    return testing::AssertionSuccess();
}

HWND CViewerProcess::FindTopLevelWindow(DWORD dwStyleMask) const
{
    SWindowSearch search = {m_pi.dwProcessId, dwStyleMask, nullptr, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* pSearch = reinterpret_cast<SWindowSearch*>(lParam);
            if (ProcessOf(hWnd) != pSearch->dwProcessId)
                return TRUE;
            DWORD dwStyle = static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE));
            if ((dwStyle & pSearch->dwStyleMask) != pSearch->dwStyleMask)
                return TRUE;
            pSearch->hWndFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hWndFound;
}

SConnectDialog CViewerProcess::FindConnectDialog(HWND hWndMain) const
{
    struct SDialogSearch
    {
        DWORD dwProcessId;
        HWND hWndOwner;
        SConnectDialog dialog;
    } search = {m_pi.dwProcessId, hWndMain, {}};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* pSearch = reinterpret_cast<SDialogSearch*>(lParam);
            if (ProcessOf(hWnd) != pSearch->dwProcessId || GetParent(hWnd) != pSearch->hWndOwner)
                return TRUE;
            HWND hWndList = nullptr;
            EnumChildWindows(
                hWnd,
                [](HWND hWndChild, LPARAM lParamList) -> BOOL {
                    if (WindowClassName(hWndChild) != L"ListBox")
                        return TRUE;
                    *reinterpret_cast<HWND*>(lParamList) = hWndChild;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&hWndList));
            if (!hWndList)
                return TRUE;   // an owned window of another kind, such as a palette
            pSearch->dialog.hWndDialog = hWnd;
            pSearch->dialog.hWndListBox = hWndList;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.dialog;
}

std::vector<std::wstring> CViewerProcess::ReportLines() const
{
    std::vector<std::wstring> rgLines;
    HANDLE hFile = CreateFileW(m_strReportFile.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return rgLines;
    std::string strBytes;
    char buffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &cbRead, nullptr) && cbRead > 0)
        strBytes.append(buffer, cbRead);
    CloseHandle(hFile);

    int cch = MultiByteToWideChar(CP_UTF8, 0, strBytes.data(), static_cast<int>(strBytes.size()), nullptr, 0);
    std::wstring strText(static_cast<size_t>(cch), L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_UTF8, 0, strBytes.data(), static_cast<int>(strBytes.size()), &strText[0], cch);
    // Only complete lines count: the viewer may be half way through writing the last one.
    size_t iStart = 0;
    for (size_t iEnd; (iEnd = strText.find(L"\r\n", iStart)) != std::wstring::npos; iStart = iEnd + 2)
        rgLines.push_back(strText.substr(iStart, iEnd - iStart));
    return rgLines;
}

bool CViewerProcess::WaitForReportLine(const std::wstring& strPrefix, DWORD dwTimeoutMs, std::wstring* pstrLine) const
{
    return PumpUntil(dwTimeoutMs, [&] {
        for (const std::wstring& strLine : ReportLines())
        {
            if (strLine.compare(0, strPrefix.size(), strPrefix) == 0)
            {
                if (pstrLine)
                    *pstrLine = strLine;
                return true;
            }
        }
        return false;
    });
}

bool CViewerProcess::QuitAndWaitForExit()
{
    PostThreadMessageW(m_pi.dwThreadId, WM_QUIT, 0, 0);
    return PumpWaitForHandle(m_pi.hProcess, kExitMs);
}

bool CViewerProcess::HasExited() const
{
    return WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0;
}

std::vector<std::wstring> ListBoxEntries(HWND hWndListBox)
{
    std::vector<std::wstring> rgEntries;
    LRESULT cEntries = SendMessageW(hWndListBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < cEntries; ++i)
    {
        LRESULT cch = SendMessageW(hWndListBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (cch == LB_ERR)
        {
            rgEntries.push_back(L"<LB_ERR>");
            continue;
        }
        std::wstring strEntry(static_cast<size_t>(cch) + 1, L'\0');
        LRESULT cchCopied = SendMessageW(hWndListBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&strEntry[0]));
        strEntry.resize(cchCopied > 0 ? static_cast<size_t>(cchCopied) : 0);
        rgEntries.push_back(strEntry);
    }
    return rgEntries;
}

std::wstring WindowClassName(HWND hWnd)
{
    wchar_t szClass[256] = {};
    int cch = GetClassNameW(hWnd, szClass, 256);
    return std::wstring(szClass, cch > 0 ? static_cast<size_t>(cch) : 0);
}

std::string Narrow(const std::wstring& str)
{
    return ToUtf8(str);
}
