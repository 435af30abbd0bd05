#include "EarlierLayout.h"

#include <cstdio>

#include "GrfGuidText.h"
#include "GrfTestBytes.h"

namespace
{
std::wstring Digits(unsigned long long ullValue, int cDigits)
{
    wchar_t sz[32];
    std::swprintf(sz, 32, L"%0*llu", cDigits, ullValue);
    return sz;
}

Bytes Blob(const std::vector<BYTE>& vecData)
{
    return Text(Digits(vecData.size(), 10) + L" ") + vecData;
}
}  // namespace

std::vector<BYTE> EarlierLayoutText(const CGrfGraphDesc& graph)
{
    Bytes text = Text(Digits(graph.m_dwVersion, 4) + L"\r\nFILTERS\r\n");
    for (const CGrfFilterDesc& f : graph.m_vecFilters)
    {
        std::wstring strLine = Digits(f.m_dwId, 4) + L" \"" + f.m_strName + L"\" " + FormatGrfGuid(f.m_clsid) + L" ";
        if (f.m_eRole != eGrfNoFile)
            strLine += (f.m_eRole == eGrfSource ? L"SOURCE \"" : L"SINK \"") + f.m_strFile + L"\" ";
        text = text + Text(strLine) + Blob(f.m_vecData) + Text(L"\r\n");
    }
    text = text + Text(L"CONNECTIONS\r\n");
    for (const CGrfConnectionDesc& c : graph.m_vecConnections)
    {
        const CGrfMediaTypeDesc& mt = c.m_mt;
        Bytes type = Text(L" " + FormatGrfGuid(mt.m_guidMajor) + L" " + FormatGrfGuid(mt.m_guidSub) + L" " +
                          (mt.m_bFixedSize ? L"1 " : L"0 ") + (mt.m_bTemporalCompression ? L"1 " : L"0 ") +
                          Digits(mt.m_dwSampleSize, 10) + L" " + FormatGrfGuid(mt.m_guidFormat) + L" ") +
                     Blob(mt.m_vecFormat);
        text = text +
               Text(Digits(c.m_dwOutId, 4) + L" \"" + c.m_strOutPin + L"\" " + Digits(c.m_dwInId, 4) + L" \"" +
                    c.m_strInPin + L"\" " + Digits(type.size(), 10)) +
               type + Text(L"\r\n");
    }
    if (graph.m_dwVersion >= 3)
    {
        const CGrfClockDesc& clock = graph.m_clock;
        bool bNone = !clock.m_bByClass && clock.m_dwFilterId == 0;
        text = text + Text(std::wstring(L"CLOCK ") + (clock.m_bRequired && !bNone ? L"1 " : L"0 ") +
                           (clock.m_bByClass ? FormatGrfGuid(clock.m_clsid) : Digits(clock.m_dwFilterId, 4)) + L"\r\n");
    }
    return text + Text(L"END");
}
