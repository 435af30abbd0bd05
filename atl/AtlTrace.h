// Trace lines and non-fatal debug assertions, both written to the debugger's output.
#pragma once

#include <windows.h>

namespace atl {

struct CTraceCategory
{
    const wchar_t* m_pszName;
};

// The threshold is fixed when the program is built (the tool reads no configuration).
int GetTraceThreshold();

void Trace(const CTraceCategory& category, int nLevel, const wchar_t* pszFormat, ...);
void AssertFailed(const char* pszFile, int nLine, const wchar_t* pszText);

} // namespace atl

extern const atl::CTraceCategory atlTraceGeneral;
extern const atl::CTraceCategory atlTraceWindowing;

#ifndef NDEBUG
#define ATLTRACE2(category, level, ...) ::atl::Trace((category), (level), __VA_ARGS__)
// A failed assertion is reported and execution goes on: the code after it handles the case.
#define ATLASSERT(expr) \
    ((expr) ? (void)0 : ::atl::AssertFailed(__FILE__, __LINE__, L"" #expr))
// An assertion that reports a message of its own instead of the expression's text.
#define ATLASSERT_MSG(expr, msg) \
    ((expr) ? (void)0 : ::atl::AssertFailed(__FILE__, __LINE__, (msg)))
#else
#define ATLTRACE2(category, level, ...) ((void)0)
#define ATLASSERT(expr) ((void)0)
#define ATLASSERT_MSG(expr, msg) ((void)0)
#endif

// A report at a failure point: always raised when reached.
#define ATLFAILREPORT(msg) ATLASSERT_MSG(false, (msg))
