#include "TestText.h"

#include <cstdio>

std::string HrText(HRESULT hr)
{
    char sz[16];
    std::snprintf(sz, sizeof(sz), "0x%08lX", static_cast<unsigned long>(hr));
    return sz;
}

std::string Narrow(const std::wstring& str)
{
    std::string out;
    for (wchar_t ch : str)
        out += (ch >= 0x20 && ch < 0x7F) ? static_cast<char>(ch) : '?';
    return out;
}
