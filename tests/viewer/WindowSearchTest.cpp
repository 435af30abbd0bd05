// Finding the viewer's windows and working its connect dialog, with windows of this
// process playing the viewer's: the bridge is told that the viewer is this process.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "GraphEditProbe.h"
#include "TestWindows.h"
#include "WindowOrder.h"
#include "viewer/CookieName.h"

namespace {

const DWORD kFramedVisible = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
// Long enough for a slow machine; passing it is a failure, not the normal way.
const DWORD kGenerousDeadlineMs = 30000;
// No process has this id: ids are multiples of four far below it.
const DWORD kOtherProcessId = 0xFFFFFFF4;

// Never dereferenced: the bridge only reads the pointer's low 32 bits.
IUnknown* const kFakeGraph = reinterpret_cast<IUnknown*>(static_cast<UINT_PTR>(0x00000001abcdef00ull));
const DWORD kFakeGraphNumber = 0xabcdef00;

std::wstring Hex(DWORD dw, const wchar_t* pszFormat = L"%x")
{
    wchar_t sz[16];
    ::wsprintfW(sz, pszFormat, dw);
    return sz;
}

// An entry text with {P} replaced by this process's id and {G} by the fake graph's number.
std::wstring Entry(const std::wstring& strTemplate)
{
    std::wstring str = strTemplate;
    for (size_t i = str.find(L"{P}"); i != std::wstring::npos; i = str.find(L"{P}"))
        str.replace(i, 3, Hex(::GetCurrentProcessId()));
    for (size_t i = str.find(L"{G}"); i != std::wstring::npos; i = str.find(L"{G}"))
        str.replace(i, 3, Hex(kFakeGraphNumber));
    return str;
}

// An entry of exactly cch characters, padded in front so that it still matches.
std::wstring EntryOfLength(size_t cch)
{
    const std::wstring strCore = Entry(L"pid {P} IFilterGraph = {G}");
    return std::wstring(cch - strCore.size(), L'.') + strCore;
}

class ViewerWindowSearch : public ::testing::Test
{
protected:
    // The one visible top-level window of the suite (see Restyle).
    static void SetUpTestSuite() { s_visible.Create(nullptr, kFramedVisible, nullptr); }
    static void TearDownTestSuite() { s_visible.Destroy(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_visible.m_hWnd != nullptr);
        // Out of the way of the searches unless a test makes it a candidate.
        Restyle(s_visible.m_hWnd, WS_POPUP | WS_VISIBLE);
        DispatchPendingMessages();
    }
    void TearDown() override { DispatchPendingMessages(); }

    // The bridge believes the viewer is this process and its main window is hWndMain.
    void PretendViewer(CGraphEdit& ge, HWND hWndMain)
    {
        CGraphEditProbe::SetViewerProcessId(ge, ::GetCurrentProcessId());
        CGraphEditProbe::SetMainWindow(ge, hWndMain);
    }

    static CTestWindow s_visible;
};

CTestWindow ViewerWindowSearch::s_visible;

struct SMainWindowCase
{
    const char* pszWhy;
    DWORD dwStyle;
    bool bVisible;
    bool bOtherProcess;
    bool bFound;
};

const DWORD kFramed = WS_OVERLAPPEDWINDOW;

const SMainWindowCase kMainWindowCases[] = {
    {"framed and visible", kFramed, true, false, true},
    {"framed, hidden for good", kFramed, false, false, false},
    {"no sizing frame", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, true, false, false},
    {"no system menu", WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME, true, false, false},
    {"no caption", WS_POPUP | WS_SYSMENU | WS_THICKFRAME, true, false, false},
    {"framed window of another process", kFramed, true, true, false},
};

TEST_F(ViewerWindowSearch, MainWindowNeedsProcessFrameAndVisibility)
{
    for (const SMainWindowCase& c : kMainWindowCases)
    {
        CTestWindow hidden;
        HWND hWndCandidate = s_visible.m_hWnd;
        if (c.bVisible)
        {
            Restyle(s_visible.m_hWnd, c.dwStyle | WS_VISIBLE);
        }
        else
        {
            Restyle(s_visible.m_hWnd, WS_POPUP | WS_VISIBLE);
            hWndCandidate = hidden.Create(nullptr, c.dwStyle, nullptr);
            ASSERT_TRUE(hWndCandidate != nullptr) << c.pszWhy;
        }
        CGraphEdit ge;
        CGraphEditProbe::SetViewerProcessId(ge, c.bOtherProcess ? kOtherProcessId : ::GetCurrentProcessId());
        EXPECT_EQ(c.bFound, CGraphEditProbe::FindMainWindow(ge)) << c.pszWhy;
        EXPECT_EQ(c.bFound ? hWndCandidate : nullptr, CGraphEditProbe::MainWindow(ge)) << c.pszWhy;
    }
}

TEST_F(ViewerWindowSearch, WaitWhileHiddenNeedsVisibleWindow)
{
    CGraphEdit ge;
    EXPECT_FALSE(CGraphEditProbe::WaitWhileHidden(ge));

    CGraphEditProbe::SetMainWindow(ge, s_visible.m_hWnd);
    EXPECT_TRUE(CGraphEditProbe::WaitWhileHidden(ge));

    CTestWindow hidden;
    ASSERT_TRUE(hidden.Create(nullptr, kFramed, nullptr));
    CGraphEditProbe::SetMainWindow(ge, hidden.m_hWnd);
    EXPECT_FALSE(CGraphEditProbe::WaitWhileHidden(ge));
    CGraphEditProbe::SetMainWindow(ge, nullptr);
}

struct SDialogCase
{
    const char* pszWhy;
    bool bOwnedByMain;
    bool bNested;          // the list sits inside a child of the dialog
    LPCWSTR pszListClass;
    bool bOtherProcess;
    bool bChildlessInFront;  // an owned window without children comes first in the search
    bool bFound;
};

const SDialogCase kDialogCases[] = {
    {"list box child of an owned dialog", true, false, L"ListBox", false, false, true},
    {"list box nested deeper", true, true, L"ListBox", false, false, true},
    {"dialog not owned by the main window", false, false, L"ListBox", false, false, false},
    {"dialog without a list box", true, true, L"Edit", false, false, false},
    {"class name only similar", true, false, L"ComboLBox", false, false, false},
    {"dialog of another process", true, false, L"ListBox", true, false, false},
    {"childless owned window in front of the dialog", true, false, L"ListBox", false, true, true},
    {"childless owned window in front of a nested list", true, true, L"ListBox", false, true, true},
};

TEST_F(ViewerWindowSearch, ConnectDialogIsOwnedByMainAndHoldsListBox)
{
    for (const SDialogCase& c : kDialogCases)
    {
        CTestWindow main, dialog, container, list, popup;
        ASSERT_TRUE(main.Create(nullptr, kFramed, nullptr)) << c.pszWhy;
        ASSERT_TRUE(dialog.Create(nullptr, WS_POPUP | WS_CAPTION, c.bOwnedByMain ? main.m_hWnd : nullptr))
            << c.pszWhy;
        HWND hWndHolder = dialog.m_hWnd;
        if (c.bNested)
            hWndHolder = container.Create(nullptr, WS_CHILD | WS_VISIBLE, dialog.m_hWnd);
        ASSERT_TRUE(list.Create(c.pszListClass, WS_CHILD | WS_VISIBLE, hWndHolder)) << c.pszWhy;
        if (c.bChildlessInFront)
        {
            // A tooltip or floating palette: owned, topmost, no children.
            ASSERT_TRUE(popup.Create(nullptr, WS_POPUP, main.m_hWnd)) << c.pszWhy;
            ::SetWindowPos(popup.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            ASSERT_EQ(nullptr, ::GetWindow(popup.m_hWnd, GW_CHILD)) << c.pszWhy;
            ASSERT_TRUE(IsEnumeratedBefore(popup.m_hWnd, dialog.m_hWnd)) << c.pszWhy;
        }

        CGraphEdit ge;
        PretendViewer(ge, main.m_hWnd);
        if (c.bOtherProcess)
            CGraphEditProbe::SetViewerProcessId(ge, kOtherProcessId);
        CGraphEditProbe::FindConnectDialog(ge);
        EXPECT_EQ(c.bFound ? list.m_hWnd : nullptr, CGraphEditProbe::ListBox(ge)) << c.pszWhy;
        // The window that gets OK: the dialog itself, whatever the list's depth in it.
        EXPECT_EQ(c.bFound ? dialog.m_hWnd : nullptr, CGraphEditProbe::ConnectDialog(ge)) << c.pszWhy;
        CGraphEditProbe::SetMainWindow(ge, nullptr);
    }
}

TEST_F(ViewerWindowSearch, ListClassDifferingOnlyInCaseIsNotAListBox)
{
    // A class of this process whose name is the list box's in capitals.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LISTBOX";
    ASSERT_NE(0, ::RegisterClassExW(&wc));
    {
        CTestWindow main, dialog, list;
        ASSERT_TRUE(main.Create(nullptr, kFramed, nullptr));
        ASSERT_TRUE(dialog.Create(nullptr, WS_POPUP, main.m_hWnd));
        ASSERT_TRUE(list.Create(L"LISTBOX", WS_CHILD | WS_VISIBLE, dialog.m_hWnd));
        wchar_t szClass[256] = {};
        ::GetClassNameW(list.m_hWnd, szClass, 256);
        ASSERT_EQ(std::wstring(L"LISTBOX"), std::wstring(szClass));

        CGraphEdit ge;
        PretendViewer(ge, main.m_hWnd);
        CGraphEditProbe::FindConnectDialog(ge);
        EXPECT_EQ(nullptr, CGraphEditProbe::ListBox(ge));
        CGraphEditProbe::SetMainWindow(ge, nullptr);
    }
    ::UnregisterClassW(L"LISTBOX", ::GetModuleHandleW(nullptr));
}

TEST_F(ViewerWindowSearch, CallbacksStopWithoutBridge)
{
    CTestWindow main;
    ASSERT_TRUE(main.Create(nullptr, kFramed, nullptr));
    EXPECT_FALSE(CGraphEditProbe::CallEnumMainWindowProc(main.m_hWnd, 0));
    EXPECT_FALSE(CGraphEditProbe::CallEnumConnectDialogProc(main.m_hWnd, 0));
    EXPECT_FALSE(CGraphEditProbe::CallEnumListBoxProc(main.m_hWnd, 0));
}

struct SEntryListCase
{
    const char* pszWhy;
    std::vector<std::wstring> rgEntries;
    int iExpected;
};

std::vector<SEntryListCase> EntryListCases()
{
    return {
        {"empty list", {}, -1},
        {"only entry", {Entry(L"pid {P} (FilterGraph {G}) IFilterGraph = {G}")}, 0},
        {"after unrelated entries", {L"", L"ROT: nothing here", Entry(L"pid {P} IFilterGraph = {G}")}, 2},
        {"first of two matches", {Entry(L"pid 0X{P} IFilterGraph = 0X{G}"), Entry(L"pid {P} IFilterGraph = {G}")}, 0},
        {"other graph, other process",
         {Entry(L"pid {P} IFilterGraph = 1{G}"), Entry(L"pid 1{P} IFilterGraph = {G}"),
          Entry(L"pid {P} IFilterGraph = 1")},
         -1},
        {"63 characters fit", {EntryOfLength(63)}, 0},
        {"64 characters are passed over", {EntryOfLength(64), Entry(L"pid {P} IFilterGraph = {G}")}, 1},
        {"very long entry is passed over", {EntryOfLength(600), std::wstring(1000, L'x'), Entry(L"pid {P} IFilterGraph = {G}")}, 2},
    };
}

TEST_F(ViewerWindowSearch, FindGraphEntryTakesFirstMatchingEntryThatFits)
{
    CTestWindow dialog, list;
    ASSERT_TRUE(dialog.Create(nullptr, WS_POPUP, nullptr));
    ASSERT_TRUE(list.Create(L"ListBox", WS_CHILD | WS_VISIBLE, dialog.m_hWnd));
    for (const SEntryListCase& c : EntryListCases())
    {
        FillListBox(list.m_hWnd, c.rgEntries);
        CGraphEdit ge;
        CGraphEditProbe::SetListBox(ge, list.m_hWnd);
        EXPECT_EQ(c.iExpected, CGraphEditProbe::FindGraphEntry(ge, kFakeGraph)) << c.pszWhy;
        CGraphEditProbe::SetListBox(ge, nullptr);
    }
}

TEST_F(ViewerWindowSearch, MemberMatchUsesThisProcessAndLow32Bits)
{
    EXPECT_TRUE(CGraphEditProbe::MatchCookieName(Entry(L"pid {P} IFilterGraph = {G}").c_str(), kFakeGraph));
    EXPECT_FALSE(CGraphEditProbe::MatchCookieName(Entry(L"pid {P} IFilterGraph = 1{G}").c_str(), kFakeGraph));
    EXPECT_FALSE(CGraphEditProbe::MatchCookieName(Entry(L"pid 1{P} IFilterGraph = {G}").c_str(), kFakeGraph));
    EXPECT_FALSE(CGraphEditProbe::MatchCookieName(nullptr, kFakeGraph));
}

struct SSelectCase
{
    const char* pszWhy;
    std::vector<std::wstring> rgEntries;
    DWORD dwListStyle;
    bool bNested;       // the list sits in a panel of the dialog
    int iSelected;      // LB_ERR: nothing selected
    bool bOkPosted;
};

std::vector<SSelectCase> SelectCases()
{
    const std::wstring strOurs = Entry(L"pid {P} IFilterGraph = {G}");
    return {
        {"matching second entry", {L"pid 4 IFilterGraph = 1", strOurs}, 0, false, 1, true},
        {"no matching entry", {L"pid 4 IFilterGraph = 1"}, 0, false, LB_ERR, false},
        {"selection refused", {strOurs}, LBS_MULTIPLESEL, false, LB_ERR, false},
        {"list in a panel: OK still to the dialog", {strOurs}, 0, true, 0, true},
    };
}

TEST_F(ViewerWindowSearch, SelectRemoteGraphSelectsAndConfirms)
{
    for (const SSelectCase& c : SelectCases())
    {
        CTestWindow main, dialog, panel, list;
        ASSERT_TRUE(main.Create(nullptr, kFramed, nullptr));
        ASSERT_TRUE(dialog.Create(nullptr, WS_POPUP, main.m_hWnd));
        HWND hWndHolder = dialog.m_hWnd;
        if (c.bNested)
            hWndHolder = panel.Create(nullptr, WS_CHILD | WS_VISIBLE, dialog.m_hWnd);
        ASSERT_TRUE(list.Create(L"ListBox", WS_CHILD | WS_VISIBLE | c.dwListStyle, hWndHolder));
        FillListBox(list.m_hWnd, c.rgEntries);

        CGraphEdit ge;
        PretendViewer(ge, main.m_hWnd);
        CGraphEditProbe::SelectRemoteGraph(ge, kFakeGraph);

        EXPECT_EQ(list.m_hWnd, CGraphEditProbe::ListBox(ge)) << c.pszWhy;
        if (!(c.dwListStyle & LBS_MULTIPLESEL))
        {
            EXPECT_EQ(c.iSelected, static_cast<int>(::SendMessageW(list.m_hWnd, LB_GETCURSEL, 0, 0))) << c.pszWhy;
        }
        WPARAM wParam = 0;
        LPARAM lParam = -1;
        EXPECT_EQ(c.bOkPosted, TakePostedCommand(dialog.m_hWnd, &wParam, &lParam)) << c.pszWhy;
        if (c.bOkPosted)
        {
            EXPECT_EQ(static_cast<WPARAM>(IDOK), wParam) << c.pszWhy;
            EXPECT_EQ(0, lParam) << c.pszWhy;
        }
        // Nothing goes to the main window or to the list's holder from here.
        EXPECT_FALSE(TakePostedCommand(main.m_hWnd, &wParam, &lParam)) << c.pszWhy;
        if (c.bNested)
        {
            EXPECT_FALSE(TakePostedCommand(panel.m_hWnd, &wParam, &lParam)) << c.pszWhy;
        }
        CGraphEditProbe::SetMainWindow(ge, nullptr);
        CGraphEditProbe::SetListBox(ge, nullptr);
    }
}

// The viewer's windows on a thread of their own that stops taking messages once they are
// made, as a viewer does that hangs or waits on us: sent messages get no answer until the
// thread is released.
class CUnansweringViewer
{
public:
    CUnansweringViewer()
        : m_hWndMain(nullptr), m_hWndDialog(nullptr), m_hWndList(nullptr), m_bOkPosted(false),
          m_iSelected(LB_ERR), m_hReady(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_hRelease(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_hThread(nullptr)
    {
        m_hThread = ::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
        if (m_hThread)
            ::WaitForSingleObject(m_hReady, INFINITE);
    }
    ~CUnansweringViewer()
    {
        Release();
        ::CloseHandle(m_hReady);
        ::CloseHandle(m_hRelease);
    }
    // Lets the thread answer again, looks at what reached its windows and ends it.
    void Release()
    {
        ::SetEvent(m_hRelease);
        if (m_hThread)
        {
            ::WaitForSingleObject(m_hThread, INFINITE);
            ::CloseHandle(m_hThread);
            m_hThread = nullptr;
        }
    }

    HWND m_hWndMain;
    HWND m_hWndDialog;
    HWND m_hWndList;
    bool m_bOkPosted;  // valid after Release
    int m_iSelected;   // valid after Release

private:
    static DWORD WINAPI ThreadProc(LPVOID pv)
    {
        static_cast<CUnansweringViewer*>(pv)->Run();
        return 0;
    }
    void Run()
    {
        CTestWindow main, dialog, list;
        m_hWndMain = main.Create(nullptr, kFramed, nullptr);
        m_hWndDialog = dialog.Create(nullptr, WS_POPUP, main.m_hWnd);
        m_hWndList = list.Create(L"ListBox", WS_CHILD | WS_VISIBLE, dialog.m_hWnd);
        FillListBox(list.m_hWnd, {Entry(L"pid {P} IFilterGraph = {G}")});
        ::SetEvent(m_hReady);
        // Hung: no message of this thread is looked at until the test lets go.
        ::WaitForSingleObject(m_hRelease, INFINITE);
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        m_bOkPosted = TakePostedCommand(dialog.m_hWnd, &wParam, &lParam);
        m_iSelected = static_cast<int>(::SendMessageW(list.m_hWnd, LB_GETCURSEL, 0, 0));
        DispatchPendingMessages();
    }

    HANDLE m_hReady;
    HANDLE m_hRelease;
    HANDLE m_hThread;
};

struct SSelectRun
{
    CGraphEdit* pge;
    DWORD dwElapsedMs;
};

DWORD WINAPI SelectRemoteGraphProc(LPVOID pv)
{
    SSelectRun* pRun = static_cast<SSelectRun*>(pv);
    const DWORD dwStart = ::GetTickCount();
    CGraphEditProbe::SelectRemoteGraph(*pRun->pge, kFakeGraph);
    pRun->dwElapsedMs = ::GetTickCount() - dwStart;
    return 0;
}

TEST_F(ViewerWindowSearch, ListThatDoesNotAnswerHasNoEntryOfOurs)
{
    CUnansweringViewer viewer;
    ASSERT_TRUE(viewer.m_hWndList != nullptr);

    CGraphEdit ge;
    PretendViewer(ge, viewer.m_hWndMain);

    // On a thread of its own, so that a bridge waiting for ever fails the test instead of
    // hanging it; the viewer stays hung far longer than any deadline here.
    SSelectRun run = {&ge, 0};
    HANDLE hSelect = ::CreateThread(nullptr, 0, SelectRemoteGraphProc, &run, 0, nullptr);
    ASSERT_TRUE(hSelect != nullptr);
    const bool bEnded = ::WaitForSingleObject(hSelect, kGenerousDeadlineMs) == WAIT_OBJECT_0;
    EXPECT_TRUE(bEnded) << "SelectRemoteGraph waits on a viewer that does not answer";
    if (bEnded)
        std::printf("SelectRemoteGraph with a list that does not answer: %lu ms\n",
                    static_cast<unsigned long>(run.dwElapsedMs));
    EXPECT_EQ(viewer.m_hWndList, CGraphEditProbe::ListBox(ge));
    EXPECT_EQ(-1, CGraphEditProbe::FindGraphEntry(ge, kFakeGraph));

    viewer.Release();
    if (!bEnded)
        ::WaitForSingleObject(hSelect, INFINITE);
    ::CloseHandle(hSelect);
    EXPECT_FALSE(viewer.m_bOkPosted);
    EXPECT_EQ(LB_ERR, viewer.m_iSelected);
    CGraphEditProbe::SetMainWindow(ge, nullptr);
    CGraphEditProbe::SetListBox(ge, nullptr);
}

TEST_F(ViewerWindowSearch, SelectRemoteGraphWithoutMainWindowDoesNothing)
{
    CTestWindow main, dialog, list;
    ASSERT_TRUE(main.Create(nullptr, kFramed, nullptr));
    ASSERT_TRUE(dialog.Create(nullptr, WS_POPUP, main.m_hWnd));
    ASSERT_TRUE(list.Create(L"ListBox", WS_CHILD | WS_VISIBLE, dialog.m_hWnd));
    FillListBox(list.m_hWnd, {Entry(L"pid {P} IFilterGraph = {G}")});

    CGraphEdit ge;
    CGraphEditProbe::SetViewerProcessId(ge, ::GetCurrentProcessId());
    CGraphEditProbe::SetMainWindow(ge, nullptr);
    CGraphEditProbe::SetListBox(ge, list.m_hWnd);
    CGraphEditProbe::SelectRemoteGraph(ge, kFakeGraph);
    // Not even the cached list box was touched.
    EXPECT_EQ(list.m_hWnd, CGraphEditProbe::ListBox(ge));
    EXPECT_EQ(LB_ERR, static_cast<int>(::SendMessageW(list.m_hWnd, LB_GETCURSEL, 0, 0)));
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    EXPECT_FALSE(TakePostedCommand(dialog.m_hWnd, &wParam, &lParam));
    CGraphEditProbe::SetListBox(ge, nullptr);
}

TEST_F(ViewerWindowSearch, ConnectCommandGoesToMainWindowAsAccelerator)
{
    CTestWindow main;
    ASSERT_TRUE(main.Create(nullptr, kFramed, nullptr));
    CGraphEdit ge;
    PretendViewer(ge, main.m_hWnd);
    CGraphEditProbe::PostConnectCommand(ge);
    WPARAM wParam = 0;
    LPARAM lParam = -1;
    ASSERT_TRUE(TakePostedCommand(main.m_hWnd, &wParam, &lParam));
    EXPECT_EQ(static_cast<WPARAM>(0x00018034), wParam);
    EXPECT_EQ(0, lParam);

    CGraphEditProbe::SetMainWindow(ge, nullptr);
    CGraphEditProbe::PostConnectCommand(ge);
    EXPECT_FALSE(TakePostedCommand(nullptr, &wParam, &lParam));
}

} // namespace
