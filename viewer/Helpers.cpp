#include "viewer/Helpers.h"

#include "atl/AtlComPtr.h"
#include "atl/AtlRegKey.h"
#include "atl/AtlTrace.h"
#include "viewer/BoundedStart.h"
#include "viewer/CookieName.h"
#include "viewer/RemoteLinks.h"
#include "viewer/TickBudget.h"
#include "viewer/ViewerLaunch.h"

namespace {

const wchar_t kProppageClassKey[] = L"CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}";
const wchar_t kGraphEditKey[] = L"Software\\Microsoft\\Shared Tools\\Graphedit";

// The viewer must accept input within this time after its start, and its primary thread
// gets as long to end after it was asked to quit.
const DWORD kIdleWaitMs = 1000;
const DWORD kQuitWaitMs = 1000;
// The platform's start of the viewer's process returns in some tens of milliseconds, a few
// seconds on a fully loaded machine; one that has not returned by then has stalled.
const DWORD kStartWaitMs = 5000;
// A main window that is found hidden gets this long to become visible.
const DWORD kShowWaitMs = 100;
const DWORD kPollMs = 10;
// Window searches count down from here and run while the counter stays above zero: 9 passes.
const int kSearchCounter = 10;

// A message sent to the viewer's list waits this long at most for its answer, and all the
// messages of one SelectRemoteGraph together at most kAnswerBudgetMs: a viewer that stops
// answering (busy, hung, or itself waiting on something) costs the tool that much, never
// its life. SelectRemoteGraph thus ends within its nine pauses, the enumerations and
// kAnswerBudgetMs, about 0.6 s.
const DWORD kAnswerWaitMs = 100;
const DWORD kAnswerBudgetMs = 500;
// A viewer that the system already takes for hung gets no wait at all; and while this
// thread waits it takes no message sent to it, so none of the tool's handlers runs in the
// middle of working the viewer's dialog.
const UINT kAnswerFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

// The viewer's "connect to a remote graph" command, sent as an accelerator would send it.
const WORD kConnectCommandId = 0x8034;
const WORD kFromAccelerator = 1;

// The main window's frame: caption, system menu and sizing border.
const DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

} // namespace

CGraphEdit::CGraphEdit()
    : m_dwCookie(0), m_spPublished(), m_stubs(), m_anchor(), m_start(), m_rgPI(), m_hWndGraphEdit(nullptr), m_hWndListBox(nullptr), m_hWndConnectDialog(nullptr)
{
}

CGraphEdit::~CGraphEdit()
{
    // The anchor goes with its member, after this.
    CloseGraphEdit();
}

HRESULT CGraphEdit::ShowGraph(IUnknown* pGraph)
{
    CloseGraphEdit();

    wchar_t szProppage_dll[kPathChars] = {};
    if (!IsProppageRegistered(szProppage_dll))
    {
        ATLFAILREPORT(L"CGraphEdit::ShowGraph(): Proppage.dll is not registered");
        return REGDB_E_CLASSNOTREG;
    }

    // Whatever the registration's outcome, the graph may have been handed out by now.
    m_spPublished = pGraph;
    // Before anyone can find the graph: no release of a viewer may remove the last stub of
    // an interface it got from us.
    m_anchor.Hold();
    m_stubs.Hold(pGraph);
    HRESULT hr = AddToRot(pGraph, &m_dwCookie);
    if (FAILED(hr))
    {
        ATLTRACE2(atlTraceGeneral, 2, L"###Err### CGraphEdit::ShowGraph(): AddToRot() failed, hr=0x%X\n", hr);
        return hr;
    }

    // From here on the table entry stays until the next CloseGraphEdit, whatever fails.
    hr = LoadGraphEdit(szProppage_dll);
    if (hr != S_OK)
        return hr;

    if (!FindMainWindow())
        return S_FALSE;

    PostConnectCommand();
    SelectRemoteGraph(pGraph);
    return S_OK;
}

void CGraphEdit::CloseGraphEdit()
{
    RemoveFromRot(m_dwCookie);
    m_dwCookie = 0;
    // With the graph withdrawn, whatever the viewer still holds of it, or calls on, stops
    // reaching this apartment: a late release or call of a viewer that is let go would be
    // served on this thread while the next viewer works with the graph, and a reference it
    // never releases would keep the graph's objects alive for as long as this process runs.
    DisconnectRemoteClients(m_spPublished);
    // What the viewer may still get during the quit wait (through an enumerator it holds)
    // comes from stubs of ours again, which its releases cannot remove.
    m_stubs.Hold(m_spPublished);
    m_hWndListBox = nullptr;
    m_hWndConnectDialog = nullptr;
    m_hWndGraphEdit = nullptr;
    QuitGraphEdit();
    // The quit wait served the viewer's calls that were already on their way, and their
    // answers may have handed out new connections: those end too, without a wait.
    DisconnectRemoteClients(m_spPublished);
    m_stubs.Drop();
    m_spPublished.Release();
}

HRESULT CGraphEdit::AddToRot(IUnknown* pGraph, DWORD* pdwCookie)
{
    ATLASSERT(pGraph != 0);
    if (!pGraph)
        return E_INVALIDARG;
    ATLASSERT(pdwCookie != 0);
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;

    CComPtr<IRunningObjectTable> spROT;
    HRESULT hr = ::GetRunningObjectTable(0, &spROT);
    if (hr != S_OK)
        return hr;

    wchar_t szCookieName[kCookieNameChars];
    FormatCookieName(szCookieName, GraphNumberOf(pGraph), ::GetCurrentProcessId());

    CComPtr<IMoniker> spMoniker;
    hr = ::CreateItemMoniker(L"!", szCookieName, &spMoniker);
    if (FAILED(hr))
        return hr;

    // No flags: the entry neither keeps the graph alive nor is offered to other users.
    hr = spROT->Register(0, pGraph, spMoniker, pdwCookie);
    spMoniker.Release();
    spROT.Release();
    return hr;
}

bool CGraphEdit::RemoveFromRot(DWORD dwCookie)
{
    if (dwCookie == 0)
        return true;
    CComPtr<IRunningObjectTable> spROT;
    if (::GetRunningObjectTable(0, &spROT) != S_OK)
        return true;
    const HRESULT hr = spROT->Revoke(dwCookie);
    spROT.Release();
    return hr == S_OK;
}

bool CGraphEdit::IsProppageRegistered(LPWSTR szProppage_dll)
{
    CRegKey key;
    LONG lRes = key.Open(HKEY_CLASSES_ROOT, kProppageClassKey, KEY_READ);
    if (lRes == ERROR_SUCCESS)
        lRes = key.Open(key, L"InprocServer32", KEY_READ);
    if (lRes == ERROR_SUCCESS && szProppage_dll)
    {
        ULONG nChars = kPathChars;
        lRes = key.QueryStringValue(nullptr, szProppage_dll, &nChars);
    }
    key.Close();
    if (lRes != ERROR_SUCCESS)
    {
        if (szProppage_dll)
            szProppage_dll[0] = L'\0';
        return false;
    }
    return true;
}

HRESULT CGraphEdit::LoadGraphEdit(LPCWSTR szProppage_dll)
{
    wchar_t szGraphEdit[kPathChars] = {};

    CRegKey key;
    LONG lRes = key.Open(HKEY_LOCAL_MACHINE, kGraphEditKey, KEY_READ);
    if (lRes == ERROR_SUCCESS)
    {
        ULONG nChars = kPathChars;
        lRes = key.QueryStringValue(L"Path", szGraphEdit, &nChars);
    }
    if (lRes != ERROR_SUCCESS)
        ::lstrcpynW(szGraphEdit, kGraphEditExe, kPathChars);

    PROCESS_INFORMATION rgPI = {};
    STARTUPINFOW rgSI = {};
    rgSI.cb = sizeof(rgSI);
    rgSI.dwFlags = STARTF_USESHOWWINDOW;
    rgSI.wShowWindow = SW_SHOWNORMAL;

    // As the application name, a bare file name is looked for in the current directory
    // only, never along the search path.
    DWORD dwError = 0;
    bool bStarted = m_start.Start(szGraphEdit, rgSI, kStartWaitMs, &rgPI, &dwError);

    // Only a missing file sends us to the folder of Proppage.dll; a missing folder or any
    // other failure would fail there too, or mean something we should not paper over.
    if (!bStarted && dwError == ERROR_FILE_NOT_FOUND && szProppage_dll && szProppage_dll[0] &&
        ComposeBesideProppage(szProppage_dll, szGraphEdit, kPathChars))
    {
        bStarted = m_start.Start(szGraphEdit, rgSI, kStartWaitMs, &rgPI, &dwError);
    }

    if (!bStarted)
    {
        ATLTRACE2(atlTraceGeneral, 2, L"###Err### CGraphEdit::LoadGraphEdit(): CreateProcess() failed, error %u\n",
                  dwError);
        key.Close();
        return HresultFromStartError(dwError);
    }

    ATLASSERT(rgPI.hProcess != 0 && rgPI.hThread != 0);
    const DWORD dwWait = ::WaitForInputIdle(rgPI.hProcess, kIdleWaitMs);
    if (dwWait != 0)
    {
        const HRESULT hr = (dwWait == WAIT_TIMEOUT) ? E_FAIL : HresultFromStartError(::GetLastError());
        ATLTRACE2(atlTraceGeneral, 2,
                  L"###Err### CGraphEdit::LoadGraphEdit(): WaitForInputIdle()=%u, hr=0x%X\n",
                  dwWait, hr);
        // The viewer is left running: it may still come up, and it is the user's to close.
        ::CloseHandle(rgPI.hThread);
        ::CloseHandle(rgPI.hProcess);
        key.Close();
        return hr;
    }

    m_rgPI = rgPI;
    key.Close();
    return S_OK;
}

void CGraphEdit::QuitGraphEdit()
{
    if (m_rgPI.hThread)
    {
        // Asked, never forced: a viewer that already ended makes the post fail and the
        // wait return at once.
        ::PostThreadMessageW(m_rgPI.dwThreadId, WM_QUIT, 0, 0);
        WaitForViewerThread(m_rgPI.hThread);
        ::CloseHandle(m_rgPI.hThread);
    }
    if (m_rgPI.hProcess)
        ::CloseHandle(m_rgPI.hProcess);
    ::ZeroMemory(&m_rgPI, sizeof(m_rgPI));
}

void CGraphEdit::WaitForViewerThread(HANDLE hThread)
{
    // A viewer that is asked to quit may still be connecting to our graph, or releasing
    // what it holds of it: calls into this apartment, which only this thread can serve.
    // A plain wait would leave them waiting until the time is up and keep the viewer
    // alive past it; the apartment's own wait serves them, so the viewer can end in time.
    DWORD dwIndex = 0;
    const HRESULT hr = ::CoWaitForMultipleHandles(0, kQuitWaitMs, 1, &hThread, &dwIndex);
    if (hr == CO_E_NOTINITIALIZED)
        ::WaitForSingleObject(hThread, kQuitWaitMs);
}

bool CGraphEdit::FindMainWindow()
{
    ATLASSERT(m_rgPI.hProcess != 0 && m_rgPI.hThread != 0);
    m_hWndGraphEdit = nullptr;

    // The viewer may still be creating its window: a few passes back to back, no pause.
    for (int nCounter = kSearchCounter; --nCounter > 0;)
    {
        ::EnumWindows(EnumMainWindowProc, reinterpret_cast<LPARAM>(this));
        if (m_hWndGraphEdit)
            break;
    }

    if (m_hWndGraphEdit && !WaitWhileHidden())
        m_hWndGraphEdit = nullptr;
    if (!m_hWndGraphEdit)
        ATLTRACE2(atlTraceGeneral, 2, L"###Err### CGraphEdit::FindMainWindow(): GraphEdit window not found\n");
    return m_hWndGraphEdit != nullptr;
}

bool CGraphEdit::WaitWhileHidden()
{
    if (!m_hWndGraphEdit)
        return false;

    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        if (IsTickBudgetSpent(dwStart, ::GetTickCount(), kShowWaitMs))
        {
            ATLTRACE2(atlTraceGeneral, 2, L"###Err### CGraphEdit::WaitWhileHidden(): Wait time is ending\n");
            return false;
        }
        if (static_cast<DWORD>(::GetWindowLongW(m_hWndGraphEdit, GWL_STYLE)) & WS_VISIBLE)
            return true;
        ATLTRACE2(atlTraceGeneral, 10, L"CGraphEdit::WaitWhileHidden(): wait time rest is %i ms\n",
                  TickBudgetRest(dwStart, ::GetTickCount(), kShowWaitMs));
        ::Sleep(kPollMs);
    }
}

BOOL CGraphEdit::OnEnumMainWindow(HWND hWnd)
{
    ATLASSERT(hWnd != 0);
    DWORD dwProcessId = 0;
    // A window that vanished reports no thread; it must not pass for a process id of 0.
    if (!::GetWindowThreadProcessId(hWnd, &dwProcessId) || dwProcessId != m_rgPI.dwProcessId)
        return TRUE;
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(hWnd, GWL_STYLE));
    if ((dwStyle & kMainWindowStyle) != kMainWindowStyle)
        return TRUE;
    m_hWndGraphEdit = hWnd;
    return FALSE;
}

BOOL CGraphEdit::OnEnumConnectDialog(HWND hWnd)
{
    ATLASSERT(hWnd != 0);
    if (!::IsWindow(hWnd))
        return TRUE;
    DWORD dwProcessId = 0;
    if (!::GetWindowThreadProcessId(hWnd, &dwProcessId) || dwProcessId != m_rgPI.dwProcessId)
        return TRUE;
    // For a top-level pop-up this is its owner.
    if (::GetParent(hWnd) != m_hWndGraphEdit)
        return TRUE;
    // EnumChildWindows also returns zero for a window without children (a tooltip or a
    // floating palette of the viewer): only a list box stored here ends the search. One
    // found in an earlier pass is kept until another takes its place.
    const HWND hWndEarlier = m_hWndListBox;
    m_hWndListBox = nullptr;
    ::EnumChildWindows(hWnd, EnumListBoxProc, reinterpret_cast<LPARAM>(this));
    if (!m_hWndListBox)
    {
        m_hWndListBox = hWndEarlier;
        return TRUE;
    }
    m_hWndConnectDialog = hWnd;
    return FALSE;
}

BOOL CGraphEdit::OnEnumListBox(HWND hWnd)
{
    ATLASSERT(hWnd != 0);
    if (!::IsWindow(hWnd))
        return TRUE;
    wchar_t szClassName[256] = {};
    if (::GetClassNameW(hWnd, szClassName, 256) == 0)
        return TRUE;
    if (::lstrcmpW(szClassName, L"ListBox") != 0)
        return TRUE;
    m_hWndListBox = hWnd;
    return FALSE;
}

BOOL CALLBACK CGraphEdit::EnumMainWindowProc(HWND hWnd, LPARAM lParam)
{
    ATLASSERT(lParam != 0);
    if (!lParam)
        return FALSE;
    return reinterpret_cast<CGraphEdit*>(lParam)->OnEnumMainWindow(hWnd);
}

BOOL CALLBACK CGraphEdit::EnumConnectDialogProc(HWND hWnd, LPARAM lParam)
{
    ATLASSERT(lParam != 0);
    if (!lParam)
        return FALSE;
    return reinterpret_cast<CGraphEdit*>(lParam)->OnEnumConnectDialog(hWnd);
}

BOOL CALLBACK CGraphEdit::EnumListBoxProc(HWND hWnd, LPARAM lParam)
{
    ATLASSERT(lParam != 0);
    if (!lParam)
        return FALSE;
    return reinterpret_cast<CGraphEdit*>(lParam)->OnEnumListBox(hWnd);
}

void CGraphEdit::PostConnectCommand()
{
    if (!m_hWndGraphEdit)
        return;
    ::PostMessageW(m_hWndGraphEdit, WM_COMMAND, MAKEWPARAM(kConnectCommandId, kFromAccelerator), 0);
}

void CGraphEdit::SelectRemoteGraph(IUnknown* pGraph)
{
    if (!::IsWindow(m_hWndGraphEdit))
        return;
    m_hWndListBox = nullptr;
    m_hWndConnectDialog = nullptr;

    // The viewer shows its dialog and fills its list in its own time: search again after
    // each short pause, keeping a list box once found.
    const DWORD dwAnswerStart = ::GetTickCount();
    for (int nCounter = kSearchCounter; --nCounter > 0;)
    {
        ::EnumWindows(EnumConnectDialogProc, reinterpret_cast<LPARAM>(this));
        if (::IsWindow(m_hWndListBox))
        {
            const int iEntry = FindGraphEntry(pGraph, dwAnswerStart);
            if (iEntry != -1)
            {
                LRESULT lSel = LB_ERR;
                // OK goes to the dialog itself: the list box may sit in a panel of it, which
                // would take the command for one of its own.
                if (SendToListBox(LB_SETCURSEL, iEntry, 0, dwAnswerStart, &lSel) && lSel != LB_ERR)
                    ::PostMessageW(m_hWndConnectDialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
                return;
            }
        }
        ::Sleep(kPollMs);
    }
}

int CGraphEdit::FindGraphEntry(IUnknown* pGraph, DWORD dwAnswerStart)
{
    if (!::IsWindow(m_hWndListBox))
        return -1;
    // LB_ERR (-1) gives no entries; a list that does not answer has none of ours either.
    LRESULT lCount = LB_ERR;
    if (!SendToListBox(LB_GETCOUNT, 0, 0, dwAnswerStart, &lCount))
        return -1;
    const int nCount = static_cast<int>(lCount);
    wchar_t szCookieName[kCookieNameChars];
    for (int i = 0; i < nCount; ++i)
    {
        szCookieName[0] = L'\0';
        // LB_GETTEXT copies the whole entry whatever the buffer's size: an entry too long
        // for the buffer is passed over instead of read.
        LRESULT lEntryChars = LB_ERR;
        if (!SendToListBox(LB_GETTEXTLEN, i, 0, dwAnswerStart, &lEntryChars))
            return -1;
        const int cchEntry = static_cast<int>(lEntryChars);
        if (cchEntry < 0 || cchEntry >= kCookieNameChars)
            continue;
        LRESULT lTextChars = LB_ERR;
        if (!SendToListBox(LB_GETTEXT, i, reinterpret_cast<LPARAM>(szCookieName), dwAnswerStart, &lTextChars))
            return -1;
        if (static_cast<int>(lTextChars) > 0 && MatchCookieName(szCookieName, pGraph))
            return i;
    }
    return -1;
}

// A message's own three parts in SendMessage's order, then the wait's start.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
bool CGraphEdit::SendToListBox(UINT uMsg, WPARAM wParam, LPARAM lParam, DWORD dwAnswerStart,
                               LRESULT* plResult) const
{
    const DWORD dwWaitMs = TickBudgetWait(dwAnswerStart, ::GetTickCount(), kAnswerBudgetMs, kAnswerWaitMs);
    if (dwWaitMs == 0)
        return false;
    DWORD_PTR dwResult = 0;
    if (!::SendMessageTimeoutW(m_hWndListBox, uMsg, wParam, lParam, kAnswerFlags, dwWaitMs, &dwResult))
        return false;
    *plResult = static_cast<LRESULT>(dwResult);
    return true;
}

bool CGraphEdit::MatchCookieName(LPCWSTR pszCookieName, IUnknown* pGraph)
{
    ATLASSERT(pszCookieName != 0);
    if (!pszCookieName)
        return false;
    return MatchGraphEntryText(pszCookieName, ::GetCurrentProcessId(), GraphNumberOf(pGraph));
}
