// The filter graph manager object: the system's graph, aggregated, plus persistence.
//
// It answers IUnknown, IPersist and IPersistStream itself and hands every other interface
// to the inner graph's non-delegating IUnknown, so callers see one object with the system
// graph's interfaces and the ability to load and save graph text. Like the system graph
// it can itself be aggregated: its IUnknown is then the outer object's, the system graph
// is made under that same outer object, and the outer object holds m_inner.
#pragma once

#include <vector>

#include "atl/AtlComPtr.h"
#include "DShowTypes.h"
#include "GrfGraphDesc.h"

class CGraphManager final : public IPersistStream
{
public:
    // Creates the object and queries it for riid; with pOuter, riid must be IID_IUnknown
    // (E_NOINTERFACE otherwise) and the non-delegating IUnknown is returned.
    static HRESULT Create(IUnknown* pOuter, REFIID riid, void** ppv);

    // IUnknown (delegating to the controlling unknown)
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
    // The non-delegating IUnknown: the object's own identity and reference count.
    class CInner final : public IUnknown
    {
    public:
        explicit CInner(CGraphManager& manager) : m_manager(manager) {}
        CInner(const CInner&) = delete;
        CInner& operator=(const CInner&) = delete;

        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        CGraphManager& Manager() { return m_manager; }
        CGraphManager& m_manager;
    };

    explicit CGraphManager(IUnknown* pOuter);
    ~CGraphManager();
    CGraphManager(const CGraphManager&) = delete;
    CGraphManager& operator=(const CGraphManager&) = delete;

    HRESULT CreateInner();
    // The current graph, described and as text; bClearFilterDirty goes on to the filters'
    // own Save.
    HRESULT ComposeText(bool bClearFilterDirty, CGrfGraphDesc& graph, std::vector<BYTE>& vecText);
    HRESULT LoadLocked(IStream* pStm);
    HRESULT SaveLocked(IStream* pStm, bool bClearDirty);

    CInner m_inner;
    // The outer object when aggregated, otherwise &m_inner; held without a reference.
    IUnknown* m_pOuter;
    LONG m_lRef = 1;
    // Non-delegating IUnknown of the aggregated graph: the one reference that keeps it alive.
    CComPtr<IUnknown> m_spInner;
    // Obtained from the inner object, so AddRef/Release on it reach the controlling count.
    // Held without a reference of ours (one controlling reference was given back at
    // creation), and released under a guarding reference when we go (COM aggregation rules).
    IFilterGraph* m_pGraph = nullptr;

    CRITICAL_SECTION m_cs;
    // The graph as described at the last Load or clearing Save; IsDirty compares against
    // it. Two descriptions are equal exactly when their texts are, and keeping the
    // description spares Load writing a text nobody reads. Before either, the graph counts
    // as clean while it is still empty.
    bool m_bHaveSnapshot = false;
    CGrfGraphDesc m_snapshot;
};
