// The tool's one way of telling the user that something failed.
#pragma once

#include <windows.h>

// Shows `pszText` with the description and value of `hr` (when non-zero) in a modal box
// owned by `hWndOwner` (or the active window when that is no window). Returns what
// MessageBoxW returns.
int ShowErrorBox(HWND hWndOwner, LPCWSTR pszText, LPCWSTR pszCaption, HRESULT hr, UINT uType);
