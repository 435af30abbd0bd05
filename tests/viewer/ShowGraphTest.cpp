// CGraphEdit against the viewer stand-in installed in the test prefix, with a real filter
// graph of this process. The stand-in's behaviour is switched through the registry and it
// tells what happened to it in a report file.
#include <gtest/gtest.h>

#include <dshow.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "GraphEditProbe.h"
#include "MessagePump.h"
#include "RegistryGuard.h"
#include "RotEntries.h"
#include "ViewerReport.h"
#include "viewer/CookieName.h"

using driver::ImageOf;
using driver::IsProcessRunning;
using driver::SamePath;

namespace {

const wchar_t kInstalledViewer[] = L"C:\\Program Files\\GraphViewer\\graphedt.exe";
const wchar_t kInstalledDir[] = L"C:\\Program Files\\GraphViewer";
const wchar_t kInstalledProppage[] = L"C:\\Program Files\\GraphViewer\\Proppage.dll";
const wchar_t kProppageKey[] = L"CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}\\InprocServer32";
const wchar_t kGraphEditKey[] = L"Software\\Microsoft\\Shared Tools\\Graphedit";
const wchar_t kSettingsKey[] = L"Software\\StandIns\\GraphViewer";
const wchar_t kSourceName[] = L"Bridge Source";

std::wstring Hex(DWORD dw, const wchar_t* pszFormat)
{
    wchar_t sz[16];
    ::wsprintfW(sz, pszFormat, dw);
    return sz;
}

// The current directory for the length of one case.
class CCurrentDirectory
{
public:
    explicit CCurrentDirectory(LPCWSTR pszDir) : m_szOld()
    {
        ::GetCurrentDirectoryW(MAX_PATH, m_szOld);
        if (pszDir)
            ::SetCurrentDirectoryW(pszDir);
    }
    ~CCurrentDirectory() { ::SetCurrentDirectoryW(m_szOld); }
    CCurrentDirectory(const CCurrentDirectory&) = delete;
    CCurrentDirectory& operator=(const CCurrentDirectory&) = delete;

private:
    wchar_t m_szOld[MAX_PATH];
};

// A copy of the installed viewer in a folder of its own, for launch cases that must tell
// which program was started; removed once its viewers are gone.
class CViewerCopy
{
public:
    CViewerCopy() : m_strDir(L"C:\\viewer-bridge-copy"), m_strExe(m_strDir + L"\\graphedt.exe")
    {
        ::CreateDirectoryW(m_strDir.c_str(), nullptr);
        m_bReady = ::CopyFileW(kInstalledViewer, m_strExe.c_str(), FALSE) != FALSE;
    }
    ~CViewerCopy()
    {
        ::DeleteFileW(m_strExe.c_str());
        ::RemoveDirectoryW(m_strDir.c_str());
    }
    CViewerCopy(const CViewerCopy&) = delete;
    CViewerCopy& operator=(const CViewerCopy&) = delete;

    const std::wstring m_strDir;
    const std::wstring m_strExe;
    bool m_bReady;
};

class ViewerBridge : public ::testing::Test
{
protected:
    ViewerBridge()
        : m_proppageKey(HKEY_CLASSES_ROOT, kProppageKey),
          m_graphEditKey(HKEY_LOCAL_MACHINE, kGraphEditKey),
          m_settingsKey(HKEY_CURRENT_USER, kSettingsKey)
    {
    }

    void SetUp() override
    {
        ASSERT_EQ(S_OK, m_apartment.m_hr);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(kInstalledViewer))
            << "the viewer stand-in is not installed in this prefix";
        ASSERT_TRUE(m_proppageKey.Existed()) << "Proppage.dll is not registered in this prefix";
        UseSettings({});

        m_spGraph = CreateFilterGraph();
        ASSERT_TRUE(m_spGraph != nullptr);
        CComPtr<IGraphBuilder> spBuilder;
        ASSERT_EQ(S_OK, m_spGraph.QueryInterface(&spBuilder));
        CComPtr<IBaseFilter> spSource;
        ASSERT_EQ(S_OK, spSource.CoCreateInstance(CLSID_AsyncReader, nullptr, CLSCTX_INPROC_SERVER));
        ASSERT_EQ(S_OK, spBuilder->AddFilter(spSource, kSourceName));
        ASSERT_TRUE(RotNamesOfThisProcess().empty());
    }

    void TearDown() override
    {
        m_ge.CloseGraphEdit();
        EndViewers(m_report.StartedProcessIds());
    }

    struct SDwordSetting
    {
        LPCWSTR pszName;
        DWORD dwValue;
    };

    // The viewer's switches: these and the report file, nothing else.
    void UseSettings(const std::vector<SDwordSetting>& rgSettings)
    {
        ASSERT_EQ(ERROR_SUCCESS, ClearRegKey(HKEY_CURRENT_USER, kSettingsKey));
        ASSERT_EQ(ERROR_SUCCESS, SetRegString(HKEY_CURRENT_USER, kSettingsKey, L"ReportFile", m_report.Path()));
        for (const SDwordSetting& setting : rgSettings)
            ASSERT_EQ(ERROR_SUCCESS, SetRegDword(HKEY_CURRENT_USER, kSettingsKey, setting.pszName, setting.dwValue));
    }

    DWORD GraphNumber() const { return GraphNumberOf(m_spGraph.p); }

    // ShowGraph until the bridge has found the viewer's connect dialog and selected in it.
    // On a busy machine a viewer can be slower than the bridge's fixed waits (ready for
    // input, its window shown, its connect dialog); the user then presses Show graph again,
    // and so does this, within a generous deadline. Returns the calls it took (each started
    // a viewer), 0 when none got that far.
    int ShowUntilSelected()
    {
        const DWORD dwStart = ::GetTickCount();
        for (int nCalls = 1; ::GetTickCount() - dwStart < kGenerousDeadlineMs; ++nCalls)
        {
            const HRESULT hr = m_ge.ShowGraph(m_spGraph);
            if (hr == S_OK && CGraphEditProbe::ListBox(m_ge) != nullptr)
                return nCalls;
            std::printf("ShowGraph call %d: 0x%08lX, %s (the viewer was slower than the waits); again\n", nCalls,
                        static_cast<unsigned long>(hr), hr == S_OK ? "no connect dialog" : "failed");
        }
        return 0;
    }

    // Waits until the viewer started as dwProcessId has connected or failed to; returns the
    // index of that line or -1.
    int WaitForConnectionOutcome(DWORD dwProcessId)
    {
        int iOutcome = -1;
        PumpUntil(
            [&] {
                const int iStarted = m_report.Find(L"started pid=" + Hex(dwProcessId, L"%x"));
                if (iStarted < 0)
                    return false;
                iOutcome = m_report.Find(L"connected ", iStarted);
                if (iOutcome < 0)
                    iOutcome = m_report.Find(L"bind-failed", iStarted);
                return iOutcome >= 0;
            },
            kGenerousDeadlineMs);
        return iOutcome;
    }

    std::wstring ConnectedLine() const
    {
        return L"connected graph=" + Hex(GraphNumber(), L"%08x") + L" filters=" + kSourceName;
    }

    // The text after "selected=" of the first selection from line iFrom on.
    std::wstring SelectedText(int iFrom) const
    {
        const int iSelected = m_report.Find(L"selected=", iFrom);
        if (iSelected < 0)
            return L"<nothing selected>";
        return m_report.Lines()[static_cast<size_t>(iSelected)].substr(9);
    }

    CApartment m_apartment;
    CRegKeySnapshot m_proppageKey;
    CRegKeySnapshot m_graphEditKey;
    CRegKeySnapshot m_settingsKey;
    // Members go after TearDown has ended the viewers: a copy of the viewer outlives them.
    std::unique_ptr<CViewerCopy> m_pCopy;
    CViewerReport m_report;
    CComPtr<IUnknown> m_spGraph;
    CGraphEdit m_ge;   // closed before the graph is released
};

TEST_F(ViewerBridge, ShowGraphPublishesStartsAndConnectsTheViewer)
{
    const int nCalls = ShowUntilSelected();
    ASSERT_NE(0, nCalls);

    const PROCESS_INFORMATION& pi = CGraphEditProbe::Viewer(m_ge);
    EXPECT_NE(0u, CGraphEditProbe::Cookie(m_ge));
    ASSERT_TRUE(pi.hProcess != nullptr && pi.hThread != nullptr);
    EXPECT_TRUE(SamePath(kInstalledViewer, ImageOf(pi.hProcess)));
    DWORD dwWindowProcessId = 0;
    ::GetWindowThreadProcessId(CGraphEditProbe::MainWindow(m_ge), &dwWindowProcessId);
    EXPECT_EQ(pi.dwProcessId, dwWindowProcessId);
    EXPECT_NE(nullptr, CGraphEditProbe::ListBox(m_ge));

    // Exactly one entry of this process while shown: "!" and the 33-character item name.
    const std::vector<std::wstring> rgNames = RotNamesOfThisProcess();
    ASSERT_EQ(1u, rgNames.size());
    EXPECT_EQ(ExpectedRotName(m_spGraph.p), rgNames[0]);
    EXPECT_EQ(33u, rgNames[0].size() - 1);

    const int iOutcome = WaitForConnectionOutcome(pi.dwProcessId);
    ASSERT_GE(iOutcome, 0) << "the viewer neither connected nor failed";
    EXPECT_EQ(ConnectedLine(), m_report.Lines()[static_cast<size_t>(iOutcome)]);
    EXPECT_TRUE(MatchGraphEntryText(SelectedText(0).c_str(), ::GetCurrentProcessId(), GraphNumber()))
        << ::testing::PrintToString(SelectedText(0));
    const std::vector<DWORD> rgStarted = m_report.StartedProcessIds();
    ASSERT_EQ(static_cast<size_t>(nCalls), rgStarted.size());
    EXPECT_EQ(pi.dwProcessId, rgStarted.back());

    // The close withdraws the graph and asks the viewer to quit, which it does in its own
    // time.
    m_ge.CloseGraphEdit();
    EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge));
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
    EXPECT_TRUE(m_report.WaitFor(L"quit", kGenerousDeadlineMs));
}

TEST_F(ViewerBridge, SecondShowGraphQuitsTheFirstViewerBeforeStartingAnother)
{
    ASSERT_NE(0, ShowUntilSelected());
    const DWORD dwFirst = CGraphEditProbe::Viewer(m_ge).dwProcessId;
    ASSERT_GE(WaitForConnectionOutcome(dwFirst), 0);

    // At once, while the first viewer may still be closing its connect dialog: it is asked
    // to quit, and the second one starts.
    ASSERT_NE(0, ShowUntilSelected());
    const DWORD dwSecond = CGraphEditProbe::Viewer(m_ge).dwProcessId;
    EXPECT_NE(dwFirst, dwSecond);
    EXPECT_EQ(1u, RotNamesOfThisProcess().size());

    const int iFirstStarted = m_report.Find(L"started pid=" + Hex(dwFirst, L"%x"));
    ASSERT_GE(iFirstStarted, 0);
    EXPECT_TRUE(PumpUntil([&] { return m_report.Find(L"quit", iFirstStarted) >= 0; }, kGenerousDeadlineMs))
        << "the first viewer was not asked to quit";

    const int iOutcome = WaitForConnectionOutcome(dwSecond);
    ASSERT_GE(iOutcome, 0);
    EXPECT_EQ(ConnectedLine(), m_report.Lines()[static_cast<size_t>(iOutcome)]);
}

TEST_F(ViewerBridge, NullGraphStartsNothing)
{
    EXPECT_EQ(E_INVALIDARG, m_ge.ShowGraph(nullptr));
    EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge));
    EXPECT_TRUE(m_report.Lines().empty());
}

enum class EProppageDamage
{
    KeyMissing,
    DefaultValueMissing,
    DefaultValueNotString,
    DefaultValueWithoutTerminator,
};

struct SProppageCase
{
    const char* pszWhy;
    EProppageDamage damage;
};

const SProppageCase kProppageCases[] = {
    {"InprocServer32 key missing", EProppageDamage::KeyMissing},
    {"default value missing", EProppageDamage::DefaultValueMissing},
    {"default value is a number", EProppageDamage::DefaultValueNotString},
    {"default value lacks its terminator", EProppageDamage::DefaultValueWithoutTerminator},
};

void Damage(EProppageDamage damage)
{
    switch (damage)
    {
    case EProppageDamage::KeyMissing:
        ASSERT_EQ(ERROR_SUCCESS, ClearRegKey(HKEY_CLASSES_ROOT, kProppageKey));
        ASSERT_EQ(ERROR_SUCCESS, DeleteRegKey(HKEY_CLASSES_ROOT, kProppageKey));
        break;
    case EProppageDamage::DefaultValueMissing:
        ASSERT_EQ(ERROR_SUCCESS, DeleteRegValue(HKEY_CLASSES_ROOT, kProppageKey, L""));
        break;
    case EProppageDamage::DefaultValueNotString:
        ASSERT_EQ(ERROR_SUCCESS, SetRegDword(HKEY_CLASSES_ROOT, kProppageKey, L"", 1));
        break;
    case EProppageDamage::DefaultValueWithoutTerminator:
    {
        // The registry adds a terminator that the caller left out of the count when one
        // follows the data in memory; a character after the path keeps it out.
        const std::wstring strPath = std::wstring(kInstalledProppage) + L"X";
        ASSERT_EQ(ERROR_SUCCESS, SetRegValue(HKEY_CLASSES_ROOT, kProppageKey, L"", REG_SZ, strPath.data(),
                                             static_cast<DWORD>((strPath.size() - 1) * sizeof(wchar_t))));
        break;
    }
    }
}

TEST_F(ViewerBridge, UnregisteredProppageStartsNothing)
{
    for (const SProppageCase& c : kProppageCases)
    {
        CRegKeySnapshot restore(HKEY_CLASSES_ROOT, kProppageKey);
        Damage(c.damage);

        wchar_t szProppage[MAX_PATH] = L"stale";
        EXPECT_FALSE(CGraphEditProbe::IsProppageRegistered(szProppage)) << c.pszWhy;
        EXPECT_EQ(std::wstring(), std::wstring(szProppage)) << c.pszWhy;

        EXPECT_EQ(REGDB_E_CLASSNOTREG, m_ge.ShowGraph(m_spGraph)) << c.pszWhy;
        EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge)) << c.pszWhy;
        EXPECT_TRUE(RotNamesOfThisProcess().empty()) << c.pszWhy;
        EXPECT_TRUE(m_report.Lines().empty()) << c.pszWhy;
    }
    // Restored after every case: registered again, with its path.
    wchar_t szProppage[MAX_PATH] = {};
    EXPECT_TRUE(CGraphEditProbe::IsProppageRegistered(szProppage));
    EXPECT_TRUE(SamePath(kInstalledProppage, szProppage));
    EXPECT_TRUE(CGraphEditProbe::IsProppageRegistered(nullptr));
}

// A variable of the environment for the length of one case.
class CEnvironmentVariable
{
public:
    CEnvironmentVariable(LPCWSTR pszName, const std::wstring& strValue) : m_strName(pszName)
    {
        wchar_t szOld[4096] = {};
        m_bHad = ::GetEnvironmentVariableW(pszName, szOld, 4096) > 0;
        m_strOld = szOld;
        ::SetEnvironmentVariableW(pszName, strValue.c_str());
    }
    ~CEnvironmentVariable() { ::SetEnvironmentVariableW(m_strName.c_str(), m_bHad ? m_strOld.c_str() : nullptr); }
    CEnvironmentVariable(const CEnvironmentVariable&) = delete;
    CEnvironmentVariable& operator=(const CEnvironmentVariable&) = delete;

    static std::wstring Value(LPCWSTR pszName)
    {
        wchar_t sz[4096] = {};
        ::GetEnvironmentVariableW(pszName, sz, 4096);
        return sz;
    }

private:
    std::wstring m_strName;
    std::wstring m_strOld;
    bool m_bHad;
};

// {COPY} in a path stands for the folder of the viewer's copy.
const wchar_t kCopyMark[] = L"{COPY}";

struct SLaunchCase
{
    const char* pszWhy;
    LPCWSTR pszPath;        // the registry's "Path"; null: absent
    std::wstring strProppage;
    LPCWSTR pszCurrentDir;  // null: the test's own
    HRESULT hr;
    DWORD dwPathType = REG_SZ;
    bool bStartsCopy = false;         // the copy runs, not the installed viewer
    LPCWSTR pszSearchPathDir = nullptr;  // put in front of PATH for the case
};

std::vector<SLaunchCase> LaunchCases()
{
    const HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
    const HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003);
    return {
        {"registered path", kInstalledViewer, kInstalledProppage, nullptr, S_OK},
        {"path absent: beside Proppage.dll", nullptr, kInstalledProppage, nullptr, S_OK},
        {"path names a missing file: beside Proppage.dll", L"C:\\no-such-viewer.exe", kInstalledProppage, nullptr, S_OK},
        {"Proppage.dll path with forward slashes", nullptr, L"C:/Program Files/GraphViewer/Proppage.dll", nullptr, S_OK},
        {"path absent: current directory first", nullptr, L"Proppage.dll", kInstalledDir, S_OK},
        {"path in a missing directory: no second attempt", L"C:\\no-such-dir\\graphedt.exe", kInstalledProppage,
         nullptr, kPathNotFound},
        {"Proppage.dll without a separator: no second attempt", nullptr, L"Proppage.dll", nullptr, kFileNotFound},
        {"no Proppage.dll path: no second attempt", nullptr, L"", nullptr, kFileNotFound},
        // The separator at 247 leaves no room for the name; the attempt is skipped, not cut.
        {"composed path too long: no second attempt", nullptr,
         L"C:\\" + std::wstring(244, L'd') + L"\\P.dll", nullptr, kFileNotFound},
        // The name goes as the application name, which is never looked up along PATH.
        {"viewer reachable only through PATH: never started", nullptr, L"Proppage.dll", nullptr, kFileNotFound,
         REG_SZ, false, kCopyMark},
        // Only strings are paths: a list naming the copy is no Path at all.
        {"path of another type: beside Proppage.dll", L"{COPY}\\graphedt.exe", kInstalledProppage, nullptr, S_OK,
         REG_MULTI_SZ},
        {"expandable path without variables: used", L"{COPY}\\graphedt.exe", kInstalledProppage, nullptr, S_OK,
         REG_EXPAND_SZ, true},
        // Taken as stored: the variable is not expanded, so its folder does not exist.
        {"expandable path with a variable: used as stored", L"%VIEWER_BRIDGE_COPY%\\graphedt.exe",
         kInstalledProppage, nullptr, kPathNotFound, REG_EXPAND_SZ},
    };
}

std::wstring WithCopy(std::wstring str, const CViewerCopy& copy)
{
    for (size_t i = str.find(kCopyMark); i != std::wstring::npos; i = str.find(kCopyMark))
        str.replace(i, wcslen(kCopyMark), copy.m_strDir);
    return str;
}

TEST_F(ViewerBridge, LaunchFindsTheViewerThroughRegistryAndFallbacks)
{
    m_pCopy.reset(new CViewerCopy);
    ASSERT_TRUE(m_pCopy->m_bReady);
    const CViewerCopy& copy = *m_pCopy;
    // What the expandable path would name if it were expanded: the copy.
    CEnvironmentVariable copyVariable(L"VIEWER_BRIDGE_COPY", copy.m_strDir);
    for (const SLaunchCase& c : LaunchCases())
    {
        CRegKeySnapshot restore(HKEY_LOCAL_MACHINE, kGraphEditKey);
        if (c.pszPath)
        {
            const std::wstring strPath = WithCopy(c.pszPath, copy);
            if (c.dwPathType == REG_MULTI_SZ)
                ASSERT_EQ(ERROR_SUCCESS, SetRegMultiString(HKEY_LOCAL_MACHINE, kGraphEditKey, L"Path", {strPath}));
            else
                ASSERT_EQ(ERROR_SUCCESS,
                          SetRegValue(HKEY_LOCAL_MACHINE, kGraphEditKey, L"Path", c.dwPathType, strPath.c_str(),
                                      static_cast<DWORD>((strPath.size() + 1) * sizeof(wchar_t))));
        }
        else
        {
            DeleteRegValue(HKEY_LOCAL_MACHINE, kGraphEditKey, L"Path");
        }
        CCurrentDirectory currentDir(c.pszCurrentDir);
        std::unique_ptr<CEnvironmentVariable> pSearchPath;
        if (c.pszSearchPathDir)
            pSearchPath.reset(new CEnvironmentVariable(
                L"PATH", WithCopy(c.pszSearchPathDir, copy) + L";" + CEnvironmentVariable::Value(L"PATH")));
        const size_t nStartedBefore = m_report.StartedProcessIds().size();

        CGraphEdit ge;
        EXPECT_EQ(c.hr, CGraphEditProbe::LoadGraphEdit(ge, c.strProppage.c_str())) << c.pszWhy;
        const PROCESS_INFORMATION& pi = CGraphEditProbe::Viewer(ge);
        const std::vector<DWORD> rgStarted = m_report.StartedProcessIds();
        if (c.hr == S_OK)
        {
            EXPECT_TRUE(pi.hProcess != nullptr && pi.hThread != nullptr) << c.pszWhy;
            EXPECT_TRUE(SamePath(c.bStartsCopy ? copy.m_strExe : std::wstring(kInstalledViewer), ImageOf(pi.hProcess)))
                << c.pszWhy << ": " << ::testing::PrintToString(ImageOf(pi.hProcess));
            // Ready for input means it has written its start.
            ASSERT_EQ(nStartedBefore + 1, rgStarted.size()) << c.pszWhy;
            EXPECT_EQ(pi.dwProcessId, rgStarted.back()) << c.pszWhy;
            CGraphEditProbe::QuitGraphEdit(ge);
        }
        else
        {
            EXPECT_EQ(nStartedBefore, rgStarted.size()) << c.pszWhy;
        }
        EXPECT_TRUE(CGraphEditProbe::IsIdle(ge)) << c.pszWhy;
    }
}

TEST_F(ViewerBridge, ViewerNotReadyInTimeIsLetGo)
{
    UseSettings({{L"IdleDelayMs", 1500}});
    EXPECT_EQ(E_FAIL, m_ge.ShowGraph(m_spGraph));
    // Published, but no viewer held.
    EXPECT_NE(0u, CGraphEditProbe::Cookie(m_ge));
    const PROCESS_INFORMATION& pi = CGraphEditProbe::Viewer(m_ge);
    EXPECT_TRUE(pi.hProcess == nullptr && pi.hThread == nullptr && pi.dwProcessId == 0 && pi.dwThreadId == 0);
    EXPECT_EQ(nullptr, CGraphEditProbe::MainWindow(m_ge));
    EXPECT_EQ(1u, RotNamesOfThisProcess().size());

    // Not ended by the bridge: it is left running.
    ASSERT_TRUE(m_report.WaitFor(L"started pid=", kGenerousDeadlineMs));
    EXPECT_TRUE(IsProcessRunning(m_report.StartedProcessIds()[0]));

    m_ge.CloseGraphEdit();
    EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge));
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
}

struct SHiddenCase
{
    const char* pszWhy;
    LPCWSTR pszSetting;
    DWORD dwValue;
};

const SHiddenCase kHiddenCases[] = {
    {"main window without sizing frame", L"NoSizingFrame", 1},
    {"main window never shown", L"ShowDelayMs", 0xFFFFFFFF},
};

TEST_F(ViewerBridge, ViewerWithoutUsableMainWindowGivesSFalseAndIsKept)
{
    for (const SHiddenCase& c : kHiddenCases)
    {
        UseSettings({{c.pszSetting, c.dwValue}});
        EXPECT_EQ(S_FALSE, m_ge.ShowGraph(m_spGraph)) << c.pszWhy;

        const PROCESS_INFORMATION& pi = CGraphEditProbe::Viewer(m_ge);
        EXPECT_NE(0u, CGraphEditProbe::Cookie(m_ge)) << c.pszWhy;
        EXPECT_TRUE(pi.hProcess != nullptr && pi.hThread != nullptr) << c.pszWhy;
        EXPECT_EQ(nullptr, CGraphEditProbe::MainWindow(m_ge)) << c.pszWhy;
        EXPECT_EQ(nullptr, CGraphEditProbe::ListBox(m_ge)) << c.pszWhy;
        const DWORD dwProcessId = pi.dwProcessId;
        const int iStarted = m_report.Find(L"started pid=" + Hex(dwProcessId, L"%x"));
        ASSERT_GE(iStarted, 0) << c.pszWhy;
        EXPECT_LT(m_report.Find(L"connect-command", iStarted), 0) << c.pszWhy;

        // The held viewer is asked to quit by the next close, and quits in its own time.
        m_ge.CloseGraphEdit();
        EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge)) << c.pszWhy;
        EXPECT_TRUE(PumpUntil([&] { return m_report.Find(L"quit", iStarted) >= 0; }, kGenerousDeadlineMs))
            << c.pszWhy;
    }
}

TEST_F(ViewerBridge, ConnectDialogTooLateIsLeftToTheUser)
{
    UseSettings({{L"ConnectDialogDelayMs", 2000}});
    EXPECT_EQ(S_OK, m_ge.ShowGraph(m_spGraph));
    EXPECT_EQ(nullptr, CGraphEditProbe::ListBox(m_ge));
    ASSERT_TRUE(m_report.WaitFor(L"connect-dialog", kGenerousDeadlineMs));
    EXPECT_LT(m_report.Find(L"selected="), 0);
    EXPECT_LT(m_report.Find(L"ok"), 0);
}

TEST_F(ViewerBridge, ViewerThatIgnoresQuitIsLetGoAfterTheWait)
{
    UseSettings({{L"IgnoreQuit", 1}});
    ASSERT_NE(0, ShowUntilSelected());
    const DWORD dwProcessId = CGraphEditProbe::Viewer(m_ge).dwProcessId;
    const HWND hWndMain = CGraphEditProbe::MainWindow(m_ge);
    ASSERT_GE(WaitForConnectionOutcome(dwProcessId), 0);

    const DWORD dwStart = ::GetTickCount();
    m_ge.CloseGraphEdit();
    std::printf("CloseGraphEdit with a viewer that ignores WM_QUIT: %lu ms\n",
                static_cast<unsigned long>(::GetTickCount() - dwStart));
    EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge));
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
    EXPECT_TRUE(m_report.WaitFor(L"quit-ignored", kGenerousDeadlineMs));
    // Asked, never forced: it runs on.
    EXPECT_TRUE(IsProcessRunning(dwProcessId));

    // Its own window still ends it.
    ::PostMessageW(hWndMain, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsProcessRunning(dwProcessId); }, kGenerousDeadlineMs));
}

TEST_F(ViewerBridge, CloseAfterTheUserClosedTheViewer)
{
    ASSERT_NE(0, ShowUntilSelected());
    const PROCESS_INFORMATION& pi = CGraphEditProbe::Viewer(m_ge);
    ASSERT_GE(WaitForConnectionOutcome(pi.dwProcessId), 0);

    ::PostMessageW(CGraphEditProbe::MainWindow(m_ge), WM_CLOSE, 0, 0);
    HANDLE hProcess = pi.hProcess;
    ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0; }, kGenerousDeadlineMs));

    m_ge.CloseGraphEdit();
    EXPECT_TRUE(CGraphEditProbe::IsIdle(m_ge));
    EXPECT_TRUE(RotNamesOfThisProcess().empty());
}

// {P}/{PU}: this process's id in lower/upper case; {G}/{GU}: the graph's number.
struct SExtraEntriesCase
{
    const char* pszWhy;
    std::vector<std::wstring> rgTemplates;
    int iExpected;   // index of the extra entry to be selected; -1: the viewer's own entry
};

const SExtraEntriesCase kExtraEntriesCases[] = {
    {"0X prefixes and upper case, listed first", {L"pid 0X{PU} (mine) IFilterGraph = 0X{GU}"}, 0},
    {"entries that must not match",
     {L"pid {P} IFilterGraph = {G} ", L"pid {P}(x) IFilterGraph = {G}", L"pid 1{P} IFilterGraph = {G}",
      L"pid {P} IFilterGraph = 1{G}", L"pid 4 pid {P} IFilterGraph = {G}",
      // Would match, but is longer than the 63 characters the bridge reads.
      std::wstring(40, L'.') + L"pid {P} IFilterGraph = {G}"},
     -1},
};

std::wstring FillIn(std::wstring str, DWORD dwProcessId, DWORD dwGraph)
{
    const struct
    {
        LPCWSTR pszKey;
        std::wstring strValue;
    } rgKeys[] = {{L"{PU}", Hex(dwProcessId, L"%X")}, {L"{GU}", Hex(dwGraph, L"%X")},
                  {L"{P}", Hex(dwProcessId, L"%x")}, {L"{G}", Hex(dwGraph, L"%x")}};
    for (const auto& key : rgKeys)
    {
        const std::wstring strKey = key.pszKey;
        for (size_t i = str.find(strKey); i != std::wstring::npos; i = str.find(strKey))
            str.replace(i, strKey.size(), key.strValue);
    }
    return str;
}

TEST_F(ViewerBridge, SelectsTheFirstEntryNamingThisGraph)
{
    for (const SExtraEntriesCase& c : kExtraEntriesCases)
    {
        std::vector<std::wstring> rgExtra;
        for (const std::wstring& strTemplate : c.rgTemplates)
            rgExtra.push_back(FillIn(strTemplate, ::GetCurrentProcessId(), GraphNumber()));
        UseSettings({});
        ASSERT_EQ(ERROR_SUCCESS, SetRegMultiString(HKEY_CURRENT_USER, kSettingsKey, L"ExtraEntries", rgExtra));

        ASSERT_NE(0, ShowUntilSelected()) << c.pszWhy;
        const DWORD dwProcessId = CGraphEditProbe::Viewer(m_ge).dwProcessId;
        const int iOutcome = WaitForConnectionOutcome(dwProcessId);
        ASSERT_GE(iOutcome, 0) << c.pszWhy;
        const int iStarted = m_report.Find(L"started pid=" + Hex(dwProcessId, L"%x"));
        const std::wstring strSelected = SelectedText(iStarted);
        if (c.iExpected >= 0)
        {
            EXPECT_EQ(rgExtra[static_cast<size_t>(c.iExpected)], strSelected) << c.pszWhy;
        }
        else
        {
            for (const std::wstring& strExtra : rgExtra)
                EXPECT_NE(strExtra, strSelected) << c.pszWhy;
            EXPECT_TRUE(MatchGraphEntryText(strSelected.c_str(), ::GetCurrentProcessId(), GraphNumber()))
                << c.pszWhy;
            EXPECT_EQ(ConnectedLine(), m_report.Lines()[static_cast<size_t>(iOutcome)]) << c.pszWhy;
        }
        m_ge.CloseGraphEdit();
    }
}

} // namespace
