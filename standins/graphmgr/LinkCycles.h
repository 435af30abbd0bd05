// The graph's rule against cycles, applied to a saved graph's own links.
//
// The graph manager's ConnectDirect refuses a link whose input filter is the output filter
// itself or lies upstream of it (VFW_E_CIRCULAR_GRAPH), and finds out by walking every
// filter upstream of the output through COM calls. Along a chain that walk grows with every
// link, so building a chain of n filters through it costs about n*n/2 steps. The loader
// links pins itself and asks this rule instead: the file's links are checked for a cycle
// once, and only a file that holds one is followed link by link, so that the same link
// fails as it would under ConnectDirect.
#pragma once

#include <windows.h>

#include <unordered_map>
#include <vector>

#include "GrfGraphDesc.h"

class CLinkCycles
{
public:
    explicit CLinkCycles(const CGrfGraphDesc& graph);

    // Whether linking filter dwOutId to filter dwInId closes a cycle through the links
    // made so far.
    bool ClosesCycle(DWORD dwOutId, DWORD dwInId) const;
    // Records a link that was made.
    void Linked(DWORD dwOutId, DWORD dwInId);

private:
    bool m_bFileHasCycle;
    // For each filter, the filters linked into it so far (kept only for a file with a cycle).
    std::unordered_map<DWORD, std::vector<DWORD>> m_mapUpstream;
};
