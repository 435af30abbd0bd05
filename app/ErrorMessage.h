// Composition of the error box's text, kept apart from the box so that it can be
// checked without a window.
#pragma once

#include <windows.h>

// Capacity of a composed message, terminator included.
const int ERROR_MESSAGE_CAPACITY = 1024;

// Builds the message for `pszText` (null counts as empty) and result code `hr` into
// `pszMsg` (ERROR_MESSAGE_CAPACITY characters): the text, then for a non-zero code the
// code's description `pszDescription` (null or empty when none was found) and the line
// "Error 0x" + the code in upper-case hexadecimal, each on a line of its own. Overlong
// parts are cut so that the message never exceeds 1023 characters.
void ComposeErrorMessage(LPCWSTR pszText, HRESULT hr, LPCWSTR pszDescription, LPWSTR pszMsg);

// The box type: a non-zero code with type 0 asks for the error icon.
UINT ErrorBoxType(HRESULT hr, UINT uType);
