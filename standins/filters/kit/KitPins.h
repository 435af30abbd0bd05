// Pins of the stand-in filters. Pins share their filter's reference count and lock;
// an output pin negotiates an allocator with the downstream input pin and delivers.
#pragma once

#include <dshow.h>

#include "atl/AtlComPtr.h"
#include "LiveObjects.h"
#include "MediaType.h"

class CKitFilter;

class CKitPin : public IPin, private CLiveObject
{
public:
    CKitPin(CKitFilter* pFilter, LPCWSTR pszName, PIN_DIRECTION dir);
    virtual ~CKitPin();
    CKitPin(const CKitPin&) = delete;
    CKitPin& operator=(const CKitPin&) = delete;

    // IUnknown: the filter's count
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin parts common to both directions
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** ppPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pDir) override;
    STDMETHODIMP QueryId(LPWSTR* ppszId) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** ppPins, ULONG* pnPins) override;

    LPCWSTR Name() const { return m_szName; }
    // What QueryId answers and FindPin matches: the name, unless the subclass sets another.
    LPCWSTR Id() const { return m_szId; }
    bool IsConnected() const { return m_spPeer.p != nullptr; }
    const CMediaType& ConnectedType() const { return m_mt; }
    CKitFilter* Filter() const { return m_pFilter; }

    // S_OK when the pin can carry the type, otherwise a failure code.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    // Preferred types by index: S_OK, or VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT GetMediaType(int iIndex, CMediaType* pmt) = 0;
    // State hooks called by the filter, under its lock, on leaving and entering Stopped.
    virtual HRESULT Active() { return S_OK; }
    virtual HRESULT Inactive() { return S_OK; }

protected:
    virtual void OnDisconnect() {}
    void ClearConnection();
    void SetId(LPCWSTR pszId) { lstrcpynW(m_szId, pszId, MAX_PIN_NAME); }

    CKitFilter* m_pFilter;
    WCHAR m_szName[MAX_PIN_NAME];
    WCHAR m_szId[MAX_PIN_NAME];
    PIN_DIRECTION m_dir;
    CComPtr<IPin> m_spPeer;
    CMediaType m_mt;
};

class CKitOutputPin : public CKitPin
{
public:
    CKitOutputPin(CKitFilter* pFilter, LPCWSTR pszName);

    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    HRESULT Active() override;
    HRESULT Inactive() override;

    // Streaming side, called from the thread that delivers.
    HRESULT GetDeliveryBuffer(IMediaSample** ppSample);
    HRESULT Deliver(IMediaSample* pSample);
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

protected:
    // Buffers this pin needs for the connected type.
    virtual void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) = 0;
    // Agrees on the allocator with the connected input pin, once connected; a pin that
    // never delivers may skip it (and then must not need one in Active either).
    virtual HRESULT DecideAllocator();
    void OnDisconnect() override;

private:
    HRESULT TryConnect(IPin* pReceivePin, const AM_MEDIA_TYPE& mt);
    HRESULT SetupAllocator(IMemAllocator* pAllocator, const ALLOCATOR_PROPERTIES& request);

    CComPtr<IMemInputPin> m_spMemInput;
    CComPtr<IMemAllocator> m_spAllocator;
};

class CKitInputPin : public CKitPin, public IMemInputPin
{
public:
    CKitInputPin(CKitFilter* pFilter, LPCWSTR pszName);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** ppSamples, long cSamples, long* pcProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    bool IsFlushing() const { return m_bFlushing; }

protected:
    // Stream hooks for the subclass; Receive is called only while the filter is not
    // stopped and the pin is not flushing.
    virtual HRESULT OnReceive(IMediaSample* pSample) = 0;
    virtual HRESULT OnEndOfStream() { return S_OK; }
    virtual HRESULT OnBeginFlush() { return S_OK; }
    virtual HRESULT OnEndFlush() { return S_OK; }
    virtual HRESULT OnNewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }
    // Called once a connection is made, before ReceiveConnection returns; a failure undoes it.
    virtual HRESULT OnConnected() { return S_OK; }
    void OnDisconnect() override;

private:
    CComPtr<IMemAllocator> m_spAllocator;
    volatile bool m_bFlushing;
};
