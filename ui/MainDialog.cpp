#include "ui/MainDialog.h"

#include <commdlg.h>

#include "app/ShowErrorBox.h"
#include "ui/DialogPlacement.h"
#include "ui/Duration.h"

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
    // No graph is built at start-up, although a path is filled in.
    return TRUE;
}

LRESULT CMainDialog::OnGraphNotify(UINT, WPARAM, LPARAM, BOOL&)
{
    // Take everything queued; a box shown here may let a nested call drain the rest.
    for (long lEventCode = m_Graph.GetEvent(); lEventCode != 0; lEventCode = m_Graph.GetEvent())
    {
        if (lEventCode == EC_COMPLETE)
        {
            m_Graph.Stop();
            ShowError(L"The end", 0);
        }
        else
        {
            ATLTRACE2(atlTraceGeneral, 2, L"CMainDialog::OnGraphNotify(): event 0x%X\n", (unsigned)lEventCode);
        }
    }
    return 0;
}

LRESULT CMainDialog::OnLoad(WORD, WORD, HWND, BOOL&)
{
    WCHAR szFile[MAX_PATH];
    ::lstrcpynW(szFile, m_szFile, MAX_PATH);
    if (SelectGraphFile(szFile))
    {
        ::lstrcpynW(m_szFile, szFile, MAX_PATH);
        SetDlgItemText(IDC_EDIT_FILE, m_szFile);
    }
    return 0;
}

LRESULT CMainDialog::OnFileChanged(WORD, WORD, HWND, BOOL&)
{
    if (!m_bUpdating)
        GetDlgItemText(IDC_EDIT_FILE, m_szFile, MAX_PATH);
    return 0;
}

LRESULT CMainDialog::OnBuildGraph(WORD, WORD, HWND, BOOL&)
{
    if (m_szFile[0] == L'\0')
    {
        EnableControls(FALSE);
        ShowError(L".grf file not selected", E_INVALIDARG);
        return 0;
    }
    HRESULT hr = m_Graph.BuildGraph(m_szFile, m_hWnd, WM_GRAPHNOTIFY);
    if (hr == S_FALSE)
    {
        ShowError(L"Brelvox A/V Synchronizer is not found in the graph", 0);
    }
    else if (hr != S_OK)
    {
        EnableControls(FALSE);
        ShowError(L"Can't build graph", hr);
    }
    else
    {
        EnableControls(TRUE);
    }
    return 0;
}

LRESULT CMainDialog::OnShowGraph(WORD, WORD, HWND, BOOL&)
{
    HRESULT hr = m_Graph.ShowGraph();
    if (hr != S_OK)
        ShowError(L"Can't show graph", hr);
    return 0;
}

LRESULT CMainDialog::OnDurationChanged(WORD, WORD, HWND, BOOL&)
{
    if (!m_Graph.IsGraphBuilt() || m_bUpdating)
        return 0;
    m_bUpdating = true;

    double dMaxDur = 0.0;
    BOOL bTrans = FALSE;
    UINT nMilliseconds = GetDlgItemInt(IDC_EDIT_DURATION, &bTrans, FALSE);
    if (bTrans)
    {
        dMaxDur = MillisecondsToSeconds(nMilliseconds);
        HRESULT hr = m_Graph.SetMaxAudioDuration(dMaxDur);
        if (hr != S_OK)
            ShowError(L"Can't change audio duration", hr);
    }
    // The box always ends up showing what the synchronizer holds.
    HRESULT hr = m_Graph.GetMaxAudioDuration(dMaxDur);
    ATLASSERT_MSG(hr == S_OK, L"hr == ((HRESULT)0L)");
    SetDlgItemInt(IDC_EDIT_DURATION, SecondsToMilliseconds(dMaxDur), FALSE);

    m_bUpdating = false;
    return 0;
}

LRESULT CMainDialog::OnDurationSpin(int, LPNMHDR pNMHDR, BOOL&)
{
    LPNMUPDOWN pUpDown = reinterpret_cast<LPNMUPDOWN>(pNMHDR);
    pUpDown->iDelta = SpinDelta(pUpDown->iPos, pUpDown->iDelta);
    return 0;
}

LRESULT CMainDialog::OnPlay(WORD, WORD, HWND, BOOL&)
{
    if (!m_Graph.IsGraphBuilt())
    {
        ShowError(L"Graph not exist", E_FAIL);
        return 0;
    }
    HRESULT hr = m_Graph.Run();
    if (FAILED(hr))
        ShowError(L"Can't play file", hr);
    return 0;
}

LRESULT CMainDialog::OnPause(WORD, WORD, HWND, BOOL&)
{
    if (!m_Graph.IsGraphBuilt())
    {
        ShowError(L"Graph not exist", E_FAIL);
        return 0;
    }
    HRESULT hr = m_Graph.Pause();
    ATLASSERT_MSG(SUCCEEDED(hr), L"(((HRESULT)(hr)) >= 0)");
    return 0;
}

LRESULT CMainDialog::OnStop(WORD, WORD, HWND, BOOL&)
{
    if (!m_Graph.IsGraphBuilt())
        return 0;
    HRESULT hr = m_Graph.Stop();
    ATLASSERT_MSG(SUCCEEDED(hr), L"(((HRESULT)(hr)) >= 0)");
    return 0;
}

LRESULT CMainDialog::OnClose(WORD, WORD wID, HWND, BOOL&)
{
    m_Graph.ReleaseGraph();
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

bool CMainDialog::SelectGraphFile(LPWSTR pszFile)
{
    ATLASSERT(pszFile != 0);
    if (!pszFile)
        return false;

    // Older systems know only the shorter form of the structure.
    DWORD dwSize = OPENFILENAME_SIZE_VERSION_400W;
    OSVERSIONINFOW osvi = {};
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    if (::GetVersionExW(&osvi) &&
        (osvi.dwMajorVersion >= 5 || (osvi.dwMajorVersion == 4 && osvi.dwMinorVersion >= 90)))
        dwSize += sizeof(void*) + 2 * sizeof(DWORD);

    // Room for the full structure; only the first dwSize bytes are declared to the system.
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = dwSize;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = L"GRF files (.grf)\0*.grf\0All files\0*.*\0";
    ofn.lpstrFile = pszFile;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"Select GRF file or All file";
    // The current folder stays where the user started the tool: Show graph looks for the
    // viewer there, and a graph's folder must not decide which program that starts.
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    ofn.lpstrDefExt = L"grf";
    return ::GetOpenFileNameW(&ofn) != FALSE;
}
