#include "SampleTap.h"

#include <stdio.h>

#include <new>

#include "StandinFilters.h"
#include "kit/KitLock.h"

namespace
{
void FormatTime(char* psz, size_t cch, bool bHas, REFERENCE_TIME t)
{
    if (bHas)
        snprintf(psz, cch, "%lld", static_cast<long long>(t));
    else
        snprintf(psz, cch, "-");
}
}

// ---- input pin ----

CTapInPin::CTapInPin(CSampleTap* pTap) : CKitPassInputPin(pTap, STANDIN_PIN_IN_W, &pTap->OutPin(), nullptr), m_pTap(pTap)
{
}

HRESULT CTapInPin::Active()
{
    m_pTap->Log("start\n");
    return CKitInputPin::Active();
}

HRESULT CTapInPin::OnReceive(IMediaSample* pSample)
{
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    const HRESULT hrTime = pSample->GetTime(&tStart, &tStop);
    char szStart[32];
    char szStop[32];
    FormatTime(szStart, sizeof(szStart), hrTime == S_OK || hrTime == VFW_S_NO_STOP_TIME, tStart);
    FormatTime(szStop, sizeof(szStop), hrTime == S_OK, tStop);
    char szLine[128];
    snprintf(szLine, sizeof(szLine), "sample %s %s %ld\n", szStart, szStop, pSample->GetActualDataLength());
    m_pTap->Log(szLine);
    CTapOutPin& out = m_pTap->OutPin();
    return out.IsConnected() ? out.Deliver(pSample) : S_OK;
}

HRESULT CTapInPin::OnEndOfStream()
{
    m_pTap->Log("end\n");
    return CKitPassInputPin::OnEndOfStream();
}

// ---- output pin ----

CTapOutPin::CTapOutPin(CSampleTap* pTap) : CKitPassOutputPin(pTap, STANDIN_PIN_OUT_W, &pTap->InPin(), nullptr)
{
}

void CTapOutPin::GetBufferNeeds(long* pcBuffers, long* pcbBuffer)
{
    *pcBuffers = 1;
    *pcbBuffer = 1;
}

// ---- filter ----

CSampleTap::CSampleTap() : CKitPersistFilter(CLSID_SampleTap), m_config(MakeTapConfig(nullptr)), m_in(this), m_out(this)
{
    InitializeCriticalSection(&m_csLog);
}

CSampleTap::~CSampleTap()
{
    DeleteCriticalSection(&m_csLog);
}

HRESULT CSampleTap::CreateInstance(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CSampleTap* pTap = new (std::nothrow) CSampleTap();
    if (!pTap)
        return E_OUTOFMEMORY;
    HRESULT hr = pTap->QueryInterface(riid, ppv);
    pTap->Release();
    return hr;
}

CKitPin* CSampleTap::GetPin(int iIndex)
{
    switch (iIndex)
    {
    case 0: return &m_in;
    case 1: return &m_out;
    default: return nullptr;
    }
}

void CSampleTap::Log(const char* pszLine)
{
    // Streams log from their own threads; one line at a time, opened and closed each
    // time so that a reader in another process sees it at once.
    CLock lock(&m_csLog);
    if (m_config.m_szLogPath[0] == L'\0')
        return;
    HANDLE hFile = CreateFileW(m_config.m_szLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD cbWritten = 0;
    WriteFile(hFile, pszLine, static_cast<DWORD>(lstrlenA(pszLine)), &cbWritten, nullptr);
    CloseHandle(hFile);
}

void CSampleTap::SaveRecord(BYTE* pRecord)
{
    CLock lock(&m_csLog);
    PackTapConfig(m_config, pRecord);
}

HRESULT CSampleTap::LoadRecord(const BYTE* pRecord, ULONG cbRecord)
{
    STapConfig config;
    HRESULT hr = UnpackTapConfig(pRecord, cbRecord, &config);
    if (FAILED(hr))
        return hr;
    CLock lock(&m_csLog);
    m_config = config;
    return S_OK;
}
