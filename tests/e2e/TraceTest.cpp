// What the tool writes to the debugger: trace lines filtered by the built-in threshold,
// failure reports at the failure points, and the message map's routing answers.
#include <gtest/gtest.h>

#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szEventTrace[] = L"CMainDialog::OnGraphNotify(): event 0x";

// Builds and plays the short graph to its end in the given copy of the tool, then closes.
void PlayToEnd(CToolSession& tool)
{
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    tool.Click(IDC_BTN_PLAY);
    EXPECT_TRUE(tool.ExpectBox(L"The end", false));
    tool.SetText(IDC_EDIT_FILE, L"C:\\fixtures\\short.txt");
    tool.Click(IDC_BTN_BUILD);
    EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't build graph", E_INVALIDARG), true));
    EXPECT_EQ(0u, tool.CloseAndWait());
}

TEST(TraceTest, GraphEventsAreTracedAtLevelTwoOnlyWhenTheThresholdAllows)
{
    CToolSession tracing(L"MeridelTestTrace.exe");
    PlayToEnd(tracing);
    std::vector<std::wstring> events;
    for (const std::wstring& line : tracing.Process().DebugLines())
        if (line.rfind(c_szEventTrace, 0) == 0)
            events.push_back(line.substr(wcslen(c_szEventTrace)));
    ASSERT_FALSE(events.empty()) << "no graph event other than the end was traced";
    for (const std::wstring& code : events)
    {
        // Upper-case hexadecimal without leading zeros, and never the end of the stream.
        EXPECT_EQ(std::wstring::npos, code.find_first_not_of(L"0123456789ABCDEF")) << code.c_str();
        EXPECT_NE(L'0', code[0]);
        EXPECT_NE(L"1", code);
    }

    CToolSession quiet;
    PlayToEnd(quiet);
    EXPECT_EQ(0, quiet.Process().CountDebugLines(c_szEventTrace));

    // Failure reports do not depend on the threshold.
    for (CToolSession* pTool : {&tracing, &quiet})
        EXPECT_EQ(1, pTool->Process().CountDebugLines(L"Assertion failed: CGraph::BuildGraph(): file is not .grf"));
}

TEST(TraceTest, FailurePointsReportWhatFailed)
{
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    const struct
    {
        const wchar_t* pszPath;
        const wchar_t* pszReport;
    } rgCases[] = {
        {L"C:\\fixtures\\notcompound.grf", L"CGraph::BuildFromGRFFile(): Can't open .grf file"},
        {L"C:\\fixtures\\nostream.grf", L"CGraph::BuildFromGRFFile(): Invalid .grf file"},
        {L"C:\\fixtures\\badstream.grf", L"CGraph::BuildFromGRFFile(): Can't load data from .grf file"},
    };
    for (const auto& c : rgCases)
    {
        tool.SetText(IDC_EDIT_FILE, c.pszPath);
        tool.Click(IDC_BTN_BUILD);
        driver::MessageBoxInfo box;
        ASSERT_TRUE(driver::WaitForMessageBox(tool.Process().ProcessId(), tool.Dialog(), &box));
        driver::DismissMessageBox(box);
        EXPECT_EQ(1, tool.Process().CountDebugLines(std::wstring(L"Assertion failed: ") + c.pszReport)) << c.pszPath;
    }
    // A graph without the synchronizer is not a failure of the build: nothing is reported.
    int nReports = tool.Process().CountDebugLines(L"Assertion failed");
    tool.SetText(IDC_EDIT_FILE, L"C:\\fixtures\\nosync.grf");
    tool.Click(IDC_BTN_BUILD);
    EXPECT_TRUE(tool.ExpectBox(L"Brelvox A/V Synchronizer is not found in the graph", false));
    EXPECT_EQ(nReports, tool.Process().CountDebugLines(L"Assertion failed"));
}

TEST(MessageMapTest, RoutesByMessageIdAndCodeAndRejectsOtherMapIds)
{
    driver::CToolProcess router;
    ASSERT_TRUE(router.Start(driver::ProgramFolder() + L"maprouter.exe"));
    DWORD dwExit = 0;
    ASSERT_TRUE(router.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit));
    // Handled: WM_GRAPHNOTIFY (0), a button with any code (1), the path edit's EN_CHANGE (8).
    EXPECT_EQ((1u << 0) | (1u << 1) | (1u << 8), dwExit);
    EXPECT_EQ(1, router.CountDebugLines(L"Invalid message map ID (1)"));
    EXPECT_EQ(1, router.CountDebugLines(L"Assertion failed: FALSE"));
}

} // namespace
