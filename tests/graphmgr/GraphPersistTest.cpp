// Saving and loading graphs through the graph manager's IPersistStream, with system
// filters and with the test filter (persisted bytes, typed connections, a clock).
#include <gtest/gtest.h>

#include <ostream>

#include <vfwmsgs.h>

#include <functional>
#include <set>

#include "GraphFacts.h"
#include "GraphTestSupport.h"
#include "GrfGraphDesc.h"
#include "GrfTestBytes.h"
#include "GrfWriter.h"
#include "TestFilter.h"

namespace
{
// A file every prefix has, for the file source to open.
const wchar_t kSourceFile[] = L"C:\\windows\\win.ini";

CComPtr<IPersistStream> PersistOf(IUnknown* pGraph)
{
    CComPtr<IPersistStream> spPersist;
    pGraph->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist));
    return spPersist;
}

// File source -> sample grabber -> null renderer, plus an unconnected file writer: filters
// the system provides. (This file writer cannot report its target file, so the graph is
// saved without it; SINK lines are exercised with the test filter.)
void BuildSystemGraph(IUnknown* pGraph)
{
    CComPtr<IBaseFilter> spSource, spGrabber, spNull, spWriter;
    ASSERT_EQ(S_OK, AddFilter(pGraph, CLSID_AsyncReader, L"File Source", spSource));
    ASSERT_EQ(S_OK, AddFilter(pGraph, kClsidSampleGrabber, L"Grabber", spGrabber));
    ASSERT_EQ(S_OK, AddFilter(pGraph, kClsidNullRenderer, L"Null Renderer", spNull));
    ASSERT_EQ(S_OK, AddFilter(pGraph, CLSID_FileWriter, L"Writer", spWriter));

    CComPtr<IFileSourceFilter> spFileSource;
    ASSERT_EQ(S_OK, spSource.QueryInterface(&spFileSource));
    ASSERT_EQ(S_OK, spFileSource->Load(kSourceFile, nullptr));
    CComPtr<IFileSinkFilter> spFileSink;
    ASSERT_EQ(S_OK, spWriter.QueryInterface(&spFileSink));
    ASSERT_EQ(S_OK, spFileSink->SetFileName(L"C:\\grf test output.avi", nullptr));

    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Stream;
    ASSERT_EQ(S_OK, ConnectPins(pGraph, spSource, L"Output", spGrabber, L"Input", &mt));
    ASSERT_EQ(S_OK, ConnectPins(pGraph, spGrabber, L"Output", spNull, L"In", &mt));
}

// Two test filters in a chain ending at the system video renderer, each link RGB32 video
// with a VIDEOINFOHEADER; configuration bytes that look like graph text; the middle filter
// has a target file and is the graph's clock.
void BuildTestFilterGraph(IUnknown* pGraph)
{
    CComPtr<IBaseFilter> spSource, spMiddle, spRenderer;
    ASSERT_EQ(S_OK, AddFilter(pGraph, CLSID_GrfTestFilter, L"Test Source", spSource));
    ASSERT_EQ(S_OK, AddFilter(pGraph, CLSID_GrfTestFilter, L"Middle", spMiddle));
    ASSERT_EQ(S_OK, AddFilter(pGraph, CLSID_VideoRenderer, L"Video Renderer", spRenderer));
    ASSERT_EQ(S_OK, SetTestFilterConfig(spSource, TrickyBytes(41)));
    ASSERT_EQ(S_OK, SetTestFilterConfig(spMiddle, TrickyBytes(6)));
    CComPtr<IFileSinkFilter> spSink;
    ASSERT_EQ(S_OK, spMiddle.QueryInterface(&spSink));
    ASSERT_EQ(S_OK, spSink->SetFileName(L"D:\\captures\\out file.avi", nullptr));

    VIDEOINFOHEADER vih;
    AM_MEDIA_TYPE mt = GrfTestVideoType(&vih);
    ASSERT_EQ(S_OK, ConnectPins(pGraph, spSource, L"Out", spMiddle, L"In", &mt));
    // A different frame rate on the second link, so swapped format blocks would show.
    vih.AvgTimePerFrame = 333333;
    ASSERT_EQ(S_OK, ConnectPins(pGraph, spMiddle, L"Out", spRenderer, L"Input", &mt));

    CComPtr<IMediaFilter> spMediaFilter;
    ASSERT_EQ(S_OK, pGraph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&spMediaFilter)));
    CComPtr<IReferenceClock> spClock;
    ASSERT_EQ(S_OK, spMiddle.QueryInterface(&spClock));
    ASSERT_EQ(S_OK, spMediaFilter->SetSyncSource(spClock));
}

std::wstring SyncSourceName(IUnknown* pGraph)
{
    CComPtr<IMediaFilter> spMediaFilter;
    CComPtr<IReferenceClock> spClock;
    if (FAILED(pGraph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&spMediaFilter))) ||
        FAILED(spMediaFilter->GetSyncSource(&spClock)) || !spClock)
        return L"(none)";
    CComPtr<IBaseFilter> spFilter;
    FILTER_INFO info = {};
    if (FAILED(spClock.QueryInterface(&spFilter)) || FAILED(spFilter->QueryFilterInfo(&info)))
        return L"(not a filter)";
    if (info.pGraph)
        info.pGraph->Release();
    return info.achName;
}

struct CRoundTripCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CRoundTripCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    std::function<void(IUnknown*)> m_build;
    size_t m_cFilters;
    size_t m_cLinks;
};

class GraphRoundTrip : public testing::TestWithParam<CRoundTripCase>
{
};

TEST_P(GraphRoundTrip, LoadedGraphEqualsSavedGraph)
{
    const CRoundTripCase& c = GetParam();
    CComPtr<IUnknown> spOriginal;
    ASSERT_EQ(S_OK, CreateGraph(spOriginal));
    c.m_build(spOriginal);
    if (HasFatalFailure())
        return;

    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, SaveGraph(spOriginal, vecText));
    ULARGE_INTEGER uliMax = {};
    ASSERT_EQ(S_OK, PersistOf(spOriginal)->GetSizeMax(&uliMax));
    EXPECT_GE(uliMax.QuadPart, vecText.size());

    CComPtr<IUnknown> spLoaded;
    ASSERT_EQ(S_OK, CreateGraph(spLoaded));
    ASSERT_EQ(HrText(S_OK), HrText(LoadGraph(spLoaded, vecText)));

    CGraphFacts original, loaded;
    ASSERT_EQ(S_OK, CollectGraphFacts(spOriginal, original));
    ASSERT_EQ(S_OK, CollectGraphFacts(spLoaded, loaded));
    EXPECT_EQ(c.m_cFilters, original.m_setFilters.size());
    EXPECT_EQ(c.m_cLinks, original.m_setLinks.size());
    EXPECT_EQ(original.m_setFilters, loaded.m_setFilters);
    EXPECT_EQ(original.m_setLinks, loaded.m_setLinks);
    EXPECT_EQ(SyncSourceName(spOriginal), SyncSourceName(spLoaded));

    // Saving the loaded graph gives the same text again: nothing drifts per round.
    std::vector<BYTE> vecAgain;
    ASSERT_EQ(S_OK, SaveGraph(spLoaded, vecAgain));
    EXPECT_EQ(vecText, vecAgain);
}

INSTANTIATE_TEST_SUITE_P(Table, GraphRoundTrip,
                         testing::Values(CRoundTripCase{"SystemFilters", BuildSystemGraph, 4, 2},
                                         CRoundTripCase{"TestFiltersWithDataTypesAndClock", BuildTestFilterGraph, 3, 2}),
                         [](const testing::TestParamInfo<CRoundTripCase>& info) { return info.param.m_pszName; });

TEST(GraphPersistence, TestFilterGraphKeepsItsClockAndDistinctFormats)
{
    CComPtr<IUnknown> spOriginal, spLoaded;
    ASSERT_EQ(S_OK, CreateGraph(spOriginal));
    BuildTestFilterGraph(spOriginal);
    if (HasFatalFailure())
        return;
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, SaveGraph(spOriginal, vecText));
    ASSERT_EQ(S_OK, CreateGraph(spLoaded));
    ASSERT_EQ(S_OK, LoadGraph(spLoaded, vecText));

    EXPECT_EQ(L"Middle", SyncSourceName(spLoaded));
    CGraphFacts facts;
    ASSERT_EQ(S_OK, CollectGraphFacts(spLoaded, facts));
    ASSERT_EQ(2u, facts.m_setLinks.size());
    // The two links differ only in their format blocks; both must have survived.
    EXPECT_NE(facts.m_setLinks.begin()->substr(facts.m_setLinks.begin()->find(L'|')),
              facts.m_setLinks.rbegin()->substr(facts.m_setLinks.rbegin()->find(L'|')));
}

TEST(GraphPersistence, GetClassIdNamesTheFilterGraphClass)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    CLSID clsid = {};
    ASSERT_EQ(S_OK, PersistOf(spGraph)->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_FilterGraph, clsid));
}

TEST(GraphPersistence, IsDirtyFollowsChangesSavesAndLoads)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    CComPtr<IPersistStream> spPersist = PersistOf(spGraph);
    EXPECT_EQ(S_FALSE, spPersist->IsDirty()) << "a new, empty graph";

    CComPtr<IBaseFilter> spFilter;
    ASSERT_EQ(S_OK, AddFilter(spGraph, CLSID_GrfTestFilter, L"F", spFilter));
    EXPECT_EQ(S_OK, spPersist->IsDirty()) << "after adding a filter";

    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, SaveGraph(spGraph, vecText, FALSE));
    EXPECT_EQ(S_OK, spPersist->IsDirty()) << "a save that keeps the dirty state";
    ASSERT_EQ(S_OK, SaveGraph(spGraph, vecText, TRUE));
    EXPECT_EQ(S_FALSE, spPersist->IsDirty()) << "after a clearing save";

    ASSERT_EQ(S_OK, SetTestFilterConfig(spFilter, {1, 2, 3}));
    EXPECT_EQ(S_OK, spPersist->IsDirty()) << "after a filter's own data changed";

    CComPtr<IUnknown> spLoaded;
    ASSERT_EQ(S_OK, CreateGraph(spLoaded));
    ASSERT_EQ(S_OK, LoadGraph(spLoaded, vecText));
    EXPECT_EQ(S_FALSE, PersistOf(spLoaded)->IsDirty()) << "right after a load";
}

TEST(GraphPersistence, GetSizeMaxCoversWhatSaveWrites)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    BuildTestFilterGraph(spGraph);
    if (HasFatalFailure())
        return;
    ULARGE_INTEGER uliMax = {};
    ASSERT_EQ(S_OK, PersistOf(spGraph)->GetSizeMax(&uliMax));
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, SaveGraph(spGraph, vecText));
    EXPECT_GE(uliMax.QuadPart, vecText.size());
    EXPECT_GT(vecText.size(), 88u * 2);  // two format blocks at least
}

TEST(GraphPersistence, LoadLeavesTheStreamRightAfterTheGraph)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    BuildTestFilterGraph(spGraph);
    if (HasFatalFailure())
        return;
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, SaveGraph(spGraph, vecText));

    CComPtr<IStream> spStream;
    ASSERT_EQ(S_OK, StreamOnBytes(vecText + Text(L"\r\ntrailing data of someone else"), spStream));
    CComPtr<IUnknown> spLoaded;
    ASSERT_EQ(S_OK, CreateGraph(spLoaded));
    ASSERT_EQ(S_OK, PersistOf(spLoaded)->Load(spStream));
    LARGE_INTEGER liZero = {};
    ULARGE_INTEGER uliPos = {};
    ASSERT_EQ(S_OK, spStream->Seek(liZero, STREAM_SEEK_CUR, &uliPos));
    EXPECT_EQ(vecText.size(), uliPos.QuadPart);
}

// The way the tool reads a graph file: a compound file opened read-only and exclusive,
// its "ActiveMovieGraph" stream handed to Load.
TEST(GraphPersistence, LoadsFromTheGraphStreamOfACompoundFile)
{
    CComPtr<IUnknown> spOriginal;
    ASSERT_EQ(S_OK, CreateGraph(spOriginal));
    BuildSystemGraph(spOriginal);
    if (HasFatalFailure())
        return;

    wchar_t szDir[MAX_PATH] = {}, szFile[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, szDir));
    ASSERT_NE(0u, GetTempFileNameW(szDir, L"grf", 0, szFile));
    {
        CComPtr<IStorage> spStorage;
        ASSERT_EQ(S_OK, StgCreateDocfile(szFile, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &spStorage));
        CComPtr<IStream> spStream;
        ASSERT_EQ(S_OK, spStorage->CreateStream(L"ActiveMovieGraph", STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE,
                                                0, 0, &spStream));
        ASSERT_EQ(S_OK, PersistOf(spOriginal)->Save(spStream, TRUE));
        ASSERT_EQ(S_OK, spStorage->Commit(STGC_DEFAULT));
    }

    CComPtr<IUnknown> spLoaded;
    ASSERT_EQ(S_OK, CreateGraph(spLoaded));
    {
        CComPtr<IStorage> spStorage;
        ASSERT_EQ(S_OK, StgOpenStorage(szFile, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &spStorage));
        CComPtr<IStream> spStream;
        ASSERT_EQ(S_OK, spStorage->OpenStream(L"ActiveMovieGraph", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &spStream));
        EXPECT_EQ(S_OK, PersistOf(spLoaded)->Load(spStream));
    }
    DeleteFileW(szFile);

    CGraphFacts original, loaded;
    ASSERT_EQ(S_OK, CollectGraphFacts(spOriginal, original));
    ASSERT_EQ(S_OK, CollectGraphFacts(spLoaded, loaded));
    EXPECT_EQ(original.m_setFilters, loaded.m_setFilters);
    EXPECT_EQ(original.m_setLinks, loaded.m_setLinks);
}

struct CBadTextCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CBadTextCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    Bytes m_vecText;
    HRESULT m_hrExpected;
};

class GraphLoadRejects : public testing::TestWithParam<CBadTextCase>
{
};

TEST_P(GraphLoadRejects, MalformedTextFailsAndBuildsNothing)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    EXPECT_EQ(HrText(GetParam().m_hrExpected), HrText(LoadGraph(spGraph, GetParam().m_vecText)));
    EXPECT_TRUE(GraphFilterNames(spGraph).empty());
}

const wchar_t kTestFilterLine[] = L"0001 \"A\" {6B0E1C36-3F0A-4F57-9F3C-5A1D2E7B9C01} 0000000000 \r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, GraphLoadRejects,
    testing::Values(
        CBadTextCase{"Empty", Bytes(), VFW_E_FILE_TOO_SHORT},
        CBadTextCase{"CutAfterFirstFilter", Text(L"0003\r\nFILTERS\r\n") + Text(kTestFilterLine), VFW_E_FILE_TOO_SHORT},
        CBadTextCase{"VersionFive", Text(L"0005\r\nFILTERS\r\nCONNECTIONS\r\nEND"), VFW_E_INVALID_FILE_VERSION},
        CBadTextCase{"QuoteNeverCloses", Text(L"0003\r\nFILTERS\r\n0001 \"A {6B0E1C36-3F0A-4F57-9F3C-5A1D2E7B9C01} 0"),
                     VFW_E_FILE_TOO_SHORT},
        CBadTextCase{"DataLengthPastEnd",
                     Text(L"0003\r\nFILTERS\r\n0001 \"A\" {6B0E1C36-3F0A-4F57-9F3C-5A1D2E7B9C01} 0000099999 abc"),
                     VFW_E_FILE_TOO_SHORT},
        CBadTextCase{"LinkToMissingFilter",
                     Text(L"0003\r\nFILTERS\r\n") + Text(kTestFilterLine) +
                         Text(L"CONNECTIONS\r\n0001 \"Out\" 0002 \"In\" 0000000000 {73646976-0000-0010-8000-00AA00389B71} "
                              L"{e436eb7e-524f-11ce-9f53-0020af0ba770} 0 0 0000000000 "
                              L"{00000000-0000-0000-0000-000000000000} 0000000000 \r\nEND"),
                     VFW_E_INVALID_FILE_FORMAT}),
    [](const testing::TestParamInfo<CBadTextCase>& info) { return info.param.m_pszName; });

// Failures while building: the failing call's own code comes back, and nothing of the
// partial graph is left, in the graph or alive.
struct CBuildFailureCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CBuildFailureCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    std::function<CGrfGraphDesc()> m_make;
    HRESULT m_hrExpected;
};

CGrfFilterDesc DescFilter(DWORD dwId, const wchar_t* pszName, const GUID& clsid, const Bytes& data = Bytes())
{
    CGrfFilterDesc filter;
    filter.m_dwId = dwId;
    filter.m_strName = pszName;
    filter.m_clsid = clsid;
    filter.m_vecData = data;
    return filter;
}

CGrfConnectionDesc DescLink(DWORD dwOut, const wchar_t* pszOut, DWORD dwIn, const wchar_t* pszIn,
                            const GUID& subtype = MEDIASUBTYPE_RGB32)
{
    VIDEOINFOHEADER vih;
    AM_MEDIA_TYPE mt = GrfTestVideoType(&vih);
    CGrfConnectionDesc link;
    link.m_dwOutId = dwOut;
    link.m_strOutPin = pszOut;
    link.m_dwInId = dwIn;
    link.m_strInPin = pszIn;
    link.m_mt.m_guidMajor = mt.majortype;
    link.m_mt.m_guidSub = subtype;
    link.m_mt.m_bFixedSize = true;
    link.m_mt.m_dwSampleSize = mt.lSampleSize;
    link.m_mt.m_guidFormat = mt.formattype;
    link.m_mt.m_vecFormat.assign(mt.pbFormat, mt.pbFormat + mt.cbFormat);
    return link;
}

CGrfGraphDesc DescGraph(std::vector<CGrfFilterDesc> filters, std::vector<CGrfConnectionDesc> links = {})
{
    CGrfGraphDesc graph;
    graph.m_vecFilters = filters;
    graph.m_vecConnections = links;
    return graph;
}

class GraphBuildFailure : public testing::TestWithParam<CBuildFailureCase>
{
};

TEST_P(GraphBuildFailure, ReturnsTheFailingCallsCodeAndLeavesNothing)
{
    const CBuildFailureCase& c = GetParam();
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, WriteGrfText(c.m_make(), vecText));
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));

    LONG cBefore = GrfTestFilterCount();
    EXPECT_EQ(HrText(c.m_hrExpected), HrText(LoadGraph(spGraph, vecText)));
    EXPECT_EQ(std::set<std::wstring>(), GraphFilterNames(spGraph));
    EXPECT_EQ(cBefore, GrfTestFilterCount()) << "test filters of the partial graph still alive";
    EXPECT_EQ(S_FALSE, PersistOf(spGraph)->IsDirty()) << "nothing was built, so nothing changed";
}

const Bytes kShortData = {0x09, 0x00};  // shorter than the test filter's own count field

INSTANTIATE_TEST_SUITE_P(
    Table, GraphBuildFailure,
    testing::Values(
        CBuildFailureCase{"UnknownClass",
                          [] {
                              return DescGraph({DescFilter(1, L"First", CLSID_GrfTestFilter),
                                                DescFilter(2, L"Second", kClsidUnregistered),
                                                DescFilter(3, L"Third", CLSID_GrfTestFilter)});
                          },
                          REGDB_E_CLASSNOTREG},
        CBuildFailureCase{"MissingPin",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter), DescFilter(2, L"B", CLSID_GrfTestFilter)},
                                               {DescLink(1, L"Out", 2, L"Nope")});
                          },
                          VFW_E_NOT_FOUND},
        CBuildFailureCase{"PinNameWithWrongDirection",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter), DescFilter(2, L"B", CLSID_GrfTestFilter)},
                                               {DescLink(1, L"In", 2, L"In")});
                          },
                          VFW_E_NOT_FOUND},
        CBuildFailureCase{"ConnectionRefused",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter), DescFilter(2, L"B", CLSID_GrfTestFilter)},
                                               {DescLink(1, L"Out", 2, L"In", MEDIASUBTYPE_GrfTestRefused)});
                          },
                          VFW_E_TYPE_NOT_ACCEPTED},
        CBuildFailureCase{"SecondConnectionRefused",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter), DescFilter(2, L"B", CLSID_GrfTestFilter),
                                                DescFilter(3, L"C", CLSID_GrfTestFilter)},
                                               {DescLink(1, L"Out", 2, L"In"),
                                                DescLink(2, L"Out", 3, L"In", MEDIASUBTYPE_GrfTestRefused)});
                          },
                          VFW_E_TYPE_NOT_ACCEPTED},
        // ConnectDirect's rule: no link may end where it starts or upstream of its start.
        CBuildFailureCase{"LinkBackIntoItsOwnFilter",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter)}, {DescLink(1, L"Out", 1, L"In")});
                          },
                          VFW_E_CIRCULAR_GRAPH},
        CBuildFailureCase{"LinkClosingACycle",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter), DescFilter(2, L"B", CLSID_GrfTestFilter),
                                                DescFilter(3, L"C", CLSID_GrfTestFilter)},
                                               {DescLink(1, L"Out", 2, L"In"), DescLink(2, L"Out", 3, L"In"),
                                                DescLink(3, L"Out", 1, L"In")});
                          },
                          VFW_E_CIRCULAR_GRAPH},
        CBuildFailureCase{"CycleClosedByALinkListedInTheMiddle",
                          [] {
                              return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter), DescFilter(2, L"B", CLSID_GrfTestFilter),
                                                DescFilter(3, L"C", CLSID_GrfTestFilter)},
                                               {DescLink(3, L"Out", 1, L"In"), DescLink(1, L"Out", 2, L"In"),
                                                DescLink(2, L"Out", 3, L"In")});
                          },
                          VFW_E_CIRCULAR_GRAPH},
        CBuildFailureCase{"FilterRejectsItsData",
                          [] { return DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter, kShortData)}); },
                          kGrfTestFilterBadData},
        CBuildFailureCase{"DataForFilterWithoutPersistence",
                          [] { return DescGraph({DescFilter(1, L"Null", kClsidNullRenderer, {1, 2, 3})}); },
                          E_NOINTERFACE},
        CBuildFailureCase{"SourceFileOnFilterThatReadsNoFiles",
                          [] {
                              CGrfGraphDesc g = DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter)});
                              g.m_vecFilters[0].m_eRole = eGrfSource;
                              g.m_vecFilters[0].m_strFile = L"C:\\x.avi";
                              return g;
                          },
                          E_NOINTERFACE}),
    [](const testing::TestParamInfo<CBuildFailureCase>& info) { return info.param.m_pszName; });

// The rule the loader applies to a file's links is the graph's own: its ConnectDirect
// refuses the same link.
TEST(GraphPersistence, ConnectDirectRefusesTheLinkThatClosesACycle)
{
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    CComPtr<IBaseFilter> spA, spB, spC;
    ASSERT_EQ(S_OK, AddFilter(spGraph, CLSID_GrfTestFilter, L"A", spA));
    ASSERT_EQ(S_OK, AddFilter(spGraph, CLSID_GrfTestFilter, L"B", spB));
    ASSERT_EQ(S_OK, AddFilter(spGraph, CLSID_GrfTestFilter, L"C", spC));
    VIDEOINFOHEADER vih;
    AM_MEDIA_TYPE mt = GrfTestVideoType(&vih);
    EXPECT_EQ(HrText(VFW_E_CIRCULAR_GRAPH), HrText(ConnectPins(spGraph, spA, L"Out", spA, L"In", &mt)));
    ASSERT_EQ(S_OK, ConnectPins(spGraph, spA, L"Out", spB, L"In", &mt));
    ASSERT_EQ(S_OK, ConnectPins(spGraph, spB, L"Out", spC, L"In", &mt));
    EXPECT_EQ(HrText(VFW_E_CIRCULAR_GRAPH), HrText(ConnectPins(spGraph, spC, L"Out", spA, L"In", &mt)));
}

// A long chain loads whole, every link with its own sample size, and comes back the same
// through saving and loading again.
TEST(GraphPersistence, LongChainLoadsWholeAndRoundTrips)
{
    const DWORD kFilters = 300;
    std::vector<CGrfFilterDesc> vecFilters;
    std::vector<CGrfConnectionDesc> vecLinks;
    for (DWORD dwId = 1; dwId <= kFilters; ++dwId)
    {
        vecFilters.push_back(DescFilter(dwId, (L"Filter " + std::to_wstring(dwId)).c_str(), CLSID_GrfTestFilter,
                                        GrfTestFilterData(Bytes(dwId % 7, static_cast<BYTE>(dwId)))));
        if (dwId > 1)
        {
            vecLinks.push_back(DescLink(dwId - 1, L"Out", dwId, L"In"));
            vecLinks.back().m_mt.m_dwSampleSize = dwId;
        }
    }
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, WriteGrfText(DescGraph(vecFilters, vecLinks), vecText));
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    ASSERT_EQ(S_OK, LoadGraph(spGraph, vecText));
    CGraphFacts facts;
    ASSERT_EQ(S_OK, CollectGraphFacts(spGraph, facts));
    EXPECT_EQ(kFilters, facts.m_setFilters.size());
    EXPECT_EQ(kFilters - 1, facts.m_setLinks.size());
    EXPECT_EQ(S_FALSE, PersistOf(spGraph)->IsDirty());

    CComPtr<IUnknown> spReloaded;
    std::vector<BYTE> vecSaved;
    ASSERT_EQ(S_OK, SaveGraph(spGraph, vecSaved));
    ASSERT_EQ(S_OK, CreateGraph(spReloaded));
    ASSERT_EQ(S_OK, LoadGraph(spReloaded, vecSaved));
    CGraphFacts reloaded;
    ASSERT_EQ(S_OK, CollectGraphFacts(spReloaded, reloaded));
    EXPECT_EQ(facts.m_setFilters, reloaded.m_setFilters);
    EXPECT_EQ(facts.m_setLinks, reloaded.m_setLinks);
}

// The clock line on load: a filter id sets that filter's clock, a class id an object of
// that class; an id of no filter, CLOCK 0, a filter without a clock or a class nobody
// registered leave the graph's own choice (no sync source until it runs), and none of
// them fails a load that succeeds without the line.
struct CClockCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CClockCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    const wchar_t* m_pszClockLine;
    const wchar_t* m_pszSyncSource;
};

class GraphClockLine : public testing::TestWithParam<CClockCase>
{
};

TEST_P(GraphClockLine, SetsTheNamedClockAndNeverFailsTheLoad)
{
    Bytes text = Text(L"0003\r\nFILTERS\r\n0001 \"Clocked\" {6B0E1C36-3F0A-4F57-9F3C-5A1D2E7B9C01} 0000000000 \r\n"
                      L"0002 \"Null\" {C1F400A4-3F08-11D3-9F0B-006008039E37} 0000000000 \r\nCONNECTIONS\r\n") +
                 Text(GetParam().m_pszClockLine) + Text(L"\r\nEND");
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    ASSERT_EQ(HrText(S_OK), HrText(LoadGraph(spGraph, text)));
    EXPECT_EQ(std::set<std::wstring>({L"Clocked", L"Null"}), GraphFilterNames(spGraph));
    EXPECT_EQ(GetParam().m_pszSyncSource, SyncSourceName(spGraph));
}

INSTANTIATE_TEST_SUITE_P(
    Table, GraphClockLine,
    testing::Values(CClockCase{"FilterId", L"CLOCK 1 0001", L"Clocked"},
                    CClockCase{"SystemClockByClass", L"CLOCK 1 {E436EBB1-524F-11CE-9F53-0020AF0BA770}", L"(not a filter)"},
                    CClockCase{"IdOfNoFilter", L"CLOCK 1 0000", L"(none)"},
                    CClockCase{"IdPastTheFilters", L"CLOCK 1 0009", L"(none)"},
                    CClockCase{"NotRequired", L"CLOCK 0 0001", L"(none)"},
                    CClockCase{"FilterWithoutClock", L"CLOCK 1 0002", L"(none)"},
                    CClockCase{"UnregisteredClass", L"CLOCK 1 {00DDBA11-1234-4321-8000-123456789ABC}", L"(none)"}),
    [](const testing::TestParamInfo<CClockCase>& info) { return info.param.m_pszName; });

TEST(GraphPersistence, ClockByClassIsCreatedAndSet)
{
    CGrfGraphDesc graph = DescGraph({DescFilter(1, L"A", CLSID_GrfTestFilter)});
    graph.m_clock.m_bRequired = true;
    graph.m_clock.m_bByClass = true;
    graph.m_clock.m_clsid = CLSID_SystemClock;
    std::vector<BYTE> vecText;
    ASSERT_EQ(S_OK, WriteGrfText(graph, vecText));
    CComPtr<IUnknown> spGraph;
    ASSERT_EQ(S_OK, CreateGraph(spGraph));
    ASSERT_EQ(S_OK, LoadGraph(spGraph, vecText));
    EXPECT_EQ(L"(not a filter)", SyncSourceName(spGraph));
}

}  // namespace
