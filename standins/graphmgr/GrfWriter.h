// Writes a CGrfGraphDesc as graph text (UTF-16LE with inline blobs), exactly in the layout
// of GrfLayout.h, the one files saved on Windows have.
//
// Fails with E_INVALIDARG, writing nothing, when the text could not be read back as the
// same graph: a version other than 2 or 3, a name, pin name or file name holding a double
// quote or NUL, a zero or duplicate filter id, a connection or clock naming a filter id
// that is not in the description.
#pragma once

#include "GrfGraphDesc.h"

HRESULT WriteGrfText(const CGrfGraphDesc& graph, std::vector<BYTE>& vecText);
