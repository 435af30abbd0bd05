// Walks the tool through its main job as a user would: build the demo graph, set a
// duration, play to the end, show the graph in the viewer. At each step it prints
// "STEP <name>" and waits for a line on its input, so that whoever runs it can take a
// screenshot of what the user sees at that moment.
#include <windows.h>

#include <cstdio>
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

int Fail(const char* pszWhat)
{
    std::printf("FAILED %s\n", pszWhat);
    std::fflush(stdout);
    return 1;
}

} // namespace

int main()
{
    driver::CToolProcess tool;
    if (!tool.Start(driver::ProgramFolder() + L"MeridelTest.exe"))
        return Fail("to start MeridelTest.exe");
    HWND hDlg = driver::WaitForDialog(tool.ProcessId(), c_szCaption);
    if (!hDlg)
        return Fail("to find the dialog");
    Step("start");

    driver::Click(::GetDlgItem(hDlg, IDC_BTN_BUILD));
    if (!driver::WaitUntil([&] { return driver::IsEnabled(::GetDlgItem(hDlg, IDC_BTN_PLAY)); }))
    {
        driver::MessageBoxInfo box;
        if (driver::FindMessageBox(tool.ProcessId(), hDlg, &box))
            Step("build-failed");
        return Fail("to build the demo graph");
    }
    Step("built");

    driver::SetEditText(::GetDlgItem(hDlg, IDC_EDIT_DURATION), L"250");
    Step("duration");

    driver::Click(::GetDlgItem(hDlg, IDC_BTN_PLAY));
    // Let a second of the clip go by, so that the picture shows it running.
    ::Sleep(1000);
    Step("playing");
    driver::MessageBoxInfo box;
    if (!driver::WaitForMessageBox(tool.ProcessId(), hDlg, &box, 60000))
        return Fail("to see the end of the stream");
    Step("the-end");
    driver::DismissMessageBox(box);

    driver::Click(::GetDlgItem(hDlg, IDC_BTN_SHOW));
    // The viewer connects on its own; its connect dialog (a window owned by a window of
    // another process) goes away once it has. An error box of the tool would show instead.
    bool bSeenDialog = false;
    driver::WaitUntil([&] {
        driver::MessageBoxInfo error;
        if (driver::FindMessageBox(tool.ProcessId(), hDlg, &error))
            return true;
        bool bDialogUp = HasForeignOwnedWindow(tool.ProcessId());
        bSeenDialog = bSeenDialog || bDialogUp;
        return bSeenDialog && !bDialogUp;
    }, 15000);
    // Under Wine the viewer's window is redrawn on screen only a few seconds after its
    // dialog has gone; let the picture catch up.
    ::Sleep(5000);
    Step("viewer");

    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    DWORD dwExit = 0;
    if (!tool.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit))
        return Fail("to close the tool");
    std::printf("DONE exit code %lu\n", dwExit);
    return 0;
}
