// The error box's text, composed without a window.
#include <gtest/gtest.h>

#include <string>

#include "app/ErrorMessage.h"

namespace {

std::wstring Compose(const wchar_t* pszText, HRESULT hr, const wchar_t* pszDescription)
{
    wchar_t szMsg[ERROR_MESSAGE_CAPACITY];
    // Poison the buffer so that a missing terminator shows.
    for (wchar_t& ch : szMsg)
        ch = L'#';
    ComposeErrorMessage(pszText, hr, pszDescription, szMsg);
    EXPECT_LT(wcsnlen(szMsg, ERROR_MESSAGE_CAPACITY), (size_t)ERROR_MESSAGE_CAPACITY);
    return szMsg;
}

struct Row
{
    const char* pszName;
    const wchar_t* pszText;
    HRESULT hr;
    const wchar_t* pszDescription;
    const wchar_t* pszExpected;
};

const Row c_rgRows[] = {
    {"TextOnly", L"The end", 0, L"ignored", L"The end"},
    {"TextDescriptionCode", L"Can't play file", E_FAIL, L"Call failed.\r\n",
     L"Can't play file\nCall failed.\r\n\nError 0x80004005"},
    {"TextNoDescription", L"Can't build graph", (HRESULT)0x80040999, nullptr, L"Can't build graph\nError 0x80040999"},
    {"TextEmptyDescription", L"Can't build graph", (HRESULT)0x80040999, L"", L"Can't build graph\nError 0x80040999"},
    {"NullTextDescription", nullptr, E_INVALIDARG, L"The parameter is incorrect.",
     L"The parameter is incorrect.\nError 0x80070057"},
    {"EmptyTextDescription", L"", E_INVALIDARG, L"Bad", L"Bad\nError 0x80070057"},
    {"NullTextNoDescription", nullptr, E_POINTER, nullptr, L"Error 0x80004003"},
    {"NullTextZeroCode", nullptr, 0, nullptr, L""},
    {"PositiveCodeSingleDigit", L"Can't show graph", S_FALSE, L"Incorrect function.",
     L"Can't show graph\nIncorrect function.\nError 0x1"},
    {"UpperCaseHexNoLeadingZeros", L"x", (HRESULT)0x000ABCDE, nullptr, L"x\nError 0xABCDE"},
};

class ErrorMessageTest : public ::testing::TestWithParam<Row>
{
};

TEST_P(ErrorMessageTest, ComposesTheRowsOfTheTable)
{
    const Row& row = GetParam();
    EXPECT_EQ(std::wstring(row.pszExpected), Compose(row.pszText, row.hr, row.pszDescription));
}

INSTANTIATE_TEST_SUITE_P(Rows, ErrorMessageTest, ::testing::ValuesIn(c_rgRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return info.param.pszName; });

TEST(ErrorMessageBoundaryTest, TextOf1023OrMoreLeavesNoRoomForAnythingElse)
{
    for (size_t nLength : {1023u, 1024u, 3000u})
    {
        std::wstring text(nLength, L'a');
        EXPECT_EQ(std::wstring(1023, L'a'), Compose(text.c_str(), E_FAIL, L"Call failed.")) << nLength;
    }
}

TEST(ErrorMessageBoundaryTest, TextOf1020KeepsTheLineFeedAndTwoCharactersOfTheDescription)
{
    std::wstring text(1020, L'a');
    EXPECT_EQ(text + L"\nCa", Compose(text.c_str(), E_FAIL, L"Call failed."));
}

TEST(ErrorMessageBoundaryTest, CodeLineIsCutAtTheEnd)
{
    // 1010 characters + LF + "Error 0x80004005" (16) would be 1027: 13 characters fit.
    std::wstring text(1010, L'a');
    EXPECT_EQ(text + L"\nError 0x8000", Compose(text.c_str(), E_FAIL, nullptr));
}

TEST(ErrorMessageBoundaryTest, OverlongDescriptionIsCutWithoutCodeLine)
{
    std::wstring description(2000, L'd');
    std::wstring msg = Compose(L"t", E_FAIL, description.c_str());
    EXPECT_EQ(1023u, msg.size());
    EXPECT_EQ(L"t\n" + std::wstring(1021, L'd'), msg);
}

TEST(ErrorBoxTypeTest, NonZeroCodeWithTypeZeroAsksForTheErrorIcon)
{
    EXPECT_EQ((UINT)MB_ICONERROR, ErrorBoxType(E_FAIL, 0));
    EXPECT_EQ((UINT)MB_ICONERROR, ErrorBoxType(S_FALSE, 0));
    EXPECT_EQ((UINT)MB_OK, ErrorBoxType(0, 0));
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONWARNING), ErrorBoxType(E_FAIL, MB_YESNO | MB_ICONWARNING));
}

} // namespace
