#include "GrfParser.h"

#include <vfwmsgs.h>

#include "GrfTextReader.h"

namespace
{
const unsigned long long kMaxId = 0xFFFFFFFFull;
const unsigned long long kMaxCount = 0xFFFFFFFFull;

class CGrfParser
{
public:
    CGrfParser(const BYTE* pbData, size_t cbData, CGrfGraphDesc& graph) : m_reader(pbData, cbData), m_graph(graph) {}

    HRESULT Parse();
    size_t Position() const { return m_reader.Position(); }

private:
    HRESULT ParseVersion();
    HRESULT ParseFilters();
    HRESULT ParseFilter();
    HRESULT ParseConnections(bool* pbClockFollows);
    HRESULT ParseConnection();
    HRESULT ParseMediaType(CGrfMediaTypeDesc& mt);
    HRESULT ParseClock();
    HRESULT ExpectWord(const wchar_t* pszWord);
    HRESULT ReadFilterRef(bool bAllowNone, DWORD* pdwId);

    CGrfTextReader m_reader;
    CGrfGraphDesc& m_graph;
};

HRESULT CGrfParser::ExpectWord(const wchar_t* pszWord)
{
    std::wstring strWord;
    HRESULT hr = m_reader.ReadWord(&strWord);
    if (FAILED(hr))
        return hr;
    return strWord == pszWord ? S_OK : VFW_E_INVALID_FILE_FORMAT;
}

HRESULT CGrfParser::ReadFilterRef(bool bAllowNone, DWORD* pdwId)
{
    unsigned long long ullId = 0;
    HRESULT hr = m_reader.ReadNumber(kMaxId, &ullId);
    if (FAILED(hr))
        return hr;
    DWORD dwId = static_cast<DWORD>(ullId);
    if (!(bAllowNone && dwId == 0) && !FindGrfFilter(m_graph, dwId))
        return VFW_E_INVALID_FILE_FORMAT;
    *pdwId = dwId;
    return S_OK;
}

HRESULT CGrfParser::ParseVersion()
{
    unsigned long long ullVersion = 0;
    HRESULT hr = m_reader.ReadNumber(kMaxCount, &ullVersion);
    if (FAILED(hr))
        return hr;
    if (ullVersion != 2 && ullVersion != 3)
        return VFW_E_INVALID_FILE_VERSION;
    m_graph.m_dwVersion = static_cast<DWORD>(ullVersion);
    return S_OK;
}

HRESULT CGrfParser::ParseFilter()
{
    CGrfFilterDesc filter;
    unsigned long long ullId = 0;
    HRESULT hr = m_reader.ReadNumber(kMaxId, &ullId);
    if (FAILED(hr))
        return hr;
    // Zero stands for "no filter" where a filter is referred to, so no filter may have it.
    if (ullId == 0 || FindGrfFilter(m_graph, static_cast<DWORD>(ullId)))
        return VFW_E_INVALID_FILE_FORMAT;
    filter.m_dwId = static_cast<DWORD>(ullId);

    hr = m_reader.ReadQuoted(&filter.m_strName);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadGuid(&filter.m_clsid);
    if (FAILED(hr))
        return hr;

    m_reader.SkipWhitespace();
    if (m_reader.AtEnd())
        return VFW_E_FILE_TOO_SHORT;
    if (!(m_reader.Peek() >= L'0' && m_reader.Peek() <= L'9'))
    {
        std::wstring strWord;
        hr = m_reader.ReadWord(&strWord);
        if (FAILED(hr))
            return hr;
        if (strWord == L"SOURCE")
            filter.m_eRole = eGrfSource;
        else if (strWord == L"SINK")
            filter.m_eRole = eGrfSink;
        else
            return VFW_E_INVALID_FILE_FORMAT;
        hr = m_reader.ReadQuoted(&filter.m_strFile);
        if (FAILED(hr))
            return hr;
    }

    hr = m_reader.ReadBlob(&filter.m_vecData);
    if (FAILED(hr))
        return hr;
    m_graph.m_vecFilters.push_back(filter);
    return S_OK;
}

HRESULT CGrfParser::ParseFilters()
{
    HRESULT hr = ExpectWord(L"FILTERS");
    if (FAILED(hr))
        return hr;
    while (m_reader.NextIsDigit())
    {
        hr = ParseFilter();
        if (FAILED(hr))
            return hr;
    }
    return ExpectWord(L"CONNECTIONS");
}

HRESULT CGrfParser::ParseMediaType(CGrfMediaTypeDesc& mt)
{
    // The count ahead of the type measures the type's own text; the fields carry
    // everything, so its value is not relied on.
    unsigned long long ullIgnored = 0;
    HRESULT hr = m_reader.ReadNumber(kMaxCount, &ullIgnored);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadGuid(&mt.m_guidMajor);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadGuid(&mt.m_guidSub);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadFlag(&mt.m_bFixedSize);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadFlag(&mt.m_bTemporalCompression);
    unsigned long long ullSampleSize = 0;
    if (SUCCEEDED(hr))
        hr = m_reader.ReadNumber(kMaxCount, &ullSampleSize);
    if (SUCCEEDED(hr))
    {
        mt.m_dwSampleSize = static_cast<DWORD>(ullSampleSize);
        hr = m_reader.ReadGuid(&mt.m_guidFormat);
    }
    if (SUCCEEDED(hr))
        hr = m_reader.ReadBlob(&mt.m_vecFormat);
    return hr;
}

HRESULT CGrfParser::ParseConnection()
{
    CGrfConnectionDesc connection;
    HRESULT hr = ReadFilterRef(false, &connection.m_dwOutId);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadQuoted(&connection.m_strOutPin);
    if (SUCCEEDED(hr))
        hr = ReadFilterRef(false, &connection.m_dwInId);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadQuoted(&connection.m_strInPin);
    if (SUCCEEDED(hr))
        hr = ParseMediaType(connection.m_mt);
    if (FAILED(hr))
        return hr;
    m_graph.m_vecConnections.push_back(connection);
    return S_OK;
}

HRESULT CGrfParser::ParseConnections(bool* pbClockFollows)
{
    while (m_reader.NextIsDigit())
    {
        HRESULT hr = ParseConnection();
        if (FAILED(hr))
            return hr;
    }
    std::wstring strWord;
    HRESULT hr = m_reader.ReadWord(&strWord);
    if (FAILED(hr))
        return hr;
    if (strWord == L"END")
    {
        *pbClockFollows = false;
        return S_OK;
    }
    if (strWord == L"CLOCK" && m_graph.m_dwVersion >= 3)
    {
        *pbClockFollows = true;
        return S_OK;
    }
    return VFW_E_INVALID_FILE_FORMAT;
}

HRESULT CGrfParser::ParseClock()
{
    CGrfClockDesc clock;
    HRESULT hr = m_reader.ReadFlag(&clock.m_bRequired);
    if (FAILED(hr))
        return hr;
    m_reader.SkipWhitespace();
    if (m_reader.AtEnd())
        return VFW_E_FILE_TOO_SHORT;
    if (m_reader.Peek() == L'{')
    {
        clock.m_bByClass = true;
        hr = m_reader.ReadGuid(&clock.m_clsid);
    }
    else
    {
        hr = ReadFilterRef(true, &clock.m_dwFilterId);
    }
    if (FAILED(hr))
        return hr;
    m_graph.m_clock = clock;
    return ExpectWord(L"END");
}

HRESULT CGrfParser::Parse()
{
    m_graph = CGrfGraphDesc();
    HRESULT hr = ParseVersion();
    if (SUCCEEDED(hr))
        hr = ParseFilters();
    bool bClockFollows = false;
    if (SUCCEEDED(hr))
        hr = ParseConnections(&bClockFollows);
    if (SUCCEEDED(hr) && bClockFollows)
        hr = ParseClock();
    return hr;
}
}  // namespace

HRESULT ParseGrfText(const BYTE* pbData, size_t cbData, CGrfGraphDesc& graph, size_t* pcbPosition)
{
    CGrfParser parser(pbData, cbData, graph);
    HRESULT hr = parser.Parse();
    if (pcbPosition)
        *pcbPosition = parser.Position();
    return hr;
}
