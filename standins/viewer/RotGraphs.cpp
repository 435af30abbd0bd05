#include "RotGraphs.h"

#include <dshow.h>

#include "GraphEntry.h"

HRESULT CollectPublishedGraphs(std::vector<SPublishedGraph>* prgGraphs)
{
    if (!prgGraphs)
        return E_POINTER;
    prgGraphs->clear();

    CComHolder<IRunningObjectTable> spTable;
    HRESULT hr = GetRunningObjectTable(0, spTable.Receive());
    if (FAILED(hr))
        return hr;
    CComHolder<IEnumMoniker> spEnum;
    hr = spTable->EnumRunning(spEnum.Receive());
    if (FAILED(hr))
        return hr;
    CComHolder<IBindCtx> spContext;
    hr = CreateBindCtx(0, spContext.Receive());
    if (FAILED(hr))
        return hr;

    CComHolder<IMoniker> spMoniker;
    ULONG cFetched = 0;   // across processes the enumerator insists on a count pointer
    while (spEnum->Next(1, spMoniker.Receive(), &cFetched) == S_OK && cFetched == 1)
    {
        LPOLESTR pszName = nullptr;
        if (FAILED(spMoniker->GetDisplayName(spContext.Get(), nullptr, &pszName)) || !pszName)
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

HRESULT ReadRemoteFilterNames(IMoniker* pMoniker, std::vector<std::wstring>* prgNames)
{
    if (!pMoniker || !prgNames)
        return E_POINTER;
    prgNames->clear();

    CComHolder<IRunningObjectTable> spTable;
    HRESULT hr = GetRunningObjectTable(0, spTable.Receive());
    if (FAILED(hr))
        return hr;
    CComHolder<IUnknown> spObject;
    hr = spTable->GetObject(pMoniker, spObject.Receive());
    if (FAILED(hr))
        return hr;
    if (!spObject)
        return E_UNEXPECTED;
    CComHolder<IFilterGraph> spGraph;
    hr = spObject.QueryInto(spGraph);
    if (FAILED(hr))
        return hr;
    CComHolder<IEnumFilters> spEnum;
    hr = spGraph->EnumFilters(spEnum.Receive());
    if (FAILED(hr))
        return hr;

    CComHolder<IBaseFilter> spFilter;
    ULONG cFetched = 0;
    while (spEnum->Next(1, spFilter.Receive(), &cFetched) == S_OK && cFetched == 1)
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
