#include "ConnectDialog.h"

#include "GraphEntry.h"
#include "MainWindow.h"
#include "ReportLog.h"
#include "ViewerResource.h"

namespace
{
    // Item data of entries that name no published graph (the extra test entries).
    const LPARAM kNoGraph = -1;
}

CConnectDialog::CConnectDialog(CMainWindow* pMainWindow, const CReportLog* pLog,
                               const std::vector<std::wstring>* prgstrExtraEntries)
    : m_pMainWindow(pMainWindow),
      m_pLog(pLog),
      m_prgstrExtraEntries(prgstrExtraEntries),
      m_hWnd(nullptr),
      m_hWndOwner(nullptr)
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
                int iSel = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_CONNECT_LIST, LB_GETCURSEL, 0, 0));
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

void CConnectDialog::FillList()
{
    HWND hWndList = GetDlgItem(m_hWnd, IDC_CONNECT_LIST);
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
    for (const std::wstring& strExtra : *m_prgstrExtraEntries)
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
    HWND hWndList = GetDlgItem(m_hWnd, IDC_CONNECT_LIST);
    LRESULT cch = SendMessageW(hWndList, LB_GETTEXTLEN, static_cast<WPARAM>(iSel), 0);
    if (cch == LB_ERR)
        return std::wstring();
    std::vector<wchar_t> rgch(static_cast<size_t>(cch) + 1, L'\0');
    SendMessageW(hWndList, LB_GETTEXT, static_cast<WPARAM>(iSel), reinterpret_cast<LPARAM>(rgch.data()));
    return rgch.data();
}

void CConnectDialog::OnOk()
{
    HWND hWndList = GetDlgItem(m_hWnd, IDC_CONNECT_LIST);
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
    HRESULT hr = ReadRemoteFilterNames(graph.m_spMoniker.Get(), &rgNames);
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
