// Where the main dialog goes: centred across the work area, its bottom edge on the work
// area's bottom edge.
#pragma once

#include <windows.h>

POINT DialogBottomCentre(const RECT& rcWorkArea, const RECT& rcDialog);
