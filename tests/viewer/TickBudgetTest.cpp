// The wait for the viewer's window is measured across the tick counter's wrap-around.
#include <gtest/gtest.h>

#include "viewer/TickBudget.h"

namespace {

struct STickCase
{
    const char* pszWhy;
    DWORD dwStart;
    DWORD dwNow;
    bool bSpent;
    int nRest;
};

const STickCase kTickCases[] = {
    {"at the start", 1000, 1000, false, 100},
    {"half way", 1000, 1050, false, 50},
    {"exactly at the budget", 1000, 1100, false, 0},
    {"one past the budget", 1000, 1101, true, -1},
    {"start just before the wrap, now just after", 0xFFFFFFF0, 0x00000010, false, 68},
    {"budget ends exactly on the wrap", 0xFFFFFF9C, 0x00000000, false, 0},
    {"budget spent across the wrap", 0xFFFFFF9B, 0x00000000, true, -1},
    {"well past the budget across the wrap", 0xFFFFFFF0, 0x00000055, true, -1},
    {"start at the last tick", 0xFFFFFFFF, 0xFFFFFFFF, false, 100},
};

TEST(TickBudget, ElapsedTimeIsWrapSafe)
{
    for (const STickCase& c : kTickCases)
    {
        EXPECT_EQ(c.bSpent, IsTickBudgetSpent(c.dwStart, c.dwNow, 100)) << c.pszWhy;
        EXPECT_EQ(c.nRest, TickBudgetRest(c.dwStart, c.dwNow, 100)) << c.pszWhy;
    }
}

struct SWaitCase
{
    const char* pszWhy;
    DWORD dwStart;
    DWORD dwNow;
    DWORD dwWait;
};

// A budget of 500 ms, single waits of at most 100 ms.
const SWaitCase kWaitCases[] = {
    {"at the start: a whole single wait", 1000, 1000, 100},
    {"more than one wait left", 1000, 1399, 100},
    {"less than one wait left: cut to the rest", 1000, 1450, 50},
    {"one millisecond left", 1000, 1499, 1},
    {"exactly spent: no wait", 1000, 1500, 0},
    {"overrun: no wait", 1000, 1501, 0},
    {"far overrun does not wrap into a wait", 1000, 1000 + 0x80000000u, 0},
    {"rest cut across the wrap", 0xFFFFFF00, 0x000000B4, 64},
    {"spent across the wrap", 0xFFFFFF00, 0x00000100, 0},
};

TEST(TickBudget, SingleWaitsAreCutToTheRestAndStopWhenItIsSpent)
{
    for (const SWaitCase& c : kWaitCases)
        EXPECT_EQ(c.dwWait, TickBudgetWait(c.dwStart, c.dwNow, 500, 100)) << c.pszWhy;
}

} // namespace
