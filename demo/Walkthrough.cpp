// Walks the tool through its main job as a user would: build the demo graph (or the
// graph file whose Windows path is the one argument, typed into the path box first), set
// a duration, play to the end, show the graph in the viewer. At each step it prints
// "STEP <name>" and waits for a line on its input, so that whoever runs it can take a
// screenshot of what the user sees at that moment. Buttons are pressed with real input:
// it prints "CLICK <x> <y>" (screen coordinates) and waits for a line once whoever runs
// it has clicked there; text is typed the same way ("KEY <keys>", "TYPE <text>", each
// answered by a line once done). Posted clicks would give the tool no user input, and a window
// manager then keeps "The end" behind the video window instead of raising it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"
#include "ui/resource.h"

namespace {

const wchar_t c_szCaption[] = L"Audio/Video Synchronizer Test";

void Step(const char* pszName)
{
    std::printf("STEP %s\n", pszName);
    std::fflush(stdout);
    char szLine[64];
    std::fgets(szLine, sizeof(szLine), stdin);
}

struct ForeignOwned
{
    DWORD dwToolPid;
    bool bFound;
};

BOOL CALLBACK FindForeignOwnedProc(HWND hWnd, LPARAM lParam)
{
    ForeignOwned* p = reinterpret_cast<ForeignOwned*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid != p->dwToolPid && ::IsWindowVisible(hWnd) && ::GetWindow(hWnd, GW_OWNER))
        p->bFound = true;
    return !p->bFound;
}

// Whether a visible window owned by another window (a dialog) of some other process is up.
bool HasForeignOwnedWindow(DWORD dwToolPid)
{
    ForeignOwned found = {dwToolPid, false};
    ::EnumWindows(FindForeignOwnedProc, reinterpret_cast<LPARAM>(&found));
    return found.bFound;
}

BOOL CALLBACK AnyUpdatePendingProc(HWND hWnd, LPARAM lParam)
{
    if (::GetUpdateRect(hWnd, nullptr, FALSE))
        *reinterpret_cast<bool*>(lParam) = true;
    return TRUE;
}

// Whether the window or any of its children still waits to be painted.
bool UpdatePending(HWND hWnd)
{
    bool bPending = ::GetUpdateRect(hWnd, nullptr, FALSE) != FALSE;
    ::EnumChildWindows(hWnd, AnyUpdatePendingProc, reinterpret_cast<LPARAM>(&bPending));
    return bPending;
}

// Waits until the window has settled on screen: the same place and size on two looks in a
// row (the window manager may still move or frame it) and nothing of it left to paint.
void WaitUntilPainted(HWND hWnd)
{
    RECT rcLast = {};
    driver::WaitUntil([&] {
        RECT rc = {};
        ::GetWindowRect(hWnd, &rc);
        const bool bSettled = ::EqualRect(&rc, &rcLast) && !UpdatePending(hWnd);
        rcLast = rc;
        return bSettled;
    });
}

// Every visible window of the tool has settled on screen.
void WaitUntilToolPainted(DWORD dwToolPid)
{
    for (HWND hWnd : driver::TopLevelWindows(dwToolPid))
        if (::IsWindowVisible(hWnd))
            WaitUntilPainted(hWnd);
}

// The visible top-level window of another process whose caption starts with `prefix`.
struct ForeignCaption
{
    DWORD dwToolPid;
    const wchar_t* pszPrefix;
    HWND hWnd;
};

BOOL CALLBACK FindForeignCaptionProc(HWND hWnd, LPARAM lParam)
{
    ForeignCaption* p = reinterpret_cast<ForeignCaption*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid != p->dwToolPid && ::IsWindowVisible(hWnd) && driver::WindowText(hWnd).rfind(p->pszPrefix, 0) == 0)
        p->hWnd = hWnd;
    return p->hWnd == nullptr;
}

HWND FindForeignWindow(DWORD dwToolPid, const wchar_t* pszCaptionPrefix)
{
    ForeignCaption found = {dwToolPid, pszCaptionPrefix, nullptr};
    ::EnumWindows(FindForeignCaptionProc, reinterpret_cast<LPARAM>(&found));
    return found.hWnd;
}

// Has the button clicked by the X server, where the user would click it.
void RealClick(HWND hWndButton)
{
    RECT rc = {};
    ::GetWindowRect(hWndButton, &rc);
    std::printf("CLICK %ld %ld\n", (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    std::fflush(stdout);
    char szLine[64];
    std::fgets(szLine, sizeof(szLine), stdin);
}

// One line of UTF-8 for whoever reads our output; line breaks become spaces.
std::string OneLine(const std::wstring& text)
{
    int cb = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string str(static_cast<size_t>(cb > 0 ? cb : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &str[0], cb, nullptr, nullptr);
    str.resize(str.size() - 1);
    for (char& ch : str)
        if (ch == '\r' || ch == '\n')
            ch = ' ';
    return str;
}

// Has the X server type into the focused window, as the user's keyboard would.
void RealKeys(const char* pszVerb, const std::wstring& text)
{
    std::printf("%s %s\n", pszVerb, OneLine(text).c_str());
    std::fflush(stdout);
    char szLine[64];
    std::fgets(szLine, sizeof(szLine), stdin);
}

int Fail(const char* pszWhat)
{
    std::printf("FAILED %s\n", pszWhat);
    std::fflush(stdout);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2)
        return Fail("usage: DemoWalkthrough.exe [GRAPH_FILE]");
    // The graph's path comes in the console's code page, as the command line gave it.
    std::wstring strGraph;
    if (argc == 2)
    {
        int cch = ::MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
        strGraph.assign(static_cast<size_t>(cch > 0 ? cch : 1), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, argv[1], -1, &strGraph[0], cch);
        strGraph.resize(strGraph.size() - 1);
    }

    driver::CToolProcess tool;
    if (!tool.Start(driver::ProgramFolder() + L"MeridelTest.exe"))
        return Fail("to start MeridelTest.exe");
    HWND hDlg = driver::WaitForDialog(tool.ProcessId(), c_szCaption);
    if (!hDlg)
        return Fail("to find the dialog");
    WaitUntilToolPainted(tool.ProcessId());
    Step("start");

    if (!strGraph.empty())
    {
        HWND hWndPath = ::GetDlgItem(hDlg, IDC_EDIT_FILE);
        RealClick(hWndPath);
        // The whole line selected, so that typing replaces it.
        RealKeys("KEY", L"End shift+Home");
        RealKeys("TYPE", strGraph);
        if (!driver::WaitUntil([&] { return driver::WindowText(hWndPath) == strGraph; }))
            return Fail("to type the graph's path");
        WaitUntilToolPainted(tool.ProcessId());
        Step("graph-path");
    }

    RealClick(::GetDlgItem(hDlg, IDC_BTN_BUILD));
    if (!driver::WaitUntil([&] { return driver::IsEnabled(::GetDlgItem(hDlg, IDC_BTN_PLAY)); }))
    {
        driver::MessageBoxInfo box;
        if (driver::FindMessageBox(tool.ProcessId(), hDlg, &box))
        {
            std::printf("BOX %s\n", OneLine(box.text).c_str());
            Step("build-failed");
            driver::DismissMessageBox(box);
            ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
            DWORD dwExit = 0;
            tool.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit);
        }
        return Fail("to build the graph");
    }
    WaitUntilToolPainted(tool.ProcessId());
    Step("built");

    driver::SetEditText(::GetDlgItem(hDlg, IDC_EDIT_DURATION), L"250");
    WaitUntilToolPainted(tool.ProcessId());
    Step("duration");

    RealClick(::GetDlgItem(hDlg, IDC_BTN_PLAY));
    // Let a second of the clip go by, so that the picture shows it running.
    ::Sleep(1000);
    Step("playing");
    driver::MessageBoxInfo box;
    if (!driver::WaitForMessageBox(tool.ProcessId(), hDlg, &box, 60000))
        return Fail("to see the end of the stream");
    WaitUntilPainted(box.hWnd);
    Step("the-end");
    driver::DismissMessageBox(box);

    // The viewer connects on its own; its connect dialog (a window owned by a window of
    // another process) goes away once it has. An error box of the tool shows instead when
    // the viewer was not ready within the tool's wait (a busy machine, or one whose disk
    // cache is still cold): the user reads it, dismisses it and clicks again, within the
    // suite's generous deadline (two minutes: a fresh machine with the suite's other
    // desktops starting beside it refused ten clicks in a row), or as many times as
    // WALKTHROUGH_SHOW_TRIES says.
    int cTries = 0;
    if (const char* pszTries = std::getenv("WALKTHROUGH_SHOW_TRIES"))
        cTries = std::atoi(pszTries);
    const DWORD dwShowStart = ::GetTickCount();
    bool bShown = false;
    for (int nTry = 0; (cTries <= 0 || nTry < cTries) && ::GetTickCount() - dwShowStart < 6 * driver::DEFAULT_TIMEOUT_MS;
         ++nTry)
    {
        RealClick(::GetDlgItem(hDlg, IDC_BTN_SHOW));
        bool bSeenDialog = false;
        driver::MessageBoxInfo error;
        bool bError = false;
        driver::WaitUntil([&] {
            bError = driver::FindMessageBox(tool.ProcessId(), hDlg, &error);
            if (bError)
                return true;
            bool bDialogUp = HasForeignOwnedWindow(tool.ProcessId());
            bSeenDialog = bSeenDialog || bDialogUp;
            return bSeenDialog && !bDialogUp;
        }, 15000);
        if (!bError)
        {
            bShown = true;
            break;
        }
        std::printf("BOX %s\n", OneLine(error.text).c_str());
        std::fflush(stdout);
        driver::DismissMessageBox(error);
    }
    if (!bShown)
        return Fail("to show the graph in the viewer");
    // The picture once the viewer has redrawn what its dialog covered.
    if (HWND hWndViewer = FindForeignWindow(tool.ProcessId(), L"Graph Viewer"))
        WaitUntilPainted(hWndViewer);
    Step("viewer");

    // A box still up would keep the dialog from ending however it is told to close.
    if (driver::FindMessageBox(tool.ProcessId(), hDlg, &box))
    {
        std::printf("BOX %s\n", OneLine(box.text).c_str());
        driver::DismissMessageBox(box);
    }
    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    DWORD dwExit = 0;
    if (!tool.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit))
        return Fail("to close the tool");
    std::printf("DONE exit code %lu\n", dwExit);
    return 0;
}
