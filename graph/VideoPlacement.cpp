#include "graph/VideoPlacement.h"

long VideoWindowTop(const RECT& rcDialog, long nHeight)
{
    long nTop = rcDialog.top - nHeight;
    return nTop < 0 ? 0 : nTop;
}

long VideoWindowLeft(const RECT& rcArea, long nWidth)
{
    // Signed division, truncating toward zero.
    return (rcArea.right - rcArea.left - nWidth) / 2;
}
