#include "GraphFacts.h"

#include <cstdio>
#include <vector>

#include "GrfGuidText.h"
#include "PersistBytes.h"
#include "atl/AtlComPtr.h"

namespace
{
std::wstring Hex(const BYTE* pb, size_t cb)
{
    std::wstring str;
    for (size_t i = 0; i < cb; ++i)
    {
        wchar_t sz[4];
        swprintf(sz, 4, L"%02X", pb[i]);
        str += sz;
    }
    return str;
}

std::wstring FilterName(IBaseFilter* pFilter)
{
    FILTER_INFO info = {};
    if (FAILED(pFilter->QueryFilterInfo(&info)))
        return L"?";
    if (info.pGraph)
        info.pGraph->Release();
    return info.achName;
}

std::wstring PersistedBytes(IBaseFilter* pFilter)
{
    std::vector<BYTE> vecBytes;
    HRESULT hr = SaveToBytes(pFilter, FALSE, &vecBytes);
    if (hr == E_NOINTERFACE)
        return L"-";
    if (FAILED(hr))
        return L"?";
    return Hex(vecBytes.data(), vecBytes.size());
}

std::wstring CurrentFile(IBaseFilter* pFilter)
{
    LPOLESTR pszFile = nullptr;
    AM_MEDIA_TYPE mt = {};
    CComPtr<IFileSourceFilter> spSource;
    CComPtr<IFileSinkFilter> spSink;
    std::wstring str = L"-";
    if (SUCCEEDED(pFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&spSource))))
        spSource->GetCurFile(&pszFile, &mt);
    else if (SUCCEEDED(pFilter->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&spSink))))
        spSink->GetCurFile(&pszFile, &mt);
    if (pszFile)
    {
        str = pszFile;
        CoTaskMemFree(pszFile);
    }
    CoTaskMemFree(mt.pbFormat);
    if (mt.pUnk)
        mt.pUnk->Release();
    return str;
}

std::wstring PinLabel(IPin* pPin)
{
    PIN_INFO info = {};
    if (FAILED(pPin->QueryPinInfo(&info)))
        return L"?";
    std::wstring str = (info.pFilter ? FilterName(info.pFilter) : L"?") + L"." + info.achName;
    if (info.pFilter)
        info.pFilter->Release();
    return str;
}

std::wstring MediaTypeText(const AM_MEDIA_TYPE& mt)
{
    wchar_t sz[64];
    swprintf(sz, 64, L"|%d|%d|%lu|", mt.bFixedSizeSamples ? 1 : 0, mt.bTemporalCompression ? 1 : 0,
             static_cast<unsigned long>(mt.lSampleSize));
    return FormatGrfGuid(mt.majortype) + L"|" + FormatGrfGuid(mt.subtype) + sz + FormatGrfGuid(mt.formattype) + L"|" +
           Hex(mt.pbFormat, mt.pbFormat ? mt.cbFormat : 0);
}

HRESULT ListFilters(IUnknown* pGraph, std::vector<CComPtr<IBaseFilter>>& vecFilters)
{
    CComPtr<IFilterGraph> spGraph;
    HRESULT hr = pGraph->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spGraph));
    if (FAILED(hr))
        return hr;
    CComPtr<IEnumFilters> spEnum;
    hr = spGraph->EnumFilters(&spEnum);
    if (FAILED(hr))
        return hr;
    ULONG cFetched = 0;
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK; spFilter.Release())
        vecFilters.push_back(spFilter);
    return S_OK;
}
}  // namespace

HRESULT CollectGraphFacts(IUnknown* pGraph, CGraphFacts& facts)
{
    facts = CGraphFacts();
    std::vector<CComPtr<IBaseFilter>> vecFilters;
    HRESULT hr = ListFilters(pGraph, vecFilters);
    if (FAILED(hr))
        return hr;
    for (IBaseFilter* pFilter : vecFilters)
    {
        CLSID clsid = {};
        pFilter->GetClassID(&clsid);
        facts.m_setFilters.insert(FilterName(pFilter) + L"|" + FormatGrfGuid(clsid) + L"|" + CurrentFile(pFilter) + L"|" +
                                  PersistedBytes(pFilter));

        CComPtr<IEnumPins> spPins;
        hr = pFilter->EnumPins(&spPins);
        if (FAILED(hr))
            return hr;
        ULONG cFetched = 0;
        for (CComPtr<IPin> spPin; spPins->Next(1, &spPin, &cFetched) == S_OK; spPin.Release())
        {
            PIN_DIRECTION dir = PINDIR_INPUT;
            CComPtr<IPin> spPeer;
            if (FAILED(spPin->QueryDirection(&dir)) || dir != PINDIR_OUTPUT || spPin->ConnectedTo(&spPeer) != S_OK)
                continue;
            AM_MEDIA_TYPE mt = {};
            hr = spPin->ConnectionMediaType(&mt);
            if (FAILED(hr))
                return hr;
            facts.m_setLinks.insert(PinLabel(spPin) + L"->" + PinLabel(spPeer) + L"|" + MediaTypeText(mt));
            CoTaskMemFree(mt.pbFormat);
            if (mt.pUnk)
                mt.pUnk->Release();
        }
    }
    return S_OK;
}

std::set<std::wstring> GraphFilterNames(IUnknown* pGraph)
{
    std::set<std::wstring> setNames;
    std::vector<CComPtr<IBaseFilter>> vecFilters;
    if (SUCCEEDED(ListFilters(pGraph, vecFilters)))
    {
        for (IBaseFilter* pFilter : vecFilters)
            setNames.insert(FilterName(pFilter));
    }
    return setNames;
}
