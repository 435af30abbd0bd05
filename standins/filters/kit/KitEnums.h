// Enumerators over a filter's pins and over a snapshot of media types.
#pragma once

#include <dshow.h>

#include <vector>

#include "atl/AtlComPtr.h"
#include "LiveObjects.h"
#include "MediaType.h"

class CKitFilter;

class CEnumKitPins final : public IEnumPins, private CLiveObject
{
public:
    // Holds a reference on the filter for as long as the enumerator lives.
    CEnumKitPins(CKitFilter* pFilter, int iPosition);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cPins) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** ppEnum) override;

private:
    ~CEnumKitPins() = default;

    volatile LONG m_lRef;
    CKitFilter* m_pFilter;
    CComPtr<IBaseFilter> m_spFilterRef;
    int m_iPosition;
};

class CEnumKitMediaTypes final : public IEnumMediaTypes, private CLiveObject
{
public:
    CEnumKitMediaTypes(const std::vector<CMediaType>& types, size_t iPosition);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG cTypes, AM_MEDIA_TYPE** ppTypes, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cTypes) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override;

private:
    ~CEnumKitMediaTypes() = default;

    volatile LONG m_lRef;
    std::vector<CMediaType> m_vecTypes;
    size_t m_iPosition;
};
