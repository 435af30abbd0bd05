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
namespace atl {
// Never called: it only gives a trace line's arguments a type in the release form below.
int TraceArguments(const CTraceCategory& category, int nLevel, const wchar_t* pszFormat, ...);
} // namespace atl
// Left out of a release build, but their operands still count as used (unevaluated), so a
// result kept only for an assertion or a trace line does not become a warning there.
#define ATLTRACE2(category, level, ...) ((void)sizeof(::atl::TraceArguments((category), (level), __VA_ARGS__)))
#define ATLASSERT(expr) ((void)sizeof(!(expr)))
#define ATLASSERT_MSG(expr, msg) ((void)sizeof(!(expr)), (void)sizeof(msg))
#endif

// A report at a failure point: always raised when reached.
#define ATLFAILREPORT(msg) ATLASSERT_MSG(false, (msg))
