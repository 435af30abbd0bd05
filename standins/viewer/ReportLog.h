// The text file in which the viewer tells tests what it received. Every line is written
// and the file closed again at once, so a reader in another process sees it immediately.
#pragma once

#include <windows.h>

#include <string>

class CReportLog
{
public:
    explicit CReportLog(const std::wstring& strPath);

    // Appends the text as one UTF-8 line ending in CR LF.
    HRESULT Append(const std::wstring& strLine) const;

private:
    std::wstring m_strPath;
};

std::string ToUtf8(const std::wstring& str);
