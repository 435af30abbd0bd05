#include "GraphRebuilder.h"

#include <unordered_map>

#include "atl/AtlComPtr.h"
#include "PersistBytes.h"
#include "PinSearch.h"
#include "GrfMediaType.h"
#include "LinkCycles.h"

namespace
{
// The filters built so far, by their id in the file.
typedef std::unordered_map<DWORD, CComPtr<IBaseFilter>> CBuiltFilters;

IBaseFilter* FindBuilt(const CBuiltFilters& mapBuilt, DWORD dwId)
{
    auto it = mapBuilt.find(dwId);
    return it == mapBuilt.end() ? nullptr : it->second.p;
}

HRESULT SetFile(IBaseFilter* pFilter, const CGrfFilterDesc& desc)
{
    if (desc.m_eRole == eGrfSource)
    {
        CComPtr<IFileSourceFilter> spSource;
        HRESULT hr = pFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&spSource));
        return FAILED(hr) ? hr : spSource->Load(desc.m_strFile.c_str(), nullptr);
    }
    if (desc.m_eRole == eGrfSink)
    {
        CComPtr<IFileSinkFilter> spSink;
        HRESULT hr = pFilter->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&spSink));
        return FAILED(hr) ? hr : spSink->SetFileName(desc.m_strFile.c_str(), nullptr);
    }
    return S_OK;
}

// Adds the filter to the graph before anything else is done to it, so that a later step
// failing finds it among what it has to take out again.
HRESULT BuildFilter(IFilterGraph* pGraph, const CGrfFilterDesc& desc, CBuiltFilters& mapBuilt)
{
    CComPtr<IBaseFilter> spFilter;
    HRESULT hr = CoCreateInstance(desc.m_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(&spFilter));
    if (FAILED(hr))
        return hr;
    hr = pGraph->AddFilter(spFilter, desc.m_strName.c_str());
    if (FAILED(hr))
        return hr;
    mapBuilt[desc.m_dwId] = spFilter;

    hr = SetFile(spFilter, desc);
    if (SUCCEEDED(hr) && !desc.m_vecData.empty())
        hr = LoadFromBytes(spFilter, desc.m_vecData);
    return hr;
}

// The name a pin reports through QueryPinInfo is what Save writes; FindPin (which matches
// pin ids) is the fallback for filters whose ids and names agree only there.
HRESULT FindPinByName(IBaseFilter* pFilter, const std::wstring& strName, PIN_DIRECTION dir, CComPtr<IPin>& spFound)
{
    spFound.Release();
    HRESULT hr = FindPinByInfo(pFilter, strName.c_str(), &dir, &spFound);
    if (hr != VFW_E_NOT_FOUND)
        return hr;

    CComPtr<IPin> spById;
    PIN_DIRECTION dirById = PINDIR_INPUT;
    if (SUCCEEDED(pFilter->FindPin(strName.c_str(), &spById)) && spById &&
        SUCCEEDED(spById->QueryDirection(&dirById)) && dirById == dir)
    {
        spFound = spById;
        return S_OK;
    }
    return VFW_E_NOT_FOUND;
}

// Pin to pin rather than through the graph's ConnectDirect, whose own check against
// cycles walks the whole chain upstream of every link (see LinkCycles.h); the rule is the
// same and so is the call the pins receive.
HRESULT BuildConnection(const CGrfConnectionDesc& desc, const CBuiltFilters& mapBuilt, CLinkCycles& cycles)
{
    IBaseFilter* pOutFilter = FindBuilt(mapBuilt, desc.m_dwOutId);
    IBaseFilter* pInFilter = FindBuilt(mapBuilt, desc.m_dwInId);
    if (!pOutFilter || !pInFilter)
        return VFW_E_NOT_FOUND;

    CComPtr<IPin> spOut, spIn;
    HRESULT hr = FindPinByName(pOutFilter, desc.m_strOutPin, PINDIR_OUTPUT, spOut);
    if (SUCCEEDED(hr))
        hr = FindPinByName(pInFilter, desc.m_strInPin, PINDIR_INPUT, spIn);
    if (FAILED(hr))
        return hr;
    if (cycles.ClosesCycle(desc.m_dwOutId, desc.m_dwInId))
        return VFW_E_CIRCULAR_GRAPH;
    AM_MEDIA_TYPE mt = MediaTypeFromDesc(desc.m_mt);
    hr = spOut->Connect(spIn, &mt);
    if (SUCCEEDED(hr))
        cycles.Linked(desc.m_dwOutId, desc.m_dwInId);
    return hr;
}

// A clock line never fails a load: a clock that cannot be had leaves the graph's own
// choice, as an id of no filter does.
void SetClock(IFilterGraph* pGraph, const CGrfClockDesc& clock, const CBuiltFilters& mapBuilt)
{
    if (!clock.m_bRequired || (!clock.m_bByClass && clock.m_dwFilterId == 0))
        return;

    CComPtr<IReferenceClock> spClock;
    HRESULT hr = S_OK;
    if (clock.m_bByClass)
    {
        hr = CoCreateInstance(clock.m_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                              reinterpret_cast<void**>(&spClock));
    }
    else
    {
        IBaseFilter* pFilter = FindBuilt(mapBuilt, clock.m_dwFilterId);
        if (!pFilter)
            return;
        hr = pFilter->QueryInterface(IID_IReferenceClock, reinterpret_cast<void**>(&spClock));
    }
    if (FAILED(hr))
        return;

    CComPtr<IMediaFilter> spMediaFilter;
    if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&spMediaFilter))))
        spMediaFilter->SetSyncSource(spClock);
}

HRESULT BuildAll(IFilterGraph* pGraph, const CGrfGraphDesc& graph, CBuiltFilters& mapBuilt)
{
    for (const CGrfFilterDesc& filter : graph.m_vecFilters)
    {
        HRESULT hr = BuildFilter(pGraph, filter, mapBuilt);
        if (FAILED(hr))
            return hr;
    }
    CLinkCycles cycles(graph);
    for (const CGrfConnectionDesc& connection : graph.m_vecConnections)
    {
        HRESULT hr = BuildConnection(connection, mapBuilt, cycles);
        if (FAILED(hr))
            return hr;
    }
    SetClock(pGraph, graph.m_clock, mapBuilt);
    return S_OK;
}
}  // namespace

HRESULT RebuildGraph(IFilterGraph* pGraph, const CGrfGraphDesc& graph)
{
    CBuiltFilters mapBuilt;
    HRESULT hr = BuildAll(pGraph, graph, mapBuilt);
    if (FAILED(hr))
    {
        // A graph that is only partly there is no graph any file holds, and its filters
        // would live on (with their threads and devices) until the caller let go of the
        // manager: taking each out of the graph disconnects it, and the map holds the
        // last references.
        for (auto& entry : mapBuilt)
            pGraph->RemoveFilter(entry.second);
    }
    return hr;
}
