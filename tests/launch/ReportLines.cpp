#include "ReportLines.h"

std::vector<std::string> ReadReportLines(const std::wstring& strPath)
{
    std::vector<std::string> lines;
    HANDLE hFile = ::CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return lines;
    std::string strBytes;
    char rgch[4096];
    DWORD cbRead = 0;
    while (::ReadFile(hFile, rgch, sizeof(rgch), &cbRead, nullptr) && cbRead > 0)
        strBytes.append(rgch, cbRead);
    ::CloseHandle(hFile);
    size_t iStart = 0;
    for (size_t iEnd = strBytes.find("\r\n"); iEnd != std::string::npos; iEnd = strBytes.find("\r\n", iStart))
    {
        lines.push_back(strBytes.substr(iStart, iEnd - iStart));
        iStart = iEnd + 2;
    }
    return lines;
}
