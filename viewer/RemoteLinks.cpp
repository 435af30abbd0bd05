#include "viewer/RemoteLinks.h"

#include <dshow.h>

#include "atl/AtlComPtr.h"

namespace {

int DisconnectPins(IBaseFilter* pFilter)
{
    CComPtr<IEnumPins> spEnum;
    if (FAILED(pFilter->EnumPins(&spEnum)) || !spEnum)
        return 0;
    int nDisconnected = 0;
    for (;;)
    {
        CComPtr<IPin> spPin;
        ULONG cFetched = 0;
        if (spEnum->Next(1, &spPin, &cFetched) != S_OK || cFetched != 1)
            return nDisconnected;
        DisconnectRemoteObject(spPin);
        ++nDisconnected;
    }
}

} // namespace

HRESULT DisconnectRemoteObject(IUnknown* pObject)
{
    if (!pObject)
        return E_INVALIDARG;
    return ::CoDisconnectObject(pObject, 0);
}

int DisconnectRemoteClients(IUnknown* pGraph)
{
    if (!pGraph)
        return 0;
    DisconnectRemoteObject(pGraph);
    int nDisconnected = 1;

    // What a viewer reads of the graph are its filters and their pins: objects of their
    // own, each with its own connections, which the graph's do not cover.
    CComPtr<IFilterGraph> spGraph;
    if (FAILED(pGraph->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spGraph))) || !spGraph)
        return nDisconnected;
    CComPtr<IEnumFilters> spEnum;
    if (FAILED(spGraph->EnumFilters(&spEnum)) || !spEnum)
        return nDisconnected;
    for (;;)
    {
        CComPtr<IBaseFilter> spFilter;
        ULONG cFetched = 0;
        if (spEnum->Next(1, &spFilter, &cFetched) != S_OK || cFetched != 1)
            return nDisconnected;
        DisconnectRemoteObject(spFilter);
        nDisconnected += 1 + DisconnectPins(spFilter);
    }
}
