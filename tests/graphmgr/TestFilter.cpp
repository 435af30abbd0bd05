#include "TestFilter.h"

#include <algorithm>
#include <new>

#include <string>

#include "kit/KitClassFactory.h"
#include "kit/KitFilter.h"
#include "kit/KitPins.h"

namespace
{
LONG g_lFilters = 0;

// Offers the test video type and takes whatever it is given. It never delivers a sample,
// so it agrees on no allocator: a connection costs what the graph manager's own work costs,
// which is what the graph manager's tests and the loading benchmark look at.
class CTestOutPin final : public CKitOutputPin
{
public:
    explicit CTestOutPin(CKitFilter* pFilter) : CKitOutputPin(pFilter, L"Out") { SetId(L"pin-out"); }

    HRESULT Active() override { return S_OK; }

    HRESULT CheckMediaType(const AM_MEDIA_TYPE&) override { return S_OK; }
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override
    {
        if (iIndex != 0)
            return VFW_S_NO_MORE_ITEMS;
        VIDEOINFOHEADER vih;
        return pmt->Set(GrfTestVideoType(&vih));
    }

protected:
    void GetBufferNeeds(long* pcBuffers, long* pcbBuffer) override
    {
        *pcBuffers = 1;
        *pcbBuffer = 1;
    }
    HRESULT DecideAllocator() override { return S_OK; }
};

// Takes every type but the refused subtype; what it receives is dropped.
class CTestInPin final : public CKitInputPin
{
public:
    explicit CTestInPin(CKitFilter* pFilter) : CKitInputPin(pFilter, L"In") { SetId(L"pin-in"); }

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override
    {
        return IsEqualGUID(mt.subtype, MEDIASUBTYPE_GrfTestRefused) ? VFW_E_TYPE_NOT_ACCEPTED : S_OK;
    }
    HRESULT GetMediaType(int, CMediaType*) override { return VFW_S_NO_MORE_ITEMS; }

protected:
    HRESULT OnReceive(IMediaSample*) override { return S_OK; }
};

// The kit's filter with the interfaces the graph manager's tests need. Its persisted form
// is a count and that many bytes, not the kit's fixed-size record (CKitPersistFilter):
// the tests store data of any length, and a short count must fail the load.
class CTestFilter final : public CKitFilter, public IPersistStream, public IReferenceClock, public IFileSinkFilter
{
public:
    CTestFilter() : CKitFilter(CLSID_GrfTestFilter), m_outPin(this), m_inPin(this)
    {
        InterlockedIncrement(&g_lFilters);
    }
    ~CTestFilter() override { InterlockedDecrement(&g_lFilters); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return CKitFilter::QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return CKitFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CKitFilter::Release(); }
    STDMETHODIMP GetClassID(CLSID* pClassID) override { return CKitFilter::GetClassID(pClassID); }

    int GetPinCount() override { return 2; }
    CKitPin* GetPin(int iIndex) override
    {
        return iIndex == 0 ? static_cast<CKitPin*>(&m_outPin) : static_cast<CKitPin*>(&m_inPin);
    }

    // The graph may hand us our own clock; holding it would keep us alive forever.
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override
    {
        m_bOwnClock = IsOwnClock(pClock);
        return CKitFilter::SetSyncSource(m_bOwnClock ? nullptr : pClock);
    }
    STDMETHODIMP GetSyncSource(IReferenceClock** ppClock) override
    {
        if (!m_bOwnClock)
            return CKitFilter::GetSyncSource(ppClock);
        if (!ppClock)
            return E_POINTER;
        *ppClock = static_cast<IReferenceClock*>(this);
        AddRef();
        return S_OK;
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

protected:
    HRESULT QueryExtra(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IPersistStream))
            *ppv = static_cast<IPersistStream*>(this);
        else if (IsEqualIID(riid, IID_IReferenceClock))
            *ppv = static_cast<IReferenceClock*>(this);
        else if (IsEqualIID(riid, IID_IFileSinkFilter))
            *ppv = static_cast<IFileSinkFilter*>(this);
        else
            return CKitFilter::QueryExtra(riid, ppv);
        AddRef();
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

    CTestOutPin m_outPin;
    CTestInPin m_inPin;
    bool m_bOwnClock = false;
    std::vector<BYTE> m_vecConfig;
    bool m_bDirty = false;
    std::wstring m_strFile;
};

HRESULT CreateTestFilter(REFIID riid, void** ppv)
{
    CTestFilter* pFilter = new (std::nothrow) CTestFilter();
    if (!pFilter)
        return E_OUTOFMEMORY;
    HRESULT hr = pFilter->QueryInterface(riid, ppv);
    pFilter->Release();
    return hr;
}
}  // namespace

HRESULT RegisterGrfTestFilter(DWORD* pdwCookie)
{
    CComPtr<IClassFactory> spFactory;
    HRESULT hr = CreateKitClassFactory(CreateTestFilter, IID_IClassFactory, reinterpret_cast<void**>(&spFactory));
    if (FAILED(hr))
        return hr;
    return CoRegisterClassObject(CLSID_GrfTestFilter, spFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, pdwCookie);
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
