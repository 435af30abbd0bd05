#include "KitEnums.h"

#include <new>

#include "KitFilter.h"
#include "KitPins.h"

CEnumKitPins::CEnumKitPins(CKitFilter* pFilter, int iPosition)
    : m_lRef(1), m_pFilter(pFilter), m_spFilterRef(pFilter), m_iPosition(iPosition)
{
}

STDMETHODIMP CEnumKitPins::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IEnumPins)
    {
        *ppv = static_cast<IEnumPins*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumKitPins::AddRef()
{
    return InterlockedIncrement(&m_lRef);
}

STDMETHODIMP_(ULONG) CEnumKitPins::Release()
{
    LONG lRef = InterlockedDecrement(&m_lRef);
    if (lRef == 0)
        delete this;
    return lRef;
}

STDMETHODIMP CEnumKitPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched)
{
    if (!ppPins)
        return E_POINTER;
    if (cPins > 1 && !pcFetched)
        return E_INVALIDARG;
    ULONG cFetched = 0;
    while (cFetched < cPins && m_iPosition < m_pFilter->GetPinCount())
    {
        IPin* pPin = m_pFilter->GetPin(m_iPosition++);
        pPin->AddRef();
        ppPins[cFetched++] = pPin;
    }
    if (pcFetched)
        *pcFetched = cFetched;
    return cFetched == cPins ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumKitPins::Skip(ULONG cPins)
{
    int iLeft = m_pFilter->GetPinCount() - m_iPosition;
    if (static_cast<ULONG>(iLeft) < cPins)
    {
        m_iPosition = m_pFilter->GetPinCount();
        return S_FALSE;
    }
    m_iPosition += static_cast<int>(cPins);
    return S_OK;
}

STDMETHODIMP CEnumKitPins::Reset()
{
    m_iPosition = 0;
    return S_OK;
}

STDMETHODIMP CEnumKitPins::Clone(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumKitPins(m_pFilter, m_iPosition);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

CEnumKitMediaTypes::CEnumKitMediaTypes(const std::vector<CMediaType>& types, size_t iPosition)
    : m_lRef(1), m_vecTypes(types), m_iPosition(iPosition)
{
}

STDMETHODIMP CEnumKitMediaTypes::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IEnumMediaTypes)
    {
        *ppv = static_cast<IEnumMediaTypes*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumKitMediaTypes::AddRef()
{
    return InterlockedIncrement(&m_lRef);
}

STDMETHODIMP_(ULONG) CEnumKitMediaTypes::Release()
{
    LONG lRef = InterlockedDecrement(&m_lRef);
    if (lRef == 0)
        delete this;
    return lRef;
}

STDMETHODIMP CEnumKitMediaTypes::Next(ULONG cTypes, AM_MEDIA_TYPE** ppTypes, ULONG* pcFetched)
{
    if (!ppTypes)
        return E_POINTER;
    if (cTypes > 1 && !pcFetched)
        return E_INVALIDARG;
    ULONG cFetched = 0;
    while (cFetched < cTypes && m_iPosition < m_vecTypes.size())
    {
        AM_MEDIA_TYPE* pmt = CreateMediaTypeCopy(m_vecTypes[m_iPosition].Get());
        if (!pmt)
        {
            while (cFetched)
                DeleteMediaTypeBlock(ppTypes[--cFetched]);
            if (pcFetched)
                *pcFetched = 0;
            return E_OUTOFMEMORY;
        }
        ppTypes[cFetched++] = pmt;
        ++m_iPosition;
    }
    if (pcFetched)
        *pcFetched = cFetched;
    return cFetched == cTypes ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumKitMediaTypes::Skip(ULONG cTypes)
{
    size_t cLeft = m_vecTypes.size() - m_iPosition;
    if (cLeft < cTypes)
    {
        m_iPosition = m_vecTypes.size();
        return S_FALSE;
    }
    m_iPosition += cTypes;
    return S_OK;
}

STDMETHODIMP CEnumKitMediaTypes::Reset()
{
    m_iPosition = 0;
    return S_OK;
}

STDMETHODIMP CEnumKitMediaTypes::Clone(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumKitMediaTypes(m_vecTypes, m_iPosition);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}
