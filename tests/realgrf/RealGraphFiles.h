// Graph files saved on Windows by graph editors, from public repositories: third-party
// data kept beside the repository in ../shared/realgrf (SOURCES.tsv there names where
// each one comes from), never copied into the tree. Tests read them at run time, and skip
// when the folder is absent, as on a user's clone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CRealGraphFile
{
    std::string m_strName;    // the file name, for messages
    std::wstring m_strPath;   // as the Windows side opens it
};

// The folder as the Windows side names it.
std::wstring RealGraphFolder();

// Every *.GRF file of the folder, by name; false when the folder is absent.
bool ListRealGraphFiles(std::vector<CRealGraphFile>& vecFiles);

// The bytes of a compound file's "ActiveMovieGraph" stream, opened for reading only.
HRESULT ReadGraphStream(const std::wstring& strPath, std::vector<BYTE>& vecStream);
