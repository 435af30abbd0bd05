#include "GrfParser.h"

#include <vfwmsgs.h>

#include "GrfLayout.h"
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
    HRESULT ReadTypeField(const SGrfTypeField& field, CGrfMediaTypeDesc& mt);
    HRESULT ParseClock();
    HRESULT ExpectWord(const wchar_t* pszWord);
    HRESULT ReadFilterRef(DWORD* pdwId);

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

HRESULT CGrfParser::ReadFilterRef(DWORD* pdwId)
{
    unsigned long long ullId = 0;
    HRESULT hr = m_reader.ReadNumber(kMaxId, &ullId);
    if (FAILED(hr))
        return hr;
    DWORD dwId = static_cast<DWORD>(ullId);
    if (!FindGrfFilter(m_graph, dwId))
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
        if (strWord == kGrfSourceWord)
            filter.m_eRole = eGrfSource;
        else if (strWord == kGrfSinkWord)
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
    HRESULT hr = ExpectWord(kGrfFiltersWord);
    if (FAILED(hr))
        return hr;
    while (m_reader.NextIsDigit())
    {
        hr = ParseFilter();
        if (FAILED(hr))
            return hr;
    }
    return ExpectWord(kGrfConnectionsWord);
}

HRESULT CGrfParser::ReadTypeField(const SGrfTypeField& field, CGrfMediaTypeDesc& mt)
{
    unsigned long long ullValue = 0;
    HRESULT hr = S_OK;
    switch (field.m_eField)
    {
    case eGrfTypeMajor: return m_reader.ReadGuid(&mt.m_guidMajor);
    case eGrfTypeSub: return m_reader.ReadGuid(&mt.m_guidSub);
    case eGrfTypeFixedSize: return m_reader.ReadFlag(&mt.m_bFixedSize);
    case eGrfTypeTemporal: return m_reader.ReadFlag(&mt.m_bTemporalCompression);
    case eGrfTypeSampleSize:
        hr = m_reader.ReadNumber(kMaxCount, &ullValue, field.m_chAfter);
        if (SUCCEEDED(hr))
            mt.m_dwSampleSize = static_cast<DWORD>(ullValue);
        return hr;
    case eGrfTypeFormatType: return m_reader.ReadGuid(&mt.m_guidFormat);
    case eGrfTypeFormatBlock: return m_reader.ReadBlob(&mt.m_vecFormat);
    }
    return VFW_E_INVALID_FILE_FORMAT;
}

HRESULT CGrfParser::ParseMediaType(CGrfMediaTypeDesc& mt)
{
    // The count ahead of the type measures the type's own text. The earlier layout counted
    // differently, and the fields carry everything, so its value is not relied on.
    unsigned long long ullIgnored = 0;
    HRESULT hr = m_reader.ReadNumber(kMaxCount, &ullIgnored);
    for (const SGrfTypeField& field : kGrfMediaTypeLayout)
    {
        if (FAILED(hr))
            break;
        hr = ReadTypeField(field, mt);
    }
    return hr;
}

HRESULT CGrfParser::ParseConnection()
{
    CGrfConnectionDesc connection;
    HRESULT hr = ReadFilterRef(&connection.m_dwOutId);
    if (SUCCEEDED(hr))
        hr = m_reader.ReadQuoted(&connection.m_strOutPin);
    if (SUCCEEDED(hr))
        hr = ReadFilterRef(&connection.m_dwInId);
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
    if (strWord == kGrfEndWord)
    {
        *pbClockFollows = false;
        return S_OK;
    }
    if (strWord == kGrfClockWord && m_graph.m_dwVersion >= kGrfClockVersion)
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
        // Files saved on Windows name filter 0000, which no filter has, when the graph
        // picks its clock itself; an id of no filter here means the same.
        unsigned long long ullId = 0;
        hr = m_reader.ReadNumber(kMaxId, &ullId);
        if (SUCCEEDED(hr) && FindGrfFilter(m_graph, static_cast<DWORD>(ullId)))
            clock.m_dwFilterId = static_cast<DWORD>(ullId);
    }
    if (FAILED(hr))
        return hr;
    m_graph.m_clock = clock;
    return ExpectWord(kGrfEndWord);
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
