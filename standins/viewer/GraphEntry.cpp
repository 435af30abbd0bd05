#include "GraphEntry.h"

#include <cwchar>

#include "atl/AtlHexDigit.h"

namespace
{
    using atl::HexDigitValue;

    // Takes 1 to 8 hexadecimal digits at psz; a ninth digit makes the number unusable
    // rather than silently truncated.
    const wchar_t* ReadHex32(const wchar_t* psz, DWORD* pdwValue)
    {
        DWORD dwValue = 0;
        int cDigits = 0;
        for (; HexDigitValue(*psz) >= 0; ++psz, ++cDigits)
        {
            if (cDigits == 8)
                return nullptr;
            dwValue = (dwValue << 4) | static_cast<DWORD>(HexDigitValue(*psz));
        }
        if (cDigits == 0)
            return nullptr;
        *pdwValue = dwValue;
        return psz;
    }

    const wchar_t* SkipLiteral(const wchar_t* psz, const wchar_t* pszLiteral)
    {
        size_t cch = wcslen(pszLiteral);
        return wcsncmp(psz, pszLiteral, cch) == 0 ? psz + cch : nullptr;
    }
}

bool ParseGraphItemName(const wchar_t* pszName, DWORD* pdwGraph, DWORD* pdwProcessId)
{
    if (!pszName || !pdwGraph || !pdwProcessId)
        return false;
    const wchar_t* psz = pszName;
    if (*psz == L'!')
        ++psz;
    DWORD dwGraph = 0;
    DWORD dwProcessId = 0;
    psz = SkipLiteral(psz, L"FilterGraph ");
    if (psz)
        psz = ReadHex32(psz, &dwGraph);
    if (psz)
        psz = SkipLiteral(psz, L" pid ");
    if (psz)
        psz = ReadHex32(psz, &dwProcessId);
    if (!psz || *psz != L'\0')
        return false;
    *pdwGraph = dwGraph;
    *pdwProcessId = dwProcessId;
    return true;
}

std::wstring ComposeGraphEntry(DWORD dwProcessId, DWORD dwGraph)
{
    wchar_t szEntry[64] = {};
    swprintf(szEntry, 64, L"pid %x (FilterGraph %08x) IFilterGraph = %08X",
             static_cast<unsigned>(dwProcessId), static_cast<unsigned>(dwGraph),
             static_cast<unsigned>(dwGraph));
    return szEntry;
}

std::wstring ComposeConnectedLine(DWORD dwGraph, const std::vector<std::wstring>& rgNames)
{
    wchar_t szHead[64] = {};
    swprintf(szHead, 64, L"connected graph=%08x filters=", static_cast<unsigned>(dwGraph));
    std::wstring strLine = szHead;
    for (size_t i = 0; i < rgNames.size(); ++i)
    {
        if (i > 0)
            strLine += L'|';
        strLine += rgNames[i];
    }
    return strLine;
}

std::wstring ComposeFailureLine(const wchar_t* pszWhat, HRESULT hr)
{
    wchar_t szCode[32] = {};
    swprintf(szCode, 32, L" hr=0x%08X", static_cast<unsigned>(hr));
    return std::wstring(pszWhat ? pszWhat : L"") + szCode;
}
