// Where the viewer is looked for beside Proppage.dll, and how a failed start is reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/ViewerLaunch.h"

namespace {

struct SPathCase
{
    const char* pszWhy;
    std::wstring strProppage;
    bool bComposed;
    std::wstring strExpected;
};

// A path whose last separator sits at the given index.
std::wstring PathWithSeparatorAt(int iSeparator)
{
    return L"C:\\" + std::wstring(static_cast<size_t>(iSeparator - 3), L'd') + L"\\Proppage.dll";
}

std::wstring ViewerBesideSeparatorAt(int iSeparator)
{
    return L"C:\\" + std::wstring(static_cast<size_t>(iSeparator - 3), L'd') + L"\\graphedt.exe";
}

std::vector<SPathCase> PathCases()
{
    return {
        {"backslashes", L"C:\\Program Files\\GraphViewer\\Proppage.dll", true,
         L"C:\\Program Files\\GraphViewer\\graphedt.exe"},
        {"forward slashes", L"C:/Program Files/GraphViewer/Proppage.dll", true,
         L"C:/Program Files/GraphViewer/graphedt.exe"},
        {"mixed, last one counts", L"C:\\a/b\\c/Proppage.dll", true, L"C:\\a/b\\c/graphedt.exe"},
        {"trailing separator", L"C:\\dir\\", true, L"C:\\dir\\graphedt.exe"},
        {"separator first", L"\\Proppage.dll", true, L"\\graphedt.exe"},
        {"no separator", L"Proppage.dll", false, L""},
        {"drive-relative, no separator", L"C:Proppage.dll", false, L""},
        {"empty", L"", false, L""},
        // 246 + 1 + 12 characters and the terminator fill the 260 exactly.
        {"separator at 246 fits", PathWithSeparatorAt(246), true, ViewerBesideSeparatorAt(246)},
        {"separator at 247 does not fit", PathWithSeparatorAt(247), false, L""},
        {"separator near the end of a full path", L"C:\\" + std::wstring(245, L'd') + L"\\x.dll", false, L""},
        {"source longer than the buffer", L"C:\\d\\" + std::wstring(300, L'p'), false, L""},
        {"source of 259 characters, early separator", L"C:\\d\\" + std::wstring(254, L'p'), true,
         L"C:\\d\\graphedt.exe"},
    };
}

TEST(ViewerPath, ComposesBesideProppageWithinTheBuffer)
{
    const int kGuard = 8;
    for (const SPathCase& c : PathCases())
    {
        // The buffer is followed by guard characters that must survive any composition.
        std::vector<wchar_t> buffer(kPathChars + kGuard, L'#');
        const bool bComposed = ComposeBesideProppage(c.strProppage.c_str(), buffer.data(), kPathChars);
        EXPECT_EQ(c.bComposed, bComposed) << c.pszWhy;
        EXPECT_EQ(c.strExpected, std::wstring(buffer.data())) << c.pszWhy;
        EXPECT_EQ(std::wstring(kGuard, L'#'), std::wstring(buffer.data() + kPathChars, kGuard)) << c.pszWhy;
    }
}

TEST(ViewerPath, NullSourceOrBufferComposesNothing)
{
    wchar_t szGraphEdit[kPathChars] = L"stale";
    EXPECT_FALSE(ComposeBesideProppage(nullptr, szGraphEdit, kPathChars));
    EXPECT_EQ(L'\0', szGraphEdit[0]);
    EXPECT_FALSE(ComposeBesideProppage(L"C:\\x\\Proppage.dll", nullptr, kPathChars));
    EXPECT_FALSE(ComposeBesideProppage(L"C:\\x\\Proppage.dll", szGraphEdit, 0));
}

struct SErrorCase
{
    DWORD dwError;
    HRESULT hr;
};

const SErrorCase kErrorCases[] = {
    {0, E_FAIL},
    {ERROR_FILE_NOT_FOUND, static_cast<HRESULT>(0x80070002)},
    {ERROR_PATH_NOT_FOUND, static_cast<HRESULT>(0x80070003)},
    {ERROR_ACCESS_DENIED, static_cast<HRESULT>(0x80070005)},
    {ERROR_BAD_EXE_FORMAT, static_cast<HRESULT>(0x800700C1)},
    // Only the low 16 bits take part.
    {0x00012345, static_cast<HRESULT>(0x80072345)},
};

TEST(ViewerPath, StartErrorBecomesWin32Result)
{
    for (const SErrorCase& c : kErrorCases)
        EXPECT_EQ(c.hr, HresultFromStartError(c.dwError)) << c.dwError;
}

} // namespace
