// Entry points COM calls on an in-process server.
#include "ClassFactory.h"
#include "DShowTypes.h"
#include "ModuleState.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_FilterGraph))
        return CLASS_E_CLASSNOTAVAILABLE;
    return CGraphManagerFactory::Instance().QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return ModuleCanUnload();
}
