// Building graph text for tests: UTF-16LE text pieces and raw byte runs, joined with +.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

inline Bytes Text(const std::wstring& str)
{
    Bytes bytes;
    for (wchar_t ch : str)
    {
        bytes.push_back(static_cast<BYTE>(ch & 0xFF));
        bytes.push_back(static_cast<BYTE>(ch >> 8));
    }
    return bytes;
}

inline Bytes Raw(std::initializer_list<int> values)
{
    Bytes bytes;
    for (int value : values)
        bytes.push_back(static_cast<BYTE>(value));
    return bytes;
}

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// n bytes that look like graph text to anything that scans instead of counting: they hold
// the UTF-16 forms of a double quote, CR LF and the word END, plus NULs and high bytes.
inline Bytes TrickyBytes(size_t n)
{
    const Bytes pattern = Text(L"\"\r\nEND \"") + Raw({0x00, 0xFF, 0x22, 0x0D, 0x0A, 0x7B, 0x7D});
    Bytes bytes;
    for (size_t i = 0; i < n; ++i)
        bytes.push_back(pattern[i % pattern.size()]);
    return bytes;
}
