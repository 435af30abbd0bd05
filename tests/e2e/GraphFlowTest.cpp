// The user's main road: build a graph from a file, set the synchronizer's duration, play to
// the end; and every failure on the way, as the message box the user gets.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dshow.h>

#include "ToolSession.h"
#include "atl/AtlComPtr.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szFixtures[] = L"C:\\fixtures\\";
const int c_rgGraphControls[] = {IDC_EDIT_DURATION, IDC_SPIN_DURATION, IDC_BTN_PLAY, IDC_BTN_PAUSE, IDC_BTN_STOP};

std::wstring Fixture(const wchar_t* pszName)
{
    return std::wstring(c_szFixtures) + pszName;
}

// How far a graph file is read.
enum class GraphFileStep
{
    Open,        // the compound file
    OpenStream,  // its graph stream
    Load,        // the graph manager loading that stream
};

// What reading `path` the way the tool does yields in this prefix, up to `last`.
HRESULT ReadLikeTheTool(const std::wstring& path, GraphFileStep last)
{
    const DWORD dwMode = STGM_READ | STGM_SHARE_EXCLUSIVE;
    CComPtr<IStorage> spStorage;
    HRESULT hr = ::StgOpenStorage(path.c_str(), nullptr, dwMode, nullptr, 0, &spStorage);
    if (FAILED(hr) || last == GraphFileStep::Open)
        return hr;
    CComPtr<IStream> spStream;
    hr = spStorage->OpenStream(L"ActiveMovieGraph", nullptr, dwMode, 0, &spStream);
    if (FAILED(hr) || last == GraphFileStep::OpenStream)
        return hr;
    CComPtr<IPersistStream> spPersist;
    hr = spPersist.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStream);
    if (FAILED(hr))
        return hr;
    return spPersist->Load(spStream);
}

// Whether nobody holds the file open any more: it opens without sharing (a file that does
// not exist is not held either).
::testing::AssertionResult NotHeldOpen(const std::wstring& path)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile != INVALID_HANDLE_VALUE)
    {
        ::CloseHandle(hFile);
        return ::testing::AssertionSuccess();
    }
    const DWORD dwError = ::GetLastError();
    if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND || dwError == ERROR_INVALID_NAME)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(path) << " is still open (error " << dwError << ")";
}

// The graph manager stand-in's switch for what Run answers, set for one test.
class CRunResult
{
public:
    explicit CRunResult(HRESULT hr)
    {
        HKEY hKey = nullptr;
        const DWORD dwValue = static_cast<DWORD>(hr);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, c_szKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, L"RunResult", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
        ::RegCloseKey(hKey);
    }
    ~CRunResult() { ::RegDeleteKeyW(HKEY_CURRENT_USER, c_szKey); }

private:
    static constexpr const wchar_t* c_szKey = L"Software\\StandIns\\GraphManager";
};

class GraphFlowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    void SetUp() override { ASSERT_TRUE(m_tool.Started()); }

    // Builds `path` and waits until the dialog has handled the click.
    void Build(const std::wstring& path)
    {
        m_tool.SetText(IDC_EDIT_FILE, path);
        m_tool.Click(IDC_BTN_BUILD);
        m_tool.Sync();
    }
    void BuildOk(const std::wstring& path)
    {
        ASSERT_TRUE(m_tool.BuildAndWait(path)) << "graph not built";
        ASSERT_TRUE(m_tool.NoBoxShown());
    }
    bool GraphControlsEnabled(bool bEnabled)
    {
        for (int nID : c_rgGraphControls)
            if (m_tool.Enabled(nID) != bEnabled)
                return false;
        return true;
    }
    // The duration box after the dialog has applied a new text.
    std::wstring TypeDuration(const std::wstring& text)
    {
        m_tool.SetText(IDC_EDIT_DURATION, text);
        m_tool.Sync();
        return m_tool.Text(IDC_EDIT_DURATION);
    }
    // The top-level windows of the tool other than its dialog: the video window.
    HWND VideoWindow()
    {
        for (HWND hWnd : driver::TopLevelWindows(m_tool.Process().ProcessId()))
            if (hWnd != m_tool.Dialog() && ::IsWindowVisible(hWnd) && driver::ClassName(hWnd) != L"#32770")
                return hWnd;
        return nullptr;
    }

    CToolSession m_tool;
};

TEST_F(GraphFlowTest, BuildOnTheDefaultPathEnablesTheControlsAndShowsTheVideoAboveTheDialog)
{
    m_tool.Click(IDC_BTN_BUILD);
    ASSERT_TRUE(driver::WaitUntil([&] { return GraphControlsEnabled(true); }));
    ASSERT_TRUE(m_tool.NoBoxShown());
    HWND hVideo = nullptr;
    ASSERT_TRUE(driver::WaitUntil([&] { return (hVideo = VideoWindow()) != nullptr; }));

    RECT rcArea = {}, rcDialog = {}, rcVideo = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    ::GetWindowRect(m_tool.Dialog(), &rcDialog);
    ::GetWindowRect(hVideo, &rcVideo);
    long nWidth = rcVideo.right - rcVideo.left, nHeight = rcVideo.bottom - rcVideo.top;
    long nTop = rcDialog.top - nHeight;
    EXPECT_EQ(nTop < 0 ? 0 : nTop, rcVideo.top);
    EXPECT_EQ((rcArea.right - rcArea.left - nWidth) / 2, rcVideo.left);
    // The tool never makes the video window its own.
    EXPECT_EQ(nullptr, ::GetWindow(hVideo, GW_OWNER));
    // The box is not refreshed by a build.
    EXPECT_EQ(L"0", m_tool.Text(IDC_EDIT_DURATION));
}

struct BuildFailure
{
    const char* pszName;
    const wchar_t* pszPath;
    bool bRejectedName;  // refused for its name alone, with E_INVALIDARG
    GraphFileStep failingStep;
};

const BuildFailure c_rgBuildFailures[] = {
    {"NotGrfName", L"C:\\fixtures\\short.grf.bak", true, GraphFileStep::Open},
    {"ShortName", L"grf", true, GraphFileStep::Open},
    {"MissingFile", L"C:\\fixtures\\missing.grf", false, GraphFileStep::Open},
    {"NotCompoundFile", L"C:\\fixtures\\notcompound.grf", false, GraphFileStep::Open},
    {"NoGraphStream", L"C:\\fixtures\\nostream.grf", false, GraphFileStep::OpenStream},
    {"StreamCannotBeLoaded", L"C:\\fixtures\\badstream.grf", false, GraphFileStep::Load},
};

class BuildFailureTest : public GraphFlowTest, public ::testing::WithParamInterface<BuildFailure>
{
};

TEST_P(BuildFailureTest, SaysCantBuildGraphWithTheCodeAndDisablesTheControls)
{
    const BuildFailure& c = GetParam();
    HRESULT hr = c.bRejectedName ? E_INVALIDARG : ReadLikeTheTool(c.pszPath, c.failingStep);
    ASSERT_TRUE(FAILED(hr)) << "the fixture does not fail here";
    BuildOk(Fixture(L"short.grf"));
    Build(c.pszPath);
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't build graph", hr), true));
    EXPECT_TRUE(GraphControlsEnabled(false));
    // Whatever failed, the tool has let go of the file.
    EXPECT_TRUE(NotHeldOpen(c.pszPath));
}

INSTANTIATE_TEST_SUITE_P(Table, BuildFailureTest, ::testing::ValuesIn(c_rgBuildFailures),
                         [](const ::testing::TestParamInfo<BuildFailure>& info) { return info.param.pszName; });

TEST_F(GraphFlowTest, EmptyPathSaysNoFileSelectedAndDisablesTheControls)
{
    BuildOk(Fixture(L"short.grf"));
    Build(L"");
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L".grf file not selected", E_INVALIDARG), true));
    EXPECT_TRUE(GraphControlsEnabled(false));
}

TEST_F(GraphFlowTest, PathLongerThan259CharactersIsCutBeforeItIsBuilt)
{
    // 259 characters ending in ".grf", then more: only the first 259 reach Build graph, so
    // the name passes the ".grf" check and the file is looked for (and not found).
    std::wstring kept = Fixture(L"") + std::wstring(259 - 12 - 4, L'a') + L".grf";
    ASSERT_EQ(259u, kept.size());
    HRESULT hr = ReadLikeTheTool(kept, GraphFileStep::Open);
    ASSERT_TRUE(FAILED(hr));
    Build(kept + L"-and-more-that-does-not-fit");
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't build graph", hr), true));
}

TEST_F(GraphFlowTest, RejectedNameKeepsTheEarlierGraphRunningToItsEnd)
{
    BuildOk(Fixture(L"demo.grf"));
    m_tool.Click(IDC_BTN_PLAY);
    Build(L"C:\\fixtures\\demo.txt");
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't build graph", E_INVALIDARG), true));
    EXPECT_TRUE(GraphControlsEnabled(false));
    // The earlier graph still plays and still tells the dialog about its end.
    EXPECT_TRUE(m_tool.ExpectBox(L"The end", false));
}

TEST_F(GraphFlowTest, GraphWithoutSynchronizerGivesAPlainBoxAndLeavesTheControls)
{
    Build(Fixture(L"nosync.grf"));
    EXPECT_TRUE(m_tool.ExpectBox(L"Brelvox A/V Synchronizer is not found in the graph", false));
    EXPECT_TRUE(GraphControlsEnabled(false));
    EXPECT_TRUE(NotHeldOpen(Fixture(L"nosync.grf")));

    BuildOk(Fixture(L"short.grf"));
    EXPECT_TRUE(NotHeldOpen(Fixture(L"short.grf")));
    Build(Fixture(L"nosync.grf"));
    EXPECT_TRUE(m_tool.ExpectBox(L"Brelvox A/V Synchronizer is not found in the graph", false));
    EXPECT_TRUE(GraphControlsEnabled(true));
    // The duration now has no synchronizer to go to.
    m_tool.SetText(IDC_EDIT_DURATION, L"120");
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't change audio duration", E_FAIL), true));
    m_tool.Sync();
    EXPECT_EQ(L"120", m_tool.Text(IDC_EDIT_DURATION));
}

TEST_F(GraphFlowTest, GraphWithoutVideoRendererBuildsAndPlaysWithoutAVideoWindow)
{
    BuildOk(Fixture(L"novideo.grf"));
    EXPECT_TRUE(GraphControlsEnabled(true));
    EXPECT_TRUE(NotHeldOpen(Fixture(L"novideo.grf")));
    EXPECT_EQ(nullptr, VideoWindow());
    m_tool.Click(IDC_BTN_PLAY);
    ASSERT_TRUE(m_tool.WaitUntilHandled());
    driver::MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(m_tool.Process().ProcessId(), m_tool.Dialog(), &box))
        << ::testing::PrintToString(box.text);
    EXPECT_EQ(nullptr, VideoWindow());
}

// Play as the user sees its result: the graph manager stand-in answers Run with the code of
// the row. A failure gets its box with that code (and the graph stays stopped); a success
// of another kind gets none, and the stream plays to its end.
struct PlayResult
{
    const char* pszName;
    HRESULT hrRun;
};

const PlayResult c_rgPlayResults[] = {
    {"AccessDenied", E_ACCESSDENIED},
    {"FilterRuntimeError", VFW_E_RUNTIME_ERROR},
    {"FalseIsNoFailure", S_FALSE},
};

void PrintTo(const PlayResult& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class PlayResultTest : public GraphFlowTest, public ::testing::WithParamInterface<PlayResult>
{
};

TEST_P(PlayResultTest, FailuresSayCantPlayFileWithTheCode)
{
    const PlayResult& c = GetParam();
    BuildOk(Fixture(L"short.grf"));
    CRunResult runResult(c.hrRun);
    m_tool.Click(IDC_BTN_PLAY);
    if (FAILED(c.hrRun))
        EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't play file", c.hrRun), true));
    else
        EXPECT_TRUE(m_tool.ExpectBox(L"The end", false));
    EXPECT_TRUE(GraphControlsEnabled(true));
    ASSERT_TRUE(m_tool.WaitUntilHandled());
    EXPECT_TRUE(m_tool.NoBoxShown());
}

INSTANTIATE_TEST_SUITE_P(Table, PlayResultTest, ::testing::ValuesIn(c_rgPlayResults),
                         [](const ::testing::TestParamInfo<PlayResult>& info) { return info.param.pszName; });

TEST_F(GraphFlowTest, DurationIsSentAndReadBack)
{
    BuildOk(Fixture(L"short.grf"));
    EXPECT_EQ(L"250", TypeDuration(L"250"));
    EXPECT_EQ(L"5000", TypeDuration(L"5000"));
    // An empty box sends nothing and is refilled with what the filter holds.
    EXPECT_EQ(L"5000", TypeDuration(L""));
    EXPECT_TRUE(m_tool.NoBoxShown());
}

TEST_F(GraphFlowTest, DurationShowsWhatARoundingSynchronizerHolds)
{
    BuildOk(Fixture(L"rounding.grf"));
    // It starts at 0.2506 s; the first change that sends nothing reads that back.
    EXPECT_EQ(L"251", TypeDuration(L""));
    // It keeps multiples of 2.5 ms.
    EXPECT_EQ(L"250", TypeDuration(L"251"));
    EXPECT_EQ(L"253", TypeDuration(L"252"));
}

TEST_F(GraphFlowTest, DurationFailuresReachTheUser)
{
    BuildOk(Fixture(L"refuse.grf"));
    m_tool.SetText(IDC_EDIT_DURATION, L"250");
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't change audio duration", E_FAIL), true));
    m_tool.Sync();
    EXPECT_EQ(L"250", m_tool.Text(IDC_EDIT_DURATION));

    BuildOk(Fixture(L"setfail.grf"));
    m_tool.SetText(IDC_EDIT_DURATION, L"300");
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't change audio duration", E_NOTIMPL), true));
    m_tool.Sync();
    // The filter kept its own value, and the box shows it.
    EXPECT_EQ(L"0", m_tool.Text(IDC_EDIT_DURATION));
}

TEST_F(GraphFlowTest, SpinStepsBy10Below500And50FromThere)
{
    BuildOk(Fixture(L"short.grf"));
    HWND hEdit = m_tool.Item(IDC_EDIT_DURATION);
    const struct
    {
        const wchar_t* pszStart;
        WORD vk;
        const wchar_t* pszExpected;
    } rgSteps[] = {
        {L"490", VK_UP, L"500"},   {L"500", VK_UP, L"550"},   {L"500", VK_DOWN, L"450"},
        {L"0", VK_UP, L"10"},      {L"1000", VK_UP, L"1000"}, {L"0", VK_DOWN, L"0"},
        {L"550", VK_DOWN, L"500"}, {L"10", VK_DOWN, L"0"},
    };
    for (const auto& s : rgSteps)
    {
        EXPECT_EQ(s.pszStart, TypeDuration(s.pszStart));
        driver::PressKey(hEdit, s.vk);
        m_tool.Sync();
        EXPECT_EQ(s.pszExpected, m_tool.Text(IDC_EDIT_DURATION)) << "from " << ::testing::PrintToString(s.pszStart);
    }
}

TEST_F(GraphFlowTest, WithoutAGraphTheDurationBoxChangesNothing)
{
    // The box is disabled, but a program can still change its text: nothing may be sent.
    m_tool.SetText(IDC_EDIT_DURATION, L"250");
    EXPECT_TRUE(m_tool.NoBoxShown());
    EXPECT_EQ(L"250", m_tool.Text(IDC_EDIT_DURATION));
}

TEST_F(GraphFlowTest, PlayingToTheEndSaysTheEndOnceAndPlaysAgain)
{
    BuildOk(Fixture(L"short.grf"));
    for (int nRun = 0; nRun < 2; ++nRun)
    {
        m_tool.Click(IDC_BTN_PLAY);
        EXPECT_TRUE(m_tool.ExpectBox(L"The end", false)) << "run " << nRun;
        EXPECT_TRUE(m_tool.NoBoxShown());
        EXPECT_TRUE(GraphControlsEnabled(true));
    }
}

TEST_F(GraphFlowTest, TransportWithoutAGraph)
{
    m_tool.Click(IDC_BTN_SHOW);
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't show graph", E_FAIL), true));
    // Play and Pause are disabled without a graph; their messages still reach the dialog.
    for (int nID : {IDC_BTN_PLAY, IDC_BTN_PAUSE})
    {
        ::PostMessageW(m_tool.Dialog(), WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), (LPARAM)m_tool.Item(nID));
        EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Graph not exist", E_FAIL), true)) << nID;
    }
    ::PostMessageW(m_tool.Dialog(), WM_COMMAND, MAKEWPARAM(IDC_BTN_STOP, BN_CLICKED), (LPARAM)m_tool.Item(IDC_BTN_STOP));
    EXPECT_TRUE(m_tool.NoBoxShown());
}

// One stream: this Wine's AVI Splitter can hang for good in a Stop that comes right after
// Play when it splits two streams (it waits for an audio buffer that sits behind video
// nobody reads any more), whatever the filters after it.
TEST_F(GraphFlowTest, PauseAndStopAreSilent)
{
    BuildOk(Fixture(L"novideo.grf"));
    m_tool.Click(IDC_BTN_PLAY);
    m_tool.Click(IDC_BTN_PAUSE);
    m_tool.Click(IDC_BTN_STOP);
    EXPECT_TRUE(m_tool.NoBoxShown());
    EXPECT_TRUE(GraphControlsEnabled(true));
}

TEST_F(GraphFlowTest, LoadFillsThePathOnlyWhenAFileIsChosen)
{
    const std::wstring initial = m_tool.Text(IDC_EDIT_FILE);
    for (bool bChoose : {false, true})
    {
        m_tool.Click(IDC_BTN_LOAD);
        HWND hOpen = driver::WaitForDialog(m_tool.Process().ProcessId(), L"Select GRF file or All file");
        ASSERT_NE(nullptr, hOpen);
        if (bChoose)
        {
            // The file name box: the dialog's one visible edit control, wherever it sits.
            HWND hEdit = FindVisibleEdit(hOpen);
            ASSERT_NE(nullptr, hEdit);
            driver::SetEditText(hEdit, Fixture(L"short.grf"));
            ::PostMessageW(hOpen, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        else
        {
            ::PostMessageW(hOpen, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        ASSERT_TRUE(driver::WaitUntil([&] { return !::IsWindow(hOpen); }));
        m_tool.Sync();
        EXPECT_EQ(bChoose ? Fixture(L"short.grf") : initial, m_tool.Text(IDC_EDIT_FILE));
    }
    // What Load... filled in is what Build graph uses.
    m_tool.Click(IDC_BTN_BUILD);
    EXPECT_TRUE(driver::WaitUntil([&] { return GraphControlsEnabled(true); }));
}

TEST(GraphLifetimeTest, ClosingReleasesEveryStandInObject)
{
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    tool.Click(IDC_BTN_PLAY);
    EXPECT_TRUE(tool.ExpectBox(L"The end", false));
    EXPECT_EQ(0u, tool.CloseAndWait());
    // The stand-in filters report their live objects as they go; the last report of the
    // library must be zero.
    std::wstring last;
    for (const std::wstring& line : tool.Process().DebugLines())
        if (line.find(L"live objects") != std::wstring::npos)
            last = line;
    ASSERT_FALSE(last.empty()) << "the stand-in filters never reported";
    EXPECT_NE(std::wstring::npos, last.find(L"live objects 0")) << ::testing::PrintToString(last);
}

} // namespace
