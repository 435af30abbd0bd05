#include "viewer/BoundedStart.h"

// What the caller and the start's thread share; the last of the two to let go frees it,
// and closes the handles of a process that nobody took.
struct CBoundedStart::SStart
{
    volatile LONG lRefs;
    PFNSTARTPROCESS pfnStart;
    void* pContext;
    wchar_t szApplication[MAX_PATH];
    STARTUPINFOW si;
    PROCESS_INFORMATION pi;
    BOOL bStarted;
    DWORD dwError;
};

BOOL CreateProcessStart(LPCWSTR pszApplication, STARTUPINFOW* pSI, PROCESS_INFORMATION* pPI, void*)
{
    return ::CreateProcessW(pszApplication, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                            nullptr, pSI, pPI);
}

CBoundedStart::CBoundedStart(PFNSTARTPROCESS pfnStart, void* pContext)
    : m_pfnStart(pfnStart), m_pContext(pContext), m_pStalled(nullptr), m_hStalledThread(nullptr)
{
}

CBoundedStart::~CBoundedStart()
{
    if (!m_pStalled)
        return;
    ::CloseHandle(m_hStalledThread);
    Release(m_pStalled);
}

bool CBoundedStart::Stalled()
{
    if (!m_pStalled)
        return false;
    if (::WaitForSingleObject(m_hStalledThread, 0) != WAIT_OBJECT_0)
        return true;
    ::CloseHandle(m_hStalledThread);
    Release(m_pStalled);
    m_hStalledThread = nullptr;
    m_pStalled = nullptr;
    return false;
}

bool CBoundedStart::Start(LPCWSTR pszApplication, const STARTUPINFOW& si, DWORD dwWaitMs, PROCESS_INFORMATION* pPI,
                          DWORD* pdwError)
{
    *pdwError = ERROR_TIMEOUT;
    ::ZeroMemory(pPI, sizeof(*pPI));
    if (Stalled())
        return false;
    SStart* pStart = static_cast<SStart*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SStart)));
    if (!pStart)
    {
        *pdwError = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    pStart->lRefs = 2;
    pStart->pfnStart = m_pfnStart;
    pStart->pContext = m_pContext;
    ::lstrcpynW(pStart->szApplication, pszApplication ? pszApplication : L"", MAX_PATH);
    pStart->si = si;
    HANDLE hThread = ::CreateThread(nullptr, 0, StartProc, pStart, 0, nullptr);
    if (!hThread)
    {
        *pdwError = ::GetLastError();
        ::HeapFree(::GetProcessHeap(), 0, pStart);
        return false;
    }
    // Nothing is served meanwhile, as during the platform's own call.
    if (::WaitForSingleObject(hThread, dwWaitMs) != WAIT_OBJECT_0)
    {
        m_pStalled = pStart;
        m_hStalledThread = hThread;
        return false;
    }
    ::CloseHandle(hThread);
    *pPI = pStart->pi;
    ::ZeroMemory(&pStart->pi, sizeof(pStart->pi));
    *pdwError = pStart->bStarted ? 0 : pStart->dwError;
    const bool bStarted = pStart->bStarted != FALSE;
    Release(pStart);
    return bStarted;
}

DWORD WINAPI CBoundedStart::StartProc(LPVOID pv)
{
    SStart* pStart = static_cast<SStart*>(pv);
    pStart->bStarted = pStart->pfnStart(pStart->szApplication, &pStart->si, &pStart->pi, pStart->pContext);
    pStart->dwError = pStart->bStarted ? 0 : ::GetLastError();
    Release(pStart);
    return 0;
}

void CBoundedStart::Release(SStart* pStart)
{
    if (::InterlockedDecrement(&pStart->lRefs) != 0)
        return;
    if (pStart->pi.hThread)
        ::CloseHandle(pStart->pi.hThread);
    if (pStart->pi.hProcess)
        ::CloseHandle(pStart->pi.hProcess);
    ::HeapFree(::GetProcessHeap(), 0, pStart);
}
