#include "RotChild.h"

#include <dshow.h>

#include "atl/AtlComPtr.h"

namespace
{
int InspectGraph(const wchar_t* pszItem)
{
    CComPtr<IRunningObjectTable> spTable;
    if (FAILED(GetRunningObjectTable(0, &spTable)))
        return eRotChildNoTable;
    CComPtr<IMoniker> spMoniker;
    if (FAILED(CreateItemMoniker(L"!", pszItem, &spMoniker)))
        return eRotChildNoMoniker;
    CComPtr<IUnknown> spObject;
    if (FAILED(spTable->GetObject(spMoniker, &spObject)))
        return eRotChildNotRegistered;

    CComPtr<IFilterGraph> spGraph;
    if (FAILED(spObject->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&spGraph))))
        return eRotChildNoFilterGraph;
    CComPtr<IEnumFilters> spEnum;
    if (FAILED(spGraph->EnumFilters(&spEnum)))
        return eRotChildNoEnum;
    int nFilters = 0;
    ULONG cFetched = 0;  // a remote enumerator needs somewhere to put the count
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK && cFetched == 1; spFilter.Release())
        ++nFilters;

    // Answered by the outer object itself, not the aggregated graph: proves that the
    // object marshalled across is ours as a whole.
    CComPtr<IPersistStream> spPersist;
    if (FAILED(spObject->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist))))
        return eRotChildNoPersist;
    CLSID clsid = {};
    if (FAILED(spPersist->GetClassID(&clsid)) || !IsEqualCLSID(clsid, CLSID_FilterGraph))
        return eRotChildWrongClass;
    return nFilters;
}
}  // namespace

int RunRotChild(const wchar_t* pszItem)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int nExit = InspectGraph(pszItem);
    CoUninitialize();
    return nExit;
}
