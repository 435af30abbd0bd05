#include "EntryGrammar.h"

#include <cwchar>
#include <cwctype>

namespace
{
    // Base-16 conversion as the C library does it (white space, optional 0x); a value that
    // does not fit in 32 bits, or no digit at all, is no number.
    bool ReadHex(const wchar_t* psz, DWORD* pdwValue, const wchar_t** ppszEnd)
    {
        const wchar_t* p = psz;
        while (iswspace(*p))
            ++p;
        if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && iswxdigit(p[2]))
            p += 2;
        if (!iswxdigit(*p))
            return false;
        wchar_t* pszEnd = nullptr;
        unsigned long long ullValue = wcstoull(p, &pszEnd, 16);
        if (ullValue > 0xFFFFFFFFull)
            return false;
        *pdwValue = static_cast<DWORD>(ullValue);
        *ppszEnd = pszEnd;
        return true;
    }
}

bool EntryNamesGraph(const wchar_t* pszEntry, DWORD dwProcessId, DWORD dwGraph)
{
    const wchar_t* psz = wcsstr(pszEntry, L"pid ");
    if (!psz)
        return false;
    DWORD dwValue = 0;
    const wchar_t* pszEnd = nullptr;
    if (!ReadHex(psz + 4, &dwValue, &pszEnd) || dwValue != dwProcessId || *pszEnd != L' ')
        return false;
    psz = wcsstr(pszEnd + 1, L"IFilterGraph = ");
    if (!psz)
        return false;
    return ReadHex(psz + 15, &dwValue, &pszEnd) && dwValue == dwGraph && *pszEnd == L'\0';
}
