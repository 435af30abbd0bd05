// Feeds messages to the dialog's message map without a window, so that the routing can be
// watched from outside (its trace and assertion lines go to the debugger). The exit code
// packs the answers: bit i is set when message i of the table was handled.
#include <windows.h>
#include <commctrl.h>

#include "ui/MainDialog.h"

int main()
{
    ::CoInitialize(nullptr);
    int nResult = 0;
    {
        CMainDialog dlg;
        NMHDR nmOther = {nullptr, IDC_SPIN_DURATION, (UINT)NM_CLICK};
        NMHDR nmFromEdit = {nullptr, IDC_EDIT_DURATION, (UINT)UDN_DELTAPOS};
        const struct
        {
            UINT uMsg;
            WPARAM wParam;
            LPARAM lParam;
            DWORD dwMapID;
        } rgMessages[] = {
            {WM_GRAPHNOTIFY, 0x1234, 0x5678, 0},                          // 0: handled, any parameters
            {WM_COMMAND, MAKEWPARAM(IDC_BTN_STOP, 0xBEEF), 0, 0},         // 1: button, any code
            {WM_COMMAND, MAKEWPARAM(IDC_EDIT_FILE, EN_SETFOCUS), 0, 0},   // 2: edit, not EN_CHANGE
            {WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0, 0},              // 3: unknown id
            {WM_NOTIFY, IDC_SPIN_DURATION, (LPARAM)&nmOther, 0},          // 4: other notification
            {WM_NOTIFY, IDC_EDIT_DURATION, (LPARAM)&nmFromEdit, 0},       // 5: right code, wrong sender
            {WM_PAINT, 0, 0, 0},                                          // 6: not in the map
            {WM_GRAPHNOTIFY, 0, 0, 1},                                    // 7: map id 1
            {WM_COMMAND, MAKEWPARAM(IDC_EDIT_FILE, EN_CHANGE), 0, 0},     // 8: edit with EN_CHANGE
        };
        for (int i = 0; i < (int)(sizeof(rgMessages) / sizeof(rgMessages[0])); ++i)
        {
            LRESULT lResult = 0;
            if (dlg.ProcessWindowMessage(nullptr, rgMessages[i].uMsg, rgMessages[i].wParam, rgMessages[i].lParam,
                                         lResult, rgMessages[i].dwMapID))
                nResult |= 1 << i;
        }
    }
    ::CoUninitialize();
    return nResult;
}
