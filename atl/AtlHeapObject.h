// COM objects of our own live on the process heap. The product links no C++ run-time:
// its throwing operator new would bring the exception machinery into the executable and
// end the process in std::terminate when an allocation fails, where a COM caller expects
// E_OUTOFMEMORY.
#pragma once

#include <windows.h>

#include <new>

// Makes a T on the process heap. *ppObject is null on failure.
template <class T, class... TArgs>
HRESULT AtlHeapCreate(T** ppObject, TArgs... args)
{
    if (!ppObject)
        return E_POINTER;
    *ppObject = nullptr;
    void* pvMemory = ::HeapAlloc(::GetProcessHeap(), 0, sizeof(T));
    if (!pvMemory)
        return E_OUTOFMEMORY;
    *ppObject = ::new (pvMemory) T(args...);
    return S_OK;
}

// Ends an object made by AtlHeapCreate: its own destructor, then its memory. T must be the
// object's exact type, since nothing here is virtual.
template <class T>
void AtlHeapDestroy(T* pObject)
{
    if (!pObject)
        return;
    pObject->~T();
    ::HeapFree(::GetProcessHeap(), 0, pObject);
}
