#include "StressFigures.h"

#include <algorithm>
#include <cwchar>

namespace {

// The first few Show graph clicks set up the process's COM links to the viewers; they are
// behind this many steps of any kind.
const int kWarmUpSteps = 5;

const wchar_t kLivePrefix[] = L"standin ";
const wchar_t kLiveMarker[] = L": live objects ";

// The module name of a live-object line, or empty when the line is not one.
std::wstring ModuleOf(const std::wstring& line)
{
    if (line.rfind(kLivePrefix, 0) != 0)
        return std::wstring();
    const size_t nMarker = line.find(kLiveMarker);
    if (nMarker == std::wstring::npos || nMarker <= std::char_traits<wchar_t>::length(kLivePrefix))
        return std::wstring();
    return line.substr(0, nMarker);
}

} // namespace

double CStepFigures::Median() const
{
    if (m_rgMs.empty())
        return 0.0;
    std::vector<double> rgSorted(m_rgMs);
    std::sort(rgSorted.begin(), rgSorted.end());
    const size_t n = rgSorted.size();
    return n % 2 ? rgSorted[n / 2] : (rgSorted[n / 2 - 1] + rgSorted[n / 2]) / 2.0;
}

double CStepFigures::Max() const
{
    return m_rgMs.empty() ? 0.0 : *std::max_element(m_rgMs.begin(), m_rgMs.end());
}

SIZE_T CWorkingSetTrack::FloorFrom(int nStep) const
{
    if (nStep < 1 || nStep > Count())
        return 0;
    const auto first = m_rgKb.begin() + (nStep - 1);
    const auto last = first + std::min(kFloorSteps, Count() - (nStep - 1));
    return *std::min_element(first, last);
}

SIZE_T CWorkingSetTrack::LastFloor() const
{
    return FloorFrom(std::max(1, Count() - kFloorSteps + 1));
}

int EarlyStep(int nSteps)
{
    const int nStep = nSteps / 10;
    return nStep >= kWarmUpSteps ? nStep : (nSteps < kWarmUpSteps ? (nSteps > 0 ? nSteps : 1) : kWarmUpSteps);
}

double GrowthPercent(SIZE_T early, SIZE_T last)
{
    if (early == 0)
        return 0.0;
    return 100.0 * (static_cast<double>(last) - static_cast<double>(early)) / static_cast<double>(early);
}

bool WithinPercent(SIZE_T early, SIZE_T last, double dPercent)
{
    if (early == 0)
        return false;
    const double dGrowth = GrowthPercent(early, last);
    return dGrowth <= dPercent && dGrowth >= -dPercent;
}

SIZE_T ForgiveThreadSwing(SIZE_T early, SIZE_T last, SIZE_T allowance)
{
    if (last >= early)
        return last - std::min(last - early, allowance);
    return last + std::min(early - last, allowance);
}

std::vector<std::wstring> LastLiveObjectLines(const std::vector<std::wstring>& rgLines)
{
    std::vector<std::wstring> rgModules, rgLast;
    for (std::wstring line : rgLines)
    {
        while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r'))
            line.pop_back();
        const std::wstring module = ModuleOf(line);
        if (module.empty() || LiveObjectsOf(line) < 0)
            continue;
        const auto it = std::find(rgModules.begin(), rgModules.end(), module);
        if (it == rgModules.end())
        {
            rgModules.push_back(module);
            rgLast.push_back(line);
        }
        else
            rgLast[static_cast<size_t>(it - rgModules.begin())] = line;
    }
    return rgLast;
}

long LiveObjectsOf(const std::wstring& line)
{
    if (ModuleOf(line).empty())
        return -1;
    const wchar_t* pszCount = line.c_str() + line.find(kLiveMarker) + std::char_traits<wchar_t>::length(kLiveMarker);
    wchar_t* pszEnd = nullptr;
    const long n = std::wcstol(pszCount, &pszEnd, 10);
    while (pszEnd && (*pszEnd == L'\r' || *pszEnd == L'\n'))
        ++pszEnd;
    if (pszEnd == pszCount || !pszEnd || *pszEnd != L'\0' || n < 0)
        return -1;
    return n;
}

long LiveTotal(const std::vector<std::wstring>& rgLines)
{
    long lTotal = 0;
    for (const std::wstring& line : LastLiveObjectLines(rgLines))
    {
        const long lCount = LiveObjectsOf(line);
        if (lCount > 0)
            lTotal += lCount;
    }
    return lTotal;
}
