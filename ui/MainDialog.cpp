#include "ui/MainDialog.h"

#include "app/ShowErrorBox.h"
#include "ui/DialogPlacement.h"

namespace {

const WCHAR c_szCaption[] = L"Audio/Video Synchronizer Test";
const WCHAR c_szDefaultFile[] = L"D:\\CVS\\Dev\\Filters\\Special\\Meridel\\Graphs\\Pixwell - Meridel.GRF";

// The controls that only make sense once a graph is built, in the order they are switched.
const int c_rgGraphControls[] = {IDC_EDIT_DURATION, IDC_SPIN_DURATION, IDC_BTN_PLAY,
                                 IDC_BTN_PAUSE, IDC_BTN_STOP};

} // namespace

CMainDialog::CMainDialog() : m_bUpdating(false)
{
    m_szFile[0] = L'\0';
}

LRESULT CMainDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT rcScreen = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcScreen, 0);
    RECT rcDlg = {};
    GetWindowRect(&rcDlg);
    POINT pt = DialogBottomCentre(rcScreen, rcDlg);
    SetWindowPos(nullptr, pt.x, pt.y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    EnableControls(FALSE);

    m_bUpdating = true;
    ::lstrcpynW(m_szFile, c_szDefaultFile, MAX_PATH);
    SetDlgItemText(IDC_EDIT_FILE, m_szFile);
    SetDlgItemInt(IDC_EDIT_DURATION, 0, FALSE);
    SendDlgItemMessage(IDC_SPIN_DURATION, UDM_SETRANGE, 0, MAKELPARAM(1000, 0));
    m_bUpdating = false;
    return TRUE;
}

LRESULT CMainDialog::OnClose(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID);
    return 0;
}

void CMainDialog::EnableControls(BOOL bEnable)
{
    for (int nID : c_rgGraphControls)
        ::EnableWindow(GetDlgItem(nID), bEnable);
}

int CMainDialog::ShowError(LPCWSTR pszText, HRESULT hr)
{
    return ShowErrorBox(m_hWnd, pszText, c_szCaption, hr, MB_OK);
}
