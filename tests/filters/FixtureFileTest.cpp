// The graph files in the prefix: each exists, the good ones hold the chain and the
// synchronizer settings they were written with, and the broken ones fail at their step.
#include <gtest/gtest.h>

#include <math.h>

#include "FilterTestSupport.h"
#include "PinSearch.h"
#include "StandinFilters.h"
#include "fixtures/FixtureTable.h"
#include "graph/IMeridel.h"

namespace
{
class FixtureFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(m_com.Result()));
        ASSERT_TRUE(m_module.IsLoaded());
    }
    void TearDown() override { EXPECT_EQ(0, m_module.LiveObjects()); }

    CComScope m_com;
    CStandinModule m_module;
};

std::vector<const SFixture*> FixturesOfKind(bool bGraphs)
{
    size_t cFixtures = 0;
    const SFixture* pFixtures = FixtureTable(&cFixtures);
    std::vector<const SFixture*> vec;
    for (size_t i = 0; i < cFixtures; ++i)
    {
        if ((pFixtures[i].m_eKind == eFixtureGraph) == bGraphs)
            vec.push_back(&pFixtures[i]);
    }
    return vec;
}

// The standard renderers name their pins as they like: their first pin of the direction.
HRESULT FirstPinOf(IBaseFilter* pFilter, PIN_DIRECTION dirWanted, IPin** ppPin)
{
    return FindPinByInfo(pFilter, nullptr, &dirWanted, ppPin);
}

std::string Narrow(LPCWSTR psz)
{
    std::string str;
    for (; *psz; ++psz)
        str += static_cast<char>(*psz < 128 ? *psz : '?');
    return str;
}
}

TEST_F(FixtureFiles, EveryFileIsWhereTheTableSays)
{
    size_t cFixtures = 0;
    const SFixture* pFixtures = FixtureTable(&cFixtures);
    for (size_t i = 0; i < cFixtures; ++i)
    {
        std::vector<WCHAR> vecPath = FixturePathOf(pFixtures[i].m_pszName);
        DWORD dwAttributes = GetFileAttributesW(vecPath.data());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, dwAttributes) << Narrow(vecPath.data());
        EXPECT_EQ(0u, dwAttributes & FILE_ATTRIBUTE_DIRECTORY) << Narrow(vecPath.data());
    }
}

TEST_F(FixtureFiles, GraphFilesHoldTheirChainAndSettings)
{
    for (const SFixture* pFixture : FixturesOfKind(true))
    {
        SCOPED_TRACE(Narrow(pFixture->m_pszName));
        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, CreateGraph(&spGraph));
        SGraphLoad load = LoadGraphFile(FixturePathOf(pFixture->m_pszName).data(), spGraph);
        ASSERT_EQ(S_OK, load.m_hrOpen);
        ASSERT_EQ(S_OK, load.m_hrStream);
        ASSERT_EQ(S_OK, load.m_hrLoad);

        if (!pFixture->m_pClip)
        {
            // Video alone from the pattern source, through the synchronizer to the renderer.
            CComPtr<IBaseFilter> spPattern;
            EXPECT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_PatternSource, &spPattern));
            CComPtr<IBaseFilter> spVideoRenderer;
            EXPECT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_VideoRenderer, &spVideoRenderer));
            CComPtr<IBaseFilter> spNoSound;
            EXPECT_EQ(S_FALSE, FindFilterByClass(spGraph, CLSID_DSoundRender, &spNoSound));
            continue;
        }
        // A user's graph: the clip read by File Source (Async), split by the AVI Splitter.
        CComPtr<IBaseFilter> spSource;
        ASSERT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_AsyncReader, &spSource));
        CComPtr<IFileSourceFilter> spFile;
        ASSERT_EQ(S_OK, spSource.QueryInterface(IID_IFileSourceFilter, &spFile));
        LPOLESTR pszFile = nullptr;
        AM_MEDIA_TYPE mtFile = {};
        ASSERT_EQ(S_OK, spFile->GetCurFile(&pszFile, &mtFile));
        EXPECT_EQ(0, lstrcmpiW(pFixture->m_pClip->m_pszPath, pszFile)) << Narrow(pszFile);
        CoTaskMemFree(pszFile);
        if (mtFile.pbFormat)
            CoTaskMemFree(mtFile.pbFormat);
        CComPtr<IBaseFilter> spSplitter;
        EXPECT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_AviSplitter, &spSplitter));

        CComPtr<IBaseFilter> spSync;
        EXPECT_EQ(pFixture->m_bSynchronizer ? S_OK : S_FALSE, FindFilterByClass(spGraph, CLSID_Meridel, &spSync));
        if (spSync)
        {
            std::vector<BYTE> vecSync = SaveRecordOf(spSync);
            SSyncConfig sync = {};
            ASSERT_EQ(S_OK, UnpackSyncConfig(vecSync.data(), static_cast<ULONG>(vecSync.size()), &sync));
            EXPECT_EQ(pFixture->m_sync.m_dDurationSeconds, sync.m_dDurationSeconds);
            EXPECT_EQ(pFixture->m_sync.m_bRefuseInterface, sync.m_bRefuseInterface);
            EXPECT_EQ(pFixture->m_sync.m_hrSetResult, sync.m_hrSetResult);
            EXPECT_EQ(pFixture->m_sync.m_dGranularitySeconds, sync.m_dGranularitySeconds);
        }

        CComPtr<IBaseFilter> spRenderer;
        EXPECT_EQ(pFixture->m_bRenderer ? S_OK : S_FALSE, FindFilterByClass(spGraph, CLSID_VideoRenderer, &spRenderer));
        CComPtr<IBaseFilter> spSound;
        ASSERT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_DSoundRender, &spSound));
        CComPtr<IBaseFilter> spTap;
        EXPECT_EQ(pFixture->m_bTaps ? S_OK : S_FALSE, FindFilterByClass(spGraph, CLSID_SampleTap, &spTap));

        // The sound reaches its renderer from the synchronizer's audio output (through the
        // tap in the measuring graph), or straight from the splitter.
        CComPtr<IPin> spSoundIn;
        ASSERT_EQ(S_OK, FirstPinOf(spSound, PINDIR_INPUT, &spSoundIn));
        CComPtr<IPin> spPeer;
        ASSERT_EQ(S_OK, spSoundIn->ConnectedTo(&spPeer));
        PIN_INFO info = {};
        ASSERT_EQ(S_OK, spPeer->QueryPinInfo(&info));
        IBaseFilter* pExpected = spTap ? spTap.p : spSync ? spSync.p : spSplitter.p;
        EXPECT_TRUE(SameObject(info.pFilter, pExpected));
        if (spSync && !spTap)
        {
            EXPECT_STREQ(STANDIN_PIN_AUDIO_OUT_W, info.achName);
        }
        info.pFilter->Release();
    }
}

struct SControlCase
{
    const char* m_pszWhat;
    LPCWSTR m_pszFixture;
    HRESULT m_hrQuery;
    double m_dInitial;
    double m_dSet;
    HRESULT m_hrSet;
    double m_dAfter;
};

class FixtureControl : public FixtureFiles, public ::testing::WithParamInterface<SControlCase>
{
};

TEST_P(FixtureControl, SynchronizerFoundByClassAnswersAsWritten)
{
    const SControlCase& c = GetParam();
    CComPtr<IGraphBuilder> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(&spGraph));
    ASSERT_EQ(S_OK, LoadGraphFile(FixturePathOf(c.m_pszFixture).data(), spGraph).m_hrLoad);
    CComPtr<IBaseFilter> spSync;
    ASSERT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_Meridel, &spSync));
    CComPtr<IMeridel> spMeridel;
    EXPECT_EQ(c.m_hrQuery, spSync.QueryInterface(IID_IMeridel, &spMeridel));
    if (!spMeridel)
    {
        EXPECT_NE(S_OK, c.m_hrQuery);
        return;
    }
    double d = -1.0;
    ASSERT_EQ(S_OK, spMeridel->GetMaxAudioSampleDuration(&d));
    EXPECT_EQ(c.m_dInitial, d);
    EXPECT_EQ(c.m_hrSet, spMeridel->SetMaxAudioSampleDuration(c.m_dSet));
    ASSERT_EQ(S_OK, spMeridel->GetMaxAudioSampleDuration(&d));
    EXPECT_NEAR(c.m_dAfter, d, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixtureControl,
    ::testing::Values(SControlCase{"demo", DEMO_GRAPH_NAME_W, S_OK, 0.0, 0.04, S_OK, 0.04},
                      SControlCase{"short", L"short.grf", S_OK, 0.0, 0.251, S_OK, 0.251},
                      SControlCase{"novideo", L"novideo.grf", S_OK, 0.0, 0.1, S_OK, 0.1},
                      SControlCase{"rounding", L"rounding.grf", S_OK, 0.2506, 0.251, S_OK, 0.25},
                      SControlCase{"setfail", L"setfail.grf", S_OK, 0.0, 0.1, E_NOTIMPL, 0.0},
                      SControlCase{"refuse", L"refuse.grf", E_NOINTERFACE, 0.0, 0.0, S_OK, 0.0}),
    [](const ::testing::TestParamInfo<SControlCase>& info) { return std::string(info.param.m_pszWhat); });

TEST_F(FixtureFiles, BrokenFilesFailAtTheirOwnStep)
{
    const struct
    {
        LPCWSTR m_pszName;
        bool m_bOpens;
        bool m_bHasStream;
    } kCases[] = {
        {L"notcompound.grf", false, false},
        {L"nostream.grf", true, false},
        {L"badstream.grf", true, true},
    };
    ASSERT_EQ(sizeof(kCases) / sizeof(kCases[0]), FixturesOfKind(false).size()) << "a broken file without a case";
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(Narrow(c.m_pszName));
        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, CreateGraph(&spGraph));
        SGraphLoad load = LoadGraphFile(FixturePathOf(c.m_pszName).data(), spGraph);
        if (!c.m_bOpens)
        {
            EXPECT_NE(S_OK, load.m_hrOpen);
            EXPECT_NE(STG_E_FILENOTFOUND, load.m_hrOpen) << "the file must exist and still fail";
            continue;
        }
        ASSERT_EQ(S_OK, load.m_hrOpen);
        if (!c.m_bHasStream)
        {
            EXPECT_NE(S_OK, load.m_hrStream);
            continue;
        }
        ASSERT_EQ(S_OK, load.m_hrStream);
        EXPECT_LT(load.m_hrLoad, 0);
    }
}

TEST_F(FixtureFiles, GraphWithoutRendererRunsAndStopsWithoutAVideoWindow)
{
    CComPtr<IGraphBuilder> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(&spGraph));
    ASSERT_EQ(S_OK, LoadGraphFile(FixturePathOf(L"novideo.grf").data(), spGraph).m_hrLoad);
    CComPtr<IVideoWindow> spWindow;
    ASSERT_EQ(S_OK, spGraph.QueryInterface(IID_IVideoWindow, &spWindow));
    long lWidth = 0;
    EXPECT_LT(spWindow->get_Width(&lWidth), 0) << "no renderer, no video window";

    // The synchronizer drops what it cannot pass on, so nothing holds up the stop.
    CComPtr<IMediaControl> spControl;
    ASSERT_EQ(S_OK, spGraph.QueryInterface(IID_IMediaControl, &spControl));
    EXPECT_TRUE(SUCCEEDED(spControl->Run()));
    OAFilterState state = State_Stopped;
    EXPECT_EQ(S_OK, spControl->GetState(10000, &state));
    EXPECT_EQ(State_Running, state);
    EXPECT_EQ(S_OK, spControl->Stop());
}
