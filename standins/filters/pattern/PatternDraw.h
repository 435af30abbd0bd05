// The picture of one frame: colour bars, a white bar that moves a step each frame and
// the frame number in seven-segment digits in the top-left corner. Pixels are 32-bit
// 0x00RRGGBB in a bottom-up bitmap, as RGB32 video carries them.
#pragma once

#include <windows.h>

const DWORD kPatternBarColour = 0x00FFFFFF;
const DWORD kPatternDigitOnColour = 0x0000FF00;
const DWORD kPatternDigitOffColour = 0x00000000;
const int kPatternDigitCount = 4;                   // the number is shown modulo 10000

// Segment bits a..g = bit 0..6 (a top, b top right, c bottom right, d bottom,
// e bottom left, f top left, g middle); 0 for anything but 0..9.
unsigned SevenSegmentMask(unsigned uDigit);

LONG PatternBarWidth(LONG lWidth);
// Left edge of the moving bar in frame dwFrame.
LONG PatternBarLeft(LONG lWidth, DWORD dwFrame);

// Where segment iSegment (0..6) of digit iDigit (0 = leftmost) lies, top-down
// coordinates, right and bottom exclusive.
void PatternSegmentRect(LONG lHeight, int iDigit, int iSegment, RECT* prc);

void DrawPatternFrame(BYTE* pBits, LONG lWidth, LONG lHeight, DWORD dwFrame);
// Reads back one pixel at top-down coordinates.
DWORD PatternPixel(const BYTE* pBits, LONG lWidth, LONG lHeight, LONG x, LONG y);
