#include "TestGraph.h"

#include <cstdint>

#include "ComHolder.h"

CTestGraph::~CTestGraph()
{
    if (m_dwCookie)
    {
        CComHolder<IRunningObjectTable> spTable;
        if (SUCCEEDED(GetRunningObjectTable(0, spTable.Receive())))
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
        CComHolder<IBaseFilter> spFilter;
        hr = CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              reinterpret_cast<void**>(spFilter.Receive()));
        if (FAILED(hr))
            return hr;
        hr = m_pGraph->AddFilter(spFilter.Get(), strName.c_str());
        if (FAILED(hr))
            return hr;
    }

    CComHolder<IRunningObjectTable> spTable;
    hr = GetRunningObjectTable(0, spTable.Receive());
    if (FAILED(hr))
        return hr;
    wchar_t szItem[64] = {};
    wsprintfW(szItem, L"FilterGraph %08x pid %08x", GraphNumber(), GetCurrentProcessId());
    CComHolder<IMoniker> spMoniker;
    hr = CreateItemMoniker(L"!", szItem, spMoniker.Receive());
    if (FAILED(hr))
        return hr;
    return spTable->Register(0, m_pGraph, spMoniker.Get(), &m_dwCookie);
}
