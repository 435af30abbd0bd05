// Process entry: a COM apartment around one modal run of the main dialog.
#include <windows.h>
#include <commctrl.h>

#include "atl/AtlModule.h"
#include "ui/MainDialog.h"

class CMeridelTestModule : public CAtlExeModuleT<CMeridelTestModule>
{
};

// The module layer's fixed name for the one module object.
// NOLINTNEXTLINE(bugprone-reserved-identifier)
CMeridelTestModule _AtlModule;

// The up-down control's window class is registered as soon as the common controls
// library is loaded; this reference makes the loader map it before the dialog exists.
// Nothing calls through it: the entry point reads it once (a volatile read no compiler
// may leave out), which keeps the import that an unread pointer would lose to the
// optimiser, and with it the library.
static void(WINAPI* const volatile s_pfnCommonControls)() = ::InitCommonControls;

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    static_cast<void>(s_pfnCommonControls);

    HRESULT hr = _AtlModule.InitializeCom();
    if (hr != S_OK)
    {
        ATLFAILREPORT(L"_AtlModule.InitializeCom() FAILED");
        return hr;
    }

    // Read before the dialog exists: normally there is no active window yet.
    HWND hWndParent = ::GetActiveWindow();
    {
        CMainDialog dlg;
        dlg.DoModal(hWndParent, 0);
        // The dialog, and with it every COM reference it holds, goes here, before the
        // apartment is left.
    }

    _AtlWinModule.Term(hInstance);
    _AtlModule.UninitializeCom();
    return 0;
}
