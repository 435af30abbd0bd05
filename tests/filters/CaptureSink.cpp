#include "CaptureSink.h"

// {8E2E1F0C-3A57-4C55-9E0B-6B1D2E6A4F11}: a class of its own so it is never taken for a stand-in.
static const CLSID kCaptureSinkClsid = {0x8e2e1f0c, 0x3a57, 0x4c55, {0x9e, 0x0b, 0x6b, 0x1d, 0x2e, 0x6a, 0x4f, 0x11}};

CCapturePin::CCapturePin(CCaptureSink* pSink) : CKitInputPin(pSink, L"In"), m_pSink(pSink)
{
}

HRESULT CCapturePin::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    return mt.majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CCapturePin::GetMediaType(int, CMediaType*)
{
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT CCapturePin::Inactive()
{
    SetEvent(m_pSink->m_hRelease);
    return S_OK;
}

HRESULT CCapturePin::OnBeginFlush()
{
    SetEvent(m_pSink->m_hRelease);
    return S_OK;
}

HRESULT CCapturePin::OnReceive(IMediaSample* pSample)
{
    SCapturedSample captured;
    captured.m_tStart = -1;
    captured.m_tStop = -1;
    pSample->GetTime(&captured.m_tStart, &captured.m_tStop);
    captured.m_bDiscontinuity = pSample->IsDiscontinuity() == S_OK;
    BYTE* pData = nullptr;
    if (SUCCEEDED(pSample->GetPointer(&pData)))
        captured.m_vecData.assign(pData, pData + pSample->GetActualDataLength());

    size_t cSamples;
    EnterCriticalSection(&m_pSink->m_csData);
    m_pSink->m_vecSamples.push_back(captured);
    cSamples = m_pSink->m_vecSamples.size();
    LeaveCriticalSection(&m_pSink->m_csData);

    long cHoldAfter = m_pSink->m_cHoldAfter;
    if (cHoldAfter >= 0 && cSamples >= static_cast<size_t>(cHoldAfter))
    {
        SetEvent(m_pSink->m_hHeld);
        WaitForSingleObject(m_pSink->m_hRelease, INFINITE);
        return VFW_E_WRONG_STATE;
    }
    return S_OK;
}

HRESULT CCapturePin::OnEndOfStream()
{
    EnterCriticalSection(&m_pSink->m_csData);
    ++m_pSink->m_cEndOfStream;
    LeaveCriticalSection(&m_pSink->m_csData);
    SetEvent(m_pSink->m_hEndOfStream);
    return S_OK;
}

CCaptureSink::CCaptureSink()
    : CKitFilter(kCaptureSinkClsid), m_cEndOfStream(0), m_cHoldAfter(-1),
      m_hEndOfStream(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hHeld(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hRelease(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_pin(this)
{
    InitializeCriticalSection(&m_csData);
}

CCaptureSink::~CCaptureSink()
{
    CloseHandle(m_hEndOfStream);
    CloseHandle(m_hHeld);
    CloseHandle(m_hRelease);
    DeleteCriticalSection(&m_csData);
}

CCaptureSink* CCaptureSink::Create()
{
    return new CCaptureSink();
}

std::vector<SCapturedSample> CCaptureSink::Samples()
{
    EnterCriticalSection(&m_csData);
    std::vector<SCapturedSample> vec = m_vecSamples;
    LeaveCriticalSection(&m_csData);
    return vec;
}

long CCaptureSink::EndOfStreamCount()
{
    EnterCriticalSection(&m_csData);
    long c = m_cEndOfStream;
    LeaveCriticalSection(&m_csData);
    return c;
}

void CCaptureSink::ResetCapture()
{
    EnterCriticalSection(&m_csData);
    m_vecSamples.clear();
    m_cEndOfStream = 0;
    LeaveCriticalSection(&m_csData);
    ResetEvent(m_hEndOfStream);
    ResetEvent(m_hHeld);
    ResetEvent(m_hRelease);
}
