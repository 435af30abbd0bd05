// The fixture writer run as another process under the debug API: it writes every file
// of the table into the folders it is given, and the filters' module reports through
// the debugger output that every object it made has been released.
#include <gtest/gtest.h>

#include <string>

#include "FilterTestSupport.h"
#include "StandinFilters.h"
#include "fixtures/FixtureTable.h"
#include "graph/IMeridel.h"

namespace
{
const DWORD kWriterDeadlineMs = 60000;
const char kLinePrefix[] = "standin " STANDIN_FILTERS_DLL_A ": live objects ";

struct SDebugRun
{
    bool m_bStarted = false;
    bool m_bExited = false;
    DWORD m_dwExitCode = 0;
    std::vector<std::string> m_vecLines;  // every debugger output line, in order
};

std::string ReadDebugString(HANDLE hProcess, const OUTPUT_DEBUG_STRING_INFO& info)
{
    std::string str;
    if (info.fUnicode)
    {
        std::wstring wstr(info.nDebugStringLength, L'\0');
        SIZE_T cbRead = 0;
        ReadProcessMemory(hProcess, info.lpDebugStringData, &wstr[0], wstr.size() * sizeof(WCHAR), &cbRead);
        for (size_t i = 0; i < cbRead / sizeof(WCHAR) && wstr[i]; ++i)
            str += static_cast<char>(wstr[i] < 128 ? wstr[i] : '?');
        return str;
    }
    std::string raw(info.nDebugStringLength, '\0');
    SIZE_T cbRead = 0;
    ReadProcessMemory(hProcess, info.lpDebugStringData, &raw[0], raw.size(), &cbRead);
    raw.resize(cbRead);
    return std::string(raw.c_str());  // up to the terminator
}

SDebugRun RunUnderDebugger(std::wstring strCommand, DWORD dwDeadlineMs)
{
    SDebugRun run;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                        nullptr, &si, &pi))
        return run;
    run.m_bStarted = true;
    ULONGLONG ullDeadline = GetTickCount64() + dwDeadlineMs;
    while (!run.m_bExited)
    {
        ULONGLONG ullNow = GetTickCount64();
        DEBUG_EVENT ev = {};
        if (ullNow >= ullDeadline || !WaitForDebugEvent(&ev, static_cast<DWORD>(ullDeadline - ullNow)))
        {
            if (GetTickCount64() < ullDeadline)
                continue;
            TerminateProcess(pi.hProcess, 1);
            break;
        }
        DWORD dwContinue = DBG_CONTINUE;
        switch (ev.dwDebugEventCode)
        {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (ev.u.CreateProcessInfo.hFile)
                CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile)
                CloseHandle(ev.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            run.m_vecLines.push_back(ReadDebugString(pi.hProcess, ev.u.DebugString));
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                dwContinue = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            run.m_bExited = true;
            run.m_dwExitCode = ev.u.ExitProcess.dwExitCode;
            break;
        default:
            break;
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, dwContinue);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

std::wstring MakeScratchDir()
{
    WCHAR szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    std::wstring str = szTemp;
    str += L"filters_writer_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(str.c_str(), nullptr);
    return str;
}

void RemoveTree(const std::wstring& strDir)
{
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((strDir + L"\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring strName = fd.cFileName;
            if (strName == L"." || strName == L"..")
                continue;
            std::wstring strPath = strDir + L"\\" + strName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strPath);
            else
                DeleteFileW(strPath.c_str());
        } while (FindNextFileW(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryW(strDir.c_str());
}
}

TEST(FixtureWriter, WritesEveryFileAndLeavesNoObjectBehind)
{
    std::wstring strScratch = MakeScratchDir();
    // Folders that do not exist yet, nested, so the writer has to make them.
    std::wstring strFixtures = strScratch + L"\\fixtures";
    std::wstring strDemo = strScratch + L"\\demo\\Graphs";
    std::wstring strCommand = L"\"C:\\standins\\writefixtures.exe\" \"" + strFixtures + L"\" \"" + strDemo + L"\"";

    SDebugRun run = RunUnderDebugger(strCommand, kWriterDeadlineMs);
    ASSERT_TRUE(run.m_bStarted) << "C:\\standins\\writefixtures.exe did not start";
    ASSERT_TRUE(run.m_bExited) << "the writer did not end within the deadline";
    EXPECT_EQ(0u, run.m_dwExitCode);

    size_t cFixtures = 0;
    const SFixture* pFixtures = FixtureTable(&cFixtures);
    for (size_t i = 0; i < cFixtures; ++i)
    {
        WCHAR szPath[MAX_PATH];
        ASSERT_EQ(S_OK, ComposeFixturePath(pFixtures[i], strFixtures.c_str(), strDemo.c_str(), szPath, MAX_PATH));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(szPath)) << i;
    }

    std::vector<std::string> vecCounts;
    for (const std::string& strLine : run.m_vecLines)
    {
        if (strLine.compare(0, sizeof(kLinePrefix) - 1, kLinePrefix) == 0)
            vecCounts.push_back(strLine);
    }
    // One line per destroyed object and one when the module goes: many for eight graphs.
    ASSERT_GT(vecCounts.size(), 8u);
    EXPECT_EQ(std::string(kLinePrefix) + "0\n", vecCounts.back());
    for (const std::string& strLine : vecCounts)
    {
        ASSERT_EQ('\n', strLine.back()) << strLine;
        std::string strNumber = strLine.substr(sizeof(kLinePrefix) - 1, strLine.size() - sizeof(kLinePrefix));
        ASSERT_FALSE(strNumber.empty()) << strLine;
        EXPECT_EQ(std::string::npos, strNumber.find_first_not_of("0123456789")) << strLine;
    }

    // What the writer saved with its own folders loads like the prefix's copy.
    {
        CComScope com;
        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, CreateGraph(&spGraph));
        EXPECT_EQ(S_OK, LoadGraphFile((strFixtures + L"\\rounding.grf").c_str(), spGraph).m_hrLoad);
        CComPtr<IBaseFilter> spSync;
        EXPECT_EQ(S_OK, FindFilterByClass(spGraph, CLSID_Meridel, &spSync));
    }
    RemoveTree(strScratch);
}

TEST(FixtureWriter, RejectsAWrongNumberOfArguments)
{
    SDebugRun run = RunUnderDebugger(L"\"C:\\standins\\writefixtures.exe\" onlyone", kWriterDeadlineMs);
    ASSERT_TRUE(run.m_bExited);
    EXPECT_EQ(2u, run.m_dwExitCode);
}
