#include "RealGraphFiles.h"

#include <objbase.h>

#include <algorithm>

#include "atl/AtlComPtr.h"

std::wstring RealGraphFolder()
{
    // Set by the build: the folder beside the repository, on Wine's drive for the root.
    return L"" MERIDEL_REALGRF_DIR;
}

bool ListRealGraphFiles(std::vector<CRealGraphFile>& vecFiles)
{
    vecFiles.clear();
    std::wstring strFolder = RealGraphFolder();
    DWORD dwAttributes = GetFileAttributesW(strFolder.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    WIN32_FIND_DATAW data = {};
    HANDLE hFind = FindFirstFileW((strFolder + L"/*.GRF").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return true;
    do
    {
        CRealGraphFile file;
        for (const wchar_t* p = data.cFileName; *p; ++p)
            file.m_strName += static_cast<char>(*p < 128 ? *p : '?');
        file.m_strPath = strFolder + L"/" + data.cFileName;
        vecFiles.push_back(file);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    std::sort(vecFiles.begin(), vecFiles.end(),
              [](const CRealGraphFile& a, const CRealGraphFile& b) { return a.m_strName < b.m_strName; });
    return true;
}

HRESULT ReadGraphStream(const std::wstring& strPath, std::vector<BYTE>& vecStream)
{
    vecStream.clear();
    const DWORD kMode = STGM_READ | STGM_SHARE_EXCLUSIVE;
    CComPtr<IStorage> spStorage;
    HRESULT hr = StgOpenStorage(strPath.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &spStorage);
    if (FAILED(hr))
        return hr;
    CComPtr<IStream> spStream;
    hr = spStorage->OpenStream(L"ActiveMovieGraph", nullptr, kMode, 0, &spStream);
    if (FAILED(hr))
        return hr;
    STATSTG stat = {};
    hr = spStream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    if (stat.cbSize.QuadPart > 64u * 1024u * 1024u)
        return E_OUTOFMEMORY;
    vecStream.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG cbRead = 0;
    hr = spStream->Read(vecStream.data(), static_cast<ULONG>(vecStream.size()), &cbRead);
    if (FAILED(hr))
        return hr;
    return cbRead == vecStream.size() ? S_OK : STG_E_READFAULT;
}
