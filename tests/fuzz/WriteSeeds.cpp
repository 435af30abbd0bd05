// Writes the reader tests' malformed graph texts into a folder, one file each, as seeds
// of the fuzzer: WriteSeeds FOLDER. The committed corpus holds the rest of the seeds.
#include <cstdio>
#include <string>

#include "MalformedGraphText.h"

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const CMalformedGraphText& text : MalformedGraphTexts())
    {
        std::string strPath = std::string(argv[1]) + "/malformed-" + text.m_pszName;
        std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
        if (!pFile)
        {
            std::perror(strPath.c_str());
            return 1;
        }
        size_t cbWritten = text.m_vecText.empty() ? 0 : std::fwrite(text.m_vecText.data(), 1, text.m_vecText.size(), pFile);
        bool bOk = cbWritten == text.m_vecText.size();
        bOk = std::fclose(pFile) == 0 && bOk;
        if (!bOk)
        {
            std::fprintf(stderr, "%s: could not write\n", strPath.c_str());
            return 1;
        }
    }
    return 0;
}
