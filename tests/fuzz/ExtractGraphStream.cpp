// Copies the graph stream ("ActiveMovieGraph") out of compound files, for the fuzzer's
// seeds: ExtractGraphStream OUT_FOLDER FILE... writes OUT_FOLDER/<file name>.grftext for
// each FILE that holds one. Native, no Windows: the compound file's header, its
// allocation table, directory and mini stream are read here directly, with every sector
// number and chain length checked, so that a damaged file is skipped, not followed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
typedef std::vector<std::uint8_t> Bytes;

const std::uint32_t kEndOfChain = 0xFFFFFFFEu;

std::uint32_t U32(const Bytes& b, size_t off) { return off + 4 <= b.size() ? b[off] | b[off + 1] << 8 | b[off + 2] << 16 | static_cast<std::uint32_t>(b[off + 3]) << 24 : 0; }
std::uint16_t U16(const Bytes& b, size_t off) { return off + 2 <= b.size() ? static_cast<std::uint16_t>(b[off] | b[off + 1] << 8) : 0; }

class CCompoundFile
{
public:
    explicit CCompoundFile(Bytes file) : m_file(std::move(file)) {}

    bool Open()
    {
        static const std::uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (m_file.size() < 512 || std::memcmp(m_file.data(), kSignature, 8) != 0)
            return false;
        unsigned nShift = U16(m_file, 0x1E);
        if (nShift != 9 && nShift != 12)
            return false;
        m_cbSector = size_t(1) << nShift;
        m_cbMiniSector = size_t(1) << U16(m_file, 0x20);
        m_cbCutoff = U32(m_file, 0x38);
        // The allocation table's sectors: the first 109 are listed in the header, the rest
        // in a chain of further list sectors.
        std::vector<std::uint32_t> vecFatSectors;
        std::uint32_t cFat = U32(m_file, 0x2C);
        for (size_t i = 0; i < 109 && vecFatSectors.size() < cFat; ++i)
            vecFatSectors.push_back(U32(m_file, 0x4C + 4 * i));
        std::uint32_t dwList = U32(m_file, 0x44);
        for (size_t cGuard = 0; vecFatSectors.size() < cFat && dwList < kEndOfChain && cGuard < 1024; ++cGuard)
        {
            Bytes list;
            if (!Sector(dwList, list))
                return false;
            for (size_t i = 0; i + 1 < m_cbSector / 4 && vecFatSectors.size() < cFat; ++i)
                vecFatSectors.push_back(U32(list, 4 * i));
            dwList = U32(list, m_cbSector - 4);
        }
        for (std::uint32_t dwSector : vecFatSectors)
        {
            Bytes sector;
            if (!Sector(dwSector, sector))
                return false;
            for (size_t i = 0; i < m_cbSector / 4; ++i)
                m_vecFat.push_back(U32(sector, 4 * i));
        }
        if (!Chain(m_vecFat, U32(m_file, 0x30), nullptr, m_dir))
            return false;
        Bytes miniFat;
        if (U32(m_file, 0x3C) < kEndOfChain && !Chain(m_vecFat, U32(m_file, 0x3C), nullptr, miniFat))
            return false;
        for (size_t i = 0; i + 4 <= miniFat.size(); i += 4)
            m_vecMiniFat.push_back(U32(miniFat, i));
        // The root entry's chain is the mini stream.
        return m_dir.size() >= 128 && Chain(m_vecFat, U32(m_dir, 116), nullptr, m_miniStream);
    }

    bool ReadStream(const char* pszName, Bytes& out)
    {
        for (size_t off = 0; off + 128 <= m_dir.size(); off += 128)
        {
            if (m_dir[off + 66] != 2)
                continue;
            size_t cbName = U16(m_dir, off + 64);
            std::string strName;
            for (size_t i = 0; i + 2 < cbName && i < 62; i += 2)
                strName += static_cast<char>(m_dir[off + i]);
            if (strName != pszName)
                continue;
            std::uint32_t cbSize = U32(m_dir, off + 120);
            std::uint32_t dwStart = U32(m_dir, off + 116);
            bool bOk = cbSize < m_cbCutoff ? MiniChain(dwStart, cbSize, out) : Chain(m_vecFat, dwStart, &cbSize, out);
            return bOk && out.size() >= cbSize && (out.resize(cbSize), true);
        }
        return false;
    }

private:
    bool Sector(std::uint32_t dwSector, Bytes& out) const
    {
        size_t off = (size_t(dwSector) + 1) * m_cbSector;
        if (dwSector >= kEndOfChain || off + m_cbSector > m_file.size())
            return false;
        out.assign(m_file.begin() + off, m_file.begin() + off + m_cbSector);
        return true;
    }

    bool Chain(const std::vector<std::uint32_t>& fat, std::uint32_t dwSector, const std::uint32_t* pcbWanted, Bytes& out) const
    {
        out.clear();
        for (size_t cGuard = 0; dwSector != kEndOfChain; ++cGuard)
        {
            if (dwSector >= fat.size() || cGuard > fat.size())
                return false;
            Bytes sector;
            if (!Sector(dwSector, sector))
                return false;
            out.insert(out.end(), sector.begin(), sector.end());
            if (pcbWanted && out.size() >= *pcbWanted)
                return true;
            dwSector = fat[dwSector];
        }
        return true;
    }

    bool MiniChain(std::uint32_t dwSector, std::uint32_t cbWanted, Bytes& out) const
    {
        out.clear();
        for (size_t cGuard = 0; out.size() < cbWanted; ++cGuard)
        {
            size_t off = size_t(dwSector) * m_cbMiniSector;
            if (dwSector >= m_vecMiniFat.size() || cGuard > m_vecMiniFat.size() || off + m_cbMiniSector > m_miniStream.size())
                return false;
            out.insert(out.end(), m_miniStream.begin() + off, m_miniStream.begin() + off + m_cbMiniSector);
            dwSector = m_vecMiniFat[dwSector];
        }
        return true;
    }

    Bytes m_file;
    size_t m_cbSector = 512;
    size_t m_cbMiniSector = 64;
    std::uint32_t m_cbCutoff = 4096;
    std::vector<std::uint32_t> m_vecFat;
    std::vector<std::uint32_t> m_vecMiniFat;
    Bytes m_dir;
    Bytes m_miniStream;
};
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s OUT_FOLDER FILE...\n", argv[0]);
        return 2;
    }
    int cWritten = 0;
    for (int i = 2; i < argc; ++i)
    {
        std::FILE* pIn = std::fopen(argv[i], "rb");
        if (!pIn)
            continue;
        Bytes file;
        for (int ch; (ch = std::fgetc(pIn)) != EOF;)
            file.push_back(static_cast<std::uint8_t>(ch));
        std::fclose(pIn);
        CCompoundFile compound(std::move(file));
        Bytes stream;
        if (!compound.Open() || !compound.ReadStream("ActiveMovieGraph", stream))
        {
            std::fprintf(stderr, "%s: no graph stream read, skipped\n", argv[i]);
            continue;
        }
        std::string strBase = argv[i];
        strBase = strBase.substr(strBase.find_last_of('/') + 1);
        std::string strOut = std::string(argv[1]) + "/real-" + strBase + ".grftext";
        std::FILE* pOut = std::fopen(strOut.c_str(), "wb");
        if (!pOut || std::fwrite(stream.data(), 1, stream.size(), pOut) != stream.size() || std::fclose(pOut) != 0)
        {
            std::fprintf(stderr, "%s: could not write\n", strOut.c_str());
            return 1;
        }
        ++cWritten;
    }
    std::printf("%d\n", cWritten);
    return 0;
}
