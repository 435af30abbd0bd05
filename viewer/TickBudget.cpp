#include "viewer/TickBudget.h"

bool IsTickBudgetSpent(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs)
{
    return dwNow - dwStart > dwBudgetMs;
}

int TickBudgetRest(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs)
{
    return static_cast<int>(dwBudgetMs - (dwNow - dwStart));
}

// The same tick readings in the same order as the other budget functions.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
DWORD TickBudgetWait(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs, DWORD dwMaxWaitMs)
{
    if (IsTickBudgetSpent(dwStart, dwNow, dwBudgetMs))
        return 0;
    const DWORD dwRest = dwBudgetMs - (dwNow - dwStart);
    return dwRest < dwMaxWaitMs ? dwRest : dwMaxWaitMs;
}
