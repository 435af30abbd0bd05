#include "TestGraph.h"

#include <cstdint>

#include "atl/AtlComPtr.h"

CTestGraph::~CTestGraph()
{
    if (m_dwCookie)
    {
        CComPtr<IRunningObjectTable> spTable;
        if (SUCCEEDED(GetRunningObjectTable(0, &spTable)))
            spTable->Revoke(m_dwCookie);
    }
    if (m_pGraph)
        m_pGraph->Release();
}

DWORD CTestGraph::GraphNumber() const
{
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(m_pGraph));
}

HRESULT CTestGraph::Create(const std::vector<std::wstring>& rgFilterNames)
{
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&m_pGraph));
    if (FAILED(hr))
        return hr;
    for (const std::wstring& strName : rgFilterNames)
    {
        CComPtr<IBaseFilter> spFilter;
        hr = CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              reinterpret_cast<void**>(&spFilter));
        if (FAILED(hr))
            return hr;
        hr = m_pGraph->AddFilter(spFilter.p, strName.c_str());
        if (FAILED(hr))
            return hr;
    }

    CComPtr<IRunningObjectTable> spTable;
    hr = GetRunningObjectTable(0, &spTable);
    if (FAILED(hr))
        return hr;
    wchar_t szItem[64] = {};
    wsprintfW(szItem, L"FilterGraph %08x pid %08x", GraphNumber(), GetCurrentProcessId());
    CComPtr<IMoniker> spMoniker;
    hr = CreateItemMoniker(L"!", szItem, &spMoniker);
    if (FAILED(hr))
        return hr;
    return spTable->Register(0, m_pGraph, spMoniker.p, &m_dwCookie);
}
