#include "viewer/RemoteLinks.h"

#include <dshow.h>

namespace {

using PFNVISIT = void (*)(IUnknown* pObject, void* pContext);

int VisitPins(IBaseFilter* pFilter, PFNVISIT pfnVisit, void* pContext)
{
    CComPtr<IEnumPins> spEnum;
    if (FAILED(pFilter->EnumPins(&spEnum)) || !spEnum)
        return 0;
    int nVisited = 0;
    for (;;)
    {
        CComPtr<IPin> spPin;
        ULONG cFetched = 0;
        if (spEnum->Next(1, &spPin, &cFetched) != S_OK || cFetched != 1)
            return nVisited;
        pfnVisit(spPin, pContext);
        ++nVisited;
    }
}

// What a viewer reaches through a graph: the graph, its clock, its filters and their pins.
// Objects of their own, each with its own connections, which the graph's do not cover.
int VisitGraphObjects(IUnknown* pGraph, PFNVISIT pfnVisit, void* pContext)
{
    if (!pGraph)
        return 0;
    pfnVisit(pGraph, pContext);
    int nVisited = 1;

    CComPtr<IMediaFilter> spMediaFilter;
    CComPtr<IReferenceClock> spClock;
    if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&spMediaFilter))) &&
        spMediaFilter && spMediaFilter->GetSyncSource(&spClock) == S_OK && spClock)
    {
        pfnVisit(spClock, pContext);
        ++nVisited;
    }

    CComPtr<IFilterGraph> spGraph;
    if (FAILED(pGraph->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spGraph))) || !spGraph)
        return nVisited;
    CComPtr<IEnumFilters> spEnum;
    if (FAILED(spGraph->EnumFilters(&spEnum)) || !spEnum)
        return nVisited;
    for (;;)
    {
        CComPtr<IBaseFilter> spFilter;
        ULONG cFetched = 0;
        if (spEnum->Next(1, &spFilter, &cFetched) != S_OK || cFetched != 1)
            return nVisited;
        pfnVisit(spFilter, pContext);
        nVisited += 1 + VisitPins(spFilter, pfnVisit, pContext);
    }
}

void DisconnectVisited(IUnknown* pObject, void*)
{
    DisconnectRemoteObject(pObject);
}

struct SHoldContext
{
    IStream* pData;
    int nHeld;
};

void HoldVisited(IUnknown* pObject, void* pContext)
{
    SHoldContext* pHold = static_cast<SHoldContext*>(pContext);
    // An object that cannot be marshaled cannot reach a viewer either.
    if (SUCCEEDED(::CoMarshalInterface(pHold->pData, IID_IUnknown, pObject, MSHCTX_LOCAL, nullptr,
                                       MSHLFLAGS_TABLESTRONG)))
        ++pHold->nHeld;
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
    return VisitGraphObjects(pGraph, DisconnectVisited, nullptr);
}

void ReleaseMarshals(IStream* pData, int nMarshals)
{
    if (!pData)
        return;
    // Each marshal is read back in the order written; a failed release still reads its own.
    const LARGE_INTEGER liStart = {};
    if (FAILED(pData->Seek(liStart, STREAM_SEEK_SET, nullptr)))
        return;
    for (int i = 0; i < nMarshals; ++i)
        ::CoReleaseMarshalData(pData);
}

CPublishedStubs::CPublishedStubs() : m_spData(), m_nHeld(0)
{
}

CPublishedStubs::~CPublishedStubs()
{
    Drop();
}

int CPublishedStubs::Hold(IUnknown* pGraph)
{
    Drop();
    if (!pGraph || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &m_spData)) || !m_spData)
        return 0;
    SHoldContext hold = {m_spData, 0};
    VisitGraphObjects(pGraph, HoldVisited, &hold);
    m_nHeld = hold.nHeld;
    return m_nHeld;
}

void CPublishedStubs::Drop()
{
    ReleaseMarshals(m_spData, m_nHeld);
    m_spData.Release();
    m_nHeld = 0;
}
