#include "Launch.h"

CLaunch::CLaunch() : m_hProcess(nullptr), m_dwProcessId(0), m_bExited(false) {}

CLaunch::~CLaunch()
{
    End();
    if (m_hProcess)
        ::CloseHandle(m_hProcess);
}

bool CLaunch::Start(const std::wstring& strExe)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring strCmd = L"\"" + strExe + L"\"";
    if (!::CreateProcessW(strExe.c_str(), &strCmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    return true;
}

bool CLaunch::StartLikeTheTool(const std::wstring& strExe)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(strExe.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS | DETACHED_PROCESS,
                          nullptr, nullptr, &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    return true;
}

HWND CLaunch::FindWindowOf(const wchar_t* pszClass, const wchar_t* pszCaption) const
{
    // FindWindowEx compares captions without sending the target any message, so polling
    // does not make the program that is being timed do work of its own.
    for (HWND hWnd = ::FindWindowExW(nullptr, nullptr, pszClass, pszCaption); hWnd;
         hWnd = ::FindWindowExW(nullptr, hWnd, pszClass, pszCaption))
    {
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        if (dwProcessId == m_dwProcessId && ::IsWindowVisible(hWnd))
            return hWnd;
    }
    return nullptr;
}

HWND CLaunch::WaitForDialog(const wchar_t* pszCaption) const
{
    HWND hWnd = nullptr;
    PollUntil([&] { return (hWnd = FindWindowOf(L"#32770", pszCaption)) != nullptr; });
    return hWnd;
}

bool CLaunch::WaitUntilIdle(HWND hWnd) const
{
    if (::WaitForInputIdle(m_hProcess, LAUNCH_TIMEOUT_MS) != 0)
        return false;
    DWORD_PTR dwResult = 0;
    return ::SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, LAUNCH_TIMEOUT_MS, &dwResult) != 0;
}

bool CLaunch::WaitForExit(DWORD dwTimeoutMs)
{
    if (!m_hProcess || ::WaitForSingleObject(m_hProcess, dwTimeoutMs) != WAIT_OBJECT_0)
        return false;
    m_bExited = true;
    return true;
}

void CLaunch::End()
{
    if (m_hProcess && !m_bExited && ::WaitForSingleObject(m_hProcess, 0) != WAIT_OBJECT_0)
    {
        ::TerminateProcess(m_hProcess, 0xDEAD);
        ::WaitForSingleObject(m_hProcess, LAUNCH_TIMEOUT_MS);
    }
    m_bExited = true;
}

void PressKey(HWND hWndFocus, WORD vk)
{
    ::PostMessageW(hWndFocus, WM_KEYDOWN, vk, 1);
    ::PostMessageW(hWndFocus, WM_KEYUP, vk, 0xC0000001);
}
