// The pattern source's record, its video format and its frame times.
#include <gtest/gtest.h>

#include "pattern/PatternConfig.h"

namespace
{
SPatternConfig Config(DWORD dwFrames, DWORD dwFps, LONG lWidth, LONG lHeight)
{
    SPatternConfig config;
    config.m_dwFrameCount = dwFrames;
    config.m_dwFramesPerSecond = dwFps;
    config.m_lWidth = lWidth;
    config.m_lHeight = lHeight;
    return config;
}
}

TEST(PatternConfig, RecordLayoutIsLittleEndianFieldByField)
{
    BYTE rgb[kPatternRecordSize];
    PackPatternConfig(Config(0x01020304, 25, 320, 240), rgb);
    const BYTE kExpected[kPatternRecordSize] = {1, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 25, 0, 0, 0,
                                                0x40, 0x01, 0, 0, 0xF0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(kExpected, rgb, sizeof(rgb)));
}

TEST(PatternConfig, RoundTripsThroughTheRecord)
{
    SPatternConfig in = Config(8, 30, 640, 480);
    BYTE rgb[kPatternRecordSize];
    PackPatternConfig(in, rgb);
    SPatternConfig out = DefaultPatternConfig();
    ASSERT_EQ(S_OK, UnpackPatternConfig(rgb, sizeof(rgb), &out));
    EXPECT_EQ(8u, out.m_dwFrameCount);
    EXPECT_EQ(30u, out.m_dwFramesPerSecond);
    EXPECT_EQ(640, out.m_lWidth);
    EXPECT_EQ(480, out.m_lHeight);
}

struct SBadRecordCase
{
    const char* m_pszWhat;
    ULONG m_cbRecord;
    int m_iPatchOffset;  // -1: no patch
    DWORD m_dwPatch;
};

class PatternConfigBadRecord : public ::testing::TestWithParam<SBadRecordCase>
{
};

TEST_P(PatternConfigBadRecord, IsRejectedAndLeavesTheOutputAlone)
{
    const SBadRecordCase& c = GetParam();
    BYTE rgb[kPatternRecordSize];
    PackPatternConfig(DefaultPatternConfig(), rgb);
    if (c.m_iPatchOffset >= 0)
        memcpy(rgb + c.m_iPatchOffset, &c.m_dwPatch, sizeof(DWORD));
    SPatternConfig out = Config(1, 2, 3, 4);
    EXPECT_EQ(E_INVALIDARG, UnpackPatternConfig(rgb, c.m_cbRecord, &out)) << c.m_pszWhat;
    EXPECT_EQ(1u, out.m_dwFrameCount) << c.m_pszWhat;
    EXPECT_EQ(4, out.m_lHeight) << c.m_pszWhat;
}

INSTANTIATE_TEST_SUITE_P(Cases, PatternConfigBadRecord,
                         ::testing::Values(SBadRecordCase{"short by one byte", kPatternRecordSize - 1, -1, 0},
                                           SBadRecordCase{"empty", 0, -1, 0},
                                           SBadRecordCase{"version 2", kPatternRecordSize, 0, 2},
                                           SBadRecordCase{"zero rate", kPatternRecordSize, 8, 0},
                                           SBadRecordCase{"rate above 1000", kPatternRecordSize, 8, 1001},
                                           SBadRecordCase{"width 15", kPatternRecordSize, 12, 15},
                                           SBadRecordCase{"negative height", kPatternRecordSize, 16, 0xFFFFFF10}));

TEST(PatternConfig, ZeroFramesIsAValidEmptyClip)
{
    BYTE rgb[kPatternRecordSize];
    PackPatternConfig(Config(0, 25, 320, 240), rgb);
    SPatternConfig out = DefaultPatternConfig();
    EXPECT_EQ(S_OK, UnpackPatternConfig(rgb, sizeof(rgb), &out));
    EXPECT_EQ(0u, out.m_dwFrameCount);
}

TEST(PatternConfig, FrameTimesDoNotDriftAtRatesThatDoNotDivideASecond)
{
    // 30 fps: 333333.33 units per frame; frame 30 must land on one second exactly.
    EXPECT_EQ(0, PatternFrameStart(0, 30));
    EXPECT_EQ(333333, PatternFrameStart(1, 30));
    EXPECT_EQ(10000000, PatternFrameStart(30, 30));
    EXPECT_EQ(400000, PatternFrameStart(1, 25));
    EXPECT_EQ(40000000, PatternFrameStart(100, 25));
}

TEST(PatternConfig, MediaTypeDescribesBottomUpRgb32)
{
    CMediaType mt;
    ASSERT_EQ(S_OK, BuildPatternMediaType(Config(8, 25, 320, 240), &mt));
    const AM_MEDIA_TYPE& t = mt.Get();
    EXPECT_EQ(MEDIATYPE_Video, t.majortype);
    EXPECT_EQ(MEDIASUBTYPE_RGB32, t.subtype);
    EXPECT_EQ(FORMAT_VideoInfo, t.formattype);
    ASSERT_EQ(sizeof(VIDEOINFOHEADER), t.cbFormat);
    EXPECT_EQ(TRUE, t.bFixedSizeSamples);
    EXPECT_EQ(320u * 240u * 4u, t.lSampleSize);
    const VIDEOINFOHEADER* pvih = reinterpret_cast<const VIDEOINFOHEADER*>(t.pbFormat);
    EXPECT_EQ(400000, pvih->AvgTimePerFrame);
    EXPECT_EQ(320, pvih->bmiHeader.biWidth);
    EXPECT_EQ(240, pvih->bmiHeader.biHeight);  // positive: bottom-up
    EXPECT_EQ(32, pvih->bmiHeader.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), pvih->bmiHeader.biCompression);
    EXPECT_EQ(320u * 240u * 4u, pvih->bmiHeader.biSizeImage);
}

TEST(PatternConfig, AcceptsOnlyItsOwnFormat)
{
    SPatternConfig config = Config(8, 25, 320, 240);
    CMediaType mt;
    ASSERT_EQ(S_OK, BuildPatternMediaType(config, &mt));
    EXPECT_TRUE(IsPatternMediaType(mt.Get(), config));
    EXPECT_FALSE(IsPatternMediaType(mt.Get(), Config(8, 25, 640, 240)));

    CMediaType other = mt;
    other.Edit().subtype = MEDIASUBTYPE_RGB24;
    EXPECT_FALSE(IsPatternMediaType(other.Get(), config));
    other = mt;
    reinterpret_cast<VIDEOINFOHEADER*>(other.Edit().pbFormat)->bmiHeader.biBitCount = 24;
    EXPECT_FALSE(IsPatternMediaType(other.Get(), config));
    other = mt;
    other.Edit().cbFormat = sizeof(VIDEOINFOHEADER) - 1;
    EXPECT_FALSE(IsPatternMediaType(other.Get(), config));
}
