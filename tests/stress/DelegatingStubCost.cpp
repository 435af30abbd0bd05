// What one generation of interface stubs leaves in the process's heaps, with the platform's own
// filter only: the yardstick for the tool's working set over many connected viewers.
//   delegating_stub_cost.exe [CYCLES]      (default 500)
// A cycle is what the tool does for each viewer: it marshals an interface of a filter
// table-strong (the stubs a viewer uses), ends the filter's remote connections, and gives the
// marshal back. Interfaces whose base is another interface than IUnknown get stubs that
// delegate to a stub of the base; the others do not. It prints the growth of the bytes in use
// in the process's heaps per cycle, for each interface.
#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <cwchar>

#include "atl/AtlComPtr.h"

namespace
{
    struct SInterfaceCase
    {
        const wchar_t* pszName;
        const IID* pIid;
    };

    const SInterfaceCase kCases[] = {
        {L"IPersist (base IUnknown)", &IID_IPersist},
        {L"IPin (base IUnknown)", &IID_IPin},
        {L"IMediaFilter (base IPersist)", &IID_IMediaFilter},
        {L"IBaseFilter (base IMediaFilter)", &IID_IBaseFilter},
    };

    // Over every heap of the process: the platform's libraries do not all allocate from the
    // process heap.
    SIZE_T HeapBytesInUse()
    {
        HANDLE rgHeaps[64] = {};
        const DWORD cHeaps = ::GetProcessHeaps(64, rgHeaps);
        SIZE_T cbInUse = 0;
        for (DWORD i = 0; i < cHeaps && i < 64; ++i)
        {
            PROCESS_HEAP_ENTRY entry = {};
            ::HeapLock(rgHeaps[i]);
            while (::HeapWalk(rgHeaps[i], &entry))
                if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                    cbInUse += entry.cbData;
            ::HeapUnlock(rgHeaps[i]);
        }
        return cbInUse;
    }

    HRESULT Cycle(IUnknown* pObject, REFIID riid)
    {
        CComPtr<IStream> spStream;
        HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, &spStream);
        if (SUCCEEDED(hr))
            hr = ::CoMarshalInterface(spStream, riid, pObject, MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG);
        if (FAILED(hr))
            return hr;
        ::CoDisconnectObject(pObject, 0);
        const LARGE_INTEGER start = {};
        spStream->Seek(start, STREAM_SEEK_SET, nullptr);
        // As the tool does, after the disconnect; the platform may then call the marshal
        // invalid, and the stream still goes with it.
        ::CoReleaseMarshalData(spStream);
        return S_OK;
    }

    // Bytes in use per cycle after a warm-up.
    HRESULT BytesPerCycle(IUnknown* pObject, REFIID riid, int nCycles, double* pdBytes)
    {
        const int kWarmUp = 20;
        SIZE_T cbBefore = 0;
        for (int i = 0; i < kWarmUp + nCycles; ++i)
        {
            if (i == kWarmUp)
                cbBefore = HeapBytesInUse();
            const HRESULT hr = Cycle(pObject, riid);
            if (FAILED(hr))
                return hr;
        }
        *pdBytes = (static_cast<double>(HeapBytesInUse()) - static_cast<double>(cbBefore)) / nCycles;
        return S_OK;
    }
}

int wmain(int argc, wchar_t** argv)
{
    const int nCycles = argc > 1 && _wtoi(argv[1]) > 0 ? _wtoi(argv[1]) : 500;
    if (FAILED(::CoInitialize(nullptr)))
        return 4;
    int nResult = 0;
    {
        CComPtr<IBaseFilter> spFilter;
        if (FAILED(::CoCreateInstance(CLSID_AviSplitter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                      reinterpret_cast<void**>(&spFilter))))
            nResult = 4;
        for (const SInterfaceCase& c : kCases)
        {
            if (!spFilter)
                break;
            CComPtr<IUnknown> spObject;
            if (c.pIid == &IID_IPin)
            {
                CComPtr<IEnumPins> spPins;
                CComPtr<IPin> spPin;
                if (SUCCEEDED(spFilter->EnumPins(&spPins)) && spPins->Next(1, &spPin, nullptr) == S_OK)
                    spObject = spPin;
            }
            else
                spObject = spFilter;
            double dBytes = 0.0;
            const HRESULT hr = spObject ? BytesPerCycle(spObject, *c.pIid, nCycles, &dBytes) : E_NOINTERFACE;
            if (FAILED(hr))
            {
                std::wprintf(L"%-34ls a cycle failed: 0x%08lX\n", c.pszName, static_cast<unsigned long>(hr));
                nResult = 1;
            }
            else
                std::wprintf(L"%-34ls %+8.1f bytes in use in the heaps a cycle (%d cycles)\n", c.pszName, dBytes,
                             nCycles);
            std::fflush(stdout);
        }
    }
    ::CoUninitialize();
    return nResult;
}
