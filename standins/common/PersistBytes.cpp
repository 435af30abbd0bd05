#include "PersistBytes.h"

#include "atl/AtlComPtr.h"

HRESULT StreamOnBytes(const BYTE* pb, ULONG cb, IStream** ppStream)
{
    if (!ppStream)
        return E_POINTER;
    *ppStream = nullptr;
    CComPtr<IStream> spStream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &spStream);
    if (FAILED(hr))
        return hr;
    if (cb)
    {
        ULONG cbWritten = 0;
        hr = spStream->Write(pb, cb, &cbWritten);
        if (FAILED(hr))
            return hr;
        if (cbWritten != cb)
            return STG_E_MEDIUMFULL;
    }
    LARGE_INTEGER liZero = {};
    hr = spStream->Seek(liZero, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
        return hr;
    *ppStream = spStream.Detach();
    return S_OK;
}

namespace
{
HRESULT PersistStreamOf(IUnknown* pObject, IPersistStream** ppPersist)
{
    if (!pObject)
        return E_POINTER;
    return pObject->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(ppPersist));
}
}

HRESULT LoadFromBytes(IUnknown* pObject, const BYTE* pb, ULONG cb)
{
    CComPtr<IPersistStream> spPersist;
    HRESULT hr = PersistStreamOf(pObject, &spPersist);
    CComPtr<IStream> spStream;
    if (SUCCEEDED(hr))
        hr = StreamOnBytes(pb, cb, &spStream);
    return FAILED(hr) ? hr : spPersist->Load(spStream);
}

HRESULT SaveToBytes(IUnknown* pObject, BOOL fClearDirty, std::vector<BYTE>* pvecBytes)
{
    if (!pvecBytes)
        return E_POINTER;
    CComPtr<IPersistStream> spPersist;
    HRESULT hr = PersistStreamOf(pObject, &spPersist);
    CComPtr<IStream> spStream;
    if (SUCCEEDED(hr))
        hr = StreamOnBytes(nullptr, 0, &spStream);
    if (SUCCEEDED(hr))
        hr = spPersist->Save(spStream, fClearDirty);
    if (FAILED(hr))
        return hr;

    // What the object wrote ends at the stream's position.
    LARGE_INTEGER liZero = {};
    ULARGE_INTEGER uliEnd = {};
    hr = spStream->Seek(liZero, STREAM_SEEK_CUR, &uliEnd);
    if (FAILED(hr))
        return hr;
    HGLOBAL hGlobal = nullptr;
    hr = GetHGlobalFromStream(spStream, &hGlobal);
    if (FAILED(hr))
        return hr;
    const BYTE* pb = static_cast<const BYTE*>(GlobalLock(hGlobal));
    if (!pb && uliEnd.QuadPart)
        return E_OUTOFMEMORY;
    pvecBytes->assign(pb, pb + uliEnd.QuadPart);
    GlobalUnlock(hGlobal);
    return S_OK;
}
