#include "atl/AtlTrace.h"

#include <cstdarg>
#include <cwchar>

#ifndef ATL_TRACE_THRESHOLD
#define ATL_TRACE_THRESHOLD 0
#endif

const atl::CTraceCategory atlTraceGeneral = {L"atlTraceGeneral"};
const atl::CTraceCategory atlTraceWindowing = {L"atlTraceWindowing"};

namespace atl {

int GetTraceThreshold()
{
    return ATL_TRACE_THRESHOLD;
}

void Trace(const CTraceCategory& category, int nLevel, const wchar_t* pszFormat, ...)
{
    (void)category;
    if (nLevel > GetTraceThreshold())
        return;
    wchar_t szLine[1024];
    va_list args;
    va_start(args, pszFormat);
    int n = _vsnwprintf(szLine, 1023, pszFormat, args);
    va_end(args);
    // A line that did not fit is cut rather than dropped.
    szLine[(n < 0 || n > 1023) ? 1023 : n] = L'\0';
    ::OutputDebugStringW(szLine);
}

void AssertFailed(const char* pszFile, int nLine, const wchar_t* pszText)
{
    const char* pszName = pszFile;
    for (const char* p = pszFile; *p; ++p)
        if (*p == '/' || *p == '\\')
            pszName = p + 1;
    wchar_t szLine[1024];
    _snwprintf(szLine, 1023, L"%hs(%d): Assertion failed: %ls\n", pszName, nLine, pszText);
    szLine[1023] = L'\0';
    ::OutputDebugStringW(szLine);
}

} // namespace atl
