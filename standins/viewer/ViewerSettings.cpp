#include "ViewerSettings.h"

#include <cwchar>

const wchar_t kViewerSettingsKey[] = L"Software\\StandIns\\GraphViewer";
const wchar_t kDefaultReportFile[] = L"C:\\viewer-report.txt";

namespace
{
    bool ReadDword(HKEY hKey, const wchar_t* pszName, DWORD* pdwValue)
    {
        DWORD dwType = 0;
        DWORD dwValue = 0;
        DWORD cbValue = sizeof(dwValue);
        LONG lResult = RegQueryValueExW(hKey, pszName, nullptr, &dwType,
                                        reinterpret_cast<BYTE*>(&dwValue), &cbValue);
        if (lResult != ERROR_SUCCESS || dwType != REG_DWORD || cbValue != sizeof(dwValue))
            return false;
        *pdwValue = dwValue;
        return true;
    }

    // Raw string data of a value of the given type, in characters (odd trailing byte dropped).
    bool ReadWideData(HKEY hKey, const wchar_t* pszName, DWORD dwWantedType,
                      std::vector<wchar_t>* prgch)
    {
        DWORD dwType = 0;
        DWORD cbData = 0;
        if (RegQueryValueExW(hKey, pszName, nullptr, &dwType, nullptr, &cbData) != ERROR_SUCCESS ||
            dwType != dwWantedType)
            return false;
        std::vector<wchar_t> rgch(cbData / sizeof(wchar_t) + 1, L'\0');
        DWORD cbBuffer = static_cast<DWORD>(rgch.size() * sizeof(wchar_t));
        if (RegQueryValueExW(hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(rgch.data()),
                             &cbBuffer) != ERROR_SUCCESS ||
            dwType != dwWantedType)
            return false;
        rgch.resize(cbBuffer / sizeof(wchar_t));
        *prgch = rgch;
        return true;
    }
}

std::vector<std::wstring> SplitMultiSz(const wchar_t* pch, size_t cch)
{
    std::vector<std::wstring> rgstr;
    size_t iStart = 0;
    while (pch && iStart < cch)
    {
        size_t iEnd = iStart;
        while (iEnd < cch && pch[iEnd] != L'\0')
            ++iEnd;
        if (iEnd == iStart)
            break;
        rgstr.emplace_back(pch + iStart, iEnd - iStart);
        iStart = iEnd + 1;
    }
    return rgstr;
}

CViewerSettings::CViewerSettings()
    : m_bNoSizingFrame(false),
      m_bHasShowDelay(false),
      m_dwShowDelayMs(0),
      m_bHasConnectDialogDelay(false),
      m_dwConnectDialogDelayMs(0),
      m_dwIdleDelayMs(0),
      m_bNestedListBox(false),
      m_bChildlessPopup(false),
      m_dwListHangMs(0),
      m_bIgnoreQuit(false),
      m_dwSlowConnectMs(0),
      m_dwHoldAfterQuitMs(0),
      m_dwEndWithoutRelease(0),
      m_dwReadRounds(1),
      m_strReportFile(kDefaultReportFile)
{
}

void CViewerSettings::Load(HKEY hRoot, const wchar_t* pszSubKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszSubKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;

    DWORD dwValue = 0;
    if (ReadDword(hKey, L"NoSizingFrame", &dwValue))
        m_bNoSizingFrame = dwValue != 0;
    m_bHasShowDelay = ReadDword(hKey, L"ShowDelayMs", &m_dwShowDelayMs);
    m_bHasConnectDialogDelay = ReadDword(hKey, L"ConnectDialogDelayMs", &m_dwConnectDialogDelayMs);
    ReadDword(hKey, L"IdleDelayMs", &m_dwIdleDelayMs);
    if (ReadDword(hKey, L"NestedListBox", &dwValue))
        m_bNestedListBox = dwValue != 0;
    if (ReadDword(hKey, L"ChildlessPopup", &dwValue))
        m_bChildlessPopup = dwValue != 0;
    ReadDword(hKey, L"ListHangMs", &m_dwListHangMs);
    if (ReadDword(hKey, L"IgnoreQuit", &dwValue))
        m_bIgnoreQuit = dwValue != 0;
    ReadDword(hKey, L"SlowConnectMs", &m_dwSlowConnectMs);
    ReadDword(hKey, L"HoldAfterQuitMs", &m_dwHoldAfterQuitMs);
    ReadDword(hKey, L"EndWithoutRelease", &m_dwEndWithoutRelease);
    ReadDword(hKey, L"ReadRounds", &m_dwReadRounds);

    std::vector<wchar_t> rgch;
    if (ReadWideData(hKey, L"ExtraEntries", REG_MULTI_SZ, &rgch))
        m_rgstrExtraEntries = SplitMultiSz(rgch.data(), rgch.size());
    if (ReadWideData(hKey, L"ReportFile", REG_SZ, &rgch))
    {
        std::wstring strPath(rgch.data(), wcsnlen(rgch.data(), rgch.size()));
        if (!strPath.empty())
            m_strReportFile = strPath;
    }
    RegCloseKey(hKey);
}
