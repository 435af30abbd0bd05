#include "LiveObjects.h"

#include <stdio.h>

namespace
{
volatile LONG g_lLiveObjects = 0;
volatile LONG g_lServerLocks = 0;
char g_szModule[64] = "";  // unnamed: nobody watches this module's count
}

void SetLiveObjectsModuleName(const char* pszName)
{
    lstrcpynA(g_szModule, pszName, static_cast<int>(sizeof(g_szModule)));
}

void LiveObjectCreated()
{
    InterlockedIncrement(&g_lLiveObjects);
}

void LiveObjectDestroyed()
{
    InterlockedDecrement(&g_lLiveObjects);
    ReportLiveObjects();
}

LONG LiveObjectCount()
{
    return InterlockedCompareExchange(&g_lLiveObjects, 0, 0);
}

int FormatLiveObjectsLine(char* pszOut, size_t cchOut, const char* pszModule, LONG lCount)
{
    return snprintf(pszOut, cchOut, "standin %s: live objects %ld\n", pszModule, lCount);
}

void ReportLiveObjects()
{
    // Only a module that named itself is watched from outside. The others (programs that
    // link the kit, such as the graph manager tests and the benchmark with their test
    // filter) would pay a debugger round trip for every enumerator they release.
    if (!g_szModule[0])
        return;
    char szLine[128];
    FormatLiveObjectsLine(szLine, sizeof(szLine), g_szModule, LiveObjectCount());
    OutputDebugStringA(szLine);
}

void ServerLock(bool bLock)
{
    if (bLock)
        InterlockedIncrement(&g_lServerLocks);
    else
        InterlockedDecrement(&g_lServerLocks);
}

LONG ServerLockCount()
{
    return InterlockedCompareExchange(&g_lServerLocks, 0, 0);
}
