// Text forms the graph manager tests print in their failure messages.
#pragma once

#include <windows.h>

#include <string>

std::string HrText(HRESULT hr);
// Printable ASCII of a wide text; anything else shows as '?'.
std::string Narrow(const std::wstring& str);
