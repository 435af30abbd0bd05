#include "viewer/EnumeratorAnchor.h"

#include <dshow.h>

#include "atl/AtlHeapObject.h"
#include "viewer/RemoteLinks.h"

namespace {

// An enumerator of nothing for each kind a graph hands out: one object, so one stub
// manager, with a stub for each interface once marshaled for it.
class CEmptyEnumerator final : public IEnumFilters, public IEnumPins, public IEnumMediaTypes
{
public:
    CEmptyEnumerator() : m_lRefs(1) {}
    ~CEmptyEnumerator() = default;
    CEmptyEnumerator(const CEmptyEnumerator&) = delete;
    CEmptyEnumerator& operator=(const CEmptyEnumerator&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IEnumFilters)
            *ppv = static_cast<IEnumFilters*>(this);
        else if (riid == IID_IEnumPins)
            *ppv = static_cast<IEnumPins*>(this);
        else if (riid == IID_IEnumMediaTypes)
            *ppv = static_cast<IEnumMediaTypes*>(this);
        else
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_lRefs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG lRefs = ::InterlockedDecrement(&m_lRefs);
        if (lRefs == 0)
            AtlHeapDestroy(this);
        return static_cast<ULONG>(lRefs);
    }

    STDMETHODIMP Next(ULONG cItems, IBaseFilter** ppItems, ULONG* pcFetched) override
    {
        return Fetched(cItems, ppItems, pcFetched);
    }
    STDMETHODIMP Next(ULONG cItems, IPin** ppItems, ULONG* pcFetched) override
    {
        return Fetched(cItems, ppItems, pcFetched);
    }
    STDMETHODIMP Next(ULONG cItems, AM_MEDIA_TYPE** ppItems, ULONG* pcFetched) override
    {
        return Fetched(cItems, ppItems, pcFetched);
    }
    STDMETHODIMP Skip(ULONG cItems) override { return cItems == 0 ? S_OK : S_FALSE; }
    STDMETHODIMP Reset() override { return S_OK; }
    // Nothing to enumerate means no position to copy: the same object serves.
    STDMETHODIMP Clone(IEnumFilters** ppEnum) override { return Copy(static_cast<IEnumFilters*>(this), ppEnum); }
    STDMETHODIMP Clone(IEnumPins** ppEnum) override { return Copy(static_cast<IEnumPins*>(this), ppEnum); }
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override { return Copy(static_cast<IEnumMediaTypes*>(this), ppEnum); }

private:
    template <class T>
    static HRESULT Fetched(ULONG cItems, T** ppItems, ULONG* pcFetched)
    {
        if (!ppItems || (cItems > 1 && !pcFetched))
            return E_POINTER;
        if (pcFetched)
            *pcFetched = 0;
        return cItems == 0 ? S_OK : S_FALSE;
    }
    template <class T>
    static HRESULT Copy(T* pThis, T** ppEnum)
    {
        if (!ppEnum)
            return E_POINTER;
        pThis->AddRef();
        *ppEnum = pThis;
        return S_OK;
    }

    volatile LONG m_lRefs;
};

const IID* const kAnchoredInterfaces[] = {&IID_IEnumFilters, &IID_IEnumPins, &IID_IEnumMediaTypes};

} // namespace

CEnumeratorAnchor::CEnumeratorAnchor() : m_spAnchor(), m_spData(), m_nHeld(0)
{
}

CEnumeratorAnchor::~CEnumeratorAnchor()
{
    Drop();
}

int CEnumeratorAnchor::Hold()
{
    if (m_spAnchor)
        return m_nHeld;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &m_spData)) || !m_spData)
        return 0;
    CEmptyEnumerator* pAnchor = nullptr;
    if (FAILED(AtlHeapCreate(&pAnchor)))
    {
        m_spData.Release();
        return 0;
    }
    m_spAnchor.Attach(static_cast<IEnumFilters*>(pAnchor));
    for (const IID* piid : kAnchoredInterfaces)
        if (SUCCEEDED(::CoMarshalInterface(m_spData, *piid, m_spAnchor, MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG)))
            ++m_nHeld;
    return m_nHeld;
}

void CEnumeratorAnchor::Drop()
{
    DisconnectRemoteObject(m_spAnchor);
    ReleaseMarshals(m_spData, m_nHeld);
    m_spData.Release();
    m_spAnchor.Release();
    m_nHeld = 0;
}
