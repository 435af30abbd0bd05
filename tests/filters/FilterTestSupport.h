// Shared pieces of the filter tests: COM set-up, records in and out of a filter's
// IPersistStream, pins by name, loading graph files and waiting for graph events.
#pragma once

#include <dshow.h>

#include <vector>

#include "atl/AtlComPtr.h"

// Enters a single-threaded apartment for one scope.
class CComScope
{
public:
    CComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope() { if (SUCCEEDED(m_hr)) CoUninitialize(); }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// Gives the object a record through its IPersistStream::Load.
HRESULT LoadRecordInto(IUnknown* pObject, const BYTE* pRecord, ULONG cbRecord);
// What the object's IPersistStream::Save writes; empty on failure.
std::vector<BYTE> SaveRecordOf(IUnknown* pObject, BOOL bClearDirty = TRUE);

CComPtr<IPin> PinOf(IBaseFilter* pFilter, LPCWSTR pszName);
// Whether two interface pointers belong to the same COM object.
bool SameObject(IUnknown* pA, IUnknown* pB);

// The steps of reading a graph file into a graph manager, each with its own result;
// a step that was not reached keeps E_ABORT.
struct SGraphLoad
{
    HRESULT m_hrOpen = E_ABORT;    // StgOpenStorage
    HRESULT m_hrStream = E_ABORT;  // IStorage::OpenStream("ActiveMovieGraph")
    HRESULT m_hrLoad = E_ABORT;    // the graph manager's IPersistStream::Load
};
SGraphLoad LoadGraphFile(LPCWSTR pszPath, IGraphBuilder* pGraph);
HRESULT CreateGraph(IGraphBuilder** ppGraph);

// The first filter of the class, S_FALSE when the graph holds none.
HRESULT FindFilterByClass(IGraphBuilder* pGraph, REFCLSID clsid, IBaseFilter** ppFilter);

// Takes events off the graph's queue, keeping this thread's windows served, until the
// wanted event arrives (true) or the deadline passes (false). Events seen on the way
// are appended to pvecSeen when given.
bool WaitForGraphEvent(IMediaEvent* pEvent, long lWanted, DWORD dwDeadlineMs, std::vector<long>* pvecSeen = nullptr);

// The path of a fixture in the prefix.
std::vector<WCHAR> FixturePathOf(LPCWSTR pszName);

// The filters' module as installed in the prefix, loaded into this process so its
// live-object count can be read; CoCreateInstance of the filters uses the same copy.
class CStandinModule
{
public:
    CStandinModule();
    ~CStandinModule();
    CStandinModule(const CStandinModule&) = delete;
    CStandinModule& operator=(const CStandinModule&) = delete;

    bool IsLoaded() const { return m_hModule && m_pfnLiveObjects; }
    LONG LiveObjects() const { return m_pfnLiveObjects ? m_pfnLiveObjects() : -1; }
    FARPROC Export(const char* pszName) const { return m_hModule ? GetProcAddress(m_hModule, pszName) : nullptr; }

private:
    HMODULE m_hModule;
    LONG(WINAPI* m_pfnLiveObjects)(void);
};
