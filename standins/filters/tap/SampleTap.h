// A measuring tap: passes every sample, end of stream and flush from "In" to "Out"
// unchanged and appends a line for each to a text file, so that a test can see what
// reached the next filter without asking the filters on either side:
//   start                      the graph left Stopped
//   sample START STOP BYTES    times in 100-ns units, "-" where the sample has none
//   end                        end of stream
// The file's path is the tap's persisted record (see TapConfig.h).
#pragma once

#include "kit/KitPersistFilter.h"
#include "kit/KitPassPins.h"
#include "TapConfig.h"

class CSampleTap;

class CTapInPin : public CKitPassInputPin
{
public:
    explicit CTapInPin(CSampleTap* pTap);

    HRESULT Active() override;

protected:
    HRESULT OnReceive(IMediaSample* pSample) override;
    HRESULT OnEndOfStream() override;

private:
    CSampleTap* m_pTap;
};

class CTapOutPin : public CKitPassOutputPin
{
public:
    explicit CTapOutPin(CSampleTap* pTap);

protected:
    // Upstream's samples go on as they are; this pin's own buffers are never filled.
    void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) override;
};

class CSampleTap : public CKitPersistFilter
{
public:
    static HRESULT CreateInstance(REFIID riid, void** ppv);
    ~CSampleTap() override;

    int GetPinCount() override { return 2; }
    CKitPin* GetPin(int iIndex) override;

    CTapInPin& InPin() { return m_in; }
    CTapOutPin& OutPin() { return m_out; }
    // Appends one line to the log; a tap without a log path writes nothing.
    void Log(const char* pszLine);

protected:
    ULONG RecordSize() const override { return kTapRecordSize; }
    void SaveRecord(BYTE* pRecord) override;
    HRESULT LoadRecord(const BYTE* pRecord, ULONG cbRecord) override;

private:
    CSampleTap();

    STapConfig m_config;
    CRITICAL_SECTION m_csLog;
    CTapInPin m_in;
    CTapOutPin m_out;
};
