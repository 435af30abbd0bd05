#include "Driver.h"

#include <algorithm>
#include <cstdio>

namespace driver {

std::wstring ImageOf(HANDLE hProcess)
{
    wchar_t szImage[MAX_PATH] = {};
    DWORD cchImage = MAX_PATH;
    if (!::QueryFullProcessImageNameW(hProcess, 0, szImage, &cchImage))
        return std::wstring();
    return std::wstring(szImage, cchImage);
}

bool SamePath(const std::wstring& strA, const std::wstring& strB)
{
    return ::lstrcmpiW(strA.c_str(), strB.c_str()) == 0;
}

bool IsProcessRunning(DWORD dwProcessId)
{
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
    if (!hProcess)
        return false;
    const bool bRunning = ::WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT;
    ::CloseHandle(hProcess);
    return bRunning;
}

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path(szPath);
    size_t pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

CToolProcess::CToolProcess()
    : m_hThread(nullptr), m_hStarted(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hProcess(nullptr), m_dwProcessId(0), m_dwThreadId(0), m_bExited(0), m_bDetachAsked(0),
      m_hDetached(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_dwExitCode(0), m_bStartOk(false)
{
    ::InitializeCriticalSection(&m_cs);
}

CToolProcess::~CToolProcess()
{
    if (m_hThread)
    {
        if (!HasExited())
            Kill();
        ::WaitForSingleObject(m_hThread, DEFAULT_TIMEOUT_MS);
        ::CloseHandle(m_hThread);
    }
    ::CloseHandle(m_hStarted);
    ::CloseHandle(m_hDetached);
    ::DeleteCriticalSection(&m_cs);
}

bool CToolProcess::Start(const std::wstring& exePath, const std::wstring& currentDir)
{
    m_exePath = exePath;
    m_currentDir = currentDir;
    // The debug API binds a debuggee to the thread that started it, so one thread starts
    // the program and then serves its debug events for its whole life.
    m_hThread = ::CreateThread(nullptr, 0, DebugThreadProc, this, 0, nullptr);
    if (!m_hThread)
        return false;
    ::WaitForSingleObject(m_hStarted, INFINITE);
    return m_bStartOk;
}

DWORD WINAPI CToolProcess::DebugThreadProc(LPVOID pv)
{
    static_cast<CToolProcess*>(pv)->DebugLoop();
    return 0;
}

void CToolProcess::DebugLoop()
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    // On a loaded machine this Wine now and then fails a start with ERROR_INTERNAL_ERROR: the
    // new process ended inside the platform before it ran anything of its own. Starting it
    // again is what a user does; any other failure is the test's answer.
    for (int nTry = 1;; ++nTry)
    {
        std::wstring cmd = L"\"" + m_exePath + L"\"";
        m_bStartOk = ::CreateProcessW(m_exePath.c_str(), &cmd[0], nullptr, nullptr, FALSE,
                                      DEBUG_ONLY_THIS_PROCESS, nullptr,
                                      m_currentDir.empty() ? nullptr : m_currentDir.c_str(), &si, &pi) != FALSE;
        if (m_bStartOk)
            break;
        const DWORD dwError = ::GetLastError();
        std::fprintf(stderr, "driver: starting %ls failed, error %lu (try %d)\n", m_exePath.c_str(),
                     static_cast<unsigned long>(dwError), nTry);
        if (dwError != ERROR_INTERNAL_ERROR || nTry == 3)
            break;
    }
    if (m_bStartOk)
    {
        m_hProcess = pi.hProcess;
        m_dwProcessId = pi.dwProcessId;
        m_dwThreadId = pi.dwThreadId;
        ::CloseHandle(pi.hThread);
    }
    ::SetEvent(m_hStarted);
    if (!m_bStartOk)
        return;

    for (;;)
    {
        DEBUG_EVENT ev = {};
        // Short waits, so that a request to let the process go is seen; only this thread
        // can stop debugging it.
        if (!::WaitForDebugEvent(&ev, 50))
        {
            if (::GetLastError() != ERROR_SEM_TIMEOUT && ::GetLastError() != WAIT_TIMEOUT)
                break;
            if (m_bDetachAsked && ::DebugActiveProcessStop(m_dwProcessId))
            {
                ::SetEvent(m_hDetached);
                ::WaitForSingleObject(m_hProcess, INFINITE);
                ::GetExitCodeProcess(m_hProcess, &m_dwExitCode);
                break;
            }
            continue;
        }
        DWORD dwStatus = DBG_CONTINUE;
        // A start that failed above may still have queued its own end on this thread: the
        // platform counts the new process as this thread's debuggee from its creation.
        // Only the process being served writes lines, gives the exit code and ends the
        // loop; leaving earlier would leave that process stopped at its next event for good.
        const bool bOwn = ev.dwProcessId == m_dwProcessId;
        switch (ev.dwDebugEventCode)
        {
        case OUTPUT_DEBUG_STRING_EVENT:
        {
            if (!bOwn)
                break;
            const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
            SIZE_T nUnits = info.nDebugStringLength;
            // Wine hands wide lines over already converted; handle both forms.
            if (info.fUnicode)
            {
                std::wstring text(nUnits, L'\0');
                SIZE_T nRead = 0;
                ::ReadProcessMemory(m_hProcess, info.lpDebugStringData, &text[0], nUnits * sizeof(wchar_t), &nRead);
                text.resize(wcsnlen(text.c_str(), nRead / sizeof(wchar_t)));
                AddLine(text);
            }
            else
            {
                std::string text(nUnits, '\0');
                SIZE_T nRead = 0;
                ::ReadProcessMemory(m_hProcess, info.lpDebugStringData, &text[0], nUnits, &nRead);
                text.resize(strnlen(text.c_str(), nRead));
                int nWide = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0);
                std::wstring wide(nWide, L'\0');
                ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &wide[0], nWide);
                AddLine(wide);
            }
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // Only the loader's breakpoint is ours to swallow; anything else is the
            // program's own business.
            if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                dwStatus = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            if (ev.u.CreateProcessInfo.hFile)
                ::CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile)
                ::CloseHandle(ev.u.LoadDll.hFile);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            if (bOwn)
                m_dwExitCode = ev.u.ExitProcess.dwExitCode;
            else
                std::fprintf(stderr, "driver: process %lu of a failed start ended (code 0x%lX)\n",
                             static_cast<unsigned long>(ev.dwProcessId),
                             static_cast<unsigned long>(ev.u.ExitProcess.dwExitCode));
            break;
        default:
            break;
        }
        ::ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, dwStatus);
        if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT && bOwn)
            break;
    }
    EnterCriticalSection(&m_cs);
    if (!m_partial.empty())
        m_lines.push_back(m_partial);
    m_partial.clear();
    LeaveCriticalSection(&m_cs);
    ::CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    ::InterlockedExchange(&m_bExited, 1);
}

void CToolProcess::AddLine(const std::wstring& text)
{
    // One debugger string may hold part of a line or several lines.
    EnterCriticalSection(&m_cs);
    for (wchar_t ch : text)
    {
        if (ch == L'\n')
        {
            m_lines.push_back(m_partial);
            m_partial.clear();
        }
        else
        {
            m_partial += ch;
        }
    }
    LeaveCriticalSection(&m_cs);
}

bool CToolProcess::HasExited() const
{
    return m_bExited != 0;
}

bool CToolProcess::WaitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode)
{
    if (!m_hThread || ::WaitForSingleObject(m_hThread, dwTimeoutMs) != WAIT_OBJECT_0)
        return false;
    if (pdwExitCode)
        *pdwExitCode = m_dwExitCode;
    return true;
}

std::vector<std::wstring> CToolProcess::DebugLines() const
{
    EnterCriticalSection(&m_cs);
    std::vector<std::wstring> lines = m_lines;
    LeaveCriticalSection(&m_cs);
    return lines;
}

int CToolProcess::CountDebugLines(const std::wstring& text) const
{
    std::vector<std::wstring> lines = DebugLines();
    return (int)std::count_if(lines.begin(), lines.end(),
                              [&](const std::wstring& line) { return line.find(text) != std::wstring::npos; });
}

bool CToolProcess::WaitForDebugLine(const std::wstring& text, DWORD dwTimeoutMs) const
{
    return WaitUntil([&] { return CountDebugLines(text) > 0; }, dwTimeoutMs);
}

void CToolProcess::Kill()
{
    if (m_dwProcessId == 0 || HasExited())
        return;
    HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE, FALSE, m_dwProcessId);
    if (hProcess)
    {
        ::TerminateProcess(hProcess, 0xDEAD);
        ::CloseHandle(hProcess);
    }
}

bool CToolProcess::Detach()
{
    if (!m_hThread || HasExited())
        return false;
    ::InterlockedExchange(&m_bDetachAsked, 1);
    return ::WaitForSingleObject(m_hDetached, DEFAULT_TIMEOUT_MS) == WAIT_OBJECT_0;
}

namespace {

struct EnumTopLevel
{
    DWORD dwProcessId;
    const wchar_t* pszClass;
    std::vector<HWND> found;
};

BOOL CALLBACK EnumTopLevelProc(HWND hWnd, LPARAM lParam)
{
    EnumTopLevel* p = reinterpret_cast<EnumTopLevel*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == p->dwProcessId && (!p->pszClass || ClassName(hWnd) == p->pszClass))
        p->found.push_back(hWnd);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD dwProcessId, const wchar_t* pszClass)
{
    EnumTopLevel e = {dwProcessId, pszClass, {}};
    ::EnumWindows(EnumTopLevelProc, reinterpret_cast<LPARAM>(&e));
    return e.found;
}

HWND FindDialog(DWORD dwProcessId, const std::wstring& caption)
{
    for (HWND hWnd : TopLevelWindows(dwProcessId, L"#32770"))
        if (::IsWindowVisible(hWnd) && WindowText(hWnd) == caption)
            return hWnd;
    return nullptr;
}

HWND WaitForDialog(DWORD dwProcessId, const std::wstring& caption, DWORD dwTimeoutMs)
{
    HWND hWnd = nullptr;
    WaitUntil([&] { return (hWnd = FindDialog(dwProcessId, caption)) != nullptr; }, dwTimeoutMs);
    return hWnd;
}

std::wstring WindowText(HWND hWnd)
{
    // Sent with a time-out so that a hung target never hangs the test.
    wchar_t szText[4096] = {};
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(szText), SMTO_ABORTIFHUNG,
                          DEFAULT_TIMEOUT_MS, &dwResult);
    return szText;
}

std::wstring ClassName(HWND hWnd)
{
    wchar_t szClass[256] = {};
    ::GetClassNameW(hWnd, szClass, 256);
    return szClass;
}

LONG Style(HWND hWnd)
{
    return ::GetWindowLongW(hWnd, GWL_STYLE);
}

bool IsEnabled(HWND hWnd)
{
    return ::IsWindowEnabled(hWnd) != FALSE;
}

std::vector<HWND> Children(HWND hWndParent)
{
    std::vector<HWND> children;
    for (HWND hWnd = ::GetWindow(hWndParent, GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT))
        children.push_back(hWnd);
    return children;
}

void Click(HWND hWndButton)
{
    ::PostMessageW(hWndButton, BM_CLICK, 0, 0);
}

namespace {

// One WM_SETTEXT on a thread of its own, which owns this record and frees it.
struct SSetTextCall
{
    HWND hWnd;
    std::wstring text;
};

DWORD WINAPI SetTextThreadProc(LPVOID pv)
{
    SSetTextCall* pCall = static_cast<SSetTextCall*>(pv);
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutW(pCall->hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pCall->text.c_str()),
                          SMTO_ABORTIFHUNG, DEFAULT_TIMEOUT_MS, &dwResult);
    delete pCall;
    return 0;
}

std::vector<HWND> VisibleBoxes(DWORD dwProcessId, HWND hWndExclude)
{
    std::vector<HWND> rgBoxes;
    for (HWND hWnd : TopLevelWindows(dwProcessId, L"#32770"))
        if (hWnd != hWndExclude && ::IsWindowVisible(hWnd))
            rgBoxes.push_back(hWnd);
    return rgBoxes;
}

} // namespace

void SetEditText(HWND hWndEdit, const std::wstring& text)
{
    // The program may answer the change with a message box; the box's modal loop then runs
    // inside the send, which comes back only once the box is gone. So the send runs on a
    // thread of its own, and this returns as soon as it came back or a new box is up.
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWndEdit, &dwProcessId);
    const HWND hWndDialog = ::GetAncestor(hWndEdit, GA_ROOT);
    const std::vector<HWND> rgBefore = VisibleBoxes(dwProcessId, hWndDialog);

    SSetTextCall* pCall = new SSetTextCall{hWndEdit, text};
    HANDLE hThread = ::CreateThread(nullptr, 0, SetTextThreadProc, pCall, 0, nullptr);
    if (!hThread)
    {
        SetTextThreadProc(pCall);
        return;
    }
    WaitUntil([&] {
        if (::WaitForSingleObject(hThread, 0) == WAIT_OBJECT_0)
            return true;
        for (HWND hWnd : VisibleBoxes(dwProcessId, hWndDialog))
            if (std::find(rgBefore.begin(), rgBefore.end(), hWnd) == rgBefore.end())
                return true;
        return false;
    });
    ::CloseHandle(hThread);
}

bool FindMessageBox(DWORD dwProcessId, HWND hWndExclude, MessageBoxInfo* pInfo)
{
    for (HWND hWnd : TopLevelWindows(dwProcessId, L"#32770"))
    {
        if (hWnd == hWndExclude || !::IsWindowVisible(hWnd))
            continue;
        MessageBoxInfo info = {};
        info.hWnd = hWnd;
        info.caption = WindowText(hWnd);
        info.bIcon = false;
        // A box over the tool's dialog is owned by it and keeps it disabled while it is up.
        info.hWndOwner = ::GetWindow(hWnd, GW_OWNER);
        info.bOwnerEnabled = info.hWndOwner && ::IsWindowEnabled(info.hWndOwner);
        for (HWND hChild : Children(hWnd))
        {
            std::wstring cls = ClassName(hChild);
            if (cls == L"Button")
            {
                info.buttons.push_back(WindowText(hChild));
            }
            else if (cls == L"Static")
            {
                if ((Style(hChild) & SS_TYPEMASK) == SS_ICON)
                    info.bIcon = info.bIcon || (::IsWindowVisible(hChild) &&
                                                ::SendMessageW(hChild, STM_GETICON, 0, 0) != 0);
                else if (::GetDlgCtrlID(hChild) == 0xFFFF || info.text.empty())
                    info.text = WindowText(hChild);
            }
        }
        *pInfo = info;
        return true;
    }
    return false;
}

bool WaitForMessageBox(DWORD dwProcessId, HWND hWndExclude, MessageBoxInfo* pInfo, DWORD dwTimeoutMs)
{
    return WaitUntil([&] { return FindMessageBox(dwProcessId, hWndExclude, pInfo); }, dwTimeoutMs);
}

bool DismissMessageBox(const MessageBoxInfo& info)
{
    ::PostMessageW(info.hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntil([&] { return !::IsWindow(info.hWnd) || !::IsWindowVisible(info.hWnd); });
}

} // namespace driver
