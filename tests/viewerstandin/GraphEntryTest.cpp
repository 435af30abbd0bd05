// Texts of the viewer: which table names are graphs, the list entries the launcher must
// recognise, and the report lines tests rely on.
#include <gtest/gtest.h>

#include "EntryGrammar.h"
#include "GraphEntry.h"
#include "ViewerSettings.h"

namespace
{
    struct SItemNameCase
    {
        const wchar_t* pszName;
        bool bGraph;
        DWORD dwGraph;
        DWORD dwProcessId;
    };

    const SItemNameCase kItemNames[] = {
        {L"!FilterGraph 00a1b2c0 pid 00001234", true, 0x00a1b2c0, 0x1234},
        {L"FilterGraph 00a1b2c0 pid 00001234", true, 0x00a1b2c0, 0x1234},
        {L"!FilterGraph FFFFFFFF pid 80000000", true, 0xFFFFFFFF, 0x80000000},
        {L"!FilterGraph 0 pid 1f", true, 0, 0x1f},
        {L"!FilterGraph 00a1b2c0 pid 00001234 ", false, 0, 0},
        {L"!FilterGraph 00a1b2c0 pid 000012345", false, 0, 0},    // nine digits
        {L"!FilterGraph 100a1b2c0 pid 00001234", false, 0, 0},
        {L"!FilterGraph 00a1b2c0  pid 00001234", false, 0, 0},
        {L"!FilterGraph 00a1b2g0 pid 00001234", false, 0, 0},
        {L"!FilterGraph  pid 00001234", false, 0, 0},
        {L"!FilterGraph 00a1b2c0 pid ", false, 0, 0},
        {L"!filtergraph 00a1b2c0 pid 00001234", false, 0, 0},
        {L"!!FilterGraph 00a1b2c0 pid 00001234", false, 0, 0},
        {L"!Other 00a1b2c0 pid 00001234", false, 0, 0},
        {L"", false, 0, 0},
    };

    class ItemNameTest : public testing::TestWithParam<SItemNameCase> {};
}

TEST_P(ItemNameTest, RecognisesPublishedGraphNamesOnly)
{
    const SItemNameCase& c = GetParam();
    DWORD dwGraph = 0xDEADBEEF;
    DWORD dwProcessId = 0xDEADBEEF;
    EXPECT_EQ(c.bGraph, ParseGraphItemName(c.pszName, &dwGraph, &dwProcessId));
    if (c.bGraph)
    {
        EXPECT_EQ(c.dwGraph, dwGraph);
        EXPECT_EQ(c.dwProcessId, dwProcessId);
    }
    else
    {
        EXPECT_EQ(0xDEADBEEFu, dwGraph) << "outputs are left alone on a mismatch";
        EXPECT_EQ(0xDEADBEEFu, dwProcessId);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ItemNameTest, testing::ValuesIn(kItemNames));

TEST(ItemName, NullArgumentsAreRejected)
{
    DWORD dw = 0;
    EXPECT_FALSE(ParseGraphItemName(nullptr, &dw, &dw));
    EXPECT_FALSE(ParseGraphItemName(L"!FilterGraph 1 pid 2", nullptr, &dw));
    EXPECT_FALSE(ParseGraphItemName(L"!FilterGraph 1 pid 2", &dw, nullptr));
}

TEST(GraphEntryText, IsRecognisedForItsOwnNumbersOnlyAndStaysShort)
{
    const DWORD kNumbers[][2] = {
        {0x4, 0x00a1b2c0}, {0x1f4, 0x0}, {0xFFFFFFFF, 0xFFFFFFFF}, {0x12345678, 0x80000000}, {0x0, 0x1},
    };
    for (const auto& n : kNumbers)
    {
        std::wstring strEntry = ComposeGraphEntry(n[0], n[1]);
        SCOPED_TRACE(testing::Message() << "entry: " << std::string(strEntry.begin(), strEntry.end()));
        EXPECT_LE(strEntry.size(), 63u);
        EXPECT_TRUE(EntryNamesGraph(strEntry.c_str(), n[0], n[1]));
        EXPECT_FALSE(EntryNamesGraph(strEntry.c_str(), n[0] + 1, n[1]));
        EXPECT_FALSE(EntryNamesGraph(strEntry.c_str(), n[0], n[1] ^ 0x10));
    }
    EXPECT_EQ(L"pid 1f4 (FilterGraph 00a1b2c0) IFilterGraph = 00A1B2C0",
              ComposeGraphEntry(0x1f4, 0x00a1b2c0));
}

TEST(EntryGrammarOfTheTest, AgreesWithTheLaunchersReading)
{
    // The checker above is only worth something if it rejects what the launcher rejects.
    struct
    {
        const wchar_t* pszEntry;
        bool bMatch;
    } const kCases[] = {
        {L"pid 1f4 x IFilterGraph = 00a1b2c0", true},
        {L"pid 0x1F4 IFilterGraph = 0XA1B2C0", true},
        {L"pid 1f4 IFilterGraph = 00a1b2c0 ", false},
        {L"pid 1f4(x) IFilterGraph = 00a1b2c0", false},
        {L"pid 1f5 pid 1f4 IFilterGraph = 00a1b2c0", false},
        {L"pid 1f4 IFilterGraph = 1", false},
        {L"pid 1f4 IFilterGraph = 100a1b2c0", false},
        {L"Pid 1f4 IFilterGraph = 00a1b2c0", false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(c.bMatch, EntryNamesGraph(c.pszEntry, 0x1f4, 0x00a1b2c0))
            << std::string(c.pszEntry, c.pszEntry + wcslen(c.pszEntry));
}

TEST(ReportLines, ConnectedAndFailureLines)
{
    EXPECT_EQ(L"connected graph=00a1b2c0 filters=", ComposeConnectedLine(0x00a1b2c0, {}));
    EXPECT_EQ(L"connected graph=ffffffff filters=Video Renderer",
              ComposeConnectedLine(0xFFFFFFFF, {L"Video Renderer"}));
    EXPECT_EQ(L"connected graph=00000001 filters=A|B b|C", ComposeConnectedLine(1, {L"A", L"B b", L"C"}));
    EXPECT_EQ(L"bind-failed hr=0x800401E3", ComposeFailureLine(L"bind-failed", MK_E_UNAVAILABLE));
    EXPECT_EQ(L"x hr=0x00000001", ComposeFailureLine(L"x", S_FALSE));
}

TEST(MultiSz, SplitsUntilTheFirstEmptyString)
{
    struct
    {
        std::wstring strData;
        std::vector<std::wstring> rgExpected;
    } const kCases[] = {
        {std::wstring(L"a\0bc\0\0", 7), {L"a", L"bc"}},
        {std::wstring(L"a\0bc", 4), {L"a", L"bc"}},                // final terminators missing
        {std::wstring(L"a\0\0b\0\0", 6), {L"a"}},
        {std::wstring(L"\0", 1), {}},
        {std::wstring(), {}},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(c.rgExpected, SplitMultiSz(c.strData.data(), c.strData.size()));
    EXPECT_TRUE(SplitMultiSz(nullptr, 5).empty());
}
