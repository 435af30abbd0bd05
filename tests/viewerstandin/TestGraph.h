// A filter graph of this process, published in the Running Object Table under the same
// item name the launcher uses, so the viewer can list and bind it.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>
#include <vector>

class CTestGraph
{
public:
    CTestGraph() = default;
    ~CTestGraph();

    // Creates the graph with one filter per name (video renderers, which Wine has) and
    // registers it with flags 0.
    HRESULT Create(const std::vector<std::wstring>& rgFilterNames);

    DWORD GraphNumber() const;   // low 32 bits of the graph pointer, as published
    IGraphBuilder* Graph() const { return m_pGraph; }

private:
    CTestGraph(const CTestGraph&) = delete;
    CTestGraph& operator=(const CTestGraph&) = delete;

    IGraphBuilder* m_pGraph = nullptr;
    DWORD m_dwCookie = 0;
};
