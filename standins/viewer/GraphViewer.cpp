// Entry of the graph viewer stand-in: a single-threaded program whose primary thread runs the
// one message loop, so that WM_QUIT posted to that thread ends it.
#include <windows.h>

#include <objbase.h>

#include "GraphEntry.h"
#include "MainWindow.h"
#include "RemoteRead.h"
#include "ReportLog.h"
#include "RotGraphs.h"
#include "ViewerSettings.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR /*pszCmdLine*/, int nCmdShow)
{
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr))
        return static_cast<int>(hr);

    CViewerSettings settings;
    settings.Load(HKEY_CURRENT_USER, kViewerSettingsKey);
    CReportLog log(settings.m_strReportFile);
    wchar_t szStarted[32] = {};
    swprintf(szStarted, 32, L"started pid=%x", static_cast<unsigned>(GetCurrentProcessId()));
    log.Append(szStarted);

    // Before any window exists, so that nothing can see the viewer ready for input yet.
    if (settings.m_dwIdleDelayMs > 0)
        Sleep(settings.m_dwIdleDelayMs);

    int nExitCode = 0;
    {
        CMainWindow mainWindow(&settings, &log);
        hr = mainWindow.Create(hInstance, nCmdShow);
        if (FAILED(hr))
        {
            log.Append(ComposeFailureLine(L"create-failed", hr));
            nExitCode = 1;
        }
        else
        {
            MSG msg = {};
            for (;;)
            {
                const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
                if (bGot == -1)
                    break;
                if (bGot == 0)
                {
                    // Some viewers do not take WM_QUIT for an order to end: they go on for
                    // as long as their main window is open.
                    if (!settings.m_bIgnoreQuit || !IsWindow(mainWindow.GetHwnd()))
                        break;
                    log.Append(L"quit-ignored");
                    continue;
                }
                if (mainWindow.PreTranslateMessage(&msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            log.Append(L"quit");
            nExitCode = static_cast<int>(msg.wParam);
            EndRemoteHold(settings, log);
        }
    }
    CoUninitialize();
    return nExitCode;
}
