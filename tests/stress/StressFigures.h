// The arithmetic of the stress figures, kept apart from the driving so tests can call it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Durations of one kind of step, in milliseconds.
class CStepFigures
{
public:
    void Add(double dMs) { m_rgMs.push_back(dMs); }
    int Count() const { return static_cast<int>(m_rgMs.size()); }
    // 0 when there are no steps.
    double Median() const;
    double Max() const;

private:
    std::vector<double> m_rgMs;
};

// The tool's working set after each step, in KB. A single reading catches whatever was
// passing through at that moment (a viewer reading the graph, a worker thread's stack), so
// the figures compared are floors: the least of a few steps in a row, which a leak lifts
// and a passing peak does not.
class CWorkingSetTrack
{
public:
    void Add(SIZE_T kb) { m_rgKb.push_back(kb); }
    // The least reading of kFloorSteps steps from nStep (1-based) on; 0 when none is there.
    SIZE_T FloorFrom(int nStep) const;
    // The least reading of the last kFloorSteps steps.
    SIZE_T LastFloor() const;
    int Count() const { return static_cast<int>(m_rgKb.size()); }

    static constexpr int kFloorSteps = 5;

private:
    std::vector<SIZE_T> m_rgKb;
};

// The step whose working set is compared with the last: a tenth of the way in, but never
// before step 5 (the last step when there are fewer), so that start-up allocations are
// behind it.
int EarlyStep(int nSteps);

// Growth from early to last in percent; 0 when early is 0 (nothing measured).
double GrowthPercent(SIZE_T early, SIZE_T last);
// |growth| <= dPercent; false when early is 0, since then nothing was measured.
bool WithinPercent(SIZE_T early, SIZE_T last, double dPercent);
// The last working set with up to `allowance` of its difference from the early one
// forgiven, either way: the platform's call-serving threads (about 1 MB resident each) come
// and go with the load beside the tool, and one more or fewer of them at either end is
// not the tool's doing.
SIZE_T ForgiveThreadSwing(SIZE_T early, SIZE_T last, SIZE_T allowance);

// Of the stand-ins' "standin <module>: live objects <n>" debug lines, the last one of each
// module, in the order the modules first reported.
std::vector<std::wstring> LastLiveObjectLines(const std::vector<std::wstring>& rgLines);
// The count of such a line; -1 when the line is not one.
long LiveObjectsOf(const std::wstring& line);
// The sum of the counts of LastLiveObjectLines: every stand-in object alive at the last
// report; 0 when there is none.
long LiveTotal(const std::vector<std::wstring>& rgLines);
