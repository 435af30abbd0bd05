#include "KitPins.h"

#include <new>
#include <vector>

#include "KitEnums.h"
#include "KitFilter.h"

namespace
{
class CPinLock
{
public:
    explicit CPinLock(CKitFilter* pFilter) : m_pcs(pFilter->FilterLock()) { EnterCriticalSection(m_pcs); }
    ~CPinLock() { LeaveCriticalSection(m_pcs); }
    CPinLock(const CPinLock&) = delete;
    CPinLock& operator=(const CPinLock&) = delete;

private:
    CRITICAL_SECTION* m_pcs;
};

// A partial type matches when every part it names agrees.
bool PartialTypeMatches(const AM_MEDIA_TYPE* pPartial, const AM_MEDIA_TYPE& mt)
{
    if (!pPartial)
        return true;
    if (pPartial->majortype != GUID_NULL && pPartial->majortype != mt.majortype)
        return false;
    if (pPartial->subtype != GUID_NULL && pPartial->subtype != mt.subtype)
        return false;
    if (pPartial->formattype != GUID_NULL && pPartial->formattype != mt.formattype)
        return false;
    return true;
}
}

// ---- common pin ----

CKitPin::CKitPin(CKitFilter* pFilter, LPCWSTR pszName, PIN_DIRECTION dir)
    : m_pFilter(pFilter), m_dir(dir)
{
    lstrcpynW(m_szName, pszName, MAX_PIN_NAME);
    lstrcpynW(m_szId, pszName, MAX_PIN_NAME);
}

CKitPin::~CKitPin() = default;

STDMETHODIMP CKitPin::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPin)
    {
        *ppv = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CKitPin::AddRef()
{
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CKitPin::Release()
{
    return m_pFilter->Release();
}

void CKitPin::ClearConnection()
{
    m_spPeer.Release();
    m_mt.Clear();
}

STDMETHODIMP CKitPin::Disconnect()
{
    CPinLock lock(m_pFilter);
    if (m_pFilter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!m_spPeer)
        return S_FALSE;
    OnDisconnect();
    ClearConnection();
    return S_OK;
}

STDMETHODIMP CKitPin::ConnectedTo(IPin** ppPin)
{
    if (!ppPin)
        return E_POINTER;
    CPinLock lock(m_pFilter);
    *ppPin = nullptr;
    if (!m_spPeer)
        return VFW_E_NOT_CONNECTED;
    return m_spPeer.CopyTo(ppPin);
}

STDMETHODIMP CKitPin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CPinLock lock(m_pFilter);
    if (!m_spPeer)
    {
        ZeroMemory(pmt, sizeof(*pmt));
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaTypeTo(pmt, m_mt.Get());
}

STDMETHODIMP CKitPin::QueryPinInfo(PIN_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    pInfo->dir = m_dir;
    lstrcpynW(pInfo->achName, m_szName, MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CKitPin::QueryDirection(PIN_DIRECTION* pDir)
{
    if (!pDir)
        return E_POINTER;
    *pDir = m_dir;
    return S_OK;
}

STDMETHODIMP CKitPin::QueryId(LPWSTR* ppszId)
{
    if (!ppszId)
        return E_POINTER;
    size_t cb = (lstrlenW(m_szId) + 1) * sizeof(WCHAR);
    *ppszId = static_cast<LPWSTR>(CoTaskMemAlloc(cb));
    if (!*ppszId)
        return E_OUTOFMEMORY;
    CopyMemory(*ppszId, m_szId, cb);
    return S_OK;
}

STDMETHODIMP CKitPin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    return CheckMediaType(*pmt) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CKitPin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    std::vector<CMediaType> vecTypes;
    CPinLock lock(m_pFilter);
    for (int i = 0;; ++i)
    {
        CMediaType mt;
        if (GetMediaType(i, &mt) != S_OK)
            break;
        vecTypes.push_back(mt);
    }
    *ppEnum = new (std::nothrow) CEnumKitMediaTypes(vecTypes, 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CKitPin::QueryInternalConnections(IPin**, ULONG*)
{
    return E_NOTIMPL;
}

// ---- output pin ----

CKitOutputPin::CKitOutputPin(CKitFilter* pFilter, LPCWSTR pszName)
    : CKitPin(pFilter, pszName, PINDIR_OUTPUT)
{
}

STDMETHODIMP CKitOutputPin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    if (!pReceivePin)
        return E_POINTER;
    CPinLock lock(m_pFilter);
    if (m_spPeer)
        return VFW_E_ALREADY_CONNECTED;
    if (m_pFilter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;

    if (pmt && MediaTypeIsFullySpecified(*pmt))
        return TryConnect(pReceivePin, *pmt);

    // Our own types first, then whatever the receiving pin proposes.
    for (int i = 0;; ++i)
    {
        CMediaType mt;
        if (GetMediaType(i, &mt) != S_OK)
            break;
        if (PartialTypeMatches(pmt, mt.Get()) && SUCCEEDED(TryConnect(pReceivePin, mt.Get())))
            return S_OK;
    }
    CComPtr<IEnumMediaTypes> spEnum;
    if (SUCCEEDED(pReceivePin->EnumMediaTypes(&spEnum)))
    {
        AM_MEDIA_TYPE* pmtPeer = nullptr;
        ULONG cFetched = 0;
        while (spEnum->Next(1, &pmtPeer, &cFetched) == S_OK && cFetched == 1)
        {
            bool bMatch = PartialTypeMatches(pmt, *pmtPeer);
            HRESULT hr = bMatch ? TryConnect(pReceivePin, *pmtPeer) : E_FAIL;
            DeleteMediaTypeBlock(pmtPeer);
            pmtPeer = nullptr;
            if (SUCCEEDED(hr))
                return S_OK;
        }
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CKitOutputPin::TryConnect(IPin* pReceivePin, const AM_MEDIA_TYPE& mt)
{
    PIN_DIRECTION dir = PINDIR_OUTPUT;
    if (FAILED(pReceivePin->QueryDirection(&dir)) || dir != PINDIR_INPUT)
        return VFW_E_INVALID_DIRECTION;
    if (CheckMediaType(mt) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    HRESULT hr = m_mt.Set(mt);
    if (FAILED(hr))
        return hr;
    m_spPeer = pReceivePin;
    hr = pReceivePin->ReceiveConnection(this, &mt);
    if (FAILED(hr))
    {
        ClearConnection();
        return hr;
    }
    hr = DecideAllocator();
    if (FAILED(hr))
    {
        pReceivePin->Disconnect();
        OnDisconnect();
        ClearConnection();
        return hr;
    }
    return S_OK;
}

HRESULT CKitOutputPin::DecideAllocator()
{
    m_spMemInput.Release();
    HRESULT hr = m_spPeer.QueryInterface(&m_spMemInput);
    if (FAILED(hr))
        return VFW_E_NO_TRANSPORT;

    ALLOCATOR_PROPERTIES request = {};
    m_spMemInput->GetAllocatorRequirements(&request);

    // The downstream pin's allocator is preferred; our own memory allocator otherwise.
    CComPtr<IMemAllocator> spAllocator;
    if (SUCCEEDED(m_spMemInput->GetAllocator(&spAllocator)) && spAllocator)
    {
        hr = SetupAllocator(spAllocator, request);
        if (SUCCEEDED(hr))
            return S_OK;
    }
    spAllocator.Release();
    hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                          reinterpret_cast<void**>(&spAllocator));
    if (FAILED(hr))
        return hr;
    return SetupAllocator(spAllocator, request);
}

HRESULT CKitOutputPin::SetupAllocator(IMemAllocator* pAllocator, const ALLOCATOR_PROPERTIES& request)
{
    long cBuffers = 1;
    long cbBuffer = 0;
    GetBufferNeeds(&cBuffers, &cbBuffer);

    ALLOCATOR_PROPERTIES props = request;
    if (props.cBuffers < cBuffers)
        props.cBuffers = cBuffers;
    if (props.cbBuffer < cbBuffer)
        props.cbBuffer = cbBuffer;
    if (props.cbAlign < 1)
        props.cbAlign = 1;
    ALLOCATOR_PROPERTIES actual = {};
    HRESULT hr = pAllocator->SetProperties(&props, &actual);
    if (FAILED(hr))
        return hr;
    if (actual.cbBuffer < cbBuffer || actual.cBuffers < 1)
        return E_FAIL;
    hr = m_spMemInput->NotifyAllocator(pAllocator, FALSE);
    if (FAILED(hr))
        return hr;
    m_spAllocator = pAllocator;
    return S_OK;
}

void CKitOutputPin::OnDisconnect()
{
    if (m_spAllocator)
        m_spAllocator->Decommit();
    m_spAllocator.Release();
    m_spMemInput.Release();
}

STDMETHODIMP CKitOutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;
}

STDMETHODIMP CKitOutputPin::EndOfStream()
{
    return E_UNEXPECTED;
}

STDMETHODIMP CKitOutputPin::BeginFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP CKitOutputPin::EndFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP CKitOutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double)
{
    return E_UNEXPECTED;
}

HRESULT CKitOutputPin::Active()
{
    if (!m_spAllocator)
        return VFW_E_NO_ALLOCATOR;
    return m_spAllocator->Commit();
}

HRESULT CKitOutputPin::Inactive()
{
    // Decommitting wakes a streaming thread waiting for a buffer.
    if (!m_spAllocator)
        return S_OK;
    return m_spAllocator->Decommit();
}

HRESULT CKitOutputPin::GetDeliveryBuffer(IMediaSample** ppSample)
{
    if (!ppSample)
        return E_POINTER;
    *ppSample = nullptr;
    IMemAllocator* pAllocator = m_spAllocator;
    if (!pAllocator)
        return VFW_E_NO_ALLOCATOR;
    return pAllocator->GetBuffer(ppSample, nullptr, nullptr, 0);
}

HRESULT CKitOutputPin::Deliver(IMediaSample* pSample)
{
    IMemInputPin* pMemInput = m_spMemInput;
    if (!pMemInput)
        return VFW_E_NOT_CONNECTED;
    return pMemInput->Receive(pSample);
}

HRESULT CKitOutputPin::DeliverEndOfStream()
{
    IPin* pPeer = m_spPeer;
    return pPeer ? pPeer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT CKitOutputPin::DeliverBeginFlush()
{
    IPin* pPeer = m_spPeer;
    return pPeer ? pPeer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT CKitOutputPin::DeliverEndFlush()
{
    IPin* pPeer = m_spPeer;
    return pPeer ? pPeer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT CKitOutputPin::DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    IPin* pPeer = m_spPeer;
    return pPeer ? pPeer->NewSegment(tStart, tStop, dRate) : VFW_E_NOT_CONNECTED;
}

// ---- input pin ----

CKitInputPin::CKitInputPin(CKitFilter* pFilter, LPCWSTR pszName)
    : CKitPin(pFilter, pszName, PINDIR_INPUT), m_bFlushing(false)
{
}

STDMETHODIMP CKitInputPin::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IMemInputPin)
    {
        *ppv = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return CKitPin::QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CKitInputPin::AddRef()
{
    return CKitPin::AddRef();
}

STDMETHODIMP_(ULONG) CKitInputPin::Release()
{
    return CKitPin::Release();
}

STDMETHODIMP CKitInputPin::Connect(IPin*, const AM_MEDIA_TYPE*)
{
    // Connections are always made from the output side.
    return E_UNEXPECTED;
}

STDMETHODIMP CKitInputPin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    if (!pConnector || !pmt)
        return E_POINTER;
    CPinLock lock(m_pFilter);
    if (m_spPeer)
        return VFW_E_ALREADY_CONNECTED;
    if (m_pFilter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    PIN_DIRECTION dir = PINDIR_INPUT;
    if (FAILED(pConnector->QueryDirection(&dir)) || dir != PINDIR_OUTPUT)
        return VFW_E_INVALID_DIRECTION;
    if (CheckMediaType(*pmt) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    HRESULT hr = m_mt.Set(*pmt);
    if (FAILED(hr))
        return hr;
    m_spPeer = pConnector;
    hr = OnConnected();
    if (FAILED(hr))
    {
        OnDisconnect();
        ClearConnection();
    }
    return hr;
}

STDMETHODIMP CKitInputPin::EndOfStream()
{
    return OnEndOfStream();
}

STDMETHODIMP CKitInputPin::BeginFlush()
{
    m_bFlushing = true;
    return OnBeginFlush();
}

STDMETHODIMP CKitInputPin::EndFlush()
{
    m_bFlushing = false;
    return OnEndFlush();
}

STDMETHODIMP CKitInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    return OnNewSegment(tStart, tStop, dRate);
}

STDMETHODIMP CKitInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    *ppAllocator = nullptr;
    CPinLock lock(m_pFilter);
    if (!m_spAllocator)
    {
        HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IMemAllocator, reinterpret_cast<void**>(&m_spAllocator));
        if (FAILED(hr))
            return hr;
    }
    return m_spAllocator.CopyTo(ppAllocator);
}

STDMETHODIMP CKitInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL)
{
    if (!pAllocator)
        return E_POINTER;
    CPinLock lock(m_pFilter);
    m_spAllocator = pAllocator;
    return S_OK;
}

STDMETHODIMP CKitInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CKitInputPin::Receive(IMediaSample* pSample)
{
    if (!pSample)
        return E_POINTER;
    if (m_pFilter->State() == State_Stopped)
        return VFW_E_WRONG_STATE;
    if (m_bFlushing)
        return S_FALSE;
    return OnReceive(pSample);
}

STDMETHODIMP CKitInputPin::ReceiveMultiple(IMediaSample** ppSamples, long cSamples, long* pcProcessed)
{
    if (!ppSamples || !pcProcessed)
        return E_POINTER;
    *pcProcessed = 0;
    HRESULT hr = S_OK;
    while (*pcProcessed < cSamples)
    {
        hr = Receive(ppSamples[*pcProcessed]);
        if (hr != S_OK)
            break;
        ++*pcProcessed;
    }
    return hr;
}

STDMETHODIMP CKitInputPin::ReceiveCanBlock()
{
    return S_OK;
}

void CKitInputPin::OnDisconnect()
{
    m_spAllocator.Release();
}
