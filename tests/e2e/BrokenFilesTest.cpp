// Broken graph files through the tool: every text the graph reader must refuse, saved as a
// graph file and built in one session, says "Can't build graph" with the code the reader
// gives it; afterwards the same session still builds and plays the demo graph.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "MalformedGraphText.h"
#include "ToolSession.h"
#include "atl/AtlComPtr.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szBrokenDir[] = L"C:\\fixtures\\malformed";
const wchar_t c_szDemoGraph[] = L"C:\\fixtures\\demo.grf";
const int c_rgGraphControls[] = {IDC_EDIT_DURATION, IDC_SPIN_DURATION, IDC_BTN_PLAY, IDC_BTN_PAUSE, IDC_BTN_STOP};

std::wstring BrokenFilePath(const CMalformedGraphText& text)
{
    std::string name = text.m_pszName;
    return std::wstring(c_szBrokenDir) + L"\\" + std::wstring(name.begin(), name.end()) + L".grf";
}

// Saves the bytes as graph files hold a graph: the stream "ActiveMovieGraph" at the root
// of a compound file.
HRESULT WriteGraphFile(const std::wstring& path, const Bytes& text)
{
    const DWORD dwMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    CComPtr<IStorage> spStorage;
    HRESULT hr = ::StgCreateDocfile(path.c_str(), dwMode, 0, &spStorage);
    if (FAILED(hr))
        return hr;
    CComPtr<IStream> spStream;
    hr = spStorage->CreateStream(L"ActiveMovieGraph", dwMode, 0, 0, &spStream);
    if (FAILED(hr))
        return hr;
    if (!text.empty())
    {
        ULONG cbWritten = 0;
        hr = spStream->Write(text.data(), static_cast<ULONG>(text.size()), &cbWritten);
        if (FAILED(hr))
            return hr;
        if (cbWritten != text.size())
            return STG_E_WRITEFAULT;
    }
    spStream.Release();
    return spStorage->Commit(STGC_DEFAULT);
}

class BrokenFilesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    void SetUp() override
    {
        // The folder may be left from a run that was cut short; its files are overwritten.
        ASSERT_TRUE(::CreateDirectoryW(c_szBrokenDir, nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        for (const CMalformedGraphText& text : m_texts)
            ASSERT_EQ(S_OK, WriteGraphFile(BrokenFilePath(text), text.m_vecText)) << text.m_pszName;
    }

    void TearDown() override
    {
        for (const CMalformedGraphText& text : m_texts)
            ::DeleteFileW(BrokenFilePath(text).c_str());
        ::RemoveDirectoryW(c_szBrokenDir);
    }

    bool GraphControlsEnabled(CToolSession& tool, bool bEnabled)
    {
        for (int nID : c_rgGraphControls)
            if (tool.Enabled(nID) != bEnabled)
                return false;
        return true;
    }

    const std::vector<CMalformedGraphText> m_texts = MalformedGraphTexts();
};

TEST_F(BrokenFilesTest, EachSaysCantBuildGraphWithItsCodeAndTheSessionStillPlaysTheDemo)
{
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    // A working graph first: the first failure also has to let go of it.
    ASSERT_TRUE(tool.BuildAndWait(c_szDemoGraph));
    ASSERT_TRUE(tool.NoBoxShown());

    for (const CMalformedGraphText& text : m_texts)
    {
        SCOPED_TRACE(text.m_pszName);
        tool.SetText(IDC_EDIT_FILE, BrokenFilePath(text));
        tool.Click(IDC_BTN_BUILD);
        tool.Sync();
        EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't build graph", text.m_hrExpected), true));
        EXPECT_TRUE(GraphControlsEnabled(tool, false));
    }

    // Whatever the outcome, a graph file is not held open once Build graph has returned.
    for (const CMalformedGraphText& text : m_texts)
        EXPECT_TRUE(::DeleteFileW(BrokenFilePath(text).c_str())) << text.m_pszName << ": error " << ::GetLastError();

    ASSERT_TRUE(tool.BuildAndWait(c_szDemoGraph));
    EXPECT_TRUE(tool.NoBoxShown());
    EXPECT_TRUE(GraphControlsEnabled(tool, true));
    tool.Click(IDC_BTN_PLAY);
    EXPECT_TRUE(tool.ExpectBox(L"The end", false));
    EXPECT_EQ(0u, tool.CloseAndWait());
}

} // namespace
