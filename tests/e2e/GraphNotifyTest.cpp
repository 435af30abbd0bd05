// Which graphs announce their events to the dialog: the graph controller on its own, with a
// window of this test in the dialog's place. Only a graph that was built completely tells
// the window; one without the synchronizer is held and plays, but says nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include "graph/Graph.h"
#include "ui/resource.h"

namespace {

const DWORD c_dwDeadlineMs = 20000;

// A message-only window that counts the graph's announcements.
class CNotifyWindow
{
public:
    CNotifyWindow() : m_hWnd(nullptr)
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GraphNotifyTestWindow";
        ::RegisterClassExW(&wc);
        m_hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                   nullptr);
        s_nNotifications = 0;
    }
    ~CNotifyWindow()
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    HWND m_hWnd;
    static int s_nNotifications;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_GRAPHNOTIFY)
        {
            ++s_nNotifications;
            return 0;
        }
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
};

int CNotifyWindow::s_nNotifications = 0;

struct NotifyCase
{
    const char* pszName;
    const wchar_t* pszPath;
    HRESULT hrBuild;
    bool bNotified;
};

const NotifyCase c_rgNotifyCases[] = {
    {"WithSynchronizer", L"C:\\fixtures\\short.grf", S_OK, true},
    {"WithoutSynchronizer", L"C:\\fixtures\\nosync.grf", S_FALSE, false},
};

void PrintTo(const NotifyCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class GraphNotifyTest : public ::testing::TestWithParam<NotifyCase>
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_P(GraphNotifyTest, OnlyACompleteGraphAnnouncesItsEvents)
{
    const NotifyCase& c = GetParam();
    CNotifyWindow window;
    ASSERT_TRUE(window.m_hWnd != nullptr);
    {
        CGraph graph;
        ASSERT_EQ(c.hrBuild, graph.BuildGraph(c.pszPath, window.m_hWnd, WM_GRAPHNOTIFY));
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        // The end of the stream is queued whether or not anybody is told; the announcement,
        // if there is one, is posted as it is queued.
        bool bEnded = false;
        const DWORD dwStart = ::GetTickCount();
        while (!bEnded && ::GetTickCount() - dwStart < c_dwDeadlineMs)
        {
            for (long lEvent = graph.GetEvent(); lEvent != 0; lEvent = graph.GetEvent())
                bEnded = bEnded || lEvent == EC_COMPLETE;
            if (!bEnded)
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        ASSERT_TRUE(bEnded) << "the graph did not play to its end";
        graph.ReleaseGraph();
    }
    CNotifyWindow::Pump();
    EXPECT_EQ(c.bNotified, CNotifyWindow::s_nNotifications > 0) << CNotifyWindow::s_nNotifications;
}

INSTANTIATE_TEST_SUITE_P(Table, GraphNotifyTest, ::testing::ValuesIn(c_rgNotifyCases),
                         [](const ::testing::TestParamInfo<NotifyCase>& info) { return info.param.pszName; });

} // namespace
