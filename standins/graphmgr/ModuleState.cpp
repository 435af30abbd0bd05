#include "ModuleState.h"

namespace
{
LONG g_lObjects = 0;
LONG g_lLocks = 0;
HMODULE g_hQuartz = nullptr;

// Serializes loading and releasing the system module. Initialised statically so it is
// ready before the first call into the DLL.
class CModuleLock
{
public:
    CModuleLock() { AcquireSRWLockExclusive(&s_lock); }
    ~CModuleLock() { ReleaseSRWLockExclusive(&s_lock); }

private:
    static SRWLOCK s_lock;
};
SRWLOCK CModuleLock::s_lock = SRWLOCK_INIT;
}  // namespace

void ModuleObjectCreated()
{
    InterlockedIncrement(&g_lObjects);
}

void ModuleObjectDestroyed()
{
    InterlockedDecrement(&g_lObjects);
}

void ModuleLock(bool bLock)
{
    if (bLock)
        InterlockedIncrement(&g_lLocks);
    else
        InterlockedDecrement(&g_lLocks);
}

HMODULE ModuleQuartz()
{
    CModuleLock lock;
    if (!g_hQuartz)
        g_hQuartz = LoadLibraryW(L"quartz.dll");
    return g_hQuartz;
}

HRESULT ModuleCanUnload()
{
    CModuleLock lock;
    if (g_lObjects != 0 || g_lLocks != 0)
        return S_FALSE;
    if (g_hQuartz)
    {
        typedef HRESULT(WINAPI * PFN_CANUNLOAD)();
        PFN_CANUNLOAD pfn = reinterpret_cast<PFN_CANUNLOAD>(
            reinterpret_cast<void*>(GetProcAddress(g_hQuartz, "DllCanUnloadNow")));
        // Graphs of ours may be gone while objects they made (filters, clocks) still live.
        if (pfn && pfn() != S_OK)
            return S_FALSE;
        FreeLibrary(g_hQuartz);
        g_hQuartz = nullptr;
    }
    return S_OK;
}
