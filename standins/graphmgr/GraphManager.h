// The filter graph manager object: the system's graph, aggregated, plus persistence.
//
// This object is the controlling unknown. It answers IUnknown, IPersist and IPersistStream
// itself and hands every other interface to the inner graph's non-delegating IUnknown, so
// callers see one object with the system graph's interfaces and the ability to load and
// save graph text.
#pragma once

#include <vector>

#include "atl/AtlComPtr.h"
#include "DShowTypes.h"
#include "GrfGraphDesc.h"

class CGraphManager final : public IPersistStream
{
public:
    // Creates the object and queries it for riid.
    static HRESULT Create(REFIID riid, void** ppv);

    // IUnknown (controlling)
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClassID) override;

    // IPersistStream
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* pStm) override;
    STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

private:
    CGraphManager();
    ~CGraphManager();
    CGraphManager(const CGraphManager&) = delete;
    CGraphManager& operator=(const CGraphManager&) = delete;

    HRESULT CreateInner();
    // The current graph, described and as text; bClearFilterDirty goes on to the filters'
    // own Save.
    HRESULT ComposeText(bool bClearFilterDirty, CGrfGraphDesc& graph, std::vector<BYTE>& vecText);
    HRESULT LoadLocked(IStream* pStm);
    HRESULT SaveLocked(IStream* pStm, bool bClearDirty);

    LONG m_lRef = 1;
    // Non-delegating IUnknown of the aggregated graph: the one reference that keeps it alive.
    CComPtr<IUnknown> m_spInner;
    // Obtained from the inner object, so AddRef/Release on it reach our own count. Held
    // without a reference of ours (one outer reference was given back at creation), and
    // released under a guarding reference when we go (COM aggregation rules).
    IFilterGraph* m_pGraph = nullptr;

    CRITICAL_SECTION m_cs;
    // The graph as described at the last Load or clearing Save; IsDirty compares against
    // it. Two descriptions are equal exactly when their texts are, and keeping the
    // description spares Load writing a text nobody reads. Before either, the graph counts
    // as clean while it is still empty.
    bool m_bHaveSnapshot = false;
    CGrfGraphDesc m_snapshot;
};
