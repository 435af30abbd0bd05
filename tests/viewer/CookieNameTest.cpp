// The cookie name we publish and the reading of the viewer's list entries that must find it.
#include <gtest/gtest.h>

#include <string>

#include "viewer/CookieName.h"

namespace {

struct SEntryCase
{
    const char* pszWhy;
    const wchar_t* pszText;
    DWORD dwProcessId;
    DWORD dwGraph;
    bool bMatch;
};

const DWORD kPid = 0x1234;
const DWORD kGraph = 0x00a1b2c0;

const SEntryCase kEntryCases[] = {
    {"viewer-style entry", L"pid 1234 (FilterGraph 00a1b2c0) IFilterGraph = 00a1b2c0", kPid, kGraph, true},
    {"0x prefixes", L"pid 0x1234 IFilterGraph = 0xa1b2c0", kPid, kGraph, true},
    {"0X prefixes and upper case", L"pid 0X1234 IFilterGraph = 0XA1B2C0", kPid, kGraph, true},
    {"mixed case digits", L"pid 0x1234 IFilterGraph = A1b2C0", kPid, kGraph, true},
    {"any text before pid", L"!xyzpid 1234 IFilterGraph = a1b2c0", kPid, kGraph, true},
    {"white space before numbers", L"pid \t1234 IFilterGraph =  \ta1b2c0", kPid, kGraph, true},
    {"leading zeros beyond 8 digits", L"pid 000000001234 IFilterGraph = 0000000000a1b2c0", kPid, kGraph, true},
    {"graph 0x80000000", L"pid 1234 IFilterGraph = 80000000", kPid, 0x80000000, true},
    {"graph 0xffffffff", L"pid 1234 IFilterGraph = ffffffff", kPid, 0xFFFFFFFF, true},
    {"graph 0", L"pid 1234 IFilterGraph = 0", kPid, 0, true},
    {"space after graph number", L"pid 1234 IFilterGraph = a1b2c0 ", kPid, kGraph, false},
    {"parenthesis after graph number", L"pid 1234 IFilterGraph = a1b2c0)", kPid, kGraph, false},
    {"letter after graph number", L"pid 1234 IFilterGraph = a1b2c0g", kPid, kGraph, false},
    {"pid at end of text", L"pid 1234", kPid, kGraph, false},
    {"parenthesis after pid", L"pid 1234(IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"tab after pid", L"pid 1234\tIFilterGraph = a1b2c0", kPid, kGraph, false},
    {"first pid wrong, later right", L"pid 9999 pid 1234 IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"first graph marker wrong, later right", L"pid 1234 IFilterGraph = 1 IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"graph marker only before pid", L"IFilterGraph = a1b2c0 pid 1234 ", kPid, kGraph, false},
    {"other process", L"pid 1235 IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"other graph", L"pid 1234 IFilterGraph = a1b2c1", kPid, kGraph, false},
    {"pid in other case", L"PID 1234 IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"graph marker in other case", L"pid 1234 IFILTERGRAPH = a1b2c0", kPid, kGraph, false},
    {"graph marker without spaces", L"pid 1234 IFilterGraph=a1b2c0", kPid, kGraph, false},
    {"graph number over 32 bits", L"pid 1234 IFilterGraph = 100a1b2c0", kPid, kGraph, false},
    {"pid over 32 bits", L"pid 100001234 IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"huge graph number", L"pid 1234 IFilterGraph = fffffffffffffffffffff", kPid, 0xFFFFFFFF, false},
    {"minus sign", L"pid 1234 IFilterGraph = -1", kPid, 0xFFFFFFFF, false},
    {"plus sign", L"pid +1234 IFilterGraph = a1b2c0", kPid, kGraph, false},
    {"no digits after 0x in pid", L"pid 0x IFilterGraph = a1b2c0", 0, kGraph, false},
    {"no digits after 0x in graph", L"pid 1234 IFilterGraph = 0x", kPid, 0, false},
    {"no graph digits", L"pid 1234 IFilterGraph = ", kPid, 0, false},
    {"empty text", L"", kPid, kGraph, false},
    {"three characters", L"pid", kPid, kGraph, false},
    {"pid marker only", L"pid ", kPid, kGraph, false},
    {"null text", nullptr, kPid, kGraph, false},
};

TEST(CookieNameText, MatchesOnlyThisProcessAndGraph)
{
    for (const SEntryCase& c : kEntryCases)
        EXPECT_EQ(c.bMatch, MatchGraphEntryText(c.pszText, c.dwProcessId, c.dwGraph)) << c.pszWhy;
}

struct SHexCase
{
    const wchar_t* pszText;
    bool bOk;
    DWORD dwValue;
    int nEnd;   // offset of the first character after the number
};

const SHexCase kHexCases[] = {
    {L"1a", true, 0x1a, 2},
    {L" \t\r\n\v\f1A z", true, 0x1a, 8},
    {L"0x1f", true, 0x1f, 4},
    {L"0XfF)", true, 0xff, 4},
    {L"ffffffff", true, 0xFFFFFFFF, 8},
    {L"00000000ffffffff", true, 0xFFFFFFFF, 16},
    {L"0", true, 0, 1},
    // The 0 is the number; the x is what follows it.
    {L"0x", true, 0, 1},
    {L"0xg", true, 0, 1},
    {L"100000000", false, 0, 9},
    {L"123456789abcdef0123", false, 0, 19},
    {L"", false, 0, 0},
    {L"   ", false, 0, 0},
    {L"g1", false, 0, 0},
    {L"x1", false, 0, 0},
    {L"+1", false, 0, 0},
    {L"-1", false, 0, 0},
};

TEST(CookieNameText, ReadsHexadecimalLikeTheCLibraryWithoutSign)
{
    for (const SHexCase& c : kHexCases)
    {
        DWORD dwValue = 0xDEADBEEF;
        LPCWSTR pszEnd = nullptr;
        EXPECT_EQ(c.bOk, ReadHexNumber(c.pszText, &dwValue, &pszEnd)) << ::testing::PrintToString(std::wstring(c.pszText));
        EXPECT_EQ(c.dwValue, dwValue) << ::testing::PrintToString(std::wstring(c.pszText));
        EXPECT_EQ(c.nEnd, pszEnd - c.pszText) << ::testing::PrintToString(std::wstring(c.pszText));
    }
}

struct SNameCase
{
    ULONGLONG ullPointer;
    DWORD dwProcessId;
    const wchar_t* pszName;
};

const SNameCase kNameCases[] = {
    {0x00a1b2c0, 0x1234, L"FilterGraph 00a1b2c0 pid 00001234"},
    {0x00000001abcdef00ull, 0xfedc, L"FilterGraph abcdef00 pid 0000fedc"},
    {0xffffffff00000010ull, 0, L"FilterGraph 00000010 pid 00000000"},
    {0xffffffffffffffffull, 0xFFFFFFFF, L"FilterGraph ffffffff pid ffffffff"},
};

TEST(CookieNameText, NameHasLow32BitsOfPointerAndIs33Characters)
{
    for (const SNameCase& c : kNameCases)
    {
        const void* pGraph = reinterpret_cast<const void*>(static_cast<UINT_PTR>(c.ullPointer));
        wchar_t szName[kCookieNameChars];
        ::wmemset(szName, L'#', kCookieNameChars);
        const int cch = FormatCookieName(szName, GraphNumberOf(pGraph), c.dwProcessId);
        EXPECT_EQ(33, cch);
        EXPECT_EQ(std::wstring(c.pszName), std::wstring(szName));
    }
}

TEST(CookieNameText, PublishedNumbersAreFoundInAViewerEntry)
{
    // What we publish must be what we later recognise, for any pointer.
    const void* pGraph = reinterpret_cast<const void*>(static_cast<UINT_PTR>(0x00000007fedcba98ull));
    wchar_t szName[kCookieNameChars];
    FormatCookieName(szName, GraphNumberOf(pGraph), 0x4d2);
    std::wstring strName(szName);
    const std::wstring strGraph = strName.substr(12, 8);
    const std::wstring strPid = strName.substr(25, 8);
    const std::wstring strEntry = L"pid " + strPid + L" IFilterGraph = " + strGraph;
    EXPECT_TRUE(MatchGraphEntryText(strEntry.c_str(), 0x4d2, 0xfedcba98));
    EXPECT_FALSE(MatchGraphEntryText(strEntry.c_str(), 0x4d2, 0x00000007));
}

} // namespace
