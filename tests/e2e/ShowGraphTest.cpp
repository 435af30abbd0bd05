// Show graph as the user sees it: the viewer opens already connected to the tool's graph,
// and goes away with the graph.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <fstream>
#include <sstream>

#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szSwitchesKey[] = L"Software\\StandIns\\GraphViewer";
const wchar_t c_szReport[] = L"C:\\e2e-viewer-report.txt";

// Points the viewer stand-in's report at a file of this test and removes it afterwards.
class CViewerReport
{
public:
    CViewerReport()
    {
        ::DeleteFileW(c_szReport);
        HKEY hKey = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, c_szSwitchesKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, L"ReportFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(c_szReport),
                         sizeof(c_szReport));
        ::RegCloseKey(hKey);
    }
    ~CViewerReport()
    {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, c_szSwitchesKey);
        ::DeleteFileW(c_szReport);
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::ifstream in("C:\\e2e-viewer-report.txt");
        std::string line;
        while (std::getline(in, line))
        {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& line : Lines())
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
    bool WaitFor(const std::string& prefix, int nTimes = 1) const
    {
        return driver::WaitUntil([&] { return Count(prefix) >= nTimes; });
    }
};

// Entries of the Running Object Table that name process dwProcessId.
std::vector<std::wstring> RotEntriesOf(DWORD dwProcessId)
{
    std::vector<std::wstring> names;
    wchar_t szPid[32];
    wsprintfW(szPid, L"pid %08x", dwProcessId);
    IRunningObjectTable* pRot = nullptr;
    IBindCtx* pCtx = nullptr;
    IEnumMoniker* pEnum = nullptr;
    if (SUCCEEDED(::GetRunningObjectTable(0, &pRot)) && SUCCEEDED(::CreateBindCtx(0, &pCtx)) &&
        SUCCEEDED(pRot->EnumRunning(&pEnum)))
    {
        IMoniker* pMoniker = nullptr;
        ULONG cFetched = 0;
        while (pEnum->Next(1, &pMoniker, &cFetched) == S_OK)
        {
            LPOLESTR pszName = nullptr;
            if (SUCCEEDED(pMoniker->GetDisplayName(pCtx, nullptr, &pszName)))
            {
                std::wstring name(pszName);
                if (name.find(szPid) != std::wstring::npos)
                    names.push_back(name[0] == L'!' ? name.substr(1) : name);
                ::CoTaskMemFree(pszName);
            }
            pMoniker->Release();
        }
    }
    if (pEnum)
        pEnum->Release();
    if (pCtx)
        pCtx->Release();
    if (pRot)
        pRot->Release();
    return names;
}

class ShowGraphTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    void SetUp() override
    {
        ASSERT_TRUE(m_tool.Started());
        m_tool.SetText(IDC_EDIT_FILE, L"C:\\fixtures\\demo.grf");
        m_tool.Click(IDC_BTN_BUILD);
        ASSERT_TRUE(driver::WaitUntil([&] { return m_tool.Enabled(IDC_BTN_PLAY); }));
    }

    CViewerReport m_report;
    CToolSession m_tool;
};

TEST_F(ShowGraphTest, ViewerConnectsToThisGraphAndQuitsWithIt)
{
    m_tool.Click(IDC_BTN_SHOW);
    m_tool.Sync();
    driver::MessageBoxInfo box;
    ASSERT_FALSE(driver::FindMessageBox(m_tool.Process().ProcessId(), m_tool.Dialog(), &box))
        << ::testing::PrintToString(box.text);
    ASSERT_TRUE(m_report.WaitFor("connected graph=")) << ::testing::PrintToString(m_report.Lines());
    EXPECT_TRUE(m_tool.NoBoxShown());
    std::string connected;
    for (const std::string& line : m_report.Lines())
        if (line.rfind("connected graph=", 0) == 0)
            connected = line;
    EXPECT_NE(std::string::npos, connected.find("A/V Synchronizer")) << connected;
    EXPECT_NE(std::string::npos, connected.find("Video Renderer")) << connected;

    // Exactly one published entry of the tool, of the fixed form and length, whose graph
    // number is the one the viewer connected to.
    std::vector<std::wstring> entries = RotEntriesOf(m_tool.Process().ProcessId());
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(33u, entries[0].size());
    EXPECT_EQ(0u, entries[0].find(L"FilterGraph "));
    std::string graphNumber(entries[0].begin() + 12, entries[0].begin() + 20);
    EXPECT_EQ(0u, connected.find("connected graph=" + graphNumber)) << connected;

    // A second Show graph asks the first viewer to quit and starts a new one, connected
    // again; the tool's entry is replaced, never doubled. (The first viewer's own shutdown
    // may finish after the second has started: it releases its link to this graph while
    // the tool waits for it.)
    m_tool.Click(IDC_BTN_SHOW);
    ASSERT_TRUE(m_report.WaitFor("connected graph=", 2));
    EXPECT_EQ(2, m_report.Count("started"));
    EXPECT_TRUE(m_report.WaitFor("quit"));
    EXPECT_EQ(1u, RotEntriesOf(m_tool.Process().ProcessId()).size());

    // Closing the tool quits the viewer and revokes the entry.
    DWORD dwPid = m_tool.Process().ProcessId();
    EXPECT_EQ(0u, m_tool.CloseAndWait());
    EXPECT_EQ(2, m_report.Count("quit"));
    EXPECT_TRUE(RotEntriesOf(dwPid).empty());
}

TEST_F(ShowGraphTest, BuildingAnotherGraphQuitsTheViewer)
{
    m_tool.Click(IDC_BTN_SHOW);
    ASSERT_TRUE(m_report.WaitFor("connected graph="));
    m_tool.Click(IDC_BTN_BUILD);
    ASSERT_TRUE(m_report.WaitFor("quit"));
    m_tool.Sync();
    EXPECT_TRUE(RotEntriesOf(m_tool.Process().ProcessId()).empty());
}

} // namespace
