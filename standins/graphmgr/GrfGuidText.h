// Class ids in the graph text are written as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
// Converted here without COM so the text reader and writer stay free of it.
#pragma once

#include <windows.h>

#include <string>

constexpr size_t kGrfGuidChars = 38;

std::wstring FormatGrfGuid(const GUID& guid);

// Accepts exactly the 38-character braced form, hex digits in either case.
bool ParseGrfGuid(const std::wstring& strText, GUID* pGuid);
