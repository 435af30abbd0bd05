#include "GraphTestSupport.h"

#include "PersistBytes.h"
#include "PinSearch.h"
#include "TestFilter.h"

HRESULT CreateGraph(CComPtr<IUnknown>& spGraph)
{
    spGraph.Release();
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(&spGraph));
}

HRESULT AddFilter(IUnknown* pGraph, const GUID& clsid, const wchar_t* pszName, CComPtr<IBaseFilter>& spFilter)
{
    CComPtr<IFilterGraph> spFilterGraph;
    HRESULT hr = pGraph->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spFilterGraph));
    if (FAILED(hr))
        return hr;
    spFilter.Release();
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&spFilter));
    if (FAILED(hr))
        return hr;
    return spFilterGraph->AddFilter(spFilter, pszName);
}

HRESULT FindPinByName(IBaseFilter* pFilter, const wchar_t* pszName, CComPtr<IPin>& spPin)
{
    spPin.Release();
    return FindPinByInfo(pFilter, pszName, nullptr, &spPin);
}

HRESULT ConnectPins(IUnknown* pGraph, IBaseFilter* pOut, const wchar_t* pszOut, IBaseFilter* pIn,
                    const wchar_t* pszIn, const AM_MEDIA_TYPE* pmt)
{
    CComPtr<IFilterGraph> spFilterGraph;
    HRESULT hr = pGraph->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spFilterGraph));
    if (FAILED(hr))
        return hr;
    CComPtr<IPin> spOut, spIn;
    hr = FindPinByName(pOut, pszOut, spOut);
    if (SUCCEEDED(hr))
        hr = FindPinByName(pIn, pszIn, spIn);
    if (FAILED(hr))
        return hr;
    return spFilterGraph->ConnectDirect(spOut, spIn, pmt);
}

HRESULT StreamOnBytes(const std::vector<BYTE>& vecBytes, CComPtr<IStream>& spStream)
{
    spStream.Release();
    return StreamOnBytes(vecBytes.data(), static_cast<ULONG>(vecBytes.size()), &spStream);
}

HRESULT SetTestFilterConfig(IBaseFilter* pFilter, const std::vector<BYTE>& vecConfig)
{
    return LoadFromBytes(pFilter, GrfTestFilterData(vecConfig));
}

HRESULT SaveGraph(IUnknown* pGraph, std::vector<BYTE>& vecText, BOOL fClearDirty)
{
    return SaveToBytes(pGraph, fClearDirty, &vecText);
}

HRESULT LoadGraph(IUnknown* pGraph, const std::vector<BYTE>& vecText)
{
    return LoadFromBytes(pGraph, vecText);
}
