// In-memory form of a saved filter graph: what the text reader produces and the text
// writer consumes. Plain data, no COM objects, so the text side can be exercised (and
// fuzzed) without a graph manager.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum EGrfFileRole
{
    eGrfNoFile,
    eGrfSource,   // the filter reads m_strFile (file source interface)
    eGrfSink      // the filter writes m_strFile (file sink interface)
};

struct CGrfFilterDesc
{
    DWORD m_dwId = 0;                 // 1-based, unique within the graph
    std::wstring m_strName;
    CLSID m_clsid = {};
    EGrfFileRole m_eRole = eGrfNoFile;
    std::wstring m_strFile;
    std::vector<BYTE> m_vecData;      // the filter's own persisted bytes, may be empty
};

struct CGrfMediaTypeDesc
{
    GUID m_guidMajor = {};
    GUID m_guidSub = {};
    bool m_bFixedSize = false;
    bool m_bTemporalCompression = false;
    DWORD m_dwSampleSize = 0;
    GUID m_guidFormat = {};
    std::vector<BYTE> m_vecFormat;
};

struct CGrfConnectionDesc
{
    DWORD m_dwOutId = 0;
    std::wstring m_strOutPin;
    DWORD m_dwInId = 0;
    std::wstring m_strInPin;
    CGrfMediaTypeDesc m_mt;
};

// The reference clock a graph asks for. With m_bRequired false, or with neither a filter
// id nor a class, the graph keeps whatever clock its manager picks by default.
struct CGrfClockDesc
{
    bool m_bRequired = false;
    DWORD m_dwFilterId = 0;           // 0: no filter provides the clock
    bool m_bByClass = false;          // true: create an object of m_clsid as the clock
    CLSID m_clsid = {};
};

struct CGrfGraphDesc
{
    DWORD m_dwVersion = 3;            // 2 or 3; only 3 carries a clock line
    std::vector<CGrfFilterDesc> m_vecFilters;
    std::vector<CGrfConnectionDesc> m_vecConnections;
    CGrfClockDesc m_clock;
};

bool operator==(const CGrfFilterDesc& a, const CGrfFilterDesc& b);
bool operator==(const CGrfMediaTypeDesc& a, const CGrfMediaTypeDesc& b);
bool operator==(const CGrfConnectionDesc& a, const CGrfConnectionDesc& b);
bool operator==(const CGrfClockDesc& a, const CGrfClockDesc& b);
bool operator==(const CGrfGraphDesc& a, const CGrfGraphDesc& b);

// Finds the filter with the given id, or returns null.
const CGrfFilterDesc* FindGrfFilter(const CGrfGraphDesc& graph, DWORD dwId);
