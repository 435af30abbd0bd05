#include "ImportTable.h"

#include <cstring>

namespace e2e {

namespace {

// The image's bytes addressed by relative virtual address, through its section table.
class CImageView
{
public:
    explicit CImageView(const std::vector<BYTE>& image) : m_image(image), m_pNt(nullptr), m_pSections(nullptr), m_cSections(0) {}

    bool Open()
    {
        if (m_image.size() < sizeof(IMAGE_DOS_HEADER))
            return false;
        IMAGE_DOS_HEADER dos;
        std::memcpy(&dos, m_image.data(), sizeof(dos));
        if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
            static_cast<size_t>(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > m_image.size())
            return false;
        m_pNt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(m_image.data() + dos.e_lfanew);
        if (m_pNt->Signature != IMAGE_NT_SIGNATURE || m_pNt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
            return false;
        const size_t offSections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                   m_pNt->FileHeader.SizeOfOptionalHeader;
        m_cSections = m_pNt->FileHeader.NumberOfSections;
        if (offSections + m_cSections * sizeof(IMAGE_SECTION_HEADER) > m_image.size())
            return false;
        m_pSections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(m_image.data() + offSections);
        // As the loader does: a file shorter than its sections is no image.
        for (int i = 0; i < m_cSections; ++i)
            if (static_cast<ULONGLONG>(m_pSections[i].PointerToRawData) + m_pSections[i].SizeOfRawData > m_image.size())
                return false;
        return true;
    }

    const IMAGE_DATA_DIRECTORY& Directory(int nEntry) const { return m_pNt->OptionalHeader.DataDirectory[nEntry]; }
    const IMAGE_SECTION_HEADER& Section(int i) const { return m_pSections[i]; }
    int SectionCount() const { return m_cSections; }

    // The bytes at `rva` when `cb` of them lie in the file part of one section.
    const BYTE* At(ULONGLONG rva, size_t cb) const
    {
        for (int i = 0; i < m_cSections; ++i)
        {
            const IMAGE_SECTION_HEADER& s = m_pSections[i];
            if (rva < s.VirtualAddress || rva + cb > static_cast<ULONGLONG>(s.VirtualAddress) + s.SizeOfRawData)
                continue;
            const ULONGLONG off = s.PointerToRawData + (rva - s.VirtualAddress);
            return off + cb <= m_image.size() ? m_image.data() + off : nullptr;
        }
        return nullptr;
    }

    template <class T>
    bool Read(ULONGLONG rva, T* pValue) const
    {
        const BYTE* p = At(rva, sizeof(T));
        if (p)
            std::memcpy(pValue, p, sizeof(T));
        return p != nullptr;
    }

    bool ReadName(ULONGLONG rva, std::string* pName) const
    {
        pName->clear();
        for (char ch = 0; Read(rva, &ch); ++rva)
        {
            if (ch == 0)
                return !pName->empty();
            pName->push_back(ch);
        }
        return false;
    }

    // The names of a by-name table of 64-bit entries up to its zero entry (ordinals are
    // skipped); false when it leaves the image.
    bool ReadFunctions(ULONGLONG rvaTable, std::vector<std::string>* pFunctions) const
    {
        pFunctions->clear();
        for (ULONGLONG entry = 0; Read(rvaTable, &entry); rvaTable += sizeof(entry))
        {
            if (entry == 0)
                return true;
            if (IMAGE_SNAP_BY_ORDINAL64(entry))
                continue;
            std::string name;
            if (!ReadName(entry + sizeof(WORD), &name))  // past the hint
                return false;
            pFunctions->push_back(name);
        }
        return false;
    }

private:
    const std::vector<BYTE>& m_image;
    const IMAGE_NT_HEADERS64* m_pNt;
    const IMAGE_SECTION_HEADER* m_pSections;
    int m_cSections;
};

bool EndsWithDll(const std::string& name)
{
    return name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

bool ReadLoaded(const CImageView& view, std::vector<ImportedDll>* pDlls)
{
    const IMAGE_DATA_DIRECTORY& dir = view.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (ULONGLONG rva = dir.VirtualAddress; dir.VirtualAddress != 0; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR))
    {
        IMAGE_IMPORT_DESCRIPTOR desc;
        if (!view.Read(rva, &desc))
            return false;
        if (desc.Name == 0)
            break;
        ImportedDll dll;
        const DWORD rvaNames = desc.OriginalFirstThunk ? desc.OriginalFirstThunk : desc.FirstThunk;
        if (!view.ReadName(desc.Name, &dll.name) || !view.ReadFunctions(rvaNames, &dll.functions))
            return false;
        pDlls->push_back(dll);
    }
    return true;
}

// A delay-load descriptor whose every address lies in the image and whose name table reads.
bool ReadDelayed(const CImageView& view, ULONGLONG rva, ImportedDll* pDll)
{
    IMAGE_DELAYLOAD_DESCRIPTOR desc;
    if (!view.Read(rva, &desc) || desc.Attributes.AllAttributes != 1 || desc.DllNameRVA == 0)
        return false;
    if (!view.At(desc.ModuleHandleRVA, sizeof(HMODULE)) || !view.At(desc.ImportAddressTableRVA, sizeof(ULONGLONG)))
        return false;
    return view.ReadName(desc.DllNameRVA, &pDll->name) && EndsWithDll(pDll->name) &&
           view.ReadFunctions(desc.ImportNameTableRVA, &pDll->functions) && !pDll->functions.empty();
}

bool ReadDelayedAll(const CImageView& view, std::vector<ImportedDll>* pDlls)
{
    const IMAGE_DATA_DIRECTORY& dir = view.Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
    if (dir.VirtualAddress != 0)
    {
        for (ULONGLONG rva = dir.VirtualAddress;; rva += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR))
        {
            IMAGE_DELAYLOAD_DESCRIPTOR desc;
            if (!view.Read(rva, &desc))
                return false;
            if (desc.DllNameRVA == 0)
                return true;
            ImportedDll dll;
            if (!ReadDelayed(view, rva, &dll))
                return false;
            pDlls->push_back(dll);
        }
    }
    // The GNU linker leaves that directory empty (the run-time's helper is handed each
    // descriptor by the stub that calls it), so the descriptors are looked for wherever
    // they lie: every aligned record that reads as one.
    for (int i = 0; i < view.SectionCount(); ++i)
    {
        const IMAGE_SECTION_HEADER& s = view.Section(i);
        for (ULONGLONG off = 0; off + sizeof(IMAGE_DELAYLOAD_DESCRIPTOR) <= s.SizeOfRawData; off += sizeof(DWORD))
        {
            ImportedDll dll;
            if (ReadDelayed(view, s.VirtualAddress + off, &dll))
                pDlls->push_back(dll);
        }
    }
    return true;
}

} // namespace

bool ReadImportTable(const std::vector<BYTE>& image, ImportTable* pTable)
{
    *pTable = ImportTable();
    CImageView view(image);
    return view.Open() && ReadLoaded(view, &pTable->loaded) && ReadDelayedAll(view, &pTable->delayed);
}

bool ReadImportTableFile(const std::wstring& path, ImportTable* pTable)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> image(::GetFileSize(hFile, nullptr));
    DWORD cbRead = 0;
    const bool bRead = ::ReadFile(hFile, image.data(), static_cast<DWORD>(image.size()), &cbRead, nullptr) &&
                       cbRead == image.size();
    ::CloseHandle(hFile);
    return bRead && ReadImportTable(image, pTable);
}

} // namespace e2e
