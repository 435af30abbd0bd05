// Windows of the test process that play the viewer's main window, connect dialog and list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A window destroyed with its holder.
class CTestWindow
{
public:
    CTestWindow() : m_hWnd(nullptr) {}
    ~CTestWindow() { Destroy(); }
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    // pszClass null: a plain window class of the tests. hWndParent is the parent of a child
    // window and the owner of a top-level one.
    HWND Create(LPCWSTR pszClass, DWORD dwStyle, HWND hWndParent);
    void Destroy();

    HWND m_hWnd;
};

// Gives the window a new style at once, so that one visible window serves every row of a
// table of window traits.
void Restyle(HWND hWnd, DWORD dwStyle);

// Replaces the list box's entries.
void FillListBox(HWND hWndListBox, const std::vector<std::wstring>& rgEntries);

// Takes out a WM_COMMAND waiting in this thread's queue for hWnd; false when none is there.
bool TakePostedCommand(HWND hWnd, WPARAM* pwParam, LPARAM* plParam);

// Hands every message waiting for this thread to its window: taking them out without
// dispatching would leave a visible window's paint request standing for ever.
void DispatchPendingMessages();
