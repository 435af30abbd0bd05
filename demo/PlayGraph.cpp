// Plays one graph file through the tool as a user would, for a recorder that watches the
// video window and listens to the sound server:
//   PlayGraph.exe GRAPH_PATH DURATION_MS
// Types the path, presses Build graph, types the duration, and prints
//   DURATION <what the box shows once the synchronizer has taken it>
//   WINDOW <x> <y> <width> <height>   the video window's picture area, in screen pixels
// then waits for a line on its input (the recorder is running), presses Play, prints
// PLAYING, waits for "The end", prints END, closes the tool and prints DONE. Any step that
// fails prints "FAILED <what>" and ends the program with 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Driver.h"
#include "ui/resource.h"

namespace {

const wchar_t c_szCaption[] = L"Audio/Video Synchronizer Test";
// Longer than any clip the graphs play, with room for a loaded machine.
const DWORD c_dwEndTimeoutMs = 180000;

int Fail(const char* pszWhat)
{
    std::printf("FAILED %s\n", pszWhat);
    std::fflush(stdout);
    return 1;
}

std::string Narrow(const std::wstring& str)
{
    std::string out;
    for (wchar_t ch : str)
        out += static_cast<char>(ch < 128 ? ch : '?');
    return out;
}

// The top-level window of the tool other than its dialog and its message boxes.
HWND VideoWindow(DWORD dwToolPid, HWND hDlg)
{
    for (HWND hWnd : driver::TopLevelWindows(dwToolPid))
        if (hWnd != hDlg && ::IsWindowVisible(hWnd) && driver::ClassName(hWnd) != L"#32770")
            return hWnd;
    return nullptr;
}

// The client area on screen once the window manager has stopped moving the window: the
// same place and size on two looks in a row.
bool SettledClientArea(HWND hWnd, RECT* prc)
{
    RECT rcLast = {};
    return driver::WaitUntil([&] {
        RECT rc = {};
        ::GetClientRect(hWnd, &rc);
        ::MapWindowPoints(hWnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
        const bool bSettled = ::EqualRect(&rc, &rcLast) && rc.right > rc.left;
        rcLast = rc;
        *prc = rc;
        return bSettled;
    });
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return Fail("usage: PlayGraph.exe GRAPH_PATH DURATION_MS");
    driver::CToolProcess tool;
    if (!tool.Start(driver::ProgramFolder() + L"MeridelTest.exe"))
        return Fail("to start MeridelTest.exe");
    HWND hDlg = driver::WaitForDialog(tool.ProcessId(), c_szCaption);
    if (!hDlg)
        return Fail("to find the dialog");

    driver::SetEditText(::GetDlgItem(hDlg, IDC_EDIT_FILE), argv[1]);
    driver::Click(::GetDlgItem(hDlg, IDC_BTN_BUILD));
    if (!driver::WaitUntil([&] { return driver::IsEnabled(::GetDlgItem(hDlg, IDC_BTN_PLAY)); }))
        return Fail("to build the graph");
    driver::SetEditText(::GetDlgItem(hDlg, IDC_EDIT_DURATION), argv[2]);
    // The box shows what the synchronizer holds once the dialog has handled the text.
    std::wstring duration;
    driver::WaitUntil([&] {
        duration = driver::WindowText(::GetDlgItem(hDlg, IDC_EDIT_DURATION));
        return duration == argv[2];
    });
    std::printf("DURATION %s\n", Narrow(duration).c_str());

    HWND hVideo = nullptr;
    RECT rc = {};
    if (!driver::WaitUntil([&] { return (hVideo = VideoWindow(tool.ProcessId(), hDlg)) != nullptr; }) ||
        !SettledClientArea(hVideo, &rc))
        return Fail("to find the video window");
    std::printf("WINDOW %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    std::fflush(stdout);
    char szLine[64];
    if (!std::fgets(szLine, sizeof(szLine), stdin))
        return Fail("to hear that the recorder runs");

    driver::Click(::GetDlgItem(hDlg, IDC_BTN_PLAY));
    std::printf("PLAYING\n");
    std::fflush(stdout);
    driver::MessageBoxInfo box;
    if (!driver::WaitForMessageBox(tool.ProcessId(), hDlg, &box, c_dwEndTimeoutMs))
        return Fail("to see the end of the stream");
    std::printf("END %s\n", Narrow(box.text).c_str());
    std::fflush(stdout);
    driver::DismissMessageBox(box);

    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    DWORD dwExit = 0;
    if (!tool.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit))
        return Fail("to close the tool");
    std::printf("DONE exit code %lu\n", dwExit);
    return 0;
}
