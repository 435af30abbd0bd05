// Finding a filter's pin by what it reports about itself (QueryPinInfo), not by its id as
// IBaseFilter::FindPin does: saved graphs and the tests name pins that way.
#pragma once

#include <dshow.h>

// The first pin, in the filter's own order, with this name (any name when null) and this
// direction (either when null). VFW_E_NOT_FOUND when there is none.
HRESULT FindPinByInfo(IBaseFilter* pFilter, LPCWSTR pszName, const PIN_DIRECTION* pDir, IPin** ppPin);
