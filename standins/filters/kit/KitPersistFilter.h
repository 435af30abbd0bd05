// A filter whose settings travel in a saved graph: IPersistStream over one fixed-size
// record that the subclass packs and unpacks.
#pragma once

#include "KitFilter.h"

class CKitPersistFilter : public CKitFilter, public IPersistStream
{
public:
    explicit CKitPersistFilter(REFCLSID clsid) : CKitFilter(clsid), m_bDirty(false) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return CKitFilter::QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return CKitFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CKitFilter::Release(); }
    STDMETHODIMP GetClassID(CLSID* pClsid) override { return CKitFilter::GetClassID(pClsid); }

    // IPersistStream
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* pStream) override;
    STDMETHODIMP Save(IStream* pStream, BOOL bClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

protected:
    HRESULT QueryExtra(REFIID riid, void** ppv) override;
    void SetDirty() { m_bDirty = true; }

    // Size of the record; Load reads exactly this many bytes.
    virtual ULONG RecordSize() const = 0;
    // Packs the current settings into RecordSize() bytes.
    virtual void SaveRecord(BYTE* pRecord) = 0;
    // Takes settings from a record; a failure leaves the filter as it was.
    virtual HRESULT LoadRecord(const BYTE* pRecord, ULONG cbRecord) = 0;

private:
    volatile bool m_bDirty;
};
