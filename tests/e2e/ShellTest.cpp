// The tool as a user first meets it: its dialog, where it stands, and how it ends.
#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>
#include <commctrl.h>

#include "DialogTemplate.h"
#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

struct ExpectedItem
{
    int nID;
    const wchar_t* pszTemplateClass;  // as stored in the template
    const wchar_t* pszClass;          // as the running window reports it
    const wchar_t* pszText;
    DWORD dwStyle;
    short x, y, cx, cy;
    bool bTabStop;
};

const ExpectedItem c_rgItems[] = {
    {IDC_BTN_LOAD, L"#0x0080", L"Button", L"Load...", 0x50010000, 13, 18, 50, 14, true},
    {IDC_EDIT_FILE, L"#0x0081", L"Edit", L"", 0x50810080, 65, 19, 215, 12, true},
    {IDC_STATIC, L"#0x0080", L"Button", L"Graph creation", 0x50000007, 7, 7, 279, 53, false},
    {IDC_BTN_BUILD, L"#0x0080", L"Button", L"Build graph", 0x50010000, 122, 38, 50, 14, true},
    {IDC_BTN_SHOW, L"#0x0080", L"Button", L"Show graph", 0x50010000, 230, 38, 50, 14, true},
    {IDC_BTN_PLAY, L"#0x0080", L"Button", L"Play", 0x50010000, 49, 104, 50, 14, true},
    {IDC_BTN_PAUSE, L"#0x0080", L"Button", L"Pause", 0x50010000, 121, 104, 50, 14, true},
    {IDC_BTN_STOP, L"#0x0080", L"Button", L"Stop", 0x50010000, 193, 104, 50, 14, true},
    {IDC_EDIT_DURATION, L"#0x0081", L"Edit", L"", 0x50812080, 113, 74, 46, 12, true},
    {IDC_SPIN_DURATION, L"msctls_updown32", L"msctls_updown32", L"", 0x500000B6, 147, 76, 11, 14, false},
    {IDC_STATIC, L"#0x0082", L"Static", L"Max duration of audio samples", 0x50020000, 13, 76, 98, 8, false},
    {IDC_STATIC, L"#0x0082", L"Static", L"ms", 0x50020000, 162, 76, 10, 8, false},
    {IDC_STATIC, L"#0x0080", L"Button", L"Properties", 0x50000007, 7, 62, 279, 32, false},
};

const wchar_t c_szDefaultPath[] = L"D:\\CVS\\Dev\\Filters\\Special\\Meridel\\Graphs\\Pixwell - Meridel.GRF";

} // namespace

TEST(DialogTemplateTest, ResourceHoldsTheDialogAsDesigned)
{
    DialogTemplate t = {};
    ASSERT_TRUE(LoadDialogTemplate(ToolFolder() + L"MeridelTest.exe", IDD_MAIN_DIALOG,
                                   MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &t));
    EXPECT_EQ(0x80C800C0u, t.dwStyle);
    EXPECT_EQ(0u, t.dwExStyle);
    EXPECT_EQ(0u, t.dwHelpID);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(293, t.cx);
    EXPECT_EQ(125, t.cy);
    EXPECT_EQ(L"", t.menu);
    EXPECT_EQ(L"", t.className);
    EXPECT_EQ(L"Audio/Video Synchronizer Test", t.title);
    EXPECT_EQ(8, t.wPointSize);
    EXPECT_EQ(0, t.wWeight);
    EXPECT_EQ(0, t.bItalic);
    EXPECT_EQ(0, t.bCharSet);
    EXPECT_EQ(L"Tahoma", t.typeface);
    ASSERT_EQ(13u, t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i)
    {
        SCOPED_TRACE(::testing::Message() << "item " << i + 1);
        const TemplateItem& item = t.items[i];
        const ExpectedItem& e = c_rgItems[i];
        EXPECT_EQ((DWORD)e.nID, item.dwID);
        // The resource compiler stores class names in capitals; window classes match
        // regardless of case.
        EXPECT_EQ(0, _wcsicmp(e.pszTemplateClass, item.className.c_str())) << item.className;
        EXPECT_EQ(e.pszText, item.text);
        EXPECT_EQ(e.dwStyle, item.dwStyle);
        EXPECT_EQ(0u, item.dwExStyle);
        EXPECT_EQ(0u, item.dwHelpID);
        EXPECT_EQ(0, item.cbExtra);
        EXPECT_EQ(e.x, item.x);
        EXPECT_EQ(e.y, item.y);
        EXPECT_EQ(e.cx, item.cx);
        EXPECT_EQ(e.cy, item.cy);
    }
}

TEST(ResourcesTest, VersionBlockManifestAndString)
{
    std::wstring exe = ToolFolder() + L"MeridelTest.exe";
    DWORD dwHandle = 0;
    DWORD cb = ::GetFileVersionInfoSizeW(exe.c_str(), &dwHandle);
    ASSERT_GT(cb, 0u);
    std::vector<BYTE> data(cb);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, cb, data.data()));
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT cbInfo = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&pInfo), &cbInfo));
    EXPECT_EQ(MAKELONG(0, 1), (LONG)pInfo->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), (LONG)pInfo->dwFileVersionLS);
    EXPECT_EQ(pInfo->dwFileVersionMS, pInfo->dwProductVersionMS);
    EXPECT_EQ(pInfo->dwFileVersionLS, pInfo->dwProductVersionLS);
    EXPECT_TRUE(pInfo->dwFileFlags & VS_FF_DEBUG);
    EXPECT_EQ((DWORD)VOS_NT_WINDOWS32, pInfo->dwFileOS);
    EXPECT_EQ((DWORD)VFT_APP, pInfo->dwFileType);
    const struct { const wchar_t* pszName; const wchar_t* pszValue; } rgStrings[] = {
        {L"InternalName", L"MeridelTest"},
        {L"OriginalFilename", L"MeridelTest.EXE"},
        {L"ProductName", L"MeridelTest Module"},
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"ProductVersion", L"1, 0, 0, 1"},
    };
    for (const auto& s : rgStrings)
    {
        wchar_t* pszValue = nullptr;
        UINT cch = 0;
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + s.pszName;
        ASSERT_TRUE(::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&pszValue), &cch)) << query;
        EXPECT_EQ(std::wstring(s.pszValue), pszValue);
    }

    HMODULE hModule = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hModule);
    HRSRC hManifest = ::FindResourceW(hModule, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, hManifest);
    std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(hModule, hManifest))),
                         ::SizeofResource(hModule, hManifest));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    wchar_t szName[64] = {};
    EXPECT_EQ(11, ::LoadStringW(hModule, IDS_PROJNAME, szName, 64));
    EXPECT_EQ(std::wstring(L"MeridelTest"), szName);
    // Nothing beyond what the tool needs: no icon, menu or accelerators.
    EXPECT_EQ(nullptr, ::FindResourceW(hModule, MAKEINTRESOURCEW(1), RT_GROUP_ICON));
    ::FreeLibrary(hModule);
}

class ShellTest : public ::testing::Test
{
protected:
    CToolSession m_tool;
};

TEST_F(ShellTest, StartsWithThirteenControlsInTabOrderAndFocusOnLoad)
{
    ASSERT_TRUE(m_tool.Started());
    HWND hDlg = m_tool.Dialog();
    std::vector<HWND> children = driver::Children(hDlg);
    ASSERT_EQ(13u, children.size());

    // Dialog units in pixels, from the client area the template asked for.
    RECT rcClient = {};
    ::GetClientRect(hDlg, &rcClient);
    double dx = rcClient.right / 293.0, dy = rcClient.bottom / 125.0;
    std::vector<int> tabOrder;
    for (size_t i = 0; i < children.size(); ++i)
    {
        SCOPED_TRACE(::testing::Message() << "item " << i + 1);
        const ExpectedItem& e = c_rgItems[i];
        HWND hWnd = children[i];
        EXPECT_EQ(e.nID, ::GetDlgCtrlID(hWnd));
        EXPECT_EQ(e.pszClass, driver::ClassName(hWnd));
        if (e.nID != IDC_EDIT_FILE && e.nID != IDC_EDIT_DURATION)
        {
            EXPECT_EQ(e.pszText, driver::WindowText(hWnd));
        }
        EXPECT_EQ(e.bTabStop, (driver::Style(hWnd) & WS_TABSTOP) != 0);
        if (e.bTabStop)
            tabOrder.push_back(e.nID);
        EXPECT_TRUE(::IsWindowVisible(hWnd));
        if (e.nID == IDC_SPIN_DURATION)
            continue;  // the up-down control moves itself onto its buddy
        RECT rc = {};
        ::GetWindowRect(hWnd, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_NEAR(e.x * dx, rc.left, 2.0);
        EXPECT_NEAR(e.y * dy, rc.top, 2.0);
        // The duration box gives up its right end to the up-down control.
        if (e.nID == IDC_EDIT_DURATION)
        {
            RECT rcSpin = {};
            ::GetWindowRect(m_tool.Item(IDC_SPIN_DURATION), &rcSpin);
            ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rcSpin), 2);
            EXPECT_NEAR(rcSpin.left, rc.right, 2);
            EXPECT_NEAR((e.x + e.cx) * dx, rcSpin.right, 2.0);
        }
        else
        {
            EXPECT_NEAR(e.cx * dx, rc.right - rc.left, 2.0);
        }
        EXPECT_NEAR(e.cy * dy, rc.bottom - rc.top, 2.0);
    }
    EXPECT_EQ((std::vector<int>{IDC_BTN_LOAD, IDC_EDIT_FILE, IDC_BTN_BUILD, IDC_BTN_SHOW, IDC_BTN_PLAY,
                                IDC_BTN_PAUSE, IDC_BTN_STOP, IDC_EDIT_DURATION}),
              tabOrder);

    // The up-down control sits at the duration box's right edge and writes into it.
    HWND hSpin = m_tool.Item(IDC_SPIN_DURATION);
    EXPECT_EQ(m_tool.Item(IDC_EDIT_DURATION), (HWND)::SendMessageW(hSpin, UDM_GETBUDDY, 0, 0));
    EXPECT_EQ(MAKELONG(1000, 0), (LONG)::SendMessageW(hSpin, UDM_GETRANGE, 0, 0));

    EXPECT_EQ(m_tool.Item(IDC_BTN_LOAD), m_tool.Focus());
    EXPECT_EQ(CAPTION, driver::WindowText(hDlg));
    const DWORD dwWanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD dwUnwanted = WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(dwWanted, (DWORD)driver::Style(hDlg) & (dwWanted | dwUnwanted));
}

// A label whose text is wider than its control wraps its last word out of sight (a static
// control is one line high) or clips it (a button). The dialog's font is made here as the
// dialog makes it, from the template, on the same display settings.
TEST_F(ShellTest, EveryLabelAndButtonTextFitsItsControl)
{
    ASSERT_TRUE(m_tool.Started());
    DialogTemplate tmpl;
    ASSERT_TRUE(LoadDialogTemplate(ToolFolder() + L"MeridelTest.exe", IDD_MAIN_DIALOG,
                                   MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &tmpl));
    HDC hDC = ::GetDC(nullptr);
    LOGFONTW lf = {};
    lf.lfHeight = -::MulDiv(tmpl.wPointSize, ::GetDeviceCaps(hDC, LOGPIXELSY), 72);
    lf.lfWeight = tmpl.wWeight;
    lf.lfItalic = tmpl.bItalic;
    lf.lfCharSet = tmpl.bCharSet;
    ::lstrcpynW(lf.lfFaceName, tmpl.typeface.c_str(), LF_FACESIZE);
    HFONT hFont = ::CreateFontIndirectW(&lf);
    HGDIOBJ hOld = ::SelectObject(hDC, hFont);
    wchar_t szFace[LF_FACESIZE] = {};
    ::GetTextFaceW(hDC, LF_FACESIZE, szFace);

    int nChecked = 0;
    for (HWND hWnd : driver::Children(m_tool.Dialog()))
    {
        const std::wstring cls = driver::ClassName(hWnd);
        if (cls != L"Static" && cls != L"Button")
            continue;
        std::wstring text = driver::WindowText(hWnd);
        text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
        SIZE size = {};
        ::GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &size);
        RECT rc = {};
        ::GetClientRect(hWnd, &rc);
        // A push button draws its text inside its edges.
        const int cxRoom = rc.right - (cls == L"Button" ? 2 * ::GetSystemMetrics(SM_CXEDGE) : 0);
        EXPECT_LE(size.cx, cxRoom) << ::testing::PrintToString(text) << " in " << ::testing::PrintToString(szFace)
                                   << " at " << ::GetDeviceCaps(hDC, LOGPIXELSY) << " DPI";
        ++nChecked;
    }
    EXPECT_EQ(10, nChecked);
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hFont);
    ::ReleaseDC(nullptr, hDC);
}

TEST_F(ShellTest, InitialStateHasDefaultPathZeroAndGraphControlsDisabled)
{
    ASSERT_TRUE(m_tool.Started());
    EXPECT_EQ(c_szDefaultPath, m_tool.Text(IDC_EDIT_FILE));
    EXPECT_EQ(L"0", m_tool.Text(IDC_EDIT_DURATION));
    for (int nID : {IDC_EDIT_DURATION, IDC_SPIN_DURATION, IDC_BTN_PLAY, IDC_BTN_PAUSE, IDC_BTN_STOP})
        EXPECT_FALSE(m_tool.Enabled(nID)) << nID;
    for (int nID : {IDC_BTN_LOAD, IDC_EDIT_FILE, IDC_BTN_BUILD, IDC_BTN_SHOW})
        EXPECT_TRUE(m_tool.Enabled(nID)) << nID;
}

TEST_F(ShellTest, StandsCentredOnTheBottomOfTheWorkArea)
{
    ASSERT_TRUE(m_tool.Started());
    RECT rcArea = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc = {};
    ::GetWindowRect(m_tool.Dialog(), &rc);
    EXPECT_EQ(rcArea.bottom, rc.bottom);
    EXPECT_EQ((rcArea.left + rcArea.right - (rc.right - rc.left)) / 2, rc.left);
    // No owner: the tool starts with no active window.
    EXPECT_EQ(nullptr, ::GetWindow(m_tool.Dialog(), GW_OWNER));
}

// Every way of closing ends the process with exit code 0.
struct CloseCase
{
    const char* pszName;
    void (*pfnClose)(CToolSession& tool);
};

const CloseCase c_rgCloseCases[] = {
    {"Esc", [](CToolSession& tool) { driver::PressKey(tool.Focus(), VK_ESCAPE); }},
    {"CaptionCloseButton", [](CToolSession& tool) { ::PostMessageW(tool.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"EnterInPathEdit",
     [](CToolSession& tool) {
         driver::PressKey(tool.Focus(), VK_TAB);  // from Load... to the path edit
         ASSERT_TRUE(driver::WaitUntil([&] { return tool.Focus() == tool.Item(IDC_EDIT_FILE); }));
         driver::PressKey(tool.Item(IDC_EDIT_FILE), VK_RETURN);
     }},
};

class CloseTest : public ::testing::TestWithParam<CloseCase>
{
};

TEST_P(CloseTest, EndsWithExitCodeZero)
{
    CToolSession tool;
    ASSERT_TRUE(tool.Started());
    GetParam().pfnClose(tool);
    EXPECT_EQ(0u, tool.WaitForExit());
    // Nothing was left behind by the framework.
    EXPECT_EQ(0, tool.Process().CountDebugLines(L"Assertion failed"));
    EXPECT_EQ(0, tool.Process().CountDebugLines(L"ERROR - Object deleted"));
}

INSTANTIATE_TEST_SUITE_P(AllWays, CloseTest, ::testing::ValuesIn(c_rgCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return info.param.pszName; });

TEST(InstancesTest, TwoToolsRunSideBySide)
{
    CToolSession first, second;
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(second.Started());
    EXPECT_NE(first.Process().ProcessId(), second.Process().ProcessId());
    EXPECT_EQ(0u, first.CloseAndWait());
    EXPECT_EQ(0u, second.CloseAndWait());
}

TEST_F(ShellTest, EnterOnAFocusedButtonPressesItInsteadOfClosing)
{
    ASSERT_TRUE(m_tool.Started());
    // Load..., the path edit, Build graph, Show graph.
    for (int i = 0; i < 3; ++i)
        driver::PressKey(m_tool.Focus(), VK_TAB);
    ASSERT_TRUE(driver::WaitUntil([&] { return m_tool.Focus() == m_tool.Item(IDC_BTN_SHOW); }));
    driver::PressKey(m_tool.Item(IDC_BTN_SHOW), VK_RETURN);
    EXPECT_TRUE(m_tool.ExpectBox(ExpectedErrorText(L"Can't show graph", E_FAIL), true));
    EXPECT_TRUE(::IsWindowVisible(m_tool.Dialog()));
    EXPECT_EQ(0u, m_tool.CloseAndWait());
}
