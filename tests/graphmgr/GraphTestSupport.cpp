#include "GraphTestSupport.h"

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
    CComPtr<IEnumPins> spPins;
    HRESULT hr = pFilter->EnumPins(&spPins);
    if (FAILED(hr))
        return hr;
    ULONG cFetched = 0;
    for (CComPtr<IPin> spCandidate; spPins->Next(1, &spCandidate, &cFetched) == S_OK; spCandidate.Release())
    {
        PIN_INFO info = {};
        if (FAILED(spCandidate->QueryPinInfo(&info)))
            continue;
        if (info.pFilter)
            info.pFilter->Release();
        if (std::wstring(info.achName) == pszName)
        {
            spPin = spCandidate;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
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
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &spStream);
    if (FAILED(hr))
        return hr;
    ULONG cbWritten = 0;
    hr = spStream->Write(vecBytes.data(), static_cast<ULONG>(vecBytes.size()), &cbWritten);
    if (FAILED(hr))
        return hr;
    LARGE_INTEGER liZero = {};
    return spStream->Seek(liZero, STREAM_SEEK_SET, nullptr);
}

HRESULT SetTestFilterConfig(IBaseFilter* pFilter, const std::vector<BYTE>& vecConfig)
{
    CComPtr<IPersistStream> spPersist;
    HRESULT hr = pFilter->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist));
    if (FAILED(hr))
        return hr;
    CComPtr<IStream> spStream;
    hr = StreamOnBytes(GrfTestFilterData(vecConfig), spStream);
    return FAILED(hr) ? hr : spPersist->Load(spStream);
}

HRESULT SaveGraph(IUnknown* pGraph, std::vector<BYTE>& vecText, BOOL fClearDirty)
{
    CComPtr<IPersistStream> spPersist;
    HRESULT hr = pGraph->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist));
    if (FAILED(hr))
        return hr;
    CComPtr<IStream> spStream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, &spStream);
    if (SUCCEEDED(hr))
        hr = spPersist->Save(spStream, fClearDirty);
    if (FAILED(hr))
        return hr;
    LARGE_INTEGER liZero = {};
    ULARGE_INTEGER uliEnd = {};
    HGLOBAL hGlobal = nullptr;
    hr = spStream->Seek(liZero, STREAM_SEEK_CUR, &uliEnd);
    if (SUCCEEDED(hr))
        hr = GetHGlobalFromStream(spStream, &hGlobal);
    if (FAILED(hr))
        return hr;
    const BYTE* pb = static_cast<const BYTE*>(GlobalLock(hGlobal));
    vecText.assign(pb, pb + uliEnd.QuadPart);
    GlobalUnlock(hGlobal);
    return S_OK;
}

HRESULT LoadGraph(IUnknown* pGraph, const std::vector<BYTE>& vecText)
{
    CComPtr<IPersistStream> spPersist;
    HRESULT hr = pGraph->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist));
    if (FAILED(hr))
        return hr;
    CComPtr<IStream> spStream;
    hr = StreamOnBytes(vecText, spStream);
    return FAILED(hr) ? hr : spPersist->Load(spStream);
}
