#include "GraphDescriber.h"

#include <algorithm>

#include "atl/AtlComPtr.h"
#include "PersistBytes.h"
#include "GrfMediaType.h"

namespace
{
// COM identity: an object's IUnknown, or null when it will not give one.
IUnknown* IdentityOf(IUnknown* p)
{
    CComPtr<IUnknown> spUnknown;
    if (!p || FAILED(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spUnknown))))
        return nullptr;
    // Only compared, never called: the graph keeps the object alive while it is described.
    return spUnknown.p;
}

// The graph's filters by COM identity, so that a peer or a clock finds its filter's id
// without comparing it against every filter in turn (a graph may hold thousands).
class CFilterIds
{
public:
    explicit CFilterIds(const std::vector<CComPtr<IBaseFilter>>& vecFilters)
    {
        for (size_t i = 0; i < vecFilters.size(); ++i)
        {
            IUnknown* pIdentity = IdentityOf(vecFilters[i]);
            if (pIdentity)
                m_vecIds.push_back({pIdentity, static_cast<DWORD>(i + 1)});
        }
        std::sort(m_vecIds.begin(), m_vecIds.end());
    }

    // The 1-based position of the object among the filters, 0 when it is none of them.
    DWORD IdOf(IUnknown* pObject) const
    {
        IUnknown* pIdentity = IdentityOf(pObject);
        if (!pIdentity)
            return 0;
        auto it = std::lower_bound(m_vecIds.begin(), m_vecIds.end(), std::make_pair(pIdentity, DWORD(0)));
        return it != m_vecIds.end() && it->first == pIdentity ? it->second : 0;
    }

private:
    std::vector<std::pair<IUnknown*, DWORD>> m_vecIds;
};

HRESULT ListFilters(IFilterGraph* pGraph, std::vector<CComPtr<IBaseFilter>>& vecFilters)
{
    CComPtr<IEnumFilters> spEnum;
    HRESULT hr = pGraph->EnumFilters(&spEnum);
    if (FAILED(hr))
        return hr;
    for (;;)
    {
        CComPtr<IBaseFilter> spFilter;
        ULONG cFetched = 0;
        hr = spEnum->Next(1, &spFilter, &cFetched);
        if (FAILED(hr))
            return hr;
        if (hr != S_OK || cFetched == 0)
            break;
        vecFilters.push_back(spFilter);
    }
    std::reverse(vecFilters.begin(), vecFilters.end());
    return S_OK;
}

// Takes over a string and media type handed out by GetCurFile.
void TakeCurFile(LPOLESTR pszFile, AM_MEDIA_TYPE& mt, CGrfFilterDesc& desc, EGrfFileRole eRole)
{
    if (pszFile)
    {
        desc.m_eRole = eRole;
        desc.m_strFile = pszFile;
        CoTaskMemFree(pszFile);
    }
    FreeMediaTypeFields(mt);
}

// A filter that cannot tell its file (some answer GetCurFile with E_NOTIMPL) is saved
// without one rather than making the whole graph unsavable.
void DescribeFileRole(IBaseFilter* pFilter, CGrfFilterDesc& desc)
{
    CComPtr<IFileSourceFilter> spSource;
    if (SUCCEEDED(pFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&spSource))))
    {
        LPOLESTR pszFile = nullptr;
        AM_MEDIA_TYPE mt = {};
        if (SUCCEEDED(spSource->GetCurFile(&pszFile, &mt)))
            TakeCurFile(pszFile, mt, desc, eGrfSource);
        if (desc.m_eRole != eGrfNoFile)
            return;
    }
    CComPtr<IFileSinkFilter> spSink;
    if (SUCCEEDED(pFilter->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&spSink))))
    {
        LPOLESTR pszFile = nullptr;
        AM_MEDIA_TYPE mt = {};
        if (SUCCEEDED(spSink->GetCurFile(&pszFile, &mt)))
            TakeCurFile(pszFile, mt, desc, eGrfSink);
    }
}

HRESULT DescribePersistedData(IBaseFilter* pFilter, bool bClearFilterDirty, CGrfFilterDesc& desc)
{
    HRESULT hr = SaveToBytes(pFilter, bClearFilterDirty ? TRUE : FALSE, &desc.m_vecData);
    return hr == E_NOINTERFACE ? S_OK : hr;  // without IPersistStream: nothing of its own to keep
}

HRESULT DescribeFilter(IBaseFilter* pFilter, DWORD dwId, bool bClearFilterDirty, CGrfFilterDesc& desc)
{
    desc.m_dwId = dwId;
    FILTER_INFO info = {};
    HRESULT hr = pFilter->QueryFilterInfo(&info);
    if (FAILED(hr))
        return hr;
    if (info.pGraph)
        info.pGraph->Release();
    desc.m_strName = info.achName;

    hr = pFilter->GetClassID(&desc.m_clsid);
    if (FAILED(hr))
        return hr;
    DescribeFileRole(pFilter, desc);
    return DescribePersistedData(pFilter, bClearFilterDirty, desc);
}

// ppOwner (optional) receives the pin's filter, with a reference.
HRESULT PinName(IPin* pPin, std::wstring& strName, IBaseFilter** ppOwner)
{
    PIN_INFO info = {};
    HRESULT hr = pPin->QueryPinInfo(&info);
    if (FAILED(hr))
        return hr;
    strName = info.achName;
    if (ppOwner)
        *ppOwner = info.pFilter;
    else if (info.pFilter)
        info.pFilter->Release();
    return S_OK;
}

HRESULT DescribeConnections(const std::vector<CComPtr<IBaseFilter>>& vecFilters, const CFilterIds& ids,
                            CGrfGraphDesc& graph)
{
    for (size_t i = 0; i < vecFilters.size(); ++i)
    {
        CComPtr<IEnumPins> spPins;
        HRESULT hr = vecFilters[i]->EnumPins(&spPins);
        if (FAILED(hr))
            return hr;
        ULONG cFetched = 0;
        for (CComPtr<IPin> spPin; spPins->Next(1, &spPin, &cFetched) == S_OK && cFetched == 1; spPin.Release())
        {
            PIN_DIRECTION dir = PINDIR_INPUT;
            CComPtr<IPin> spPeer;
            if (FAILED(spPin->QueryDirection(&dir)) || dir != PINDIR_OUTPUT || spPin->ConnectedTo(&spPeer) != S_OK)
                continue;

            CGrfConnectionDesc connection;
            connection.m_dwOutId = static_cast<DWORD>(i + 1);
            CComPtr<IBaseFilter> spPeerFilter;
            hr = PinName(spPin, connection.m_strOutPin, nullptr);
            if (SUCCEEDED(hr))
                hr = PinName(spPeer, connection.m_strInPin, &spPeerFilter);
            if (FAILED(hr))
                return hr;
            connection.m_dwInId = ids.IdOf(spPeerFilter);
            // A peer outside this graph cannot be written down; the link is left out.
            if (connection.m_dwInId == 0)
                continue;

            AM_MEDIA_TYPE mt = {};
            hr = spPin->ConnectionMediaType(&mt);
            if (FAILED(hr))
                return hr;
            MediaTypeToDesc(mt, connection.m_mt);
            FreeMediaTypeFields(mt);
            graph.m_vecConnections.push_back(connection);
        }
    }
    return S_OK;
}

// Windows writes "CLOCK 1 0000" for a graph that picks its clock itself, which is how a
// graph without a sync source is written here too.
HRESULT DescribeClock(IFilterGraph* pGraph, const CFilterIds& ids, CGrfClockDesc& clock)
{
    clock = CGrfClockDesc();
    clock.m_bRequired = true;
    CComPtr<IMediaFilter> spMediaFilter;
    if (FAILED(pGraph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&spMediaFilter))))
        return S_OK;
    CComPtr<IReferenceClock> spClock;
    if (FAILED(spMediaFilter->GetSyncSource(&spClock)) || !spClock)
        return S_OK;

    clock.m_dwFilterId = ids.IdOf(spClock);
    if (clock.m_dwFilterId != 0)
        return S_OK;
    // A clock that no filter provides and that cannot name its class is the one the
    // system graph makes by itself: the System Clock.
    clock.m_bByClass = true;
    clock.m_clsid = CLSID_SystemClock;
    CComPtr<IPersist> spPersist;
    CLSID clsid = {};
    if (SUCCEEDED(spClock->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&spPersist))) &&
        SUCCEEDED(spPersist->GetClassID(&clsid)))
        clock.m_clsid = clsid;
    return S_OK;
}
}  // namespace

HRESULT DescribeGraph(IFilterGraph* pGraph, bool bClearFilterDirty, CGrfGraphDesc& graph)
{
    graph = CGrfGraphDesc();
    graph.m_dwVersion = 3;
    std::vector<CComPtr<IBaseFilter>> vecFilters;
    HRESULT hr = ListFilters(pGraph, vecFilters);
    if (FAILED(hr))
        return hr;

    for (size_t i = 0; i < vecFilters.size(); ++i)
    {
        CGrfFilterDesc filter;
        hr = DescribeFilter(vecFilters[i], static_cast<DWORD>(i + 1), bClearFilterDirty, filter);
        if (FAILED(hr))
            return hr;
        graph.m_vecFilters.push_back(filter);
    }
    CFilterIds ids(vecFilters);
    hr = DescribeConnections(vecFilters, ids, graph);
    if (SUCCEEDED(hr))
        hr = DescribeClock(pGraph, ids, graph.m_clock);
    return hr;
}
