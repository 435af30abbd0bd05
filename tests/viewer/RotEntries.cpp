#include "RotEntries.h"

#include <dshow.h>

#include "viewer/CookieName.h"

std::vector<std::wstring> RotNamesOfThisProcess()
{
    std::vector<std::wstring> rgNames;
    CComPtr<IRunningObjectTable> spROT;
    if (FAILED(::GetRunningObjectTable(0, &spROT)))
        return rgNames;
    CComPtr<IEnumMoniker> spEnum;
    if (FAILED(spROT->EnumRunning(&spEnum)) || !spEnum)
        return rgNames;
    CComPtr<IBindCtx> spBindCtx;
    if (FAILED(::CreateBindCtx(0, &spBindCtx)))
        return rgNames;

    wchar_t szPid[16];
    ::wsprintfW(szPid, L"pid %08x", ::GetCurrentProcessId());
    for (;;)
    {
        CComPtr<IMoniker> spMoniker;
        ULONG nFetched = 0;
        if (spEnum->Next(1, &spMoniker, &nFetched) != S_OK || nFetched != 1)
            break;
        LPOLESTR pszName = nullptr;
        if (SUCCEEDED(spMoniker->GetDisplayName(spBindCtx, nullptr, &pszName)) && pszName)
        {
            const std::wstring strName(pszName);
            if (strName.find(szPid) != std::wstring::npos)
                rgNames.push_back(strName);
            ::CoTaskMemFree(pszName);
        }
    }
    return rgNames;
}

std::wstring ExpectedRotName(const void* pGraph)
{
    wchar_t szName[kCookieNameChars];
    ::wsprintfW(szName, L"!FilterGraph %08x pid %08x", GraphNumberOf(pGraph), ::GetCurrentProcessId());
    return szName;
}

CComPtr<IUnknown> CreateFilterGraph()
{
    CComPtr<IUnknown> spGraph;
    IGraphBuilder* pBuilder = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&pBuilder))))
        spGraph.Attach(pBuilder);
    return spGraph;
}
