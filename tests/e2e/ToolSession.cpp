#include "ToolSession.h"

#include <dshow.h>

#include "ui/resource.h"

namespace e2e {

std::wstring DescriptionOf(HRESULT hr)
{
    wchar_t sz[1024] = {};
    if (::AMGetErrorTextW(hr, sz, 1023) == 0)
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, (DWORD)hr,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), sz, 1023, nullptr);
    return sz;
}

std::wstring ExpectedErrorText(const std::wstring& text, HRESULT hr)
{
    wchar_t szCode[32];
    wsprintfW(szCode, L"Error 0x%X", (unsigned)hr);
    std::wstring description = DescriptionOf(hr);
    std::wstring msg = text;
    if (!description.empty())
        msg += (msg.empty() ? L"" : L"\n") + description;
    return msg + (msg.empty() ? L"" : L"\n") + szCode;
}

std::wstring ToolFolder()
{
    wchar_t szFolder[MAX_PATH] = {};
    const DWORD cch = ::GetEnvironmentVariableW(L"MERIDEL_TOOL_DIR", szFolder, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return driver::ProgramFolder();
    std::wstring folder = szFolder;
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

HWND FindVisibleEdit(HWND hWndParent)
{
    HWND hEdit = nullptr;
    ::EnumChildWindows(
        hWndParent,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            if (driver::ClassName(hWnd) != L"Edit" || !::IsWindowVisible(hWnd))
                return TRUE;
            *reinterpret_cast<HWND*>(lParam) = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hEdit));
    return hEdit;
}

CToolSession::CToolSession(const wchar_t* pszExe, const std::wstring& currentDir)
    : m_hWndDialog(nullptr), m_nMarker(0)
{
    if (m_process.Start(ToolFolder() + pszExe, currentDir))
        m_hWndDialog = driver::WaitForDialog(m_process.ProcessId(), CAPTION);
}

CToolSession::~CToolSession()
{
    if (!m_process.HasExited())
    {
        if (m_hWndDialog && ::IsWindow(m_hWndDialog))
        {
            driver::MessageBoxInfo box;
            while (driver::FindMessageBox(m_process.ProcessId(), m_hWndDialog, &box))
                driver::DismissMessageBox(box);
            ::PostMessageW(m_hWndDialog, WM_COMMAND, IDCANCEL, 0);
        }
        DWORD dwExit = 0;
        if (!m_process.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit))
            m_process.Kill();
    }
}

::testing::AssertionResult CToolSession::ExpectBox(const std::wstring& text, bool bIcon)
{
    driver::MessageBoxInfo box;
    if (!driver::WaitForMessageBox(m_process.ProcessId(), m_hWndDialog, &box))
        return ::testing::AssertionFailure() << "no message box appeared";
    driver::DismissMessageBox(box);
    if (box.caption != CAPTION)
        return ::testing::AssertionFailure() << "caption: " << ::testing::PrintToString(box.caption);
    if (box.text != text)
        return ::testing::AssertionFailure() << "text: " << ::testing::PrintToString(box.text)
                                             << "\nexpected: " << ::testing::PrintToString(text);
    if (box.bIcon != bIcon)
        return ::testing::AssertionFailure() << (bIcon ? "icon missing" : "unexpected icon");
    if (box.buttons.size() != 1)
        return ::testing::AssertionFailure() << "expected one button, got " << box.buttons.size();
    if (box.hWndOwner != m_hWndDialog)
        return ::testing::AssertionFailure() << "the box is not owned by the dialog";
    if (box.bOwnerEnabled)
        return ::testing::AssertionFailure() << "the dialog stays enabled under its box";
    return ::testing::AssertionSuccess();
}

bool CToolSession::ChooseInOpenDialog(const std::wstring& path)
{
    Click(IDC_BTN_LOAD);
    HWND hOpen = driver::WaitForDialog(m_process.ProcessId(), L"Select GRF file or All file");
    if (!hOpen)
        return false;
    if (!path.empty())
    {
        HWND hEdit = FindVisibleEdit(hOpen);
        if (!hEdit)
            return false;
        driver::SetEditText(hEdit, path);
    }
    ::PostMessageW(hOpen, WM_COMMAND, MAKEWPARAM(path.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
    return driver::WaitUntil([&] { return !::IsWindow(hOpen); });
}

bool CToolSession::BuildAndWait(const std::wstring& path)
{
    SetText(IDC_EDIT_FILE, path);
    Click(IDC_BTN_BUILD);
    Sync();
    return driver::WaitUntil([&] { return Enabled(IDC_BTN_PLAY); });
}

HWND CToolSession::Focus() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(m_process.ThreadId(), &info);
    return info.hwndFocus;
}

void CToolSession::Sync()
{
    WaitUntilHandled();
}

bool CToolSession::WaitUntilHandled(DWORD dwTimeoutMs)
{
    // A sent message is no marker: the thread takes sent messages before posted ones, and
    // also while it waits inside a handler. A posted one is taken in order, after all that
    // was posted before it. The marker is the path box's text limit, which neither the
    // tool nor a user ever comes near: two alternating values far above any path, so each
    // call waits for its own.
    HWND hWndEdit = Item(IDC_EDIT_FILE);
    const DWORD dwLimit = 1000001 + (m_nMarker++ % 2);
    ::PostMessageW(hWndEdit, EM_SETLIMITTEXT, dwLimit, 0);
    return driver::WaitUntil(
        [&] {
            DWORD_PTR dwAnswer = 0;
            return ::SendMessageTimeoutW(hWndEdit, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 200, &dwAnswer) &&
                   dwAnswer == dwLimit;
        },
        dwTimeoutMs);
}

bool CToolSession::NoBoxShown()
{
    Sync();
    driver::MessageBoxInfo box;
    return !driver::FindMessageBox(m_process.ProcessId(), m_hWndDialog, &box);
}

DWORD CToolSession::CloseAndWait()
{
    // The focus may be in another window of the tool (the video window takes it when it
    // is shown); the key reaches the dialog through any of its controls.
    driver::PressKey(Item(IDC_BTN_LOAD), VK_ESCAPE);
    return WaitForExit();
}

DWORD CToolSession::WaitForExit()
{
    DWORD dwExit = 0xFFFFFFFF;
    if (!m_process.WaitForExit(driver::DEFAULT_TIMEOUT_MS, &dwExit))
        return 0xFFFFFFFF;
    return dwExit;
}

} // namespace e2e
