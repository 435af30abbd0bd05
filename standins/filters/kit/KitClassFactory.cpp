#include "KitClassFactory.h"

#include <new>

CKitClassFactory::CKitClassFactory(PFN_KIT_CREATE pfnCreate) : m_lRef(1), m_pfnCreate(pfnCreate)
{
}

STDMETHODIMP CKitClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory)
    {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CKitClassFactory::AddRef()
{
    return InterlockedIncrement(&m_lRef);
}

STDMETHODIMP_(ULONG) CKitClassFactory::Release()
{
    LONG lRef = InterlockedDecrement(&m_lRef);
    if (lRef == 0)
        delete this;
    return lRef;
}

STDMETHODIMP CKitClassFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pOuter)
        return CLASS_E_NOAGGREGATION;
    return m_pfnCreate(riid, ppv);
}

STDMETHODIMP CKitClassFactory::LockServer(BOOL bLock)
{
    ServerLock(bLock != FALSE);
    return S_OK;
}

HRESULT CreateKitClassFactory(PFN_KIT_CREATE pfnCreate, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CKitClassFactory* pFactory = new (std::nothrow) CKitClassFactory(pfnCreate);
    if (!pFactory)
        return E_OUTOFMEMORY;
    HRESULT hr = pFactory->QueryInterface(riid, ppv);
    pFactory->Release();
    return hr;
}
