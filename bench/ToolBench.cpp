// Measures the tool from outside against its references, the two alternated round by
// round in one run: start-up (dialog visible; Esc and exit) and the working set with the
// dialog up against the bare dialog, Build graph on the demo graph against a program
// making the same calls, and Show graph against the viewer's own start. Prints one line
// per measure with the medians; it asserts nothing about speed.
//
//   meridel_bench.exe [--rounds N] [--tool PATH] [--measures startup,memory,build,show]
// (the references sit beside it; every measure by default)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Figures.h"
#include "Launch.h"
#include "ViewerWatch.h"
#include "ViewerResource.h"
#include "ui/resource.h"

namespace {

const wchar_t c_szCaption[] = L"Audio/Video Synchronizer Test";

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strPath(szPath);
    return strPath.substr(0, strPath.find_last_of(L"\\/") + 1);
}

void PostClick(HWND hDlg, int nID)
{
    ::PostMessageW(::GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

// Start until the dialog is visible, and on with Esc until the process has ended.
bool MeasureStartup(const std::wstring& strExe, double* pdVisibleMs, double* pdExitMs)
{
    CLaunch launch;
    double dStart = NowMs();
    if (!launch.Start(strExe))
        return false;
    HWND hDlg = launch.WaitForDialog(c_szCaption);
    double dVisible = NowMs();
    if (!hDlg)
        return false;
    PressKey(::GetDlgItem(hDlg, IDC_BTN_LOAD), VK_ESCAPE);
    if (!launch.WaitForExit())
        return false;
    *pdVisibleMs = dVisible - dStart;
    *pdExitMs = NowMs() - dStart;
    return true;
}

// The working set once the dialog is up and has nothing left to do.
bool MeasureWorkingSet(const std::wstring& strExe, double* pdKb)
{
    CLaunch launch;
    if (!launch.Start(strExe))
        return false;
    HWND hDlg = launch.WaitForDialog(c_szCaption);
    if (!hDlg || !launch.WaitUntilIdle(hDlg))
        return false;
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    if (!::GetProcessMemoryInfo(launch.Process(), &pmc, sizeof(pmc)))
        return false;
    *pdKb = static_cast<double>(pmc.WorkingSetSize) / 1024.0;
    PressKey(::GetDlgItem(hDlg, IDC_BTN_LOAD), VK_ESCAPE);
    return launch.WaitForExit();
}

// Builds the default graph (the demo graph) and waits for Play to be enabled.
bool BuildDefaultGraph(CLaunch& launch, HWND hDlg, double* pdMs)
{
    HWND hPlay = ::GetDlgItem(hDlg, IDC_BTN_PLAY);
    if (!hPlay || ::IsWindowEnabled(hPlay))
        return false;
    double dClick = NowMs();
    PostClick(hDlg, IDC_BTN_BUILD);
    if (!PollUntil([&] { return ::IsWindowEnabled(hPlay) != FALSE; }))
        return false;
    if (pdMs)
        *pdMs = NowMs() - dClick;
    return launch.WaitUntilIdle(hDlg);
}

bool MeasureBuild(const std::wstring& strExe, double* pdMs)
{
    CLaunch launch;
    if (!launch.Start(strExe))
        return false;
    HWND hDlg = launch.WaitForDialog(c_szCaption);
    if (!hDlg || !launch.WaitUntilIdle(hDlg) || !BuildDefaultGraph(launch, hDlg, pdMs))
        return false;
    PressKey(::GetDlgItem(hDlg, IDC_BTN_LOAD), VK_ESCAPE);
    return launch.WaitForExit();
}

// Show graph on the built demo graph, until the viewer reports OK in its connect dialog
// (and then that it connected, so that the round ended as it should).
bool MeasureShowGraph(const std::wstring& strExe, const CViewerWatch& watch, SViewerEvents* pEvents,
                      double* pdClick)
{
    CLaunch launch;
    if (!launch.Start(strExe))
        return false;
    HWND hDlg = launch.WaitForDialog(c_szCaption);
    if (!hDlg || !launch.WaitUntilIdle(hDlg) || !BuildDefaultGraph(launch, hDlg, nullptr))
        return false;
    *pEvents = SViewerEvents();
    *pdClick = NowMs();
    PostClick(hDlg, IDC_BTN_SHOW);
    bool bDone = PollUntil([&] {
        watch.Poll(pEvents);
        return pEvents->m_dConnected != 0.0 || pEvents->m_bFailed;
    });
    PressKey(::GetDlgItem(hDlg, IDC_BTN_LOAD), VK_ESCAPE);
    bool bExited = launch.WaitForExit();
    // The tool closes its viewer as it ends; the next round starts without one.
    bool bViewerGone = PollUntil([] { return CViewerWatch::FindViewerWindow(0) == nullptr; });
    return bDone && !pEvents->m_bFailed && pEvents->m_dOk != 0.0 && bExited && bViewerGone;
}

// The viewer started directly, until it waits for input with its main window shown
// (ready), and driven on at once as the tool drives it: its connect command, until its
// connect dialog is up with its list filled. All of it is the viewer's own work; its first
// report line tells how long the process took to start. The report and the windows are
// watched all along, as they are while the tool shows its graph, so that both sides bear
// the same observer.
struct SViewerStart
{
    double m_dStartedMs, m_dReadyMs, m_dDialogMs;
};

bool MeasureViewerStart(const std::wstring& strViewer, const CViewerWatch& watch, SViewerStart* pTimes)
{
    CLaunch launch;
    SViewerEvents events = {};
    double dStart = NowMs();
    if (!launch.StartLikeTheTool(strViewer))
        return false;
    HWND hWnd = nullptr;
    if (!PollUntil([&] {
            watch.Poll(&events);
            hWnd = CViewerWatch::FindViewerWindow(launch.ProcessId());
            return hWnd && events.m_dStarted != 0.0 && ::WaitForInputIdle(launch.Process(), 0) == 0;
        }))
        return false;
    pTimes->m_dStartedMs = events.m_dStarted - dStart;
    pTimes->m_dReadyMs = NowMs() - dStart;
    ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(ID_GRAPH_CONNECT, 1), 0);
    if (!PollUntil([&] {
            watch.Poll(&events);
            return launch.FindWindowOf(L"#32770", nullptr) != nullptr;
        }))
        return false;
    pTimes->m_dDialogMs = NowMs() - dStart;
    ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
    return launch.WaitForExit();
}

struct SSamples
{
    CPairedSamples m_visible, m_exit, m_build, m_memory;
    // Show graph against the viewer's own start -> ready; and the viewer's start -> its
    // connect dialog up.
    CPairedSamples m_show;
    std::vector<double> m_rgViewerToDialog, m_rgViewerToStarted;
    // Show graph, step by step: click -> viewer's first line -> its window shown ->
    // connect command -> connect dialog -> OK.
    std::vector<double> m_rgToStarted, m_rgToWindow, m_rgToCommand, m_rgToDialog, m_rgToOk;
};

class CToolBench
{
public:
    CToolBench(const std::wstring& strTool, const CViewerWatch& watch, const CBenchArgs& args)
        : m_strTool(strTool), m_strBare(ProgramFolder() + L"bare_dialog.exe"),
          m_strBuildCalls(ProgramFolder() + L"build_calls.exe"), m_watch(watch), m_args(args)
    {
    }

    // One round: each measure on the tool and on its reference right after one another,
    // the tool first in even rounds and second in odd ones.
    bool Round(int nRound, SSamples* pSamples)
    {
        bool bToolFirst = nRound % 2 == 0;
        auto startup = [&](bool bTool) {
            const std::wstring& strExe = bTool ? m_strTool : m_strBare;
            double dVisible = 0, dExit = 0;
            if (!Check(MeasureStartup(strExe, &dVisible, &dExit), "start-up", strExe))
                return false;
            pSamples->m_visible.Add(bTool, dVisible);
            pSamples->m_exit.Add(bTool, dExit);
            return true;
        };
        auto memory = [&](bool bTool) {
            const std::wstring& strExe = bTool ? m_strTool : m_strBare;
            double dKb = 0;
            if (!Check(MeasureWorkingSet(strExe, &dKb), "working set", strExe))
                return false;
            pSamples->m_memory.Add(bTool, dKb);
            return true;
        };
        auto build = [&](bool bTool) {
            const std::wstring& strExe = bTool ? m_strTool : m_strBuildCalls;
            double dBuild = 0;
            if (!Check(MeasureBuild(strExe, &dBuild), "build graph", strExe))
                return false;
            pSamples->m_build.Add(bTool, dBuild);
            return true;
        };
        auto show = [&](bool bTool) { return bTool ? ShowGraphRound(pSamples) : ViewerStartRound(pSamples); };
        return BothSides(L"startup", bToolFirst, startup) && BothSides(L"memory", bToolFirst, memory) &&
               BothSides(L"build", bToolFirst, build) && BothSides(L"show", bToolFirst, show);
    }

private:
    // The measure on both sides in this round's order, when it was asked for.
    template <class Measure>
    bool BothSides(const wchar_t* pszMeasure, bool bToolFirst, Measure measure) const
    {
        return !m_args.Wants(pszMeasure) || (measure(bToolFirst) && measure(!bToolFirst));
    }

    bool ShowGraphRound(SSamples* pSamples)
    {
        m_watch.Clear();
        SViewerEvents events = {};
        double dClick = 0;
        if (!Check(MeasureShowGraph(m_strTool, m_watch, &events, &dClick), "show graph", m_strTool))
            return false;
        pSamples->m_show.Add(true, events.m_dOk - dClick);
        pSamples->m_rgToStarted.push_back(events.m_dStarted - dClick);
        pSamples->m_rgToWindow.push_back(events.m_dWindowVisible - events.m_dStarted);
        pSamples->m_rgToCommand.push_back(events.m_dConnectCommand - events.m_dWindowVisible);
        pSamples->m_rgToDialog.push_back(events.m_dConnectDialog - events.m_dConnectCommand);
        pSamples->m_rgToOk.push_back(events.m_dOk - events.m_dConnectDialog);
        return true;
    }

    bool ViewerStartRound(SSamples* pSamples)
    {
        m_watch.Clear();
        SViewerStart times = {};
        if (!Check(MeasureViewerStart(m_watch.ViewerExe(), m_watch, &times), "viewer start", m_watch.ViewerExe()))
            return false;
        pSamples->m_show.Add(false, times.m_dReadyMs);
        pSamples->m_rgViewerToDialog.push_back(times.m_dDialogMs);
        pSamples->m_rgViewerToStarted.push_back(times.m_dStartedMs);
        return true;
    }

    static bool Check(bool bOk, const char* pszWhat, const std::wstring& strExe)
    {
        if (!bOk)
            std::fprintf(stderr, "%s failed for %ls\n", pszWhat, strExe.c_str());
        return bOk;
    }

    std::wstring m_strTool, m_strBare, m_strBuildCalls;
    const CViewerWatch& m_watch;
    const CBenchArgs& m_args;
};

void PrintFigures(const SSamples& s, const CBenchArgs& args)
{
    if (args.Wants(L"startup"))
    {
        PrintPairLine("start -> dialog visible", "ms", s.m_visible, "bare dialog", 1.05);
        PrintPairLine("start -> Esc -> exit", "ms", s.m_exit, "bare dialog", 1.05);
    }
    if (args.Wants(L"build"))
        PrintPairLine("build graph (demo graph)", "ms", s.m_build, "same platform calls", 1.05);
    if (args.Wants(L"show"))
    {
        double dShow = Median(s.m_show.Tool()), dReady = Median(s.m_show.Reference());
        double dDialog = Median(s.m_rgViewerToDialog);
        std::printf("%-30s tool %8.1f ms   %-23s %8.1f ms   added %5.1f ms   goal <= 30 ms added\n",
                    "show graph: click -> viewer OK", dShow, "viewer start -> ready", dReady, dShow - dReady);
        // Opening its connect dialog (reading the object table) is the viewer's own work too.
        std::printf("%-30s tool %8.1f ms   %-23s %8.1f ms   added %5.1f ms\n", "show graph: the same", dShow,
                    "viewer start -> dialog", dDialog, dShow - dDialog);
    }
    if (args.Wants(L"memory"))
        PrintPairLine("working set, dialog up", "KB", s.m_memory, "bare dialog", 1.2);
    if (args.Wants(L"show"))
    {
        std::printf("  show graph steps: click -> viewer started %.1f ms, -> its window shown %.1f ms, "
                    "-> connect command %.1f ms, -> connect dialog %.1f ms, -> OK %.1f ms\n",
                    Median(s.m_rgToStarted), Median(s.m_rgToWindow), Median(s.m_rgToCommand),
                    Median(s.m_rgToDialog), Median(s.m_rgToOk));
        std::printf("  viewer started directly: start -> started %.1f ms, -> ready %.1f ms, -> connect dialog %.1f ms\n",
                    Median(s.m_rgViewerToStarted), Median(s.m_show.Reference()), Median(s.m_rgViewerToDialog));
    }
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CBenchArgs args(argc, argv);
    if (!args.Ok())
    {
        std::fprintf(stderr,
                     "usage: meridel_bench.exe [--rounds N (at least %d)] [--tool PATH] "
                     "[--measures startup,memory,build,show]\n",
                     MIN_ROUNDS);
        return 2;
    }
    std::wstring strTool = args.Tool().empty() ? ProgramFolder() + L"MeridelTest.exe" : args.Tool();
    CViewerWatch watch;
    if (!watch.Ready())
    {
        std::fprintf(stderr, "the graph viewer is not installed in this prefix\n");
        return 2;
    }

    CToolBench bench(strTool, watch, args);
    SSamples warmUp, samples;
    // The first start of each program in a fresh prefix pays for reading its files.
    if (!bench.Round(0, &warmUp))
        return 1;
    for (int nRound = 0; nRound < args.Rounds(); ++nRound)
    {
        std::fprintf(stderr, "round %d of %d\n", nRound + 1, args.Rounds());
        if (!bench.Round(nRound, &samples))
            return 1;
    }
    std::printf("%d rounds; medians, and the median of the rounds' own ratios; tool %ls\n", args.Rounds(),
                strTool.c_str());
    PrintFigures(samples, args);
    return 0;
}
