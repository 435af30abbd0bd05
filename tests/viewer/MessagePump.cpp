#include "MessagePump.h"

bool PumpUntil(const std::function<bool()>& bDone, DWORD dwDeadlineMs)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        if (bDone())
            return true;
        if (::GetTickCount() - dwStart > dwDeadlineMs)
            return bDone();
        // Wakes for any message at once; the timeout only bounds how often bDone is asked
        // about changes that send no message (a file, another process).
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}
