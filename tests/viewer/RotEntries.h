// What the Running Object Table shows of this process, and a filter graph to publish.
#pragma once

#include <objbase.h>

#include <string>
#include <vector>

#include "atl/AtlComPtr.h"

// Display names of the table's entries whose name carries this process's id
// ("pid " and 8 lower-case hexadecimal digits).
std::vector<std::wstring> RotNamesOfThisProcess();

// The display name under which a graph at pGraph is published by this process:
// "!" and the 33-character item name.
std::wstring ExpectedRotName(const void* pGraph);

// A new filter graph manager; null on failure.
CComPtr<IUnknown> CreateFilterGraph();

// This thread's single-threaded apartment for the length of a test.
class CApartment
{
public:
    CApartment() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CApartment()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CApartment(const CApartment&) = delete;
    CApartment& operator=(const CApartment&) = delete;

    HRESULT m_hr;
};
