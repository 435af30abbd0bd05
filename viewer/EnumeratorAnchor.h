// Keeps the interfaces of the enumerators a graph hands out registered with this
// apartment's remote calls for as long as the bridge lives.
#pragma once

#include <objbase.h>

#include "atl/AtlComPtr.h"

// Every EnumFilters, EnumPins or EnumMediaTypes call makes a new object, and a viewer's
// release of it removes its stub: under Wine, the removal of the last stub of an interface
// unregisters the interface with a wait that can miss a call finishing at that moment and
// never return (see CPublishedStubs). An empty enumerator of our own, marshaled table-strong
// for each of these interfaces, is never the viewer's to release, so the last stub of these
// interfaces is never one a viewer removes, before or after the graph is withdrawn.
class CEnumeratorAnchor
{
public:
    CEnumeratorAnchor();
    ~CEnumeratorAnchor();
    CEnumeratorAnchor(const CEnumeratorAnchor&) = delete;
    CEnumeratorAnchor& operator=(const CEnumeratorAnchor&) = delete;

    // Marshals the anchor once; later calls keep what is held. Returns how many
    // interfaces are held.
    int Hold();
    // Ends the anchor's stubs without a wait and gives its marshals back.
    void Drop();
    int Count() const { return m_nHeld; }

private:
    CComPtr<IUnknown> m_spAnchor;
    CComPtr<IStream> m_spData;
    int m_nHeld;
};
