// Waiting in a single-threaded apartment: the graph lives on this thread, and the viewer's
// calls into it arrive as messages, so every wait keeps dispatching them.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until bDone() holds or dwDeadlineMs have passed;
// returns the last answer of bDone.
bool PumpUntil(const std::function<bool()>& bDone, DWORD dwDeadlineMs);

// A deadline long enough for a slow machine; passing it is a failure, not the normal way.
const DWORD kGenerousDeadlineMs = 30000;
