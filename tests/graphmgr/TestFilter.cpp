#include "TestFilter.h"

#include <algorithm>
#include <new>

#include "TestPin.h"

namespace
{
LONG g_lFilters = 0;

class CTestEnumPins final : public IEnumPins
{
public:
    CTestEnumPins(IBaseFilter* pFilter, IPin* pOut, IPin* pIn, ULONG nPos) : m_pFilter(pFilter), m_nPos(nPos)
    {
        m_apPins[0] = pOut;
        m_apPins[1] = pIn;
        m_pFilter->AddRef();
    }
    ~CTestEnumPins() { m_pFilter->Release(); }
    CTestEnumPins(const CTestEnumPins&) = delete;
    CTestEnumPins& operator=(const CTestEnumPins&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumPins))
        {
            *ppv = static_cast<IEnumPins*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_lRef)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG lRef = InterlockedDecrement(&m_lRef);
        if (lRef == 0)
            delete this;
        return static_cast<ULONG>(lRef);
    }

    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override
    {
        if (!ppPins)
            return E_POINTER;
        ULONG cFetched = 0;
        while (cFetched < cPins && m_nPos < kPins)
        {
            ppPins[cFetched] = m_apPins[m_nPos++];
            ppPins[cFetched]->AddRef();
            ++cFetched;
        }
        if (pcFetched)
            *pcFetched = cFetched;
        return cFetched == cPins ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG cPins) override
    {
        m_nPos = (m_nPos + cPins > kPins) ? kPins : m_nPos + cPins;
        return m_nPos < kPins ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_nPos = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumPins** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = new (std::nothrow) CTestEnumPins(m_pFilter, m_apPins[0], m_apPins[1], m_nPos);
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }

private:
    static const ULONG kPins = 2;
    LONG m_lRef = 1;
    IBaseFilter* m_pFilter;
    IPin* m_apPins[kPins];
    ULONG m_nPos;
};

class CTestFilter final : public IBaseFilter, public IPersistStream, public IReferenceClock, public IFileSinkFilter
{
public:
    CTestFilter()
        : m_outPin(this, PINDIR_OUTPUT, L"Out", L"pin-out"), m_inPin(this, PINDIR_INPUT, L"In", L"pin-in")
    {
        InterlockedIncrement(&g_lFilters);
    }
    ~CTestFilter()
    {
        if (m_pClock)
            m_pClock->Release();
        InterlockedDecrement(&g_lFilters);
    }
    CTestFilter(const CTestFilter&) = delete;
    CTestFilter& operator=(const CTestFilter&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBaseFilter) ||
            IsEqualIID(riid, IID_IMediaFilter) || IsEqualIID(riid, IID_IPersist))
            *ppv = static_cast<IBaseFilter*>(this);
        else if (IsEqualIID(riid, IID_IPersistStream))
            *ppv = static_cast<IPersistStream*>(this);
        else if (IsEqualIID(riid, IID_IReferenceClock))
            *ppv = static_cast<IReferenceClock*>(this);
        else if (IsEqualIID(riid, IID_IFileSinkFilter))
            *ppv = static_cast<IFileSinkFilter*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_lRef)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG lRef = InterlockedDecrement(&m_lRef);
        if (lRef == 0)
            delete this;
        return static_cast<ULONG>(lRef);
    }

    // IPersist (shared by IBaseFilter and IPersistStream)
    STDMETHODIMP GetClassID(CLSID* pClassID) override
    {
        if (!pClassID)
            return E_POINTER;
        *pClassID = CLSID_GrfTestFilter;
        return S_OK;
    }

    // IMediaFilter
    STDMETHODIMP Stop() override
    {
        m_state = State_Stopped;
        return S_OK;
    }
    STDMETHODIMP Pause() override
    {
        m_state = State_Paused;
        return S_OK;
    }
    STDMETHODIMP Run(REFERENCE_TIME tStart) override
    {
        (void)tStart;
        m_state = State_Running;
        return S_OK;
    }
    STDMETHODIMP GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* pState) override
    {
        (void)dwMilliSecsTimeout;
        if (!pState)
            return E_POINTER;
        *pState = m_state;
        return S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override
    {
        // The graph may hand us our own clock; holding it would keep us alive forever.
        if (pClock)
            pClock->AddRef();
        if (m_pClock)
            m_pClock->Release();
        m_pClock = pClock;
        if (IsOwnClock(m_pClock))
        {
            m_pClock->Release();
            m_pClock = nullptr;
            m_bOwnClock = true;
        }
        else
        {
            m_bOwnClock = false;
        }
        return S_OK;
    }
    STDMETHODIMP GetSyncSource(IReferenceClock** ppClock) override
    {
        if (!ppClock)
            return E_POINTER;
        *ppClock = m_bOwnClock ? static_cast<IReferenceClock*>(this) : m_pClock;
        if (*ppClock)
            (*ppClock)->AddRef();
        return S_OK;
    }

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = new (std::nothrow) CTestEnumPins(this, &m_outPin, &m_inPin, 0);
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP FindPin(LPCWSTR pszId, IPin** ppPin) override
    {
        if (!pszId || !ppPin)
            return E_POINTER;
        *ppPin = nullptr;
        if (m_outPin.Id() == pszId)
            *ppPin = &m_outPin;
        else if (m_inPin.Id() == pszId)
            *ppPin = &m_inPin;
        else
            return VFW_E_NOT_FOUND;
        (*ppPin)->AddRef();
        return S_OK;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override
    {
        if (!pInfo)
            return E_POINTER;
        lstrcpynW(pInfo->achName, m_strName.c_str(), MAX_FILTER_NAME);
        pInfo->pGraph = m_pGraph;
        if (m_pGraph)
            m_pGraph->AddRef();
        return S_OK;
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pszName) override
    {
        m_pGraph = pGraph;  // not counted: the graph owns its filters
        m_strName = pszName ? pszName : L"";
        return S_OK;
    }
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override
    {
        if (pVendorInfo)
            *pVendorInfo = nullptr;
        return E_NOTIMPL;
    }

    // IPersistStream
    STDMETHODIMP IsDirty() override { return m_bDirty ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* pStm) override
    {
        if (!pStm)
            return E_POINTER;
        BYTE abCount[4] = {};
        ULONG cbRead = 0;
        HRESULT hr = pStm->Read(abCount, sizeof(abCount), &cbRead);
        if (FAILED(hr))
            return hr;
        if (cbRead != sizeof(abCount))
            return kGrfTestFilterBadData;
        ULONG cbConfig = abCount[0] | (abCount[1] << 8) | (abCount[2] << 16) | (static_cast<ULONG>(abCount[3]) << 24);
        if (cbConfig > 1024 * 1024)
            return kGrfTestFilterBadData;
        std::vector<BYTE> vecConfig(cbConfig);
        hr = pStm->Read(vecConfig.data(), cbConfig, &cbRead);
        if (FAILED(hr))
            return hr;
        if (cbRead != cbConfig)
            return kGrfTestFilterBadData;
        m_vecConfig.swap(vecConfig);
        m_bDirty = false;
        return S_OK;
    }
    STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override
    {
        if (!pStm)
            return E_POINTER;
        std::vector<BYTE> vecData = GrfTestFilterData(m_vecConfig);
        ULONG cbWritten = 0;
        HRESULT hr = pStm->Write(vecData.data(), static_cast<ULONG>(vecData.size()), &cbWritten);
        if (FAILED(hr))
            return hr;
        if (fClearDirty)
            m_bDirty = false;
        return cbWritten == vecData.size() ? S_OK : STG_E_MEDIUMFULL;
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override
    {
        if (!pcbSize)
            return E_POINTER;
        pcbSize->QuadPart = 4 + m_vecConfig.size();
        return S_OK;
    }

    // IReferenceClock: enough to be chosen as the graph's clock; never asked to advise
    // because no test streams samples.
    STDMETHODIMP GetTime(REFERENCE_TIME* pTime) override
    {
        if (!pTime)
            return E_POINTER;
        LARGE_INTEGER liNow, liFreq;
        QueryPerformanceCounter(&liNow);
        QueryPerformanceFrequency(&liFreq);
        *pTime = static_cast<REFERENCE_TIME>(static_cast<double>(liNow.QuadPart) * 10000000.0 /
                                             static_cast<double>(liFreq.QuadPart));
        return S_OK;
    }
    STDMETHODIMP AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR*) override { return E_NOTIMPL; }
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD_PTR) override { return E_NOTIMPL; }

    // IFileSinkFilter: remembers the name only.
    STDMETHODIMP SetFileName(LPCOLESTR pszFileName, const AM_MEDIA_TYPE* pmt) override
    {
        (void)pmt;
        if (!pszFileName)
            return E_POINTER;
        m_strFile = pszFileName;
        return S_OK;
    }
    STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt) override
    {
        if (!ppszFileName)
            return E_POINTER;
        *ppszFileName = nullptr;
        if (pmt)
            *pmt = AM_MEDIA_TYPE();
        if (m_strFile.empty())
            return S_OK;
        size_t cb = (m_strFile.size() + 1) * sizeof(wchar_t);
        *ppszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(cb));
        if (!*ppszFileName)
            return E_OUTOFMEMORY;
        CopyMemory(*ppszFileName, m_strFile.c_str(), cb);
        return S_OK;
    }

private:
    bool IsOwnClock(IReferenceClock* pClock)
    {
        if (!pClock)
            return false;
        IUnknown* pUnk = nullptr;
        if (FAILED(pClock->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk))))
            return false;
        bool bOwn = pUnk == static_cast<IBaseFilter*>(this);
        pUnk->Release();
        return bOwn;
    }

    LONG m_lRef = 1;
    CTestPin m_outPin;
    CTestPin m_inPin;
    IFilterGraph* m_pGraph = nullptr;
    std::wstring m_strName;
    FILTER_STATE m_state = State_Stopped;
    IReferenceClock* m_pClock = nullptr;
    bool m_bOwnClock = false;
    std::vector<BYTE> m_vecConfig;
    bool m_bDirty = false;
    std::wstring m_strFile;
};

class CTestFilterFactory final : public IClassFactory
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
        {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pUnkOuter)
            return CLASS_E_NOAGGREGATION;
        CTestFilter* pFilter = new (std::nothrow) CTestFilter();
        if (!pFilter)
            return E_OUTOFMEMORY;
        HRESULT hr = pFilter->QueryInterface(riid, ppv);
        pFilter->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

CTestFilterFactory g_factory;
}  // namespace

HRESULT RegisterGrfTestFilter(DWORD* pdwCookie)
{
    return CoRegisterClassObject(CLSID_GrfTestFilter, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, pdwCookie);
}

void RevokeGrfTestFilter(DWORD dwCookie)
{
    CoRevokeClassObject(dwCookie);
}

LONG GrfTestFilterCount()
{
    return InterlockedCompareExchange(&g_lFilters, 0, 0);
}

std::vector<BYTE> GrfTestFilterData(const std::vector<BYTE>& vecConfig)
{
    ULONG cb = static_cast<ULONG>(vecConfig.size());
    // Sized first and filled in place: GCC 12 at -O2 takes an insertion behind a 4-byte
    // vector for a write out of its bounds.
    std::vector<BYTE> vecData(4 + vecConfig.size());
    for (int i = 0; i < 4; ++i)
        vecData[i] = static_cast<BYTE>(cb >> (8 * i));
    std::copy(vecConfig.begin(), vecConfig.end(), vecData.begin() + 4);
    return vecData;
}

AM_MEDIA_TYPE GrfTestVideoType(VIDEOINFOHEADER* pvih)
{
    *pvih = VIDEOINFOHEADER();
    pvih->AvgTimePerFrame = 400000;
    pvih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    pvih->bmiHeader.biWidth = 64;
    pvih->bmiHeader.biHeight = 48;
    pvih->bmiHeader.biPlanes = 1;
    pvih->bmiHeader.biBitCount = 32;
    pvih->bmiHeader.biCompression = BI_RGB;
    pvih->bmiHeader.biSizeImage = 64 * 48 * 4;

    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_RGB32;
    mt.bFixedSizeSamples = TRUE;
    mt.lSampleSize = pvih->bmiHeader.biSizeImage;
    mt.formattype = FORMAT_VideoInfo;
    mt.cbFormat = sizeof(VIDEOINFOHEADER);
    mt.pbFormat = reinterpret_cast<BYTE*>(pvih);
    return mt;
}
