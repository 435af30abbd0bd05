// The reference programs the benchmark measures the tool against, built from this one
// source by the same toolchain with the tool's own dialog template and manifest:
//
// - bare_dialog.exe: the floor of start-up and memory. It enters the same COM apartment,
//   maps the common controls library (the template's up-down control needs it) and runs
//   the template modally; nothing else.
// - build_calls.exe: the same dialog whose Build graph button makes the platform calls the
//   tool's Build graph makes on the default graph file (create the graph manager, open the
//   file's storage and stream, load, find the synchronizer, place and show the video
//   window, route events, take the synchronizer's interface), then enables the controls
//   the tool enables. Its start-up state disables them, as the tool's does.
#include <windows.h>
#include <commctrl.h>
#include <dshow.h>

#include "graph/IMeridel.h"
#include "graph/VideoPlacement.h"
#include "ui/resource.h"

#ifndef REF_BUILD_CALLS
#define REF_BUILD_CALLS 0
#endif

namespace {

// Keeps the common controls library mapped before the dialog exists, as the tool does.
void(WINAPI* const volatile s_pfnCommonControls)() = ::InitCommonControls;

#if REF_BUILD_CALLS
const wchar_t c_szGraphFile[] = L"D:\\CVS\\Dev\\Filters\\Special\\Meridel\\Graphs\\Pixwell - Meridel.GRF";
const int c_rgGraphControls[] = {IDC_EDIT_DURATION, IDC_SPIN_DURATION, IDC_BTN_PLAY, IDC_BTN_PAUSE, IDC_BTN_STOP};

IGraphBuilder* g_pGraph = nullptr;
IMeridel* g_pMeridel = nullptr;

void EnableGraphControls(HWND hDlg, BOOL bEnable)
{
    for (int nID : c_rgGraphControls)
        ::EnableWindow(::GetDlgItem(hDlg, nID), bEnable);
}

template <class T>
void ReleaseInterface(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

IBaseFilter* FindSynchronizer(IGraphBuilder* pGraph)
{
    IEnumFilters* pEnum = nullptr;
    if (pGraph->EnumFilters(&pEnum) != S_OK)
        return nullptr;
    IBaseFilter* pFound = nullptr;
    IBaseFilter* pFilter = nullptr;
    ULONG cFetched = 0;
    while (!pFound && pEnum->Next(1, &pFilter, &cFetched) == S_OK)
    {
        CLSID clsid = GUID_NULL;
        if (pFilter->GetClassID(&clsid) == S_OK && ::IsEqualGUID(clsid, CLSID_Meridel))
            pFound = pFilter;
        else
            pFilter->Release();
    }
    pEnum->Release();
    return pFound;
}

void PlaceVideoWindow(IGraphBuilder* pGraph, HWND hDlg)
{
    IVideoWindow* pVideo = nullptr;
    if (FAILED(pGraph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&pVideo))))
        return;
    RECT rcArea = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc = {};
    ::GetWindowRect(hDlg, &rc);
    long nHeight = 0, nWidth = 0;
    if (pVideo->get_Height(&nHeight) == S_OK)
    {
        pVideo->put_Top(VideoWindowTop(rc, nHeight));
        pVideo->get_Width(&nWidth);
        pVideo->put_Left(VideoWindowLeft(rcArea, nWidth));
        pVideo->put_Visible(OATRUE);
    }
    pVideo->Release();
}

void ReleaseGraph()
{
    if (g_pGraph)
    {
        IMediaEventEx* pEvents = nullptr;
        if (SUCCEEDED(g_pGraph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&pEvents))))
        {
            pEvents->SetNotifyWindow(0, 0, 0);
            pEvents->Release();
        }
    }
    ReleaseInterface(g_pMeridel);
    ReleaseInterface(g_pGraph);
}

// The same calls as the tool's Build graph; a failure leaves the controls disabled.
void BuildGraph(HWND hDlg)
{
    ReleaseGraph();
    if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&g_pGraph))))
        return;
    IPersistStream* pPersist = nullptr;
    IStorage* pStorage = nullptr;
    IStream* pStream = nullptr;
    const DWORD dwMode = STGM_READ | STGM_SHARE_EXCLUSIVE;
    HRESULT hr = g_pGraph->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&pPersist));
    if (SUCCEEDED(hr))
        hr = ::StgOpenStorage(c_szGraphFile, nullptr, dwMode, nullptr, 0, &pStorage);
    if (SUCCEEDED(hr))
        hr = pStorage->OpenStream(L"ActiveMovieGraph", nullptr, dwMode, 0, &pStream);
    if (SUCCEEDED(hr))
        hr = pPersist->Load(pStream);
    ReleaseInterface(pStream);
    ReleaseInterface(pStorage);
    ReleaseInterface(pPersist);
    IBaseFilter* pSync = SUCCEEDED(hr) ? FindSynchronizer(g_pGraph) : nullptr;
    if (!pSync)
        return;

    PlaceVideoWindow(g_pGraph, hDlg);
    IMediaEventEx* pEvents = nullptr;
    if (SUCCEEDED(g_pGraph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&pEvents))))
    {
        pEvents->SetNotifyWindow(reinterpret_cast<OAHWND>(hDlg), WM_GRAPHNOTIFY, 0);
        pEvents->Release();
    }
    pSync->QueryInterface(IID_IMeridel, reinterpret_cast<void**>(&g_pMeridel));
    pSync->Release();
    EnableGraphControls(hDlg, TRUE);
}
#endif

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
#if REF_BUILD_CALLS
        EnableGraphControls(hDlg, FALSE);
#endif
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
#if REF_BUILD_CALLS
        case IDC_BTN_BUILD:
            BuildGraph(hDlg);
            return TRUE;
#endif
        case IDOK:
        case IDCANCEL:
#if REF_BUILD_CALLS
            ReleaseGraph();
#endif
            ::EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    HRESULT hr = ::CoInitialize(nullptr);
    if (hr != S_OK)
        return hr;
    ::DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_MAIN_DIALOG), ::GetActiveWindow(), DialogProc, 0);
    ::CoUninitialize();
    return 0;
}
