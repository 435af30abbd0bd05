// Milliseconds in the box, seconds in the synchronizer, and the spin's steps.
#include <gtest/gtest.h>

#include <limits>

#include "ui/Duration.h"

namespace {

TEST(DurationTest, MillisecondsBecomeSeconds)
{
    EXPECT_DOUBLE_EQ(0.25, MillisecondsToSeconds(250));
    EXPECT_DOUBLE_EQ(5.0, MillisecondsToSeconds(5000));
    EXPECT_DOUBLE_EQ(0.0, MillisecondsToSeconds(0));
    // Typed values of 2^31 ms and more stay positive rather than wrapping.
    EXPECT_DOUBLE_EQ(2147483.648, MillisecondsToSeconds(2147483648u));
    EXPECT_DOUBLE_EQ(4294967.295, MillisecondsToSeconds(4294967295u));
}

TEST(DurationTest, SecondsRoundToTheNearestMillisecondHalvesUp)
{
    const struct
    {
        double dSeconds;
        UINT nExpected;
    } rgCases[] = {
        {0.25, 250},      {0.2506, 251},   {0.2504, 250},     {0.0005, 1},
        {0.0004999, 0},   {0.0, 0},        {5.0, 5000},       {1.0005, 1001},
        // Outside what the box can show: held at its ends, never undefined.
        {-0.0003, 0},     {-5.0, 0},       {4294967.295, 4294967295u}, {1e12, 4294967295u},
    };
    for (const auto& c : rgCases)
        EXPECT_EQ(c.nExpected, SecondsToMilliseconds(c.dSeconds)) << c.dSeconds;
    EXPECT_EQ(0u, SecondsToMilliseconds(std::numeric_limits<double>::quiet_NaN()));
}

TEST(DurationTest, SpinStepsBy10Below500And50FromThere)
{
    const struct
    {
        int iPos, iDelta, iExpected;
    } rgCases[] = {
        {0, 1, 10},    {490, 1, 10},  {499, 3, 10},  {500, 1, 50},   {500, -1, -50},
        {499, -1, -10}, {1000, 1, 50}, {0, -1, -10},  {250, 0, 0},    {750, 0, 0},
        {1200, -5, -50}, {-20, 2, 10},
    };
    for (const auto& c : rgCases)
        EXPECT_EQ(c.iExpected, SpinDelta(c.iPos, c.iDelta)) << c.iPos << " " << c.iDelta;
}

} // namespace
