// The filters as the prefix serves them: the module's class objects and its count of
// live objects, and graphs that play through Wine's video renderer to the end.
#include <gtest/gtest.h>

#include "FilterTestSupport.h"
#include "StandinFilters.h"
#include "fixtures/FixtureGraph.h"
#include "graph/IMeridel.h"

namespace
{
const DWORD kEndDeadlineMs = 10000;

class RegisteredFilters : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(m_com.Result()));
        ASSERT_TRUE(m_module.IsLoaded()) << "C:\\standins\\standinfilters.dll is not in the prefix";
        ASSERT_EQ(0, m_module.LiveObjects());
    }
    // Every reference the test took, the graph's included, must be gone.
    void TearDown() override { EXPECT_EQ(0, m_module.LiveObjects()); }

    CComScope m_com;
    CStandinModule m_module;
};
}

TEST_F(RegisteredFilters, ModuleServesEveryClassAndCountsItsObjects)
{
    typedef HRESULT(STDAPICALLTYPE * PFN_GET_CLASS_OBJECT)(REFCLSID, REFIID, void**);
    typedef HRESULT(STDAPICALLTYPE * PFN_CAN_UNLOAD)();
    PFN_GET_CLASS_OBJECT pfnGet = reinterpret_cast<PFN_GET_CLASS_OBJECT>(
        reinterpret_cast<void*>(m_module.Export("DllGetClassObject")));
    PFN_CAN_UNLOAD pfnCanUnload = reinterpret_cast<PFN_CAN_UNLOAD>(
        reinterpret_cast<void*>(m_module.Export("DllCanUnloadNow")));
    ASSERT_NE(nullptr, pfnGet);
    ASSERT_NE(nullptr, pfnCanUnload);
    EXPECT_EQ(S_OK, pfnCanUnload());

    const CLSID* kClasses[] = {&CLSID_PatternSource, &CLSID_Meridel, &CLSID_SampleTap};
    for (const CLSID* pClsid : kClasses)
    {
        CComPtr<IClassFactory> spFactory;
        ASSERT_EQ(S_OK, pfnGet(*pClsid, IID_IClassFactory, reinterpret_cast<void**>(&spFactory)));
        EXPECT_EQ(S_FALSE, pfnCanUnload());

        // Created through the registry, the filter lives in this very copy of the module.
        CComPtr<IBaseFilter> spFilter;
        ASSERT_EQ(S_OK, CoCreateInstance(*pClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         reinterpret_cast<void**>(&spFilter)));
        CLSID clsid = GUID_NULL;
        ASSERT_EQ(S_OK, spFilter->GetClassID(&clsid));
        EXPECT_EQ(*pClsid, clsid);
        LONG lWithFilter = m_module.LiveObjects();
        EXPECT_GE(lWithFilter, 3) << "factory, filter and its pins";
        spFilter.Release();
        EXPECT_LT(m_module.LiveObjects(), lWithFilter);
    }
    EXPECT_EQ(S_OK, pfnCanUnload());

    CComPtr<IClassFactory> spNone;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, pfnGet(IID_IMeridel, IID_IClassFactory, reinterpret_cast<void**>(&spNone)));
    EXPECT_EQ(nullptr, spNone.p);
}

enum EGraphOrigin
{
    eBuiltInCode,    // the fixture's chain built with AddFilter and ConnectDirect
    eLoadedFromFile  // the fixture's graph file loaded by the graph manager
};

struct SPlayCase
{
    const char* m_pszWhat;
    LPCWSTR m_pszFixture;
    EGraphOrigin m_eOrigin;
};

class Playback : public RegisteredFilters, public ::testing::WithParamInterface<SPlayCase>
{
};

TEST_P(Playback, PlaysToTheEndInAVideoWindowOfTheSourceSize)
{
    const SPlayCase& c = GetParam();
    const SFixture* pFixture = FindFixture(c.m_pszFixture);
    ASSERT_NE(nullptr, pFixture);
    {
        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, CreateGraph(&spGraph));
        if (c.m_eOrigin == eBuiltInCode)
        {
            ASSERT_EQ(S_OK, BuildFixtureGraph(*pFixture, spGraph));
        }
        else
        {
            SGraphLoad load = LoadGraphFile(FixturePathOf(c.m_pszFixture).data(), spGraph);
            ASSERT_EQ(S_OK, load.m_hrLoad) << std::hex << load.m_hrOpen << " " << load.m_hrStream;
        }

        CComPtr<IBasicVideo> spBasic;
        ASSERT_EQ(S_OK, spGraph.QueryInterface(IID_IBasicVideo, &spBasic));
        long lVideoWidth = 0;
        long lVideoHeight = 0;
        ASSERT_EQ(S_OK, spBasic->GetVideoSize(&lVideoWidth, &lVideoHeight));
        EXPECT_EQ(pFixture->m_pClip->m_lWidth, lVideoWidth);
        EXPECT_EQ(pFixture->m_pClip->m_lHeight, lVideoHeight);

        // The renderer sizes its window so that the picture fills the client area.
        CComPtr<IVideoWindow> spWindow;
        ASSERT_EQ(S_OK, spGraph.QueryInterface(IID_IVideoWindow, &spWindow));
        long lStyle = 0;
        long lExStyle = 0;
        ASSERT_EQ(S_OK, spWindow->get_WindowStyle(&lStyle));
        ASSERT_EQ(S_OK, spWindow->get_WindowStyleEx(&lExStyle));
        RECT rcExpected = {0, 0, lVideoWidth, lVideoHeight};
        ASSERT_TRUE(AdjustWindowRectEx(&rcExpected, static_cast<DWORD>(lStyle), FALSE, static_cast<DWORD>(lExStyle)));
        long lWidth = 0;
        long lHeight = 0;
        ASSERT_EQ(S_OK, spWindow->get_Width(&lWidth));
        ASSERT_EQ(S_OK, spWindow->get_Height(&lHeight));
        EXPECT_EQ(rcExpected.right - rcExpected.left, lWidth);
        EXPECT_EQ(rcExpected.bottom - rcExpected.top, lHeight);

        CComPtr<IMediaControl> spControl;
        ASSERT_EQ(S_OK, spGraph.QueryInterface(IID_IMediaControl, &spControl));
        CComPtr<IMediaEvent> spEvent;
        ASSERT_EQ(S_OK, spGraph.QueryInterface(IID_IMediaEvent, &spEvent));
        ASSERT_TRUE(SUCCEEDED(spControl->Run()));
        std::vector<long> vecEvents;
        bool bEnded = WaitForGraphEvent(spEvent, EC_COMPLETE, kEndDeadlineMs, &vecEvents);
        long lVisible = 0;
        spWindow->get_Visible(&lVisible);
        EXPECT_EQ(S_OK, spControl->Stop());
        EXPECT_TRUE(bEnded) << "no EC_COMPLETE within the deadline";
        EXPECT_EQ(OATRUE, lVisible) << "the renderer showed its window while playing";
        for (long lCode : vecEvents)
            EXPECT_NE(EC_ERRORABORT, lCode);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Playback,
                         ::testing::Values(SPlayCase{"short_built", L"short.grf", eBuiltInCode},
                                           SPlayCase{"nosync_built", L"nosync.grf", eBuiltInCode},
                                           SPlayCase{"short_file", L"short.grf", eLoadedFromFile},
                                           SPlayCase{"nosync_file", L"nosync.grf", eLoadedFromFile},
                                           SPlayCase{"demo_file", DEMO_GRAPH_NAME_W, eLoadedFromFile}),
                         [](const ::testing::TestParamInfo<SPlayCase>& info) { return std::string(info.param.m_pszWhat); });
