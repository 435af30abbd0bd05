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
    Step("playing");
    driver::MessageBoxInfo box;
    if (!driver::WaitForMessageBox(tool.ProcessId(), hDlg, &box, 60000))
        return Fail("to see the end of the stream");
    Step("the-end");
    driver::DismissMessageBox(box);

    driver::Click(::GetDlgItem(hDlg, IDC_BTN_SHOW));
    // The viewer connects on its own within moments; an error box would show instead.
    driver::WaitUntil([&] {
        driver::MessageBoxInfo error;
        return driver::FindMessageBox(tool.ProcessId(), hDlg, &error);
    }, 3000);
    Step("viewer");

    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    DWORD dwExit = 0;
    if (!tool.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit))
        return Fail("to close the tool");
    std::printf("DONE exit code %lu\n", dwExit);
    return 0;
}
