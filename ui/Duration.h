// The duration box shows whole milliseconds; the synchronizer holds seconds.
#pragma once

#include <windows.h>

// What the box's number means in seconds. The box reads its number as unsigned, so the
// whole 32-bit range is taken as typed rather than wrapping to negative durations.
double MillisecondsToSeconds(UINT nMilliseconds);

// The whole milliseconds to show for a duration, rounded to the nearest with halves going
// up. Durations outside what the box can show are held at its ends (0 and 4294967295).
UINT SecondsToMilliseconds(double dSeconds);

// The spin's step for a proposed change at a position: 10 below 500, 50 from 500 on,
// in the proposed direction; no change stays no change.
int SpinDelta(int iPos, int iDelta);
