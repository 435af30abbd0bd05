#include "KitPersistFilter.h"

#include <vector>

HRESULT CKitPersistFilter::QueryExtra(REFIID riid, void** ppv)
{
    if (riid == IID_IPersistStream)
    {
        *ppv = static_cast<IPersistStream*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CKitPersistFilter::IsDirty()
{
    return m_bDirty ? S_OK : S_FALSE;
}

STDMETHODIMP CKitPersistFilter::Load(IStream* pStream)
{
    if (!pStream)
        return E_POINTER;
    std::vector<BYTE> vecRecord(RecordSize());
    ULONG cbTotal = 0;
    while (cbTotal < vecRecord.size())
    {
        ULONG cbRead = 0;
        HRESULT hr = pStream->Read(vecRecord.data() + cbTotal, static_cast<ULONG>(vecRecord.size()) - cbTotal, &cbRead);
        if (FAILED(hr))
            return hr;
        if (cbRead == 0)
            break;
        cbTotal += cbRead;
    }
    // A graph that carried no bytes for this filter leaves its defaults in place; a
    // record cut short is damaged data.
    if (cbTotal == 0)
        return S_OK;
    if (cbTotal < vecRecord.size())
        return STG_E_READFAULT;
    HRESULT hr = LoadRecord(vecRecord.data(), cbTotal);
    if (SUCCEEDED(hr))
        m_bDirty = false;
    return hr;
}

STDMETHODIMP CKitPersistFilter::Save(IStream* pStream, BOOL bClearDirty)
{
    if (!pStream)
        return E_POINTER;
    std::vector<BYTE> vecRecord(RecordSize());
    SaveRecord(vecRecord.data());
    ULONG cbWritten = 0;
    HRESULT hr = pStream->Write(vecRecord.data(), static_cast<ULONG>(vecRecord.size()), &cbWritten);
    if (FAILED(hr))
        return hr;
    if (cbWritten != vecRecord.size())
        return STG_E_WRITEFAULT;
    if (bClearDirty)
        m_bDirty = false;
    return S_OK;
}

STDMETHODIMP CKitPersistFilter::GetSizeMax(ULARGE_INTEGER* pcbSize)
{
    if (!pcbSize)
        return E_POINTER;
    pcbSize->QuadPart = RecordSize();
    return S_OK;
}
