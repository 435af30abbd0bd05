#include "Figures.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

double NowMs()
{
    static LARGE_INTEGER s_liFrequency = {};
    if (s_liFrequency.QuadPart == 0)
        ::QueryPerformanceFrequency(&s_liFrequency);
    LARGE_INTEGER liNow = {};
    ::QueryPerformanceCounter(&liNow);
    return static_cast<double>(liNow.QuadPart) * 1000.0 / static_cast<double>(s_liFrequency.QuadPart);
}

double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
}

double CPairedSamples::RatioMedian() const
{
    std::vector<double> rgRatios;
    for (size_t i = 0; i < m_rgTool.size() && i < m_rgReference.size(); ++i)
        if (m_rgReference[i] > 0.0)
            rgRatios.push_back(m_rgTool[i] / m_rgReference[i]);
    return Median(rgRatios);
}

void PrintRatioLine(const char* pszMeasure, const char* pszSubject, const char* pszUnit, double dValue,
                    const char* pszReference, double dReference, double dRatio, double dGoalRatio)
{
    std::printf("%-30s %-4s %8.1f %-2s   %-23s %8.1f %-2s   ratio %5.2f   goal <= %.2f\n", pszMeasure, pszSubject,
                dValue, pszUnit, pszReference, dReference, pszUnit, dRatio, dGoalRatio);
    std::fflush(stdout);
}

void PrintPairLine(const char* pszMeasure, const char* pszUnit, const CPairedSamples& samples,
                   const char* pszReference, double dGoalRatio)
{
    PrintRatioLine(pszMeasure, "tool", pszUnit, Median(samples.Tool()), pszReference, Median(samples.Reference()),
                   samples.RatioMedian(), dGoalRatio);
}

CBenchArgs::CBenchArgs(int argc, wchar_t** argv) : m_bOk(true), m_nRounds(21)
{
    for (int i = 1; i < argc; ++i)
    {
        std::wstring strArg = argv[i];
        if (strArg == L"--rounds" && i + 1 < argc)
            m_nRounds = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
        else if (strArg == L"--tool" && i + 1 < argc)
            m_strTool = argv[++i];
        else if (strArg == L"--measures" && i + 1 < argc)
            m_strMeasures = L"," + std::wstring(argv[++i]) + L",";
        else
            m_bOk = false;
    }
    if (m_nRounds < MIN_ROUNDS)
        m_bOk = false;
}

bool CBenchArgs::Wants(const wchar_t* pszMeasure) const
{
    return m_strMeasures.empty() || m_strMeasures.find(L"," + std::wstring(pszMeasure) + L",") != std::wstring::npos;
}
