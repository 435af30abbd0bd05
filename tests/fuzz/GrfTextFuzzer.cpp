// libFuzzer target: the graph manager stand-in's graph text reader on arbitrary bytes.
// AddressSanitizer catches any read outside the data, UndefinedBehaviorSanitizer any
// undefined arithmetic; the checks below catch results that are wrong without being
// undefined. A failed check aborts, which libFuzzer reports as a crash with its input.
#include <vfwmsgs.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "GrfParser.h"
#include "GrfWriter.h"

namespace
{
void Fail(const char* pszWhat, HRESULT hr, size_t cbPosition, size_t cbData)
{
    std::fprintf(stderr, "grftext fuzzer: %s (result 0x%08X, position %zu of %zu bytes)\n", pszWhat,
                 static_cast<unsigned>(hr), cbPosition, cbData);
    std::abort();
}

bool IsDocumentedResult(HRESULT hr)
{
    return hr == S_OK || hr == VFW_E_FILE_TOO_SHORT || hr == VFW_E_INVALID_FILE_VERSION ||
           hr == VFW_E_INVALID_FILE_FORMAT;
}

bool EndsWithEndWord(const BYTE* pbData, size_t cbData)
{
    static const BYTE kEnd[] = {'E', 0, 'N', 0, 'D', 0};
    return cbData >= sizeof(kEnd) && std::memcmp(pbData + cbData - sizeof(kEnd), kEnd, sizeof(kEnd)) == 0;
}

// Reads a copy of exactly cbData bytes, so that the sanitizer sees where this data ends.
HRESULT ParseCopy(const BYTE* pbData, size_t cbData, CGrfGraphDesc& graph, size_t* pcbPosition)
{
    std::vector<BYTE> vecCopy(pbData, pbData + cbData);
    return ParseGrfText(vecCopy.data(), vecCopy.size(), graph, pcbPosition);
}
bool IsWhitespaceUnit(const BYTE* pbUnit)
{
    return pbUnit[1] == 0 && (pbUnit[0] == ' ' || pbUnit[0] == '\t' || pbUnit[0] == '\r' || pbUnit[0] == '\n');
}

// The reader decides from what it has read, never from where the data ends: the same text
// one byte shorter either ends before the graph does, or is decided the same way. The one
// exception is a graph accepted with END at the very end of the shorter text, refused
// when the longer one glues a code unit other than whitespace to END (another word).
void CheckOneByteShorter(const BYTE* pbData, size_t cbData, HRESULT hr, const CGrfGraphDesc& graph, size_t cbPosition)
{
    if (cbData == 0)
        return;
    CGrfGraphDesc shorter;
    size_t cbShorter = 0;
    HRESULT hrShorter = ParseCopy(pbData, cbData - 1, shorter, &cbShorter);
    if (hrShorter == VFW_E_FILE_TOO_SHORT)
        return;
    if (hrShorter == S_OK && hr == VFW_E_INVALID_FILE_FORMAT && cbShorter + 2 == cbData &&
        !IsWhitespaceUnit(pbData + cbShorter))
        return;
    if (hrShorter != hr)
        Fail("one byte more changes a decided result", hrShorter, cbShorter, cbData - 1);
    if (hr == S_OK && (cbShorter != cbPosition || !(shorter == graph)))
        Fail("one byte more changes the accepted graph", hr, cbShorter, cbData - 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pbData, size_t cbData)
{
    CGrfGraphDesc graph;
    size_t cbPosition = SIZE_MAX;
    HRESULT hr = ParseGrfText(pbData, cbData, graph, &cbPosition);
    if (!IsDocumentedResult(hr))
        Fail("a result the reader does not document", hr, cbPosition, cbData);
    if (cbPosition > cbData)
        Fail("the reported position is past the data", hr, cbPosition, cbData);
    CheckOneByteShorter(pbData, cbData, hr, graph, cbPosition);
    if (hr != S_OK)
        return 0;

    // Reading stops just past END: the text up to there is the whole graph, read alike
    // without what follows it.
    if (!EndsWithEndWord(pbData, cbPosition))
        Fail("accepted, but the position is not just past END", hr, cbPosition, cbData);
    CGrfGraphDesc alone;
    size_t cbAlone = 0;
    hr = ParseCopy(pbData, cbPosition, alone, &cbAlone);
    if (hr != S_OK || cbAlone != cbPosition || !(alone == graph))
        Fail("the accepted text without what follows reads differently", hr, cbAlone, cbPosition);

    // What the reader accepts, the writer can write, and that text reads back as the same
    // graph: the graph manager saves what it loaded this way.
    std::vector<BYTE> vecText;
    hr = WriteGrfText(graph, vecText);
    if (hr != S_OK)
        Fail("the writer refuses an accepted graph", hr, cbPosition, cbData);
    CGrfGraphDesc reread;
    size_t cbReread = 0;
    hr = ParseCopy(vecText.data(), vecText.size(), reread, &cbReread);
    if (hr != S_OK || cbReread != vecText.size() || !(reread == graph))
        Fail("the written form of an accepted graph reads back differently", hr, cbReread, vecText.size());
    return 0;
}
