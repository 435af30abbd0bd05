// Starting the viewer's process from a thread of its own, waited for no longer than a bound.
#pragma once

#include <windows.h>

// Starts pszApplication as CreateProcessW would with no command line, no inheritance and
// the given start-up information; sets the last error when it returns FALSE.
using PFNSTARTPROCESS = BOOL (*)(LPCWSTR pszApplication, STARTUPINFOW* pSI, PROCESS_INFORMATION* pPI,
                                 void* pContext);

// The platform's CreateProcessW, as PFNSTARTPROCESS.
BOOL CreateProcessStart(LPCWSTR pszApplication, STARTUPINFOW* pSI, PROCESS_INFORMATION* pPI, void* pContext);

// Under Wine, CreateProcess waits without a limit until the new process has finished its
// start-up inside the platform (before any code of the program runs); when that start-up
// stalls, the caller never comes back, and a dialog's thread would stop for good. Here the
// start runs on a thread of its own and the caller waits for it at most the given time.
// A start that did not return in time is left to finish on its thread; until it has, no
// other start is made, so what a stalled platform can take is one thread, never more.
class CBoundedStart
{
public:
    explicit CBoundedStart(PFNSTARTPROCESS pfnStart = CreateProcessStart, void* pContext = nullptr);
    // A start still running is let go: its thread gives back what it got when it returns.
    ~CBoundedStart();
    CBoundedStart(const CBoundedStart&) = delete;
    CBoundedStart& operator=(const CBoundedStart&) = delete;

    // As the start function, waited for at most dwWaitMs. False with *pdwError set to
    // ERROR_TIMEOUT when it did not return in time, or when an earlier start still has not
    // returned (no new start is made then); otherwise its own result and error. A process
    // that an earlier, late start made is left running (the user's to close); its handles
    // are closed.
    bool Start(LPCWSTR pszApplication, const STARTUPINFOW& si, DWORD dwWaitMs, PROCESS_INFORMATION* pPI,
               DWORD* pdwError);
    // True while a start that did not return in time is still running.
    bool Stalled();

private:
    struct SStart;
    static DWORD WINAPI StartProc(LPVOID pv);
    static void Release(SStart* pStart);

    PFNSTARTPROCESS m_pfnStart;
    void* m_pContext;
    SStart* m_pStalled;
    HANDLE m_hStalledThread;
};
