#include "TestPin.h"

#include "TestFilter.h"

namespace
{
HRESULT CopyMediaType(const AM_MEDIA_TYPE& src, AM_MEDIA_TYPE& dst)
{
    dst = src;
    dst.pUnk = nullptr;
    dst.pbFormat = nullptr;
    if (src.cbFormat)
    {
        dst.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src.cbFormat));
        if (!dst.pbFormat)
            return E_OUTOFMEMORY;
        CopyMemory(dst.pbFormat, src.pbFormat, src.cbFormat);
    }
    return S_OK;
}

void ClearMediaType(AM_MEDIA_TYPE& mt)
{
    CoTaskMemFree(mt.pbFormat);
    mt = AM_MEDIA_TYPE();
}
}  // namespace

CTestPin::CTestPin(IBaseFilter* pFilter, PIN_DIRECTION dir, const wchar_t* pszName, const wchar_t* pszId)
    : m_pFilter(pFilter), m_dir(dir), m_strName(pszName), m_strId(pszId)
{
}

CTestPin::~CTestPin()
{
    Disconnect();
}

STDMETHODIMP CTestPin::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPin))
    {
        *ppv = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CTestPin::AddRef()
{
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CTestPin::Release()
{
    return m_pFilter->Release();
}

void CTestPin::SetConnection(IPin* pPeer, const AM_MEDIA_TYPE& mt)
{
    pPeer->AddRef();
    m_pPeer = pPeer;
    CopyMediaType(mt, m_mt);
}

STDMETHODIMP CTestPin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    if (!pReceivePin)
        return E_POINTER;
    if (m_dir != PINDIR_OUTPUT)
        return E_UNEXPECTED;
    if (m_pPeer)
        return VFW_E_ALREADY_CONNECTED;

    VIDEOINFOHEADER vih;
    AM_MEDIA_TYPE mtDefault = GrfTestVideoType(&vih);
    const AM_MEDIA_TYPE* pmtUse = (pmt && !IsEqualGUID(pmt->majortype, GUID_NULL)) ? pmt : &mtDefault;
    HRESULT hr = pReceivePin->ReceiveConnection(this, pmtUse);
    if (FAILED(hr))
        return hr;
    SetConnection(pReceivePin, *pmtUse);
    return S_OK;
}

STDMETHODIMP CTestPin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    if (!pConnector || !pmt)
        return E_POINTER;
    if (m_dir != PINDIR_INPUT)
        return E_UNEXPECTED;
    if (m_pPeer)
        return VFW_E_ALREADY_CONNECTED;
    HRESULT hr = QueryAccept(pmt);
    if (hr != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    SetConnection(pConnector, *pmt);
    return S_OK;
}

STDMETHODIMP CTestPin::Disconnect()
{
    if (!m_pPeer)
        return S_FALSE;
    IPin* pPeer = m_pPeer;
    m_pPeer = nullptr;
    pPeer->Release();
    ClearMediaType(m_mt);
    return S_OK;
}

STDMETHODIMP CTestPin::ConnectedTo(IPin** ppPin)
{
    if (!ppPin)
        return E_POINTER;
    *ppPin = m_pPeer;
    if (!m_pPeer)
        return VFW_E_NOT_CONNECTED;
    m_pPeer->AddRef();
    return S_OK;
}

STDMETHODIMP CTestPin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    if (!m_pPeer)
    {
        *pmt = AM_MEDIA_TYPE();
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(m_mt, *pmt);
}

STDMETHODIMP CTestPin::QueryPinInfo(PIN_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    pInfo->dir = m_dir;
    lstrcpynW(pInfo->achName, m_strName.c_str(), MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CTestPin::QueryDirection(PIN_DIRECTION* pPinDir)
{
    if (!pPinDir)
        return E_POINTER;
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CTestPin::QueryId(LPWSTR* pszId)
{
    if (!pszId)
        return E_POINTER;
    size_t cb = (m_strId.size() + 1) * sizeof(wchar_t);
    *pszId = static_cast<LPWSTR>(CoTaskMemAlloc(cb));
    if (!*pszId)
        return E_OUTOFMEMORY;
    CopyMemory(*pszId, m_strId.c_str(), cb);
    return S_OK;
}

STDMETHODIMP CTestPin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    return IsEqualGUID(pmt->subtype, MEDIASUBTYPE_GrfTestRefused) ? S_FALSE : S_OK;
}

STDMETHODIMP CTestPin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CTestPin::QueryInternalConnections(IPin** apPin, ULONG* nPin)
{
    (void)apPin;
    (void)nPin;
    return E_NOTIMPL;
}

STDMETHODIMP CTestPin::EndOfStream()
{
    return S_OK;
}

STDMETHODIMP CTestPin::BeginFlush()
{
    return S_OK;
}

STDMETHODIMP CTestPin::EndFlush()
{
    return S_OK;
}

STDMETHODIMP CTestPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    (void)tStart;
    (void)tStop;
    (void)dRate;
    return S_OK;
}
