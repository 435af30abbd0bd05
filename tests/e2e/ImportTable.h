// What a 64-bit Windows executable imports, read from its file: the libraries the loader
// maps before the program starts, and those loaded on their first call.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct ImportedDll
{
    std::string name;                    // as the image spells it
    std::vector<std::string> functions;  // imported by name, in table order
};

struct ImportTable
{
    std::vector<ImportedDll> loaded;   // the import directory
    std::vector<ImportedDll> delayed;  // delay-load descriptors
};

// False when the bytes are no 64-bit image or a table points outside them.
bool ReadImportTable(const std::vector<BYTE>& image, ImportTable* pTable);
bool ReadImportTableFile(const std::wstring& path, ImportTable* pTable);

} // namespace e2e
