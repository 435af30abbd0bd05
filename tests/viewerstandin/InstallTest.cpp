// What the prefix's install step left behind: both files in one folder, the registry values
// the launcher reads, and a companion DLL that COM loads through its registration.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "ViewerHarness.h"

namespace
{
    const wchar_t kInstallDir[] = L"C:\\Program Files\\GraphViewer\\";
    const wchar_t kProppageKey[] = L"CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}\\InprocServer32";
    const CLSID kProppageClsid = {0x29E07010, 0xBD27, 0x11CE, {0xAB, 0x59, 0x00, 0xAA, 0x00, 0x57, 0x7D, 0xA1}};

    std::wstring ReadString(HKEY hRoot, const wchar_t* pszKey, const wchar_t* pszName, DWORD* pdwType)
    {
        wchar_t szValue[MAX_PATH] = {};
        DWORD cbValue = sizeof(szValue) - sizeof(wchar_t);
        HKEY hKey = nullptr;
        *pdwType = REG_NONE;
        if (RegOpenKeyExW(hRoot, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return L"<no key>";
        LONG lResult = RegQueryValueExW(hKey, pszName, nullptr, pdwType, reinterpret_cast<BYTE*>(szValue), &cbValue);
        RegCloseKey(hKey);
        return lResult == ERROR_SUCCESS ? szValue : L"<no value>";
    }
}

TEST(ViewerInstall, RegistryNamesBothFilesInOneFolder)
{
    struct
    {
        HKEY hRoot;
        const wchar_t* pszKey;
        const wchar_t* pszName;
        std::wstring strExpected;
    } const kValues[] = {
        {HKEY_CLASSES_ROOT, kProppageKey, nullptr, std::wstring(kInstallDir) + L"Proppage.dll"},
        {HKEY_CLASSES_ROOT, kProppageKey, L"ThreadingModel", L"Both"},
        {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Shared Tools\\Graphedit", L"Path",
         std::wstring(kInstallDir) + L"graphedt.exe"},
    };
    for (const auto& v : kValues)
    {
        DWORD dwType = REG_NONE;
        std::wstring strValue = ReadString(v.hRoot, v.pszKey, v.pszName, &dwType);
        SCOPED_TRACE(Narrow(std::wstring(v.pszKey) + L" " + (v.pszName ? v.pszName : L"(default)")));
        EXPECT_EQ(Narrow(v.strExpected), Narrow(strValue));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), dwType);
    }
    for (const wchar_t* pszFile : {L"graphedt.exe", L"Proppage.dll"})
    {
        std::wstring strPath = std::wstring(kInstallDir) + pszFile;
        DWORD dwAttributes = GetFileAttributesW(strPath.c_str());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, dwAttributes) << Narrow(strPath);
        EXPECT_EQ(0u, dwAttributes & FILE_ATTRIBUTE_DIRECTORY) << Narrow(strPath);
    }
}

TEST(ViewerInstall, CompanionDllIsAnInProcessServerThatServesNoClass)
{
    // Through COM: a wrong registration gives REGDB_E_CLASSNOTREG or a load error instead.
    IUnknown* pUnknown = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              CoCreateInstance(kProppageClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&pUnknown)));
    EXPECT_EQ(nullptr, pUnknown);

    std::wstring strPath = std::wstring(kInstallDir) + L"Proppage.dll";
    HMODULE hModule = LoadLibraryW(strPath.c_str());
    ASSERT_NE(nullptr, hModule) << GetLastError();
    using PfnGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using PfnCanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto pfnGetClassObject = reinterpret_cast<PfnGetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(hModule, "DllGetClassObject")));
    auto pfnCanUnloadNow = reinterpret_cast<PfnCanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(hModule, "DllCanUnloadNow")));
    ASSERT_NE(nullptr, pfnGetClassObject);
    ASSERT_NE(nullptr, pfnCanUnloadNow);
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, pfnGetClassObject(kProppageClsid, IID_IClassFactory, &pv));
    EXPECT_EQ(nullptr, pv);
    EXPECT_EQ(S_OK, pfnCanUnloadNow());
    FreeLibrary(hModule);
}
