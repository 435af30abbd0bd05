// DirectShow headers as every file of the graph manager includes them.
#pragma once

#include <windows.h>

#include <dshow.h>
