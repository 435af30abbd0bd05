#include "TestWindows.h"

namespace {

const wchar_t kTestWindowClass[] = L"ViewerBridgeTestWindow";

void RegisterTestWindowClass()
{
    static bool s_bRegistered = false;
    if (s_bRegistered)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kTestWindowClass;
    s_bRegistered = ::RegisterClassExW(&wc) != 0;
}

} // namespace

HWND CTestWindow::Create(LPCWSTR pszClass, DWORD dwStyle, HWND hWndParent)
{
    Destroy();
    if (!pszClass)
    {
        RegisterTestWindowClass();
        pszClass = kTestWindowClass;
    }
    const bool bChild = (dwStyle & WS_CHILD) != 0;
    m_hWnd = ::CreateWindowExW(0, pszClass, L"", dwStyle, 10, 10, bChild ? 200 : 300, bChild ? 150 : 250,
                               hWndParent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return m_hWnd;
}

void CTestWindow::Destroy()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void Restyle(HWND hWnd, DWORD dwStyle)
{
    ::SetWindowLongW(hWnd, GWL_STYLE, static_cast<LONG>(dwStyle));
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void FillListBox(HWND hWndListBox, const std::vector<std::wstring>& rgEntries)
{
    ::SendMessageW(hWndListBox, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& strEntry : rgEntries)
        ::SendMessageW(hWndListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strEntry.c_str()));
}

bool TakePostedCommand(HWND hWnd, WPARAM* pwParam, LPARAM* plParam)
{
    MSG msg;
    if (!::PeekMessageW(&msg, hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        return false;
    *pwParam = msg.wParam;
    *plParam = msg.lParam;
    return true;
}

void DispatchPendingMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
