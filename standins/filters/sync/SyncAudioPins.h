// The synchronizer's audio pair ("Audio In" to "Audio Out"): PCM passes through, cut so
// that no sample it delivers lasts longer than the max audio sample duration.
#pragma once

#include "kit/KitPins.h"

class CSynchronizer;

class CSyncAudioInPin : public CKitInputPin
{
public:
    explicit CSyncAudioInPin(CSynchronizer* pSync);

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override;

protected:
    HRESULT OnReceive(IMediaSample* pSample) override;
    HRESULT OnEndOfStream() override;
    HRESULT OnBeginFlush() override;
    HRESULT OnEndFlush() override;
    HRESULT OnNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

private:
    CSynchronizer* m_pSync;
};

class CSyncAudioOutPin : public CKitOutputPin
{
public:
    explicit CSyncAudioOutPin(CSynchronizer* pSync);

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override;
    // Sends one upstream sample on in pieces of at most dMaxSeconds (0: whole).
    HRESULT PassOn(IMediaSample* pSample, double dMaxSeconds);

protected:
    void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) override;

private:
    CSynchronizer* m_pSync;
};

// Whether the type is PCM audio that the pair can cut at whole frames.
bool IsCuttableAudio(const AM_MEDIA_TYPE& mt);
