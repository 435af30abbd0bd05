#include "viewer/CookieName.h"

#include "atl/AtlHexDigit.h"

namespace {

// The C locale's white space, as the C library's conversions skip it.
bool IsCSpace(wchar_t ch)
{
    return ch == L' ' || (ch >= L'\t' && ch <= L'\r');
}

using atl::HexDigitValue;

// The first occurrence of pszWhat in pszText, compared character by character with case,
// or null.
LPCWSTR FindExact(LPCWSTR pszText, LPCWSTR pszWhat, int cchWhat)
{
    const int cchText = ::lstrlenW(pszText);
    for (int i = 0; i + cchWhat <= cchText; ++i)
    {
        int j = 0;
        while (j < cchWhat && pszText[i + j] == pszWhat[j])
            ++j;
        if (j == cchWhat)
            return pszText + i;
    }
    return nullptr;
}

} // namespace

DWORD GraphNumberOf(const void* pGraph)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pGraph));
}

int FormatCookieName(LPWSTR pszCookieName, DWORD dwGraph, DWORD dwProcessId)
{
    return ::wsprintfW(pszCookieName, L"FilterGraph %08x pid %08x", dwGraph, dwProcessId);
}

bool ReadHexNumber(LPCWSTR psz, DWORD* pdwValue, LPCWSTR* ppszEnd)
{
    LPCWSTR p = psz;
    while (IsCSpace(*p))
        ++p;
    // "0x" is a prefix only when a hexadecimal digit follows; otherwise the 0 is the number.
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && HexDigitValue(p[2]) >= 0)
        p += 2;
    ULONGLONG ullValue = 0;
    bool bDigits = false;
    bool bOverflow = false;
    for (int nDigit = HexDigitValue(*p); nDigit >= 0; nDigit = HexDigitValue(*++p))
    {
        bDigits = true;
        ullValue = (ullValue << 4) | static_cast<ULONGLONG>(nDigit);
        // Once past 32 bits the value only grows; stop it before it wraps the wider type.
        if (ullValue > 0xFFFFFFFFull)
        {
            bOverflow = true;
            ullValue = 0xFFFFFFFFull + 1;
        }
    }
    *ppszEnd = bDigits ? p : psz;
    *pdwValue = (bDigits && !bOverflow) ? static_cast<DWORD>(ullValue) : 0;
    return bDigits && !bOverflow;
}

// Process before graph, the order in which the entry's text names them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
bool MatchGraphEntryText(LPCWSTR pszText, DWORD dwProcessId, DWORD dwGraph)
{
    if (!pszText)
        return false;

    static const wchar_t szPid[] = L"pid ";
    LPCWSTR pszPid = FindExact(pszText, szPid, 4);
    if (!pszPid)
        return false;
    DWORD dwValue = 0;
    LPCWSTR pszEnd = nullptr;
    if (!ReadHexNumber(pszPid + 4, &dwValue, &pszEnd) || dwValue != dwProcessId || *pszEnd != L' ')
        return false;

    static const wchar_t szGraph[] = L"IFilterGraph = ";
    LPCWSTR pszGraph = FindExact(pszEnd + 1, szGraph, 15);
    if (!pszGraph)
        return false;
    if (!ReadHexNumber(pszGraph + 15, &dwValue, &pszEnd) || dwValue != dwGraph || *pszEnd != L'\0')
        return false;
    return true;
}
