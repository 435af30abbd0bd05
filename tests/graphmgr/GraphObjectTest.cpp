// The graph manager as a COM object: its registration in the prefix, one identity over
// its own and the aggregated graph's interfaces, reference counting, events, and the
// Running Object Table within and across processes.
#include <gtest/gtest.h>

#include <ostream>

#include <vfwmsgs.h>

#include <set>
#include <string>

#include "GraphFacts.h"
#include "GraphTestSupport.h"
#include "RotChild.h"
#include "TestFilter.h"

namespace
{
std::wstring ReadClassesValue(const wchar_t* pszSubKey, const wchar_t* pszValue)
{
    wchar_t sz[MAX_PATH] = {};
    DWORD cb = sizeof(sz);
    if (RegGetValueW(HKEY_CLASSES_ROOT, pszSubKey, pszValue, RRF_RT_REG_SZ, nullptr, sz, &cb) !=
        ERROR_SUCCESS)
        return L"(missing)";
    return sz;
}

TEST(GraphManagerRegistration, FilterGraphClassIsServedByOurDll)
{
    const wchar_t kKey[] = L"CLSID\\{E436EBB3-524F-11CE-9F53-0020AF0BA770}\\InprocServer32";
    EXPECT_EQ("C:\\standins\\grfgraph.dll", Narrow(ReadClassesValue(kKey, nullptr)));
    EXPECT_EQ("Both", Narrow(ReadClassesValue(kKey, L"ThreadingModel")));

    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    EXPECT_NE(nullptr, GetModuleHandleW(L"grfgraph.dll"));
}

// An outer object that counts its references and hands every interface but IUnknown to
// the object it aggregates.
class COuterObject final : public IUnknown
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown))
        {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_spInner ? m_spInner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_lRef)); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(InterlockedDecrement(&m_lRef)); }

    LONG m_lRef = 1;
    CComPtr<IUnknown> m_spInner;
};

ULONG RefCountOf(IUnknown* pUnknown)
{
    pUnknown->AddRef();
    return pUnknown->Release();
}

// Like the system graph, the graph manager can be aggregated: asked for its IUnknown, it
// gives its own, whose count is its own; every other interface, ours and the system
// graph's alike, answers as the outer object and counts on it.
TEST(GraphManagerObject, AggregatesUnderAnOuterObject)
{
    COuterObject outer;
    CComPtr<IFilterGraph> spRefused;
    EXPECT_EQ(HrText(E_NOINTERFACE),
              HrText(CoCreateInstance(CLSID_FilterGraph, &outer, CLSCTX_INPROC_SERVER, IID_IFilterGraph,
                                      reinterpret_cast<void**>(&spRefused))));
    EXPECT_EQ(nullptr, spRefused.p);

    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&outer.m_spInner)));
    EXPECT_EQ(1, outer.m_lRef) << "creation left references on the outer object";
    EXPECT_NE(static_cast<IUnknown*>(&outer), outer.m_spInner.p);
    EXPECT_EQ(1u, RefCountOf(outer.m_spInner));

    const IID* rgpIids[] = {&IID_IPersistStream, &IID_IPersist, &IID_IFilterGraph, &IID_IGraphBuilder,
                            &IID_IMediaControl, &IID_IMediaFilter};
    for (const IID* pIid : rgpIids)
    {
        IUnknown* pItf = nullptr;
        ASSERT_EQ(S_OK, outer.QueryInterface(*pIid, reinterpret_cast<void**>(&pItf)));
        EXPECT_EQ(2, outer.m_lRef) << "an interface of the aggregate counts on the outer object";
        EXPECT_EQ(1u, RefCountOf(outer.m_spInner)) << "and not on the inner one";
        IUnknown* pIdentity = nullptr;
        ASSERT_EQ(S_OK, pItf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pIdentity)));
        EXPECT_EQ(static_cast<IUnknown*>(&outer), pIdentity) << "identity is the outer object's";
        pIdentity->Release();
        pItf->AddRef();
        EXPECT_EQ(3, outer.m_lRef);
        pItf->Release();
        pItf->Release();
        EXPECT_EQ(1, outer.m_lRef);
    }

    // The aggregate works as a graph: a filter added through one interface shows in another.
    CComPtr<IFilterGraph> spGraph;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spGraph)));
    CComPtr<IBaseFilter> spFilter;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_GrfTestFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(&spFilter)));
    ASSERT_EQ(S_OK, spGraph->AddFilter(spFilter, L"A"));
    EXPECT_EQ(std::set<std::wstring>({L"A"}), GraphFilterNames(spGraph));
    spGraph.Release();
    spFilter.Release();

    // Letting go of the inner IUnknown ends the aggregate, filters included.
    outer.m_spInner.Release();
    EXPECT_EQ(1, outer.m_lRef);
    EXPECT_EQ(0, GrfTestFilterCount());
}

struct CInterfaceCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CInterfaceCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    IID m_iid;
};

class GraphManagerInterfaces : public testing::TestWithParam<CInterfaceCase>
{
};

// Every interface belongs to one object: it leads back to the same IUnknown, and from it
// to our persistence interface as well as to the system graph's interfaces.
TEST_P(GraphManagerInterfaces, AnswerAsOneObject)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    CComPtr<IUnknown> spItf;
    ASSERT_EQ(S_OK, spGraph->QueryInterface(GetParam().m_iid, reinterpret_cast<void**>(&spItf)));

    CComPtr<IUnknown> spIdentity;
    ASSERT_EQ(S_OK, spItf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spIdentity)));
    EXPECT_EQ(spGraph.p, spIdentity.p);
    CComPtr<IPersistStream> spPersist;
    EXPECT_EQ(S_OK, spItf->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist)));
    CComPtr<IMediaControl> spControl;
    EXPECT_EQ(S_OK, spItf->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&spControl)));
}

INSTANTIATE_TEST_SUITE_P(Table, GraphManagerInterfaces,
                         testing::Values(CInterfaceCase{"PersistStream", IID_IPersistStream},
                                         CInterfaceCase{"Persist", IID_IPersist},
                                         CInterfaceCase{"GraphBuilder", IID_IGraphBuilder},
                                         CInterfaceCase{"FilterGraph", IID_IFilterGraph},
                                         CInterfaceCase{"FilterGraph2", IID_IFilterGraph2},
                                         CInterfaceCase{"MediaControl", IID_IMediaControl},
                                         CInterfaceCase{"MediaEvent", IID_IMediaEvent},
                                         CInterfaceCase{"MediaEventEx", IID_IMediaEventEx},
                                         CInterfaceCase{"MediaFilter", IID_IMediaFilter},
                                         CInterfaceCase{"MediaSeeking", IID_IMediaSeeking},
                                         CInterfaceCase{"VideoWindow", IID_IVideoWindow},
                                         CInterfaceCase{"BasicVideo", IID_IBasicVideo}),
                         [](const testing::TestParamInfo<CInterfaceCase>& info) { return info.param.m_pszName; });

TEST(GraphManagerObject, UnknownInterfaceIsRefused)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    CComPtr<IClassFactory> spFactory;
    EXPECT_EQ(HrText(E_NOINTERFACE),
              HrText(spGraph->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&spFactory))));
    EXPECT_EQ(nullptr, spFactory.p);
}

// References taken through the aggregated graph's interfaces count on the one object, and
// the last release takes the aggregated graph, and with it its filters, away.
TEST(GraphManagerObject, ReferencesCountOnTheOuterObjectAndTheLastReleaseFreesAll)
{
    const LONG lFiltersBefore = GrfTestFilterCount();
    IUnknown* pGraph = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&pGraph)));
    {
        CComPtr<IBaseFilter> spFilter;
        ASSERT_EQ(S_OK, AddFilter(pGraph, CLSID_GrfTestFilter, L"Held by the graph", spFilter));
    }
    EXPECT_EQ(lFiltersBefore + 1, GrfTestFilterCount());

    IMediaControl* pControl = nullptr;
    ASSERT_EQ(S_OK, pGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&pControl)));
    EXPECT_EQ(3u, pGraph->AddRef());
    EXPECT_EQ(2u, pGraph->Release());
    IPersistStream* pPersist = nullptr;
    ASSERT_EQ(S_OK, pControl->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&pPersist)));
    EXPECT_EQ(2u, pControl->Release());
    EXPECT_EQ(1u, pPersist->Release());
    EXPECT_EQ(lFiltersBefore + 1, GrfTestFilterCount());
    EXPECT_EQ(0u, pGraph->Release());
    EXPECT_EQ(lFiltersBefore, GrfTestFilterCount());
}

// Runs and stops a loaded graph and reads an event through the aggregate, with a notify
// window registered as the tool does.
TEST(GraphManagerObject, ControlEventsAndVideoWindowWorkOnALoadedGraph)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    CComPtr<IBaseFilter> spSource, spRenderer;
    ASSERT_EQ(S_OK, AddFilter(spGraph, CLSID_GrfTestFilter, L"Source", spSource));
    ASSERT_EQ(S_OK, AddFilter(spGraph, CLSID_VideoRenderer, L"Renderer", spRenderer));
    VIDEOINFOHEADER vih;
    AM_MEDIA_TYPE mt = GrfTestVideoType(&vih);
    ASSERT_EQ(S_OK, ConnectPins(spGraph, spSource, L"Out", spRenderer, L"Input", &mt));
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, SaveGraph(spGraph, vecText));
    spSource.Release();
    spRenderer.Release();
    spGraph.Release();

    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    ASSERT_EQ(S_OK, LoadGraph(spGraph, vecText));

    HWND hwnd = CreateWindowExW(0, L"STATIC", L"notify", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hwnd);
    const UINT kGraphNotify = WM_APP + 1;
    CComPtr<IMediaEventEx> spEvents;
    ASSERT_EQ(S_OK, spGraph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&spEvents)));
    ASSERT_EQ(S_OK, spEvents->SetNotifyWindow(reinterpret_cast<OAHWND>(hwnd), kGraphNotify, 0));

    CComPtr<IVideoWindow> spVideo;
    ASSERT_EQ(S_OK, spGraph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&spVideo)));
    long lWidth = 0;
    EXPECT_EQ(S_OK, spVideo->get_Width(&lWidth));
    EXPECT_GT(lWidth, 0);

    CComPtr<IMediaControl> spControl;
    ASSERT_EQ(S_OK, spGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&spControl)));
    HRESULT hr = spControl->Run();
    EXPECT_TRUE(SUCCEEDED(hr)) << HrText(hr);
    OAFilterState state = State_Stopped;
    spControl->GetState(0, &state);
    EXPECT_NE(State_Stopped, state);

    // An event raised inside the graph reaches the notify window and GetEvent.
    CComPtr<IMediaEventSink> spSink;
    ASSERT_EQ(S_OK, spGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&spSink)));
    const long kUserEvent = EC_USER + 7;
    ASSERT_EQ(S_OK, spSink->Notify(kUserEvent, 11, 22));
    MSG msg = {};
    bool bPosted = false;
    const DWORD dwDeadline = GetTickCount() + 10000;
    while (!bPosted && static_cast<LONG>(dwDeadline - GetTickCount()) > 0)
    {
        if (PeekMessageW(&msg, hwnd, kGraphNotify, kGraphNotify, PM_REMOVE))
            bPosted = true;
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_TRUE(bPosted) << "no notification message within 10 s";
    bool bFound = false;
    long lCode = 0;
    LONG_PTR lParam1 = 0, lParam2 = 0;
    while (spEvents->GetEvent(&lCode, &lParam1, &lParam2, 0) == S_OK)
    {
        if (lCode == kUserEvent && lParam1 == 11 && lParam2 == 22)
            bFound = true;
        spEvents->FreeEventParams(lCode, lParam1, lParam2);
    }
    EXPECT_TRUE(bFound);

    EXPECT_EQ(S_OK, spControl->Stop());
    spEvents->SetNotifyWindow(0, 0, 0);
    DestroyWindow(hwnd);
}

// A graph built and registered here, with three filters of ours.
class GraphRot : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateGraph(m_spGraph));
        for (const wchar_t* pszName : {L"One", L"Two", L"Three"})
        {
            CComPtr<IBaseFilter> spFilter;
            ASSERT_EQ(S_OK, AddFilter(m_spGraph, CLSID_GrfTestFilter, pszName, spFilter));
        }
        m_strItem = L"GrfGraphTest " + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(S_OK, GetRunningObjectTable(0, &m_spTable));
        CComPtr<IMoniker> spMoniker;
        ASSERT_EQ(S_OK, CreateItemMoniker(L"!", m_strItem.c_str(), &spMoniker));
        ASSERT_EQ(S_OK, m_spTable->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, m_spGraph, spMoniker, &m_dwRegister));
    }

    void TearDown() override
    {
        if (m_dwRegister)
            m_spTable->Revoke(m_dwRegister);
    }

    CComPtr<IUnknown> m_spGraph;
    CComPtr<IRunningObjectTable> m_spTable;
    std::wstring m_strItem;
    DWORD m_dwRegister = 0;
};

TEST_F(GraphRot, RegisteredGraphIsFoundInProcess)
{
    CComPtr<IMoniker> spMoniker;
    ASSERT_EQ(S_OK, CreateItemMoniker(L"!", m_strItem.c_str(), &spMoniker));
    CComPtr<IUnknown> spFound;
    ASSERT_EQ(S_OK, m_spTable->GetObject(spMoniker, &spFound));
    CComPtr<IFilterGraph> spFilterGraph;
    ASSERT_EQ(S_OK, spFound.QueryInterface(&spFilterGraph));
    CComPtr<IUnknown> spIdentity;
    ASSERT_EQ(S_OK, spFilterGraph.QueryInterface(&spIdentity));
    EXPECT_EQ(m_spGraph.p, spIdentity.p);
    EXPECT_EQ((std::set<std::wstring>{L"One", L"Two", L"Three"}), GraphFilterNames(spFilterGraph));
}

TEST_F(GraphRot, RegisteredGraphIsUsableFromAnotherProcess)
{
    wchar_t szExe[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, szExe, MAX_PATH));
    std::wstring strCommand = L"\"" + std::wstring(szExe) + L"\" " + kRotChildSwitch + L" \"" + m_strItem + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(szExe, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);

    // The child calls into this apartment, so wait in a way that keeps serving calls.
    DWORD dwIndex = 0;
    HRESULT hr = CoWaitForMultipleHandles(0, 60000, 1, &pi.hProcess, &dwIndex);
    DWORD dwExit = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    if (hr != S_OK)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(HrText(S_OK), HrText(hr)) << "the second process did not finish within 60 s";
    EXPECT_EQ(3u, dwExit) << "exit codes above 100 say which step failed there (RotChild.h)";
}

}  // namespace
