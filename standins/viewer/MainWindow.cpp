#include "MainWindow.h"

#include "GraphEntry.h"
#include "ReportLog.h"
#include "ViewerResource.h"
#include "ViewerSettings.h"
#include "WindowOrder.h"

namespace
{
    const wchar_t kFrameClass[] = L"StandInGraphViewerFrame";
    const wchar_t kPopupClass[] = L"StandInGraphViewerPopup";
    const wchar_t kFrameTitle[] = L"Graph Viewer";
    const UINT_PTR kShowTimer = 1;
    const UINT_PTR kConnectTimer = 2;
    const int kStatusHeight = 22;
}

CMainWindow::CMainWindow(const CViewerSettings* pSettings, const CReportLog* pLog)
    : m_pSettings(pSettings),
      m_pLog(pLog),
      m_hInstance(nullptr),
      m_hWnd(nullptr),
      m_hWndStatus(nullptr),
      m_hWndFilters(nullptr),
      m_hAccel(nullptr),
      m_nCmdShow(SW_SHOWNORMAL),
      m_hWndPopup(nullptr),
      m_ConnectDialog(this, pLog, pSettings)
{
}

CMainWindow::~CMainWindow()
{
    Destroy();
}

HRESULT CMainWindow::Create(HINSTANCE hInstance, int nCmdShow)
{
    m_hInstance = hInstance;
    m_nCmdShow = nCmdShow;

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_VIEWER_MENU);
    wc.lpszClassName = kFrameClass;
    if (!RegisterClassExW(&wc))
        return HRESULT_FROM_WIN32(GetLastError());
    m_hAccel = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDA_VIEWER_ACCEL));

    DWORD dwStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    if (m_pSettings->m_bNoSizingFrame)
        dwStyle &= ~static_cast<DWORD>(WS_THICKFRAME);
    // Created hidden; shown below, so that a delayed showing looks the same from outside.
    HWND hWnd = CreateWindowExW(0, kFrameClass, kFrameTitle, dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                640, 420, nullptr, nullptr, hInstance, this);
    if (!hWnd)
        return HRESULT_FROM_WIN32(GetLastError());

    if (!m_pSettings->m_bHasShowDelay || m_pSettings->m_dwShowDelayMs == 0)
    {
        ShowWindow(m_hWnd, m_nCmdShow);
        UpdateWindow(m_hWnd);
    }
    else if (m_pSettings->m_dwShowDelayMs != kNeverShow)
    {
        SetTimer(m_hWnd, kShowTimer, m_pSettings->m_dwShowDelayMs, nullptr);
    }
    return S_OK;
}

void CMainWindow::Destroy()
{
    m_ConnectDialog.Close();
    if (m_hWndPopup)
        DestroyWindow(m_hWndPopup);
    m_hWndPopup = nullptr;
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

bool CMainWindow::PreTranslateMessage(MSG* pMsg)
{
    if (m_ConnectDialog.IsOpen() && IsDialogMessageW(m_ConnectDialog.GetHwnd(), pMsg))
        return true;
    return m_hWnd && m_hAccel && TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg);
}

void CMainWindow::ShowConnection(DWORD dwProcessId, DWORD dwGraph, const std::vector<std::wstring>& rgNames)
{
    wchar_t szStatus[128] = {};
    swprintf(szStatus, 128, L"Connected to graph %08x of process %x: %u filter(s)",
             static_cast<unsigned>(dwGraph), static_cast<unsigned>(dwProcessId),
             static_cast<unsigned>(rgNames.size()));
    SetWindowTextW(m_hWndStatus, szStatus);
    wchar_t szTitle[128] = {};
    swprintf(szTitle, 128, L"%ls - pid %x graph %08x", kFrameTitle, static_cast<unsigned>(dwProcessId),
             static_cast<unsigned>(dwGraph));
    SetWindowTextW(m_hWnd, szTitle);

    SendMessageW(m_hWndFilters, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& strName : rgNames)
        SendMessageW(m_hWndFilters, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strName.c_str()));
}

void CMainWindow::ClearConnection()
{
    SetWindowTextW(m_hWndStatus, L"Not connected. Graph > Connect to Running Graph... lists the published graphs.");
    SetWindowTextW(m_hWnd, kFrameTitle);
    SendMessageW(m_hWndFilters, LB_RESETCONTENT, 0, 0);
}

LRESULT CALLBACK CMainWindow::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
    {
        auto* pCreate = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* pThis = static_cast<CMainWindow*>(pCreate->lpCreateParams);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
        pThis->m_hWnd = hWnd;
    }
    auto* pThis = reinterpret_cast<CMainWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!pThis)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    LRESULT lResult = pThis->OnMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        pThis->m_hWnd = nullptr;
    }
    return lResult;
}

LRESULT CMainWindow::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(m_hWnd);
        return 0;
    case WM_DESTROY:
        m_ConnectDialog.Close();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

void CMainWindow::OnCreate()
{
    HFONT hFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    m_hWndStatus = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE,
                                   0, 0, 0, 0, m_hWnd, nullptr, m_hInstance, nullptr);
    m_hWndFilters = CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                                    0, 0, 0, 0, m_hWnd, nullptr, m_hInstance, nullptr);
    SendMessageW(m_hWndStatus, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
    SendMessageW(m_hWndFilters, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
    ClearConnection();
}

void CMainWindow::OnSize(int cx, int cy)
{
    const int cxMargin = 6;
    MoveWindow(m_hWndStatus, cxMargin, 0, cx - 2 * cxMargin, kStatusHeight, TRUE);
    int cyList = cy - kStatusHeight - cxMargin;
    MoveWindow(m_hWndFilters, cxMargin, kStatusHeight, cx - 2 * cxMargin, cyList > 0 ? cyList : 0, TRUE);
}

void CMainWindow::OnCommand(WORD wId)
{
    switch (wId)
    {
    case ID_GRAPH_CONNECT:
        m_pLog->Append(L"connect-command");
        if (m_pSettings->m_bHasConnectDialogDelay && m_pSettings->m_dwConnectDialogDelayMs > 0)
            SetTimer(m_hWnd, kConnectTimer, m_pSettings->m_dwConnectDialogDelayMs, nullptr);
        else
            OpenConnectDialog();
        break;
    case ID_GRAPH_DISCONNECT:
        ClearConnection();
        break;
    case ID_FILE_EXIT:
        DestroyWindow(m_hWnd);
        break;
    }
}

void CMainWindow::OnTimer(UINT_PTR uId)
{
    KillTimer(m_hWnd, uId);
    if (uId == kShowTimer)
    {
        ShowWindow(m_hWnd, m_nCmdShow);
        UpdateWindow(m_hWnd);
    }
    else if (uId == kConnectTimer)
    {
        OpenConnectDialog();
    }
}

void CMainWindow::OpenConnectDialog()
{
    if (m_pSettings->m_bChildlessPopup && !m_hWndPopup)
        ShowChildlessPopup();
    HRESULT hr = m_ConnectDialog.Open(m_hInstance, m_hWnd);
    if (FAILED(hr))
        m_pLog->Append(ComposeFailureLine(L"connect-dialog-failed", hr));
    else if (m_hWndPopup && IsEnumeratedBefore(m_hWndPopup, m_ConnectDialog.GetHwnd()))
        m_pLog->Append(L"popup-in-front");
}

void CMainWindow::ShowChildlessPopup()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = m_hInstance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = kPopupClass;
    RegisterClassExW(&wc);
    RECT rcMain = {};
    GetWindowRect(m_hWnd, &rcMain);
    // Owned by the main window and above everything, like a tooltip or a floating palette.
    m_hWndPopup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPopupClass, L"",
                                  WS_POPUP | WS_BORDER, rcMain.left + 16, rcMain.top + 48, 120, 32, m_hWnd, nullptr,
                                  m_hInstance, nullptr);
    if (!m_hWndPopup)
    {
        m_pLog->Append(ComposeFailureLine(L"popup-failed", HRESULT_FROM_WIN32(GetLastError())));
        return;
    }
    ShowWindow(m_hWndPopup, SW_SHOWNOACTIVATE);
    m_pLog->Append(L"popup");
}

