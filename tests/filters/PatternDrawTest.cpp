// The picture the pattern source draws: moving bar and seven-segment frame counter.
#include <gtest/gtest.h>

#include <vector>

#include "pattern/PatternDraw.h"

namespace
{
const LONG kWidth = 320;
const LONG kHeight = 240;

std::vector<BYTE> Frame(DWORD dwFrame)
{
    std::vector<BYTE> vec(kWidth * kHeight * 4, 0xCD);
    DrawPatternFrame(vec.data(), kWidth, kHeight, dwFrame);
    return vec;
}

DWORD Pixel(const std::vector<BYTE>& vec, LONG x, LONG y)
{
    return PatternPixel(vec.data(), kWidth, kHeight, x, y);
}

bool SegmentLit(const std::vector<BYTE>& vec, int iDigit, int iSegment)
{
    RECT rc;
    PatternSegmentRect(kHeight, iDigit, iSegment, &rc);
    // The centre of the segment tells lit from dark.
    return Pixel(vec, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2) == kPatternDigitOnColour;
}
}

TEST(PatternDraw, SevenSegmentMasksOfAllDigits)
{
    // Segments a..g as bits 0..6.
    const unsigned kExpected[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (unsigned u = 0; u < 10; ++u)
        EXPECT_EQ(kExpected[u], SevenSegmentMask(u)) << u;
    EXPECT_EQ(0u, SevenSegmentMask(10));
}

TEST(PatternDraw, CounterShowsTheFrameNumberDigitByDigit)
{
    // 1234 and 5678 and 9090 between them put every digit on every position class.
    const DWORD kFrames[] = {1234, 5678, 9090, 7};
    for (DWORD dwFrame : kFrames)
    {
        std::vector<BYTE> vec = Frame(dwFrame);
        DWORD dwRest = dwFrame;
        for (int iDigit = kPatternDigitCount - 1; iDigit >= 0; --iDigit)
        {
            unsigned uMask = SevenSegmentMask(dwRest % 10);
            dwRest /= 10;
            for (int iSegment = 0; iSegment < 7; ++iSegment)
                EXPECT_EQ((uMask >> iSegment) & 1u, SegmentLit(vec, iDigit, iSegment) ? 1u : 0u)
                    << "frame " << dwFrame << " digit " << iDigit << " segment " << iSegment;
        }
    }
}

TEST(PatternDraw, BarMovesEveryFrameAndIsDrawnWhereItSays)
{
    LONG lBar = PatternBarWidth(kWidth);
    ASSERT_GT(lBar, 2);
    for (DWORD dwFrame : {10u, 11u, 37u})
    {
        std::vector<BYTE> vec = Frame(dwFrame);
        LONG lLeft = PatternBarLeft(kWidth, dwFrame);
        LONG y = kHeight - 1;  // bottom row, far from the counter
        EXPECT_EQ(kPatternBarColour, Pixel(vec, lLeft, y)) << dwFrame;
        EXPECT_EQ(kPatternBarColour, Pixel(vec, lLeft + lBar - 1, y)) << dwFrame;
        if (lLeft > 0)
        {
            EXPECT_NE(kPatternBarColour, Pixel(vec, lLeft - 1, y)) << dwFrame;
        }
        if (lLeft + lBar < kWidth)
        {
            EXPECT_NE(kPatternBarColour, Pixel(vec, lLeft + lBar, y)) << dwFrame;
        }
    }
    EXPECT_NE(PatternBarLeft(kWidth, 10), PatternBarLeft(kWidth, 11));
}

TEST(PatternDraw, BarStaysInsideThePictureForAnyFrame)
{
    LONG lBar = PatternBarWidth(kWidth);
    for (DWORD dwFrame = 0; dwFrame < 500; ++dwFrame)
    {
        LONG lLeft = PatternBarLeft(kWidth, dwFrame);
        ASSERT_GE(lLeft, 0) << dwFrame;
        ASSERT_LE(lLeft + lBar, kWidth) << dwFrame;
    }
}

TEST(PatternDraw, EveryPixelIsWrittenAndRowsAreBottomUp)
{
    std::vector<BYTE> vec = Frame(3);
    for (size_t i = 0; i < vec.size(); i += 4)
        ASSERT_EQ(0u, vec[i + 3]) << "pixel " << i / 4 << " left untouched";
    // The counter sits at the top of the picture, so in memory it is in the last rows.
    RECT rc;
    PatternSegmentRect(kHeight, 3, 0, &rc);  // top segment of "3" is lit
    const DWORD* pMemory = reinterpret_cast<const DWORD*>(vec.data());
    LONG x = (rc.left + rc.right) / 2;
    EXPECT_EQ(kPatternDigitOnColour, pMemory[(kHeight - 1 - rc.top) * kWidth + x]);
}
