// The graphs other processes publish in the Running Object Table, and the filters of one of
// them. Every call on a remote graph is answered by the publishing process's message loop
// (its apartment is single-threaded); this side waits inside COM's own modal loop meanwhile.
#pragma once

#include <objbase.h>

#include <string>
#include <vector>

#include "atl/AtlComPtr.h"

struct SPublishedGraph
{
    CComPtr<IMoniker> m_spMoniker;
    DWORD m_dwGraph;
    DWORD m_dwProcessId;
};

// Every table entry whose display name is a filter graph item name, in table order.
HRESULT CollectPublishedGraphs(std::vector<SPublishedGraph>* prgGraphs);

// Binds the moniker through the table, asks for the filter graph and reads its filters' names
// dwRounds times over (at least once), each time through a new enumerator and filter
// references released right after their last call; stops at the first failure. Nothing of
// the remote graph is kept afterwards.
HRESULT ReadRemoteFilterNames(IMoniker* pMoniker, std::vector<std::wstring>* prgNames, DWORD dwRounds = 1);
