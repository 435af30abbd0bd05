#include "ui/Duration.h"

double MillisecondsToSeconds(UINT nMilliseconds)
{
    return static_cast<double>(nMilliseconds) / 1000.0;
}

UINT SecondsToMilliseconds(double dSeconds)
{
    double dMilliseconds = dSeconds * 1000.0 + 0.5;
    // Converting a double that does not fit would be undefined; NaN fails both tests.
    if (!(dMilliseconds >= 0.0))
        return 0;
    if (dMilliseconds >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<UINT>(dMilliseconds);
}

// Position before delta, as in the up-down control's notification.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
int SpinDelta(int iPos, int iDelta)
{
    int nStep = iPos < 500 ? 10 : 50;
    if (iDelta > 0)
        return nStep;
    if (iDelta < 0)
        return -nStep;
    return 0;
}
