// Identifiers of the viewer's resources and commands.
#pragma once

#define IDR_VIEWER_MENU        100
#define IDA_VIEWER_ACCEL       101
#define IDD_CONNECT            200
#define IDC_CONNECT_LIST       201
#define IDC_CONNECT_REFRESH    202
#define IDC_CONNECT_LABEL      203
#define IDC_CONNECT_PANEL      204

// Connect to a graph published by another process (menu item and accelerator).
#define ID_GRAPH_CONNECT       0x8034
#define ID_GRAPH_DISCONNECT    0x8035
#define ID_FILE_EXIT           0x8036
