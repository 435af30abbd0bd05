// The value of one hexadecimal digit, either case, or -1 for any other character: the one
// digit reader under every hexadecimal text the tool and the programs around it read.
// Header only and free of Windows headers, so that native builds can use it too.
#pragma once

namespace atl {

inline int HexDigitValue(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

} // namespace atl
