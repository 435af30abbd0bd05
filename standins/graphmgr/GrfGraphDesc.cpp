#include "GrfGraphDesc.h"

bool operator==(const CGrfFilterDesc& a, const CGrfFilterDesc& b)
{
    return a.m_dwId == b.m_dwId && a.m_strName == b.m_strName && IsEqualGUID(a.m_clsid, b.m_clsid) &&
           a.m_eRole == b.m_eRole && a.m_strFile == b.m_strFile && a.m_vecData == b.m_vecData;
}

bool operator==(const CGrfMediaTypeDesc& a, const CGrfMediaTypeDesc& b)
{
    return IsEqualGUID(a.m_guidMajor, b.m_guidMajor) && IsEqualGUID(a.m_guidSub, b.m_guidSub) &&
           a.m_bFixedSize == b.m_bFixedSize && a.m_bTemporalCompression == b.m_bTemporalCompression &&
           a.m_dwSampleSize == b.m_dwSampleSize && IsEqualGUID(a.m_guidFormat, b.m_guidFormat) &&
           a.m_vecFormat == b.m_vecFormat;
}

bool operator==(const CGrfConnectionDesc& a, const CGrfConnectionDesc& b)
{
    return a.m_dwOutId == b.m_dwOutId && a.m_strOutPin == b.m_strOutPin && a.m_dwInId == b.m_dwInId &&
           a.m_strInPin == b.m_strInPin && a.m_mt == b.m_mt;
}

bool operator==(const CGrfClockDesc& a, const CGrfClockDesc& b)
{
    return a.m_bRequired == b.m_bRequired && a.m_dwFilterId == b.m_dwFilterId && a.m_bByClass == b.m_bByClass &&
           IsEqualGUID(a.m_clsid, b.m_clsid);
}

bool operator==(const CGrfGraphDesc& a, const CGrfGraphDesc& b)
{
    return a.m_dwVersion == b.m_dwVersion && a.m_vecFilters == b.m_vecFilters &&
           a.m_vecConnections == b.m_vecConnections && a.m_clock == b.m_clock;
}

const CGrfFilterDesc* FindGrfFilter(const CGrfGraphDesc& graph, DWORD dwId)
{
    // Saved graphs number their filters 1, 2, 3... in order: the filter is then where its
    // id says, and reading or writing a graph of n filters takes no n*n search. With unique
    // ids it is the one the search would find; where an id repeats (a graph the reader and
    // the writer refuse), one of the two is found either way, so the repetition still shows.
    if (dwId != 0 && dwId <= graph.m_vecFilters.size() && graph.m_vecFilters[dwId - 1].m_dwId == dwId)
        return &graph.m_vecFilters[dwId - 1];
    for (const CGrfFilterDesc& filter : graph.m_vecFilters)
    {
        if (filter.m_dwId == dwId)
            return &filter;
    }
    return nullptr;
}
