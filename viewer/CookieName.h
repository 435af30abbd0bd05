// Texts of the Running Object Table entry that publishes the graph, and the reading of the
// viewer's list entries that name it. No window or COM here, so tests call them directly.
#pragma once

#include <windows.h>

// Capacity of a cookie name or list entry buffer, terminator included.
const int kCookieNameChars = 64;

// The graph's number: only the low 32 bits of its pointer take part in the name, so a
// graph above 4 GB is named and recognised by those bits alone.
DWORD GraphNumberOf(const void* pGraph);

// Writes "FilterGraph %08x pid %08x" (always 33 characters) into a buffer of at least
// kCookieNameChars characters and returns its length.
int FormatCookieName(LPWSTR pszCookieName, DWORD dwGraph, DWORD dwProcessId);

// Reads a hexadecimal number the way the C library's base-16 conversion does: leading white
// space skipped, an optional 0x or 0X, digits in either case for as long as they last.
// A sign is not accepted: the list entries never carry one, and a "-1" would otherwise
// wrap around to a valid-looking number. Returns false when no digit was read or the
// value does not fit in 32 bits (all digits are consumed either way). *ppszEnd receives
// the first character after the number; for "0x" without a hexadecimal digit after it,
// that is the "x", the "0" being the number, as in the C library.
bool ReadHexNumber(LPCWSTR psz, DWORD* pdwValue, LPCWSTR* ppszEnd);

// True when the text marks the given process's graph: the first "pid " is followed by the
// process id and a space, and the first "IFilterGraph = " after that by the graph's number
// and the end of the text. Null or short texts match nothing.
bool MatchGraphEntryText(LPCWSTR pszText, DWORD dwProcessId, DWORD dwGraph);
