#include "PatternSource.h"

#include <new>

#include "PatternDraw.h"
#include "kit/KitLock.h"
#include "StandinFilters.h"

namespace
{
// Enough for the renderer to hold one frame while the next is being drawn.
const long kPatternBuffers = 3;

}

// ---- pin ----

CPatternOutPin::CPatternOutPin(CPatternSource* pSource)
    : CKitOutputPin(pSource, STANDIN_PIN_OUT_W), m_pSource(pSource), m_streamConfig(DefaultPatternConfig()),
      m_bStopStreaming(true)
{
}

HRESULT CPatternOutPin::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    return IsPatternMediaType(mt, m_pSource->Config()) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPatternOutPin::GetMediaType(int iIndex, CMediaType* pmt)
{
    if (iIndex != 0)
        return VFW_S_NO_MORE_ITEMS;
    return BuildPatternMediaType(m_pSource->Config(), pmt);
}

void CPatternOutPin::GetBufferNeeds(long* pcBuffers, long* pcbBuffer)
{
    *pcBuffers = kPatternBuffers;
    *pcbBuffer = static_cast<long>(PatternFrameBytes(m_pSource->Config()));
}

HRESULT CPatternOutPin::Active()
{
    HRESULT hr = CKitOutputPin::Active();
    if (FAILED(hr))
        return hr;
    // Every start from Stopped plays the clip from its first frame.
    m_streamConfig = m_pSource->Config();
    m_bStopStreaming = false;
    hr = m_thread.Start(StreamProc, this);
    if (FAILED(hr))
    {
        m_bStopStreaming = true;
        CKitOutputPin::Inactive();
    }
    return hr;
}

HRESULT CPatternOutPin::Inactive()
{
    m_bStopStreaming = true;
    // Decommitting first releases a thread that waits for a free buffer; downstream
    // filters are stopped before us and no longer block in Receive.
    HRESULT hr = CKitOutputPin::Inactive();
    m_thread.Join();
    return hr;
}

void CPatternOutPin::StreamProc(void* pContext)
{
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<CPatternOutPin*>(pContext)->Stream();
    if (SUCCEEDED(hrInit))
        CoUninitialize();
}

void CPatternOutPin::Stream()
{
    const SPatternConfig& config = m_streamConfig;
    DeliverNewSegment(0, PatternFrameStart(config.m_dwFrameCount, config.m_dwFramesPerSecond), 1.0);
    for (DWORD dwFrame = 0; dwFrame < config.m_dwFrameCount; ++dwFrame)
    {
        if (m_bStopStreaming)
            return;
        HRESULT hr = DeliverFrame(dwFrame);
        if (hr == S_FALSE)
            break;  // downstream wants no more: end the stream early
        if (FAILED(hr))
        {
            // Failures while stopping are the normal way out; others abort playback.
            if (!m_bStopStreaming)
                m_pSource->NotifyEvent(EC_ERRORABORT, hr, 0);
            return;
        }
    }
    if (!m_bStopStreaming)
        DeliverEndOfStream();
}

HRESULT CPatternOutPin::DeliverFrame(DWORD dwFrame)
{
    const SPatternConfig& config = m_streamConfig;
    CComPtr<IMediaSample> spSample;
    HRESULT hr = GetDeliveryBuffer(&spSample);
    if (FAILED(hr))
        return hr;
    BYTE* pBits = nullptr;
    hr = spSample->GetPointer(&pBits);
    if (FAILED(hr))
        return hr;
    ULONG cbFrame = PatternFrameBytes(config);
    if (static_cast<ULONG>(spSample->GetSize()) < cbFrame)
        return VFW_E_BUFFER_OVERFLOW;
    DrawPatternFrame(pBits, config.m_lWidth, config.m_lHeight, dwFrame);
    spSample->SetActualDataLength(static_cast<long>(cbFrame));
    REFERENCE_TIME tStart = PatternFrameStart(dwFrame, config.m_dwFramesPerSecond);
    REFERENCE_TIME tStop = PatternFrameStart(dwFrame + 1, config.m_dwFramesPerSecond);
    spSample->SetTime(&tStart, &tStop);
    LONGLONG llStart = dwFrame;
    LONGLONG llStop = dwFrame + 1;
    spSample->SetMediaTime(&llStart, &llStop);
    spSample->SetSyncPoint(TRUE);
    spSample->SetDiscontinuity(dwFrame == 0);
    spSample->SetPreroll(FALSE);
    return Deliver(spSample);
}

// ---- filter ----

CPatternSource::CPatternSource()
    : CKitPersistFilter(CLSID_PatternSource), m_config(DefaultPatternConfig()), m_pin(this)
{
}

HRESULT CPatternSource::CreateInstance(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CPatternSource* pSource = new (std::nothrow) CPatternSource();
    if (!pSource)
        return E_OUTOFMEMORY;
    HRESULT hr = pSource->QueryInterface(riid, ppv);
    pSource->Release();
    return hr;
}

CKitPin* CPatternSource::GetPin(int iIndex)
{
    return iIndex == 0 ? &m_pin : nullptr;
}

void CPatternSource::SaveRecord(BYTE* pRecord)
{
    CLock lock(FilterLock());
    PackPatternConfig(m_config, pRecord);
}

HRESULT CPatternSource::LoadRecord(const BYTE* pRecord, ULONG cbRecord)
{
    SPatternConfig config;
    HRESULT hr = UnpackPatternConfig(pRecord, cbRecord, &config);
    if (FAILED(hr))
        return hr;
    CLock lock(FilterLock());
    if (State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    // A connection keeps its format; only the clip length may change under it.
    if (m_pin.IsConnected()
        && (config.m_lWidth != m_config.m_lWidth || config.m_lHeight != m_config.m_lHeight
            || config.m_dwFramesPerSecond != m_config.m_dwFramesPerSecond))
        return VFW_E_ALREADY_CONNECTED;
    m_config = config;
    return S_OK;
}
