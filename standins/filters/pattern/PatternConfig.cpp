#include "PatternConfig.h"

#include "kit/ByteCodec.h"

namespace
{
const LONG kMinSide = 16;
const LONG kMaxSide = 4096;
const DWORD kMaxFramesPerSecond = 1000;
const REFERENCE_TIME kUnitsPerSecond = 10000000;
}

SPatternConfig DefaultPatternConfig()
{
    SPatternConfig config;
    config.m_dwFrameCount = 100;
    config.m_dwFramesPerSecond = 25;
    config.m_lWidth = 320;
    config.m_lHeight = 240;
    return config;
}

bool PatternConfigValid(const SPatternConfig& config)
{
    return config.m_dwFramesPerSecond >= 1 && config.m_dwFramesPerSecond <= kMaxFramesPerSecond
           && config.m_lWidth >= kMinSide && config.m_lWidth <= kMaxSide
           && config.m_lHeight >= kMinSide && config.m_lHeight <= kMaxSide;
}

void PackPatternConfig(const SPatternConfig& config, BYTE* pRecord)
{
    CByteWriter writer(pRecord, kPatternRecordSize);
    writer.PutDword(kPatternRecordVersion);
    writer.PutDword(config.m_dwFrameCount);
    writer.PutDword(config.m_dwFramesPerSecond);
    writer.PutLong(config.m_lWidth);
    writer.PutLong(config.m_lHeight);
}

// The synchronizer's record (SyncConfig.cpp) is read and written in the same steps, but
// the steps are its fields: each record has its own layout, version and range checks.
// What the two have in common, the little-endian codec and its bounds, is ByteCodec.
HRESULT UnpackPatternConfig(const BYTE* pRecord, ULONG cbRecord, SPatternConfig* pConfig)
{
    if (!pRecord || !pConfig)
        return E_POINTER;
    CByteReader reader(pRecord, cbRecord);
    DWORD dwVersion = reader.GetDword();
    SPatternConfig config;
    config.m_dwFrameCount = reader.GetDword();
    config.m_dwFramesPerSecond = reader.GetDword();
    config.m_lWidth = reader.GetLong();
    config.m_lHeight = reader.GetLong();
    if (!reader.Ok() || dwVersion != kPatternRecordVersion || !PatternConfigValid(config))
        return E_INVALIDARG;
    *pConfig = config;
    return S_OK;
}

REFERENCE_TIME PatternFrameStart(DWORD dwFrame, DWORD dwFramesPerSecond)
{
    // Computed from the frame number each time, so rounding never accumulates.
    return static_cast<REFERENCE_TIME>(dwFrame) * kUnitsPerSecond / dwFramesPerSecond;
}

ULONG PatternFrameBytes(const SPatternConfig& config)
{
    return static_cast<ULONG>(config.m_lWidth) * static_cast<ULONG>(config.m_lHeight) * 4;
}

HRESULT BuildPatternMediaType(const SPatternConfig& config, CMediaType* pmt)
{
    if (!pmt)
        return E_POINTER;
    pmt->Clear();
    VIDEOINFOHEADER* pvih = reinterpret_cast<VIDEOINFOHEADER*>(pmt->AllocFormat(sizeof(VIDEOINFOHEADER)));
    if (!pvih)
        return E_OUTOFMEMORY;
    AM_MEDIA_TYPE& mt = pmt->Edit();
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_RGB32;
    mt.formattype = FORMAT_VideoInfo;
    mt.bFixedSizeSamples = TRUE;
    mt.bTemporalCompression = FALSE;
    mt.lSampleSize = PatternFrameBytes(config);

    pvih->AvgTimePerFrame = kUnitsPerSecond / config.m_dwFramesPerSecond;
    pvih->dwBitRate = static_cast<DWORD>(PatternFrameBytes(config) * 8ull * config.m_dwFramesPerSecond);
    BITMAPINFOHEADER& bih = pvih->bmiHeader;
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = config.m_lWidth;
    bih.biHeight = config.m_lHeight;
    bih.biPlanes = 1;
    bih.biBitCount = 32;
    bih.biCompression = BI_RGB;
    bih.biSizeImage = PatternFrameBytes(config);
    return S_OK;
}

bool IsPatternMediaType(const AM_MEDIA_TYPE& mt, const SPatternConfig& config)
{
    if (mt.majortype != MEDIATYPE_Video || mt.subtype != MEDIASUBTYPE_RGB32 || mt.formattype != FORMAT_VideoInfo)
        return false;
    if (mt.cbFormat < sizeof(VIDEOINFOHEADER) || !mt.pbFormat)
        return false;
    const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    return bih.biWidth == config.m_lWidth && bih.biHeight == config.m_lHeight && bih.biBitCount == 32
           && bih.biCompression == BI_RGB;
}
