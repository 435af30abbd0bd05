#include "PatternDraw.h"

namespace
{
// Half-bright colour bars behind everything.
const DWORD kBackground[] = {0x00808080, 0x00808000, 0x00008080, 0x00008000,
                             0x00800080, 0x00800000, 0x00000080, 0x00202020};

LONG DigitScale(LONG lHeight)
{
    LONG lScale = lHeight / 40;
    return lScale < 1 ? 1 : lScale;
}

void FillRect32(BYTE* pBits, LONG lWidth, LONG lHeight, const RECT& rc, DWORD dwColour)
{
    LONG xFrom = rc.left < 0 ? 0 : rc.left;
    LONG xTo = rc.right > lWidth ? lWidth : rc.right;
    LONG yFrom = rc.top < 0 ? 0 : rc.top;
    LONG yTo = rc.bottom > lHeight ? lHeight : rc.bottom;
    for (LONG y = yFrom; y < yTo; ++y)
    {
        // Bottom-up: the first row in memory is the bottom of the picture.
        DWORD* pRow = reinterpret_cast<DWORD*>(pBits) + static_cast<size_t>(lHeight - 1 - y) * lWidth;
        for (LONG x = xFrom; x < xTo; ++x)
            pRow[x] = dwColour;
    }
}
}

unsigned SevenSegmentMask(unsigned uDigit)
{
    static const unsigned kMasks[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    return uDigit < 10 ? kMasks[uDigit] : 0;
}

LONG PatternBarWidth(LONG lWidth)
{
    LONG lBar = lWidth / 16;
    return lBar < 2 ? 2 : lBar;
}

LONG PatternBarLeft(LONG lWidth, DWORD dwFrame)
{
    LONG lStep = lWidth / 40;
    if (lStep < 1)
        lStep = 1;
    LONG lRange = lWidth - PatternBarWidth(lWidth) + 1;
    return static_cast<LONG>((static_cast<unsigned long long>(dwFrame) * lStep) % lRange);
}

void PatternSegmentRect(LONG lHeight, int iDigit, int iSegment, RECT* prc)
{
    // A digit is 4 units wide and 7 high, segments 1 unit thick, digits 6 units apart.
    LONG s = DigitScale(lHeight);
    LONG x0 = 2 * s + iDigit * 6 * s;
    LONG y0 = 2 * s;
    LONG w = 4 * s;
    LONG h = 7 * s;
    RECT rc = {0, 0, 0, 0};
    switch (iSegment)
    {
    case 0: rc = {x0, y0, x0 + w, y0 + s}; break;
    case 1: rc = {x0 + w - s, y0, x0 + w, y0 + 4 * s}; break;
    case 2: rc = {x0 + w - s, y0 + 3 * s, x0 + w, y0 + h}; break;
    case 3: rc = {x0, y0 + h - s, x0 + w, y0 + h}; break;
    case 4: rc = {x0, y0 + 3 * s, x0 + s, y0 + h}; break;
    case 5: rc = {x0, y0, x0 + s, y0 + 4 * s}; break;
    case 6: rc = {x0, y0 + 3 * s, x0 + w, y0 + 4 * s}; break;
    default: break;
    }
    *prc = rc;
}

void DrawPatternFrame(BYTE* pBits, LONG lWidth, LONG lHeight, DWORD dwFrame)
{
    const LONG cBars = static_cast<LONG>(sizeof(kBackground) / sizeof(kBackground[0]));
    for (LONG i = 0; i < cBars; ++i)
    {
        RECT rc = {i * lWidth / cBars, 0, (i + 1) * lWidth / cBars, lHeight};
        FillRect32(pBits, lWidth, lHeight, rc, kBackground[i]);
    }

    LONG lLeft = PatternBarLeft(lWidth, dwFrame);
    RECT rcBar = {lLeft, 0, lLeft + PatternBarWidth(lWidth), lHeight};
    FillRect32(pBits, lWidth, lHeight, rcBar, kPatternBarColour);

    // Dark plate under the counter, then the lit segments of each digit.
    LONG s = DigitScale(lHeight);
    RECT rcPlate = {s, s, 2 * s + (kPatternDigitCount - 1) * 6 * s + 4 * s + s, 10 * s};
    FillRect32(pBits, lWidth, lHeight, rcPlate, kPatternDigitOffColour);
    DWORD dwNumber = dwFrame % 10000;
    for (int iDigit = kPatternDigitCount - 1; iDigit >= 0; --iDigit)
    {
        unsigned uMask = SevenSegmentMask(dwNumber % 10);
        dwNumber /= 10;
        for (int iSegment = 0; iSegment < 7; ++iSegment)
        {
            if (!(uMask & (1u << iSegment)))
                continue;
            RECT rc;
            PatternSegmentRect(lHeight, iDigit, iSegment, &rc);
            FillRect32(pBits, lWidth, lHeight, rc, kPatternDigitOnColour);
        }
    }
}

DWORD PatternPixel(const BYTE* pBits, LONG lWidth, LONG lHeight, LONG x, LONG y)
{
    const DWORD* pRow = reinterpret_cast<const DWORD*>(pBits) + static_cast<size_t>(lHeight - 1 - y) * lWidth;
    return pRow[x];
}
