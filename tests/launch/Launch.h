// Starting a program and waiting for it, shared by the benchmark and the test driver.
// CLaunch starts a program for a measurement: no debugger attached (that would slow every
// DLL load it makes), its dialog and windows found by polling every millisecond, so that
// the tool and its reference are timed the same way. The test driver starts its programs
// under the debug API instead (it collects their trace lines) but waits the same way.
#pragma once

#include <windows.h>

#include <string>

// Generous: the machine is shared and a Wine process can be slow to come up.
const DWORD LAUNCH_TIMEOUT_MS = 30000;

// Polls `pred` until it is true or the deadline passes: about once a millisecond by default,
// as a measurement needs; the tests, which time nothing, poll less often.
template <class Pred>
bool PollUntil(Pred pred, DWORD dwTimeoutMs = LAUNCH_TIMEOUT_MS, DWORD dwIntervalMs = 1)
{
    DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        if (pred())
            return true;
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(dwIntervalMs);
    }
}

class CLaunch
{
public:
    CLaunch();
    ~CLaunch();
    CLaunch(const CLaunch&) = delete;
    CLaunch& operator=(const CLaunch&) = delete;

    bool Start(const std::wstring& strExe);
    // Starts the program as the tool starts the graph viewer: no command line, shown
    // normally, normal priority, and without this program's console (the tool has none).
    bool StartLikeTheTool(const std::wstring& strExe);
    HANDLE Process() const { return m_hProcess; }
    DWORD ProcessId() const { return m_dwProcessId; }

    // The program's visible top-level window of this class and caption (null for any).
    HWND FindWindowOf(const wchar_t* pszClass, const wchar_t* pszCaption) const;
    // Waits for the visible dialog with the caption; null on time-out.
    HWND WaitForDialog(const wchar_t* pszCaption) const;
    // Waits until the program waits for input with nothing of the message left to handle.
    bool WaitUntilIdle(HWND hWnd) const;
    bool WaitForExit(DWORD dwTimeoutMs = LAUNCH_TIMEOUT_MS);
    // Ends the program if a failed measurement left it running.
    void End();

private:
    HANDLE m_hProcess;
    DWORD m_dwProcessId;
    bool m_bExited;
};

// A key as a user presses it (down and up), to the window that has the focus.
void PressKey(HWND hWndFocus, WORD vk);
