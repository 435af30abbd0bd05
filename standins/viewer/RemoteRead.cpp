#include "RemoteRead.h"

#include <dshow.h>

#include "ReportLog.h"
#include "ViewerSettings.h"

namespace
{
    // Every call into the publishing process goes through here: a viewer that is busy
    // between its calls, so that it is still halfway through when it is asked to quit.
    void BeforeRemoteCall(DWORD dwPauseMs)
    {
        if (dwPauseMs > 0)
            Sleep(dwPauseMs);
    }

    void KeepIn(CRemoteHold* pHold, IUnknown* pUnknown)
    {
        if (pHold && pUnknown)
            pHold->Keep(pUnknown);
    }

    HRESULT ReadPins(IBaseFilter* pFilter, DWORD dwPauseMs, CRemoteHold* pHold, bool bKeepEnumerators)
    {
        CComPtr<IEnumPins> spEnum;
        BeforeRemoteCall(dwPauseMs);
        HRESULT hr = pFilter->EnumPins(&spEnum);
        if (FAILED(hr))
            return hr;
        if (bKeepEnumerators)
            KeepIn(pHold, spEnum);
        for (;;)
        {
            CComPtr<IPin> spPin;
            ULONG cFetched = 0;
            BeforeRemoteCall(dwPauseMs);
            if (spEnum->Next(1, &spPin, &cFetched) != S_OK || cFetched != 1)
                return S_OK;
            PIN_DIRECTION direction = PINDIR_INPUT;
            BeforeRemoteCall(dwPauseMs);
            hr = spPin->QueryDirection(&direction);
            if (FAILED(hr))
                return hr;
            KeepIn(pHold, spPin);
        }
    }
}

void CRemoteHold::Keep(IUnknown* pUnknown)
{
    m_rgspKept.push_back(CComPtr<IUnknown>(pUnknown));
}

size_t CRemoteHold::ReleaseAll()
{
    const size_t nKept = m_rgspKept.size();
    for (CComPtr<IUnknown>& sp : m_rgspKept)
        sp.Release();
    m_rgspKept.clear();
    return nKept;
}

CRemoteHold& ViewerHold()
{
    static CRemoteHold s_hold;
    return s_hold;
}

HRESULT ReadRemoteGraph(IMoniker* pMoniker, DWORD dwPauseMs, CRemoteHold* pHold, bool bKeepEnumerators,
                        const CReportLog* pLog, std::vector<std::wstring>* prgNames)
{
    if (!pMoniker || !prgNames)
        return E_POINTER;
    prgNames->clear();
    if (pLog)
        pLog->Append(L"connecting");

    CComPtr<IRunningObjectTable> spTable;
    HRESULT hr = GetRunningObjectTable(0, &spTable);
    if (FAILED(hr))
        return hr;
    CComPtr<IUnknown> spObject;
    BeforeRemoteCall(dwPauseMs);
    hr = spTable->GetObject(pMoniker, &spObject);
    if (FAILED(hr))
        return hr;
    if (!spObject)
        return E_UNEXPECTED;
    KeepIn(pHold, spObject);
    CComPtr<IFilterGraph> spGraph;
    BeforeRemoteCall(dwPauseMs);
    hr = spObject.QueryInterface(&spGraph);
    if (FAILED(hr))
        return hr;
    KeepIn(pHold, spGraph);
    CComPtr<IEnumFilters> spEnum;
    BeforeRemoteCall(dwPauseMs);
    hr = spGraph->EnumFilters(&spEnum);
    if (FAILED(hr))
        return hr;
    if (bKeepEnumerators)
        KeepIn(pHold, spEnum);

    for (;;)
    {
        CComPtr<IBaseFilter> spFilter;
        ULONG cFetched = 0;   // across processes the enumerator insists on a count pointer
        BeforeRemoteCall(dwPauseMs);
        if (spEnum->Next(1, &spFilter, &cFetched) != S_OK || cFetched != 1)
            break;
        FILTER_INFO info = {};
        BeforeRemoteCall(dwPauseMs);
        hr = spFilter->QueryFilterInfo(&info);
        if (FAILED(hr))
            return hr;
        if (info.pGraph)
            info.pGraph->Release();
        prgNames->push_back(info.achName);
        KeepIn(pHold, spFilter);
        hr = ReadPins(spFilter, dwPauseMs, pHold, bKeepEnumerators);
        if (FAILED(hr))
            return hr;
    }
    if (pLog && pHold)
    {
        wchar_t szLine[48] = {};
        swprintf(szLine, 48, L"holding %u", static_cast<unsigned>(pHold->Count()));
        pLog->Append(szLine);
    }
    return S_OK;
}

void EndRemoteHold(const CViewerSettings& settings, const CReportLog& log)
{
    CRemoteHold& hold = ViewerHold();
    if (hold.Count() == 0)
        return;
    wchar_t szLine[48] = {};
    if (settings.m_dwEndWithoutRelease != 0)
    {
        swprintf(szLine, 48, L"ended-holding %u", static_cast<unsigned>(hold.Count()));
        log.Append(szLine);
        // As a viewer that crashes: nothing is released, nothing of COM is shut down.
        TerminateProcess(GetCurrentProcess(), 0);
    }
    if (settings.m_dwHoldAfterQuitMs > 0)
        Sleep(settings.m_dwHoldAfterQuitMs);
    swprintf(szLine, 48, L"released %u", static_cast<unsigned>(hold.ReleaseAll()));
    log.Append(szLine);
}
