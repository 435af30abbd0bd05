#include "app/ShowErrorBox.h"

#include <dshow.h>

#include "app/ErrorMessage.h"

// Text before caption, as in MessageBoxW.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
int ShowErrorBox(HWND hWndOwner, LPCWSTR pszText, LPCWSTR pszCaption, HRESULT hr, UINT uType)
{
    WCHAR szMsg[ERROR_MESSAGE_CAPACITY] = {};
    WCHAR szDescription[ERROR_MESSAGE_CAPACITY] = {};
    DWORD k = 0;
    if (hr != 0)
    {
        // DirectShow knows its own codes; the system knows the rest.
        k = ::AMGetErrorTextW(hr, szDescription, ERROR_MESSAGE_CAPACITY - 1);
        if (k == 0)
            k = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             szDescription, ERROR_MESSAGE_CAPACITY - 1, nullptr);
    }
    ComposeErrorMessage(pszText, hr, k ? szDescription : nullptr, szMsg);
    HWND hWnd = ::IsWindow(hWndOwner) ? hWndOwner : ::GetActiveWindow();
    return ::MessageBoxW(hWnd, szMsg, pszCaption, ErrorBoxType(hr, uType));
}
