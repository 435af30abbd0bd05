#include "viewer/ViewerLaunch.h"

const wchar_t kGraphEditExe[] = L"graphedt.exe";

bool ComposeBesideProppage(LPCWSTR pszProppage, LPWSTR pszGraphEdit, int cchGraphEdit)
{
    if (!pszGraphEdit || cchGraphEdit <= 0)
        return false;
    pszGraphEdit[0] = L'\0';
    // A source that would be cut could end in some other folder's separator.
    if (!pszProppage || !pszProppage[0] || ::lstrlenW(pszProppage) >= cchGraphEdit)
        return false;

    ::lstrcpynW(pszGraphEdit, pszProppage, cchGraphEdit);
    int i = ::lstrlenW(pszGraphEdit);
    while (i > 0 && pszGraphEdit[i] != L'\\' && pszGraphEdit[i] != L'/')
        --i;
    if (pszGraphEdit[i] != L'\\' && pszGraphEdit[i] != L'/')
    {
        pszGraphEdit[0] = L'\0';
        return false;
    }
    const int cchName = ::lstrlenW(kGraphEditExe);
    if (i + 1 + cchName + 1 > cchGraphEdit)
    {
        pszGraphEdit[0] = L'\0';
        return false;
    }
    ::lstrcpyW(pszGraphEdit + i + 1, kGraphEditExe);
    return true;
}

HRESULT HresultFromStartError(DWORD dwError)
{
    if (dwError == 0)
        return E_FAIL;
    return static_cast<HRESULT>(0x80070000u | (dwError & 0xFFFFu));
}
