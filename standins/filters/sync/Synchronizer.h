// The synchronizer stand-in, of the synchronizer's class: video passes from "In" to "Out"
// as it comes; audio from "Audio In" to "Audio Out" in samples no longer than the max
// audio sample duration it holds behind IMeridel. How it answers comes from its
// persisted record (see SyncConfig.h).
#pragma once

#include "graph/IMeridel.h"
#include "kit/KitPersistFilter.h"
#include "kit/KitPassPins.h"
#include "SyncAudioPins.h"
#include "SyncConfig.h"

class CSynchronizer;

class CSyncInPin : public CKitPassInputPin
{
public:
    explicit CSyncInPin(CSynchronizer* pSync);

protected:
    HRESULT OnReceive(IMediaSample* pSample) override;

private:
    CSynchronizer* m_pSync;
};

class CSyncOutPin : public CKitPassOutputPin
{
public:
    explicit CSyncOutPin(CSynchronizer* pSync);

    // Copies one upstream sample into a buffer of ours and sends it on.
    HRESULT PassOn(IMediaSample* pSample);

protected:
    void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) override;
};

class CSynchronizer : public CKitPersistFilter, public IMeridel
{
public:
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return CKitPersistFilter::QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return CKitPersistFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CKitPersistFilter::Release(); }

    // IMeridel: the reserved slots belong to the real component and do nothing here.
    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP SetMaxAudioSampleDuration(double dSeconds) override;
    STDMETHODIMP GetMaxAudioSampleDuration(double* pdSeconds) override;

    int GetPinCount() override { return 4; }
    CKitPin* GetPin(int iIndex) override;

    CSyncInPin& InPin() { return m_in; }
    CSyncOutPin& OutPin() { return m_out; }
    CSyncAudioInPin& AudioInPin() { return m_audioIn; }
    CSyncAudioOutPin& AudioOutPin() { return m_audioOut; }
    // The duration audio is cut to right now, in seconds (0: as it comes).
    double MaxAudioSeconds();

protected:
    HRESULT QueryExtra(REFIID riid, void** ppv) override;
    ULONG RecordSize() const override { return kSyncRecordSize; }
    void SaveRecord(BYTE* pRecord) override;
    HRESULT LoadRecord(const BYTE* pRecord, ULONG cbRecord) override;

private:
    CSynchronizer();

    SSyncConfig m_config;
    CSyncInPin m_in;
    CSyncOutPin m_out;
    CSyncAudioInPin m_audioIn;
    CSyncAudioOutPin m_audioOut;
};
