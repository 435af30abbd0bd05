#include "WindowOrder.h"

bool IsEnumeratedBefore(HWND hWndFirst, HWND hWndSecond)
{
    struct SOrder
    {
        HWND hWndFirst;
        HWND hWndSecond;
        bool bFirstSeen;
        bool bBefore;
    } order = {hWndFirst, hWndSecond, false, false};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* p = reinterpret_cast<SOrder*>(lParam);
            if (hWnd == p->hWndFirst)
                p->bFirstSeen = true;
            if (hWnd != p->hWndSecond)
                return TRUE;
            p->bBefore = p->bFirstSeen;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&order));
    return order.bBefore;
}
