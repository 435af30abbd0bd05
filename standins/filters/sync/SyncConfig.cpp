#include "SyncConfig.h"

#include <math.h>

#include "kit/ByteCodec.h"

SSyncConfig DefaultSyncConfig()
{
    SSyncConfig config;
    config.m_dDurationSeconds = 0.0;
    config.m_bRefuseInterface = false;
    config.m_hrSetResult = S_OK;
    config.m_dGranularitySeconds = 0.0;
    return config;
}

void PackSyncConfig(const SSyncConfig& config, BYTE* pRecord)
{
    CByteWriter writer(pRecord, kSyncRecordSize);
    writer.PutDword(kSyncRecordVersion);
    writer.PutDouble(config.m_dDurationSeconds);
    writer.PutDword(config.m_bRefuseInterface ? 1 : 0);
    writer.PutDword(static_cast<DWORD>(config.m_hrSetResult));
    writer.PutDouble(config.m_dGranularitySeconds);
}

HRESULT UnpackSyncConfig(const BYTE* pRecord, ULONG cbRecord, SSyncConfig* pConfig)
{
    if (!pRecord || !pConfig)
        return E_POINTER;
    CByteReader reader(pRecord, cbRecord);
    DWORD dwVersion = reader.GetDword();
    double dDuration = reader.GetDouble();
    DWORD dwRefuse = reader.GetDword();
    DWORD dwSetResult = reader.GetDword();
    double dGranularity = reader.GetDouble();
    if (!reader.Ok() || dwVersion != kSyncRecordVersion || dwRefuse > 1)
        return E_INVALIDARG;
    if (!SyncDurationValid(dDuration) || !SyncDurationValid(dGranularity))
        return E_INVALIDARG;
    pConfig->m_dDurationSeconds = dDuration;
    pConfig->m_bRefuseInterface = dwRefuse != 0;
    pConfig->m_hrSetResult = static_cast<HRESULT>(dwSetResult);
    pConfig->m_dGranularitySeconds = dGranularity;
    return S_OK;
}

double RoundToGranularity(double dValue, double dGranularity)
{
    if (dGranularity <= 0.0)
        return dValue;
    return round(dValue / dGranularity) * dGranularity;
}

bool SyncDurationValid(double dSeconds)
{
    return isfinite(dSeconds) && dSeconds >= 0.0;
}
