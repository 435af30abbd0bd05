#include "FilterTestSupport.h"

#include "StandinFilters.h"
#include "fixtures/FixtureTable.h"
#include "PersistBytes.h"

HRESULT LoadRecordInto(IUnknown* pObject, const BYTE* pRecord, ULONG cbRecord)
{
    return LoadFromBytes(pObject, pRecord, cbRecord);
}

std::vector<BYTE> SaveRecordOf(IUnknown* pObject, BOOL bClearDirty)
{
    std::vector<BYTE> vec;
    SaveToBytes(pObject, bClearDirty, &vec);
    return vec;
}

CComPtr<IPin> PinOf(IBaseFilter* pFilter, LPCWSTR pszName)
{
    CComPtr<IPin> spPin;
    if (pFilter)
        pFilter->FindPin(pszName, &spPin);
    return spPin;
}

bool SameObject(IUnknown* pA, IUnknown* pB)
{
    CComPtr<IUnknown> spA;
    CComPtr<IUnknown> spB;
    if (FAILED(CComPtr<IUnknown>(pA).QueryInterface(&spA)) || FAILED(CComPtr<IUnknown>(pB).QueryInterface(&spB)))
        return false;
    return spA.p == spB.p;
}

HRESULT CreateGraph(IGraphBuilder** ppGraph)
{
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                            reinterpret_cast<void**>(ppGraph));
}

SGraphLoad LoadGraphFile(LPCWSTR pszPath, IGraphBuilder* pGraph)
{
    const DWORD kMode = STGM_READ | STGM_SHARE_EXCLUSIVE;
    SGraphLoad result;
    CComPtr<IStorage> spStorage;
    result.m_hrOpen = StgOpenStorage(pszPath, nullptr, kMode, nullptr, 0, &spStorage);
    if (result.m_hrOpen != S_OK)
        return result;
    CComPtr<IStream> spStream;
    result.m_hrStream = spStorage->OpenStream(GRAPH_STREAM_NAME_W, nullptr, kMode, 0, &spStream);
    if (result.m_hrStream != S_OK)
        return result;
    CComPtr<IPersistStream> spPersist;
    result.m_hrLoad = CComPtr<IUnknown>(pGraph).QueryInterface(&spPersist);
    if (SUCCEEDED(result.m_hrLoad))
        result.m_hrLoad = spPersist->Load(spStream);
    return result;
}

HRESULT FindFilterByClass(IGraphBuilder* pGraph, REFCLSID clsid, IBaseFilter** ppFilter)
{
    *ppFilter = nullptr;
    CComPtr<IEnumFilters> spEnum;
    HRESULT hr = pGraph->EnumFilters(&spEnum);
    if (FAILED(hr))
        return hr;
    ULONG cFetched = 0;
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK; spFilter.Release())
    {
        CLSID clsidFilter = GUID_NULL;
        if (SUCCEEDED(spFilter->GetClassID(&clsidFilter)) && clsidFilter == clsid)
        {
            *ppFilter = spFilter.Detach();
            return S_OK;
        }
    }
    return S_FALSE;
}

bool WaitForGraphEvent(IMediaEvent* pEvent, long lWanted, DWORD dwDeadlineMs, std::vector<long>* pvecSeen)
{
    OAEVENT hEvent = 0;
    if (FAILED(pEvent->GetEventHandle(&hEvent)))
        return false;
    ULONGLONG ullDeadline = GetTickCount64() + dwDeadlineMs;
    for (;;)
    {
        long lCode = 0;
        LONG_PTR lParam1 = 0;
        LONG_PTR lParam2 = 0;
        while (pEvent->GetEvent(&lCode, &lParam1, &lParam2, 0) == S_OK)
        {
            pEvent->FreeEventParams(lCode, lParam1, lParam2);
            if (pvecSeen)
                pvecSeen->push_back(lCode);
            if (lCode == lWanted)
                return true;
        }
        ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullDeadline)
            return false;
        HANDLE h = reinterpret_cast<HANDLE>(hEvent);
        MsgWaitForMultipleObjects(1, &h, FALSE, static_cast<DWORD>(ullDeadline - ullNow), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

std::vector<WCHAR> FixturePathOf(LPCWSTR pszName)
{
    std::vector<WCHAR> vec(MAX_PATH, L'\0');
    const SFixture* pFixture = FindFixture(pszName);
    if (pFixture)
        ComposeFixturePath(*pFixture, FIXTURES_DIR_W, DEMO_GRAPH_DIR_W, vec.data(), vec.size());
    return vec;
}

CStandinModule::CStandinModule()
    : m_hModule(LoadLibraryW(STANDIN_FILTERS_INSTALLED_W)), m_pfnLiveObjects(nullptr)
{
    if (m_hModule)
        m_pfnLiveObjects = reinterpret_cast<PFN_STANDIN_LIVE_OBJECTS>(
            reinterpret_cast<void*>(GetProcAddress(m_hModule, "StandinLiveObjects")));
}

CStandinModule::~CStandinModule()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}
