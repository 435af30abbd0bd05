#include "GrfTextReader.h"

#include <vfwmsgs.h>

#include "GrfGuidText.h"
#include "GrfLayout.h"

namespace
{
bool IsKeywordStart(const std::wstring& strWord)
{
    static const wchar_t* const kKeywords[] = {kGrfFiltersWord, kGrfSourceWord,     kGrfSinkWord,
                                                kGrfConnectionsWord, kGrfClockWord, kGrfEndWord};
    for (const wchar_t* pszKeyword : kKeywords)
    {
        if (std::wstring(pszKeyword).compare(0, strWord.size(), strWord) == 0)
            return true;
    }
    return false;
}
}  // namespace

CGrfTextReader::CGrfTextReader(const BYTE* pbData, size_t cbData) : m_pbData(pbData), m_cbData(pbData ? cbData : 0)
{
}

wchar_t CGrfTextReader::Peek() const
{
    return static_cast<wchar_t>(m_pbData[m_cbPos] | (m_pbData[m_cbPos + 1] << 8));
}

wchar_t CGrfTextReader::Take()
{
    wchar_t ch = Peek();
    m_cbPos += kCbGrfCodeUnit;
    return ch;
}

void CGrfTextReader::SkipWhitespace()
{
    while (!AtEnd() && IsWhitespace(Peek()))
        m_cbPos += kCbGrfCodeUnit;
}

bool CGrfTextReader::NextIsDigit()
{
    SkipWhitespace();
    return !AtEnd() && Peek() >= L'0' && Peek() <= L'9';
}

HRESULT CGrfTextReader::RequireSeparator(wchar_t chSeparator)
{
    if (AtEnd())
        return VFW_E_FILE_TOO_SHORT;
    if (IsWhitespace(Peek()))
        return S_OK;
    if (Peek() != chSeparator)
        return VFW_E_INVALID_FILE_FORMAT;
    Take();
    return S_OK;
}

HRESULT CGrfTextReader::ReadNumber(unsigned long long ullMax, unsigned long long* pullValue, wchar_t chSeparator)
{
    SkipWhitespace();
    if (AtEnd())
        return VFW_E_FILE_TOO_SHORT;
    if (Peek() < L'0' || Peek() > L'9')
        return VFW_E_INVALID_FILE_FORMAT;

    unsigned long long ullValue = 0;
    while (!AtEnd() && Peek() >= L'0' && Peek() <= L'9')
    {
        unsigned nDigit = static_cast<unsigned>(Take() - L'0');
        if (nDigit > ullMax || ullValue > (ullMax - nDigit) / 10)
            return VFW_E_INVALID_FILE_FORMAT;
        ullValue = ullValue * 10 + nDigit;
    }
    HRESULT hr = RequireSeparator(chSeparator);
    if (FAILED(hr))
        return hr;
    *pullValue = ullValue;
    return S_OK;
}

HRESULT CGrfTextReader::ReadFlag(bool* pbValue)
{
    unsigned long long ullValue = 0;
    HRESULT hr = ReadNumber(1, &ullValue);
    if (SUCCEEDED(hr))
        *pbValue = ullValue != 0;
    return hr;
}

HRESULT CGrfTextReader::ReadWord(std::wstring* pstrWord)
{
    // Longer than any keyword: no need to collect more to know it is none of them.
    const size_t kMaxWord = 16;
    SkipWhitespace();
    if (AtEnd())
        return VFW_E_FILE_TOO_SHORT;

    std::wstring strWord;
    while (!AtEnd())
    {
        wchar_t ch = Peek();
        if (!((ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z')))
            break;
        if (strWord.size() == kMaxWord)
            return VFW_E_INVALID_FILE_FORMAT;
        strWord += Take();
    }
    if (strWord.empty())
        return VFW_E_INVALID_FILE_FORMAT;
    if (AtEnd())
    {
        // The graph text ends with END; nothing needs to follow it. Any other word cut by
        // the end of the data was either cut short or is no keyword at all.
        if (strWord == kGrfEndWord)
        {
            *pstrWord = strWord;
            return S_OK;
        }
        return IsKeywordStart(strWord) ? VFW_E_FILE_TOO_SHORT : VFW_E_INVALID_FILE_FORMAT;
    }
    HRESULT hr = RequireSeparator();
    if (FAILED(hr))
        return hr;
    *pstrWord = strWord;
    return S_OK;
}

HRESULT CGrfTextReader::ReadQuoted(std::wstring* pstrText)
{
    SkipWhitespace();
    if (AtEnd())
        return VFW_E_FILE_TOO_SHORT;
    if (Peek() != L'"')
        return VFW_E_INVALID_FILE_FORMAT;
    Take();

    std::wstring strText;
    for (;;)
    {
        if (AtEnd())
            return VFW_E_FILE_TOO_SHORT;
        wchar_t ch = Take();
        if (ch == L'"')
            break;
        // A NUL would silently cut the name short where it is handed on as a C string.
        if (ch == L'\0')
            return VFW_E_INVALID_FILE_FORMAT;
        strText += ch;
    }
    *pstrText = strText;
    return S_OK;
}

HRESULT CGrfTextReader::ReadGuid(GUID* pGuid)
{
    SkipWhitespace();
    if (AtEnd())
        return VFW_E_FILE_TOO_SHORT;
    if (Peek() != L'{')
        return VFW_E_INVALID_FILE_FORMAT;

    std::wstring strText;
    while (strText.size() < kGrfGuidChars)
    {
        if (AtEnd())
            return VFW_E_FILE_TOO_SHORT;
        wchar_t ch = Take();
        strText += ch;
        if (ch == L'}')
            break;
    }
    if (!ParseGrfGuid(strText, pGuid))
        return VFW_E_INVALID_FILE_FORMAT;
    return RequireSeparator();
}

HRESULT CGrfTextReader::ReadBlob(std::vector<BYTE>* pvecBytes)
{
    // Generous bound: anything larger is a corrupt count, not a real blob.
    const unsigned long long kMaxBlob = 0xFFFFFFFFull;
    unsigned long long ullSize = 0;
    HRESULT hr = ReadNumber(kMaxBlob, &ullSize);
    if (FAILED(hr))
        return hr;
    pvecBytes->clear();
    if (ullSize == 0)
        return S_OK;

    // ReadNumber left us on the single separator that comes before the bytes.
    m_cbPos += kCbGrfCodeUnit;
    if (ullSize > m_cbData - m_cbPos)
        return VFW_E_FILE_TOO_SHORT;
    pvecBytes->assign(m_pbData + m_cbPos, m_pbData + m_cbPos + ullSize);
    m_cbPos += static_cast<size_t>(ullSize);
    return S_OK;
}
