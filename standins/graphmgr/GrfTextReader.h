// Token reader for the graph text: UTF-16LE code units read at any byte offset, tokens
// separated by any mix of spaces, tabs, CR and LF.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Bytes per code unit of the text. Not sizeof(wchar_t): the reader is also built where
// wchar_t is four bytes wide, and the text is UTF-16 there too.
constexpr size_t kCbGrfCodeUnit = 2;

class CGrfTextReader
{
public:
    CGrfTextReader(const BYTE* pbData, size_t cbData);

    size_t Position() const { return m_cbPos; }
    bool AtEnd() const { return m_cbData - m_cbPos < kCbGrfCodeUnit; }
    // The next code unit; only valid when !AtEnd().
    wchar_t Peek() const;

    void SkipWhitespace();
    // The next token starts with a digit (after whitespace).
    bool NextIsDigit();

    // chSeparator: a code unit other than whitespace that may end the number instead of
    // whitespace (and is then taken with it), as U+0000 ends a media type's sample size.
    HRESULT ReadNumber(unsigned long long ullMax, unsigned long long* pullValue, wchar_t chSeparator = L' ');
    HRESULT ReadFlag(bool* pbValue);
    HRESULT ReadWord(std::wstring* pstrWord);
    HRESULT ReadQuoted(std::wstring* pstrText);
    HRESULT ReadGuid(GUID* pGuid);
    // A byte count, one separator, then that many raw bytes.
    HRESULT ReadBlob(std::vector<BYTE>* pvecBytes);

    static bool IsWhitespace(wchar_t ch) { return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n'; }

private:
    wchar_t Take();
    // After a number, word or class id: whitespace must follow (or chSeparator, which is
    // then taken). The end of the data there means the text was cut.
    HRESULT RequireSeparator(wchar_t chSeparator = L' ');

    const BYTE* m_pbData;
    size_t m_cbData;
    size_t m_cbPos = 0;
};
