// Reads a live filter graph into its saved form.
#pragma once

#include "DShowTypes.h"
#include "GrfGraphDesc.h"

// Filters are numbered from 1 in the order they were added (the manager lists the newest
// first). bClearFilterDirty is passed on to each filter's own IPersistStream::Save.
// Result: S_OK, or the code of the first call that failed.
HRESULT DescribeGraph(IFilterGraph* pGraph, bool bClearFilterDirty, CGrfGraphDesc& graph);
