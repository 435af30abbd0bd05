// The tool's only window: a modal dialog that turns the user's clicks and edits into
// calls on the filter graph it owns.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "atl/AtlDialog.h"
#include "graph/Graph.h"
#include "ui/resource.h"

class CMainDialog : public CDialogImpl<CMainDialog, CWindow>
{
public:
    enum { IDD = IDD_MAIN_DIALOG };

    CMainDialog();

    BEGIN_MSG_MAP(CMainDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_GRAPHNOTIFY, OnGraphNotify)
        COMMAND_ID_HANDLER(IDC_BTN_LOAD, OnLoad)
        COMMAND_HANDLER(IDC_EDIT_FILE, EN_CHANGE, OnFileChanged)
        COMMAND_ID_HANDLER(IDC_BTN_BUILD, OnBuildGraph)
        COMMAND_ID_HANDLER(IDC_BTN_SHOW, OnShowGraph)
        COMMAND_HANDLER(IDC_EDIT_DURATION, EN_CHANGE, OnDurationChanged)
        NOTIFY_HANDLER(IDC_SPIN_DURATION, UDN_DELTAPOS, OnDurationSpin)
        COMMAND_ID_HANDLER(IDC_BTN_PLAY, OnPlay)
        COMMAND_ID_HANDLER(IDC_BTN_PAUSE, OnPause)
        COMMAND_ID_HANDLER(IDC_BTN_STOP, OnStop)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGraphNotify(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLoad(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnFileChanged(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnBuildGraph(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnShowGraph(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnDurationChanged(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnDurationSpin(int idCtrl, LPNMHDR pNMHDR, BOOL& bHandled);
    LRESULT OnPlay(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnPause(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnStop(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnClose(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);

    void EnableControls(BOOL bEnable);
    int ShowError(LPCWSTR pszText, HRESULT hr);
    bool SelectGraphFile(LPWSTR pszFile);

private:
    WCHAR m_szFile[MAX_PATH];
    CGraph m_Graph;
    bool m_bUpdating;
};
