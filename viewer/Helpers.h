// Bridge between this process's filter graph and the system's graph viewer: publishes the
// graph in the Running Object Table, starts the viewer, finds its windows and drives its
// connect dialog so that it opens this graph without the user's help.
#pragma once

#include <objbase.h>
#include <windows.h>

#include "atl/AtlComPtr.h"
#include "viewer/BoundedStart.h"
#include "viewer/EnumeratorAnchor.h"
#include "viewer/RemoteLinks.h"

class CGraphEdit
{
public:
    CGraphEdit();
    // Revokes the table entry, asks a held viewer to quit and ends every remote connection.
    ~CGraphEdit();
    CGraphEdit(const CGraphEdit&) = delete;
    CGraphEdit& operator=(const CGraphEdit&) = delete;

    // pGraph is the graph manager; the caller keeps ownership. S_OK once the viewer runs
    // and its window was found (whether or not the graph could be selected in it), S_FALSE
    // when no visible viewer window turned up, a failure code otherwise.
    HRESULT ShowGraph(IUnknown* pGraph);
    // Back to idle from any state; never fails, may be called any number of times.
    void CloseGraphEdit();

private:
    // Tests reach the single steps and the state through this class.
    friend class CGraphEditProbe;

    static HRESULT AddToRot(IUnknown* pGraph, DWORD* pdwCookie);
    static bool RemoveFromRot(DWORD dwCookie);

    static bool IsProppageRegistered(LPWSTR szProppage_dll);
    HRESULT LoadGraphEdit(LPCWSTR szProppage_dll);
    void QuitGraphEdit();
    // Waits at most the quit time for the viewer's primary thread to end, serving the
    // calls that the viewer makes into this apartment meanwhile.
    static void WaitForViewerThread(HANDLE hThread);

    bool FindMainWindow();
    bool WaitWhileHidden();
    BOOL OnEnumMainWindow(HWND hWnd);
    BOOL OnEnumConnectDialog(HWND hWnd);
    BOOL OnEnumListBox(HWND hWnd);
    static BOOL CALLBACK EnumMainWindowProc(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK EnumConnectDialogProc(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK EnumListBoxProc(HWND hWnd, LPARAM lParam);

    void PostConnectCommand();
    void SelectRemoteGraph(IUnknown* pGraph);
    // dwAnswerStart: when the budget for the list's answers began (GetTickCount).
    int FindGraphEntry(IUnknown* pGraph, DWORD dwAnswerStart);
    // Sends a message to m_hWndListBox and waits for its answer no longer than the budget
    // that began at dwAnswerStart allows; false when no answer came.
    bool SendToListBox(UINT uMsg, WPARAM wParam, LPARAM lParam, DWORD dwAnswerStart, LRESULT* plResult) const;
    static bool MatchCookieName(LPCWSTR pszCookieName, IUnknown* pGraph);

    DWORD m_dwCookie;
    // The graph while it is published, for ending its remote connections when the viewer
    // is let go.
    CComPtr<IUnknown> m_spPublished;
    // What a viewer reaches of the published graph, and the enumerators' interfaces, kept
    // out of the viewer's power to remove (its removal could stop this thread for good).
    CPublishedStubs m_stubs;
    CEnumeratorAnchor m_anchor;
    // The viewer's process is started off this thread: the platform's start can stall for
    // good, and this thread must come back from every click.
    CBoundedStart m_start;
    PROCESS_INFORMATION m_rgPI;
    HWND m_hWndGraphEdit;
    HWND m_hWndListBox;
    // The top-level window under which m_hWndListBox was found: the one that gets OK.
    HWND m_hWndConnectDialog;
};
