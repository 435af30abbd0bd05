// The synchronizer's audio pair ("Audio In" to "Audio Out"): PCM passes through, cut so
// that no sample it delivers lasts longer than the max audio sample duration.
#pragma once

#include "kit/KitPassPins.h"

class CSynchronizer;

class CSyncAudioInPin : public CKitPassInputPin
{
public:
    explicit CSyncAudioInPin(CSynchronizer* pSync);

protected:
    HRESULT OnReceive(IMediaSample* pSample) override;

private:
    CSynchronizer* m_pSync;
};

class CSyncAudioOutPin : public CKitPassOutputPin
{
public:
    explicit CSyncAudioOutPin(CSynchronizer* pSync);

    // Sends one upstream sample on in pieces of at most dMaxSeconds (0: whole).
    HRESULT PassOn(IMediaSample* pSample, double dMaxSeconds);

protected:
    void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) override;
};

// Whether the type is PCM audio that the pair can cut at whole frames.
bool IsCuttableAudio(const AM_MEDIA_TYPE& mt);
