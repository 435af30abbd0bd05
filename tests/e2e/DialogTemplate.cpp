#include "DialogTemplate.h"

namespace e2e {

namespace {

class CReader
{
public:
    explicit CReader(const BYTE* p) : m_pStart(p), m_p(p) {}
    template <class T>
    T Get()
    {
        T value;
        memcpy(&value, m_p, sizeof(T));
        m_p += sizeof(T);
        return value;
    }
    std::wstring String()
    {
        std::wstring s;
        for (WCHAR ch = Get<WCHAR>(); ch; ch = Get<WCHAR>())
            s += ch;
        return s;
    }
    // A name or an ordinal: ordinals come back as "#0x" and four hex digits.
    std::wstring NameOrOrdinal()
    {
        WORD w;
        memcpy(&w, m_p, sizeof(w));
        if (w == 0xFFFF)
        {
            Get<WORD>();
            wchar_t sz[16];
            wsprintfW(sz, L"#0x%04X", Get<WORD>());
            return sz;
        }
        return String();
    }
    void AlignDword() { m_p = m_pStart + ((m_p - m_pStart + 3) & ~3); }
    void Skip(size_t cb) { m_p += cb; }

private:
    const BYTE* m_pStart;
    const BYTE* m_p;
};

} // namespace

bool LoadDialogTemplate(const std::wstring& modulePath, WORD wID, LANGID langId, DialogTemplate* pT)
{
    HMODULE hModule = ::LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hModule)
        return false;
    bool bOk = false;
    HRSRC hRes = ::FindResourceExW(hModule, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(wID), langId);
    HGLOBAL hData = hRes ? ::LoadResource(hModule, hRes) : nullptr;
    const BYTE* p = hData ? static_cast<const BYTE*>(::LockResource(hData)) : nullptr;
    if (p)
    {
        CReader r(p);
        DialogTemplate& t = *pT;
        t.wVersion = r.Get<WORD>();
        t.wSignature = r.Get<WORD>();
        if (t.wVersion == 1 && t.wSignature == 0xFFFF)
        {
            t.dwHelpID = r.Get<DWORD>();
            t.dwExStyle = r.Get<DWORD>();
            t.dwStyle = r.Get<DWORD>();
            WORD cItems = r.Get<WORD>();
            t.x = r.Get<short>();
            t.y = r.Get<short>();
            t.cx = r.Get<short>();
            t.cy = r.Get<short>();
            t.menu = r.NameOrOrdinal();
            t.className = r.NameOrOrdinal();
            t.title = r.String();
            if (t.dwStyle & DS_SETFONT)
            {
                t.wPointSize = r.Get<WORD>();
                t.wWeight = r.Get<WORD>();
                t.bItalic = r.Get<BYTE>();
                t.bCharSet = r.Get<BYTE>();
                t.typeface = r.String();
            }
            for (WORD i = 0; i < cItems; ++i)
            {
                r.AlignDword();
                TemplateItem item;
                item.dwHelpID = r.Get<DWORD>();
                item.dwExStyle = r.Get<DWORD>();
                item.dwStyle = r.Get<DWORD>();
                item.x = r.Get<short>();
                item.y = r.Get<short>();
                item.cx = r.Get<short>();
                item.cy = r.Get<short>();
                item.dwID = r.Get<DWORD>();
                item.className = r.NameOrOrdinal();
                item.text = r.NameOrOrdinal();
                item.cbExtra = r.Get<WORD>();
                r.Skip(item.cbExtra);
                t.items.push_back(item);
            }
            bOk = true;
        }
    }
    ::FreeLibrary(hModule);
    return bOk;
}

} // namespace e2e
