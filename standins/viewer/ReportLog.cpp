#include "ReportLog.h"

std::string ToUtf8(const std::wstring& str)
{
    if (str.empty())
        return std::string();
    int cb = WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0,
                                 nullptr, nullptr);
    if (cb <= 0)
        return std::string();
    std::string strUtf8(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), &strUtf8[0], cb,
                        nullptr, nullptr);
    return strUtf8;
}

CReportLog::CReportLog(const std::wstring& strPath) : m_strPath(strPath) {}

HRESULT CReportLog::Append(const std::wstring& strLine) const
{
    // Shared for everything: a test may read or delete the file while the viewer runs.
    HANDLE hFile = CreateFileW(m_strPath.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    std::string strBytes = ToUtf8(strLine) + "\r\n";
    DWORD cbWritten = 0;
    BOOL bWritten = WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()),
                              &cbWritten, nullptr);
    HRESULT hr = bWritten && cbWritten == strBytes.size() ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    FlushFileBuffers(hFile);
    CloseHandle(hFile);
    return hr;
}
