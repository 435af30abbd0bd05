// Public facts about the stand-in filters: class identifiers, names, pin names and the
// module that serves them. The synchronizer's own class and interface are in
// graph/IMeridel.h.
#pragma once

#include <objbase.h>

// {49E15C69-F8F2-43FA-8E78-103ECDC31FE9}
DEFINE_GUID(CLSID_PatternSource, 0x49e15c69, 0xf8f2, 0x43fa, 0x8e, 0x78, 0x10, 0x3e, 0xcd, 0xc3, 0x1f, 0xe9);
// {A3FCAFA4-8DC1-49F5-AF5F-87176616E152}
DEFINE_GUID(CLSID_SampleTap, 0xa3fcafa4, 0x8dc1, 0x49f5, 0xaf, 0x5f, 0x87, 0x17, 0x66, 0x16, 0xe1, 0x52);

#define STANDIN_FILTERS_DLL_A "standinfilters.dll"
#define STANDIN_FILTERS_DLL_W L"standinfilters.dll"
// Where the prefix's register step installs the module.
#define STANDIN_FILTERS_INSTALLED_W L"C:\\standins\\standinfilters.dll"

#define PATTERN_SOURCE_NAME_W L"Pattern Source"
#define SYNCHRONIZER_NAME_W L"A/V Synchronizer"
#define STANDIN_PIN_IN_W L"In"
#define STANDIN_PIN_OUT_W L"Out"
// The synchronizer's audio pair; "In" and "Out" carry its video.
#define STANDIN_PIN_AUDIO_IN_W L"Audio In"
#define STANDIN_PIN_AUDIO_OUT_W L"Audio Out"

// Exported by the module: the number of its COM objects alive right now.
typedef LONG(WINAPI* PFN_STANDIN_LIVE_OBJECTS)(void);
