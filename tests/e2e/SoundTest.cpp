// Sound through the tool as a user hears it: the measuring graph (the demo clip, with a tap
// before each renderer) is built and played, and the duration is changed while it plays,
// by typing and with the spin; then it is stopped and played again. The audio tap's log shows what reached the DirectSound
// Renderer after each change; the table of it is printed for the record.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ToolSession.h"
#include "ui/resource.h"

using namespace e2e;

namespace {

const wchar_t c_szMeasureGraph[] = L"C:\\fixtures\\measure.grf";
const wchar_t c_szAudioLog[] = L"C:\\fixtures\\audio-tap.log";
const wchar_t c_szVideoLog[] = L"C:\\fixtures\\video-tap.log";
// The demo clip the measuring graph plays: 4 s, 24 frames a second, 44.1 kHz 16-bit mono
// sound in 500-ms chunks.
const LONGLONG c_llClipUnits = 40000000;
const size_t c_cClipFrames = 96;
const long c_cbClipSound = 4 * 44100 * 2;
const LONGLONG c_llChunkUnits = 5000000;
const LONGLONG c_llUnitsPerMs = 10000;
const DWORD c_dwPlayDeadlineMs = 30000;

struct SLogged
{
    LONGLONG llStart;
    LONGLONG llStop;
    long cbData;
};

// What a tap wrote so far: its samples, and how many times the stream started and ended.
struct STapLog
{
    std::vector<SLogged> vecSamples;
    int cStarts = 0;
    int cEnds = 0;
};

STapLog ReadTap(const wchar_t* pszPath)
{
    STapLog log;
    std::ifstream in(pszPath);
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "start")
            ++log.cStarts;
        else if (kind == "end")
            ++log.cEnds;
        else if (kind == "sample")
        {
            SLogged s = {};
            if (words >> s.llStart >> s.llStop >> s.cbData)
                log.vecSamples.push_back(s);
        }
    }
    return log;
}

struct SPhase
{
    const char* pszHow;
    int nSetMs;        // what the box shows after the change
    size_t iFirst;     // first sample cut the new way
    size_t iEnd = 0;   // one past the last
};

class SoundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::DeleteFileW(c_szAudioLog);
        ::DeleteFileW(c_szVideoLog);
        ASSERT_TRUE(m_tool.Started());
    }

    // Waits until the audio tap has logged, at or after index iFrom, a sample that `pred`
    // picks; its index, or npos.
    template <class Pred>
    size_t WaitForSample(size_t iFrom, Pred pred)
    {
        size_t iFound = std::string::npos;
        driver::WaitUntil([&] {
            const std::vector<SLogged> vec = ReadTap(c_szAudioLog).vecSamples;
            for (size_t i = iFrom; i < vec.size(); ++i)
                if (pred(vec[i].llStop - vec[i].llStart))
                {
                    iFound = i;
                    return true;
                }
            return false;
        }, c_dwPlayDeadlineMs);
        return iFound;
    }
    std::wstring TypeDuration(const std::wstring& text)
    {
        m_tool.SetText(IDC_EDIT_DURATION, text);
        m_tool.Sync();
        return m_tool.Text(IDC_EDIT_DURATION);
    }

    CToolSession m_tool;
};

} // namespace

TEST_F(SoundTest, AudioReachingTheRendererIsCutAsSetWhilePlayingAndBothStreamsPlayAgain)
{
    ASSERT_TRUE(m_tool.BuildAndWait(c_szMeasureGraph));
    ASSERT_TRUE(m_tool.NoBoxShown());
    m_tool.Click(IDC_BTN_PLAY);

    // As they come (0): the file's own 500-ms chunks.
    std::vector<SPhase> vecPhases;
    size_t i = WaitForSample(0, [](LONGLONG) { return true; });
    ASSERT_NE(std::string::npos, i) << "no sound reached the renderer";
    vecPhases.push_back({"as they come", 0, 0});

    // Typed: 40 ms. The sample being cut when it changes keeps the old duration; the
    // first sample of 40 ms or less marks the new one.
    EXPECT_EQ(L"40", TypeDuration(L"40"));
    i = WaitForSample(i + 1, [](LONGLONG ll) { return ll <= 40 * c_llUnitsPerMs; });
    ASSERT_NE(std::string::npos, i) << "no sample cut to 40 ms";
    vecPhases.push_back({"typed 40", 40, i});

    // With the spin: 240 typed, one step up gives 250.
    EXPECT_EQ(L"240", TypeDuration(L"240"));
    driver::PressKey(m_tool.Item(IDC_EDIT_DURATION), VK_UP);
    m_tool.Sync();
    EXPECT_EQ(L"250", m_tool.Text(IDC_EDIT_DURATION));
    i = WaitForSample(i + 1, [](LONGLONG ll) { return ll > 40 * c_llUnitsPerMs; });
    ASSERT_NE(std::string::npos, i) << "no sample cut to 250 ms";
    vecPhases.push_back({"spin to 250", 250, i});

    // Typed 0: whole chunks again.
    EXPECT_EQ(L"0", TypeDuration(L"0"));
    i = WaitForSample(i + 1, [](LONGLONG ll) { return ll > 250 * c_llUnitsPerMs; });
    ASSERT_NE(std::string::npos, i) << "no whole chunk after 0";
    vecPhases.push_back({"typed 0", 0, i});

    // "The end" once, after both streams have ended.
    EXPECT_TRUE(m_tool.ExpectBox(L"The end", false));
    EXPECT_TRUE(m_tool.NoBoxShown());
    const STapLog audio = ReadTap(c_szAudioLog);
    const STapLog video = ReadTap(c_szVideoLog);
    EXPECT_EQ(1, audio.cEnds);
    EXPECT_EQ(1, video.cEnds);
    EXPECT_EQ(c_cClipFrames, video.vecSamples.size());

    // Every sound sample starts where the last stopped, and all of them make the clip.
    const std::vector<SLogged>& vec = audio.vecSamples;
    ASSERT_FALSE(vec.empty());
    EXPECT_EQ(0, vec.front().llStart);
    long cbTotal = 0;
    for (size_t k = 0; k < vec.size(); ++k)
    {
        if (k > 0)
        {
            EXPECT_EQ(vec[k - 1].llStop, vec[k].llStart) << "sample " << k;
        }
        EXPECT_EQ(0, vec[k].cbData % 2) << "whole frames, sample " << k;
        cbTotal += vec[k].cbData;
    }
    EXPECT_EQ(c_cbClipSound, cbTotal);
    EXPECT_EQ(c_llClipUnits, vec.back().llStop);

    // The table: what reached the renderer under each setting.
    std::printf("set duration | samples at the renderer: smallest, largest, count\n");
    for (size_t p = 0; p < vecPhases.size(); ++p)
    {
        SPhase& phase = vecPhases[p];
        phase.iEnd = p + 1 < vecPhases.size() ? vecPhases[p + 1].iFirst : vec.size();
        ASSERT_LT(phase.iFirst, phase.iEnd) << phase.pszHow;
        LONGLONG llMin = vec[phase.iFirst].llStop - vec[phase.iFirst].llStart;
        LONGLONG llMax = llMin;
        for (size_t k = phase.iFirst; k < phase.iEnd; ++k)
        {
            const LONGLONG ll = vec[k].llStop - vec[k].llStart;
            llMin = ll < llMin ? ll : llMin;
            llMax = ll > llMax ? ll : llMax;
        }
        std::printf("%4d ms (%s) | %.2f ms, %.2f ms, %u\n", phase.nSetMs, phase.pszHow, llMin / 1e4, llMax / 1e4,
                    static_cast<unsigned>(phase.iEnd - phase.iFirst));
        if (phase.nSetMs == 0)
            EXPECT_EQ(c_llChunkUnits, llMax) << phase.pszHow;
        else
            EXPECT_LE(llMax, phase.nSetMs * c_llUnitsPerMs) << phase.pszHow;
        EXPECT_GT(llMin, 0) << phase.pszHow;
    }
    std::fflush(stdout);

    // Stop, then Play: both streams play again from the beginning, to the end.
    m_tool.Click(IDC_BTN_STOP);
    m_tool.Sync();
    const size_t cAudioBefore = vec.size();
    const size_t cVideoBefore = video.vecSamples.size();
    m_tool.Click(IDC_BTN_PLAY);
    EXPECT_TRUE(m_tool.ExpectBox(L"The end", false));
    EXPECT_TRUE(m_tool.NoBoxShown());
    const STapLog audioAgain = ReadTap(c_szAudioLog);
    const STapLog videoAgain = ReadTap(c_szVideoLog);
    EXPECT_EQ(2, audioAgain.cStarts);
    EXPECT_EQ(2, videoAgain.cStarts);
    EXPECT_EQ(2, audioAgain.cEnds);
    EXPECT_EQ(2, videoAgain.cEnds);
    EXPECT_EQ(2 * c_cClipFrames, videoAgain.vecSamples.size());
    ASSERT_LT(cAudioBefore, audioAgain.vecSamples.size());
    ASSERT_LT(cVideoBefore, videoAgain.vecSamples.size());
    EXPECT_EQ(0, audioAgain.vecSamples[cAudioBefore].llStart);
    EXPECT_EQ(0, videoAgain.vecSamples[cVideoBefore].llStart);
    EXPECT_EQ(c_llClipUnits, audioAgain.vecSamples.back().llStop);
}
