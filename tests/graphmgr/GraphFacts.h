// What a live graph holds, gathered through the public DirectShow interfaces only, in a
// form that compares equal for two graphs with the same filters, names, classes, files,
// persisted data, connections and media types, regardless of filter order.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <set>
#include <string>

struct CGraphFacts
{
    std::set<std::wstring> m_setFilters;  // name|class|file|persisted bytes (hex)
    std::set<std::wstring> m_setLinks;    // out.pin->in.pin|major|sub|flags|size|format type|format (hex)
};

HRESULT CollectGraphFacts(IUnknown* pGraph, CGraphFacts& facts);

// Names of the graph's filters, or an empty set if they cannot be listed.
std::set<std::wstring> GraphFilterNames(IUnknown* pGraph);
