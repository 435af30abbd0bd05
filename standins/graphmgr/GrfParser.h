// Reads the text of a saved filter graph into a CGrfGraphDesc, in the layout of GrfLayout.h
// or the one this manager wrote before (see there). The text is UTF-16LE with
// the filters' persisted bytes and the media types' format blocks inline as raw bytes, so
// the reader walks bytes, not characters: a blob of odd length leaves the text after it
// on an odd offset, and that is still read correctly.
//
// Result codes:
//   S_OK                        the graph was read up to and including END
//   VFW_E_FILE_TOO_SHORT        the data ends before the graph does: cut text, a quote that
//                               never closes, a byte count running past the end
//   VFW_E_INVALID_FILE_VERSION  a version other than 0002 and 0003
//   VFW_E_INVALID_FILE_FORMAT   anything else malformed: a bad or overflowing number, a flag
//                               other than 0/1, a bad class id, an unknown keyword, a
//                               duplicate or zero filter id, a connection naming a filter id
//                               that is not in the FILTERS section, a NUL inside quotes, a
//                               clock line in version 0002
//
// A clock line naming a filter id that no filter has (Windows writes 0000 when the graph
// picks its own clock) is read as naming none: m_dwFilterId 0.
#pragma once

#include "GrfGraphDesc.h"

// pcbPosition (optional) receives the byte offset just past END on success, or the offset
// at which reading stopped on failure. graph is only meaningful on success.
HRESULT ParseGrfText(const BYTE* pbData, size_t cbData, CGrfGraphDesc& graph, size_t* pcbPosition);
