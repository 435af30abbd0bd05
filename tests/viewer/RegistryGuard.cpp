#include "RegistryGuard.h"

namespace {

// Names of every value of an open key.
std::vector<std::wstring> ValueNames(HKEY hKey)
{
    std::vector<std::wstring> rgNames;
    for (DWORD i = 0;; ++i)
    {
        wchar_t szName[16384];
        DWORD cchName = 16384;
        if (::RegEnumValueW(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        rgNames.emplace_back(szName, cchName);
    }
    return rgNames;
}

} // namespace

CRegKeySnapshot::CRegKeySnapshot(HKEY hRoot, const std::wstring& strSubKey)
    : m_hRoot(hRoot), m_strSubKey(strSubKey), m_bExisted(false)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hRoot, strSubKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    m_bExisted = true;
    for (const std::wstring& strName : ValueNames(hKey))
    {
        SValue value;
        value.strName = strName;
        value.dwType = REG_NONE;
        DWORD cbData = 0;
        if (::RegQueryValueExW(hKey, strName.c_str(), nullptr, &value.dwType, nullptr, &cbData) != ERROR_SUCCESS)
            continue;
        value.rgbData.resize(cbData);
        if (::RegQueryValueExW(hKey, strName.c_str(), nullptr, &value.dwType,
                               cbData ? value.rgbData.data() : nullptr, &cbData) != ERROR_SUCCESS)
            continue;
        value.rgbData.resize(cbData);
        m_rgValues.push_back(value);
    }
    ::RegCloseKey(hKey);
}

CRegKeySnapshot::~CRegKeySnapshot()
{
    if (!m_bExisted)
    {
        DeleteRegKey(m_hRoot, m_strSubKey);
        return;
    }
    ClearRegKey(m_hRoot, m_strSubKey);
    for (const SValue& value : m_rgValues)
        SetRegValue(m_hRoot, m_strSubKey, value.strName.c_str(), value.dwType,
                    value.rgbData.empty() ? nullptr : value.rgbData.data(),
                    static_cast<DWORD>(value.rgbData.size()));
}

LONG SetRegValue(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName, DWORD dwType,
                 const void* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    LONG lRes = ::RegCreateKeyExW(hRoot, strSubKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                  &hKey, nullptr);
    if (lRes != ERROR_SUCCESS)
        return lRes;
    lRes = ::RegSetValueExW(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData), cbData);
    ::RegCloseKey(hKey);
    return lRes;
}

LONG SetRegString(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName, const std::wstring& strValue)
{
    return SetRegValue(hRoot, strSubKey, pszName, REG_SZ, strValue.c_str(),
                       static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t)));
}

LONG SetRegDword(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName, DWORD dwValue)
{
    return SetRegValue(hRoot, strSubKey, pszName, REG_DWORD, &dwValue, sizeof(dwValue));
}

LONG SetRegMultiString(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName,
                       const std::vector<std::wstring>& rgValues)
{
    std::wstring strData;
    for (const std::wstring& str : rgValues)
    {
        strData += str;
        strData += L'\0';
    }
    strData += L'\0';
    return SetRegValue(hRoot, strSubKey, pszName, REG_MULTI_SZ, strData.data(),
                       static_cast<DWORD>(strData.size() * sizeof(wchar_t)));
}

LONG DeleteRegValue(HKEY hRoot, const std::wstring& strSubKey, LPCWSTR pszName)
{
    HKEY hKey = nullptr;
    LONG lRes = ::RegOpenKeyExW(hRoot, strSubKey.c_str(), 0, KEY_READ | KEY_WRITE, &hKey);
    if (lRes != ERROR_SUCCESS)
        return lRes;
    lRes = ::RegDeleteValueW(hKey, pszName);
    ::RegCloseKey(hKey);
    return lRes;
}

LONG ClearRegKey(HKEY hRoot, const std::wstring& strSubKey)
{
    HKEY hKey = nullptr;
    LONG lRes = ::RegCreateKeyExW(hRoot, strSubKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                  &hKey, nullptr);
    if (lRes != ERROR_SUCCESS)
        return lRes;
    for (const std::wstring& strName : ValueNames(hKey))
    {
        const LONG lDelete = ::RegDeleteValueW(hKey, strName.c_str());
        if (lDelete != ERROR_SUCCESS)
            lRes = lDelete;
    }
    ::RegCloseKey(hKey);
    return lRes;
}

LONG DeleteRegKey(HKEY hRoot, const std::wstring& strSubKey)
{
    return ::RegDeleteKeyW(hRoot, strSubKey.c_str());
}
