// The graph file result codes the reader returns, with their Windows values.
#pragma once

#include <windows.h>

#define VFW_E_INVALID_FILE_FORMAT static_cast<HRESULT>(0x8004022Fu)
#define VFW_E_FILE_TOO_SHORT static_cast<HRESULT>(0x80040243u)
#define VFW_E_INVALID_FILE_VERSION static_cast<HRESULT>(0x80040244u)
