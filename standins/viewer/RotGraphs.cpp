#include "RotGraphs.h"

#include <dshow.h>

#include "GraphEntry.h"

HRESULT CollectPublishedGraphs(std::vector<SPublishedGraph>* prgGraphs)
{
    if (!prgGraphs)
        return E_POINTER;
    prgGraphs->clear();

    CComPtr<IRunningObjectTable> spTable;
    HRESULT hr = GetRunningObjectTable(0, &spTable);
    if (FAILED(hr))
        return hr;
    CComPtr<IEnumMoniker> spEnum;
    hr = spTable->EnumRunning(&spEnum);
    if (FAILED(hr))
        return hr;
    CComPtr<IBindCtx> spContext;
    hr = CreateBindCtx(0, &spContext);
    if (FAILED(hr))
        return hr;

    ULONG cFetched = 0;   // across processes the enumerator insists on a count pointer
    for (CComPtr<IMoniker> spMoniker; spEnum->Next(1, &spMoniker, &cFetched) == S_OK && cFetched == 1; spMoniker.Release())
    {
        LPOLESTR pszName = nullptr;
        if (FAILED(spMoniker->GetDisplayName(spContext.p, nullptr, &pszName)) || !pszName)
            continue;
        SPublishedGraph graph;
        if (ParseGraphItemName(pszName, &graph.m_dwGraph, &graph.m_dwProcessId))
        {
            graph.m_spMoniker = spMoniker;
            prgGraphs->push_back(graph);
        }
        CoTaskMemFree(pszName);
    }
    return S_OK;
}

namespace {

HRESULT ReadFilterNames(IFilterGraph* pGraph, std::vector<std::wstring>* prgNames)
{
    prgNames->clear();
    CComPtr<IEnumFilters> spEnum;
    HRESULT hr = pGraph->EnumFilters(&spEnum);
    if (FAILED(hr))
        return hr;

    ULONG cFetched = 0;   // across processes the enumerator insists on a count pointer
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK && cFetched == 1; spFilter.Release())
    {
        FILTER_INFO info = {};
        hr = spFilter->QueryFilterInfo(&info);
        if (FAILED(hr))
            return hr;
        if (info.pGraph)
            info.pGraph->Release();
        prgNames->push_back(info.achName);
    }
    return S_OK;
}

} // namespace

HRESULT ReadRemoteFilterNames(IMoniker* pMoniker, std::vector<std::wstring>* prgNames, DWORD dwRounds)
{
    if (!pMoniker || !prgNames)
        return E_POINTER;
    prgNames->clear();

    CComPtr<IRunningObjectTable> spTable;
    HRESULT hr = GetRunningObjectTable(0, &spTable);
    if (FAILED(hr))
        return hr;
    CComPtr<IUnknown> spObject;
    hr = spTable->GetObject(pMoniker, &spObject);
    if (FAILED(hr))
        return hr;
    if (!spObject)
        return E_UNEXPECTED;
    CComPtr<IFilterGraph> spGraph;
    hr = spObject.QueryInterface(&spGraph);
    if (FAILED(hr))
        return hr;
    hr = ReadFilterNames(spGraph, prgNames);
    for (DWORD i = 1; i < dwRounds && SUCCEEDED(hr); ++i)
        hr = ReadFilterNames(spGraph, prgNames);
    return hr;
}
