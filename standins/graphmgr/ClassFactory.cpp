#include "ClassFactory.h"

#include "GraphManager.h"
#include "ModuleState.h"

CGraphManagerFactory& CGraphManagerFactory::Instance()
{
    static CGraphManagerFactory s_factory;
    return s_factory;
}

STDMETHODIMP CGraphManagerFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
    {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// A class object handed out keeps the DLL loaded the way a server lock does.
STDMETHODIMP_(ULONG) CGraphManagerFactory::AddRef()
{
    ModuleLock(true);
    return 2;
}

STDMETHODIMP_(ULONG) CGraphManagerFactory::Release()
{
    ModuleLock(false);
    return 1;
}

STDMETHODIMP CGraphManagerFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    return CGraphManager::Create(pUnkOuter, riid, ppv);
}

STDMETHODIMP CGraphManagerFactory::LockServer(BOOL fLock)
{
    ModuleLock(fLock != FALSE);
    return S_OK;
}
