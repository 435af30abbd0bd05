// Show graph as the user sees it: the viewer opens already connected to the tool's graph,
// and goes away with the graph.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "StressFigures.h"
#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;
using driver::ImageOf;
using driver::IsProcessRunning;
using driver::SamePath;

namespace {

const wchar_t c_szSwitchesKey[] = L"Software\\StandIns\\GraphViewer";
const wchar_t c_szReport[] = L"C:\\e2e-viewer-report.txt";
const wchar_t c_szInstalledViewer[] = L"C:\\Program Files\\GraphViewer\\graphedt.exe";

bool IsViewerProgram(const std::wstring& image)
{
    const std::wstring name = L"\\graphedt.exe";
    return image.size() >= name.size() && ::lstrcmpiW(image.c_str() + image.size() - name.size(), name.c_str()) == 0;
}

// The viewers running now, whoever started them.
std::vector<DWORD> RunningViewerIds()
{
    std::vector<DWORD> ids;
    HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL b = ::Process32FirstW(hSnap, &entry); b; b = ::Process32NextW(hSnap, &entry))
        if (IsViewerProgram(std::wstring(L"\\") + entry.szExeFile))
            ids.push_back(entry.th32ProcessID);
    ::CloseHandle(hSnap);
    return ids;
}

// Points the viewer stand-in's report at a file of this test and removes it afterwards.
class CViewerReport
{
public:
    CViewerReport()
    {
        ::DeleteFileW(c_szReport);
        HKEY hKey = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, c_szSwitchesKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, L"ReportFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(c_szReport),
                         sizeof(c_szReport));
        ::RegCloseKey(hKey);
    }
    ~CViewerReport()
    {
        EndViewers();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, c_szSwitchesKey);
        ::DeleteFileW(c_szReport);
    }
    // A behaviour switch of the viewer stand-in, read when it starts.
    void SetSwitch(const wchar_t* pszName, DWORD dwValue)
    {
        HKEY hKey = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, c_szSwitchesKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
        ::RegCloseKey(hKey);
    }
    // Ends every viewer this report saw start (a viewer the tool no longer holds keeps
    // running otherwise, and would outlive the test). Ids are reused: a process that does
    // not run the viewer is never touched.
    void EndViewers() const
    {
        for (DWORD dwProcessId : StartedProcessIds())
        {
            HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                            FALSE, dwProcessId);
            if (!hProcess)
                continue;
            if (::WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT && IsViewerProgram(ImageOf(hProcess)))
            {
                ::TerminateProcess(hProcess, 1);
                ::WaitForSingleObject(hProcess, driver::DEFAULT_TIMEOUT_MS);
            }
            ::CloseHandle(hProcess);
        }
    }
    std::vector<DWORD> StartedProcessIds() const
    {
        std::vector<DWORD> ids;
        for (const std::string& line : Lines())
            if (line.rfind("started pid=", 0) == 0)
                ids.push_back(strtoul(line.c_str() + 12, nullptr, 16));
        return ids;
    }
    // The program that the viewer started as dwProcessId runs, while it runs.
    static std::wstring ProgramOf(DWORD dwProcessId)
    {
        HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
        if (!hProcess)
            return std::wstring();
        std::wstring image = ImageOf(hProcess);
        ::CloseHandle(hProcess);
        return image;
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::ifstream in("C:\\e2e-viewer-report.txt");
        std::string line;
        while (std::getline(in, line))
        {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& line : Lines())
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
    bool WaitFor(const std::string& prefix, int nTimes = 1) const
    {
        return driver::WaitUntil([&] { return Count(prefix) >= nTimes; });
    }
};

// Show graph until the viewer has reported nTimes lines that begin with `line` in all
// (connections, unless a test's viewer reports another step). On a busy machine
// a viewer can be slower than the tool's short, fixed waits for it (ready for input, its
// window shown, its connect dialog): the tool then says "Can't show graph" or leaves the
// viewer in its connect dialog, and a user clicks again. So does this, within a generous
// deadline; whether the first click was enough is the machine's speed, not the tool's
// behaviour. Returns the clicks it took, 0 when no viewer connected before the deadline.
// A viewer the tool let go with its box is the user's from then on: its id goes to pLetGo.
int ShowUntilReported(CToolSession& tool, const CViewerReport& report, const std::string& line, int nTimes,
                      std::vector<DWORD>* pLetGo = nullptr)
{
    const DWORD dwStart = ::GetTickCount();
    int nClicks = 0;
    while (::GetTickCount() - dwStart < 6 * driver::DEFAULT_TIMEOUT_MS)
    {
        const std::vector<DWORD> rgBefore = RunningViewerIds();
        tool.Click(IDC_BTN_SHOW);
        ++nClicks;
        if (!tool.WaitUntilHandled())
            return 0;
        driver::MessageBoxInfo box;
        if (driver::FindMessageBox(tool.Process().ProcessId(), tool.Dialog(), &box))
        {
            std::printf("Show graph click %d: %ls (the viewer was slower than the tool's waits); again\n",
                        nClicks, box.text.c_str());
            if (pLetGo)
                for (DWORD dwId : RunningViewerIds())
                    if (std::find(rgBefore.begin(), rgBefore.end(), dwId) == rgBefore.end())
                        pLetGo->push_back(dwId);
            driver::DismissMessageBox(box);
            continue;
        }
        if (report.WaitFor(line, nTimes))
            return nClicks;
        std::printf("Show graph click %d: no \"%s\" (the viewer was slower than the tool's waits); again\n", nClicks,
                    line.c_str());
    }
    return 0;
}

int ShowUntilConnected(CToolSession& tool, const CViewerReport& report, int nConnected)
{
    return ShowUntilReported(tool, report, "connected graph=", nConnected);
}

// Entries of the Running Object Table that name process dwProcessId.
std::vector<std::wstring> RotEntriesOf(DWORD dwProcessId)
{
    std::vector<std::wstring> names;
    wchar_t szPid[32];
    wsprintfW(szPid, L"pid %08x", dwProcessId);
    IRunningObjectTable* pRot = nullptr;
    IBindCtx* pCtx = nullptr;
    IEnumMoniker* pEnum = nullptr;
    if (SUCCEEDED(::GetRunningObjectTable(0, &pRot)) && SUCCEEDED(::CreateBindCtx(0, &pCtx)) &&
        SUCCEEDED(pRot->EnumRunning(&pEnum)))
    {
        IMoniker* pMoniker = nullptr;
        ULONG cFetched = 0;
        while (pEnum->Next(1, &pMoniker, &cFetched) == S_OK)
        {
            LPOLESTR pszName = nullptr;
            if (SUCCEEDED(pMoniker->GetDisplayName(pCtx, nullptr, &pszName)))
            {
                std::wstring name(pszName);
                if (name.find(szPid) != std::wstring::npos)
                    names.push_back(name[0] == L'!' ? name.substr(1) : name);
                ::CoTaskMemFree(pszName);
            }
            pMoniker->Release();
        }
    }
    if (pEnum)
        pEnum->Release();
    if (pCtx)
        pCtx->Release();
    if (pRot)
        pRot->Release();
    return names;
}

class ShowGraphTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    void SetUp() override
    {
        ASSERT_TRUE(m_tool.Started());
        ASSERT_TRUE(m_tool.BuildAndWait(L"C:\\fixtures\\demo.grf"));
    }

    CViewerReport m_report;
    CToolSession m_tool;
};

TEST_F(ShowGraphTest, ViewerConnectsToThisGraphAndQuitsWithIt)
{
    const int nFirst = ShowUntilConnected(m_tool, m_report, 1);
    ASSERT_NE(0, nFirst) << ::testing::PrintToString(m_report.Lines());
    EXPECT_TRUE(m_tool.NoBoxShown());
    std::string connected;
    for (const std::string& line : m_report.Lines())
        if (line.rfind("connected graph=", 0) == 0)
            connected = line;
    EXPECT_NE(std::string::npos, connected.find("A/V Synchronizer")) << connected;
    EXPECT_NE(std::string::npos, connected.find("Video Renderer")) << connected;

    // Exactly one published entry of the tool, of the fixed form and length, whose graph
    // number is the one the viewer connected to.
    std::vector<std::wstring> entries = RotEntriesOf(m_tool.Process().ProcessId());
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(33u, entries[0].size());
    EXPECT_EQ(0u, entries[0].find(L"FilterGraph "));
    std::string graphNumber(entries[0].begin() + 12, entries[0].begin() + 20);
    EXPECT_EQ(0u, connected.find("connected graph=" + graphNumber)) << connected;

    // A second Show graph asks the first viewer to quit and starts a new one, connected
    // again; the tool's entry is replaced, never doubled. (The first viewer quits in its own
    // time: the tool waits a while for it, but does not promise it is gone by then.)
    const int nSecond = ShowUntilConnected(m_tool, m_report, 2);
    ASSERT_NE(0, nSecond) << ::testing::PrintToString(m_report.Lines());
    EXPECT_EQ(nFirst + nSecond, m_report.Count("started"));
    EXPECT_TRUE(m_report.WaitFor("quit"));
    EXPECT_EQ(1u, RotEntriesOf(m_tool.Process().ProcessId()).size());

    // Closing the tool asks the viewer to quit and revokes the entry.
    DWORD dwPid = m_tool.Process().ProcessId();
    EXPECT_EQ(0u, m_tool.CloseAndWait());
    EXPECT_TRUE(m_report.WaitFor("quit", 2));
    EXPECT_TRUE(RotEntriesOf(dwPid).empty());
}

TEST_F(ShowGraphTest, BuildingAnotherGraphQuitsTheViewer)
{
    ASSERT_NE(0, ShowUntilConnected(m_tool, m_report, 1)) << ::testing::PrintToString(m_report.Lines());
    m_tool.Click(IDC_BTN_BUILD);
    m_tool.Sync();
    EXPECT_TRUE(RotEntriesOf(m_tool.Process().ProcessId()).empty());
    EXPECT_TRUE(m_report.WaitFor("quit"));
}

// Show graph failures, seen by the user as a box and in the tracing copy's output.
struct ShowFailure
{
    const char* pszName;
    const wchar_t* pszSwitch;
    DWORD dwValue;
    HRESULT hr;
    std::vector<std::wstring> traces;
    bool bViewerHeld;  // the tool still holds the viewer and asks it to quit when closing
};

const ShowFailure c_rgShowFailures[] = {
    {"MainWindowWithoutSizingFrame", L"NoSizingFrame", 1, S_FALSE,
     {L"###Err### CGraphEdit::FindMainWindow(): GraphEdit window not found"}, true},
    {"MainWindowNeverShown", L"ShowDelayMs", 0xFFFFFFFF, S_FALSE,
     {L"CGraphEdit::WaitWhileHidden(): wait time rest is ",
      L"###Err### CGraphEdit::WaitWhileHidden(): Wait time is ending",
      L"###Err### CGraphEdit::FindMainWindow(): GraphEdit window not found"},
     true},
    {"ViewerSlowToBecomeReady", L"IdleDelayMs", 3000, E_FAIL,
     {L"###Err### CGraphEdit::LoadGraphEdit(): WaitForInputIdle()=258, hr=0x80004005"}, false},
};

// Clicks Show graph and checks the box it ends in. On a busy machine the viewer can miss
// the tool's short wait for it to get ready for input, and the tool says so (E_FAIL) before
// the path under test is reached: a user clicks again, and so does this, within a generous
// deadline, unless that refusal is what is tested.
::testing::AssertionResult ShowUntilBox(CToolSession& tool, HRESULT hr)
{
    const std::wstring notReady = ExpectedErrorText(L"Can't show graph", E_FAIL);
    const DWORD dwStart = ::GetTickCount();
    for (int nClicks = 1;; ++nClicks)
    {
        tool.Click(IDC_BTN_SHOW);
        driver::MessageBoxInfo box;
        if (hr == E_FAIL || !driver::WaitForMessageBox(tool.Process().ProcessId(), tool.Dialog(), &box) ||
            box.text != notReady || ::GetTickCount() - dwStart >= 6 * driver::DEFAULT_TIMEOUT_MS)
            return tool.ExpectBox(ExpectedErrorText(L"Can't show graph", hr), true);
        std::printf("Show graph click %d: not ready (the viewer was slower than the tool's waits); again\n", nClicks);
        driver::DismissMessageBox(box);
    }
}

class ShowFailureTest : public ::testing::TestWithParam<ShowFailure>
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_P(ShowFailureTest, SaysCantShowGraphAndTracesWhy)
{
    const ShowFailure& c = GetParam();
    CViewerReport report;
    report.SetSwitch(c.pszSwitch, c.dwValue);
    CToolSession tool(L"MeridelTestTrace.exe");
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    EXPECT_TRUE(ShowUntilBox(tool, c.hr));
    for (const std::wstring& trace : c.traces)
        EXPECT_LE(1, tool.Process().CountDebugLines(trace)) << ::testing::PrintToString(trace);
    // The entry stays published until the next close of the bridge.
    EXPECT_EQ(1u, RotEntriesOf(tool.Process().ProcessId()).size());

    DWORD dwPid = tool.Process().ProcessId();
    EXPECT_EQ(0u, tool.CloseAndWait());
    EXPECT_TRUE(RotEntriesOf(dwPid).empty());
    // A held viewer is asked to quit by the close and does, in its own time; one the tool
    // let go keeps running until the test ends it.
    if (c.bViewerHeld)
        EXPECT_TRUE(report.WaitFor("quit"));
    else
        EXPECT_EQ(0, report.Count("quit"));
}

INSTANTIATE_TEST_SUITE_P(Table, ShowFailureTest, ::testing::ValuesIn(c_rgShowFailures),
                         [](const ::testing::TestParamInfo<ShowFailure>& info) { return info.param.pszName; });

// Removes the registration of Proppage.dll for one test and puts it back afterwards.
class CProppageUnregistered
{
public:
    CProppageUnregistered()
    {
        DWORD cb = sizeof(m_szPath);
        m_bHad = ::RegGetValueW(HKEY_CLASSES_ROOT, c_szKey, nullptr, RRF_RT_REG_SZ, nullptr, m_szPath, &cb) == ERROR_SUCCESS;
        ::RegDeleteKeyW(HKEY_CLASSES_ROOT, c_szKey);
    }
    ~CProppageUnregistered()
    {
        if (!m_bHad)
            return;
        HKEY hKey = nullptr;
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, c_szKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_szPath),
                         (DWORD)((wcslen(m_szPath) + 1) * sizeof(wchar_t)));
        const wchar_t szBoth[] = L"Both";
        ::RegSetValueExW(hKey, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(szBoth), sizeof(szBoth));
        ::RegCloseKey(hKey);
    }
    bool Had() const { return m_bHad; }

private:
    static constexpr const wchar_t* c_szKey = L"CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}\\InprocServer32";
    wchar_t m_szPath[MAX_PATH] = {};
    bool m_bHad;
};

TEST(ShowGraphRegistrationTest, WithoutProppageNothingIsPublishedOrStarted)
{
    CViewerReport report;
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    {
        CProppageUnregistered unregistered;
        ASSERT_TRUE(unregistered.Had());
        tool.Click(IDC_BTN_SHOW);
        EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't show graph", REGDB_E_CLASSNOTREG), true));
    }
    EXPECT_EQ(1, tool.Process().CountDebugLines(L"Assertion failed: CGraphEdit::ShowGraph(): Proppage.dll is not registered"));
    EXPECT_TRUE(RotEntriesOf(tool.Process().ProcessId()).empty());
    EXPECT_EQ(0, report.Count("started"));
}

std::string HexOf(DWORD dw)
{
    char sz[16];
    wsprintfA(sz, "%x", dw);
    return sz;
}

// The graph number of the tool's one table entry, as the viewer names it.
std::string PublishedGraphNumber(DWORD dwToolProcessId)
{
    std::vector<std::wstring> entries = RotEntriesOf(dwToolProcessId);
    if (entries.size() != 1 || entries[0].size() < 20)
        return std::string();
    return std::string(entries[0].begin() + 12, entries[0].begin() + 20);
}

// Viewers built otherwise than ours, through the tool: what is selected and confirmed, what
// Show graph says, and that the tool answers and closes whatever the viewer does.
struct ViewerMode
{
    const char* pszName;
    const wchar_t* pszSwitch;
    DWORD dwValue;
    bool bConnects;  // the tool's entry is selected and the dialog gets OK
    std::vector<std::string> reported;
};

const ViewerMode c_rgViewerModes[] = {
    {"ListBoxInAPanel", L"NestedListBox", 1, true, {}},
    {"ChildlessWindowInFrontOfTheDialog", L"ChildlessPopup", 1, true, {"popup-in-front"}},
    // Stands still for far longer than any deadline here: a tool that waits for it fails.
    {"ListStopsAnswering", L"ListHangMs", 60000, false, {"list-hang ms=60000"}},
};

void PrintTo(const ViewerMode& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class ViewerModeTest : public ::testing::TestWithParam<ViewerMode>
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_P(ViewerModeTest, SelectsAndConfirmsOrGivesUpAndTheToolStaysUsable)
{
    const ViewerMode& c = GetParam();
    CViewerReport report;
    report.SetSwitch(c.pszSwitch, c.dwValue);
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    const DWORD dwPid = tool.Process().ProcessId();

    const DWORD dwClicked = ::GetTickCount();
    // Clicked again if the viewer was slower than the tool's waits (the viewer's own step
    // then never came).
    if (c.bConnects)
    {
        ASSERT_NE(0, ShowUntilConnected(tool, report, 1)) << ::testing::PrintToString(report.Lines());
    }
    else if (!c.reported.empty())
    {
        ASSERT_NE(0, ShowUntilReported(tool, report, c.reported[0], 1)) << ::testing::PrintToString(report.Lines());
    }
    else
    {
        tool.Click(IDC_BTN_SHOW);
        // Show graph has returned and the dialog takes posted input again.
        ASSERT_TRUE(tool.WaitUntilHandled()) << "the tool does not answer after Show graph";
    }
    std::printf("%s: Show graph handled %lu ms after the click\n", c.pszName,
                static_cast<unsigned long>(::GetTickCount() - dwClicked));
    // S_OK whether or not the graph was selected: no box.
    driver::MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(dwPid, tool.Dialog(), &box)) << ::testing::PrintToString(box.text);
    for (const std::string& line : c.reported)
        EXPECT_TRUE(report.WaitFor(line)) << line << "\n" << ::testing::PrintToString(report.Lines());

    const std::string graphNumber = PublishedGraphNumber(dwPid);
    ASSERT_FALSE(graphNumber.empty());
    if (c.bConnects)
    {
        ASSERT_TRUE(report.WaitFor("connected graph=")) << ::testing::PrintToString(report.Lines());
        std::string selected, connected;
        for (const std::string& line : report.Lines())
        {
            if (line.rfind("selected=", 0) == 0)
                selected = line;
            if (line.rfind("connected graph=", 0) == 0)
                connected = line;
        }
        EXPECT_NE(std::string::npos, selected.find("pid " + HexOf(dwPid) + " ")) << selected;
        EXPECT_EQ(0u, connected.find("connected graph=" + graphNumber)) << connected;
        EXPECT_EQ(1, report.Count("ok"));
        // Nothing went astray to the window that holds the list.
        EXPECT_EQ(0, report.Count("panel-command"));
    }
    else
    {
        EXPECT_EQ(0, report.Count("selected="));
        EXPECT_EQ(0, report.Count("ok"));
    }

    const DWORD dwClosing = ::GetTickCount();
    EXPECT_EQ(0u, tool.CloseAndWait());
    std::printf("%s: closed %lu ms after Esc\n", c.pszName, static_cast<unsigned long>(::GetTickCount() - dwClosing));
}

INSTANTIATE_TEST_SUITE_P(Table, ViewerModeTest, ::testing::ValuesIn(c_rgViewerModes),
                         [](const ::testing::TestParamInfo<ViewerMode>& info) { return info.param.pszName; });

int ExactLines(const CViewerReport& report, const std::string& text)
{
    int n = 0;
    for (const std::string& line : report.Lines())
        n += line == text;
    return n;
}

TEST(ShowGraphQuitTest, QuitWaitEndsWhenTheViewerIgnoresWmQuit)
{
    ::CoInitialize(nullptr);
    {
        CViewerReport report;
        report.SetSwitch(L"IgnoreQuit", 1);
        CToolSession tool;
        ASSERT_TRUE(tool.Started());
        ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
        const int nFirst = ShowUntilConnected(tool, report, 1);
        ASSERT_NE(0, nFirst) << ::testing::PrintToString(report.Lines());

        // The next Show graph asks the first viewer to quit, which it does not: the tool
        // waits its while, lets it go and starts another. (Every click that had to be
        // repeated left one more such viewer.)
        const DWORD dwClicked = ::GetTickCount();
        const int nSecond = ShowUntilConnected(tool, report, 2);
        ASSERT_NE(0, nSecond) << ::testing::PrintToString(report.Lines());
        std::printf("second viewer connected %lu ms after the click (%d clicks)\n",
                    static_cast<unsigned long>(::GetTickCount() - dwClicked), nSecond);
        // The connected viewer was asked to quit and ignored it. (A viewer of a repeated click
        // that was not ready in time was let go without being asked; one left in its connect
        // dialog was asked too, and ignored it as well.)
        EXPECT_TRUE(report.WaitFor("quit-ignored", 1));
        const std::vector<DWORD> ids = report.StartedProcessIds();
        ASSERT_EQ(static_cast<size_t>(nFirst + nSecond), ids.size());
        EXPECT_TRUE(IsProcessRunning(ids[static_cast<size_t>(nFirst) - 1]));
        const int nIgnoredBeforeClose = report.Count("quit-ignored");
        EXPECT_TRUE(tool.NoBoxShown());

        // Closing runs into the same wait and still ends the tool normally.
        const DWORD dwClosing = ::GetTickCount();
        EXPECT_EQ(0u, tool.CloseAndWait());
        std::printf("closed %lu ms after Esc\n", static_cast<unsigned long>(::GetTickCount() - dwClosing));
        EXPECT_TRUE(report.WaitFor("quit-ignored", nIgnoredBeforeClose + 1));
        EXPECT_TRUE(IsProcessRunning(ids.back()));
        EXPECT_EQ(0, ExactLines(report, "quit"));
    }
    ::CoUninitialize();
}

// Viewers whose connection to the tool outlives the moment the tool lets them go: one still
// calling into the tool when it is asked to quit, one that releases what it got only well
// after the tool's wait (while the next viewer works with the graph), one that ends without
// releasing it. Whatever they do, a second Show graph, a rebuild and the close work, the
// stand-ins' objects come back to what the tool itself holds, and the tool exits with 0.
struct LateViewer
{
    const char* pszName;
    std::vector<std::pair<const wchar_t*, DWORD>> switches;
    const char* pszBusyLine;  // the viewer has reached the graph and is still at it
    // The stand-ins' objects come back to the tool's own. Not for a viewer that ends
    // holding enumerators: the tool cannot reach them to end their connections, and this
    // Wine never cleans up after a client that ended (see docs/show-graph-cycles.md).
    bool bObjectsGo;
};

const LateViewer c_rgLateViewers[] = {
    {"QuitWhileItsCallsAreInFlight", {{L"SlowConnectMs", 40}}, "connecting", true},
    {"ReleasesAfterTheQuitWait", {{L"SlowConnectMs", 20}, {L"HoldAfterQuitMs", 1500}}, "connecting", true},
    {"EndsHoldingTheGraphItsFiltersAndPins", {{L"EndWithoutRelease", 2}}, "holding", true},
    {"EndsHoldingEnumeratorsToo", {{L"EndWithoutRelease", 1}}, "holding", false},
};

void PrintTo(const LateViewer& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class LateViewerTest : public ::testing::TestWithParam<LateViewer>
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_P(LateViewerTest, ShowAgainRebuildAndCloseWorkAndItsObjectsGo)
{
    const LateViewer& c = GetParam();
    CViewerReport report;
    for (const auto& sw : c.switches)
        report.SetSwitch(sw.first, sw.second);
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\demo.grf"));
    // What the tool itself holds: the graph it built.
    const long lOwn = LiveTotal(tool.Process().DebugLines());
    ASSERT_GT(lOwn, 0) << "no live-object count from the stand-ins";

    std::vector<DWORD> rgLetGo;
    ASSERT_NE(0, ShowUntilReported(tool, report, c.pszBusyLine, 1, &rgLetGo))
        << ::testing::PrintToString(report.Lines());
    // The viewer is asked to quit while it is at the graph (the helper fails on a click that
    // does not return).
    ASSERT_NE(0, ShowUntilReported(tool, report, c.pszBusyLine, 2, &rgLetGo))
        << ::testing::PrintToString(report.Lines());
    EXPECT_TRUE(tool.NoBoxShown());

    tool.Click(IDC_BTN_BUILD);
    ASSERT_TRUE(tool.WaitUntilHandled()) << "the rebuild did not return";
    ASSERT_TRUE(tool.Enabled(IDC_BTN_PLAY));
    EXPECT_TRUE(tool.NoBoxShown());
    // Both viewers let go: nothing they held keeps a stand-in object alive.
    long lLive = 0;
    const bool bBack = driver::WaitUntil([&] { return (lLive = LiveTotal(tool.Process().DebugLines())) == lOwn; },
                                         c.bObjectsGo ? driver::DEFAULT_TIMEOUT_MS : 2000);
    std::printf("%s: live objects %ld, the tool's own %ld\n", c.pszName, lLive, lOwn);
    if (c.bObjectsGo)
    {
        EXPECT_TRUE(bBack);
    }

    EXPECT_EQ(0u, tool.CloseAndWait());
    // Every viewer the tool held ends with it; one it let go with its box (on a busy machine)
    // is left to the user, and to the report's clean-up here.
    std::vector<DWORD> ids = report.StartedProcessIds();
    ids.erase(std::remove_if(ids.begin(), ids.end(),
                             [&](DWORD id) { return std::find(rgLetGo.begin(), rgLetGo.end(), id) != rgLetGo.end(); }),
              ids.end());
    EXPECT_TRUE(driver::WaitUntil([&] {
        return std::none_of(ids.begin(), ids.end(), [](DWORD id) { return IsProcessRunning(id); });
    })) << ::testing::PrintToString(report.Lines()) << " let go: " << rgLetGo.size();
}

INSTANTIATE_TEST_SUITE_P(Table, LateViewerTest, ::testing::ValuesIn(c_rgLateViewers),
                         [](const ::testing::TestParamInfo<LateViewer>& info) { return info.param.pszName; });

// A viewer that reads the graph over and over, as one that refreshes its view does: each
// enumerator and filter it got is released right after its last call. Each such release
// removed the last stub of an interface in the tool, and under Wine that removal could
// miss the end of the call just before it and hang the tool's thread for good
// (docs/show-graph-cycles.md). Both viewers finish their reading, and a second Show graph,
// a rebuild and the close work. The hang depended on timing: with the tool before the fix
// this test hung now and then (more often with the other core busy), never after it.
class RereadingViewerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_F(RereadingViewerTest, ItsReleasesNeverHangTheTool)
{
    const DWORD kRounds = 50;
    CViewerReport report;
    report.SetSwitch(L"ReadRounds", kRounds);
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\demo.grf"));
    const long lOwn = LiveTotal(tool.Process().DebugLines());

    const DWORD dwStart = ::GetTickCount();
    ASSERT_NE(0, ShowUntilConnected(tool, report, 1)) << ::testing::PrintToString(report.Lines());
    std::printf("%lu reads of the graph in %lu ms\n", static_cast<unsigned long>(kRounds),
                static_cast<unsigned long>(::GetTickCount() - dwStart));
    // ShowUntilConnected fails when a click does not return.
    ASSERT_NE(0, ShowUntilConnected(tool, report, 2)) << ::testing::PrintToString(report.Lines());

    tool.Click(IDC_BTN_BUILD);
    ASSERT_TRUE(tool.WaitUntilHandled()) << "the rebuild did not return";
    EXPECT_TRUE(tool.Enabled(IDC_BTN_PLAY));
    EXPECT_TRUE(tool.NoBoxShown());
    EXPECT_TRUE(driver::WaitUntil([&] { return LiveTotal(tool.Process().DebugLines()) == lOwn; }));
    EXPECT_EQ(0u, tool.CloseAndWait());
}

// Takes the viewer's "Path" value out of the registry for one test (or puts another path
// in its place) and puts it back as it was, type and all.
class CViewerPathReplaced
{
public:
    explicit CViewerPathReplaced(const wchar_t* pszPath = nullptr)
        : m_dwType(REG_NONE), m_cbData(sizeof(m_rgbData)), m_rgbData()
    {
        m_bHad = ::RegGetValueW(HKEY_LOCAL_MACHINE, c_szKey, L"Path", RRF_RT_ANY | RRF_NOEXPAND, &m_dwType,
                                m_rgbData, &m_cbData) == ERROR_SUCCESS;
        HKEY hKey = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, c_szKey, 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS)
        {
            if (pszPath)
                ::RegSetValueExW(hKey, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszPath),
                                 static_cast<DWORD>((wcslen(pszPath) + 1) * sizeof(wchar_t)));
            else
                ::RegDeleteValueW(hKey, L"Path");
            ::RegCloseKey(hKey);
        }
    }
    ~CViewerPathReplaced()
    {
        HKEY hKey = nullptr;
        if (m_bHad && ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, c_szKey, 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS)
        {
            ::RegSetValueExW(hKey, L"Path", 0, m_dwType, m_rgbData, m_cbData);
            ::RegCloseKey(hKey);
        }
    }
    bool Had() const { return m_bHad; }

private:
    static constexpr const wchar_t* c_szKey = L"Software\\Microsoft\\Shared Tools\\Graphedit";
    DWORD m_dwType;
    DWORD m_cbData;
    BYTE m_rgbData[2 * MAX_PATH];
    bool m_bHad;
};

// A folder with a copy of the viewer in it, removed again afterwards.
class CFolderWithViewer
{
public:
    explicit CFolderWithViewer(const std::wstring& path) : m_path(path)
    {
        ::CreateDirectoryW(m_path.c_str(), nullptr);
        m_bReady = ::CopyFileW(c_szInstalledViewer, Viewer().c_str(), FALSE) != FALSE;
    }
    ~CFolderWithViewer()
    {
        for (const std::wstring& file : m_files)
            ::DeleteFileW(file.c_str());
        ::DeleteFileW(Viewer().c_str());
        ::RemoveDirectoryW(m_path.c_str());
    }
    bool AddCopy(const std::wstring& source, const std::wstring& name)
    {
        m_files.push_back(m_path + L"\\" + name);
        return ::CopyFileW(source.c_str(), m_files.back().c_str(), FALSE) != FALSE;
    }
    std::wstring Viewer() const { return m_path + L"\\graphedt.exe"; }
    const std::wstring& Path() const { return m_path; }
    bool Ready() const { return m_bReady; }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
    bool m_bReady;
};

TEST(ShowGraphLaunchTest, WithoutPathTheViewerComesFromTheFolderTheToolStartedInEvenAfterLoad)
{
    ::CoInitialize(nullptr);
    {
        // Declared first, so that the viewers are ended before their folders go.
        CFolderWithViewer start(L"C:\\e2e-start-folder");
        CFolderWithViewer graphs(L"C:\\e2e-graph-folder");
        ASSERT_TRUE(start.Ready() && graphs.Ready());
        ASSERT_TRUE(graphs.AddCopy(L"C:\\fixtures\\short.grf", L"short.grf"));
        CViewerPathReplaced noPath;
        ASSERT_TRUE(noPath.Had());
        CViewerReport report;

        CToolSession tool(L"MeridelTest.exe", start.Path());
        ASSERT_TRUE(tool.Started());
        // A graph chosen with Load... from a folder that holds a viewer of its own.
        const std::wstring graph = graphs.Path() + L"\\short.grf";
        ASSERT_TRUE(tool.ChooseInOpenDialog(graph));
        ASSERT_EQ(graph, tool.Text(IDC_EDIT_FILE));
        ASSERT_TRUE(tool.BuildAndWait(graph));

        const int nClicks = ShowUntilConnected(tool, report, 1);
        ASSERT_NE(0, nClicks) << ::testing::PrintToString(report.Lines());
        const std::vector<DWORD> ids = report.StartedProcessIds();
        ASSERT_EQ(static_cast<size_t>(nClicks), ids.size());
        // The connected one (any earlier one has been asked to quit).
        const std::wstring program = CViewerReport::ProgramOf(ids.back());
        EXPECT_TRUE(SamePath(start.Viewer(), program)) << ::testing::PrintToString(program);
        EXPECT_EQ(0u, tool.CloseAndWait());
    }
    ::CoUninitialize();
}

// A viewer that cannot be started: the user sees the platform's reason, and the tracing
// copy says which step failed, the publication having gone through.
TEST(ShowGraphLaunchTest, AViewerThatCannotBeStartedIsReportedAndTraced)
{
    ::CoInitialize(nullptr);
    {
        CViewerPathReplaced missing(L"C:\\no-such-folder\\graphedt.exe");
        ASSERT_TRUE(missing.Had());
        CToolSession tool(L"MeridelTestTrace.exe");
        ASSERT_TRUE(tool.Started());
        ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
        tool.Click(IDC_BTN_SHOW);
        const HRESULT hrPathNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't show graph", hrPathNotFound), true));
        EXPECT_EQ(1, tool.Process().CountDebugLines(
                         L"###Err### CGraphEdit::LoadGraphEdit(): CreateProcess() failed, error 3"));
        EXPECT_EQ(0, tool.Process().CountDebugLines(L"AddToRot() failed"));
        EXPECT_EQ(1u, RotEntriesOf(tool.Process().ProcessId()).size());
        EXPECT_EQ(0u, tool.CloseAndWait());
    }
    ::CoUninitialize();
}

} // namespace
