// The libraries the tool needs, read from its file as the loader reads them. The common
// controls must be mapped before the dialog exists (the template holds an up-down control,
// whose class that library registers), although nothing initialises them: a compiler that
// drops the unread reference to them loses the import. The file dialog and DirectShow
// libraries come only on first use, and no compiler run-time library has to sit beside
// the tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "ImportTable.h"
#include "ToolSession.h"

using namespace e2e;

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

std::set<std::string> Names(const std::vector<ImportedDll>& dlls)
{
    std::set<std::string> names;
    for (const ImportedDll& dll : dlls)
        names.insert(Lower(dll.name));
    return names;
}

class ImportTableTest : public ::testing::TestWithParam<const wchar_t*>
{
protected:
    void SetUp() override
    {
        const std::wstring path = ToolFolder() + GetParam();
        ASSERT_TRUE(ReadImportTableFile(path, &m_table)) << "cannot read the import table of "
                                                         << ::testing::PrintToString(path);
    }

    ImportTable m_table;
};

TEST_P(ImportTableTest, StartUpImportsAreTheSystemLibrariesWithTheCommonControls)
{
    EXPECT_EQ((std::set<std::string>{"advapi32.dll", "comctl32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
                                     "user32.dll"}),
              Names(m_table.loaded));
    for (const ImportedDll& dll : m_table.loaded)
        EXPECT_FALSE(dll.functions.empty()) << dll.name;
}

TEST_P(ImportTableTest, FileDialogAndDirectShowAreLoadedOnFirstUseOnly)
{
    std::map<std::string, std::vector<std::string>> delayed;
    for (const ImportedDll& dll : m_table.delayed)
        delayed[Lower(dll.name)] = dll.functions;
    const std::map<std::string, std::vector<std::string>> expected = {
        {"comdlg32.dll", {"GetOpenFileNameW"}},
        {"quartz.dll", {"AMGetErrorTextW"}},
    };
    EXPECT_EQ(expected, delayed);
    EXPECT_EQ(2u, m_table.delayed.size());
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, ImportTableTest, ::testing::Values(L"MeridelTest.exe", L"MeridelTestTrace.exe"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return info.index == 0 ? "Tool" : "TracingTool";
                         });

// What is not a whole 64-bit image reads as a failure, never as an image without imports.
TEST(ImportTableReadTest, CutOrForeignBytesAreRejected)
{
    std::vector<BYTE> image;
    HANDLE hFile = ::CreateFileW((ToolFolder() + L"MeridelTest.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    image.resize(::GetFileSize(hFile, nullptr));
    DWORD cbRead = 0;
    ASSERT_TRUE(::ReadFile(hFile, image.data(), static_cast<DWORD>(image.size()), &cbRead, nullptr));
    ::CloseHandle(hFile);
    ImportTable table;
    ASSERT_TRUE(ReadImportTable(image, &table));

    const size_t cbHeaders = 0x400;  // headers and section table, no section's contents
    const struct
    {
        const char* pszName;
        std::vector<BYTE> bytes;
    } rgCases[] = {
        {"empty", {}},
        {"text", std::vector<BYTE>(image.size(), 'x')},
        {"headers only", std::vector<BYTE>(image.begin(), image.begin() + cbHeaders)},
        {"cut in half", std::vector<BYTE>(image.begin(), image.begin() + image.size() / 2)},
    };
    for (const auto& c : rgCases)
        EXPECT_FALSE(ReadImportTable(c.bytes, &table)) << c.pszName;
}

} // namespace
