// Base of the stand-in filters: IBaseFilter with the media-filter state machine, the
// filter's name and graph, the reference clock and the pin list that subclasses supply.
#pragma once

#include <dshow.h>

#include "atl/AtlComPtr.h"
#include "LiveObjects.h"

class CKitPin;

class CKitFilter : public IBaseFilter, private CLiveObject
{
public:
    explicit CKitFilter(REFCLSID clsid);
    virtual ~CKitFilter();
    CKitFilter(const CKitFilter&) = delete;
    CKitFilter& operator=(const CKitFilter&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsid) override;

    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* pState) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** ppClock) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP FindPin(LPCWSTR pszId, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pszName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* ppszVendorInfo) override;

    virtual int GetPinCount() = 0;
    virtual CKitPin* GetPin(int iIndex) = 0;

    // Read without the lock by streaming threads; only the filter lock changes it.
    FILTER_STATE State() const { return m_state; }
    CRITICAL_SECTION* FilterLock() { return &m_csFilter; }
    // Sends an event to the graph's event sink, if the filter is in a graph.
    HRESULT NotifyEvent(long lCode, LONG_PTR lParam1, LONG_PTR lParam2);

protected:
    // Interfaces a subclass adds; called after the base's own.
    virtual HRESULT QueryExtra(REFIID riid, void** ppv);

private:
    volatile LONG m_lRef;
    CLSID m_clsid;
    CRITICAL_SECTION m_csFilter;
    volatile FILTER_STATE m_state;
    REFERENCE_TIME m_tStart;
    CComPtr<IReferenceClock> m_spClock;
    // Not a counted reference: the graph owns its filters, not the other way round.
    IFilterGraph* m_pGraph;
    WCHAR m_szName[MAX_FILTER_NAME];
};
