// The graph manager stand-in's graph-file loading against building the same graph by hand
// in the same process: chains of 10, 100 and 1,000 test filters, each linked to the next by
// a typed video connection, loaded through IPersistStream::Load or built with AddFilter
// and ConnectDirect, alternated round by round; and saving the chain. Prints the medians,
// the median of the rounds' ratios and how the time per filter grows from 100 to 1,000
// filters. And the largest graph stream saved on Windows in ../shared/realgrf (its filters
// are absent here, so its load ends at the first missing class) against the prefix's demo
// graph, alternated the same way.
//
//   grfload_bench.exe [--rounds N]
#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <vector>

#include "atl/AtlComPtr.h"
#include "Figures.h"
#include "RealGraphFiles.h"
#include "PersistBytes.h"
#include "TestFilter.h"

namespace {

const int c_rgSizes[] = {10, 100, 1000};

HRESULT CreateGraph(CComPtr<IFilterGraph>& spGraph)
{
    spGraph.Release();
    return ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterGraph,
                              reinterpret_cast<void**>(&spGraph));
}

// What a program does without a graph file: creates, adds and links each filter itself.
HRESULT BuildChainByHand(IFilterGraph* pGraph, int cFilters)
{
    VIDEOINFOHEADER vih;
    AM_MEDIA_TYPE mt = GrfTestVideoType(&vih);
    CComPtr<IPin> spPreviousOut;
    for (int i = 0; i < cFilters; ++i)
    {
        CComPtr<IBaseFilter> spFilter;
        HRESULT hr = ::CoCreateInstance(CLSID_GrfTestFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                        reinterpret_cast<void**>(&spFilter));
        if (FAILED(hr))
            return hr;
        wchar_t szName[32];
        std::swprintf(szName, 32, L"Filter %04d", i + 1);
        hr = pGraph->AddFilter(spFilter, szName);
        if (FAILED(hr))
            return hr;
        CComPtr<IPin> spIn, spOut;
        hr = spFilter->FindPin(L"pin-in", &spIn);
        if (SUCCEEDED(hr))
            hr = spFilter->FindPin(L"pin-out", &spOut);
        if (SUCCEEDED(hr) && spPreviousOut)
            hr = pGraph->ConnectDirect(spPreviousOut, spIn, &mt);
        if (FAILED(hr))
            return hr;
        spPreviousOut = spOut;
    }
    return S_OK;
}

int CountFilters(IFilterGraph* pGraph)
{
    CComPtr<IEnumFilters> spEnum;
    if (FAILED(pGraph->EnumFilters(&spEnum)))
        return -1;
    int cFilters = 0;
    ULONG cFetched = 0;
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, &cFetched) == S_OK; spFilter.Release())
        ++cFilters;
    return cFilters;
}

struct SChainSamples
{
    CPairedSamples m_load;  // loading, and building by hand as its reference
    std::vector<double> m_rgSave;
};

// Loads the text into a new graph (returned in spGraph) and times the load alone: graph
// creation and release are outside the timing. False when the graph or the stream could not
// be made; the load's own result is *phr.
bool LoadIntoNewGraph(const std::vector<BYTE>& vecText, CComPtr<IFilterGraph>& spGraph, double* pdMs, HRESULT* phr)
{
    CComPtr<IPersistStream> spPersist;
    CComPtr<IStream> spStream;
    if (FAILED(CreateGraph(spGraph)) ||
        FAILED(spGraph->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersist))) ||
        FAILED(StreamOnBytes(vecText.data(), static_cast<ULONG>(vecText.size()), &spStream)))
        return false;
    const double dStart = NowMs();
    *phr = spPersist->Load(spStream);
    *pdMs = NowMs() - dStart;
    return true;
}

bool TimeLoad(int cFilters, const std::vector<BYTE>& vecText, SChainSamples* pSamples)
{
    CComPtr<IFilterGraph> spGraph;
    double dMs = 0.0;
    HRESULT hr = E_FAIL;
    if (!LoadIntoNewGraph(vecText, spGraph, &dMs, &hr))
        return false;
    pSamples->m_load.Add(true, dMs);
    if (hr != S_OK || CountFilters(spGraph) != cFilters)
    {
        std::fprintf(stderr, "loading %d filters: hr=0x%08lX\n", cFilters, static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

// Builds the chain by hand into a new graph, then saves it; each step timed on its own.
bool TimeByHandAndSave(int cFilters, std::vector<BYTE>* pvecText, SChainSamples* pSamples)
{
    CComPtr<IFilterGraph> spGraph;
    if (FAILED(CreateGraph(spGraph)))
        return false;
    double dStart = NowMs();
    HRESULT hr = BuildChainByHand(spGraph, cFilters);
    pSamples->m_load.Add(false, NowMs() - dStart);
    if (FAILED(hr))
    {
        std::fprintf(stderr, "building %d filters: hr=0x%08lX\n", cFilters, static_cast<unsigned long>(hr));
        return false;
    }
    dStart = NowMs();
    hr = SaveToBytes(spGraph, TRUE, pvecText);
    pSamples->m_rgSave.push_back(NowMs() - dStart);
    return SUCCEEDED(hr);
}

// One load of a graph stream into a new graph, timed; its result code is kept.
bool TimeStreamLoad(const std::vector<BYTE>& vecText, bool bTool, CPairedSamples* pSamples, HRESULT* phr)
{
    CComPtr<IFilterGraph> spGraph;
    double dMs = 0.0;
    if (!LoadIntoNewGraph(vecText, spGraph, &dMs, phr))
        return false;
    pSamples->Add(bTool, dMs);
    return true;
}

// The largest real stream against the demo graph's; prints why when it cannot.
void TimeRealAgainstDemo(int cRounds)
{
    std::vector<CRealGraphFile> files;
    if (!ListRealGraphFiles(files) || files.empty())
    {
        std::printf("%-30s skipped: no graph files saved on Windows (../shared/realgrf)\n", ".grf load, real file");
        return;
    }
    std::vector<BYTE> vecReal, vecDemo;
    std::string strReal;
    for (const CRealGraphFile& file : files)
    {
        std::vector<BYTE> vec;
        if (SUCCEEDED(ReadGraphStream(file.m_strPath, vec)) && vec.size() > vecReal.size())
        {
            vecReal.swap(vec);
            strReal = file.m_strName;
        }
    }
    if (FAILED(ReadGraphStream(L"D:\\CVS\\Dev\\Filters\\Special\\Meridel\\Graphs\\Pixwell - Meridel.GRF", vecDemo)))
    {
        std::printf("%-30s skipped: the prefix has no demo graph\n", ".grf load, real file");
        return;
    }
    CPairedSamples samples, warmUp;
    HRESULT hrReal = E_FAIL, hrDemo = E_FAIL;
    if (!TimeStreamLoad(vecReal, true, &warmUp, &hrReal) || !TimeStreamLoad(vecDemo, false, &warmUp, &hrDemo))
        return;
    for (int nRound = 0; nRound < cRounds; ++nRound)
    {
        bool bRealFirst = nRound % 2 == 0;
        for (int nStep = 0; nStep < 2; ++nStep)
        {
            bool bReal = (nStep == 0) == bRealFirst;
            if (!TimeStreamLoad(bReal ? vecReal : vecDemo, bReal, &samples, bReal ? &hrReal : &hrDemo))
                return;
        }
    }
    std::printf("%-30s %s, %zu bytes: 0x%08lX; demo graph, %zu bytes: 0x%08lX\n", ".grf load, real file", strReal.c_str(),
                vecReal.size(), static_cast<unsigned long>(hrReal), vecDemo.size(), static_cast<unsigned long>(hrDemo));
    PrintRatioLine(".grf load, real vs demo", "real", "ms", Median(samples.Tool()), "demo graph",
                   Median(samples.Reference()), samples.RatioMedian(), 1.0);
}

// How the time per filter grows from 100 to 1,000 filters, round by round (1.0 is linear).
double Growth(const std::vector<double>& rgAt100, const std::vector<double>& rgAt1000)
{
    std::vector<double> rgGrowth;
    for (size_t i = 0; i < rgAt100.size() && i < rgAt1000.size(); ++i)
        if (rgAt100[i] > 0.0)
            rgGrowth.push_back((rgAt1000[i] / 1000.0) / (rgAt100[i] / 100.0));
    return Median(rgGrowth);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CBenchArgs args(argc, argv);
    if (!args.Ok() || !args.Tool().empty())
    {
        std::fprintf(stderr, "usage: grfload_bench.exe [--rounds N (at least %d)]\n", MIN_ROUNDS);
        return 2;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    DWORD dwCookie = 0;
    if (FAILED(RegisterGrfTestFilter(&dwCookie)))
        return 2;

    // The texts, and a first build and load of each size that nothing counts.
    std::vector<BYTE> rgText[3], vecSaved;
    SChainSamples warmUp, rgSamples[3];
    for (size_t i = 0; i < 3; ++i)
    {
        if (!TimeByHandAndSave(c_rgSizes[i], &rgText[i], &warmUp) || !TimeLoad(c_rgSizes[i], rgText[i], &warmUp))
            return 1;
    }
    // Every size in every round, so that the growth compares figures taken under the same
    // load of the machine; within a size, loading goes first in every other round.
    for (int nRound = 0; nRound < args.Rounds(); ++nRound)
    {
        bool bLoadFirst = nRound % 2 == 1;
        for (size_t i = 0; i < 3; ++i)
        {
            if (bLoadFirst && !TimeLoad(c_rgSizes[i], rgText[i], &rgSamples[i]))
                return 1;
            if (!TimeByHandAndSave(c_rgSizes[i], &vecSaved, &rgSamples[i]))
                return 1;
            if (!bLoadFirst && !TimeLoad(c_rgSizes[i], rgText[i], &rgSamples[i]))
                return 1;
        }
    }

    for (size_t i = 0; i < 3; ++i)
    {
        char szMeasure[64];
        std::snprintf(szMeasure, sizeof(szMeasure), ".grf load, %d filters", c_rgSizes[i]);
        PrintRatioLine(szMeasure, "load", "ms", Median(rgSamples[i].m_load.Tool()), "AddFilter+ConnectDirect",
                       Median(rgSamples[i].m_load.Reference()), rgSamples[i].m_load.RatioMedian(), 1.2);
    }
    std::printf("%-30s load %8.2f      %-23s %8.2f      %-11s   goal <= 1.50\n", ".grf load, growth per filter",
                Growth(rgSamples[1].m_load.Tool(), rgSamples[2].m_load.Tool()), "AddFilter+ConnectDirect",
                Growth(rgSamples[1].m_load.Reference(), rgSamples[2].m_load.Reference()), "100 -> 1000");
    std::printf("%-30s save %8.1f / %.1f / %.1f ms for 10 / 100 / 1000 filters, growth per filter %.2f\n",
                ".grf save", Median(rgSamples[0].m_rgSave), Median(rgSamples[1].m_rgSave),
                Median(rgSamples[2].m_rgSave), Growth(rgSamples[1].m_rgSave, rgSamples[2].m_rgSave));
    TimeRealAgainstDemo(args.Rounds());
    std::fflush(stdout);

    RevokeGrfTestFilter(dwCookie);
    ::CoUninitialize();
    return 0;
}
