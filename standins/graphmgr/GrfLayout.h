// The layout of graph text as graph files saved on Windows have it, in one place: the
// writer writes exactly this, and the reader reads by it (and, besides, the layout this
// manager wrote before, which prefixes made earlier still hold).
//
//   0003\r\n
//   FILTERS\r\n
//   0001 "name" {class} [SOURCE "file" |SINK "file" ]0000000005 <5 bytes>\r\n
//   CONNECTIONS\r\n
//   0001 "out pin" 0002 "in pin" 0000000374 <media type>\r\n
//   CLOCK 1 {class} | CLOCK 1 0002\r\n
//   END
//
// The media type is its fields in the order of kGrfMediaTypeLayout, each followed by the
// code unit given there; the count in front of it is its length in bytes, from the major
// type's '{' to the end of the format block. Windows ends the sample size with U+0000,
// not with a space; the earlier layout here had a space there and counted two bytes more
// (the space before the major type).
#pragma once

#include <cstddef>

// Fixed widths of numbers, zero-padded on output. Input takes any number of digits.
constexpr size_t kGrfVersionDigits = 4;
constexpr size_t kGrfIdDigits = 4;
constexpr size_t kGrfCountDigits = 10;

constexpr wchar_t kGrfLineEnd[] = L"\r\n";
constexpr wchar_t kGrfSpace = L' ';

constexpr wchar_t kGrfFiltersWord[] = L"FILTERS";
constexpr wchar_t kGrfSourceWord[] = L"SOURCE";
constexpr wchar_t kGrfSinkWord[] = L"SINK";
constexpr wchar_t kGrfConnectionsWord[] = L"CONNECTIONS";
constexpr wchar_t kGrfClockWord[] = L"CLOCK";
constexpr wchar_t kGrfEndWord[] = L"END";

// The filter id a clock line names when no filter provides the clock: no filter has it.
constexpr unsigned long kGrfNoFilterId = 0;
// The one version with a clock line; 0002 is the same layout without it.
constexpr unsigned long kGrfClockVersion = 3;

enum EGrfTypeField
{
    eGrfTypeMajor,        // class id form
    eGrfTypeSub,          // class id form
    eGrfTypeFixedSize,    // 1 or 0
    eGrfTypeTemporal,     // 1 or 0
    eGrfTypeSampleSize,   // count
    eGrfTypeFormatType,   // class id form
    eGrfTypeFormatBlock   // count, one space, that many bytes
};

struct SGrfTypeField
{
    EGrfTypeField m_eField;
    // The code unit written after the field; none after the format block, which the
    // line end follows.
    wchar_t m_chAfter;
};

constexpr wchar_t kGrfNoSeparator = L'\xFFFF';

constexpr SGrfTypeField kGrfMediaTypeLayout[] = {
    {eGrfTypeMajor, L' '},
    {eGrfTypeSub, L' '},
    {eGrfTypeFixedSize, L' '},
    {eGrfTypeTemporal, L' '},
    {eGrfTypeSampleSize, L'\0'},
    {eGrfTypeFormatType, L' '},
    {eGrfTypeFormatBlock, kGrfNoSeparator},
};
