// Class factory handed out by DllGetClassObject: one counted object per request.
#pragma once

#include <objbase.h>

#include "LiveObjects.h"

typedef HRESULT (*PFN_KIT_CREATE)(REFIID riid, void** ppv);

class CKitClassFactory final : public IClassFactory, private CLiveObject
{
public:
    explicit CKitClassFactory(PFN_KIT_CREATE pfnCreate);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL bLock) override;

private:
    ~CKitClassFactory() = default;

    volatile LONG m_lRef;
    PFN_KIT_CREATE m_pfnCreate;
};

// Creates a factory for the creation function and queries it for riid.
HRESULT CreateKitClassFactory(PFN_KIT_CREATE pfnCreate, REFIID riid, void** ppv);
