#include "ui/DialogPlacement.h"

POINT DialogBottomCentre(const RECT& rcWorkArea, const RECT& rcDialog)
{
    POINT pt;
    // Signed division, truncating toward zero.
    pt.x = (rcWorkArea.left + rcWorkArea.right - (rcDialog.right - rcDialog.left)) / 2;
    pt.y = rcWorkArea.bottom - (rcDialog.bottom - rcDialog.top);
    return pt;
}
