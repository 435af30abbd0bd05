#include "Synchronizer.h"

#include <string.h>

#include <new>

#include "StandinFilters.h"
#include "kit/KitLock.h"

namespace
{
const long kPassBuffers = 2;

// Bytes one sample of the type can need: the most that the type's size fields or an
// uncompressed picture of its size call for (a file may understate its image size).
long SampleBytesFor(const AM_MEDIA_TYPE& mt)
{
    long cb = mt.lSampleSize > 0 ? static_cast<long>(mt.lSampleSize) : 0;
    if (mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER) && mt.pbFormat)
    {
        const BITMAPINFOHEADER& bmih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
        const long cbStride = ((bmih.biWidth * bmih.biBitCount + 31) / 32) * 4;
        const long cbPicture = cbStride * (bmih.biHeight < 0 ? -bmih.biHeight : bmih.biHeight);
        const long cbImage = static_cast<long>(bmih.biSizeImage);
        cb = cbImage > cb ? cbImage : cb;
        cb = cbPicture > cb ? cbPicture : cb;
    }
    return cb;
}

bool IsPassableVideo(const AM_MEDIA_TYPE& mt)
{
    return mt.majortype == MEDIATYPE_Video && SampleBytesFor(mt) > 0;
}
}

// ---- pins ----

CSyncInPin::CSyncInPin(CSynchronizer* pSync)
    : CKitPassInputPin(pSync, STANDIN_PIN_IN_W, &pSync->OutPin(), IsPassableVideo), m_pSync(pSync)
{
}

HRESULT CSyncInPin::OnReceive(IMediaSample* pSample)
{
    return m_pSync->OutPin().PassOn(pSample);
}

CSyncOutPin::CSyncOutPin(CSynchronizer* pSync)
    : CKitPassOutputPin(pSync, STANDIN_PIN_OUT_W, &pSync->InPin(), IsPassableVideo)
{
}

void CSyncOutPin::GetBufferNeeds(long* pcBuffers, long* pcbBuffer)
{
    *pcBuffers = kPassBuffers;
    *pcbBuffer = SampleBytesFor(ConnectedType().Get());
}

HRESULT CSyncOutPin::PassOn(IMediaSample* pSample)
{
    // Nothing downstream: the samples end here.
    if (!IsConnected())
        return S_OK;
    CComPtr<IMediaSample> spOut;
    HRESULT hr = GetDeliveryBuffer(&spOut);
    if (FAILED(hr))
        return hr;
    BYTE* pSrc = nullptr;
    BYTE* pDst = nullptr;
    if (FAILED(hr = pSample->GetPointer(&pSrc)) || FAILED(hr = spOut->GetPointer(&pDst)))
        return hr;
    long cbData = pSample->GetActualDataLength();
    if (cbData < 0 || cbData > spOut->GetSize())
        return VFW_E_BUFFER_OVERFLOW;
    memcpy(pDst, pSrc, static_cast<size_t>(cbData));
    spOut->SetActualDataLength(cbData);

    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    hr = pSample->GetTime(&tStart, &tStop);
    if (hr == S_OK)
        spOut->SetTime(&tStart, &tStop);
    else if (hr == VFW_S_NO_STOP_TIME)
        spOut->SetTime(&tStart, nullptr);
    LONGLONG llStart = 0;
    LONGLONG llStop = 0;
    if (pSample->GetMediaTime(&llStart, &llStop) == S_OK)
        spOut->SetMediaTime(&llStart, &llStop);
    spOut->SetSyncPoint(pSample->IsSyncPoint() == S_OK);
    spOut->SetDiscontinuity(pSample->IsDiscontinuity() == S_OK);
    spOut->SetPreroll(pSample->IsPreroll() == S_OK);
    return Deliver(spOut);
}

// ---- filter ----

CSynchronizer::CSynchronizer()
    : CKitPersistFilter(CLSID_Meridel), m_config(DefaultSyncConfig()), m_in(this), m_out(this),
      m_audioIn(this), m_audioOut(this)
{
}

HRESULT CSynchronizer::CreateInstance(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CSynchronizer* pSync = new (std::nothrow) CSynchronizer();
    if (!pSync)
        return E_OUTOFMEMORY;
    HRESULT hr = pSync->QueryInterface(riid, ppv);
    pSync->Release();
    return hr;
}

CKitPin* CSynchronizer::GetPin(int iIndex)
{
    switch (iIndex)
    {
    case 0: return &m_in;
    case 1: return &m_out;
    case 2: return &m_audioIn;
    case 3: return &m_audioOut;
    default: return nullptr;
    }
}

HRESULT CSynchronizer::QueryExtra(REFIID riid, void** ppv)
{
    if (riid == IID_IMeridel)
    {
        *ppv = nullptr;
        bool bRefuse;
        {
            CLock lock(FilterLock());
            bRefuse = m_config.m_bRefuseInterface;
        }
        if (bRefuse)
            return E_NOINTERFACE;
        *ppv = static_cast<IMeridel*>(this);
        AddRef();
        return S_OK;
    }
    return CKitPersistFilter::QueryExtra(riid, ppv);
}

STDMETHODIMP CSynchronizer::SetMaxAudioSampleDuration(double dSeconds)
{
    CLock lock(FilterLock());
    if (m_config.m_hrSetResult != S_OK)
        return m_config.m_hrSetResult;
    if (!SyncDurationValid(dSeconds))
        return E_INVALIDARG;
    m_config.m_dDurationSeconds = RoundToGranularity(dSeconds, m_config.m_dGranularitySeconds);
    SetDirty();
    return S_OK;
}

STDMETHODIMP CSynchronizer::GetMaxAudioSampleDuration(double* pdSeconds)
{
    if (!pdSeconds)
        return E_POINTER;
    CLock lock(FilterLock());
    *pdSeconds = m_config.m_dDurationSeconds;
    return S_OK;
}

double CSynchronizer::MaxAudioSeconds()
{
    CLock lock(FilterLock());
    return m_config.m_dDurationSeconds;
}

void CSynchronizer::SaveRecord(BYTE* pRecord)
{
    CLock lock(FilterLock());
    PackSyncConfig(m_config, pRecord);
}

HRESULT CSynchronizer::LoadRecord(const BYTE* pRecord, ULONG cbRecord)
{
    SSyncConfig config;
    HRESULT hr = UnpackSyncConfig(pRecord, cbRecord, &config);
    if (FAILED(hr))
        return hr;
    CLock lock(FilterLock());
    m_config = config;
    return S_OK;
}
