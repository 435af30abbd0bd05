// Reading a report file that another program appends to, one line at a time, closing the
// file after each (as the graph viewer stand-in writes its report): shared by the
// benchmark, which stamps when each line shows up, and the tests, which wait for lines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The complete lines written so far, as bytes and without their CR LF; a line still being
// written has no end yet and is left out. Empty when the file is not there.
std::vector<std::string> ReadReportLines(const std::wstring& strPath);
