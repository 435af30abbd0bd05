// Ends what other processes hold of a published graph: the connections through which a
// graph viewer reaches the graph, its clock, its filters and their pins; and keeps those
// connections from being ended by the viewer's own releases while the graph is published.
#pragma once

#include <objbase.h>

#include "atl/AtlComPtr.h"

// Disconnects every remote client of pGraph, of its reference clock, of each filter in it
// and of each filter's pins: their calls fail from then on, and the references they hold
// (or never release, because they ended) no longer keep these objects alive or reach this
// apartment. The graph itself and everything this process holds of it stay as they are.
// Null: nothing. Returns how many objects were asked to disconnect.
int DisconnectRemoteClients(IUnknown* pGraph);

// One object's remote connections, ended whatever kind of marshaling the object offers.
HRESULT DisconnectRemoteObject(IUnknown* pObject);

// Gives back nMarshals table marshals written one after the other into pData. A marshal
// whose stub a disconnect already ended fails to be given back, which is expected.
void ReleaseMarshals(IStream* pData, int nMarshals);

// While a graph is published, one table-strong marshal of each object a viewer reaches
// through it (the graph, its clock, its filters, their pins), so that the viewer's releases
// never remove their stubs: only DisconnectRemoteClients ends them.
//
// Under Wine the removal of the last stub of an interface unregisters that interface and
// waits for its calls to finish; when a call on it finishes at that very moment (a viewer
// that releases a filter or an enumerator right after its last call on it) the wait can
// miss it and never return. That wait runs on this apartment's thread, inside the viewer's
// release. A disconnect unregisters without waiting.
class CPublishedStubs
{
public:
    CPublishedStubs();
    ~CPublishedStubs();
    CPublishedStubs(const CPublishedStubs&) = delete;
    CPublishedStubs& operator=(const CPublishedStubs&) = delete;

    // Marshals what pGraph reaches, after anything held before was dropped. Returns how
    // many objects are held.
    int Hold(IUnknown* pGraph);
    // Gives the marshals back; call it after DisconnectRemoteClients, which already ended
    // the stubs without a wait (giving back first would remove them with one).
    void Drop();
    int Count() const { return m_nHeld; }

private:
    CComPtr<IStream> m_spData;
    int m_nHeld;
};
