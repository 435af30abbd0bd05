// The tool's only window: a modal dialog that turns the user's clicks and edits into
// calls on the filter graph it owns.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "atl/AtlDialog.h"
#include "ui/resource.h"

class CMainDialog : public CDialogImpl<CMainDialog, CWindow>
{
public:
    enum { IDD = IDD_MAIN_DIALOG };

    CMainDialog();

    BEGIN_MSG_MAP(CMainDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnClose(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);

    void EnableControls(BOOL bEnable);
    int ShowError(LPCWSTR pszText, HRESULT hr);

private:
    WCHAR m_szFile[MAX_PATH];
    bool m_bUpdating;
};
