// The pattern source filter: one output pin "Out" that streams a configured number of
// RGB32 frames at a configured rate, then ends the stream.
#pragma once

#include "kit/KitPersistFilter.h"
#include "kit/KitPins.h"
#include "kit/WorkerThread.h"
#include "PatternConfig.h"

class CPatternSource;

class CPatternOutPin : public CKitOutputPin
{
public:
    explicit CPatternOutPin(CPatternSource* pSource);

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override;
    HRESULT Active() override;
    HRESULT Inactive() override;

protected:
    void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) override;

private:
    static void StreamProc(void* pContext);
    void Stream();
    HRESULT DeliverFrame(DWORD dwFrame);

    CPatternSource* m_pSource;
    CWorkerThread m_thread;
    // Snapshot taken when streaming starts; the thread reads nothing else.
    SPatternConfig m_streamConfig;
    volatile bool m_bStopStreaming;
};

class CPatternSource : public CKitPersistFilter
{
public:
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    int GetPinCount() override { return 1; }
    CKitPin* GetPin(int iIndex) override;

    // Read under the filter lock.
    SPatternConfig Config() const { return m_config; }

protected:
    ULONG RecordSize() const override { return kPatternRecordSize; }
    void SaveRecord(BYTE* pRecord) override;
    HRESULT LoadRecord(const BYTE* pRecord, ULONG cbRecord) override;

private:
    CPatternSource();

    SPatternConfig m_config;
    CPatternOutPin m_pin;
};
