// One run of the tool under the driver, with its main dialog found.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Driver.h"

namespace e2e {

const wchar_t CAPTION[] = L"Audio/Video Synchronizer Test";

// The text the tool shows for `hr`, asked from the same sources it asks.
std::wstring DescriptionOf(HRESULT hr);
// The whole box text for a caller's text and a non-zero code, as the user sees it.
std::wstring ExpectedErrorText(const std::wstring& text, HRESULT hr);
// The folder of the tool under test, with its separator: MERIDEL_TOOL_DIR when set (a
// build by another compiler), else the test program's own.
std::wstring ToolFolder();
// The first visible edit control among the window's descendants (the open-file dialog's
// name box, wherever it sits).
HWND FindVisibleEdit(HWND hWndParent);

class CToolSession
{
public:
    // Starts the tool (MeridelTest.exe, or the tracing copy) from ToolFolder(), in
    // currentDir when one is given.
    explicit CToolSession(const wchar_t* pszExe = L"MeridelTest.exe", const std::wstring& currentDir = L"");
    ~CToolSession();

    bool Started() const { return m_hWndDialog != nullptr; }
    HWND Dialog() const { return m_hWndDialog; }
    HWND Item(int nID) const { return ::GetDlgItem(m_hWndDialog, nID); }
    driver::CToolProcess& Process() { return m_process; }

    void Click(int nID) { driver::Click(Item(nID)); }
    void SetText(int nID, const std::wstring& text) { driver::SetEditText(Item(nID), text); }
    std::wstring Text(int nID) const { return driver::WindowText(Item(nID)); }
    bool Enabled(int nID) const { return driver::IsEnabled(Item(nID)); }

    // Load...: chooses `path` in the open-file dialog (or cancels it when `path` is empty)
    // and waits until the dialog is gone.
    bool ChooseInOpenDialog(const std::wstring& path);
    // Builds the graph file `path` and waits until the graph controls are enabled.
    bool BuildAndWait(const std::wstring& path);

    // Waits for the tool's next message box, checks caption, text, and that the dialog owns
    // it and is disabled under it, and dismisses it.
    ::testing::AssertionResult ExpectBox(const std::wstring& text, bool bIcon);
    // The window that has the keyboard focus in the tool.
    HWND Focus() const;
    // Waits until the dialog's thread has handled everything posted to it so far (a click
    // included): a box that a click shows has been created then. A thread that only answers
    // sent messages while it waits inside a handler does not pass.
    void Sync();
    bool NoBoxShown();
    // The same, false when the deadline passed first.
    bool WaitUntilHandled(DWORD dwTimeoutMs = driver::DEFAULT_TIMEOUT_MS);

    // Closes the dialog with Esc and returns the exit code (0xFFFFFFFF on time-out).
    DWORD CloseAndWait();
    DWORD WaitForExit();

private:
    driver::CToolProcess m_process;
    HWND m_hWndDialog;
    int m_nMarker;
};

} // namespace e2e
