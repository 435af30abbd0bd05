// Where the graph's video window goes: directly above the dialog, centred across the
// work area.
#pragma once

#include <windows.h>

// Top edge: the dialog's top minus the video height, never above the screen's top.
long VideoWindowTop(const RECT& rcDialog, long nHeight);
// Left edge, measured from the screen's left edge (x = 0), not from the work area's, and
// not clamped: a video wider than the work area starts left of the screen.
long VideoWindowLeft(const RECT& rcArea, long nWidth);
