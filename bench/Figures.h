// Samples of one benchmark run, their medians, and the lines the benchmark prints: one
// per measure, the tool's figure beside its reference's, the ratio and the goal.
#pragma once

#include <string>
#include <vector>

// Milliseconds on the performance counter, which every process of the prefix shares.
double NowMs();

double Median(std::vector<double> samples);

// The samples of one measure, the tool's and its reference's taken in the same rounds.
class CPairedSamples
{
public:
    void Add(bool bTool, double dValue) { (bTool ? m_rgTool : m_rgReference).push_back(dValue); }
    const std::vector<double>& Tool() const { return m_rgTool; }
    const std::vector<double>& Reference() const { return m_rgReference; }
    // The median of each round's tool / reference: the load of a shared machine changes
    // from round to round more than within one.
    double RatioMedian() const;

private:
    std::vector<double> m_rgTool, m_rgReference;
};

// "<measure>  <subject> <figure>  <reference> <figure>  ratio <r>  goal <= <goal>"
void PrintRatioLine(const char* pszMeasure, const char* pszSubject, const char* pszUnit, double dValue,
                    const char* pszReference, double dReference, double dRatio, double dGoalRatio);
// The same for paired samples: both medians and the median of the rounds' ratios.
void PrintPairLine(const char* pszMeasure, const char* pszUnit, const CPairedSamples& samples,
                   const char* pszReference, double dGoalRatio);

// Parses "--name value" pairs; false when an argument is not understood.
class CBenchArgs
{
public:
    CBenchArgs(int argc, wchar_t** argv);
    bool Ok() const { return m_bOk; }
    int Rounds() const { return m_nRounds; }
    const std::wstring& Tool() const { return m_strTool; }
    // Whether the measure was asked for: all of them when --measures names none.
    bool Wants(const wchar_t* pszMeasure) const;

private:
    bool m_bOk;
    int m_nRounds;
    std::wstring m_strTool;
    std::wstring m_strMeasures;
};

// Fewer rounds than this give medians that one slow run can still move.
const int MIN_ROUNDS = 11;
