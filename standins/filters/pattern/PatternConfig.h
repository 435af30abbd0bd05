// Settings of the pattern source and everything derived from them: the persisted
// record, the video format it offers and the time stamps of its frames.
#pragma once

#include "kit/MediaType.h"

struct SPatternConfig
{
    DWORD m_dwFrameCount;
    DWORD m_dwFramesPerSecond;
    LONG m_lWidth;
    LONG m_lHeight;
};

// 100 frames at 25 per second, 320x240: a four-second clip.
SPatternConfig DefaultPatternConfig();
bool PatternConfigValid(const SPatternConfig& config);

// Record layout, little-endian, 20 bytes:
//   0 DWORD version (1)   4 DWORD frame count   8 DWORD frames per second
//  12 LONG width          16 LONG height
const ULONG kPatternRecordSize = 20;
const DWORD kPatternRecordVersion = 1;
void PackPatternConfig(const SPatternConfig& config, BYTE* pRecord);
// E_INVALIDARG for a short record, another version or values out of range.
HRESULT UnpackPatternConfig(const BYTE* pRecord, ULONG cbRecord, SPatternConfig* pConfig);

// Start time of frame dwFrame in 100 ns units; the stop time is the next frame's start.
REFERENCE_TIME PatternFrameStart(DWORD dwFrame, DWORD dwFramesPerSecond);
ULONG PatternFrameBytes(const SPatternConfig& config);

// RGB32, bottom-up, as a VIDEOINFOHEADER.
HRESULT BuildPatternMediaType(const SPatternConfig& config, CMediaType* pmt);
// Whether a type is the one the configuration produces (what matters, not every byte).
bool IsPatternMediaType(const AM_MEDIA_TYPE& mt, const SPatternConfig& config);
