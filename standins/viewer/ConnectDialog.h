// The modeless dialog that lists the graphs published in the Running Object Table and
// connects the main window to the chosen one. It is owned by the main window and runs in
// the main message loop, so a WM_QUIT posted to the thread ends the viewer even while the
// dialog is open.
#pragma once

#include <windows.h>

#include <vector>

#include "RotGraphs.h"

class CMainWindow;
class CReportLog;
class CViewerSettings;

class CConnectDialog
{
public:
    CConnectDialog(CMainWindow* pMainWindow, const CReportLog* pLog, const CViewerSettings* pSettings);
    ~CConnectDialog();

    // Opens the dialog over hWndOwner, or refreshes its list when it is already open.
    HRESULT Open(HINSTANCE hInstance, HWND hWndOwner);
    void Close();
    bool IsOpen() const { return m_hWnd != nullptr; }
    HWND GetHwnd() const { return m_hWnd; }

private:
    CConnectDialog(const CConnectDialog&) = delete;
    CConnectDialog& operator=(const CConnectDialog&) = delete;

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The switches that make the dialog look like other viewers' (see ViewerSettings.h).
    void NestListInPanel();
    void HangOnFirstCount();
    static LRESULT CALLBACK ListProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void FillList();
    void CenterOverOwner();
    std::wstring SelectedEntryText(int iSel) const;
    void OnOk();

    CMainWindow* m_pMainWindow;
    const CReportLog* m_pLog;
    const CViewerSettings* m_pSettings;
    std::vector<SPublishedGraph> m_rgGraphs;   // collected before the list is filled
    HWND m_hWnd;
    HWND m_hWndOwner;
    HWND m_hWndList;          // a child of the dialog, or of its panel
    WNDPROC m_pfnListProc;    // the list's own procedure while the hang is armed
    bool m_bHangDone;         // the list has stopped once already
};
