// The figures that the stress run's verdict rests on: a misread live-object line or a
// growth check that passes on nothing measured would let a leak through unnoticed.
#include <gtest/gtest.h>

#include "StressFigures.h"

TEST(StressFigures, LastLiveObjectLineOfEachModule)
{
    const std::vector<std::wstring> rgLines = {
        L"standin standinfilters.dll: live objects 5\n",
        L"some trace line\n",
        L"standin grfgraph.dll: live objects 2\n",
        L"standin standinfilters.dll: live objects 0\n",
        L"standin grfgraph.dll: live objects 1\n",
        L"standin standinfilters.dll: live objects 7x\n",   // not a count: ignored
        L"xstandin grfgraph.dll: live objects 0\n",         // not the line's start: ignored
    };
    const std::vector<std::wstring> rgLast = LastLiveObjectLines(rgLines);
    ASSERT_EQ(2u, rgLast.size());
    EXPECT_EQ(L"standin standinfilters.dll: live objects 0", rgLast[0]);
    EXPECT_EQ(L"standin grfgraph.dll: live objects 1", rgLast[1]);
    EXPECT_EQ(0, LiveObjectsOf(rgLast[0]));
    EXPECT_EQ(1, LiveObjectsOf(rgLast[1]));
    // Only the last line of each module counts, and lines that are no count add nothing.
    EXPECT_EQ(1, LiveTotal(rgLines));
    EXPECT_EQ(7, LiveTotal({L"standin a.dll: live objects 3\n", L"standin b.dll: live objects 4\n"}));
    EXPECT_EQ(0, LiveTotal({}));
}

TEST(StressFigures, LiveObjectsOfRejectsWhatIsNoCount)
{
    const struct
    {
        const wchar_t* pszLine;
        long nExpected;
    } kCases[] = {
        {L"standin x.dll: live objects 12", 12},
        {L"standin x.dll: live objects 0\r\n", 0},
        {L"standin x.dll: live objects ", -1},
        {L"standin x.dll: live objects -3", -1},
        {L"standin : live objects 3", -1},
        {L"standin x.dll live objects 3", -1},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(c.nExpected, LiveObjectsOf(c.pszLine)) << testing::PrintToString(std::wstring(c.pszLine));
}

TEST(StressFigures, GrowthCheckNeedsAMeasurementAndHonoursTheLimitBothWays)
{
    EXPECT_TRUE(WithinPercent(1000, 1020, 2.0));
    EXPECT_TRUE(WithinPercent(1000, 980, 2.0));
    EXPECT_FALSE(WithinPercent(1000, 1021, 2.0));
    EXPECT_FALSE(WithinPercent(1000, 979, 2.0));
    EXPECT_FALSE(WithinPercent(0, 0, 2.0));
    EXPECT_EQ(3, EarlyStep(3));
    EXPECT_EQ(5, EarlyStep(20));
    EXPECT_EQ(20, EarlyStep(200));
    EXPECT_EQ(100, EarlyStep(1000));
}

TEST(StressFigures, ThreadSwingIsForgivenUpToTheAllowanceEitherWay)
{
    struct
    {
        SIZE_T early, last, allowance, judged;
    } const kCases[] = {
        {32664, 31952, 1024, 32664},  // a thread fewer at the end: flat
        {32664, 30000, 1024, 31024},  // more than a thread's worth of fall is still judged
        {32664, 33600, 1024, 32664},  // a thread more at the end: flat
        {32664, 36000, 1024, 34976},  // more than that still counts as growth
        {32664, 31952, 0, 31952},     // no allowance: judged as it is
        {32664, 32664, 1024, 32664},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(c.judged, ForgiveThreadSwing(c.early, c.last, c.allowance)) << c.early << " -> " << c.last;
}

TEST(StressFigures, MedianOfOddAndEvenCounts)
{
    CStepFigures steps;
    EXPECT_EQ(0.0, steps.Median());
    for (double d : {5.0, 1.0, 3.0})
        steps.Add(d);
    EXPECT_EQ(3.0, steps.Median());
    steps.Add(10.0);
    EXPECT_EQ(4.0, steps.Median());
    EXPECT_EQ(10.0, steps.Max());
}

TEST(StressFigures, WorkingSetFloorsIgnoreAPassingPeakButNotALeak)
{
    CWorkingSetTrack peak, leak;
    for (SIZE_T kb : {100, 100, 100, 100, 100, 100, 130, 100, 100, 100, 100, 100})
        peak.Add(kb);
    for (SIZE_T kb : {100, 100, 100, 100, 100, 100, 110, 110, 110, 110, 110, 110})
        leak.Add(kb);
    EXPECT_EQ(100u, peak.FloorFrom(1));
    EXPECT_EQ(100u, peak.LastFloor());
    EXPECT_EQ(110u, leak.LastFloor());
    EXPECT_FALSE(WithinPercent(leak.FloorFrom(2), leak.LastFloor(), 2.0));
    EXPECT_EQ(0u, CWorkingSetTrack().LastFloor());
    EXPECT_EQ(0u, peak.FloorFrom(13));
}
