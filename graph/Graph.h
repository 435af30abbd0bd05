// The one filter graph of the main dialog: built from a saved graph file, with the
// synchronizer found and bound, its video window placed and its events routed to the
// dialog.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "atl/AtlComPtr.h"
#include "graph/IMeridel.h"
#include "viewer/Helpers.h"

class CGraph
{
public:
    CGraph() = default;
    CGraph(const CGraph&) = delete;
    CGraph& operator=(const CGraph&) = delete;

    // S_OK when built with the synchronizer bound, S_FALSE when the graph was loaded but
    // holds no synchronizer, a failure code otherwise. hWnd receives uMsg whenever graph
    // events are waiting.
    HRESULT BuildGraph(LPCWSTR pszName, HWND hWnd, UINT uMsg);
    void ReleaseGraph();
    bool IsGraphBuilt() const { return m_spGraph != nullptr; }

    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // The code of one waiting graph event, 0 when there is none. Never waits.
    long GetEvent();

    // The synchronizer's maximum audio sample duration, in seconds.
    HRESULT SetMaxAudioDuration(double dSeconds);
    HRESULT GetMaxAudioDuration(double& dSeconds);

    HRESULT ShowGraph();

private:
    HRESULT BuildFromGRFFile(LPCWSTR pszFile);
    HRESULT PlaceVideoWindow(HWND hWnd);
    HRESULT FindFilter(const GUID& clsid, IBaseFilter** ppFilter);

    // Declared in this order so that the viewer goes first, the graph last.
    CComPtr<IGraphBuilder> m_spGraph;
    CComPtr<IMeridel> m_spMeridel;
    CGraphEdit m_GraphEdit;
};
