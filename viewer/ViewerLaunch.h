// Pure parts of starting the viewer: where its executable is looked for beside Proppage.dll,
// and how a failed start becomes a result code.
#pragma once

#include <windows.h>

// Capacity of a path buffer, terminator included.
const int kPathChars = MAX_PATH;

// The viewer's executable file name.
extern const wchar_t kGraphEditExe[];

// Composes the viewer's path in the directory of pszProppage: everything after its last
// backslash or forward slash is replaced by "graphedt.exe". Returns false, leaving the
// buffer empty, when pszProppage is null or empty, does not itself fit the buffer, has no
// separator, or the composed path would not fit in cchGraphEdit characters with its
// terminator: a cut name could start some other program, so an overlong composition gets
// no attempt at all.
bool ComposeBesideProppage(LPCWSTR pszProppage, LPWSTR pszGraphEdit, int cchGraphEdit);

// A Win32 error of a failed start as a result code: 0x80070000 with the error's low 16 bits,
// or E_FAIL when there is no error code to pass on.
HRESULT HresultFromStartError(DWORD dwError);
