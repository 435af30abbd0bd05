// Thin window wrapper and the message-map machinery used by dialogs.
#pragma once

#include <windows.h>

#include "atl/AtlTrace.h"

class CWindow
{
public:
    explicit CWindow(HWND hWnd = nullptr) : m_hWnd(hWnd) {}

    operator HWND() const { return m_hWnd; }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    BOOL GetWindowRect(LPRECT lpRect) const { return ::GetWindowRect(m_hWnd, lpRect); }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    BOOL SetDlgItemText(int nID, LPCWSTR pszText) { return ::SetDlgItemTextW(m_hWnd, nID, pszText); }
    UINT GetDlgItemText(int nID, LPWSTR pszText, int nMaxCount) const
    {
        return ::GetDlgItemTextW(m_hWnd, nID, pszText, nMaxCount);
    }
    BOOL SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE)
    {
        return ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
    }
    UINT GetDlgItemInt(int nID, BOOL* pbTrans = nullptr, BOOL bSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, nID, pbTrans, bSigned);
    }
    LRESULT SendDlgItemMessage(int nID, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendDlgItemMessageW(m_hWnd, nID, uMsg, wParam, lParam);
    }

    HWND m_hWnd;
};

// Anything that answers window messages through a message map. Not a pure function: a
// pure one puts the C++ run-time's handler for calls to it, and with it the exception
// machinery, into every executable; a class without a map handles nothing.
class CMessageMap
{
public:
    // The window procedure's own parameters, in its order.
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult, DWORD dwMsgMapID)
    {
        (void)hWnd;
        (void)uMsg;
        (void)wParam;
        (void)lParam;
        (void)lResult;
        (void)dwMsgMapID;
        return FALSE;
    }
};

// The message map: entries are tested in order; the first whose condition holds calls
// its handler, and the message counts as handled unless the handler clears bHandled.
#define BEGIN_MSG_MAP(theClass)                                                          \
public:                                                                                  \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,        \
                              LRESULT& lResult, DWORD dwMsgMapID = 0) override           \
    {                                                                                    \
        BOOL bHandled = TRUE;                                                            \
        (void)hWnd;                                                                      \
        (void)uMsg;                                                                      \
        (void)wParam;                                                                    \
        (void)lParam;                                                                    \
        (void)lResult;                                                                   \
        (void)bHandled;                                                                  \
        switch (dwMsgMapID)                                                              \
        {                                                                                \
        case 0:

#define MESSAGE_HANDLER(msg, func)                                                       \
    if (uMsg == (UINT)(msg))                                                             \
    {                                                                                    \
        bHandled = TRUE;                                                                 \
        lResult = func(uMsg, wParam, lParam, bHandled);                                  \
        if (bHandled)                                                                    \
            return TRUE;                                                                 \
    }

#define COMMAND_HANDLER(id, code, func)                                                  \
    if (uMsg == WM_COMMAND && (id) == LOWORD(wParam) && (code) == HIWORD(wParam))        \
    {                                                                                    \
        bHandled = TRUE;                                                                 \
        lResult = func(HIWORD(wParam), LOWORD(wParam), (HWND)lParam, bHandled);          \
        if (bHandled)                                                                    \
            return TRUE;                                                                 \
    }

#define COMMAND_ID_HANDLER(id, func)                                                     \
    if (uMsg == WM_COMMAND && (id) == LOWORD(wParam))                                    \
    {                                                                                    \
        bHandled = TRUE;                                                                 \
        lResult = func(HIWORD(wParam), LOWORD(wParam), (HWND)lParam, bHandled);          \
        if (bHandled)                                                                    \
            return TRUE;                                                                 \
    }

#define NOTIFY_HANDLER(id, cd, func)                                                     \
    if (uMsg == WM_NOTIFY && (UINT_PTR)(id) == ((LPNMHDR)lParam)->idFrom &&              \
        (UINT)(cd) == ((LPNMHDR)lParam)->code)                                           \
    {                                                                                    \
        bHandled = TRUE;                                                                 \
        lResult = func((int)wParam, (LPNMHDR)lParam, bHandled);                          \
        if (bHandled)                                                                    \
            return TRUE;                                                                 \
    }

#define END_MSG_MAP()                                                                    \
    break;                                                                               \
    default:                                                                             \
        ATLTRACE2(atlTraceWindowing, 0, L"Invalid message map ID (%i)\n", (int)dwMsgMapID); \
        ATLASSERT(FALSE);                                                                \
        break;                                                                           \
        }                                                                                \
        return FALSE;                                                                    \
    }
