// Drives a Windows program as a user would: starts it under the debug API (so that its
// trace and assertion lines can be collected), finds its windows, reads and works its
// controls, and reads the message boxes it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Launch.h"

namespace driver {

// Generous deadline for anything that waits on another process under Wine.
const DWORD DEFAULT_TIMEOUT_MS = 20000;

// The folder that holds the running test program (the tools are built beside it).
std::wstring ProgramFolder();

class CToolProcess
{
public:
    CToolProcess();
    ~CToolProcess();
    CToolProcess(const CToolProcess&) = delete;
    CToolProcess& operator=(const CToolProcess&) = delete;

    // Starts `exePath` as a debuggee with `currentDir` (or the caller's) as its folder.
    bool Start(const std::wstring& exePath, const std::wstring& currentDir = L"");
    DWORD ProcessId() const { return m_dwProcessId; }
    DWORD ThreadId() const { return m_dwThreadId; }

    // Waits until the process has ended; false on time-out.
    bool WaitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode);
    bool HasExited() const;

    // Every line the process wrote to the debugger so far.
    std::vector<std::wstring> DebugLines() const;
    // Number of lines that contain `text`.
    int CountDebugLines(const std::wstring& text) const;
    bool WaitForDebugLine(const std::wstring& text, DWORD dwTimeoutMs) const;

    // Ends a process that a failed test left behind.
    void Kill();

    // Stops debugging the process and lets it run on, so that another debugger can attach
    // (to take the stacks of a process that hangs). No trace line is collected after it.
    bool Detach();

private:
    static DWORD WINAPI DebugThreadProc(LPVOID pv);
    void DebugLoop();
    void AddLine(const std::wstring& line);

    std::wstring m_exePath;
    std::wstring m_currentDir;
    HANDLE m_hThread;
    HANDLE m_hStarted;
    HANDLE m_hProcess;
    DWORD m_dwProcessId;
    DWORD m_dwThreadId;
    volatile LONG m_bExited;
    volatile LONG m_bDetachAsked;
    HANDLE m_hDetached;
    DWORD m_dwExitCode;
    bool m_bStartOk;
    mutable CRITICAL_SECTION m_cs;
    std::vector<std::wstring> m_lines;
    std::wstring m_partial;
};

// Polls `pred` every 20 ms until it is true or the deadline passes.
template <class Pred>
bool WaitUntil(Pred pred, DWORD dwTimeoutMs = DEFAULT_TIMEOUT_MS)
{
    return PollUntil(pred, dwTimeoutMs, 20);
}

// The image a process runs, as a full path (empty when it cannot be read).
std::wstring ImageOf(HANDLE hProcess);
// Paths compared as the file system compares them: without regard to letter case.
bool SamePath(const std::wstring& strA, const std::wstring& strB);
// Whether the process exists and has not ended.
bool IsProcessRunning(DWORD dwProcessId);

// Top-level windows of a process, optionally only of one class.
std::vector<HWND> TopLevelWindows(DWORD dwProcessId, const wchar_t* pszClass = nullptr);
// The process's visible dialog with this caption (null when there is none).
HWND FindDialog(DWORD dwProcessId, const std::wstring& caption);
HWND WaitForDialog(DWORD dwProcessId, const std::wstring& caption, DWORD dwTimeoutMs = DEFAULT_TIMEOUT_MS);

std::wstring WindowText(HWND hWnd);
std::wstring ClassName(HWND hWnd);
LONG Style(HWND hWnd);
bool IsEnabled(HWND hWnd);

// Child windows of a dialog, in Z order (which is the tab order of a dialog).
std::vector<HWND> Children(HWND hWndParent);

// User actions, delivered through the target's own message queue.
void Click(HWND hWndButton);
// Returns once the program has handled the new text, or as soon as it answered it with a
// new message box (whose modal loop would otherwise hold the call until the box is gone).
void SetEditText(HWND hWndEdit, const std::wstring& text);
using ::PressKey;

// What a message box shows.
struct MessageBoxInfo
{
    HWND hWnd;
    std::wstring caption;
    std::wstring text;
    bool bIcon;  // the box shows an icon (the tool only ever asks for the error icon)
    std::vector<std::wstring> buttons;
    HWND hWndOwner;      // the window that owns the box
    bool bOwnerEnabled;  // whether that window still took input while the box was up
};

// A visible message box of the process that is not `hWndExclude` (its main dialog).
bool FindMessageBox(DWORD dwProcessId, HWND hWndExclude, MessageBoxInfo* pInfo);
bool WaitForMessageBox(DWORD dwProcessId, HWND hWndExclude, MessageBoxInfo* pInfo,
                       DWORD dwTimeoutMs = DEFAULT_TIMEOUT_MS);
// Presses the box's OK button and waits for it to go away.
bool DismissMessageBox(const MessageBoxInfo& info);

} // namespace driver
