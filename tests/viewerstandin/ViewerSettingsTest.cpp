// Reading of the behaviour switches, against a scratch key of this process's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ViewerSettings.h"

namespace
{
    class CScratchKey
    {
    public:
        CScratchKey()
        {
            wchar_t szPath[96] = {};
            swprintf(szPath, 96, L"Software\\StandIns\\GraphViewerSettingsTest%lu",
                     static_cast<unsigned long>(GetCurrentProcessId()));
            m_strPath = szPath;
            RegDeleteTreeW(HKEY_CURRENT_USER, m_strPath.c_str());
            m_lCreate = RegCreateKeyExW(HKEY_CURRENT_USER, m_strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                        nullptr, &m_hKey, nullptr);
        }
        ~CScratchKey()
        {
            if (m_hKey)
                RegCloseKey(m_hKey);
            RegDeleteTreeW(HKEY_CURRENT_USER, m_strPath.c_str());
        }
        void SetDword(const wchar_t* pszName, DWORD dwValue)
        {
            ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(m_hKey, pszName, 0, REG_DWORD,
                                                    reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue)));
        }
        // cb counts bytes exactly as given, so data without terminators can be written.
        void SetRaw(const wchar_t* pszName, DWORD dwType, const std::wstring& strData, DWORD cbTrim = 0)
        {
            DWORD cb = static_cast<DWORD>(strData.size() * sizeof(wchar_t)) - cbTrim;
            ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(m_hKey, pszName, 0, dwType,
                                                    reinterpret_cast<const BYTE*>(strData.data()), cb));
        }
        CViewerSettings Load() const
        {
            CViewerSettings settings;
            settings.Load(HKEY_CURRENT_USER, m_strPath.c_str());
            return settings;
        }
        LONG m_lCreate = 0;

    private:
        std::wstring m_strPath;
        HKEY m_hKey = nullptr;
    };
}

TEST(ViewerSettings, DefaultsWithoutKeyOrValues)
{
    CViewerSettings missing;
    missing.Load(HKEY_CURRENT_USER, L"Software\\StandIns\\NoSuchKeyForTheViewerSettingsTest");
    CScratchKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.m_lCreate);
    for (const CViewerSettings& s : {missing, key.Load()})
    {
        EXPECT_FALSE(s.m_bNoSizingFrame);
        EXPECT_FALSE(s.m_bHasShowDelay);
        EXPECT_FALSE(s.m_bHasConnectDialogDelay);
        EXPECT_EQ(0u, s.m_dwIdleDelayMs);
        EXPECT_FALSE(s.m_bNestedListBox);
        EXPECT_FALSE(s.m_bChildlessPopup);
        EXPECT_EQ(0u, s.m_dwListHangMs);
        EXPECT_FALSE(s.m_bIgnoreQuit);
        EXPECT_EQ(0u, s.m_dwSlowConnectMs);
        EXPECT_EQ(0u, s.m_dwHoldAfterQuitMs);
        EXPECT_EQ(0u, s.m_dwEndWithoutRelease);
        EXPECT_EQ(1u, s.m_dwReadRounds);
        EXPECT_TRUE(s.m_rgstrExtraEntries.empty());
        EXPECT_EQ(L"C:\\viewer-report.txt", s.m_strReportFile);
    }
}

TEST(ViewerSettings, ReadsEveryValue)
{
    CScratchKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.m_lCreate);
    key.SetDword(L"NoSizingFrame", 1);
    key.SetDword(L"ShowDelayMs", 0xFFFFFFFF);
    key.SetDword(L"ConnectDialogDelayMs", 250);
    key.SetDword(L"IdleDelayMs", 1500);
    key.SetDword(L"NestedListBox", 1);
    key.SetDword(L"ChildlessPopup", 2);
    key.SetDword(L"ListHangMs", 60000);
    key.SetDword(L"IgnoreQuit", 1);
    key.SetDword(L"SlowConnectMs", 40);
    key.SetDword(L"HoldAfterQuitMs", 1500);
    key.SetDword(L"EndWithoutRelease", kEndHoldingObjects);
    key.SetDword(L"ReadRounds", 300);
    key.SetRaw(L"ExtraEntries", REG_MULTI_SZ, std::wstring(L"decoy one\0pid 1 IFilterGraph = 2\0\0", 35));
    key.SetRaw(L"ReportFile", REG_SZ, std::wstring(L"D:\\report.txt", 14));

    CViewerSettings s = key.Load();
    EXPECT_TRUE(s.m_bNoSizingFrame);
    EXPECT_TRUE(s.m_bHasShowDelay);
    EXPECT_EQ(kNeverShow, s.m_dwShowDelayMs);
    EXPECT_TRUE(s.m_bHasConnectDialogDelay);
    EXPECT_EQ(250u, s.m_dwConnectDialogDelayMs);
    EXPECT_EQ(1500u, s.m_dwIdleDelayMs);
    EXPECT_TRUE(s.m_bNestedListBox);
    EXPECT_TRUE(s.m_bChildlessPopup);
    EXPECT_EQ(60000u, s.m_dwListHangMs);
    EXPECT_TRUE(s.m_bIgnoreQuit);
    EXPECT_EQ(40u, s.m_dwSlowConnectMs);
    EXPECT_EQ(1500u, s.m_dwHoldAfterQuitMs);
    EXPECT_EQ(kEndHoldingObjects, s.m_dwEndWithoutRelease);
    EXPECT_EQ(300u, s.m_dwReadRounds);
    EXPECT_EQ((std::vector<std::wstring>{L"decoy one", L"pid 1 IFilterGraph = 2"}), s.m_rgstrExtraEntries);
    EXPECT_EQ(L"D:\\report.txt", s.m_strReportFile);
}

TEST(ViewerSettings, IgnoresValuesOfTheWrongTypeAndToleratesMissingTerminators)
{
    CScratchKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.m_lCreate);
    key.SetRaw(L"NoSizingFrame", REG_SZ, std::wstring(L"1", 2));
    key.SetRaw(L"ShowDelayMs", REG_BINARY, std::wstring(L"ab", 2));
    key.SetDword(L"ExtraEntries", 7);
    key.SetRaw(L"IgnoreQuit", REG_SZ, std::wstring(L"1", 2));
    key.SetRaw(L"ListHangMs", REG_BINARY, std::wstring(L"ab", 2));
    key.SetRaw(L"ReportFile", REG_SZ, std::wstring(L"C:\\r.txt", 8));   // no terminator stored

    CViewerSettings s = key.Load();
    EXPECT_FALSE(s.m_bNoSizingFrame);
    EXPECT_FALSE(s.m_bHasShowDelay);
    EXPECT_FALSE(s.m_bIgnoreQuit);
    EXPECT_EQ(0u, s.m_dwListHangMs);
    EXPECT_TRUE(s.m_rgstrExtraEntries.empty());
    EXPECT_EQ(L"C:\\r.txt", s.m_strReportFile);

    key.SetDword(L"NoSizingFrame", 0);
    key.SetDword(L"ReportFile", 3);
    s = key.Load();
    EXPECT_FALSE(s.m_bNoSizingFrame);
    EXPECT_EQ(L"C:\\viewer-report.txt", s.m_strReportFile);
}
