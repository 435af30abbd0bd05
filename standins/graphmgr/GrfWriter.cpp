#include "GrfWriter.h"

#include "GrfGuidText.h"

namespace
{
class CGrfTextBuffer
{
public:
    explicit CGrfTextBuffer(std::vector<BYTE>& vecBytes) : m_vecBytes(vecBytes) {}

    void Text(const std::wstring& str)
    {
        for (wchar_t ch : str)
        {
            m_vecBytes.push_back(static_cast<BYTE>(ch & 0xFF));
            m_vecBytes.push_back(static_cast<BYTE>((ch >> 8) & 0xFF));
        }
    }

    void Number(unsigned long long ullValue, size_t nMinDigits)
    {
        std::wstring strDigits;
        do
        {
            strDigits.insert(strDigits.begin(), static_cast<wchar_t>(L'0' + ullValue % 10));
            ullValue /= 10;
        } while (ullValue != 0);
        if (strDigits.size() < nMinDigits)
            strDigits.insert(0, nMinDigits - strDigits.size(), L'0');
        Text(strDigits);
    }

    void Raw(const std::vector<BYTE>& vecData) { m_vecBytes.insert(m_vecBytes.end(), vecData.begin(), vecData.end()); }

    void Quoted(const std::wstring& str) { Text(L"\"" + str + L"\""); }

    // A byte count, one space, the bytes.
    void Blob(const std::vector<BYTE>& vecData)
    {
        Number(vecData.size(), 10);
        Text(L" ");
        Raw(vecData);
    }

private:
    std::vector<BYTE>& m_vecBytes;
};

bool IsQuotable(const std::wstring& str)
{
    return str.find(L'"') == std::wstring::npos && str.find(L'\0') == std::wstring::npos;
}

HRESULT Validate(const CGrfGraphDesc& graph)
{
    if (graph.m_dwVersion != 2 && graph.m_dwVersion != 3)
        return E_INVALIDARG;
    for (size_t i = 0; i < graph.m_vecFilters.size(); ++i)
    {
        const CGrfFilterDesc& filter = graph.m_vecFilters[i];
        if (filter.m_dwId == 0 || FindGrfFilter(graph, filter.m_dwId) != &filter)
            return E_INVALIDARG;
        if (!IsQuotable(filter.m_strName) || !IsQuotable(filter.m_strFile))
            return E_INVALIDARG;
    }
    for (const CGrfConnectionDesc& connection : graph.m_vecConnections)
    {
        if (!FindGrfFilter(graph, connection.m_dwOutId) || !FindGrfFilter(graph, connection.m_dwInId))
            return E_INVALIDARG;
        if (!IsQuotable(connection.m_strOutPin) || !IsQuotable(connection.m_strInPin))
            return E_INVALIDARG;
    }
    const CGrfClockDesc& clock = graph.m_clock;
    if (graph.m_dwVersion >= 3 && !clock.m_bByClass && clock.m_dwFilterId != 0 &&
        !FindGrfFilter(graph, clock.m_dwFilterId))
        return E_INVALIDARG;
    return S_OK;
}

void WriteFilter(CGrfTextBuffer& out, const CGrfFilterDesc& filter)
{
    out.Number(filter.m_dwId, 4);
    out.Text(L" ");
    out.Quoted(filter.m_strName);
    out.Text(L" " + FormatGrfGuid(filter.m_clsid) + L" ");
    if (filter.m_eRole != eGrfNoFile)
    {
        out.Text(filter.m_eRole == eGrfSource ? L"SOURCE " : L"SINK ");
        out.Quoted(filter.m_strFile);
        out.Text(L" ");
    }
    out.Blob(filter.m_vecData);
    out.Text(L"\r\n");
}

void WriteConnection(CGrfTextBuffer& out, const CGrfConnectionDesc& connection)
{
    out.Number(connection.m_dwOutId, 4);
    out.Text(L" ");
    out.Quoted(connection.m_strOutPin);
    out.Text(L" ");
    out.Number(connection.m_dwInId, 4);
    out.Text(L" ");
    out.Quoted(connection.m_strInPin);

    // The type goes into a buffer of its own first: the count in front of it is the number
    // of bytes that follow the count, up to the end of the format block.
    const CGrfMediaTypeDesc& mt = connection.m_mt;
    std::vector<BYTE> vecType;
    CGrfTextBuffer type(vecType);
    type.Text(L" " + FormatGrfGuid(mt.m_guidMajor) + L" " + FormatGrfGuid(mt.m_guidSub) + L" ");
    type.Text(mt.m_bFixedSize ? L"1 " : L"0 ");
    type.Text(mt.m_bTemporalCompression ? L"1 " : L"0 ");
    type.Number(mt.m_dwSampleSize, 10);
    type.Text(L" " + FormatGrfGuid(mt.m_guidFormat) + L" ");
    type.Blob(mt.m_vecFormat);

    out.Text(L" ");
    out.Number(vecType.size(), 10);
    out.Raw(vecType);
    out.Text(L"\r\n");
}
}  // namespace

HRESULT WriteGrfText(const CGrfGraphDesc& graph, std::vector<BYTE>& vecText)
{
    HRESULT hr = Validate(graph);
    if (FAILED(hr))
        return hr;

    std::vector<BYTE> vecBytes;
    CGrfTextBuffer out(vecBytes);
    out.Number(graph.m_dwVersion, 4);
    out.Text(L"\r\nFILTERS\r\n");
    for (const CGrfFilterDesc& filter : graph.m_vecFilters)
        WriteFilter(out, filter);
    out.Text(L"CONNECTIONS\r\n");
    for (const CGrfConnectionDesc& connection : graph.m_vecConnections)
        WriteConnection(out, connection);
    if (graph.m_dwVersion >= 3)
    {
        const CGrfClockDesc& clock = graph.m_clock;
        out.Text(clock.m_bRequired ? L"CLOCK 1 " : L"CLOCK 0 ");
        if (clock.m_bByClass)
            out.Text(FormatGrfGuid(clock.m_clsid));
        else
            out.Number(clock.m_dwFilterId, 4);
        out.Text(L"\r\n");
    }
    out.Text(L"END");
    vecText.swap(vecBytes);
    return S_OK;
}
