// Waits measured on the 32-bit millisecond tick counter, which wraps about every 49.7 days:
// only the unsigned difference of two readings is meaningful, never their order.
#pragma once

#include <windows.h>

// True once more than dwBudgetMs milliseconds lie between dwStart and dwNow.
bool IsTickBudgetSpent(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs);

// Milliseconds left of the budget at dwNow; negative once the budget is overrun.
int TickBudgetRest(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs);

// How long one more wait may last at dwNow: dwMaxWaitMs, cut to what is left of the budget;
// 0 once nothing is left, so that the caller does not start the wait at all.
DWORD TickBudgetWait(DWORD dwStart, DWORD dwNow, DWORD dwBudgetMs, DWORD dwMaxWaitMs);
