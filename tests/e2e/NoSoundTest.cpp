// No sound device: with no sound server where the platform looks for one, the DirectSound
// Renderer of a graph file cannot be connected, and the tool reports it where the
// platform fails, at Build graph, in its error box with the code. Once the server is
// back, building and playing work in a tool started after it: this Wine chooses its sound
// driver once per process, so a tool that started without a server keeps failing at
// Build graph, and says so each time. Run by no-sound-server.sh, which starts the server
// when asked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szGraph[] = L"C:\\fixtures\\short.grf";

std::wstring SwitchFolder()
{
    wchar_t sz[MAX_PATH] = {};
    const DWORD cch = ::GetEnvironmentVariableW(L"MERIDEL_SOUND_SWITCH", sz, MAX_PATH);
    return cch > 0 && cch < MAX_PATH ? std::wstring(sz) + L"\\" : std::wstring();
}

// Asks the script for the sound server and waits until it answers.
bool BringTheServerBack(const std::wstring& folder)
{
    HANDLE hFile = ::CreateFileW((folder + L"want-server").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(hFile);
    const std::wstring up = folder + L"server-up";
    return driver::WaitUntil([&] { return ::GetFileAttributesW(up.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

} // namespace

TEST(NoSoundServer, BuildSaysCantBuildGraphWithTheCodeAndWorksOnceTheServerIsBack)
{
    const std::wstring folder = SwitchFolder();
    ASSERT_FALSE(folder.empty()) << "run through no-sound-server.sh";
    CToolSession tool;
    ASSERT_TRUE(tool.Started());

    // This Wine answers the DirectSound Renderer's link with E_INVALIDARG when it has no
    // sound device.
    tool.SetText(IDC_EDIT_FILE, c_szGraph);
    tool.Click(IDC_BTN_BUILD);
    EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't build graph", E_INVALIDARG), true));
    EXPECT_FALSE(tool.Enabled(IDC_BTN_PLAY));

    ASSERT_TRUE(BringTheServerBack(folder));
    tool.Click(IDC_BTN_BUILD);
    EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't build graph", E_INVALIDARG), true))
        << "the tool that started without sound keeps its platform's answer";
    EXPECT_EQ(0u, tool.CloseAndWait());

    CToolSession restarted;
    ASSERT_TRUE(restarted.Started());
    ASSERT_TRUE(restarted.BuildAndWait(c_szGraph)) << "Build graph works with the server back";
    EXPECT_TRUE(restarted.NoBoxShown());
    restarted.Click(IDC_BTN_PLAY);
    EXPECT_TRUE(restarted.ExpectBox(L"The end", false));
}
