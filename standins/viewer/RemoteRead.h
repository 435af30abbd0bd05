// Reading a remote graph the way slower or less tidy viewers do: call by call with a pause
// before each call into the publishing process, and keeping what it got (the graph, its
// enumerators, filters and pins) instead of letting go of it at once. Switched on through
// the settings (SlowConnectMs, HoldAfterQuitMs, EndWithoutRelease).
#pragma once

#include <objbase.h>

#include <string>
#include <vector>

#include "atl/AtlComPtr.h"

class CReportLog;
class CViewerSettings;

// References to remote objects the viewer keeps after reading the graph.
class CRemoteHold
{
public:
    void Keep(IUnknown* pUnknown);
    // Releases everything kept, in the order it was taken; returns how many there were.
    size_t ReleaseAll();
    size_t Count() const { return m_rgspKept.size(); }

private:
    std::vector<CComPtr<IUnknown>> m_rgspKept;
};

// The one hold of this viewer process.
CRemoteHold& ViewerHold();

// Binds the moniker through the table and reads the names of the graph's filters, and
// enumerates each filter's pins. dwPauseMs passes before every call that goes to the
// publishing process; pHold (may be null) keeps every object obtained on the way, the
// enumerators only when bKeepEnumerators.
HRESULT ReadRemoteGraph(IMoniker* pMoniker, DWORD dwPauseMs, CRemoteHold* pHold, bool bKeepEnumerators,
                        const CReportLog* pLog, std::vector<std::wstring>* prgNames);

// Once the message loop has ended: what was kept is released now, after the configured
// wait (while the tool has long let this viewer go), or never, when the viewer ends
// without releasing it.
void EndRemoteHold(const CViewerSettings& settings, const CReportLog& log);
