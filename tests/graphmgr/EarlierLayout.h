// Graph text in the layout this graph manager wrote before it wrote Windows' layout:
// the media type counted from the space before its major type (two bytes more), a space
// instead of U+0000 after the sample size, "CLOCK 0 0000" for a graph without a clock
// (version 0003). Prefixes made before hold graph files written this way, and the reader
// keeps reading them; this composes such text for the tests.
#pragma once

#include "GrfGraphDesc.h"

std::vector<BYTE> EarlierLayoutText(const CGrfGraphDesc& graph);
