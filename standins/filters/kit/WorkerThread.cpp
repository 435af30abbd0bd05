#include "WorkerThread.h"

HRESULT CWorkerThread::Start(PFN_WORK pfnWork, void* pContext)
{
    if (m_hThread)
        return E_UNEXPECTED;
    m_pfnWork = pfnWork;
    m_pContext = pContext;
    m_hThread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    if (!m_hThread)
        return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}

void CWorkerThread::Join()
{
    if (!m_hThread)
        return;
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    m_hThread = nullptr;
}

DWORD WINAPI CWorkerThread::ThreadProc(LPVOID pv)
{
    CWorkerThread* pThis = static_cast<CWorkerThread*>(pv);
    pThis->m_pfnWork(pThis->m_pContext);
    return 0;
}
