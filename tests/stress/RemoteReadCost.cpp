// What a client process that reads a published filter graph leaves in the publishing process,
// with the platform's own graph manager and filters only (nothing of the tool or the stand-ins):
// the yardstick for the tool's working set over many connected viewers.
//   remote_read_cost.exe [CLIENTS [DEPTH]]      (default 300 clients, every depth 1..4)
// DEPTH: 1 binds the graph through the Running Object Table and asks for IFilterGraph;
// 2 also enumerates the filters; 3 also asks each filter for its name; 4 also enumerates each
// filter's pins, as a viewer does. As the tool, the publisher registers the graph before each
// client, withdraws it once the client has ended and ends the remote connections of the graph,
// its filters and their pins. It prints its working set after client 50 and after the last.
#include <windows.h>
#include <dshow.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "atl/AtlComPtr.h"

namespace
{
    const wchar_t kItem[] = L"remote-read-cost";

    void ServeUntilEnded(HANDLE hProcess)
    {
        while (::MsgWaitForMultipleObjects(1, &hProcess, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
        }
    }

    HRESULT ReadPins(IBaseFilter* pFilter)
    {
        CComPtr<IEnumPins> spEnum;
        HRESULT hr = pFilter->EnumPins(&spEnum);
        for (ULONG cFetched = 0; SUCCEEDED(hr);)
        {
            CComPtr<IPin> spPin;
            if (spEnum->Next(1, &spPin, &cFetched) != S_OK)
                return S_OK;
            PIN_DIRECTION direction;
            hr = spPin->QueryDirection(&direction);
        }
        return hr;
    }

    HRESULT ReadGraph(int nDepth)
    {
        CComPtr<IRunningObjectTable> spTable;
        CComPtr<IMoniker> spMoniker;
        CComPtr<IUnknown> spObject;
        HRESULT hr = ::GetRunningObjectTable(0, &spTable);
        if (SUCCEEDED(hr))
            hr = ::CreateItemMoniker(L"!", kItem, &spMoniker);
        if (SUCCEEDED(hr))
            hr = spTable->GetObject(spMoniker, &spObject);
        if (hr != S_OK)
            return FAILED(hr) ? hr : E_UNEXPECTED;
        CComPtr<IFilterGraph> spGraph;
        CComPtr<IEnumFilters> spEnum;
        hr = spObject.QueryInterface(&spGraph);
        if (FAILED(hr) || nDepth < 2)
            return hr;
        hr = spGraph->EnumFilters(&spEnum);
        for (ULONG cFetched = 0; SUCCEEDED(hr);)
        {
            CComPtr<IBaseFilter> spFilter;
            if (spEnum->Next(1, &spFilter, &cFetched) != S_OK)
                return S_OK;
            FILTER_INFO info = {};
            if (nDepth >= 3 && SUCCEEDED(hr = spFilter->QueryFilterInfo(&info)) && info.pGraph)
                info.pGraph->Release();
            if (SUCCEEDED(hr) && nDepth >= 4)
                hr = ReadPins(spFilter);
        }
        return hr;
    }

    int Client(int nDepth)
    {
        if (FAILED(::CoInitialize(nullptr)))
            return 2;
        const HRESULT hr = ReadGraph(nDepth);
        ::CoUninitialize();
        return SUCCEEDED(hr) ? 0 : 3;
    }

    void Disconnect(IGraphBuilder* pGraph)
    {
        CComPtr<IEnumFilters> spFilters;
        if (SUCCEEDED(pGraph->EnumFilters(&spFilters)))
            for (CComPtr<IBaseFilter> spFilter; spFilters->Next(1, &spFilter, nullptr) == S_OK; spFilter.Release())
            {
                CComPtr<IEnumPins> spPins;
                if (SUCCEEDED(spFilter->EnumPins(&spPins)))
                    for (CComPtr<IPin> spPin; spPins->Next(1, &spPin, nullptr) == S_OK; spPin.Release())
                        ::CoDisconnectObject(spPin, 0);
                ::CoDisconnectObject(spFilter, 0);
            }
        ::CoDisconnectObject(pGraph, 0);
    }

    size_t WorkingSetKb()
    {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
        return counters.WorkingSetSize / 1024;
    }

    // The platform's own graph manager, whatever the prefix registers for its class.
    HRESULT CreatePlatformGraph(IGraphBuilder** ppGraph)
    {
        HMODULE hQuartz = ::LoadLibraryW(L"quartz.dll");
        LPFNGETCLASSOBJECT pfnGetClassObject = hQuartz ? reinterpret_cast<LPFNGETCLASSOBJECT>(reinterpret_cast<void*>(
                                                             ::GetProcAddress(hQuartz, "DllGetClassObject")))
                                                       : nullptr;
        if (!pfnGetClassObject)
            return HRESULT_FROM_WIN32(::GetLastError());
        CComPtr<IClassFactory> spFactory;
        HRESULT hr = pfnGetClassObject(CLSID_FilterGraph, IID_IClassFactory, reinterpret_cast<void**>(&spFactory));
        if (SUCCEEDED(hr))
            hr = spFactory->CreateInstance(nullptr, IID_IGraphBuilder, reinterpret_cast<void**>(ppGraph));
        return hr;
    }

    // One publisher run: CLIENTS clients of one depth, one after the other.
    int Publish(int nClients, int nDepth)
    {
        CComPtr<IGraphBuilder> spGraph;
        if (FAILED(CreatePlatformGraph(&spGraph)))
            return 4;
        for (const CLSID* pClsid : {&CLSID_AsyncReader, &CLSID_AviSplitter, &CLSID_VideoRenderer})
        {
            CComPtr<IBaseFilter> spFilter;
            if (SUCCEEDED(::CoCreateInstance(*pClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                             reinterpret_cast<void**>(&spFilter))))
                spGraph->AddFilter(spFilter, nullptr);
        }
        CComPtr<IRunningObjectTable> spTable;
        CComPtr<IMoniker> spMoniker;
        if (FAILED(::GetRunningObjectTable(0, &spTable)) || FAILED(::CreateItemMoniker(L"!", kItem, &spMoniker)))
            return 4;
        wchar_t szSelf[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, szSelf, MAX_PATH);
        int nFailed = 0;
        size_t kbAt50 = 0;
        for (int i = 1; i <= nClients; ++i)
        {
            DWORD dwCookie = 0;
            if (FAILED(spTable->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, spGraph, spMoniker, &dwCookie)))
                return 4;
            wchar_t szCommand[MAX_PATH + 32];
            swprintf(szCommand, MAX_PATH + 32, L"\"%ls\" --client %d", szSelf, nDepth);
            STARTUPINFOW startup = {};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION process = {};
            if (!::CreateProcessW(nullptr, szCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process))
                return 4;
            ServeUntilEnded(process.hProcess);
            DWORD dwExit = 1;
            ::GetExitCodeProcess(process.hProcess, &dwExit);
            nFailed += dwExit != 0;
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
            spTable->Revoke(dwCookie);
            Disconnect(spGraph);
            if (i == 50)
                kbAt50 = WorkingSetKb();
        }
        const size_t kbLast = WorkingSetKb();
        std::wprintf(L"depth %d: working set %zu KB after client 50, %zu KB after client %d: %+.1f KB a client "
                     L"(%d clients failed)\n",
                     nDepth, kbAt50, kbLast, nClients,
                     nClients > 50 ? (static_cast<double>(kbLast) - static_cast<double>(kbAt50)) / (nClients - 50) : 0.0,
                     nFailed);
        std::fflush(stdout);
        return nFailed == 0 ? 0 : 1;
    }
}

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && wcscmp(argv[1], L"--client") == 0)
        return Client(_wtoi(argv[2]));
    const int nClients = argc > 1 ? _wtoi(argv[1]) : 300;
    const int nOnlyDepth = argc > 2 ? _wtoi(argv[2]) : 0;
    if (FAILED(::CoInitialize(nullptr)))
        return 4;
    int nResult = 0;
    for (int nDepth = 1; nDepth <= 4; ++nDepth)
        if (nOnlyDepth == 0 || nOnlyDepth == nDepth)
            nResult = std::max(nResult, Publish(nClients, nDepth));
    ::CoUninitialize();
    return nResult;
}
