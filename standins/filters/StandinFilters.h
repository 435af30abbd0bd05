// Public facts about the stand-in filters: class identifiers, names, pin names and the
// module that serves them. The synchronizer's own class and interface are in
// graph/IMeridel.h.
#pragma once

#include <objbase.h>

// {49E15C69-F8F2-43FA-8E78-103ECDC31FE9}
DEFINE_GUID(CLSID_PatternSource, 0x49e15c69, 0xf8f2, 0x43fa, 0x8e, 0x78, 0x10, 0x3e, 0xcd, 0xc3, 0x1f, 0xe9);

#define STANDIN_FILTERS_DLL_A "standinfilters.dll"
#define STANDIN_FILTERS_DLL_W L"standinfilters.dll"
// Where the prefix's register step installs the module.
#define STANDIN_FILTERS_INSTALLED_W L"C:\\standins\\standinfilters.dll"

#define PATTERN_SOURCE_NAME_W L"Pattern Source"
#define SYNCHRONIZER_NAME_W L"A/V Synchronizer"
#define STANDIN_PIN_IN_W L"In"
#define STANDIN_PIN_OUT_W L"Out"

// Exported by the module: the number of its COM objects alive right now.
typedef LONG(WINAPI* PFN_STANDIN_LIVE_OBJECTS)(void);
