#include "graph/Graph.h"

#include "graph/VideoPlacement.h"

namespace {

const WCHAR c_szGraphStream[] = L"ActiveMovieGraph";
// Read-only, and nobody else may open the file while it is being read.
const DWORD c_dwGrfAccess = STGM_READ | STGM_SHARE_EXCLUSIVE;

} // namespace

HRESULT CGraph::BuildGraph(LPCWSTR pszName, HWND hWnd, UINT uMsg)
{
    if (!pszName)
    {
        ATLASSERT(pszName != 0);
        return E_INVALIDARG;
    }
    if (!::IsWindow(hWnd))
    {
        ATLASSERT(::IsWindow(hWnd));
        return E_INVALIDARG;
    }
    int nLength = ::lstrlenW(pszName);
    if (nLength < 4 || ::lstrcmpiW(pszName + nLength - 4, L".grf") != 0)
    {
        ATLFAILREPORT(L"CGraph::BuildGraph(): file is not .grf");
        return E_INVALIDARG;
    }

    ReleaseGraph();

    HRESULT hr = m_spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder);
    if (hr != S_OK)
    {
        ATLFAILREPORT(L"CGraph::BuildGraph(): m_spGraph.CoCreateInstance() FAILED");
        return hr;
    }

    hr = BuildFromGRFFile(pszName);
    if (hr != S_OK)
        return hr;

    CComPtr<IBaseFilter> spFilter;
    hr = FindFilter(CLSID_Meridel, &spFilter);
    if (hr != S_OK)
        return hr;

    hr = PlaceVideoWindow(hWnd);
    if (FAILED(hr))
        return hr;

    // Events are announced only for a graph that is complete: loaded, synchronizer found,
    // video window placed.
    CComPtr<IMediaEventEx> spMediaEventEx;
    m_spGraph.QueryInterface(IID_IMediaEventEx, &spMediaEventEx);
    ATLASSERT(spMediaEventEx != 0);
    if (spMediaEventEx)
    {
        hr = spMediaEventEx->SetNotifyWindow(reinterpret_cast<OAHWND>(hWnd), static_cast<long>(uMsg), 0);
        ATLASSERT_MSG(hr == S_OK, L"hr == ((HRESULT)0L)");
    }

    // A filter that refuses its control interface still leaves a usable graph.
    spFilter->QueryInterface(IID_IMeridel, reinterpret_cast<void**>(&m_spMeridel));
    ATLASSERT(m_spMeridel != 0);
    return S_OK;
}

HRESULT CGraph::BuildFromGRFFile(LPCWSTR pszFile)
{
    ATLASSERT(m_spGraph != 0);
    ATLASSERT(pszFile != 0);

    CComPtr<IPersistStream> spPersistStream;
    m_spGraph.QueryInterface(IID_IPersistStream, &spPersistStream);
    ATLASSERT(spPersistStream != 0);
    // A graph manager that cannot load graphs is reported before the file is touched.
    if (!spPersistStream)
        return E_NOINTERFACE;

    CComPtr<IStorage> spStorage;
    HRESULT hr = ::StgOpenStorage(pszFile, nullptr, c_dwGrfAccess, nullptr, 0, &spStorage);
    if (hr != S_OK)
    {
        ATLFAILREPORT(L"CGraph::BuildFromGRFFile(): Can't open .grf file");
        return hr;
    }

    CComPtr<IStream> spStream;
    hr = spStorage->OpenStream(c_szGraphStream, nullptr, c_dwGrfAccess, 0, &spStream);
    if (hr != S_OK)
    {
        ATLFAILREPORT(L"CGraph::BuildFromGRFFile(): Invalid .grf file");
        return hr;
    }

    hr = spPersistStream->Load(spStream);
    if (FAILED(hr))
    {
        ATLFAILREPORT(L"CGraph::BuildFromGRFFile(): Can't load data from .grf file");
        return hr;
    }
    return S_OK;
}

HRESULT CGraph::FindFilter(const GUID& clsid, IBaseFilter** ppFilter)
{
    if (!ppFilter)
    {
        ATLASSERT(ppFilter != 0);
        return E_POINTER;
    }
    ATLASSERT(*ppFilter == 0);
    *ppFilter = nullptr;
    ATLASSERT(m_spGraph != 0);
    if (!m_spGraph)
        return E_FAIL;

    CComPtr<IEnumFilters> spEnumFilters;
    HRESULT hr = m_spGraph->EnumFilters(&spEnumFilters);
    if (hr != S_OK)
    {
        ATLFAILREPORT(L"CGraph::FindFilter(): m_spGraph.EnumFilters() FAILED");
        return hr;
    }

    for (;;)
    {
        CComPtr<IBaseFilter> spFilter;
        ULONG cFetched = 0;
        hr = spEnumFilters->Next(1, &spFilter, &cFetched);
        if (hr == S_FALSE)
            break;
        if (hr != S_OK)
        {
            ATLFAILREPORT(L"CGraph::FindFilter(): spEnumFilters->Next() FAILED");
            break;
        }
        ATLASSERT(cFetched == 1);
        CLSID clsidFilter = GUID_NULL;
        HRESULT hrClass = spFilter->GetClassID(&clsidFilter);
        if (hrClass != S_OK)
        {
            // A filter whose class cannot be read is passed over.
            ATLFAILREPORT(L"CGraph::FindFilter(): spFilter->GetClassID() FAILED");
            continue;
        }
        if (::IsEqualGUID(clsidFilter, clsid))
        {
            *ppFilter = spFilter.Detach();
            hr = S_OK;
            break;
        }
    }
    return hr;
}

HRESULT CGraph::PlaceVideoWindow(HWND hWnd)
{
    ATLASSERT(::IsWindow(hWnd));
    ATLASSERT(m_spGraph != 0);
    if (!m_spGraph)
        return E_FAIL;

    CComPtr<IVideoWindow> spVideoWindow;
    m_spGraph.QueryInterface(IID_IVideoWindow, &spVideoWindow);
    ATLASSERT(spVideoWindow != 0);
    if (!spVideoWindow)
        return S_FALSE;

    RECT rcArea = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);

    long nHeight = 0;
    // No height means no video renderer: nothing to place, and nothing is moved.
    if (spVideoWindow->get_Height(&nHeight) != S_OK)
        return S_FALSE;
    HRESULT hr = spVideoWindow->put_Top(VideoWindowTop(rc, nHeight));
    ATLASSERT_MSG(hr == S_OK, L"hr == ((HRESULT)0L)");

    long nWidth = 0;
    hr = spVideoWindow->get_Width(&nWidth);
    ATLASSERT_MSG(hr == S_OK, L"hr == ((HRESULT)0L)");
    hr = spVideoWindow->put_Left(VideoWindowLeft(rcArea, nWidth));
    ATLASSERT_MSG(hr == S_OK, L"hr == ((HRESULT)0L)");

    hr = spVideoWindow->put_Visible(OATRUE);
    ATLASSERT_MSG(hr == S_OK, L"hr == ((HRESULT)0L)");
    return S_OK;
}

void CGraph::ReleaseGraph()
{
    if (m_spGraph)
    {
        CComPtr<IMediaEventEx> spMediaEventEx;
        m_spGraph.QueryInterface(IID_IMediaEventEx, &spMediaEventEx);
        ATLASSERT(spMediaEventEx != 0);
        if (spMediaEventEx)
            spMediaEventEx->SetNotifyWindow(0, 0, 0);
    }
    m_GraphEdit.CloseGraphEdit();
    m_spMeridel.Release();
    m_spGraph.Release();
}

namespace {

enum class Transport
{
    Run,
    Pause,
    Stop
};

HRESULT Control(IGraphBuilder* pGraph, Transport transport)
{
    if (!pGraph)
        return E_FAIL;
    CComPtr<IMediaControl> spMediaControl;
    pGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&spMediaControl));
    ATLASSERT(spMediaControl != 0);
    if (!spMediaControl)
        return E_FAIL;
    switch (transport)
    {
    case Transport::Run:
        return spMediaControl->Run();
    case Transport::Pause:
        return spMediaControl->Pause();
    case Transport::Stop:
        break;
    }
    return spMediaControl->Stop();
}

} // namespace

HRESULT CGraph::Run()
{
    ATLASSERT(m_spGraph != 0);
    return Control(m_spGraph, Transport::Run);
}

HRESULT CGraph::Pause()
{
    ATLASSERT(m_spGraph != 0);
    return Control(m_spGraph, Transport::Pause);
}

HRESULT CGraph::Stop()
{
    return Control(m_spGraph, Transport::Stop);
}

long CGraph::GetEvent()
{
    if (!m_spGraph)
        return 0;
    CComPtr<IMediaEvent> spMediaEvent;
    m_spGraph.QueryInterface(IID_IMediaEvent, &spMediaEvent);
    ATLASSERT(spMediaEvent != 0);
    if (!spMediaEvent)
        return 0;
    long lEventCode = 0;
    LONG_PTR lParam1 = 0, lParam2 = 0;
    if (spMediaEvent->GetEvent(&lEventCode, &lParam1, &lParam2, 0) != S_OK)
        return 0;
    spMediaEvent->FreeEventParams(lEventCode, lParam1, lParam2);
    return lEventCode;
}

HRESULT CGraph::SetMaxAudioDuration(double dSeconds)
{
    ATLASSERT(m_spMeridel != 0);
    if (!m_spMeridel)
        return E_FAIL;
    return m_spMeridel->SetMaxAudioSampleDuration(dSeconds);
}

HRESULT CGraph::GetMaxAudioDuration(double& dSeconds)
{
    ATLASSERT(m_spMeridel != 0);
    if (!m_spMeridel)
        return E_FAIL;
    return m_spMeridel->GetMaxAudioSampleDuration(&dSeconds);
}

HRESULT CGraph::ShowGraph()
{
    m_GraphEdit.CloseGraphEdit();
    if (!m_spGraph)
        return E_FAIL;
    return m_GraphEdit.ShowGraph(m_spGraph);
}
