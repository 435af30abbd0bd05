#include "ViewerReport.h"

#include <tlhelp32.h>

#include "MessagePump.h"
#include "ReportLines.h"

CViewerReport::CViewerReport()
{
    static LONG s_nReports = 0;
    wchar_t szFolder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szFolder);
    wchar_t szName[64];
    ::wsprintfW(szName, L"viewer-bridge-%x-%d.txt", ::GetCurrentProcessId(),
                static_cast<int>(::InterlockedIncrement(&s_nReports)));
    m_strPath = std::wstring(szFolder) + szName;
    ::DeleteFileW(m_strPath.c_str());
}

CViewerReport::~CViewerReport()
{
    ::DeleteFileW(m_strPath.c_str());
}

std::vector<std::wstring> CViewerReport::Lines() const
{
    std::vector<std::wstring> rgLines;
    for (const std::string& strLine : ReadReportLines(m_strPath))
    {
        std::wstring strWide;
        if (!strLine.empty())
        {
            const int cch = ::MultiByteToWideChar(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()),
                                                  nullptr, 0);
            strWide.resize(static_cast<size_t>(cch));
            ::MultiByteToWideChar(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()), &strWide[0], cch);
        }
        rgLines.push_back(strWide);
    }
    return rgLines;
}

int CViewerReport::Find(const std::wstring& strPrefix, int iFrom) const
{
    const std::vector<std::wstring> rgLines = Lines();
    for (size_t i = static_cast<size_t>(iFrom < 0 ? 0 : iFrom); i < rgLines.size(); ++i)
    {
        if (rgLines[i].compare(0, strPrefix.size(), strPrefix) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool CViewerReport::WaitFor(const std::wstring& strPrefix, DWORD dwDeadlineMs) const
{
    return PumpUntil([&] { return Find(strPrefix) >= 0; }, dwDeadlineMs);
}

std::vector<DWORD> CViewerReport::StartedProcessIds() const
{
    std::vector<DWORD> rgIds;
    const std::wstring strPrefix = L"started pid=";
    for (const std::wstring& strLine : Lines())
    {
        if (strLine.compare(0, strPrefix.size(), strPrefix) == 0)
            rgIds.push_back(static_cast<DWORD>(wcstoul(strLine.c_str() + strPrefix.size(), nullptr, 16)));
    }
    return rgIds;
}

namespace {

// Ids are reused: only a process that runs the viewer is ever touched.
bool RunsViewer(HANDLE hProcess)
{
    wchar_t szImage[MAX_PATH] = {};
    DWORD cchImage = MAX_PATH;
    if (!::QueryFullProcessImageNameW(hProcess, 0, szImage, &cchImage))
        return false;
    const std::wstring strImage(szImage, cchImage);
    const std::wstring strName = L"\\graphedt.exe";
    return strImage.size() >= strName.size() &&
           ::lstrcmpiW(strImage.c_str() + strImage.size() - strName.size(), strName.c_str()) == 0;
}

void PostQuitToThreadsOf(DWORD dwProcessId)
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return;
    THREADENTRY32 te = {};
    te.dwSize = sizeof(te);
    for (BOOL bMore = ::Thread32First(hSnapshot, &te); bMore; bMore = ::Thread32Next(hSnapshot, &te))
    {
        if (te.th32OwnerProcessID == dwProcessId)
            ::PostThreadMessageW(te.th32ThreadID, WM_QUIT, 0, 0);
    }
    ::CloseHandle(hSnapshot);
}

} // namespace

void EndViewers(const std::vector<DWORD>& rgProcessIds)
{
    for (DWORD dwProcessId : rgProcessIds)
    {
        HANDLE hProcess = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                        FALSE, dwProcessId);
        if (!hProcess)
            continue;
        if (::WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT && RunsViewer(hProcess))
        {
            PostQuitToThreadsOf(dwProcessId);
            if (!PumpUntil([&] { return ::WaitForSingleObject(hProcess, 0) != WAIT_TIMEOUT; }, kGenerousDeadlineMs))
                ::TerminateProcess(hProcess, 1);
        }
        ::CloseHandle(hProcess);
    }
}
