// Resource and control identifiers of the tool, and its private window message.
#pragma once

#define IDS_PROJNAME 100
#define IDD_MAIN_DIALOG 101

#define IDC_BTN_LOAD 201
#define IDC_EDIT_FILE 202
#define IDC_BTN_BUILD 203
#define IDC_BTN_SHOW 204
#define IDC_EDIT_DURATION 210
#define IDC_SPIN_DURATION 211
#define IDC_BTN_PLAY 220
#define IDC_BTN_PAUSE 221
#define IDC_BTN_STOP 222

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Posted by the filter graph whenever events are waiting in its queue.
#define WM_GRAPHNOTIFY (WM_APP + 123)
