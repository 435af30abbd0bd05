#include "GrfWriter.h"

#include "GrfGuidText.h"
#include "GrfLayout.h"

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

    void Char(wchar_t ch)
    {
        m_vecBytes.push_back(static_cast<BYTE>(ch & 0xFF));
        m_vecBytes.push_back(static_cast<BYTE>((ch >> 8) & 0xFF));
    }

    void Quoted(const std::wstring& str) { Text(L"\"" + str + L"\""); }

    // A byte count, one space, the bytes.
    void Blob(const std::vector<BYTE>& vecData)
    {
        Number(vecData.size(), kGrfCountDigits);
        Char(kGrfSpace);
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
    if (graph.m_dwVersion >= kGrfClockVersion && !clock.m_bByClass && clock.m_dwFilterId != 0 &&
        !FindGrfFilter(graph, clock.m_dwFilterId))
        return E_INVALIDARG;
    return S_OK;
}

void WriteFilter(CGrfTextBuffer& out, const CGrfFilterDesc& filter)
{
    out.Number(filter.m_dwId, kGrfIdDigits);
    out.Char(kGrfSpace);
    out.Quoted(filter.m_strName);
    out.Char(kGrfSpace);
    out.Text(FormatGrfGuid(filter.m_clsid));
    out.Char(kGrfSpace);
    if (filter.m_eRole != eGrfNoFile)
    {
        out.Text(filter.m_eRole == eGrfSource ? kGrfSourceWord : kGrfSinkWord);
        out.Char(kGrfSpace);
        out.Quoted(filter.m_strFile);
        out.Char(kGrfSpace);
    }
    out.Blob(filter.m_vecData);
    out.Text(kGrfLineEnd);
}

void WriteTypeField(CGrfTextBuffer& out, const SGrfTypeField& field, const CGrfMediaTypeDesc& mt)
{
    switch (field.m_eField)
    {
    case eGrfTypeMajor: out.Text(FormatGrfGuid(mt.m_guidMajor)); break;
    case eGrfTypeSub: out.Text(FormatGrfGuid(mt.m_guidSub)); break;
    case eGrfTypeFixedSize: out.Number(mt.m_bFixedSize ? 1 : 0, 1); break;
    case eGrfTypeTemporal: out.Number(mt.m_bTemporalCompression ? 1 : 0, 1); break;
    case eGrfTypeSampleSize: out.Number(mt.m_dwSampleSize, kGrfCountDigits); break;
    case eGrfTypeFormatType: out.Text(FormatGrfGuid(mt.m_guidFormat)); break;
    case eGrfTypeFormatBlock: out.Blob(mt.m_vecFormat); break;
    }
    if (field.m_chAfter != kGrfNoSeparator)
        out.Char(field.m_chAfter);
}

void WriteConnection(CGrfTextBuffer& out, const CGrfConnectionDesc& connection)
{
    out.Number(connection.m_dwOutId, kGrfIdDigits);
    out.Char(kGrfSpace);
    out.Quoted(connection.m_strOutPin);
    out.Char(kGrfSpace);
    out.Number(connection.m_dwInId, kGrfIdDigits);
    out.Char(kGrfSpace);
    out.Quoted(connection.m_strInPin);
    out.Char(kGrfSpace);

    // The type goes into a buffer of its own first: the count in front of it is its length.
    std::vector<BYTE> vecType;
    CGrfTextBuffer type(vecType);
    for (const SGrfTypeField& field : kGrfMediaTypeLayout)
        WriteTypeField(type, field, connection.m_mt);

    out.Number(vecType.size(), kGrfCountDigits);
    out.Char(kGrfSpace);
    out.Raw(vecType);
    out.Text(kGrfLineEnd);
}
}  // namespace

HRESULT WriteGrfText(const CGrfGraphDesc& graph, std::vector<BYTE>& vecText)
{
    HRESULT hr = Validate(graph);
    if (FAILED(hr))
        return hr;

    std::vector<BYTE> vecBytes;
    CGrfTextBuffer out(vecBytes);
    out.Number(graph.m_dwVersion, kGrfVersionDigits);
    out.Text(kGrfLineEnd);
    out.Text(kGrfFiltersWord);
    out.Text(kGrfLineEnd);
    for (const CGrfFilterDesc& filter : graph.m_vecFilters)
        WriteFilter(out, filter);
    out.Text(kGrfConnectionsWord);
    out.Text(kGrfLineEnd);
    for (const CGrfConnectionDesc& connection : graph.m_vecConnections)
        WriteConnection(out, connection);
    if (graph.m_dwVersion >= kGrfClockVersion)
    {
        const CGrfClockDesc& clock = graph.m_clock;
        out.Text(kGrfClockWord);
        out.Char(kGrfSpace);
        out.Number(clock.m_bRequired ? 1 : 0, 1);
        out.Char(kGrfSpace);
        if (clock.m_bByClass)
            out.Text(FormatGrfGuid(clock.m_clsid));
        else
            out.Number(clock.m_dwFilterId, kGrfIdDigits);
        out.Text(kGrfLineEnd);
    }
    out.Text(kGrfEndWord);
    vecText.swap(vecBytes);
    return S_OK;
}
