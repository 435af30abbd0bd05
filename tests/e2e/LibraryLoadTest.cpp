// The tool starts without the libraries that only some sessions need: the common dialog
// library (Load...) and the DirectShow run-time (the text of an error box). Each is loaded
// on its first use, and what the user sees stays the same.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szOpenCaption[] = L"Select GRF file or All file";

// The names of the modules loaded in the process, in lower case.
std::vector<std::wstring> LoadedModules(DWORD dwProcessId)
{
    std::vector<std::wstring> modules;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return modules;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Module32FirstW(hSnapshot, &entry); bMore; bMore = ::Module32NextW(hSnapshot, &entry))
    {
        std::wstring name = entry.szModule;
        for (wchar_t& ch : name)
            ch = static_cast<wchar_t>(::towlower(ch));
        modules.push_back(name);
    }
    ::CloseHandle(hSnapshot);
    return modules;
}

::testing::AssertionResult Loaded(const std::vector<std::wstring>& modules, const wchar_t* pszName)
{
    for (const std::wstring& name : modules)
        if (name == pszName)
            return ::testing::AssertionSuccess() << ::testing::PrintToString(std::wstring(pszName)) << " is loaded";
    return ::testing::AssertionFailure() << ::testing::PrintToString(std::wstring(pszName)) << " is not loaded";
}

class LibraryLoadTest : public ::testing::TestWithParam<const wchar_t*>
{
protected:
    LibraryLoadTest() : m_tool(GetParam()) {}
    void SetUp() override { ASSERT_TRUE(m_tool.Started()); }

    std::vector<std::wstring> Modules()
    {
        m_tool.Sync();
        return LoadedModules(m_tool.Process().ProcessId());
    }

    CToolSession m_tool;
};

TEST_P(LibraryLoadTest, StartsWithoutTheFileDialogOrDirectShowLibrary)
{
    std::vector<std::wstring> modules = Modules();
    // What the dialog needs is there, so the list is the tool's own.
    std::wstring exe = GetParam();
    for (wchar_t& ch : exe)
        ch = static_cast<wchar_t>(::towlower(ch));
    EXPECT_TRUE(Loaded(modules, exe.c_str()));
    EXPECT_TRUE(Loaded(modules, L"comctl32.dll"));
    EXPECT_TRUE(Loaded(modules, L"ole32.dll"));
    EXPECT_FALSE(Loaded(modules, L"comdlg32.dll"));
    EXPECT_FALSE(Loaded(modules, L"quartz.dll"));
}

TEST_P(LibraryLoadTest, LoadBringsInTheFileDialogLibraryOnly)
{
    m_tool.Click(IDC_BTN_LOAD);
    HWND hOpen = driver::WaitForDialog(m_tool.Process().ProcessId(), c_szOpenCaption);
    ASSERT_NE(nullptr, hOpen);
    std::vector<std::wstring> modules = LoadedModules(m_tool.Process().ProcessId());
    EXPECT_TRUE(Loaded(modules, L"comdlg32.dll"));
    EXPECT_FALSE(Loaded(modules, L"quartz.dll"));

    const std::wstring path = m_tool.Text(IDC_EDIT_FILE);
    ::PostMessageW(hOpen, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(driver::WaitUntil([&] { return !::IsWindow(hOpen); }));
    EXPECT_EQ(path, m_tool.Text(IDC_EDIT_FILE));
    // A second Load... finds the library already there.
    m_tool.Click(IDC_BTN_LOAD);
    hOpen = driver::WaitForDialog(m_tool.Process().ProcessId(), c_szOpenCaption);
    ASSERT_NE(nullptr, hOpen);
    ::PostMessageW(hOpen, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(driver::WaitUntil([&] { return !::IsWindow(hOpen); }));
    EXPECT_EQ(0u, m_tool.CloseAndWait());
}

TEST_P(LibraryLoadTest, AnErrorBoxBringsInDirectShowForItsText)
{
    // An empty path fails before any graph is made, so only the box can need DirectShow.
    m_tool.SetText(IDC_EDIT_FILE, L"");
    m_tool.Click(IDC_BTN_BUILD);
    driver::MessageBoxInfo box;
    ASSERT_TRUE(driver::WaitForMessageBox(m_tool.Process().ProcessId(), m_tool.Dialog(), &box));
    std::vector<std::wstring> modules = LoadedModules(m_tool.Process().ProcessId());
    EXPECT_TRUE(Loaded(modules, L"quartz.dll"));
    EXPECT_FALSE(Loaded(modules, L"comdlg32.dll"));
    EXPECT_EQ(ExpectedErrorText(L".grf file not selected", E_INVALIDARG), box.text);
    EXPECT_TRUE(box.bIcon);
    driver::DismissMessageBox(box);

    // The second box takes its text from the library already loaded.
    m_tool.Click(IDC_BTN_SHOW);
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't show graph", E_FAIL), true));
    EXPECT_EQ(0u, m_tool.CloseAndWait());
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, LibraryLoadTest, ::testing::Values(L"MeridelTest.exe", L"MeridelTestTrace.exe"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return info.param == std::wstring(L"MeridelTest.exe") ? std::string("Tool")
                                                                                    : std::string("TracingTool");
                         });

} // namespace
