#include "StressFigures.h"

#include <algorithm>
#include <cwchar>

namespace {

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

int EarlyStep(int nSteps)
{
    return nSteps < 10 ? 1 : nSteps / 10;
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
