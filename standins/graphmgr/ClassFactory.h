// Class object for the filter graph manager class.
#pragma once

#include <objbase.h>

class CGraphManagerFactory final : public IClassFactory
{
public:
    // The single class object; it lives as long as the DLL and is not counted.
    static CGraphManagerFactory& Instance();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;
};
