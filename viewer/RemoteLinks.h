// Ends what other processes hold of a published graph: the connections through which a
// graph viewer reaches the graph, its filters and their pins.
#pragma once

#include <objbase.h>

// Disconnects every remote client of pGraph, of each filter in it and of each filter's
// pins: their calls fail from then on, and the references they hold (or never release,
// because they ended) no longer keep these objects alive or reach this apartment. The
// graph itself and everything this process holds of it stay as they are. Null: nothing.
// Returns how many objects were asked to disconnect.
int DisconnectRemoteClients(IUnknown* pGraph);

// One object's remote connections, ended whatever kind of marshaling the object offers.
HRESULT DisconnectRemoteObject(IUnknown* pObject);
