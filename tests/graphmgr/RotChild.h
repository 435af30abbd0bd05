// The second process of the cross-process test: the same test program started with
// "--rot-child <item name>". It binds the graph registered under that item name in the
// Running Object Table, lists its filters and checks the object's own persistence
// interface, then exits with the number of filters or one of the codes below.
#pragma once

#include <windows.h>

const wchar_t kRotChildSwitch[] = L"--rot-child";

enum ERotChildExit
{
    eRotChildNoTable = 101,
    eRotChildNoMoniker = 102,
    eRotChildNotRegistered = 103,
    eRotChildNoFilterGraph = 104,
    eRotChildNoEnum = 105,
    eRotChildNoPersist = 106,
    eRotChildWrongClass = 107
};

int RunRotChild(const wchar_t* pszItem);
