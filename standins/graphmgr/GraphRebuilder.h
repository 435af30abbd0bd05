// Builds the filters, connections and clock of a saved graph into a live filter graph.
#pragma once

#include "DShowTypes.h"
#include "GrfGraphDesc.h"

// Steps, in order: per filter CoCreateInstance (in-process, IBaseFilter), AddFilter with
// its name, IFileSourceFilter::Load or IFileSinkFilter::SetFileName for SOURCE/SINK, the
// filter's own IPersistStream::Load when it has persisted bytes; then per connection the
// output and input pins found by name, ConnectDirect's rule against cycles
// (VFW_E_CIRCULAR_GRAPH, see LinkCycles.h) and the output pin's Connect with the recorded
// media type; then the clock, which never fails the load. Stops at the first failure and
// returns that call's code (VFW_E_NOT_FOUND for a pin or filter id that is not there),
// with every filter it added taken out of the graph again.
HRESULT RebuildGraph(IFilterGraph* pGraph, const CGrfGraphDesc& graph);
