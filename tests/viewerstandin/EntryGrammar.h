// The launcher's reading of a connect-dialog entry, written out independently of the viewer:
// "pid " <process id in hex> " " ... "IFilterGraph = " <graph number in hex> <end of text>.
#pragma once

#include <windows.h>

bool EntryNamesGraph(const wchar_t* pszEntry, DWORD dwProcessId, DWORD dwGraph);
