// A test-only renderer built on the filter kit: one input pin "In" that records what
// arrives. It can be told to hold the streaming thread after a number of samples, the
// way a renderer blocks while paused, until it is stopped or flushed.
#pragma once

#include <vector>

#include "kit/KitFilter.h"
#include "kit/KitPins.h"

struct SCapturedSample
{
    REFERENCE_TIME m_tStart;
    REFERENCE_TIME m_tStop;
    bool m_bDiscontinuity;
    std::vector<BYTE> m_vecData;
};

class CCaptureSink;

class CCapturePin : public CKitInputPin
{
public:
    explicit CCapturePin(CCaptureSink* pSink);

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override;
    HRESULT Inactive() override;

protected:
    HRESULT OnReceive(IMediaSample* pSample) override;
    HRESULT OnEndOfStream() override;
    HRESULT OnBeginFlush() override;

private:
    CCaptureSink* m_pSink;
};

class CCaptureSink : public CKitFilter
{
public:
    // One reference for the caller.
    static CCaptureSink* Create();

    int GetPinCount() override { return 1; }
    CKitPin* GetPin(int iIndex) override { return iIndex == 0 ? &m_pin : nullptr; }

    // Samples after this many are held until Stop or a flush; -1 never holds.
    void HoldAfter(long cSamples) { m_cHoldAfter = cSamples; }
    // Signalled on end of stream, and when a sample gets held.
    HANDLE EndOfStreamEvent() const { return m_hEndOfStream; }
    HANDLE HeldEvent() const { return m_hHeld; }

    std::vector<SCapturedSample> Samples();
    long EndOfStreamCount();
    void ResetCapture();

private:
    friend class CCapturePin;
    CCaptureSink();
    ~CCaptureSink() override;

    CRITICAL_SECTION m_csData;
    std::vector<SCapturedSample> m_vecSamples;
    long m_cEndOfStream;
    volatile long m_cHoldAfter;
    HANDLE m_hEndOfStream;
    HANDLE m_hHeld;
    HANDLE m_hRelease;
    CCapturePin m_pin;
};
