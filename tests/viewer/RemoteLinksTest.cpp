// Ending the remote connections to a published graph, seen from a client in another
// apartment of this process: what it got of the graph and its filters stops answering once
// the bridge has let go, and what it still holds no longer keeps them.
#include <gtest/gtest.h>

#include <dshow.h>

#include "MessagePump.h"
#include "RotEntries.h"
#include "viewer/EnumeratorAnchor.h"
#include "viewer/RemoteLinks.h"

namespace {

// A client in the multithreaded apartment: takes the graph and one of its filters, then,
// once told, calls each of them again.
struct SClient
{
    IStream* pStream;     // the graph, marshaled for the client
    HANDLE hHolding;      // set once it holds the graph and a filter
    HANDLE hCallAgain;
    HRESULT hrFirst;
    HRESULT hrGraphAgain;
    HRESULT hrFilterAgain;
};

DWORD WINAPI ClientProc(LPVOID pv)
{
    SClient* pClient = static_cast<SClient*>(pv);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IFilterGraph* pGraph = nullptr;
    IEnumFilters* pEnum = nullptr;
    IBaseFilter* pFilter = nullptr;
    pClient->hrFirst = ::CoGetInterfaceAndReleaseStream(pClient->pStream, IID_IFilterGraph,
                                                        reinterpret_cast<void**>(&pGraph));
    if (SUCCEEDED(pClient->hrFirst))
        pClient->hrFirst = pGraph->EnumFilters(&pEnum);
    ULONG cFetched = 0;
    if (SUCCEEDED(pClient->hrFirst))
        pClient->hrFirst = pEnum->Next(1, &pFilter, &cFetched) == S_OK && cFetched == 1 ? S_OK : E_FAIL;
    ::SetEvent(pClient->hHolding);
    if (SUCCEEDED(pClient->hrFirst))
    {
        ::WaitForSingleObject(pClient->hCallAgain, kGenerousDeadlineMs);
        IEnumFilters* pEnumAgain = nullptr;
        pClient->hrGraphAgain = pGraph->EnumFilters(&pEnumAgain);
        if (pEnumAgain)
            pEnumAgain->Release();
        FILTER_INFO info = {};
        pClient->hrFilterAgain = pFilter->QueryFilterInfo(&info);
        if (info.pGraph)
            info.pGraph->Release();
    }
    if (pFilter)
        pFilter->Release();
    if (pEnum)
        pEnum->Release();
    if (pGraph)
        pGraph->Release();
    ::CoUninitialize();
    return 0;
}

// A graph of the platform's with one filter, a file reader without a file (so no pins).
void GraphWithReader(CComPtr<IUnknown>& spGraph, CComPtr<IBaseFilter>& spReader)
{
    spGraph = CreateFilterGraph();
    ASSERT_TRUE(spGraph != nullptr);
    CComPtr<IGraphBuilder> spBuilder;
    ASSERT_EQ(S_OK, spGraph.QueryInterface(&spBuilder));
    ASSERT_EQ(S_OK, spReader.CoCreateInstance(CLSID_AsyncReader, nullptr, CLSCTX_INPROC_SERVER));
    ASSERT_EQ(S_OK, spBuilder->AddFilter(spReader, L"Source"));
}

// Starts ClientProc on a thread of its own with the graph; with bCallAgainAtOnce it calls
// again without being told. Null when it could not be started.
HANDLE StartClient(IUnknown* pGraph, SClient* pClient, bool bCallAgainAtOnce)
{
    pClient->hHolding = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    pClient->hCallAgain = ::CreateEventW(nullptr, TRUE, bCallAgainAtOnce, nullptr);
    pClient->hrFirst = E_FAIL;
    if (FAILED(::CoMarshalInterThreadInterfaceInStream(IID_IFilterGraph, pGraph, &pClient->pStream)))
        return nullptr;
    return ::CreateThread(nullptr, 0, ClientProc, pClient, 0, nullptr);
}

void CloseClient(HANDLE hClient, const SClient& client)
{
    if (hClient)
        ::CloseHandle(hClient);
    ::CloseHandle(client.hHolding);
    ::CloseHandle(client.hCallAgain);
}

TEST(RemoteLinks, AClientsCallsOnTheGraphAndItsFiltersFailOnceDisconnected)
{
    CApartment apartment;
    ASSERT_EQ(S_OK, apartment.m_hr);
    CComPtr<IUnknown> spGraph;
    CComPtr<IBaseFilter> spSource;
    ASSERT_NO_FATAL_FAILURE(GraphWithReader(spGraph, spSource));

    SClient client = {};
    HANDLE hClient = StartClient(spGraph, &client, false);
    ASSERT_TRUE(hClient != nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(client.hHolding, 0) == WAIT_OBJECT_0; }, kGenerousDeadlineMs));
    ASSERT_EQ(S_OK, client.hrFirst);

    // The graph and its one filter, with the filter's pins.
    EXPECT_LE(2, DisconnectRemoteClients(spGraph));
    ::SetEvent(client.hCallAgain);
    ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(hClient, 0) == WAIT_OBJECT_0; }, kGenerousDeadlineMs));
    EXPECT_TRUE(FAILED(client.hrGraphAgain)) << std::hex << client.hrGraphAgain;
    EXPECT_TRUE(FAILED(client.hrFilterAgain)) << std::hex << client.hrFilterAgain;
    // This process's own references are untouched.
    CComPtr<IFilterGraph> spOwn;
    ASSERT_EQ(S_OK, spGraph.QueryInterface(&spOwn));
    CComPtr<IEnumFilters> spEnum;
    EXPECT_EQ(S_OK, spOwn->EnumFilters(&spEnum));

    CloseClient(hClient, client);
}

ULONG References(IUnknown* pObject)
{
    pObject->AddRef();
    return pObject->Release();
}

// Runs ClientProc to its end: it takes the graph and a filter, calls each, releases all.
void RunClientToItsEnd(IUnknown* pGraph, SClient* pClient)
{
    HANDLE hClient = StartClient(pGraph, pClient, true);
    EXPECT_TRUE(hClient != nullptr);
    if (hClient)
    {
        EXPECT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(hClient, 0) == WAIT_OBJECT_0; }, kGenerousDeadlineMs));
    }
    CloseClient(hClient, *pClient);
}

// A client's release of the last reference it got removes the stub it used (under Wine
// with a wait that can hang this thread); held stubs outlive the client's releases and end
// only by the disconnect, after which nothing of them keeps the filter.
TEST(RemoteLinks, HeldStubsOutliveAClientsReleasesAndEndWithTheDisconnect)
{
    CApartment apartment;
    ASSERT_EQ(S_OK, apartment.m_hr);
    CComPtr<IUnknown> spGraph;
    CComPtr<IBaseFilter> spSource;
    ASSERT_NO_FATAL_FAILURE(GraphWithReader(spGraph, spSource));
    const ULONG ulOwn = References(spSource);

    // Not held: the client's stub for the filter goes with its release.
    SClient unheld = {};
    RunClientToItsEnd(spGraph, &unheld);
    ASSERT_EQ(S_OK, unheld.hrFirst);
    ASSERT_EQ(S_OK, unheld.hrFilterAgain);
    EXPECT_EQ(ulOwn, References(spSource));

    // Held: the graph and the filter (a reader has no pin before its file is given).
    CPublishedStubs stubs;
    EXPECT_EQ(2, stubs.Hold(spGraph));
    const ULONG ulHeld = References(spSource);
    EXPECT_LT(ulOwn, ulHeld);
    SClient held = {};
    RunClientToItsEnd(spGraph, &held);
    ASSERT_EQ(S_OK, held.hrFirst);
    EXPECT_EQ(S_OK, held.hrFilterAgain);
    // The stubs the client used are ours, with what it asked of them.
    EXPECT_LE(ulHeld, References(spSource));

    EXPECT_EQ(2, DisconnectRemoteClients(spGraph));
    stubs.Drop();
    EXPECT_EQ(0, stubs.Count());
    EXPECT_EQ(ulOwn, References(spSource));
    // Holding again after a drop starts from nothing.
    EXPECT_EQ(2, stubs.Hold(spGraph));
    DisconnectRemoteClients(spGraph);
}

// The anchor needs the platform's proxies for every enumerator a graph hands out, and is
// marshaled once however often the bridge publishes.
TEST(RemoteLinks, TheEnumeratorAnchorHoldsEachEnumeratorInterfaceOnce)
{
    CApartment apartment;
    ASSERT_EQ(S_OK, apartment.m_hr);
    CEnumeratorAnchor anchor;
    EXPECT_EQ(3, anchor.Hold());
    EXPECT_EQ(3, anchor.Hold());
    anchor.Drop();
    EXPECT_EQ(0, anchor.Count());
    EXPECT_EQ(3, anchor.Hold());
}

TEST(RemoteLinks, NothingPublishedNothingDone)
{
    EXPECT_EQ(0, DisconnectRemoteClients(nullptr));
    EXPECT_EQ(E_INVALIDARG, DisconnectRemoteObject(nullptr));
    CPublishedStubs stubs;
    EXPECT_EQ(0, stubs.Hold(nullptr));
    stubs.Drop();
}

} // namespace
