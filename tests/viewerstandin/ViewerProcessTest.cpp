// The viewer as the launcher drives it: started without arguments, found by process and
// style, connect command posted, entry of this process's graph selected, OK posted, WM_QUIT
// posted to its primary thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "EntryGrammar.h"
#include "TestGraph.h"
#include "ViewerHarness.h"

namespace
{
    const DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    const WPARAM kConnectCommand = 0x00018034;

    std::vector<std::wstring> SplitNames(const std::wstring& strNames)
    {
        std::vector<std::wstring> rgNames;
        size_t iStart = 0;
        for (size_t iEnd; (iEnd = strNames.find(L'|', iStart)) != std::wstring::npos; iStart = iEnd + 1)
            rgNames.push_back(strNames.substr(iStart, iEnd - iStart));
        rgNames.push_back(strNames.substr(iStart));
        return rgNames;
    }

    std::vector<std::wstring> Sorted(std::vector<std::wstring> rg)
    {
        std::sort(rg.begin(), rg.end());
        return rg;
    }

    std::string Dump(const std::vector<std::wstring>& rgLines)
    {
        std::string str;
        for (const std::wstring& strLine : rgLines)
            str += "  " + Narrow(strLine) + "\n";
        return str;
    }

    // Every prefix appears as the start of some line, each after the previous one.
    testing::AssertionResult LinesInOrder(const std::vector<std::wstring>& rgLines,
                                          const std::vector<std::wstring>& rgPrefixes)
    {
        size_t iLine = 0;
        for (const std::wstring& strPrefix : rgPrefixes)
        {
            while (iLine < rgLines.size() && rgLines[iLine].compare(0, strPrefix.size(), strPrefix) != 0)
                ++iLine;
            if (iLine == rgLines.size())
                return testing::AssertionFailure() << "no \"" << Narrow(strPrefix) << "\" in order in:\n"
                                                   << Dump(rgLines);
            ++iLine;
        }
        return testing::AssertionSuccess();
    }

    int FindGraphEntry(const std::vector<std::wstring>& rgEntries, DWORD dwGraph)
    {
        for (size_t i = 0; i < rgEntries.size(); ++i)
            if (EntryNamesGraph(rgEntries[i].c_str(), GetCurrentProcessId(), dwGraph))
                return static_cast<int>(i);
        return -1;
    }

    HWND WaitForVisibleMainWindow(const CViewerProcess& viewer, DWORD dwStyleMask)
    {
        HWND hWnd = nullptr;
        PumpUntil(kAppearMs, [&] {
            hWnd = viewer.FindTopLevelWindow(dwStyleMask);
            return hWnd && IsWindowVisible(hWnd);
        });
        return hWnd && IsWindowVisible(hWnd) ? hWnd : nullptr;
    }

    SConnectDialog OpenConnectDialog(const CViewerProcess& viewer, HWND hWndMain)
    {
        SConnectDialog dialog;
        if (!PostMessageW(hWndMain, WM_COMMAND, kConnectCommand, 0))
            return dialog;
        PumpUntil(kAppearMs, [&] {
            dialog = viewer.FindConnectDialog(hWndMain);
            return dialog.hWndListBox != nullptr;
        });
        return dialog;
    }

    HWND ChildListBox(HWND hWndParent)
    {
        HWND hWndFound = nullptr;
        EnumChildWindows(
            hWndParent,
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                if (WindowClassName(hWnd) != L"ListBox")
                    return TRUE;
                *reinterpret_cast<HWND*>(lParam) = hWnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&hWndFound));
        return hWndFound;
    }
}

TEST(ViewerProcess, ConnectsToTheSelectedGraphAndEndsOnWmQuit)
{
    const std::vector<std::wstring> rgFilterNames = {L"Video Renderer", L"Vid\u00e9o Preview \u00df"};
    CTestGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Create(rgFilterNames));
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start({}));
    ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));

    // Found the way the launcher finds it: right after input idle, by process and style.
    HWND hWndMain = viewer.FindTopLevelWindow(kMainWindowStyle);
    ASSERT_NE(nullptr, hWndMain);
    ASSERT_EQ(hWndMain, WaitForVisibleMainWindow(viewer, kMainWindowStyle));
    EXPECT_FALSE(IsIconic(hWndMain));
    EXPECT_FALSE(IsZoomed(hWndMain));

    SConnectDialog dialog = OpenConnectDialog(viewer, hWndMain);
    ASSERT_NE(nullptr, dialog.hWndListBox) << Dump(viewer.ReportLines());
    EXPECT_EQ(hWndMain, GetParent(dialog.hWndDialog));
    EXPECT_EQ(dialog.hWndDialog, GetParent(dialog.hWndListBox));
    EXPECT_NE(kMainWindowStyle, static_cast<DWORD>(GetWindowLongW(dialog.hWndDialog, GWL_STYLE)) & kMainWindowStyle)
        << "the dialog would pass for a main window";

    std::vector<std::wstring> rgEntries = ListBoxEntries(dialog.hWndListBox);
    int iEntry = FindGraphEntry(rgEntries, graph.GraphNumber());
    ASSERT_NE(-1, iEntry) << "graph " << std::hex << graph.GraphNumber() << " not listed:\n" << Dump(rgEntries);
    EXPECT_LE(rgEntries[iEntry].size(), 63u);
    EXPECT_EQ(1, std::count_if(rgEntries.begin(), rgEntries.end(), [&](const std::wstring& s) {
                  return EntryNamesGraph(s.c_str(), GetCurrentProcessId(), graph.GraphNumber());
              }));

    ASSERT_NE(LB_ERR, SendMessageW(dialog.hWndListBox, LB_SETCURSEL, static_cast<WPARAM>(iEntry), 0));
    ASSERT_TRUE(PostMessageW(GetParent(dialog.hWndListBox), WM_COMMAND, IDOK, 0));

    // The viewer calls back into this apartment while it binds: the wait pumps.
    std::wstring strConnected;
    ASSERT_TRUE(viewer.WaitForReportLine(L"connected ", kAppearMs, &strConnected)) << Dump(viewer.ReportLines());
    wchar_t szHead[64] = {};
    swprintf(szHead, 64, L"connected graph=%08x filters=", static_cast<unsigned>(graph.GraphNumber()));
    ASSERT_EQ(0u, strConnected.find(szHead)) << Narrow(strConnected);
    EXPECT_EQ(Sorted(rgFilterNames), Sorted(SplitNames(strConnected.substr(wcslen(szHead)))));
    EXPECT_TRUE(LinesInOrder(viewer.ReportLines(), {L"started pid=", L"connect-command", L"connect-dialog",
                                                    L"selected=" + rgEntries[iEntry], L"ok", szHead}));

    EXPECT_TRUE(PumpUntil(kAppearMs, [&] { return !IsWindow(dialog.hWndDialog); })) << "dialog stays open after OK";
    HWND hWndFilters = ChildListBox(hWndMain);
    ASSERT_NE(nullptr, hWndFilters);
    EXPECT_EQ(Sorted(rgFilterNames), Sorted(ListBoxEntries(hWndFilters)));

    ASSERT_TRUE(viewer.QuitAndWaitForExit());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(viewer.Thread(), 0));
    DWORD dwExitCode = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(viewer.Process(), &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    std::vector<std::wstring> rgLines = viewer.ReportLines();
    ASSERT_FALSE(rgLines.empty());
    EXPECT_EQ(L"quit", rgLines.back());
}

TEST(ViewerProcess, CancelClosesTheDialogAndWmQuitEndsTheViewerWhileTheDialogIsOpen)
{
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start({}));
    ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
    HWND hWndMain = WaitForVisibleMainWindow(viewer, kMainWindowStyle);
    ASSERT_NE(nullptr, hWndMain);

    SConnectDialog dialog = OpenConnectDialog(viewer, hWndMain);
    ASSERT_NE(nullptr, dialog.hWndListBox);
    ASSERT_TRUE(PostMessageW(dialog.hWndDialog, WM_COMMAND, IDCANCEL, 0));
    ASSERT_TRUE(viewer.WaitForReportLine(L"cancel", kAppearMs));
    EXPECT_TRUE(PumpUntil(kAppearMs, [&] { return !IsWindow(dialog.hWndDialog); }));
    EXPECT_FALSE(viewer.HasExited());
    EXPECT_TRUE(IsWindowVisible(hWndMain));

    dialog = OpenConnectDialog(viewer, hWndMain);
    ASSERT_NE(nullptr, dialog.hWndListBox) << "the connect command works again after a cancel";
    ASSERT_TRUE(viewer.QuitAndWaitForExit()) << Dump(viewer.ReportLines());
    std::vector<std::wstring> rgLines = viewer.ReportLines();
    EXPECT_TRUE(LinesInOrder(rgLines, {L"connect-dialog", L"cancel", L"connect-dialog", L"quit"}));
    EXPECT_EQ(rgLines.end(), std::find(rgLines.begin(), rgLines.end(), L"ok"));
}

namespace
{
    // One registry switch, the run it configures and what must hold of the viewer then.
    struct SSwitchCase
    {
        const char* pszName;
        SViewerSwitches switches;
        std::function<void(CViewerProcess& viewer, const CTestGraph& graph)> fnCheck;
    };

    void PrintTo(const SSwitchCase& c, std::ostream* pOut)
    {
        *pOut << c.pszName;
    }

    std::wstring GraphEntryDecoy()
    {
        // This process and a listed graph number, but with text after the number.
        wchar_t szDecoy[64] = {};
        swprintf(szDecoy, 64, L"pid %x (decoy) IFilterGraph = %x ", static_cast<unsigned>(GetCurrentProcessId()),
                 0x1234u);
        return szDecoy;
    }

    // Delays of the switch cases; they leave seconds of margin to the checks made before
    // they end.
    const DWORD kDelayMs = 4000;

    const std::wstring kLongDecoy = L"pid 1 (a decoy much longer than any buffer of 64 characters would hold, "
                                    L"for the launcher's overrun check) IFilterGraph = 2";

    void CheckNoSizingFrame(CViewerProcess& viewer, const CTestGraph&)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = WaitForVisibleMainWindow(viewer, WS_CAPTION | WS_SYSMENU);
        ASSERT_NE(nullptr, hWndMain);
        EXPECT_EQ(0u, static_cast<DWORD>(GetWindowLongW(hWndMain, GWL_STYLE)) & WS_THICKFRAME);
        EXPECT_EQ(nullptr, viewer.FindTopLevelWindow(kMainWindowStyle));
    }

    void CheckExtraEntries(CViewerProcess& viewer, const CTestGraph& graph)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = WaitForVisibleMainWindow(viewer, kMainWindowStyle);
        ASSERT_NE(nullptr, hWndMain);
        SConnectDialog dialog = OpenConnectDialog(viewer, hWndMain);
        ASSERT_NE(nullptr, dialog.hWndListBox);

        const std::vector<std::wstring> rgDecoys = {L"pid 1 IFilterGraph = 2", kLongDecoy, GraphEntryDecoy()};
        std::vector<std::wstring> rgEntries = ListBoxEntries(dialog.hWndListBox);
        ASSERT_GT(rgEntries.size(), rgDecoys.size()) << Dump(rgEntries);
        EXPECT_EQ(rgDecoys, std::vector<std::wstring>(rgEntries.begin(), rgEntries.begin() + 3))
            << "the extra entries come first, verbatim:\n" << Dump(rgEntries);
        EXPECT_EQ(-1, FindGraphEntry(rgDecoys, 0x1234));
        int iEntry = FindGraphEntry(rgEntries, graph.GraphNumber());
        EXPECT_GE(iEntry, 3) << Dump(rgEntries);

        // A decoy names no published graph: OK reports the failed bind.
        ASSERT_NE(LB_ERR, SendMessageW(dialog.hWndListBox, LB_SETCURSEL, 1, 0));
        ASSERT_TRUE(PostMessageW(dialog.hWndDialog, WM_COMMAND, IDOK, 0));
        std::wstring strLine;
        ASSERT_TRUE(viewer.WaitForReportLine(L"bind-failed ", kAppearMs, &strLine)) << Dump(viewer.ReportLines());
        EXPECT_EQ(L"bind-failed hr=0x800401E3", strLine);
        EXPECT_TRUE(LinesInOrder(viewer.ReportLines(), {L"selected=" + kLongDecoy, L"ok", L"bind-failed "}));
    }

    void CheckNeverShown(CViewerProcess& viewer, const CTestGraph&)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = viewer.FindTopLevelWindow(kMainWindowStyle);
        ASSERT_NE(nullptr, hWndMain);
        EXPECT_FALSE(IsWindowVisible(hWndMain));
        // The loop runs (the dialog opens), yet the main window stays hidden.
        SConnectDialog dialog = OpenConnectDialog(viewer, hWndMain);
        EXPECT_NE(nullptr, dialog.hWndListBox);
        EXPECT_FALSE(IsWindowVisible(hWndMain));
    }

    void CheckShownLate(CViewerProcess& viewer, const CTestGraph&)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = viewer.FindTopLevelWindow(kMainWindowStyle);
        ASSERT_NE(nullptr, hWndMain);
        EXPECT_FALSE(IsWindowVisible(hWndMain)) << "visible long before its delay";
        EXPECT_EQ(hWndMain, WaitForVisibleMainWindow(viewer, kMainWindowStyle));
        EXPECT_FALSE(IsIconic(hWndMain));
        // Only a lower bound, which a slow machine cannot break: the delay did pass.
        EXPECT_GE(GetTickCount64() - viewer.StartTick(), kDelayMs / 2);
    }

    void CheckLateConnectDialog(CViewerProcess& viewer, const CTestGraph& graph)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = WaitForVisibleMainWindow(viewer, kMainWindowStyle);
        ASSERT_NE(nullptr, hWndMain);
        ULONGLONG ullPosted = GetTickCount64();
        ASSERT_TRUE(PostMessageW(hWndMain, WM_COMMAND, kConnectCommand, 0));
        ASSERT_TRUE(viewer.WaitForReportLine(L"connect-command", kAppearMs));
        EXPECT_EQ(nullptr, viewer.FindConnectDialog(hWndMain).hWndDialog) << "dialog before its delay";
        SConnectDialog dialog;
        ASSERT_TRUE(PumpUntil(kAppearMs, [&] {
            dialog = viewer.FindConnectDialog(hWndMain);
            return dialog.hWndListBox != nullptr;
        }));
        EXPECT_GE(GetTickCount64() - ullPosted, kDelayMs / 2);   // lower bound only
        EXPECT_NE(-1, FindGraphEntry(ListBoxEntries(dialog.hWndListBox), graph.GraphNumber()));
    }

    void CheckLateInputIdle(CViewerProcess& viewer, const CTestGraph&)
    {
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForInputIdle(viewer.Process(), 1000));
        EXPECT_EQ(nullptr, viewer.FindTopLevelWindow(0)) << "a window exists before the idle delay ended";
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        EXPECT_NE(nullptr, WaitForVisibleMainWindow(viewer, kMainWindowStyle));
    }

    // Opens the connect dialog the way the launcher does and selects this test's graph.
    SConnectDialog OpenAndSelect(CViewerProcess& viewer, const CTestGraph& graph, HWND* phWndMain)
    {
        SConnectDialog none;
        if (WaitForInputIdle(viewer.Process(), kAppearMs) != 0)
            return none;
        HWND hWndMain = WaitForVisibleMainWindow(viewer, kMainWindowStyle);
        if (!hWndMain)
            return none;
        *phWndMain = hWndMain;
        SConnectDialog dialog = OpenConnectDialog(viewer, hWndMain);
        if (!dialog.hWndListBox)
            return none;
        const int iEntry = FindGraphEntry(ListBoxEntries(dialog.hWndListBox), graph.GraphNumber());
        if (iEntry < 0 || SendMessageW(dialog.hWndListBox, LB_SETCURSEL, static_cast<WPARAM>(iEntry), 0) == LB_ERR)
            return none;
        return dialog;
    }

    void CheckNestedListBox(CViewerProcess& viewer, const CTestGraph& graph)
    {
        HWND hWndMain = nullptr;
        SConnectDialog dialog = OpenAndSelect(viewer, graph, &hWndMain);
        ASSERT_NE(nullptr, dialog.hWndListBox) << Dump(viewer.ReportLines());
        // The list sits in a panel, a child of the top-level dialog owned by the main window.
        HWND hWndPanel = GetParent(dialog.hWndListBox);
        ASSERT_NE(dialog.hWndDialog, hWndPanel);
        EXPECT_EQ(dialog.hWndDialog, GetParent(hWndPanel));
        EXPECT_EQ(hWndMain, GetParent(dialog.hWndDialog));
        EXPECT_EQ(dialog.hWndDialog, GetAncestor(dialog.hWndListBox, GA_ROOT));

        // OK posted to the list's parent stays in the panel; posted to the dialog, it connects.
        ASSERT_TRUE(PostMessageW(hWndPanel, WM_COMMAND, IDOK, 0));
        ASSERT_TRUE(viewer.WaitForReportLine(L"panel-command id=1", kAppearMs)) << Dump(viewer.ReportLines());
        EXPECT_TRUE(IsWindow(dialog.hWndDialog));
        ASSERT_TRUE(PostMessageW(dialog.hWndDialog, WM_COMMAND, IDOK, 0));
        EXPECT_TRUE(viewer.WaitForReportLine(L"connected graph=", kAppearMs)) << Dump(viewer.ReportLines());
        EXPECT_TRUE(LinesInOrder(viewer.ReportLines(), {L"connect-dialog", L"panel-command id=1", L"ok", L"connected "}));
    }

    void CheckChildlessPopup(CViewerProcess& viewer, const CTestGraph& graph)
    {
        HWND hWndMain = nullptr;
        SConnectDialog dialog = OpenAndSelect(viewer, graph, &hWndMain);
        ASSERT_NE(nullptr, dialog.hWndListBox) << Dump(viewer.ReportLines());
        // The viewer checked the order as a window search sees it.
        EXPECT_TRUE(LinesInOrder(viewer.ReportLines(), {L"popup", L"connect-dialog", L"popup-in-front"}))
            << Dump(viewer.ReportLines());
        HWND hWndPopup = nullptr;
        EnumWindows(
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                if (WindowClassName(hWnd) != L"StandInGraphViewerPopup")
                    return TRUE;
                *reinterpret_cast<HWND*>(lParam) = hWnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&hWndPopup));
        ASSERT_NE(nullptr, hWndPopup);
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hWndPopup, &dwProcessId);
        EXPECT_EQ(viewer.ProcessId(), dwProcessId);
        EXPECT_EQ(hWndMain, GetParent(hWndPopup));
        EXPECT_EQ(nullptr, GetWindow(hWndPopup, GW_CHILD));
        EXPECT_TRUE(IsWindowVisible(hWndPopup));
        EXPECT_NE(0u, static_cast<DWORD>(GetWindowLongW(hWndPopup, GWL_EXSTYLE)) & WS_EX_TOPMOST);
        ASSERT_TRUE(PostMessageW(dialog.hWndDialog, WM_COMMAND, IDOK, 0));
        EXPECT_TRUE(viewer.WaitForReportLine(L"connected graph=", kAppearMs)) << Dump(viewer.ReportLines());
    }

    void CheckListHang(CViewerProcess& viewer, const CTestGraph& graph)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = WaitForVisibleMainWindow(viewer, kMainWindowStyle);
        ASSERT_NE(nullptr, hWndMain);
        SConnectDialog dialog = OpenConnectDialog(viewer, hWndMain);
        ASSERT_NE(nullptr, dialog.hWndListBox);
        // The first count asked from outside gets no answer while the viewer stands still.
        DWORD_PTR dwCount = 0;
        EXPECT_EQ(0, SendMessageTimeoutW(dialog.hWndListBox, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 200, &dwCount));
        ASSERT_TRUE(viewer.WaitForReportLine(L"list-hang ms=4000", kAppearMs)) << Dump(viewer.ReportLines());
        // Then it answers again, and never stops a second time.
        ASSERT_TRUE(viewer.WaitForReportLine(L"list-answers", kAppearMs)) << Dump(viewer.ReportLines());
        EXPECT_NE(0, SendMessageTimeoutW(dialog.hWndListBox, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kAppearMs, &dwCount));
        EXPECT_NE(-1, FindGraphEntry(ListBoxEntries(dialog.hWndListBox), graph.GraphNumber()));
        std::vector<std::wstring> rgLines = viewer.ReportLines();
        EXPECT_EQ(1, std::count_if(rgLines.begin(), rgLines.end(),
                                   [](const std::wstring& str) { return str.rfind(L"list-hang", 0) == 0; }));
    }

    void CheckIgnoreQuit(CViewerProcess& viewer, const CTestGraph&)
    {
        ASSERT_EQ(0u, WaitForInputIdle(viewer.Process(), kAppearMs));
        HWND hWndMain = WaitForVisibleMainWindow(viewer, kMainWindowStyle);
        ASSERT_NE(nullptr, hWndMain);
        ASSERT_TRUE(PostThreadMessageW(viewer.ThreadId(), WM_QUIT, 0, 0));
        ASSERT_TRUE(viewer.WaitForReportLine(L"quit-ignored", kAppearMs)) << Dump(viewer.ReportLines());
        EXPECT_FALSE(viewer.HasExited());
        EXPECT_TRUE(IsWindowVisible(hWndMain));
        // Its own window still ends it.
        ASSERT_TRUE(PostMessageW(hWndMain, WM_CLOSE, 0, 0));
        EXPECT_TRUE(PumpWaitForHandle(viewer.Process(), kExitMs));
        EXPECT_TRUE(LinesInOrder(viewer.ReportLines(), {L"quit-ignored", L"quit"}));
    }

    SViewerSwitches Switches(std::function<void(SViewerSwitches&)> fnSet)
    {
        SViewerSwitches switches;
        fnSet(switches);
        return switches;
    }

    const SSwitchCase kSwitchCases[] = {
        {"NoSizingFrame", Switches([](SViewerSwitches& s) { s.NoSizingFrame = 1; }), CheckNoSizingFrame},
        {"ExtraEntries",
         Switches([](SViewerSwitches& s) { s.ExtraEntries = {L"pid 1 IFilterGraph = 2", kLongDecoy, GraphEntryDecoy()}; }),
         CheckExtraEntries},
        {"ShowDelayNever", Switches([](SViewerSwitches& s) { s.ShowDelayMs = 0xFFFFFFFF; }), CheckNeverShown},
        {"ShowDelay", Switches([](SViewerSwitches& s) { s.ShowDelayMs = kDelayMs; }), CheckShownLate},
        {"ConnectDialogDelay", Switches([](SViewerSwitches& s) { s.ConnectDialogDelayMs = kDelayMs; }),
         CheckLateConnectDialog},
        {"IdleDelay", Switches([](SViewerSwitches& s) { s.IdleDelayMs = kDelayMs; }), CheckLateInputIdle},
        {"NestedListBox", Switches([](SViewerSwitches& s) { s.NestedListBox = 1; }), CheckNestedListBox},
        {"ChildlessPopup", Switches([](SViewerSwitches& s) { s.ChildlessPopup = 1; }), CheckChildlessPopup},
        {"ListHang", Switches([](SViewerSwitches& s) { s.ListHangMs = kDelayMs; }), CheckListHang},
        {"IgnoreQuit", Switches([](SViewerSwitches& s) { s.IgnoreQuit = 1; }), CheckIgnoreQuit},
    };

    class ViewerSwitchTest : public testing::TestWithParam<SSwitchCase> {};
}

TEST_P(ViewerSwitchTest, ChangesTheViewerAsConfigured)
{
    CTestGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Create({L"Video Renderer"}));
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start(GetParam().switches));
    GetParam().fnCheck(viewer, graph);
    EXPECT_TRUE(viewer.QuitAndWaitForExit()) << Dump(viewer.ReportLines());
}

INSTANTIATE_TEST_SUITE_P(Switches, ViewerSwitchTest, testing::ValuesIn(kSwitchCases),
                         [](const testing::TestParamInfo<SSwitchCase>& info) { return std::string(info.param.pszName); });
