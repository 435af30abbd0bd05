#include "SyncAudioPins.h"

#include <string.h>

#include <mmreg.h>

#include "AudioCut.h"
#include "atl/AtlComPtr.h"
#include "StandinFilters.h"
#include "Synchronizer.h"

namespace
{
const long kAudioBuffers = 4;
// Each delivery buffer holds this much sound; a longer upstream sample is cut to it
// even when the duration asks for samples as they come.
const DWORD kBufferSeconds = 2;

const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_WaveFormatEx || mt.cbFormat < sizeof(WAVEFORMATEX) - sizeof(WORD) || !mt.pbFormat)
        return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
}

SAudioLayout LayoutOf(const AM_MEDIA_TYPE& mt)
{
    SAudioLayout layout = {0, 0};
    if (const WAVEFORMATEX* pwfx = WaveFormatOf(mt))
    {
        layout.m_dwFramesPerSecond = pwfx->nSamplesPerSec;
        layout.m_wBytesPerFrame = pwfx->nBlockAlign;
    }
    return layout;
}
}

bool IsCuttableAudio(const AM_MEDIA_TYPE& mt)
{
    const WAVEFORMATEX* pwfx = WaveFormatOf(mt);
    if (mt.majortype != MEDIATYPE_Audio || !pwfx)
        return false;
    const bool bPcm = pwfx->wFormatTag == WAVE_FORMAT_PCM || pwfx->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ||
                      pwfx->wFormatTag == WAVE_FORMAT_EXTENSIBLE;
    return bPcm && pwfx->nBlockAlign > 0 && pwfx->nSamplesPerSec > 0;
}

// ---- pins ----

CSyncAudioInPin::CSyncAudioInPin(CSynchronizer* pSync)
    : CKitPassInputPin(pSync, STANDIN_PIN_AUDIO_IN_W, &pSync->AudioOutPin(), IsCuttableAudio), m_pSync(pSync)
{
}

HRESULT CSyncAudioInPin::OnReceive(IMediaSample* pSample)
{
    // Read once per sample: a change made while a sample is being cut applies from the next.
    return m_pSync->AudioOutPin().PassOn(pSample, m_pSync->MaxAudioSeconds());
}

CSyncAudioOutPin::CSyncAudioOutPin(CSynchronizer* pSync)
    : CKitPassOutputPin(pSync, STANDIN_PIN_AUDIO_OUT_W, &pSync->AudioInPin(), IsCuttableAudio)
{
}

void CSyncAudioOutPin::GetBufferNeeds(long* pcBuffers, long* pcbBuffer)
{
    const SAudioLayout layout = LayoutOf(ConnectedType().Get());
    *pcBuffers = kAudioBuffers;
    *pcbBuffer = static_cast<long>(layout.m_dwFramesPerSecond * kBufferSeconds * layout.m_wBytesPerFrame);
}

HRESULT CSyncAudioOutPin::PassOn(IMediaSample* pSample, double dMaxSeconds)
{
    if (!IsConnected())
        return S_OK;
    const SAudioLayout layout = LayoutOf(ConnectedType().Get());
    BYTE* pSrc = nullptr;
    HRESULT hr = pSample->GetPointer(&pSrc);
    if (FAILED(hr))
        return hr;
    const long cbData = pSample->GetActualDataLength();
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    const HRESULT hrTime = pSample->GetTime(&tStart, &tStop);
    const bool bHasTime = hrTime == S_OK || hrTime == VFW_S_NO_STOP_TIME;
    const bool bFirstDiscontinuity = pSample->IsDiscontinuity() == S_OK;
    const bool bPreroll = pSample->IsPreroll() == S_OK;

    // The first buffer tells how much one piece may hold at most.
    CComPtr<IMediaSample> spOut;
    hr = GetDeliveryBuffer(&spOut);
    if (FAILED(hr))
        return hr;
    const DWORD cCapFrames = layout.m_wBytesPerFrame ? spOut->GetSize() / layout.m_wBytesPerFrame : 0;
    const DWORD cPieceFrames = PieceFramesFor(dMaxSeconds, layout, cCapFrames);
    SAudioPiece piece;
    for (DWORD iPiece = 0; AudioPieceAt(cbData, layout, cPieceFrames, tStart, tStop, hrTime == S_OK, iPiece, &piece);
         ++iPiece)
    {
        if (!spOut && FAILED(hr = GetDeliveryBuffer(&spOut)))
            return hr;
        BYTE* pDst = nullptr;
        if (FAILED(hr = spOut->GetPointer(&pDst)))
            return hr;
        if (piece.m_cbLength > spOut->GetSize())
            return VFW_E_BUFFER_OVERFLOW;
        memcpy(pDst, pSrc + piece.m_lOffset, static_cast<size_t>(piece.m_cbLength));
        spOut->SetActualDataLength(piece.m_cbLength);
        if (bHasTime)
            spOut->SetTime(&piece.m_tStart, &piece.m_tStop);
        spOut->SetSyncPoint(TRUE);
        spOut->SetDiscontinuity(iPiece == 0 && bFirstDiscontinuity);
        spOut->SetPreroll(bPreroll);
        hr = Deliver(spOut);
        spOut.Release();
        if (hr != S_OK)
            return hr;
    }
    return S_OK;
}
