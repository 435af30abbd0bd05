#include "atl/AtlRegKey.h"

#include "atl/AtlTrace.h"

LONG CRegKey::Open(HKEY hKeyParent, LPCWSTR pszKeyName, REGSAM samDesired)
{
    ATLASSERT(hKeyParent != nullptr);
    HKEY hKey = nullptr;
    LONG lRes = ::RegOpenKeyExW(hKeyParent, pszKeyName, 0, samDesired, &hKey);
    if (lRes == ERROR_SUCCESS)
    {
        // The parent may be the key held here: close it only after the child is open.
        Close();
        m_hKey = hKey;
    }
    return lRes;
}

LONG CRegKey::Close()
{
    LONG lRes = ERROR_SUCCESS;
    if (m_hKey)
    {
        lRes = ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    return lRes;
}

LONG CRegKey::QueryStringValue(LPCWSTR pszValueName, LPWSTR pszValue, ULONG* pnChars)
{
    ATLASSERT(pnChars != nullptr);
    ULONG nBytes = *pnChars * sizeof(WCHAR);
    DWORD dwType = 0;
    *pnChars = 0;
    LONG lRes = ::RegQueryValueExW(m_hKey, pszValueName, nullptr, &dwType,
                                   reinterpret_cast<LPBYTE>(pszValue), &nBytes);
    if (lRes != ERROR_SUCCESS)
        return lRes;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (pszValue)
    {
        if (nBytes == 0)
        {
            pszValue[0] = L'\0';
        }
        else if ((nBytes % sizeof(WCHAR)) != 0 || pszValue[nBytes / sizeof(WCHAR) - 1] != L'\0')
        {
            return ERROR_INVALID_DATA;
        }
    }
    *pnChars = nBytes / sizeof(WCHAR);
    return ERROR_SUCCESS;
}
