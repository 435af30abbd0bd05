// Plain helpers of the filter kit and the fixture table.
#include <gtest/gtest.h>

#include <string>

#include "fixtures/FixtureTable.h"
#include "fixtures/RawFixtures.h"
#include "kit/ByteCodec.h"
#include "kit/LiveObjects.h"
#include "kit/MediaType.h"

TEST(ByteCodec, WriterStopsAtTheEndAndSaysSo)
{
    BYTE rgb[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    CByteWriter writer(rgb, 6);
    writer.PutDword(0x11223344);
    EXPECT_TRUE(writer.Ok());
    writer.PutDword(0x55667788);  // does not fit: nothing of it is written
    EXPECT_FALSE(writer.Ok());
    EXPECT_EQ(4u, writer.Used());
    EXPECT_EQ(0x44, rgb[0]);
    EXPECT_EQ(0x11, rgb[3]);
    EXPECT_EQ(0xEE, rgb[4]);
}

TEST(ByteCodec, ReaderGivesZeroPastTheEndAndSaysSo)
{
    const BYTE rgb[5] = {0x78, 0x56, 0x34, 0x12, 0x99};
    CByteReader reader(rgb, sizeof(rgb));
    EXPECT_EQ(0x12345678u, reader.GetDword());
    EXPECT_TRUE(reader.Ok());
    EXPECT_EQ(0u, reader.GetDword());
    EXPECT_FALSE(reader.Ok());
    EXPECT_EQ(0.0, reader.GetDouble());
    EXPECT_EQ(4u, reader.Read());
}

TEST(ByteCodec, NegativeLongsAndDoublesRoundTrip)
{
    BYTE rgb[12];
    CByteWriter writer(rgb, sizeof(rgb));
    writer.PutLong(-2);
    writer.PutDouble(-0.0025);
    CByteReader reader(rgb, sizeof(rgb));
    EXPECT_EQ(-2, reader.GetLong());
    EXPECT_EQ(-0.0025, reader.GetDouble());
    EXPECT_TRUE(reader.Ok());
}

TEST(MediaTypeHelpers, CopiesAreDeepAndEqual)
{
    CMediaType mt;
    mt.Edit().majortype = MEDIATYPE_Video;
    mt.Edit().subtype = MEDIASUBTYPE_RGB32;
    mt.Edit().formattype = FORMAT_VideoInfo;
    BYTE* pFormat = mt.AllocFormat(16);
    ASSERT_NE(nullptr, pFormat);
    pFormat[3] = 42;

    AM_MEDIA_TYPE* pCopy = CreateMediaTypeCopy(mt.Get());
    ASSERT_NE(nullptr, pCopy);
    EXPECT_NE(pFormat, pCopy->pbFormat);
    EXPECT_TRUE(MediaTypesEqual(mt.Get(), *pCopy));
    pCopy->pbFormat[3] = 43;
    EXPECT_FALSE(MediaTypesEqual(mt.Get(), *pCopy));
    DeleteMediaTypeBlock(pCopy);

    CMediaType assigned;
    assigned = mt;
    EXPECT_TRUE(MediaTypesEqual(mt.Get(), assigned.Get()));
    EXPECT_NE(mt.Get().pbFormat, assigned.Get().pbFormat);
    assigned.Clear();
    EXPECT_TRUE(assigned.IsEmpty());
    EXPECT_EQ(nullptr, assigned.Get().pbFormat);
    EXPECT_EQ(0u, assigned.Get().cbFormat);
}

TEST(MediaTypeHelpers, EqualityLooksAtEveryIdentifyingPart)
{
    CMediaType a;
    a.Edit().majortype = MEDIATYPE_Video;
    a.Edit().subtype = MEDIASUBTYPE_RGB32;
    a.Edit().formattype = FORMAT_VideoInfo;
    CMediaType b = a;
    EXPECT_TRUE(MediaTypesEqual(a.Get(), b.Get()));
    b.Edit().subtype = MEDIASUBTYPE_RGB24;
    EXPECT_FALSE(MediaTypesEqual(a.Get(), b.Get()));
    b = a;
    b.Edit().formattype = FORMAT_None;
    EXPECT_FALSE(MediaTypesEqual(a.Get(), b.Get()));
    b = a;
    b.AllocFormat(4);
    EXPECT_FALSE(MediaTypesEqual(a.Get(), b.Get()));

    EXPECT_TRUE(MediaTypeIsFullySpecified(a.Get()));
    b = a;
    b.Edit().subtype = GUID_NULL;
    EXPECT_FALSE(MediaTypeIsFullySpecified(b.Get()));
}

TEST(LiveObjects, DebugLineHasTheAgreedShape)
{
    char sz[128];
    FormatLiveObjectsLine(sz, sizeof(sz), "standinfilters.dll", 0);
    EXPECT_STREQ("standin standinfilters.dll: live objects 0\n", sz);
    FormatLiveObjectsLine(sz, sizeof(sz), "standinfilters.dll", -3);
    EXPECT_STREQ("standin standinfilters.dll: live objects -3\n", sz);
}

TEST(LiveObjects, CountFollowsObjectsInAndOut)
{
    LONG lBefore = LiveObjectCount();
    {
        CLiveObject a;
        CLiveObject b(a);
        EXPECT_EQ(lBefore + 2, LiveObjectCount());
    }
    EXPECT_EQ(lBefore, LiveObjectCount());
}

TEST(FixtureTable, NamesThePathsTheToolAndItsTestsRelyOn)
{
    const struct
    {
        LPCWSTR m_pszName;
        LPCWSTR m_pszPath;
    } kExpected[] = {
        {L"Pixwell - Meridel.GRF", L"D:\\CVS\\Dev\\Filters\\Special\\Meridel\\Graphs\\Pixwell - Meridel.GRF"},
        {L"demo.grf", L"C:\\fixtures\\demo.grf"},
        {L"measure.grf", L"C:\\fixtures\\measure.grf"},
        {L"short.grf", L"C:\\fixtures\\short.grf"},
        {L"nosync.grf", L"C:\\fixtures\\nosync.grf"},
        {L"refuse.grf", L"C:\\fixtures\\refuse.grf"},
        {L"setfail.grf", L"C:\\fixtures\\setfail.grf"},
        {L"rounding.grf", L"C:\\fixtures\\rounding.grf"},
        {L"novideo.grf", L"C:\\fixtures\\novideo.grf"},
        {L"flash.grf", L"C:\\fixtures\\flash.grf"},
        {L"flash-late.grf", L"C:\\fixtures\\flash-late.grf"},
        {L"stress.grf", L"C:\\fixtures\\stress.grf"},
        {L"notcompound.grf", L"C:\\fixtures\\notcompound.grf"},
        {L"nostream.grf", L"C:\\fixtures\\nostream.grf"},
        {L"badstream.grf", L"C:\\fixtures\\badstream.grf"},
    };
    size_t cFixtures = 0;
    FixtureTable(&cFixtures);
    EXPECT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), cFixtures);
    for (const auto& e : kExpected)
    {
        const SFixture* pFixture = FindFixture(e.m_pszName);
        ASSERT_NE(nullptr, pFixture);
        WCHAR szPath[MAX_PATH];
        ASSERT_EQ(S_OK, ComposeFixturePath(*pFixture, FIXTURES_DIR_W, DEMO_GRAPH_DIR_W, szPath, MAX_PATH));
        EXPECT_STREQ(e.m_pszPath, szPath);
    }
    EXPECT_NE(nullptr, FindFixture(L"SHORT.GRF"));
    EXPECT_EQ(nullptr, FindFixture(L"short"));
}

TEST(FixtureTable, SettingsOfTheSpecialGraphs)
{
    const SFixture* pDemo = FindFixture(DEMO_GRAPH_NAME_W);
    ASSERT_NE(nullptr, pDemo);
    EXPECT_TRUE(pDemo->m_bSynchronizer && pDemo->m_bRenderer);
    // Long enough to watch (a few seconds) but bounded.
    double dDemoSeconds = pDemo->m_pClip->m_dwMilliseconds / 1000.0;
    EXPECT_GE(dDemoSeconds, 3.0);
    EXPECT_LE(dDemoSeconds, 6.0);
    EXPECT_EQ(0.0, pDemo->m_sync.m_dDurationSeconds);

    const SFixture* pShort = FindFixture(L"short.grf");
    ASSERT_NE(nullptr, pShort);
    EXPECT_LE(pShort->m_pClip->m_dwMilliseconds, 500u);
    // Every clip's audio comes in chunks longer than any duration the tests set, and the
    // short one holds at least one.
    for (const SClip* pClip : {&ShortClip(), &DemoClip()})
    {
        EXPECT_GE(pClip->m_dwAudioChunkMs, 500u);
        EXPECT_GE(pClip->m_dwMilliseconds, pClip->m_dwAudioChunkMs);
    }
    const SFixture* pMeasure = FindFixture(L"measure.grf");
    ASSERT_NE(nullptr, pMeasure);
    EXPECT_TRUE(pMeasure->m_bTaps && pMeasure->m_bSynchronizer && pMeasure->m_bRenderer);
    EXPECT_EQ(&DemoClip(), pMeasure->m_pClip);

    EXPECT_FALSE(FindFixture(L"nosync.grf")->m_bSynchronizer);
    EXPECT_FALSE(FindFixture(L"novideo.grf")->m_bRenderer);
    EXPECT_TRUE(FindFixture(L"refuse.grf")->m_sync.m_bRefuseInterface);
    EXPECT_EQ(E_NOTIMPL, FindFixture(L"setfail.grf")->m_sync.m_hrSetResult);
    EXPECT_EQ(0.2506, FindFixture(L"rounding.grf")->m_sync.m_dDurationSeconds);
    EXPECT_EQ(0.0025, FindFixture(L"rounding.grf")->m_sync.m_dGranularitySeconds);
}

TEST(FixtureTable, BadStreamIsWellFormedApartFromItsClass)
{
    std::wstring text = BadStreamText();
    EXPECT_EQ(0u, text.find(L"0003\r\nFILTERS\r\n0001 \"Missing Filter\" {EC303C38-B3E2-4AB4-961A-BD691E1D0B3B} 0000000000 \r\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"\r\nCONNECTIONS\r\n"));
    EXPECT_EQ(text.size() - 3, text.rfind(L"END"));
}
