// Registry changes of a test, undone whatever way the test ends: the prefix is shared.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Takes a copy of one key's values on construction (or notes that the key is absent) and
// puts exactly those back on destruction. Only for keys without subkeys.
class CRegKeySnapshot
{
public:
    CRegKeySnapshot(HKEY hRoot, const std::wstring& strSubKey);
    ~CRegKeySnapshot();
    CRegKeySnapshot(const CRegKeySnapshot&) = delete;
    CRegKeySnapshot& operator=(const CRegKeySnapshot&) = delete;

    bool Existed() const { return m_bExisted; }

private:
    struct SValue
    {
        std::wstring strName;
        DWORD dwType;
        std::vector<BYTE> rgbData;
    };

    HKEY m_hRoot;
    std::wstring m_strSubKey;
    bool m_bExisted;
    std::vector<SValue> m_rgValues;
};

// Small writers; each returns the registry's result.
LONG SetRegValue(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName, DWORD dwType,
                 const void* pData, DWORD cbData);
LONG SetRegString(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName, const std::wstring& strValue);
LONG SetRegDword(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName, DWORD dwValue);
LONG SetRegMultiString(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName,
                       const std::vector<std::wstring>& rgValues);
LONG DeleteRegValue(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName);
// Removes every value of the key, keeping the key.
LONG ClearRegKey(HKEY hRoot, const std::wstring& strSubKey);
LONG DeleteRegKey(HKEY hRoot, const std::wstring& strSubKey);
