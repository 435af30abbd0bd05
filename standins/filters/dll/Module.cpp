// Entry points of standinfilters.dll: the class objects of the stand-in filters, the unload
// check and the live-object count for tests.
#include <windows.h>

#include "StandinFilters.h"
#include "graph/IMeridel.h"
#include "kit/KitClassFactory.h"
#include "kit/LiveObjects.h"
#include "pattern/PatternSource.h"
#include "sync/Synchronizer.h"
#include "tap/SampleTap.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    switch (dwReason)
    {
    case DLL_PROCESS_ATTACH:
        SetLiveObjectsModuleName(STANDIN_FILTERS_DLL_A);
        DisableThreadLibraryCalls(hInstance);
        break;
    case DLL_PROCESS_DETACH:
        // The last word for a debugger watching the process: what was never released.
        ReportLiveObjects();
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (rclsid == CLSID_PatternSource)
        return CreateKitClassFactory(CPatternSource::CreateInstance, riid, ppv);
    if (rclsid == CLSID_Meridel)
        return CreateKitClassFactory(CSynchronizer::CreateInstance, riid, ppv);
    if (rclsid == CLSID_SampleTap)
        return CreateKitClassFactory(CSampleTap::CreateInstance, riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return LiveObjectCount() == 0 && ServerLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" LONG WINAPI StandinLiveObjects()
{
    return LiveObjectCount();
}
