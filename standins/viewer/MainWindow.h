// The viewer's top-level frame: a captioned, sizable window with a menu, a status line and
// the filter list of the graph it is connected to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ConnectDialog.h"

class CReportLog;
class CViewerSettings;

class CMainWindow
{
public:
    CMainWindow(const CViewerSettings* pSettings, const CReportLog* pLog);
    ~CMainWindow();

    // Creates the window and shows it with nCmdShow, at once or after the configured delay.
    HRESULT Create(HINSTANCE hInstance, int nCmdShow);
    void Destroy();
    HWND GetHwnd() const { return m_hWnd; }

    // Gives the connect dialog and the accelerators their turn; true when msg was consumed.
    bool PreTranslateMessage(MSG* pMsg);

    void ShowConnection(DWORD dwProcessId, DWORD dwGraph, const std::vector<std::wstring>& rgNames);

private:
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize(int cx, int cy);
    void OnCommand(WORD wId);
    void OnTimer(UINT_PTR uId);
    void OpenConnectDialog();
    void ShowChildlessPopup();
    void ClearConnection();

    const CViewerSettings* m_pSettings;
    const CReportLog* m_pLog;
    HINSTANCE m_hInstance;
    HWND m_hWnd;
    HWND m_hWndStatus;
    HWND m_hWndFilters;
    HACCEL m_hAccel;
    int m_nCmdShow;
    HWND m_hWndPopup;
    CConnectDialog m_ConnectDialog;
};
