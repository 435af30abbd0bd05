// The graph files in the prefix: each exists, the good ones hold the chain and the
// synchronizer settings they were written with, and the broken ones fail at their step.
#include <gtest/gtest.h>

#include <math.h>

#include <string>

#include "EarlierLayout.h"
#include "FilterTestSupport.h"
#include "GrfParser.h"
#include "GrfWriter.h"
#include "RealGraphFiles.h"
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

namespace
{
HRESULT LoadGraphBytes(IGraphBuilder* pGraph, const std::vector<BYTE>& vecText)
{
    CComPtr<IStream> spStream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &spStream);
    if (FAILED(hr))
        return hr;
    ULONG cbWritten = 0;
    hr = spStream->Write(vecText.data(), static_cast<ULONG>(vecText.size()), &cbWritten);
    if (FAILED(hr))
        return hr;
    LARGE_INTEGER liZero = {};
    spStream->Seek(liZero, STREAM_SEEK_SET, nullptr);
    CComPtr<IPersistStream> spPersist;
    hr = CComPtr<IUnknown>(pGraph).QueryInterface(&spPersist);
    return FAILED(hr) ? hr : spPersist->Load(spStream);
}

HRESULT SaveGraphBytes(IGraphBuilder* pGraph, std::vector<BYTE>& vecText)
{
    CComPtr<IPersistStream> spPersist;
    HRESULT hr = CComPtr<IUnknown>(pGraph).QueryInterface(&spPersist);
    if (FAILED(hr))
        return hr;
    vecText = SaveRecordOf(spPersist, FALSE);
    return vecText.empty() ? E_FAIL : S_OK;
}

size_t FilterCount(IGraphBuilder* pGraph)
{
    CComPtr<IEnumFilters> spEnum;
    if (FAILED(pGraph->EnumFilters(&spEnum)))
        return 0;
    size_t c = 0;
    ULONG cFetched = 0;
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK; spFilter.Release())
        ++c;
    return c;
}

// Filters and connected pins of a graph: a whole demo graph has 5 filters, 10 pins linked.
void CountGraph(IGraphBuilder* pGraph, size_t* pcFilters, size_t* pcConnectedPins)
{
    *pcFilters = 0;
    *pcConnectedPins = 0;
    CComPtr<IEnumFilters> spEnum;
    ASSERT_EQ(S_OK, pGraph->EnumFilters(&spEnum));
    ULONG cFetched = 0;
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK; spFilter.Release())
    {
        ++*pcFilters;
        CComPtr<IEnumPins> spPins;
        ASSERT_EQ(S_OK, spFilter->EnumPins(&spPins));
        for (CComPtr<IPin> spPin; spPins->Next(1, &spPin, &cFetched) == S_OK; spPin.Release())
        {
            CComPtr<IPin> spPeer;
            if (spPin->ConnectedTo(&spPeer) == S_OK)
                ++*pcConnectedPins;
        }
    }
}
}  // namespace

// Every graph file the prefix holds is in Windows' layout: the writer gives back its bytes
// from the text alone, and the graph manager, loading the file with its filters and
// saving it again, gives back the very same bytes.
TEST_F(FixtureFiles, GraphFilesAreInWindowsLayoutAndSaveBackByteForByte)
{
    for (const SFixture* pFixture : FixturesOfKind(true))
    {
        SCOPED_TRACE(Narrow(pFixture->m_pszName));
        std::vector<BYTE> vecFile;
        ASSERT_EQ(S_OK, ReadGraphStream(FixturePathOf(pFixture->m_pszName).data(), vecFile));
        CGrfGraphDesc desc;
        ASSERT_EQ(S_OK, ParseGrfText(vecFile.data(), vecFile.size(), desc, nullptr));
        std::vector<BYTE> vecWritten;
        ASSERT_EQ(S_OK, WriteGrfText(desc, vecWritten));
        EXPECT_TRUE(vecWritten == vecFile) << "the file is not in the layout the writer writes";

        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, CreateGraph(&spGraph));
        ASSERT_EQ(S_OK, LoadGraphBytes(spGraph, vecFile));
        std::vector<BYTE> vecSaved;
        ASSERT_EQ(S_OK, SaveGraphBytes(spGraph, vecSaved));
        EXPECT_TRUE(vecSaved == vecFile) << "loaded and saved: " << vecSaved.size() << " bytes against "
                                         << vecFile.size();
    }
}

// The demo graph as this graph manager wrote it before it followed Windows' layout, as
// prefixes made earlier hold it, still loads whole.
TEST_F(FixtureFiles, DemoGraphInTheEarlierLayoutLoadsWhole)
{
    std::vector<BYTE> vecFile;
    ASSERT_EQ(S_OK, ReadGraphStream(FixturePathOf(DEMO_GRAPH_NAME_W).data(), vecFile));
    CGrfGraphDesc desc;
    ASSERT_EQ(S_OK, ParseGrfText(vecFile.data(), vecFile.size(), desc, nullptr));
    std::vector<BYTE> vecEarlier = EarlierLayoutText(desc);
    ASSERT_FALSE(vecEarlier == vecFile);

    CComPtr<IGraphBuilder> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(&spGraph));
    ASSERT_EQ(S_OK, LoadGraphBytes(spGraph, vecEarlier));
    size_t cFilters = 0, cPins = 0;
    CountGraph(spGraph, &cFilters, &cPins);
    EXPECT_EQ(5u, cFilters);
    EXPECT_EQ(10u, cPins);
}

// A graph with one filter that is not registered here, among present ones, wherever it
// stands: the class's own code, and nothing of the partial graph left in the graph or
// alive (the fixture's tear-down checks the stand-in filters' live objects).
TEST_F(FixtureFiles, OneMissingFilterAmongPresentOnesLeavesNothing)
{
    const GUID kUnregistered = {0x0DDBA11, 0x1234, 0x4321, {0x80, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};
    std::vector<BYTE> vecFile;
    ASSERT_EQ(S_OK, ReadGraphStream(FixturePathOf(DEMO_GRAPH_NAME_W).data(), vecFile));
    CGrfGraphDesc demo;
    ASSERT_EQ(S_OK, ParseGrfText(vecFile.data(), vecFile.size(), demo, nullptr));
    ASSERT_EQ(5u, demo.m_vecFilters.size());
    for (size_t iMissing : {size_t(0), size_t(2), size_t(4)})
    {
        SCOPED_TRACE("missing filter " + std::to_string(iMissing + 1) + " of 5");
        CGrfGraphDesc desc = demo;
        desc.m_vecFilters[iMissing].m_clsid = kUnregistered;
        std::vector<BYTE> vecText;
        ASSERT_EQ(S_OK, WriteGrfText(desc, vecText));
        {
            CComPtr<IGraphBuilder> spGraph;
            ASSERT_EQ(S_OK, CreateGraph(&spGraph));
            EXPECT_EQ(REGDB_E_CLASSNOTREG, LoadGraphBytes(spGraph, vecText));
            EXPECT_EQ(0u, FilterCount(spGraph));
        }
        EXPECT_EQ(0, m_module.LiveObjects());
    }
}

// Graph files saved on Windows (../shared/realgrf beside the repository): their filters
// are third-party and absent here, so each fails with the class's own code, never with a
// format error, and leaves the graph empty.
TEST_F(FixtureFiles, RealGraphFilesFailOnlyForTheirMissingFilters)
{
    std::vector<CRealGraphFile> files;
    if (!ListRealGraphFiles(files))
        GTEST_SKIP() << "no graph files saved on Windows beside the repository (../shared/realgrf is absent)";
    ASSERT_FALSE(files.empty());
    for (const CRealGraphFile& file : files)
    {
        SCOPED_TRACE(file.m_strName);
        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, CreateGraph(&spGraph));
        SGraphLoad load = LoadGraphFile(file.m_strPath.c_str(), spGraph);
        ASSERT_EQ(S_OK, load.m_hrOpen);
        ASSERT_EQ(S_OK, load.m_hrStream);
        EXPECT_EQ(REGDB_E_CLASSNOTREG, load.m_hrLoad);
        EXPECT_EQ(0u, FilterCount(spGraph));
    }
}
