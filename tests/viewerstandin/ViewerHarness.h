// Starts the installed viewer the way the launcher does and watches it from outside: its
// windows by process id, style and owner, and its report file.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Generous upper bounds for anything the viewer is waited for; never a fixed pause.
const DWORD kAppearMs = 15000;
const DWORD kExitMs = 15000;

// Runs this thread's messages (calls into this apartment arrive as messages) until fnDone
// answers true or dwTimeoutMs have passed. Returns fnDone's last answer.
bool PumpUntil(DWORD dwTimeoutMs, const std::function<bool()>& fnDone);

// Waits for a handle to be signalled while running this thread's messages.
bool PumpWaitForHandle(HANDLE hObject, DWORD dwTimeoutMs);

// Registry switches of one viewer run; unset ones are not written.
struct SViewerSwitches
{
    std::optional<DWORD> NoSizingFrame;
    std::optional<DWORD> ShowDelayMs;
    std::optional<DWORD> ConnectDialogDelayMs;
    std::optional<DWORD> IdleDelayMs;
    std::optional<DWORD> NestedListBox;
    std::optional<DWORD> ChildlessPopup;
    std::optional<DWORD> ListHangMs;
    std::optional<DWORD> IgnoreQuit;
    std::vector<std::wstring> ExtraEntries;
};

struct SConnectDialog
{
    HWND hWndDialog = nullptr;
    HWND hWndListBox = nullptr;
};

class CViewerProcess
{
public:
    CViewerProcess() = default;
    ~CViewerProcess();

    // Writes the switches and a report file of this run, starts the registered viewer with no
    // arguments and shown normally, waits for its "started" line and removes the switches.
    testing::AssertionResult Start(const SViewerSwitches& switches);

    HANDLE Process() const { return m_pi.hProcess; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    DWORD ThreadId() const { return m_pi.dwThreadId; }
    HANDLE Thread() const { return m_pi.hThread; }
    ULONGLONG StartTick() const { return m_ullStartTick; }   // just before the process was created

    // First top-level window of the viewer whose style has every bit of dwStyleMask.
    HWND FindTopLevelWindow(DWORD dwStyleMask) const;
    // The first top-level window of the viewer owned by hWndMain that has a descendant of
    // class "ListBox", and that list box.
    SConnectDialog FindConnectDialog(HWND hWndMain) const;

    std::vector<std::wstring> ReportLines() const;
    // Waits for a report line that starts with strPrefix; the whole line in *pstrLine.
    bool WaitForReportLine(const std::wstring& strPrefix, DWORD dwTimeoutMs, std::wstring* pstrLine = nullptr) const;

    // Posts WM_QUIT to the primary thread and waits for the process to end.
    bool QuitAndWaitForExit();
    bool HasExited() const;

private:
    CViewerProcess(const CViewerProcess&) = delete;
    CViewerProcess& operator=(const CViewerProcess&) = delete;

    PROCESS_INFORMATION m_pi = {};
    ULONGLONG m_ullStartTick = 0;
    std::wstring m_strReportFile;
};

std::vector<std::wstring> ListBoxEntries(HWND hWndListBox);
std::wstring WindowClassName(HWND hWnd);
std::string Narrow(const std::wstring& str);   // UTF-8, for failure messages
