#include "TapConfig.h"

#include <string.h>

#include "kit/ByteCodec.h"

namespace
{
const ULONG kPathOffset = 4;
}

STapConfig MakeTapConfig(LPCWSTR pszLogPath)
{
    STapConfig config;
    memset(&config, 0, sizeof(config));
    if (pszLogPath)
        lstrcpynW(config.m_szLogPath, pszLogPath, MAX_PATH);
    return config;
}

void PackTapConfig(const STapConfig& config, BYTE* pRecord)
{
    CByteWriter writer(pRecord, kPathOffset);
    writer.PutDword(kTapRecordVersion);
    // Zeros after the path's end, so equal settings give equal bytes; UTF-16 units are
    // little-endian on every Windows machine, as the record is.
    const STapConfig clean = MakeTapConfig(config.m_szLogPath);
    memcpy(pRecord + kPathOffset, clean.m_szLogPath, sizeof(clean.m_szLogPath));
}

HRESULT UnpackTapConfig(const BYTE* pRecord, ULONG cbRecord, STapConfig* pConfig)
{
    if (!pRecord || !pConfig)
        return E_POINTER;
    if (cbRecord < kTapRecordSize)
        return E_INVALIDARG;
    CByteReader reader(pRecord, kPathOffset);
    const DWORD dwVersion = reader.GetDword();
    STapConfig config;
    memcpy(config.m_szLogPath, pRecord + kPathOffset, sizeof(config.m_szLogPath));
    if (!reader.Ok() || dwVersion != kTapRecordVersion || config.m_szLogPath[MAX_PATH - 1] != L'\0')
        return E_INVALIDARG;
    *pConfig = config;
    return S_OK;
}
