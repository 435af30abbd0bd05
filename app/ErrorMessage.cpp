#include "app/ErrorMessage.h"

void ComposeErrorMessage(LPCWSTR pszText, HRESULT hr, LPCWSTR pszDescription, LPWSTR pszMsg)
{
    pszMsg[0] = L'\0';
    int n = 0;
    if (pszText)
    {
        ::lstrcpynW(pszMsg, pszText, ERROR_MESSAGE_CAPACITY);
        n = ::lstrlenW(pszMsg);
    }
    if (hr == 0)
        return;

    if (pszDescription && pszDescription[0])
    {
        if (n > 0 && n < ERROR_MESSAGE_CAPACITY - 1)
        {
            pszMsg[n++] = L'\n';
            pszMsg[n] = L'\0';
        }
        // The description goes in as its source worded it, line break included.
        ::lstrcpynW(pszMsg + n, pszDescription, ERROR_MESSAGE_CAPACITY - n);
        n += ::lstrlenW(pszMsg + n);
    }

    WCHAR szCode[ERROR_MESSAGE_CAPACITY];
    ::wsprintfW(szCode, L"%sError 0x%X", n > 0 ? L"\n" : L"", static_cast<unsigned>(hr));
    ::lstrcpynW(pszMsg + n, szCode, ERROR_MESSAGE_CAPACITY - n);
}

UINT ErrorBoxType(HRESULT hr, UINT uType)
{
    return (hr != 0 && uType == 0) ? MB_ICONERROR : uType;
}
