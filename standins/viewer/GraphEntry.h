// Texts of the connect dialog and the report: which Running Object Table names are filter
// graphs, how a graph is listed, and how a connection is reported. No window or COM here.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Reads an item name published as "FilterGraph <graph> pid <process>" (both numbers in
// hexadecimal, 1 to 8 digits, either case), with or without the leading "!" that the
// moniker's display name carries. False for anything else.
bool ParseGraphItemName(const wchar_t* pszName, DWORD* pdwGraph, DWORD* pdwProcessId);

// The list entry of one graph: "pid <process> (FilterGraph <graph>) IFilterGraph = <GRAPH>".
// The graph number is always the very end of the text; the text stays below 64 characters.
std::wstring ComposeGraphEntry(DWORD dwProcessId, DWORD dwGraph);

// The report line after a successful connection:
// "connected graph=<8 lower-case hex digits> filters=<name>|<name>|...".
std::wstring ComposeConnectedLine(DWORD dwGraph, const std::vector<std::wstring>& rgNames);

// "<what> hr=0x%08X", the report line of a failed step (for example "bind-failed").
std::wstring ComposeFailureLine(const wchar_t* pszWhat, HRESULT hr);
