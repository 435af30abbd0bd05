// Owner of one open registry key, closed on destruction.
#pragma once

#include <windows.h>

class CRegKey
{
public:
    CRegKey() : m_hKey(nullptr) {}
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Opening replaces (and closes) a key already held, also when it is the parent.
    LONG Open(HKEY hKeyParent, LPCWSTR pszKeyName, REGSAM samDesired = KEY_READ | KEY_WRITE);
    LONG Close();

    // Reads a string value into a buffer of *pnChars characters. Only REG_SZ and
    // REG_EXPAND_SZ (taken unexpanded) whose data is whole characters ending in a
    // terminator are accepted; anything else is ERROR_INVALID_DATA. On success *pnChars
    // receives the number of characters including the terminator.
    LONG QueryStringValue(LPCWSTR pszValueName, LPWSTR pszValue, ULONG* pnChars);

    operator HKEY() const { return m_hKey; }

    HKEY m_hKey;
};
