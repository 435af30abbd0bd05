// How the synchronizer cuts audio: piece sizes for a duration, whole frames, continuous
// times that end where the sample ended; and the tap's record.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "sync/AudioCut.h"
#include "tap/TapConfig.h"

namespace
{
const SAudioLayout kMono16 = {44100, 2};
const REFERENCE_TIME kHalfSecond = 5000000;

std::vector<SAudioPiece> Cut(long cbData, const SAudioLayout& layout, double dMaxSeconds, REFERENCE_TIME tStart,
                             REFERENCE_TIME tStop, bool bHasStop, DWORD cCapFrames = 0)
{
    std::vector<SAudioPiece> vec;
    const DWORD cFrames = PieceFramesFor(dMaxSeconds, layout, cCapFrames);
    SAudioPiece piece;
    for (DWORD i = 0; AudioPieceAt(cbData, layout, cFrames, tStart, tStop, bHasStop, i, &piece); ++i)
        vec.push_back(piece);
    return vec;
}
}

struct SPieceCase
{
    const char* m_pszWhat;
    double m_dMaxSeconds;
    DWORD m_cCapFrames;
    DWORD m_cExpectedFrames;
};

class PieceFrames : public ::testing::TestWithParam<SPieceCase>
{
};

TEST_P(PieceFrames, ForTheDuration)
{
    const SPieceCase& c = GetParam();
    EXPECT_EQ(c.m_cExpectedFrames, PieceFramesFor(c.m_dMaxSeconds, kMono16, c.m_cCapFrames));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PieceFrames,
    ::testing::Values(SPieceCase{"zero_passes_whole", 0.0, 0, 0},
                      SPieceCase{"forty_ms_keeps_its_last_frame", 0.040, 0, 1764},
                      SPieceCase{"quarter_second", 0.250, 0, 11025},
                      SPieceCase{"below_one_frame_is_one", 0.00001, 0, 1},
                      SPieceCase{"partial_frame_rounds_down", 0.0100113, 0, 441},
                      SPieceCase{"zero_is_capped_by_the_buffer", 0.0, 1000, 1000},
                      SPieceCase{"cap_above_the_duration_leaves_it", 0.040, 88200, 1764},
                      SPieceCase{"duration_above_the_cap_is_capped", 5.0, 88200, 88200}),
    [](const ::testing::TestParamInfo<SPieceCase>& info) { return std::string(info.param.m_pszWhat); });

TEST(AudioCut, HalfSecondAtFortyMillisecondsGivesTwelveAndARest)
{
    const long cbChunk = 22050 * 2;
    std::vector<SAudioPiece> vec = Cut(cbChunk, kMono16, 0.040, kHalfSecond, 2 * kHalfSecond, true);
    ASSERT_EQ(13u, vec.size());
    long cbTotal = 0;
    for (size_t i = 0; i < vec.size(); ++i)
    {
        EXPECT_EQ(cbTotal, vec[i].m_lOffset) << i;
        EXPECT_EQ(0, vec[i].m_cbLength % 2) << "whole frames, piece " << i;
        EXPECT_EQ(i < 12 ? 1764 * 2 : 882 * 2, vec[i].m_cbLength) << i;
        // Each piece starts where the last one stopped.
        EXPECT_EQ(i == 0 ? kHalfSecond : vec[i - 1].m_tStop, vec[i].m_tStart) << i;
        EXPECT_EQ(i < 12 ? 400000 : 200000, vec[i].m_tStop - vec[i].m_tStart) << i;
        cbTotal += vec[i].m_cbLength;
    }
    EXPECT_EQ(cbChunk, cbTotal);
    EXPECT_EQ(2 * kHalfSecond, vec.back().m_tStop);
}

TEST(AudioCut, ZeroOrALongerDurationPassesTheSampleWhole)
{
    for (double dMax : {0.0, 0.5, 2.0})
    {
        std::vector<SAudioPiece> vec = Cut(44100, kMono16, dMax, 0, kHalfSecond, true);
        ASSERT_EQ(1u, vec.size()) << dMax;
        EXPECT_EQ(0, vec[0].m_lOffset);
        EXPECT_EQ(44100, vec[0].m_cbLength);
        EXPECT_EQ(0, vec[0].m_tStart);
        EXPECT_EQ(kHalfSecond, vec[0].m_tStop);
    }
}

TEST(AudioCut, TimesFollowTheSampleNotTheNominalRate)
{
    // A sample stamped slightly longer than its bytes: the pieces share out its own span,
    // so the next sample still joins on.
    std::vector<SAudioPiece> vec = Cut(44100, kMono16, 0.250, 0, kHalfSecond + 10, true);
    ASSERT_EQ(2u, vec.size());
    EXPECT_EQ(vec[0].m_tStop, vec[1].m_tStart);
    EXPECT_EQ(kHalfSecond + 10, vec[1].m_tStop);
}

TEST(AudioCut, WithoutAStopTimeTheRateGivesIt)
{
    std::vector<SAudioPiece> vec = Cut(44100, kMono16, 0.250, 1000, 0, false);
    ASSERT_EQ(2u, vec.size());
    EXPECT_EQ(1000 + 2500000, vec[0].m_tStop);
    EXPECT_EQ(1000 + kHalfSecond, vec[1].m_tStop);
}

TEST(AudioCut, StereoFramesStayWholeAndATrailingPartGoesLast)
{
    const SAudioLayout stereo = {48000, 4};
    // 100 frames and 3 stray bytes at 1 ms (48 frames) a piece.
    std::vector<SAudioPiece> vec = Cut(403, stereo, 0.001, 0, 20833, true);
    ASSERT_EQ(3u, vec.size());
    EXPECT_EQ(192, vec[0].m_cbLength);
    EXPECT_EQ(192, vec[1].m_cbLength);
    EXPECT_EQ(19, vec[2].m_cbLength);
    EXPECT_EQ(20833, vec[2].m_tStop);
}

TEST(AudioCut, AnEmptySamplePassesOnce)
{
    std::vector<SAudioPiece> vec = Cut(0, kMono16, 0.040, 7, 7, true);
    ASSERT_EQ(1u, vec.size());
    EXPECT_EQ(0, vec[0].m_cbLength);
}

TEST(TapConfig, RecordRoundTripsAndRefusesBrokenOnes)
{
    BYTE rgb[kTapRecordSize];
    PackTapConfig(MakeTapConfig(L"C:\\fixtures\\audio-tap.log"), rgb);
    EXPECT_EQ(1, rgb[0]);
    STapConfig config;
    ASSERT_EQ(S_OK, UnpackTapConfig(rgb, sizeof(rgb), &config));
    EXPECT_STREQ(L"C:\\fixtures\\audio-tap.log", config.m_szLogPath);
    EXPECT_EQ(E_INVALIDARG, UnpackTapConfig(rgb, sizeof(rgb) - 1, &config));
    BYTE rgbNoEnd[kTapRecordSize];
    memset(rgbNoEnd, 'a', sizeof(rgbNoEnd));
    rgbNoEnd[0] = 1;
    rgbNoEnd[1] = rgbNoEnd[2] = rgbNoEnd[3] = 0;
    EXPECT_EQ(E_INVALIDARG, UnpackTapConfig(rgbNoEnd, sizeof(rgbNoEnd), &config));
    rgb[0] = 2;
    EXPECT_EQ(E_INVALIDARG, UnpackTapConfig(rgb, sizeof(rgb), &config));
}
