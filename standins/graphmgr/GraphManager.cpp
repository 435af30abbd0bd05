#include "GraphManager.h"

#include <new>
#include <utility>

#include "GraphDescriber.h"
#include "GraphRebuilder.h"
#include "GrfParser.h"
#include "GrfWriter.h"
#include "ModuleState.h"
#include "RunSwitch.h"

namespace
{
// More than any graph of filters holds; a longer stream is read no further.
const size_t kMaxGraphText = 64u * 1024u * 1024u;

class CLockGuard
{
public:
    explicit CLockGuard(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CLockGuard() { LeaveCriticalSection(&m_cs); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// The bytes left in the stream when it can tell (one byte more, so that a stream holding
// more than it said is still read on), or a chunk size when it cannot.
ULONG FirstChunk(IStream* pStm, ULONG cbChunk)
{
    STATSTG stat = {};
    LARGE_INTEGER liZero = {};
    ULARGE_INTEGER uliPosition = {};
    if (FAILED(pStm->Stat(&stat, STATFLAG_NONAME)) || FAILED(pStm->Seek(liZero, STREAM_SEEK_CUR, &uliPosition)) ||
        stat.cbSize.QuadPart < uliPosition.QuadPart || stat.cbSize.QuadPart - uliPosition.QuadPart >= kMaxGraphText)
        return cbChunk;
    return static_cast<ULONG>(stat.cbSize.QuadPart - uliPosition.QuadPart) + 1;
}

HRESULT ReadWholeStream(IStream* pStm, std::vector<BYTE>& vecData)
{
    vecData.clear();
    // Sized to the stream where possible: a small graph's text then costs one buffer of its
    // own size instead of a fixed chunk.
    ULONG cbChunk = FirstChunk(pStm, 64 * 1024);
    for (;;)
    {
        size_t cbOld = vecData.size();
        if (cbOld >= kMaxGraphText)
            return E_OUTOFMEMORY;
        vecData.resize(cbOld + cbChunk);
        ULONG cbRead = 0;
        HRESULT hr = pStm->Read(vecData.data() + cbOld, cbChunk, &cbRead);
        if (FAILED(hr))
            return hr;
        vecData.resize(cbOld + cbRead);
        // Fewer bytes than asked for: the stream has reached its end.
        if (hr == S_FALSE || cbRead < cbChunk)
            return S_OK;
        cbChunk = 64 * 1024;
    }
}

// An empty graph as the describer sees it: no filters, the graph left to pick its clock.
CGrfGraphDesc EmptyGraph()
{
    CGrfGraphDesc graph;
    graph.m_clock.m_bRequired = true;
    return graph;
}

HRESULT WriteAll(IStream* pStm, const std::vector<BYTE>& vecData)
{
    ULONG cbWritten = 0;
    HRESULT hr = pStm->Write(vecData.data(), static_cast<ULONG>(vecData.size()), &cbWritten);
    if (FAILED(hr))
        return hr;
    return cbWritten == vecData.size() ? S_OK : STG_E_MEDIUMFULL;
}
}  // namespace

CGraphManager::CGraphManager(IUnknown* pOuter) : m_inner(*this), m_pOuter(pOuter ? pOuter : &m_inner)
{
    InitializeCriticalSection(&m_cs);
    ModuleObjectCreated();
}

CGraphManager::~CGraphManager()
{
    DeleteCriticalSection(&m_cs);
    ModuleObjectDestroyed();
}

HRESULT CGraphManager::Create(IUnknown* pOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // An outer object can only hold us through our own IUnknown; the system graph answers
    // any other request so.
    if (pOuter && !IsEqualIID(riid, IID_IUnknown))
        return E_NOINTERFACE;
    CGraphManager* pManager = new (std::nothrow) CGraphManager(pOuter);
    if (!pManager)
        return E_OUTOFMEMORY;
    // The new object holds the one reference from its constructor until the query below.
    HRESULT hr = pManager->CreateInner();
    if (SUCCEEDED(hr))
        hr = pManager->m_inner.QueryInterface(riid, ppv);
    pManager->m_inner.Release();
    return hr;
}

HRESULT CGraphManager::CreateInner()
{
    HMODULE hQuartz = ModuleQuartz();
    if (!hQuartz)
        return HRESULT_FROM_WIN32(GetLastError());
    LPFNGETCLASSOBJECT pfnGetClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(
        reinterpret_cast<void*>(GetProcAddress(hQuartz, "DllGetClassObject")));
    if (!pfnGetClassObject)
        return HRESULT_FROM_WIN32(GetLastError());

    CComPtr<IClassFactory> spFactory;
    HRESULT hr = pfnGetClassObject(CLSID_FilterGraph, IID_IClassFactory, reinterpret_cast<void**>(&spFactory));
    if (FAILED(hr))
        return hr;
    hr = spFactory->CreateInstance(m_pOuter, IID_IUnknown, reinterpret_cast<void**>(&m_spInner));
    if (FAILED(hr))
        return hr;

    // An interface taken from the inner object counts on the controlling unknown; give that
    // reference back so the cache does not keep the aggregate alive.
    hr = m_spInner->QueryInterface(IID_IFilterGraph, reinterpret_cast<void**>(&m_pGraph));
    if (FAILED(hr))
        return hr;
    m_pOuter->Release();
    return S_OK;
}

STDMETHODIMP CGraphManager::CInner::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CGraphManager& manager = Manager();
    if (IsEqualIID(riid, IID_IUnknown))
    {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStream))
    {
        *ppv = static_cast<IPersistStream*>(&manager);
        manager.AddRef();
        return S_OK;
    }
    if (!manager.m_spInner)
        return E_NOINTERFACE;
    HRESULT hrRun = S_OK;
    if (IsEqualIID(riid, IID_IMediaControl) && ReadRunResultSwitch(HKEY_CURRENT_USER, kRunSwitchKey, &hrRun))
    {
        IMediaControl* pControl = nullptr;
        HRESULT hr = manager.m_spInner->QueryInterface(riid, reinterpret_cast<void**>(&pControl));
        if (FAILED(hr))
            return hr;
        return CSwitchedMediaControl::Create(manager.m_pOuter, pControl, ppv);
    }
    return manager.m_spInner->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CGraphManager::CInner::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&Manager().m_lRef));
}

STDMETHODIMP_(ULONG) CGraphManager::CInner::Release()
{
    CGraphManager& manager = Manager();
    LONG lRef = InterlockedDecrement(&manager.m_lRef);
    if (lRef != 0)
        return static_cast<ULONG>(lRef);

    // Guard count: releasing the cached pointer and the inner object calls back into the
    // controlling unknown, and must not bring us to zero a second time.
    manager.m_lRef = 1;
    if (manager.m_pGraph)
    {
        manager.m_pOuter->AddRef();
        IFilterGraph* pGraph = manager.m_pGraph;
        manager.m_pGraph = nullptr;
        pGraph->Release();
    }
    manager.m_spInner.Release();
    delete &manager;
    return 0;
}

STDMETHODIMP CGraphManager::QueryInterface(REFIID riid, void** ppv)
{
    return m_pOuter->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CGraphManager::AddRef()
{
    return m_pOuter->AddRef();
}

STDMETHODIMP_(ULONG) CGraphManager::Release()
{
    return m_pOuter->Release();
}

STDMETHODIMP CGraphManager::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_FilterGraph;
    return S_OK;
}

HRESULT CGraphManager::ComposeText(bool bClearFilterDirty, CGrfGraphDesc& graph, std::vector<BYTE>& vecText)
{
    HRESULT hr = DescribeGraph(m_pGraph, bClearFilterDirty, graph);
    if (FAILED(hr))
        return hr;
    return WriteGrfText(graph, vecText);
}

STDMETHODIMP CGraphManager::IsDirty()
{
    CLockGuard lock(m_cs);
    try
    {
        CGrfGraphDesc now;
        std::vector<BYTE> vecNow;
        if (FAILED(ComposeText(false, now, vecNow)))
            return S_OK;  // cannot tell: assume there is something to save
        return now == (m_bHaveSnapshot ? m_snapshot : EmptyGraph()) ? S_FALSE : S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

HRESULT CGraphManager::LoadLocked(IStream* pStm)
{
    std::vector<BYTE> vecText;
    HRESULT hr = ReadWholeStream(pStm, vecText);
    if (FAILED(hr))
        return hr;

    CGrfGraphDesc graph;
    size_t cbUsed = 0;
    hr = ParseGrfText(vecText.data(), vecText.size(), graph, &cbUsed);
    if (FAILED(hr))
        return hr;
    // Leave the stream just past our data, as a persistent object should; whatever follows
    // belongs to someone else. Streams that cannot seek are left at their end.
    LARGE_INTEGER liBack = {};
    liBack.QuadPart = -static_cast<LONGLONG>(vecText.size() - cbUsed);
    if (liBack.QuadPart != 0)
        pStm->Seek(liBack, STREAM_SEEK_CUR, nullptr);

    hr = RebuildGraph(m_pGraph, graph);
    if (FAILED(hr))
        return hr;
    CGrfGraphDesc now;
    m_bHaveSnapshot = SUCCEEDED(DescribeGraph(m_pGraph, false, now));
    m_snapshot = std::move(now);
    return S_OK;
}

STDMETHODIMP CGraphManager::Load(IStream* pStm)
{
    if (!pStm)
        return E_POINTER;
    CLockGuard lock(m_cs);
    try
    {
        return LoadLocked(pStm);
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

HRESULT CGraphManager::SaveLocked(IStream* pStm, bool bClearDirty)
{
    CGrfGraphDesc graph;
    std::vector<BYTE> vecText;
    HRESULT hr = ComposeText(bClearDirty, graph, vecText);
    if (FAILED(hr))
        return hr;
    hr = WriteAll(pStm, vecText);
    if (FAILED(hr))
        return hr;
    if (bClearDirty)
    {
        m_bHaveSnapshot = true;
        m_snapshot = std::move(graph);
    }
    return S_OK;
}

STDMETHODIMP CGraphManager::Save(IStream* pStm, BOOL fClearDirty)
{
    if (!pStm)
        return E_POINTER;
    CLockGuard lock(m_cs);
    try
    {
        return SaveLocked(pStm, fClearDirty != FALSE);
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CGraphManager::GetSizeMax(ULARGE_INTEGER* pcbSize)
{
    if (!pcbSize)
        return E_POINTER;
    CLockGuard lock(m_cs);
    try
    {
        CGrfGraphDesc graph;
        std::vector<BYTE> vecText;
        HRESULT hr = ComposeText(false, graph, vecText);
        if (FAILED(hr))
            return hr;
        pcbSize->QuadPart = vecText.size();
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}
