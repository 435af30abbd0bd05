#include "KitFilter.h"

#include <new>

#include "KitEnums.h"
#include "KitLock.h"
#include "KitPins.h"

CKitFilter::CKitFilter(REFCLSID clsid)
    : m_lRef(1), m_clsid(clsid), m_state(State_Stopped), m_tStart(0), m_pGraph(nullptr)
{
    InitializeCriticalSection(&m_csFilter);
    m_szName[0] = L'\0';
}

CKitFilter::~CKitFilter()
{
    DeleteCriticalSection(&m_csFilter);
}

STDMETHODIMP CKitFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter
        || riid == IID_IBaseFilter)
    {
        *ppv = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    return QueryExtra(riid, ppv);
}

HRESULT CKitFilter::QueryExtra(REFIID, void** ppv)
{
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CKitFilter::AddRef()
{
    return InterlockedIncrement(&m_lRef);
}

STDMETHODIMP_(ULONG) CKitFilter::Release()
{
    LONG lRef = InterlockedDecrement(&m_lRef);
    if (lRef == 0)
        delete this;
    return lRef;
}

STDMETHODIMP CKitFilter::GetClassID(CLSID* pClsid)
{
    if (!pClsid)
        return E_POINTER;
    *pClsid = m_clsid;
    return S_OK;
}

STDMETHODIMP CKitFilter::Stop()
{
    CLock lock(&m_csFilter);
    HRESULT hrResult = S_OK;
    if (m_state != State_Stopped)
    {
        // Mark the state first: streaming threads poll it to stop delivering.
        m_state = State_Stopped;
        for (int i = 0; i < GetPinCount(); ++i)
        {
            HRESULT hr = GetPin(i)->Inactive();
            if (FAILED(hr) && SUCCEEDED(hrResult))
                hrResult = hr;
        }
    }
    return hrResult;
}

STDMETHODIMP CKitFilter::Pause()
{
    CLock lock(&m_csFilter);
    if (m_state == State_Stopped)
    {
        for (int i = 0; i < GetPinCount(); ++i)
        {
            CKitPin* pPin = GetPin(i);
            if (!pPin->IsConnected())
                continue;
            HRESULT hr = pPin->Active();
            if (FAILED(hr))
            {
                for (int j = 0; j < i; ++j)
                    GetPin(j)->Inactive();
                return hr;
            }
        }
    }
    m_state = State_Paused;
    return S_OK;
}

STDMETHODIMP CKitFilter::Run(REFERENCE_TIME tStart)
{
    CLock lock(&m_csFilter);
    if (m_state == State_Stopped)
    {
        HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    m_tStart = tStart;
    m_state = State_Running;
    return S_OK;
}

STDMETHODIMP CKitFilter::GetState(DWORD, FILTER_STATE* pState)
{
    if (!pState)
        return E_POINTER;
    *pState = m_state;
    return S_OK;
}

STDMETHODIMP CKitFilter::SetSyncSource(IReferenceClock* pClock)
{
    CLock lock(&m_csFilter);
    m_spClock = pClock;
    return S_OK;
}

STDMETHODIMP CKitFilter::GetSyncSource(IReferenceClock** ppClock)
{
    CLock lock(&m_csFilter);
    return m_spClock.CopyTo(ppClock);
}

STDMETHODIMP CKitFilter::EnumPins(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumKitPins(this, 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CKitFilter::FindPin(LPCWSTR pszId, IPin** ppPin)
{
    if (!ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    if (!pszId)
        return E_POINTER;
    for (int i = 0; i < GetPinCount(); ++i)
    {
        CKitPin* pPin = GetPin(i);
        if (lstrcmpW(pPin->Id(), pszId) == 0)
        {
            pPin->AddRef();
            *ppPin = pPin;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CKitFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    CLock lock(&m_csFilter);
    lstrcpynW(pInfo->achName, m_szName, MAX_FILTER_NAME);
    pInfo->pGraph = m_pGraph;
    if (pInfo->pGraph)
        pInfo->pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CKitFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pszName)
{
    CLock lock(&m_csFilter);
    m_pGraph = pGraph;
    if (pGraph && pszName)
        lstrcpynW(m_szName, pszName, MAX_FILTER_NAME);
    else
        m_szName[0] = L'\0';
    return S_OK;
}

STDMETHODIMP CKitFilter::QueryVendorInfo(LPWSTR* ppszVendorInfo)
{
    if (ppszVendorInfo)
        *ppszVendorInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT CKitFilter::NotifyEvent(long lCode, LONG_PTR lParam1, LONG_PTR lParam2)
{
    IFilterGraph* pGraph = m_pGraph;
    if (!pGraph)
        return S_FALSE;
    CComPtr<IMediaEventSink> spSink;
    HRESULT hr = CComPtr<IUnknown>(pGraph).QueryInterface(&spSink);
    if (FAILED(hr))
        return hr;
    return spSink->Notify(lCode, lParam1, lParam2);
}
