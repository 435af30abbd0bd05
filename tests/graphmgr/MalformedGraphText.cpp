#include "MalformedGraphText.h"

#include <vfwmsgs.h>

#include <string>

namespace
{
const wchar_t kRendererText[] = L"{70E102B0-5556-11CE-97C0-00AA0055595A}";
const Bytes kHead3 = Text(L"0003\r\nFILTERS\r\n");
const Bytes kTail3 = Text(L"CLOCK 0 0000\r\nEND");

Bytes OneFilter(const std::wstring& strLine)
{
    return kHead3 + Text(strLine) + Text(L"\r\nCONNECTIONS\r\n") + kTail3;
}

Bytes TwoFiltersAndLink(const std::wstring& strLink, const Bytes& tail = kTail3)
{
    return kHead3 + Text(L"0001 \"A\" ") + Text(kRendererText) + Text(L" 0000000000 \r\n0002 \"B\" ") +
           Text(kRendererText) + Text(L" 0000000000 \r\nCONNECTIONS\r\n") + Text(strLink) + Text(L"\r\n") + tail;
}

std::wstring Link(const std::wstring& strFlags, const std::wstring& strFormat)
{
    return L"0001 \"Out\" 0002 \"In\" 0000000376 {73646976-0000-0010-8000-00AA00389B71} "
           L"{64697663-0000-0010-8000-00AA00389B71} " +
           strFlags + L" 0000000001 {05589F80-C356-11CE-BF01-00AA0055595A} " + strFormat;
}
}  // namespace

std::vector<CMalformedGraphText> MalformedGraphTexts()
{
    const std::wstring strR = kRendererText;
    return {
        {"Empty", Bytes(), VFW_E_FILE_TOO_SHORT},
        {"OnlyWhitespace", Text(L" \r\n\t"), VFW_E_FILE_TOO_SHORT},
        {"VersionFour", Text(L"0004\r\nFILTERS\r\nCONNECTIONS\r\nEND"), VFW_E_INVALID_FILE_VERSION},
        {"VersionOne", Text(L"0001\r\nFILTERS\r\nCONNECTIONS\r\nEND"), VFW_E_INVALID_FILE_VERSION},
        {"VersionNotANumber", Text(L"00x3\r\nFILTERS\r\nCONNECTIONS\r\nEND"), VFW_E_INVALID_FILE_FORMAT},
        {"VersionOverflows", Text(L"99999999999999999999999\r\nFILTERS\r\nCONNECTIONS\r\nEND"),
         VFW_E_INVALID_FILE_FORMAT},
        {"MisspelledFilters", Text(L"0003\r\nFILTER\r\nCONNECTIONS\r\nEND"), VFW_E_INVALID_FILE_FORMAT},
        {"UnknownSectionWord", Text(L"0003\r\nFILTERS\r\nPINS\r\nEND"), VFW_E_INVALID_FILE_FORMAT},
        {"FilterIdZero", OneFilter(L"0000 \"A\" " + strR + L" 0000000000 "), VFW_E_INVALID_FILE_FORMAT},
        {"DuplicateFilterId",
         OneFilter(L"0001 \"A\" " + strR + L" 0000000000 \r\n0001 \"B\" " + strR + L" 0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        {"NegativeId", OneFilter(L"-001 \"A\" " + strR + L" 0000000000 "), VFW_E_INVALID_FILE_FORMAT},
        {"NameWithoutQuotes", OneFilter(L"0001 A " + strR + L" 0000000000 "), VFW_E_INVALID_FILE_FORMAT},
        {"NameQuoteNeverCloses", kHead3 + Text(L"0001 \"A " + strR + L" 0000000000 \r\nCONNECTIONS\r\nEND"),
         VFW_E_FILE_TOO_SHORT},
        {"NulInsideName",
         kHead3 + Text(L"0001 \"A") + Raw({0x00, 0x00}) + Text(L"B\" " + strR + L" 0000000000 \r\nCONNECTIONS\r\n") +
             kTail3,
         VFW_E_INVALID_FILE_FORMAT},
        {"ClassIdBadDigit", OneFilter(L"0001 \"A\" {70E102B0-5556-11CE-97C0-00AA0055595G} 0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        {"ClassIdTooShort", OneFilter(L"0001 \"A\" {70E102B0-5556} 0000000000 "), VFW_E_INVALID_FILE_FORMAT},
        {"ClassIdWithoutBraces", OneFilter(L"0001 \"A\" 70E102B0-5556-11CE-97C0-00AA0055595A 0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        {"ClassIdNeverCloses", kHead3 + Text(L"0001 \"A\" {70E102B0-55"), VFW_E_FILE_TOO_SHORT},
        {"UnknownFileRole", OneFilter(L"0001 \"A\" " + strR + L" SOURCES \"f\" 0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        {"SourceFileQuoteNeverCloses", kHead3 + Text(L"0001 \"A\" " + strR + L" SOURCE \"C:\\f 0000000000 \r\nEND"),
         VFW_E_FILE_TOO_SHORT},
        {"BlobLengthPastEnd", OneFilter(L"0001 \"A\" " + strR + L" 0000000500 abc"), VFW_E_FILE_TOO_SHORT},
        {"BlobLengthOverflows", OneFilter(L"0001 \"A\" " + strR + L" 99999999999999999999 abc"),
         VFW_E_INVALID_FILE_FORMAT},
        {"BlobLengthNotANumber", OneFilter(L"0001 \"A\" " + strR + L" 00000000x3 abc"), VFW_E_INVALID_FILE_FORMAT},
        {"BlobWithoutSeparator", OneFilter(L"0001 \"A\" " + strR + L" 0000000003abc"), VFW_E_INVALID_FILE_FORMAT},
        {"LinkToUnknownFilter",
         TwoFiltersAndLink(L"0001 \"Out\" 0009 \"In\" 0000000000 {73646976-0000-0010-8000-00AA00389B71} "
                           L"{64697663-0000-0010-8000-00AA00389B71} 0 0 0000000001 "
                           L"{05589F80-C356-11CE-BF01-00AA0055595A} 0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        {"FixedSizeFlagTwo", TwoFiltersAndLink(Link(L"2 0", L"0000000000 ")), VFW_E_INVALID_FILE_FORMAT},
        {"TemporalFlagNotANumber", TwoFiltersAndLink(Link(L"0 y", L"0000000000 ")), VFW_E_INVALID_FILE_FORMAT},
        {"PinNameQuoteNeverCloses", kHead3 + Text(L"0001 \"A\" " + strR + L" 0000000000 \r\nCONNECTIONS\r\n0001 \"Out"),
         VFW_E_FILE_TOO_SHORT},
        {"FormatLengthPastEnd", TwoFiltersAndLink(Link(L"0 0", L"0000000088 "), Text(L"short")),
         VFW_E_FILE_TOO_SHORT},
        {"ClockLineInVersion2",
         Text(L"0002\r\nFILTERS\r\nCONNECTIONS\r\nCLOCK 0 0000\r\nEND"), VFW_E_INVALID_FILE_FORMAT},
        {"ClockIdNotANumber", kHead3 + Text(L"CONNECTIONS\r\nCLOCK 1 00x4\r\nEND"), VFW_E_INVALID_FILE_FORMAT},
        {"SampleSizeEndedByAnotherUnit",
         TwoFiltersAndLink(L"0001 \"Out\" 0002 \"In\" 0000000374 {73646976-0000-0010-8000-00AA00389B71} "
                           L"{64697663-0000-0010-8000-00AA00389B71} 0 0 0000000001x{05589F80-C356-11CE-BF01-00AA0055595A} "
                           L"0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        // U+0000 ends the sample size only; after a flag it is no separator.
        {"NulAfterFixedSizeFlag",
         TwoFiltersAndLink(std::wstring(L"0001 \"Out\" 0002 \"In\" 0000000374 {73646976-0000-0010-8000-00AA00389B71} "
                                        L"{64697663-0000-0010-8000-00AA00389B71} 0") +
                           L'\0' + L"0 0000000001 {05589F80-C356-11CE-BF01-00AA0055595A} 0000000000 "),
         VFW_E_INVALID_FILE_FORMAT},
        {"SampleSizeCutInsideItsNul",
         kHead3 + Text(L"0001 \"A\" " + strR + L" 0000000000 \r\nCONNECTIONS\r\n0001 \"o\" 0001 \"i\" 0000000374 "
                       L"{73646976-0000-0010-8000-00AA00389B71} {64697663-0000-0010-8000-00AA00389B71} 0 0 0000000001") +
             Raw({0x00}),
         VFW_E_FILE_TOO_SHORT},
        {"ClockFlagThree", kHead3 + Text(L"CONNECTIONS\r\nCLOCK 3 0000\r\nEND"), VFW_E_INVALID_FILE_FORMAT},
        {"GarbageInsteadOfEnd", kHead3 + Text(L"CONNECTIONS\r\nCLOCK 0 0000\r\nENDX"), VFW_E_INVALID_FILE_FORMAT},
        {"NoEnd", kHead3 + Text(L"CONNECTIONS\r\nCLOCK 0 0000\r\n"), VFW_E_FILE_TOO_SHORT},
        {"HalfACodeUnitAtEnd", kHead3 + Text(L"CONNECTIONS\r\nEN") + Raw({'D'}), VFW_E_FILE_TOO_SHORT},
    };
}
