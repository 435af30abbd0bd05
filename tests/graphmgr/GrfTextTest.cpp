// The graph text reader and writer, without COM: well-formed and malformed inputs, every
// truncation of a rich text, and writer -> reader round trips.
#include <gtest/gtest.h>

#include <vfwmsgs.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <random>
#include <ostream>

#include "GrfGraphDesc.h"
#include "GrfGuidText.h"
#include "GrfParser.h"
#include "GrfTestBytes.h"
#include "EarlierLayout.h"
#include "MalformedGraphText.h"
#include "RealGraphFiles.h"
#include "TestText.h"
#include "GrfWriter.h"

namespace
{
const GUID kAsyncReader = {0xE436EBB5, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID kVideoRenderer = {0x70E102B0, 0x5556, 0x11CE, {0x97, 0xC0, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const GUID kMajorVideo = {0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID kSubCvid = {0x64697663, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID kFormatVideoInfo = {0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const GUID kSystemClock = {0xE436EBB1, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

const wchar_t kAsyncText[] = L"{E436EBB5-524F-11CE-9F53-0020AF0BA770}";
const wchar_t kRendererText[] = L"{70E102B0-5556-11CE-97C0-00AA0055595A}";
const wchar_t kVideoTypeText[] =
    L"{73646976-0000-0010-8000-00AA00389B71} {64697663-0000-0010-8000-00AA00389B71} 0 0 0000000001 "
    L"{05589F80-C356-11CE-BF01-00AA0055595A}";
const GUID kFormatVideoInfo2 = {0xF72A76A0, 0xEB0A, 0x11D0, {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
const GUID kMajorAudio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID kSubPcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID kFormatWave = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const GUID kDSoundRenderer = {0x79376820, 0x07D0, 0x11CF, {0xA2, 0x4D, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};

// A media type as Windows writes it: the count of its bytes from the major type's '{' to
// the end of the format block, one space, the fields, U+0000 after the sample size.
Bytes WindowsType(const std::wstring& strMajorSub, const wchar_t* pszFlags, const wchar_t* pszSampleSize,
                  const std::wstring& strFormatType, const Bytes& format)
{
    wchar_t szFormatCount[16];
    std::swprintf(szFormatCount, 16, L"%010u ", static_cast<unsigned>(format.size()));
    Bytes type = Text(strMajorSub + L" " + pszFlags + L" " + pszSampleSize) + Raw({0x00, 0x00}) +
                 Text(strFormatType + L" " + szFormatCount) + format;
    wchar_t szCount[16];
    std::swprintf(szCount, 16, L"%010u ", static_cast<unsigned>(type.size()));
    return Text(szCount) + type;
}

const wchar_t kVideoMajorSub[] = L"{73646976-0000-0010-8000-00AA00389B71} {64697663-0000-0010-8000-00AA00389B71}";
const wchar_t kVideoInfoText[] = L"{05589F80-C356-11CE-BF01-00AA0055595A}";

CGrfFilterDesc Filter(DWORD dwId, const wchar_t* pszName, const GUID& clsid, const Bytes& data = Bytes(),
                      EGrfFileRole eRole = eGrfNoFile, const wchar_t* pszFile = L"")
{
    CGrfFilterDesc filter;
    filter.m_dwId = dwId;
    filter.m_strName = pszName;
    filter.m_clsid = clsid;
    filter.m_eRole = eRole;
    filter.m_strFile = pszFile;
    filter.m_vecData = data;
    return filter;
}

CGrfConnectionDesc Connection(DWORD dwOut, const wchar_t* pszOut, DWORD dwIn, const wchar_t* pszIn,
                              const Bytes& format = Bytes())
{
    CGrfConnectionDesc connection;
    connection.m_dwOutId = dwOut;
    connection.m_strOutPin = pszOut;
    connection.m_dwInId = dwIn;
    connection.m_strInPin = pszIn;
    connection.m_mt.m_guidMajor = kMajorVideo;
    connection.m_mt.m_guidSub = kSubCvid;
    connection.m_mt.m_dwSampleSize = 1;
    connection.m_mt.m_guidFormat = kFormatVideoInfo;
    connection.m_mt.m_vecFormat = format;
    return connection;
}

CGrfGraphDesc Graph(DWORD dwVersion, std::vector<CGrfFilterDesc> filters = {},
                    std::vector<CGrfConnectionDesc> connections = {}, CGrfClockDesc clock = CGrfClockDesc())
{
    CGrfGraphDesc graph;
    graph.m_dwVersion = dwVersion;
    graph.m_vecFilters = filters;
    graph.m_vecConnections = connections;
    graph.m_clock = clock;
    return graph;
}

CGrfClockDesc Clock(bool bRequired, DWORD dwFilterId, const GUID* pClsid = nullptr)
{
    CGrfClockDesc clock;
    clock.m_bRequired = bRequired;
    clock.m_dwFilterId = dwFilterId;
    if (pClsid)
    {
        clock.m_bByClass = true;
        clock.m_clsid = *pClsid;
    }
    return clock;
}

// A graph using every feature: both file roles, blobs of odd and even length that look
// like text, an 88-byte format block, an empty one, a clock filter.
CGrfGraphDesc RichGraph()
{
    CGrfConnectionDesc plain = Connection(2, L"Out put", 3, L"In");
    plain.m_mt.m_bFixedSize = true;
    plain.m_mt.m_bTemporalCompression = true;
    plain.m_mt.m_dwSampleSize = 12288;
    plain.m_mt.m_guidFormat = GUID();
    return Graph(3,
                 {Filter(1, L"C:\\media\\clip one.avi", kAsyncReader, Bytes(), eGrfSource, L"C:\\media\\clip one.avi"),
                  Filter(2, L"Decoder {x}", kVideoRenderer, TrickyBytes(37)),
                  Filter(3, L"", kVideoRenderer, TrickyBytes(64), eGrfSink, L"D:\\out\\result.grf")},
                 {Connection(1, L"Stream 00", 2, L"In", TrickyBytes(88)), plain}, Clock(true, 3));
}

}  // namespace

void PrintTo(const CGrfGraphDesc& graph, std::ostream* pos)
{
    *pos << "version " << graph.m_dwVersion << ";";
    for (const CGrfFilterDesc& f : graph.m_vecFilters)
        *pos << " filter " << f.m_dwId << " \"" << Narrow(f.m_strName) << "\" " << Narrow(FormatGrfGuid(f.m_clsid))
             << " role " << f.m_eRole << " \"" << Narrow(f.m_strFile) << "\" data " << f.m_vecData.size() << ";";
    for (const CGrfConnectionDesc& c : graph.m_vecConnections)
        *pos << " link " << c.m_dwOutId << "." << Narrow(c.m_strOutPin) << "->" << c.m_dwInId << "."
             << Narrow(c.m_strInPin) << " " << Narrow(FormatGrfGuid(c.m_mt.m_guidSub)) << " fixed "
             << c.m_mt.m_bFixedSize << " temporal " << c.m_mt.m_bTemporalCompression << " sample "
             << c.m_mt.m_dwSampleSize << " format " << c.m_mt.m_vecFormat.size() << ";";
    *pos << " clock " << graph.m_clock.m_bRequired << " " << graph.m_clock.m_dwFilterId << " "
         << (graph.m_clock.m_bByClass ? Narrow(FormatGrfGuid(graph.m_clock.m_clsid)) : std::string("-"));
}

namespace
{
const Bytes kHead3 = Text(L"0003\r\nFILTERS\r\n");
const Bytes kTail3 = Text(L"CLOCK 0 0000\r\nEND");

struct CWellFormedCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CWellFormedCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    Bytes m_vecText;
    CGrfGraphDesc m_expected;
};

std::vector<CWellFormedCase> WellFormedCases()
{
    return {
        {"EmptyVersion3", kHead3 + Text(L"CONNECTIONS\r\n") + kTail3, Graph(3)},
        {"EmptyVersion2", Text(L"0002\r\nFILTERS\r\nCONNECTIONS\r\nEND"), Graph(2)},
        {"Version3WithoutClockLine", kHead3 + Text(L"CONNECTIONS\r\nEND"), Graph(3)},
        {"DocumentedSourceLine",
         kHead3 + Text(L"0001 \"C:\\SomeFile.avi\" ") + Text(kAsyncText) +
             Text(L" SOURCE \"C:\\SomeFile.avi\" 0000000000 \r\nCONNECTIONS\r\n") + kTail3,
         Graph(3, {Filter(1, L"C:\\SomeFile.avi", kAsyncReader, Bytes(), eGrfSource, L"C:\\SomeFile.avi")})},
        {"SinkLine",
         kHead3 + Text(L"0001 \"Writer\" ") + Text(kRendererText) +
             Text(L" SINK \"D:\\out file.avi\" 0000000000 \r\nCONNECTIONS\r\n") + kTail3,
         Graph(3, {Filter(1, L"Writer", kVideoRenderer, Bytes(), eGrfSink, L"D:\\out file.avi")})},
        {"OddLengthBlobThatLooksLikeText",
         kHead3 + Text(L"0001 \"A\" ") + Text(kRendererText) + Text(L" 0000000009 ") + TrickyBytes(9) +
             Text(L"\r\nCONNECTIONS\r\n") + kTail3,
         Graph(3, {Filter(1, L"A", kVideoRenderer, TrickyBytes(9))})},
        {"DocumentedConnectionWith88ByteFormat",
         kHead3 + Text(L"0002 \"Src\" ") + Text(kAsyncText) + Text(L" 0000000000 \r\n0003 \"Rnd\" ") +
             Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\n0002 \"Stream 00\" 0003 \"In\" 0000000376 ") +
             Text(kVideoTypeText) + Text(L" 0000000088 ") + TrickyBytes(88) + Text(L"\r\n") + kTail3,
         Graph(3, {Filter(2, L"Src", kAsyncReader), Filter(3, L"Rnd", kVideoRenderer)},
               {Connection(2, L"Stream 00", 3, L"In", TrickyBytes(88))})},
        {"WhitespaceMixAndShortNumbers",
         Text(L" \t\r\n3\n\tFILTERS \r\n  7\t\"Name with spaces\"\r\n") + Text(kRendererText) +
             Text(L"\n\n0 \t\n CONNECTIONS\tCLOCK\n1\r\n7\t\r\nEND"),
         Graph(3, {Filter(7, L"Name with spaces", kVideoRenderer)}, {}, Clock(true, 7))},
        {"ManyLeadingZerosAndSparseIds",
         kHead3 + Text(L"000000000012 \"B\" ") + Text(kRendererText) + Text(L" 0000000000 \r\n0005 \"A\" ") +
             Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\n") + kTail3,
         Graph(3, {Filter(12, L"B", kVideoRenderer), Filter(5, L"A", kVideoRenderer)})},
        {"ClockByLowercaseClassId",
         kHead3 + Text(L"CONNECTIONS\r\nCLOCK 1 {e436ebb1-524f-11ce-9f53-0020af0ba770}\r\nEND"),
         Graph(3, {}, {}, Clock(true, 0, &kSystemClock))},
        {"ClockRequiredWithoutFilter", kHead3 + Text(L"CONNECTIONS\r\nCLOCK 1 0000\r\nEND"),
         Graph(3, {}, {}, Clock(true, 0))},
        {"FlagsAndSampleSizeOfType",
         kHead3 + Text(L"0001 \"A\" ") + Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\n") +
             Text(L"0001 \"o\" 0001 \"i\" 0000000999 {73646976-0000-0010-8000-00AA00389B71} "
                  L"{64697663-0000-0010-8000-00AA00389B71} 1 1 0000012288 {00000000-0000-0000-0000-000000000000} "
                  L"0000000000 \r\n") +
             kTail3,
         [] {
             CGrfConnectionDesc c = Connection(1, L"o", 1, L"i");
             c.m_mt.m_bFixedSize = true;
             c.m_mt.m_bTemporalCompression = true;
             c.m_mt.m_dwSampleSize = 12288;
             c.m_mt.m_guidFormat = GUID();
             return Graph(3, {Filter(1, L"A", kVideoRenderer)}, {c});
         }()},
        {"ClockNamesNoFilterOfTheGraph",
         kHead3 + Text(L"0001 \"A\" ") + Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\nCLOCK 1 0004\r\nEND"),
         Graph(3, {Filter(1, L"A", kVideoRenderer)}, {}, Clock(true, 0))},
        // Windows' layout: U+0000 after the sample size, the type counted from its '{', a
        // CRLF right after the format bytes, the System Clock by class, no line break after END.
        {"WindowsVideoInfoConnection",
         kHead3 + Text(L"0001 \"0\" ") + Text(kAsyncText) + Text(L" 0000000000 \r\n0002 \"Rnd\" ") + Text(kRendererText) +
             Text(L" 0000000000 \r\nCONNECTIONS\r\n0001 \"0: Video Decoder Out\" 0002 \"0\" ") +
             WindowsType(kVideoMajorSub, L"0 0", L"0000000001", kVideoInfoText, TrickyBytes(88)) +
             Text(L"\r\nCLOCK 1 {E436EBB1-524F-11CE-9F53-0020AF0BA770}\r\nEND"),
         Graph(3, {Filter(1, L"0", kAsyncReader), Filter(2, L"Rnd", kVideoRenderer)},
               {Connection(1, L"0: Video Decoder Out", 2, L"0", TrickyBytes(88))}, Clock(true, 0, &kSystemClock))},
        {"WindowsVideoInfo2Of1152Bytes",
         kHead3 + Text(L"0001 \"A\" ") + Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\n0001 \"o\" 0001 \"i\" ") +
             WindowsType(kVideoMajorSub, L"1 0", L"0000000001", L"{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}",
                         TrickyBytes(1152)) +
             Text(L"\r\nCLOCK 1 0000\r\nEND"),
         [] {
             CGrfConnectionDesc c = Connection(1, L"o", 1, L"i", TrickyBytes(1152));
             c.m_mt.m_bFixedSize = true;
             c.m_mt.m_guidFormat = kFormatVideoInfo2;
             return Graph(3, {Filter(1, L"A", kVideoRenderer)}, {c}, Clock(true, 0));
         }()},
        {"WindowsEmptyFormatAndMonikerData",
         kHead3 + Text(L"0001 \"Capture\" ") + Text(kRendererText) + Text(L" 0000000038 ") +
             Text(L"@device:pnp:\\?\\usb") + Raw({0x00, 0x00}) + Text(L"\r\n0002 \"Default DirectSound Device\" ") +
             Text(L"{79376820-07D0-11CF-A24D-0020AFD79767} 0000000000 \r\nCONNECTIONS\r\n0001 \"1\" 0002 \"Audio Input pin (rendered)\" ") +
             WindowsType(L"{73647561-0000-0010-8000-00AA00389B71} {00000001-0000-0010-8000-00AA00389B71}", L"1 0",
                         L"0000088200", L"{05589F81-C356-11CE-BF01-00AA0055595A}", Bytes()) +
             Text(L"\r\nCLOCK 1 {E436EBB1-524F-11CE-9F53-0020AF0BA770}\r\nEND"),
         [] {
             CGrfConnectionDesc c = Connection(1, L"1", 2, L"Audio Input pin (rendered)");
             c.m_mt.m_guidMajor = kMajorAudio;
             c.m_mt.m_guidSub = kSubPcm;
             c.m_mt.m_bFixedSize = true;
             c.m_mt.m_dwSampleSize = 88200;
             c.m_mt.m_guidFormat = kFormatWave;
             return Graph(3,
                          {Filter(1, L"Capture", kVideoRenderer, Text(L"@device:pnp:\\?\\usb") + Raw({0x00, 0x00})),
                           Filter(2, L"Default DirectSound Device", kDSoundRenderer)},
                          {c}, Clock(true, 0, &kSystemClock));
         }()},
        {"WindowsVersion2WithoutClock",
         Text(L"0002\r\nFILTERS\r\n0001 \"A\" ") + Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\n0001 \"o\" 0001 \"i\" ") +
             WindowsType(kVideoMajorSub, L"0 0", L"0000000001", kVideoInfoText, Bytes()) + Text(L"\r\nEND"),
         Graph(2, {Filter(1, L"A", kVideoRenderer)}, {Connection(1, L"o", 1, L"i")})},
    };
}

class GrfTextWellFormed : public testing::TestWithParam<CWellFormedCase>
{
};

TEST_P(GrfTextWellFormed, ParsesToExpectedGraph)
{
    const CWellFormedCase& c = GetParam();
    CGrfGraphDesc graph;
    size_t cbPosition = 0;
    HRESULT hr = ParseGrfText(c.m_vecText.data(), c.m_vecText.size(), graph, &cbPosition);
    ASSERT_EQ(HrText(S_OK), HrText(hr)) << "stopped at byte " << cbPosition;
    EXPECT_EQ(c.m_expected, graph);
    EXPECT_EQ(c.m_vecText.size(), cbPosition);
    // Text in Windows' layout is what the writer writes: it comes back byte for byte.
    if (std::string(c.m_pszName).rfind("Windows", 0) == 0)
    {
        Bytes rewritten;
        ASSERT_EQ(S_OK, WriteGrfText(graph, rewritten));
        EXPECT_EQ(c.m_vecText, rewritten);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GrfTextWellFormed, testing::ValuesIn(WellFormedCases()),
                         [](const testing::TestParamInfo<CWellFormedCase>& info) { return info.param.m_pszName; });

class GrfTextMalformed : public testing::TestWithParam<CMalformedGraphText>
{
};

TEST_P(GrfTextMalformed, FailsWithExpectedCode)
{
    const CMalformedGraphText& c = GetParam();
    CGrfGraphDesc graph;
    HRESULT hr = ParseGrfText(c.m_vecText.data(), c.m_vecText.size(), graph, nullptr);
    EXPECT_EQ(HrText(c.m_hrExpected), HrText(hr));
}

INSTANTIATE_TEST_SUITE_P(Table, GrfTextMalformed, testing::ValuesIn(MalformedGraphTexts()),
                         [](const testing::TestParamInfo<CMalformedGraphText>& info) { return info.param.m_pszName; });

TEST(GrfText, EveryTruncationOfARichGraphIsTooShort)
{
    Bytes text;
    ASSERT_EQ(S_OK, WriteGrfText(RichGraph(), text));
    for (size_t cb = 0; cb < text.size(); ++cb)
    {
        CGrfGraphDesc graph;
        size_t cbPosition = 0;
        HRESULT hr = ParseGrfText(text.data(), cb, graph, &cbPosition);
        ASSERT_EQ(HrText(VFW_E_FILE_TOO_SHORT), HrText(hr)) << "text cut to " << cb << " of " << text.size() << " bytes";
        ASSERT_LE(cbPosition, cb);
    }
}

// Corrupted texts (a fixed pseudo-random sequence of byte edits, biased towards the
// characters the grammar cares about) only ever give one of the documented results, and
// whatever is accepted is a consistent graph the writer can write again.
TEST(GrfText, CorruptedTextsGiveDocumentedResultsOnly)
{
    Bytes text;
    ASSERT_EQ(S_OK, WriteGrfText(RichGraph(), text));
    const BYTE kInteresting[] = {'"', ' ', '\r', '\n', '0', '9', '{', '}', '-', 'E', 0x00, 0xFF};
    std::minstd_rand random(20240229);
    size_t cAccepted = 0;
    for (int nRound = 0; nRound < 3000; ++nRound)
    {
        Bytes corrupted = text;
        int cEdits = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < cEdits; ++i)
        {
            size_t pos = random() % corrupted.size();
            corrupted[pos] = (random() % 2) ? kInteresting[random() % sizeof(kInteresting)] : static_cast<BYTE>(random());
        }
        if (random() % 4 == 0)
            corrupted.resize(random() % corrupted.size());

        CGrfGraphDesc graph;
        size_t cbPosition = 0;
        HRESULT hr = ParseGrfText(corrupted.data(), corrupted.size(), graph, &cbPosition);
        ASSERT_TRUE(hr == S_OK || hr == VFW_E_FILE_TOO_SHORT || hr == VFW_E_INVALID_FILE_FORMAT ||
                    hr == VFW_E_INVALID_FILE_VERSION)
            << "round " << nRound << ": " << HrText(hr);
        ASSERT_LE(cbPosition, corrupted.size());
        if (hr == S_OK)
        {
            ++cAccepted;
            Bytes rewritten;
            ASSERT_EQ(S_OK, WriteGrfText(graph, rewritten)) << "round " << nRound;
        }
    }
    // Edits inside blobs leave the text readable: some must have been accepted.
    EXPECT_GT(cAccepted, 0u);
}

TEST(GrfText, ReadingStopsAfterEnd)
{
    Bytes text;
    ASSERT_EQ(S_OK, WriteGrfText(RichGraph(), text));
    Bytes withTrailer = text + Text(L"\r\nsomething else") + Raw({0x00, 0x01});
    CGrfGraphDesc graph;
    size_t cbPosition = 0;
    ASSERT_EQ(S_OK, ParseGrfText(withTrailer.data(), withTrailer.size(), graph, &cbPosition));
    EXPECT_EQ(text.size(), cbPosition);
    EXPECT_EQ(RichGraph(), graph);
}

struct CRoundTripCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CRoundTripCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    std::function<CGrfGraphDesc()> m_make;
};

class GrfTextRoundTrip : public testing::TestWithParam<CRoundTripCase>
{
};

TEST_P(GrfTextRoundTrip, WriterOutputReadsBackAsTheSameGraph)
{
    CGrfGraphDesc original = GetParam().m_make();
    Bytes text;
    ASSERT_EQ(S_OK, WriteGrfText(original, text));
    CGrfGraphDesc reread;
    size_t cbPosition = 0;
    ASSERT_EQ(HrText(S_OK), HrText(ParseGrfText(text.data(), text.size(), reread, &cbPosition)))
        << "stopped at byte " << cbPosition;
    EXPECT_EQ(original, reread);
    EXPECT_EQ(text.size(), cbPosition);

    Bytes again;
    ASSERT_EQ(S_OK, WriteGrfText(reread, again));
    EXPECT_EQ(text, again);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GrfTextRoundTrip,
    testing::Values(CRoundTripCase{"Rich", RichGraph},
                    CRoundTripCase{"RichAsVersion2",
                                   [] {
                                       CGrfGraphDesc g = RichGraph();
                                       g.m_dwVersion = 2;
                                       g.m_clock = CGrfClockDesc();  // version 2 has no clock
                                       return g;
                                   }},
                    CRoundTripCase{"ClockByClass", [] { return Graph(3, {}, {}, Clock(true, 0, &kSystemClock)); }},
                    CRoundTripCase{"Empty", [] { return Graph(3); }},
                    CRoundTripCase{"LargeIds",
                                   [] { return Graph(3, {Filter(123456, L"A", kVideoRenderer)}, {}, Clock(true, 123456)); }}),
    [](const testing::TestParamInfo<CRoundTripCase>& info) { return info.param.m_pszName; });

TEST(GrfText, WriterLayoutIsWindowsLayout)
{
    CGrfGraphDesc graph = Graph(3,
                                {Filter(1, L"C:\\SomeFile.avi", kAsyncReader, Bytes(), eGrfSource, L"C:\\SomeFile.avi"),
                                 Filter(2, L"R", kVideoRenderer, Raw({'x', 'y', 'z'}))},
                                {Connection(1, L"Stream 00", 2, L"In", TrickyBytes(88))}, Clock(true, 2));
    Bytes expected = Text(L"0003\r\nFILTERS\r\n0001 \"C:\\SomeFile.avi\" ") + Text(kAsyncText) +
                     Text(L" SOURCE \"C:\\SomeFile.avi\" 0000000000 \r\n0002 \"R\" ") + Text(kRendererText) +
                     Text(L" 0000000003 ") + Raw({'x', 'y', 'z'}) + Text(L"\r\nCONNECTIONS\r\n") +
                     Text(L"0001 \"Stream 00\" 0002 \"In\" 0000000374 ") + Text(kVideoMajorSub) +
                     Text(L" 0 0 0000000001") + Raw({0x00, 0x00}) + Text(kVideoInfoText) + Text(L" 0000000088 ") +
                     TrickyBytes(88) + Text(L"\r\nCLOCK 1 0002\r\nEND");
    Bytes text;
    ASSERT_EQ(S_OK, WriteGrfText(graph, text));
    EXPECT_EQ(expected, text);
}

// Text written here before Windows' layout was followed still reads as the same graph.
TEST(GrfText, EarlierLayoutReadsAsTheSameGraph)
{
    CGrfGraphDesc rich = RichGraph();
    CGrfGraphDesc noClock = RichGraph();
    noClock.m_clock = Clock(false, 0);
    for (const CGrfGraphDesc& original : {rich, noClock})
    {
        Bytes text = EarlierLayoutText(original);
        CGrfGraphDesc graph;
        size_t cbPosition = 0;
        ASSERT_EQ(HrText(S_OK), HrText(ParseGrfText(text.data(), text.size(), graph, &cbPosition)))
            << "stopped at byte " << cbPosition;
        EXPECT_EQ(original, graph);
        Bytes windows;
        ASSERT_EQ(S_OK, WriteGrfText(graph, windows));
        EXPECT_NE(text, windows) << "the layouts differ, at least in the type counts";
    }
}

// The count in front of a media type covers its bytes from the major type's '{' to the end
// of the format block, as in files saved on Windows (374 for a VIDEOINFOHEADER).
TEST(GrfText, MediaTypeCountIsTheTypesLengthFromItsBrace)
{
    struct
    {
        size_t cbFormat;
        const wchar_t* pszCount;
    } const cases[] = {{0, L"0000000286"}, {18, L"0000000304"}, {88, L"0000000374"}, {1152, L"0000001438"}};
    for (const auto& c : cases)
    {
        CGrfGraphDesc graph = Graph(3, {Filter(1, L"A", kVideoRenderer)}, {Connection(1, L"o", 1, L"i", TrickyBytes(c.cbFormat))});
        Bytes text;
        ASSERT_EQ(S_OK, WriteGrfText(graph, text));
        Bytes prefix = kHead3 + Text(L"0001 \"A\" ") + Text(kRendererText) +
                       Text(L" 0000000000 \r\nCONNECTIONS\r\n0001 \"o\" 0001 \"i\" ") + Text(c.pszCount) + Text(L" {");
        ASSERT_GE(text.size(), prefix.size());
        EXPECT_EQ(prefix, Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(prefix.size())))
            << "format block of " << c.cbFormat << " bytes";
    }
}

struct CUnwritableCase
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CUnwritableCase& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;
    std::function<void(CGrfGraphDesc&)> m_spoil;
};

class GrfTextUnwritable : public testing::TestWithParam<CUnwritableCase>
{
};

TEST_P(GrfTextUnwritable, WriterRefusesAndLeavesOutputAlone)
{
    CGrfGraphDesc graph = RichGraph();
    GetParam().m_spoil(graph);
    Bytes text = Raw({1, 2, 3});
    EXPECT_EQ(HrText(E_INVALIDARG), HrText(WriteGrfText(graph, text)));
    EXPECT_EQ(Raw({1, 2, 3}), text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GrfTextUnwritable,
    testing::Values(
        CUnwritableCase{"QuoteInFilterName", [](CGrfGraphDesc& g) { g.m_vecFilters[1].m_strName = L"a\"b"; }},
        CUnwritableCase{"QuoteInFileName", [](CGrfGraphDesc& g) { g.m_vecFilters[0].m_strFile = L"\"x"; }},
        CUnwritableCase{"QuoteInPinName", [](CGrfGraphDesc& g) { g.m_vecConnections[0].m_strInPin = L"\""; }},
        CUnwritableCase{"NulInPinName", [](CGrfGraphDesc& g) { g.m_vecConnections[0].m_strOutPin = std::wstring(1, L'\0'); }},
        CUnwritableCase{"DuplicateId", [](CGrfGraphDesc& g) { g.m_vecFilters[2].m_dwId = 1; }},
        CUnwritableCase{"ZeroId", [](CGrfGraphDesc& g) { g.m_vecFilters[0].m_dwId = 0; }},
        CUnwritableCase{"LinkToMissingFilter", [](CGrfGraphDesc& g) { g.m_vecConnections[1].m_dwInId = 9; }},
        CUnwritableCase{"ClockOnMissingFilter", [](CGrfGraphDesc& g) { g.m_clock.m_dwFilterId = 9; }},
        CUnwritableCase{"VersionFour", [](CGrfGraphDesc& g) { g.m_dwVersion = 4; }}),
    [](const testing::TestParamInfo<CUnwritableCase>& info) { return info.param.m_pszName; });

// Each graph stream saved on Windows reads whole, and the writer gives back its very bytes:
// the layout is Windows' to the last byte. Needs none of the files' filters.
TEST(GrfTextRealFiles, EachStreamReadsAndWritesBackByteForByte)
{
    std::vector<CRealGraphFile> files;
    if (!ListRealGraphFiles(files))
        GTEST_SKIP() << "no graph files saved on Windows beside the repository (../shared/realgrf is absent)";
    ASSERT_FALSE(files.empty()) << "../shared/realgrf holds no .GRF file";
    for (const CRealGraphFile& file : files)
    {
        SCOPED_TRACE(file.m_strName);
        Bytes stream;
        ASSERT_EQ(HrText(S_OK), HrText(ReadGraphStream(file.m_strPath, stream)));
        CGrfGraphDesc graph;
        size_t cbPosition = 0;
        ASSERT_EQ(HrText(S_OK), HrText(ParseGrfText(stream.data(), stream.size(), graph, &cbPosition)))
            << "stopped at byte " << cbPosition << " of " << stream.size();
        EXPECT_EQ(stream.size(), cbPosition);
        EXPECT_FALSE(graph.m_vecFilters.empty());
        Bytes rewritten;
        ASSERT_EQ(S_OK, WriteGrfText(graph, rewritten));
        EXPECT_TRUE(stream == rewritten) << "written back as " << rewritten.size() << " bytes";
    }
}

struct CGuidCase
{
    const wchar_t* m_pszText;
    bool m_bValid;
};

TEST(GrfGuidText, ParsesOnlyTheBracedForm)
{
    const CGuidCase cases[] = {
        {L"{E436EBB1-524F-11CE-9F53-0020AF0BA770}", true},
        {L"{e436ebb1-524f-11ce-9f53-0020af0ba770}", true},
        {L"{E436EBB1-524F-11CE-9F53-0020AF0BA77}", false},
        {L"{E436EBB1-524F-11CE-9F53-0020AF0BA7700}", false},
        {L"{E436EBB1+524F-11CE-9F53-0020AF0BA770}", false},
        {L"{E436EBB1-524F-11CE-9F530-020AF0BA770}", false},
        {L"(E436EBB1-524F-11CE-9F53-0020AF0BA770)", false},
        {L"{E436EBB1-524F-11CE-9F53-0020AF0BA77 }", false},
    };
    for (const CGuidCase& c : cases)
    {
        GUID guid = {};
        EXPECT_EQ(c.m_bValid, ParseGrfGuid(c.m_pszText, &guid)) << Narrow(c.m_pszText);
        if (c.m_bValid)
        {
            EXPECT_TRUE(IsEqualGUID(kSystemClock, guid));
        }
    }
    EXPECT_EQ(L"{E436EBB1-524F-11CE-9F53-0020AF0BA770}", FormatGrfGuid(kSystemClock));
}

}  // namespace
