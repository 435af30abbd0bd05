// What the bridge's wait for a quitting viewer guarantees, inside one process: a thread that
// is blocked in a call into this apartment gets its answer during the wait, so it can end
// before the wait does. A wait that serves nothing would leave it blocked until the time is
// up and return with the thread still there.
#include <gtest/gtest.h>

#include <objbase.h>

#include "GraphEditProbe.h"
#include "MessagePump.h"
#include "RotEntries.h"

namespace {

// A plain object of this apartment: calls from another apartment reach it only through
// this thread.
class CApartmentObject : public IPersist
{
public:
    CApartmentObject() : m_lRefs(1) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = (riid == IID_IUnknown || riid == IID_IPersist) ? static_cast<IPersist*>(this) : nullptr;
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_lRefs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG lRefs = ::InterlockedDecrement(&m_lRefs);
        if (lRefs == 0)
            delete this;
        return static_cast<ULONG>(lRefs);
    }
    STDMETHODIMP GetClassID(CLSID* pClassID) override
    {
        *pClassID = CLSID_NULL;
        return S_OK;
    }

private:
    virtual ~CApartmentObject() = default;
    volatile LONG m_lRefs;
};

struct SCaller
{
    IStream* pStream;   // the object, marshaled for the caller's apartment
    HANDLE hCalling;    // set just before the call
    HRESULT hrCall;
};

DWORD WINAPI CallerProc(LPVOID pv)
{
    SCaller* pCaller = static_cast<SCaller*>(pv);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IPersist* pPersist = nullptr;
    pCaller->hrCall = ::CoGetInterfaceAndReleaseStream(pCaller->pStream, IID_IPersist,
                                                       reinterpret_cast<void**>(&pPersist));
    if (SUCCEEDED(pCaller->hrCall))
    {
        ::SetEvent(pCaller->hCalling);
        CLSID clsid = {};
        pCaller->hrCall = pPersist->GetClassID(&clsid);
        pPersist->Release();
    }
    ::SetEvent(pCaller->hCalling);
    ::CoUninitialize();
    return 0;
}

// A call from another apartment has arrived in this thread's queue.
bool CallIsQueued()
{
    return (HIWORD(::GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) != 0;
}

TEST(QuitWait, ServesACallIntoThisApartmentSoTheCallerEndsWithinIt)
{
    CApartment apartment;
    ASSERT_EQ(S_OK, apartment.m_hr);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);

    CApartmentObject* pObject = new CApartmentObject;
    SCaller caller = {nullptr, ::CreateEventW(nullptr, TRUE, FALSE, nullptr), E_FAIL};
    ASSERT_EQ(S_OK, ::CoMarshalInterThreadInterfaceInStream(IID_IPersist, pObject, &caller.pStream));
    pObject->Release();

    HANDLE hCaller = ::CreateThread(nullptr, 0, CallerProc, &caller, 0, nullptr);
    ASSERT_TRUE(hCaller != nullptr);
    // Without serving anything: the caller is in its call and waits for this thread.
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(caller.hCalling, kGenerousDeadlineMs));
    const DWORD dwStart = ::GetTickCount();
    while (!CallIsQueued() && ::GetTickCount() - dwStart < kGenerousDeadlineMs)
        ::Sleep(10);
    ASSERT_TRUE(CallIsQueued()) << "the caller's call never reached this thread";
    ASSERT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(hCaller, 0));

    CGraphEditProbe::WaitForViewerThread(hCaller);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hCaller, 0)) << "the caller was still blocked when the wait ended";

    // Whatever happened, the caller ends before the test does.
    PumpUntil([&] { return ::WaitForSingleObject(hCaller, 0) == WAIT_OBJECT_0; }, kGenerousDeadlineMs);
    EXPECT_EQ(S_OK, caller.hrCall);
    ::CloseHandle(hCaller);
    ::CloseHandle(caller.hCalling);
}

} // namespace
