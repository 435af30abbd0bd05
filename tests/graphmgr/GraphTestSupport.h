// Small helpers shared by the COM-level graph manager tests.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>
#include <vector>

#include "atl/AtlComPtr.h"
#include "TestText.h"

// System filters the tests build graphs from (not declared in the mingw headers).
inline constexpr GUID kClsidNullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
inline constexpr GUID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
// A class id registered nowhere.
inline constexpr GUID kClsidUnregistered = {0x0DDBA11, 0x1234, 0x4321, {0x80, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}};

// A new graph from CoCreateInstance(CLSID_FilterGraph), as its controlling IUnknown.
HRESULT CreateGraph(CComPtr<IUnknown>& spGraph);

// Creates a filter, adds it to the graph under pszName.
HRESULT AddFilter(IUnknown* pGraph, const GUID& clsid, const wchar_t* pszName, CComPtr<IBaseFilter>& spFilter);

// A filter's pin by its QueryPinInfo name.
HRESULT FindPinByName(IBaseFilter* pFilter, const wchar_t* pszName, CComPtr<IPin>& spPin);

HRESULT ConnectPins(IUnknown* pGraph, IBaseFilter* pOut, const wchar_t* pszOut, IBaseFilter* pIn,
                    const wchar_t* pszIn, const AM_MEDIA_TYPE* pmt);

// Replaces a test filter's configuration bytes through its own IPersistStream.
HRESULT SetTestFilterConfig(IBaseFilter* pFilter, const std::vector<BYTE>& vecConfig);

// The graph's IPersistStream::Save output.
HRESULT SaveGraph(IUnknown* pGraph, std::vector<BYTE>& vecText, BOOL fClearDirty = TRUE);

// A fresh stream holding the bytes, positioned at its start.
HRESULT StreamOnBytes(const std::vector<BYTE>& vecBytes, CComPtr<IStream>& spStream);

HRESULT LoadGraph(IUnknown* pGraph, const std::vector<BYTE>& vecText);
