// One joinable worker thread, as a source filter's streaming thread.
#pragma once

#include <windows.h>

class CWorkerThread
{
public:
    typedef void (*PFN_WORK)(void* pContext);

    CWorkerThread() : m_hThread(nullptr), m_pfnWork(nullptr), m_pContext(nullptr) {}
    ~CWorkerThread() { Join(); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Fails with E_UNEXPECTED while a previous run has not been joined.
    HRESULT Start(PFN_WORK pfnWork, void* pContext);
    // Waits for the thread to end and closes it; harmless when none runs.
    void Join();
    bool IsStarted() const { return m_hThread != nullptr; }

private:
    static DWORD WINAPI ThreadProc(LPVOID pv);

    HANDLE m_hThread;
    PFN_WORK m_pfnWork;
    void* m_pContext;
};
