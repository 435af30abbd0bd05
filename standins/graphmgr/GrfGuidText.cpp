#include "GrfGuidText.h"

#include "atl/AtlHexDigit.h"

namespace
{
const wchar_t kHexDigits[] = L"0123456789ABCDEF";

void AppendHex(std::wstring& str, unsigned long long ullValue, int nDigits)
{
    for (int i = nDigits - 1; i >= 0; --i)
        str += kHexDigits[(ullValue >> (4 * i)) & 0xF];
}

// Reads nDigits hex digits at pos; false if any is not a hex digit.
bool ReadHex(const std::wstring& str, size_t pos, int nDigits, unsigned long long* pullValue)
{
    unsigned long long ullValue = 0;
    for (int i = 0; i < nDigits; ++i)
    {
        int nDigit = atl::HexDigitValue(str[pos + i]);
        if (nDigit < 0)
            return false;
        ullValue = (ullValue << 4) | static_cast<unsigned>(nDigit);
    }
    *pullValue = ullValue;
    return true;
}
}  // namespace

std::wstring FormatGrfGuid(const GUID& guid)
{
    std::wstring str;
    str.reserve(kGrfGuidChars);
    str += L'{';
    AppendHex(str, guid.Data1, 8);
    str += L'-';
    AppendHex(str, guid.Data2, 4);
    str += L'-';
    AppendHex(str, guid.Data3, 4);
    str += L'-';
    AppendHex(str, guid.Data4[0], 2);
    AppendHex(str, guid.Data4[1], 2);
    str += L'-';
    for (int i = 2; i < 8; ++i)
        AppendHex(str, guid.Data4[i], 2);
    str += L'}';
    return str;
}

bool ParseGrfGuid(const std::wstring& strText, GUID* pGuid)
{
    if (strText.size() != kGrfGuidChars || strText[0] != L'{' || strText[37] != L'}' || strText[9] != L'-' ||
        strText[14] != L'-' || strText[19] != L'-' || strText[24] != L'-')
        return false;

    GUID guid;
    unsigned long long ull = 0;
    if (!ReadHex(strText, 1, 8, &ull))
        return false;
    guid.Data1 = static_cast<unsigned long>(ull);
    if (!ReadHex(strText, 10, 4, &ull))
        return false;
    guid.Data2 = static_cast<unsigned short>(ull);
    if (!ReadHex(strText, 15, 4, &ull))
        return false;
    guid.Data3 = static_cast<unsigned short>(ull);
    // The last two groups hold the eight Data4 bytes in order.
    static const size_t kByteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i)
    {
        if (!ReadHex(strText, kByteOffsets[i], 2, &ull))
            return false;
        guid.Data4[i] = static_cast<unsigned char>(ull);
    }
    *pGuid = guid;
    return true;
}
