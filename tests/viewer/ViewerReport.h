// The report file in which the viewer stand-in writes what happened to it, one line per
// event, and the viewer processes it names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CViewerReport
{
public:
    // A new, empty report in the temporary folder, removed again on destruction.
    CViewerReport();
    ~CViewerReport();
    CViewerReport(const CViewerReport&) = delete;
    CViewerReport& operator=(const CViewerReport&) = delete;

    const std::wstring& Path() const { return m_strPath; }

    // Every complete line written so far.
    std::vector<std::wstring> Lines() const;
    // Index of the first line, from iFrom on, that begins with strPrefix; -1 when none.
    int Find(const std::wstring& strPrefix, int iFrom = 0) const;
    // Waits (dispatching messages) until a line beginning with strPrefix is there.
    bool WaitFor(const std::wstring& strPrefix, DWORD dwDeadlineMs) const;
    // Ids of the viewer processes that reported their start, in order.
    std::vector<DWORD> StartedProcessIds() const;

private:
    std::wstring m_strPath;
};

// Ends viewer processes that are still running: each is asked to quit first, and ended by
// force only if it does not within the deadline. The bridge must not hold them any more.
void EndViewers(const std::vector<DWORD>& rgProcessIds);
