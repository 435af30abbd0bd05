// Lifetime bookkeeping of the DLL: live objects, server locks, and the system filter
// graph module whose graph we aggregate.
#pragma once

#include <windows.h>

void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock(bool bLock);

// The system's quartz.dll, loaded on first use. Null if it cannot be loaded.
HMODULE ModuleQuartz();

// S_OK when nothing of ours (and nothing of the system graph module) is in use; the
// system module is then let go, so our DLL can be unloaded safely.
HRESULT ModuleCanUnload();
