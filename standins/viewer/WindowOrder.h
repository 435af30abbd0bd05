// The order in which the top-level enumeration meets windows: the order in which a
// launcher's search sees them (Z order).
#pragma once

#include <windows.h>

// Whether the top-level enumeration meets hWndFirst before hWndSecond; false when it never
// meets hWndSecond.
bool IsEnumeratedBefore(HWND hWndFirst, HWND hWndSecond);
