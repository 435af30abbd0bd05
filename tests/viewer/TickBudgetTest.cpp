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

} // namespace
