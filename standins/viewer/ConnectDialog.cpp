#include "ConnectDialog.h"

#include "GraphEntry.h"
#include "MainWindow.h"
#include "RemoteRead.h"
#include "ReportLog.h"
#include "ViewerResource.h"
#include "ViewerSettings.h"

namespace
{
    // Item data of entries that name no published graph (the extra test entries).
    const LPARAM kNoGraph = -1;

    const wchar_t kPanelClass[] = L"StandInGraphViewerPanel";
    const wchar_t kDialogProp[] = L"StandInConnectDialog";

    // A plain container, as other viewers group their controls: it hands its children's
    // notifications to the dialog, and takes a command that no control sent (such as an
    // OK posted to it) for one of its own, of which it has none.
    LRESULT CALLBACK PanelProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE)
            SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        if (uMsg == WM_COMMAND)
        {
            if (lParam != 0)
                return SendMessageW(GetParent(hWnd), uMsg, wParam, lParam);
            const auto* pLog = reinterpret_cast<const CReportLog*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
            wchar_t szLine[48] = {};
            swprintf(szLine, 48, L"panel-command id=%u", static_cast<unsigned>(LOWORD(wParam)));
            if (pLog)
                pLog->Append(szLine);
            return 0;
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

CConnectDialog::CConnectDialog(CMainWindow* pMainWindow, const CReportLog* pLog, const CViewerSettings* pSettings)
    : m_pMainWindow(pMainWindow),
      m_pLog(pLog),
      m_pSettings(pSettings),
      m_hWnd(nullptr),
      m_hWndOwner(nullptr),
      m_hWndList(nullptr),
      m_pfnListProc(nullptr),
      m_bHangDone(false)
{
}

CConnectDialog::~CConnectDialog()
{
    Close();
}

HRESULT CConnectDialog::Open(HINSTANCE hInstance, HWND hWndOwner)
{
    // The table is read before the dialog exists: reading it pumps messages while COM
    // waits, and a half-filled list must never be visible to another process.
    std::vector<SPublishedGraph> rgGraphs;
    HRESULT hr = CollectPublishedGraphs(&rgGraphs);
    if (FAILED(hr))
        m_pLog->Append(ComposeFailureLine(L"rot-failed", hr));
    m_rgGraphs.swap(rgGraphs);

    if (m_hWnd)
    {
        FillList();
        SetForegroundWindow(m_hWnd);
        m_pLog->Append(L"connect-dialog");
        return S_OK;
    }
    m_hWndOwner = hWndOwner;
    HWND hWnd = CreateDialogParamW(hInstance, MAKEINTRESOURCEW(IDD_CONNECT), hWndOwner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hWnd)
        return HRESULT_FROM_WIN32(GetLastError());
    CenterOverOwner();
    ShowWindow(hWnd, SW_SHOW);
    m_pLog->Append(L"connect-dialog");
    return S_OK;
}

void CConnectDialog::Close()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd);   // WM_NCDESTROY clears m_hWnd
}

INT_PTR CALLBACK CConnectDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG)
    {
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CConnectDialog*>(lParam)->m_hWnd = hWnd;
    }
    CConnectDialog* pThis = reinterpret_cast<CConnectDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!pThis)
        return FALSE;
    INT_PTR nResult = pThis->OnMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        pThis->m_hWnd = nullptr;
    }
    return nResult;
}

INT_PTR CConnectDialog::OnMessage(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        m_hWndList = GetDlgItem(m_hWnd, IDC_CONNECT_LIST);
        if (m_pSettings->m_bNestedListBox)
            NestListInPanel();
        if (m_pSettings->m_dwListHangMs > 0 && !m_bHangDone)
            HangOnFirstCount();
        FillList();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
            OnOk();
            return TRUE;
        case IDCANCEL:
            m_pLog->Append(L"cancel");
            Close();
            return TRUE;
        case IDC_CONNECT_REFRESH:
            Open(nullptr, m_hWndOwner);
            return TRUE;
        case IDC_CONNECT_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE)
            {
                int iSel = static_cast<int>(SendMessageW(m_hWndList, LB_GETCURSEL, 0, 0));
                if (iSel != LB_ERR)
                    m_pLog->Append(L"selected=" + SelectedEntryText(iSel));
            }
            else if (HIWORD(wParam) == LBN_DBLCLK)
            {
                OnOk();
            }
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void CConnectDialog::NestListInPanel()
{
    HINSTANCE hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = hInstance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);   // fails harmlessly when the dialog is opened again

    RECT rcList = {};
    GetWindowRect(m_hWndList, &rcList);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcList), 2);
    const int cx = rcList.right - rcList.left;
    const int cy = rcList.bottom - rcList.top;
    HWND hWndPanel = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE, rcList.left,
                                     rcList.top, cx, cy, m_hWnd, reinterpret_cast<HMENU>(IDC_CONNECT_PANEL),
                                     hInstance, const_cast<CReportLog*>(m_pLog));
    if (!hWndPanel)
        return;
    SetParent(m_hWndList, hWndPanel);
    SetWindowPos(m_hWndList, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CConnectDialog::HangOnFirstCount()
{
    SetPropW(m_hWndList, kDialogProp, this);
    m_pfnListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_hWndList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
}

LRESULT CALLBACK CConnectDialog::ListProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = static_cast<CConnectDialog*>(GetPropW(hWnd, kDialogProp));
    WNDPROC pfnOriginal = pThis->m_pfnListProc;
    // Only another program's question stops the viewer: its own sends run on its thread.
    if (uMsg == LB_GETCOUNT && !pThis->m_bHangDone && InSendMessage())
    {
        pThis->m_bHangDone = true;
        wchar_t szLine[48] = {};
        swprintf(szLine, 48, L"list-hang ms=%lu", static_cast<unsigned long>(pThis->m_pSettings->m_dwListHangMs));
        pThis->m_pLog->Append(szLine);
        // The whole thread stops, as in a viewer that is busy or waits on something.
        Sleep(pThis->m_pSettings->m_dwListHangMs);
        pThis->m_pLog->Append(L"list-answers");
    }
    if (uMsg == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnOriginal));
        RemovePropW(hWnd, kDialogProp);
    }
    return CallWindowProcW(pfnOriginal, hWnd, uMsg, wParam, lParam);
}

void CConnectDialog::FillList()
{
    HWND hWndList = m_hWndList;
    SendMessageW(hWndList, LB_RESETCONTENT, 0, 0);
    int cxWidest = 0;
    HDC hDC = GetDC(hWndList);
    HGDIOBJ hOldFont = SelectObject(hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(hWndList, WM_GETFONT, 0, 0)));

    auto addEntry = [&](const std::wstring& strText, LPARAM lItemData) {
        LRESULT iItem = SendMessageW(hWndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strText.c_str()));
        if (iItem >= 0)
            SendMessageW(hWndList, LB_SETITEMDATA, static_cast<WPARAM>(iItem), lItemData);
        SIZE size = {};
        if (GetTextExtentPoint32W(hDC, strText.c_str(), static_cast<int>(strText.size()), &size) &&
            size.cx > cxWidest)
            cxWidest = size.cx;
    };
    for (const std::wstring& strExtra : m_pSettings->m_rgstrExtraEntries)
        addEntry(strExtra, kNoGraph);
    for (size_t i = 0; i < m_rgGraphs.size(); ++i)
        addEntry(ComposeGraphEntry(m_rgGraphs[i].m_dwProcessId, m_rgGraphs[i].m_dwGraph),
                 static_cast<LPARAM>(i));

    SelectObject(hDC, hOldFont);
    ReleaseDC(hWndList, hDC);
    SendMessageW(hWndList, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(cxWidest + 8), 0);
}

void CConnectDialog::CenterOverOwner()
{
    RECT rcOwner = {};
    RECT rcDialog = {};
    if (!GetWindowRect(m_hWndOwner, &rcOwner) || !GetWindowRect(m_hWnd, &rcDialog))
        return;
    int x = rcOwner.left + ((rcOwner.right - rcOwner.left) - (rcDialog.right - rcDialog.left)) / 2;
    int y = rcOwner.top + ((rcOwner.bottom - rcOwner.top) - (rcDialog.bottom - rcDialog.top)) / 2;
    SetWindowPos(m_hWnd, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring CConnectDialog::SelectedEntryText(int iSel) const
{
    HWND hWndList = m_hWndList;
    LRESULT cch = SendMessageW(hWndList, LB_GETTEXTLEN, static_cast<WPARAM>(iSel), 0);
    if (cch == LB_ERR)
        return std::wstring();
    std::vector<wchar_t> rgch(static_cast<size_t>(cch) + 1, L'\0');
    SendMessageW(hWndList, LB_GETTEXT, static_cast<WPARAM>(iSel), reinterpret_cast<LPARAM>(rgch.data()));
    return rgch.data();
}

void CConnectDialog::OnOk()
{
    HWND hWndList = m_hWndList;
    int iSel = static_cast<int>(SendMessageW(hWndList, LB_GETCURSEL, 0, 0));
    if (iSel == LB_ERR)
    {
        m_pLog->Append(L"ok");
        m_pLog->Append(L"no-selection");
        Close();
        return;
    }
    m_pLog->Append(L"selected=" + SelectedEntryText(iSel));
    m_pLog->Append(L"ok");

    LPARAM lItemData = SendMessageW(hWndList, LB_GETITEMDATA, static_cast<WPARAM>(iSel), 0);
    if (lItemData == kNoGraph || lItemData < 0 || static_cast<size_t>(lItemData) >= m_rgGraphs.size())
    {
        // An entry that names no table entry cannot be bound, like a graph that went away.
        m_pLog->Append(ComposeFailureLine(L"bind-failed", MK_E_UNAVAILABLE));
        Close();
        return;
    }
    const SPublishedGraph& graph = m_rgGraphs[static_cast<size_t>(lItemData)];
    std::vector<std::wstring> rgNames;
    const bool bKeeps = m_pSettings->m_dwHoldAfterQuitMs > 0 || m_pSettings->m_dwEndWithoutRelease != 0;
    HRESULT hr = (bKeeps || m_pSettings->m_dwSlowConnectMs > 0)
                     ? ReadRemoteGraph(graph.m_spMoniker.p, m_pSettings->m_dwSlowConnectMs,
                                       bKeeps ? &ViewerHold() : nullptr,
                                       m_pSettings->m_dwEndWithoutRelease != kEndHoldingObjects, m_pLog, &rgNames)
                     : ReadRemoteFilterNames(graph.m_spMoniker.p, &rgNames, m_pSettings->m_dwReadRounds);
    if (SUCCEEDED(hr))
    {
        m_pLog->Append(ComposeConnectedLine(graph.m_dwGraph, rgNames));
        m_pMainWindow->ShowConnection(graph.m_dwProcessId, graph.m_dwGraph, rgNames);
    }
    else
    {
        m_pLog->Append(ComposeFailureLine(L"bind-failed", hr));
    }
    Close();
    // Without a window manager nobody else repaints what the dialog covered.
    RedrawWindow(m_hWndOwner, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
