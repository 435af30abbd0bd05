#include "viewer/TickBudget.h"

bool IsTickBudgetSpent(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs)
{
    return dwNow - dwStart > dwBudgetMs;
}

int TickBudgetRest(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs)
{
    return static_cast<int>(dwBudgetMs - (dwNow - dwStart));
}
