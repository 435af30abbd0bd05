// The tap's persisted record: where it writes its log.
#pragma once

#include <windows.h>

struct STapConfig
{
    WCHAR m_szLogPath[MAX_PATH];  // empty: log nothing
};

// Record layout, little-endian: DWORD version (1), then MAX_PATH UTF-16 units of the
// path, zero-filled after its end.
const ULONG kTapRecordSize = 4 + MAX_PATH * sizeof(WCHAR);
const DWORD kTapRecordVersion = 1;
STapConfig MakeTapConfig(LPCWSTR pszLogPath);
void PackTapConfig(const STapConfig& config, BYTE* pRecord);
// E_INVALIDARG for a short record, another version or a path without its end.
HRESULT UnpackTapConfig(const BYTE* pRecord, ULONG cbRecord, STapConfig* pConfig);
