// Module-wide count of live COM objects (filters, pins, enumerators, class factories).
// Every destruction reports the new count through the debugger output, so a test that
// watches another process as its debugger can see the last reference go.
#pragma once

#include <windows.h>

// The module name that prefixes the debug line, e.g. "standinfilters.dll".
void SetLiveObjectsModuleName(const char* pszName);
void LiveObjectCreated();
void LiveObjectDestroyed();
LONG LiveObjectCount();
// Writes "standin <module>: live objects <n>\n" to the debugger output, once the module
// has a name.
void ReportLiveObjects();

// Server locks taken through IClassFactory::LockServer; they keep the module loaded
// but are not objects.
void ServerLock(bool bLock);
LONG ServerLockCount();

// Composes the debug line; plain so tests can check its exact shape.
int FormatLiveObjectsLine(char* pszOut, size_t cchOut, const char* pszModule, LONG lCount);

// Base for every counted object: counts itself in and out.
class CLiveObject
{
public:
    CLiveObject() { LiveObjectCreated(); }
    CLiveObject(const CLiveObject&) { LiveObjectCreated(); }
    CLiveObject& operator=(const CLiveObject&) = default;
    ~CLiveObject() { LiveObjectDestroyed(); }
};
