#include "PinSearch.h"

#include "atl/AtlComPtr.h"

HRESULT FindPinByInfo(IBaseFilter* pFilter, LPCWSTR pszName, const PIN_DIRECTION* pDir, IPin** ppPin)
{
    if (!pFilter || !ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    CComPtr<IEnumPins> spPins;
    HRESULT hr = pFilter->EnumPins(&spPins);
    if (FAILED(hr))
        return hr;
    ULONG cFetched = 0;  // a remote enumerator needs somewhere to put the count
    for (CComPtr<IPin> spPin; spPins->Next(1, &spPin, &cFetched) == S_OK && cFetched == 1; spPin.Release())
    {
        PIN_INFO info = {};
        if (FAILED(spPin->QueryPinInfo(&info)))
            continue;
        if (info.pFilter)
            info.pFilter->Release();
        if ((!pDir || info.dir == *pDir) && (!pszName || lstrcmpW(pszName, info.achName) == 0))
        {
            *ppPin = spPin.Detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}
