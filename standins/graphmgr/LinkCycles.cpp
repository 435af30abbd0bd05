#include "LinkCycles.h"

namespace
{
// Depth-first search over every link of the file, without recursion (a chain may be long).
bool HasCycle(const CGrfGraphDesc& graph)
{
    std::unordered_map<DWORD, std::vector<DWORD>> mapDownstream;
    for (const CGrfConnectionDesc& link : graph.m_vecConnections)
    {
        if (link.m_dwOutId == link.m_dwInId)
            return true;
        mapDownstream[link.m_dwOutId].push_back(link.m_dwInId);
    }

    enum EState { eOnPath = 1, eDone = 2 };
    std::unordered_map<DWORD, int> mapState;
    std::vector<std::pair<DWORD, size_t>> vecStack;  // filter, next of its links to follow
    for (const auto& start : mapDownstream)
    {
        if (mapState[start.first] != 0)
            continue;
        mapState[start.first] = eOnPath;
        vecStack.push_back({start.first, 0});
        while (!vecStack.empty())
        {
            DWORD dwId = vecStack.back().first;
            auto it = mapDownstream.find(dwId);
            size_t& iNext = vecStack.back().second;
            if (it == mapDownstream.end() || iNext == it->second.size())
            {
                mapState[dwId] = eDone;
                vecStack.pop_back();
                continue;
            }
            DWORD dwNext = it->second[iNext++];
            int& nState = mapState[dwNext];
            if (nState == eOnPath)
                return true;
            if (nState == 0)
            {
                nState = eOnPath;
                vecStack.push_back({dwNext, 0});
            }
        }
    }
    return false;
}
}  // namespace

CLinkCycles::CLinkCycles(const CGrfGraphDesc& graph) : m_bFileHasCycle(HasCycle(graph)) {}

bool CLinkCycles::ClosesCycle(DWORD dwOutId, DWORD dwInId) const
{
    // Links taken from a file without a cycle can close none, whatever their order.
    if (!m_bFileHasCycle)
        return false;
    if (dwOutId == dwInId)
        return true;
    std::vector<DWORD> vecToVisit(1, dwOutId);
    std::unordered_map<DWORD, bool> mapSeen;
    while (!vecToVisit.empty())
    {
        DWORD dwId = vecToVisit.back();
        vecToVisit.pop_back();
        auto it = m_mapUpstream.find(dwId);
        if (it == m_mapUpstream.end())
            continue;
        for (DWORD dwUp : it->second)
        {
            if (dwUp == dwInId)
                return true;
            if (!mapSeen[dwUp])
            {
                mapSeen[dwUp] = true;
                vecToVisit.push_back(dwUp);
            }
        }
    }
    return false;
}

void CLinkCycles::Linked(DWORD dwOutId, DWORD dwInId)
{
    if (m_bFileHasCycle)
        m_mapUpstream[dwInId].push_back(dwOutId);
}
