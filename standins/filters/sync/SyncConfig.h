// Settings of the synchronizer stand-in, as its persisted record carries them, and the
// arithmetic of the one property it holds.
#pragma once

#include <windows.h>

struct SSyncConfig
{
    double m_dDurationSeconds;     // the max audio sample duration held right now
    bool m_bRefuseInterface;       // QueryInterface for the control interface fails
    HRESULT m_hrSetResult;         // non-zero: what every set returns, storing nothing
    double m_dGranularitySeconds;  // 0: store as given; otherwise round to a multiple
};

SSyncConfig DefaultSyncConfig();

// Record layout, little-endian, 28 bytes:
//   0 DWORD version (1)       4 double duration (s)      12 DWORD refuse (0 or 1)
//  16 DWORD set result        20 double granularity (s)
const ULONG kSyncRecordSize = 28;
const DWORD kSyncRecordVersion = 1;
void PackSyncConfig(const SSyncConfig& config, BYTE* pRecord);
// E_INVALIDARG for a short record, another version, a flag other than 0 or 1, or a
// duration or granularity that is negative or not a finite number.
HRESULT UnpackSyncConfig(const BYTE* pRecord, ULONG cbRecord, SSyncConfig* pConfig);

// Nearest multiple of dGranularity (halves away from zero); the value itself when the
// granularity is 0.
double RoundToGranularity(double dValue, double dGranularity);
// Whether a duration may be stored: finite and not negative.
bool SyncDurationValid(double dSeconds);
