// Starting the viewer from a thread of its own: a start that never returns costs the caller
// its bound and nothing more, and what a late start made is given back.
#include <gtest/gtest.h>

#include "viewer/BoundedStart.h"

namespace {

const DWORD kDeadlineMs = 20000;

// A start function that blocks until released, as the platform's start of a new process
// does when that process's start-up stalls; each call hands out a process of its own (an
// event's handles stand for the process and its thread) or fails with its error.
struct SFakeStart
{
    HANDLE hRelease;
    volatile LONG lCalls;
    volatile LONG lReturned;
    DWORD dwError;
    HANDLE hLastProcess;
};

BOOL FakeStart(LPCWSTR, STARTUPINFOW*, PROCESS_INFORMATION* pPI, void* pContext)
{
    SFakeStart* pFake = static_cast<SFakeStart*>(pContext);
    ::InterlockedIncrement(&pFake->lCalls);
    ::WaitForSingleObject(pFake->hRelease, INFINITE);
    BOOL bStarted = TRUE;
    if (pFake->dwError != 0)
    {
        ::SetLastError(pFake->dwError);
        bStarted = FALSE;
    }
    else
    {
        pPI->hProcess = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        pPI->hThread = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        pPI->dwProcessId = 4242;
        pFake->hLastProcess = pPI->hProcess;
    }
    ::InterlockedIncrement(&pFake->lReturned);
    return bStarted;
}

class BoundedStartTest : public ::testing::Test
{
protected:
    BoundedStartTest() : m_fake{::CreateEventW(nullptr, TRUE, FALSE, nullptr), 0, 0, 0, nullptr} {}
    ~BoundedStartTest() override
    {
        ::SetEvent(m_fake.hRelease);
        // Every start's thread is done with the fake before it goes.
        const DWORD dwStart = ::GetTickCount();
        while (m_fake.lReturned != m_fake.lCalls && ::GetTickCount() - dwStart < kDeadlineMs)
            ::Sleep(10);
        ::CloseHandle(m_fake.hRelease);
    }

    bool StartOnce(CBoundedStart* pStart, DWORD dwWaitMs, PROCESS_INFORMATION* pPI, DWORD* pdwError)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        return pStart->Start(L"C:\\viewer.exe", si, dwWaitMs, pPI, pdwError);
    }

    SFakeStart m_fake;
};

TEST_F(BoundedStartTest, AStartThatReturnsGivesItsOwnResultAndError)
{
    struct SCase
    {
        const char* pszWhy;
        DWORD dwError;
    };
    const SCase kCases[] = {{"started", 0}, {"file not found", ERROR_FILE_NOT_FOUND}, {"access denied", ERROR_ACCESS_DENIED}};
    ::SetEvent(m_fake.hRelease);
    for (const SCase& c : kCases)
    {
        m_fake.dwError = c.dwError;
        CBoundedStart start(FakeStart, &m_fake);
        PROCESS_INFORMATION pi = {};
        DWORD dwError = 0xFFFFFFFF;
        const bool bStarted = StartOnce(&start, kDeadlineMs, &pi, &dwError);
        EXPECT_EQ(c.dwError == 0, bStarted) << c.pszWhy;
        EXPECT_EQ(c.dwError, dwError) << c.pszWhy;
        EXPECT_FALSE(start.Stalled()) << c.pszWhy;
        if (bStarted)
        {
            // The caller owns the process's handles now.
            EXPECT_EQ(4242u, pi.dwProcessId);
            EXPECT_NE(FALSE, ::CloseHandle(pi.hProcess));
            EXPECT_NE(FALSE, ::CloseHandle(pi.hThread));
        }
        else
            EXPECT_EQ(nullptr, pi.hProcess) << c.pszWhy;
    }
}

TEST_F(BoundedStartTest, AStartThatDoesNotReturnCostsItsBoundAndBlocksOnlyTheNextStarts)
{
    CBoundedStart start(FakeStart, &m_fake);
    PROCESS_INFORMATION pi = {};
    DWORD dwError = 0;
    EXPECT_FALSE(StartOnce(&start, 50, &pi, &dwError));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), dwError);
    EXPECT_EQ(nullptr, pi.hProcess);
    EXPECT_TRUE(start.Stalled());

    // While it hangs, no other start is made: one thread is all it can take.
    dwError = 0;
    EXPECT_FALSE(StartOnce(&start, 50, &pi, &dwError));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), dwError);
    EXPECT_EQ(1, m_fake.lCalls);

    // Once it returns late, its process is the user's and its handles are closed; starts
    // work again.
    ::SetEvent(m_fake.hRelease);
    const DWORD dwStart = ::GetTickCount();
    while (start.Stalled() && ::GetTickCount() - dwStart < kDeadlineMs)
        ::Sleep(10);
    ASSERT_FALSE(start.Stalled());
    DWORD dwFlags = 0;
    EXPECT_FALSE(::GetHandleInformation(m_fake.hLastProcess, &dwFlags));
    EXPECT_TRUE(StartOnce(&start, kDeadlineMs, &pi, &dwError));
    EXPECT_EQ(2, m_fake.lCalls);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
}

TEST_F(BoundedStartTest, AStartStillRunningWhenTheStarterGoesGivesBackWhatItGetsLate)
{
    {
        CBoundedStart start(FakeStart, &m_fake);
        PROCESS_INFORMATION pi = {};
        DWORD dwError = 0;
        EXPECT_FALSE(StartOnce(&start, 50, &pi, &dwError));
    }
    ::SetEvent(m_fake.hRelease);
    const DWORD dwStart = ::GetTickCount();
    while (m_fake.lReturned == 0 && ::GetTickCount() - dwStart < kDeadlineMs)
        ::Sleep(10);
    ASSERT_EQ(1, m_fake.lReturned);
    // The start's thread closes them right after the start returned.
    DWORD dwFlags = 0;
    while (::GetHandleInformation(m_fake.hLastProcess, &dwFlags) && ::GetTickCount() - dwStart < kDeadlineMs)
        ::Sleep(10);
    EXPECT_FALSE(::GetHandleInformation(m_fake.hLastProcess, &dwFlags));
}

} // namespace
