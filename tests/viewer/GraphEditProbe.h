// Reaches into CGraphEdit for the tests: its state, and its single steps.
#pragma once

#include "viewer/Helpers.h"

class CGraphEditProbe
{
public:
    static DWORD Cookie(const CGraphEdit& ge) { return ge.m_dwCookie; }
    static const PROCESS_INFORMATION& Viewer(const CGraphEdit& ge) { return ge.m_rgPI; }
    static HWND MainWindow(const CGraphEdit& ge) { return ge.m_hWndGraphEdit; }
    static HWND ListBox(const CGraphEdit& ge) { return ge.m_hWndListBox; }
    static HWND ConnectDialog(const CGraphEdit& ge) { return ge.m_hWndConnectDialog; }

    // Every member empty, as after construction or CloseGraphEdit.
    static bool IsIdle(const CGraphEdit& ge)
    {
        const PROCESS_INFORMATION& pi = ge.m_rgPI;
        return ge.m_dwCookie == 0 && !ge.m_spPublished && !pi.hProcess && !pi.hThread && pi.dwProcessId == 0 &&
               pi.dwThreadId == 0 && !ge.m_hWndGraphEdit && !ge.m_hWndListBox &&
               !ge.m_hWndConnectDialog;
    }

    static void SetCookie(CGraphEdit& ge, DWORD dwCookie) { ge.m_dwCookie = dwCookie; }
    static void SetViewerProcessId(CGraphEdit& ge, DWORD dwProcessId) { ge.m_rgPI.dwProcessId = dwProcessId; }
    static void SetMainWindow(CGraphEdit& ge, HWND hWnd) { ge.m_hWndGraphEdit = hWnd; }
    static void SetListBox(CGraphEdit& ge, HWND hWnd) { ge.m_hWndListBox = hWnd; }

    static HRESULT AddToRot(IUnknown* pGraph, DWORD* pdwCookie) { return CGraphEdit::AddToRot(pGraph, pdwCookie); }
    static bool RemoveFromRot(DWORD dwCookie) { return CGraphEdit::RemoveFromRot(dwCookie); }
    static bool IsProppageRegistered(LPWSTR pszProppage) { return CGraphEdit::IsProppageRegistered(pszProppage); }
    static HRESULT LoadGraphEdit(CGraphEdit& ge, LPCWSTR pszProppage) { return ge.LoadGraphEdit(pszProppage); }
    static void QuitGraphEdit(CGraphEdit& ge) { ge.QuitGraphEdit(); }
    static void WaitForViewerThread(HANDLE hThread) { CGraphEdit::WaitForViewerThread(hThread); }
    static bool FindMainWindow(CGraphEdit& ge) { return ge.FindMainWindow(); }
    static bool WaitWhileHidden(CGraphEdit& ge) { return ge.WaitWhileHidden(); }
    static void FindConnectDialog(CGraphEdit& ge)
    {
        ::EnumWindows(CGraphEdit::EnumConnectDialogProc, reinterpret_cast<LPARAM>(&ge));
    }
    static BOOL CallEnumMainWindowProc(HWND hWnd, LPARAM lParam) { return CGraphEdit::EnumMainWindowProc(hWnd, lParam); }
    static BOOL CallEnumConnectDialogProc(HWND hWnd, LPARAM lParam) { return CGraphEdit::EnumConnectDialogProc(hWnd, lParam); }
    static BOOL CallEnumListBoxProc(HWND hWnd, LPARAM lParam) { return CGraphEdit::EnumListBoxProc(hWnd, lParam); }
    static void PostConnectCommand(CGraphEdit& ge) { ge.PostConnectCommand(); }
    static void SelectRemoteGraph(CGraphEdit& ge, IUnknown* pGraph) { ge.SelectRemoteGraph(pGraph); }
    // With a fresh budget for the list's answers.
    static int FindGraphEntry(CGraphEdit& ge, IUnknown* pGraph) { return ge.FindGraphEntry(pGraph, ::GetTickCount()); }
    static bool MatchCookieName(LPCWSTR pszText, IUnknown* pGraph) { return CGraphEdit::MatchCookieName(pszText, pGraph); }
};
