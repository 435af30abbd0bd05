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
        EndViewers();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, c_szSwitchesKey);
        ::DeleteFileW(c_szReport);
    }
    // A behaviour switch of the viewer stand-in, read when it starts.
    void SetSwitch(const wchar_t* pszName, DWORD dwValue)
    {
        HKEY hKey = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, c_szSwitchesKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
        ::RegCloseKey(hKey);
    }
    // Ends every viewer this report saw start (a viewer the tool no longer holds keeps
    // running otherwise, and would outlive the test).
    void EndViewers() const
    {
        for (const std::string& line : Lines())
        {
            if (line.rfind("started pid=", 0) != 0)
                continue;
            HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, strtoul(line.c_str() + 12, nullptr, 16));
            if (!hProcess)
                continue;
            if (::WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT)
            {
                ::TerminateProcess(hProcess, 1);
                ::WaitForSingleObject(hProcess, driver::DEFAULT_TIMEOUT_MS);
            }
            ::CloseHandle(hProcess);
        }
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
        ASSERT_TRUE(m_tool.BuildAndWait(L"C:\\fixtures\\demo.grf"));
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

// Show graph failures, seen by the user as a box and in the tracing copy's output.
struct ShowFailure
{
    const char* pszName;
    const wchar_t* pszSwitch;
    DWORD dwValue;
    HRESULT hr;
    std::vector<std::wstring> traces;
    bool bViewerHeld;  // the tool still holds the viewer and asks it to quit when closing
};

const ShowFailure c_rgShowFailures[] = {
    {"MainWindowWithoutSizingFrame", L"NoSizingFrame", 1, S_FALSE,
     {L"###Err### CGraphEdit::FindMainWindow(): GraphEdit window not found"}, true},
    {"MainWindowNeverShown", L"ShowDelayMs", 0xFFFFFFFF, S_FALSE,
     {L"CGraphEdit::WaitWhileHidden(): wait time rest is ",
      L"###Err### CGraphEdit::WaitWhileHidden(): Wait time is ending",
      L"###Err### CGraphEdit::FindMainWindow(): GraphEdit window not found"},
     true},
    {"ViewerSlowToBecomeReady", L"IdleDelayMs", 3000, E_FAIL,
     {L"###Err### CGraphEdit::LoadGraphEdit(): WaitForInputIdle()=258, hr=0x80004005"}, false},
};

class ShowFailureTest : public ::testing::TestWithParam<ShowFailure>
{
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_P(ShowFailureTest, SaysCantShowGraphAndTracesWhy)
{
    const ShowFailure& c = GetParam();
    CViewerReport report;
    report.SetSwitch(c.pszSwitch, c.dwValue);
    CToolSession tool(L"MeridelTestTrace.exe");
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    tool.Click(IDC_BTN_SHOW);
    EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't show graph", c.hr), true));
    for (const std::wstring& trace : c.traces)
        EXPECT_LE(1, tool.Process().CountDebugLines(trace)) << ::testing::PrintToString(trace);
    // The entry stays published until the next close of the bridge.
    EXPECT_EQ(1u, RotEntriesOf(tool.Process().ProcessId()).size());

    DWORD dwPid = tool.Process().ProcessId();
    EXPECT_EQ(0u, tool.CloseAndWait());
    EXPECT_TRUE(RotEntriesOf(dwPid).empty());
    EXPECT_EQ(c.bViewerHeld ? 1 : 0, report.Count("quit"));
}

INSTANTIATE_TEST_SUITE_P(Table, ShowFailureTest, ::testing::ValuesIn(c_rgShowFailures),
                         [](const ::testing::TestParamInfo<ShowFailure>& info) { return info.param.pszName; });

// Removes the registration of Proppage.dll for one test and puts it back afterwards.
class CProppageUnregistered
{
public:
    CProppageUnregistered()
    {
        DWORD cb = sizeof(m_szPath);
        m_bHad = ::RegGetValueW(HKEY_CLASSES_ROOT, c_szKey, nullptr, RRF_RT_REG_SZ, nullptr, m_szPath, &cb) == ERROR_SUCCESS;
        ::RegDeleteKeyW(HKEY_CLASSES_ROOT, c_szKey);
    }
    ~CProppageUnregistered()
    {
        if (!m_bHad)
            return;
        HKEY hKey = nullptr;
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, c_szKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_szPath),
                         (DWORD)((wcslen(m_szPath) + 1) * sizeof(wchar_t)));
        const wchar_t szBoth[] = L"Both";
        ::RegSetValueExW(hKey, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(szBoth), sizeof(szBoth));
        ::RegCloseKey(hKey);
    }
    bool Had() const { return m_bHad; }

private:
    static constexpr const wchar_t* c_szKey = L"CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}\\InprocServer32";
    wchar_t m_szPath[MAX_PATH] = {};
    bool m_bHad;
};

TEST(ShowGraphRegistrationTest, WithoutProppageNothingIsPublishedOrStarted)
{
    CViewerReport report;
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.BuildAndWait(L"C:\\fixtures\\short.grf"));
    {
        CProppageUnregistered unregistered;
        ASSERT_TRUE(unregistered.Had());
        tool.Click(IDC_BTN_SHOW);
        EXPECT_TRUE(tool.ExpectBox(ExpectedErrorText(L"Can't show graph", REGDB_E_CLASSNOTREG), true));
    }
    EXPECT_EQ(1, tool.Process().CountDebugLines(L"Assertion failed: CGraphEdit::ShowGraph(): Proppage.dll is not registered"));
    EXPECT_TRUE(RotEntriesOf(tool.Process().ProcessId()).empty());
    EXPECT_EQ(0, report.Count("started"));
}

} // namespace
