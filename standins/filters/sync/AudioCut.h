// How the synchronizer cuts an audio sample so that no piece it delivers lasts longer
// than the max audio sample duration: at whole audio frames, with times that run on
// from one piece to the next and end where the sample ended.
#pragma once

#include <windows.h>

#include <strmif.h>

struct SAudioLayout
{
    DWORD m_dwFramesPerSecond;  // nSamplesPerSec
    WORD m_wBytesPerFrame;      // nBlockAlign
};

// Frames one piece may hold for the duration: 0 when samples pass as they come (a
// duration of 0), at least one frame otherwise, and never more than cFramesCap (the
// largest piece a delivery buffer takes; 0 for no cap).
DWORD PieceFramesFor(double dMaxSeconds, const SAudioLayout& layout, DWORD cFramesCap);

struct SAudioPiece
{
    long m_lOffset;            // bytes into the sample
    long m_cbLength;
    REFERENCE_TIME m_tStart;   // meaningful only when the sample had a start time
    REFERENCE_TIME m_tStop;
};

// Piece iPiece of a sample of cbData bytes that starts at tStart and stops at tStop (when
// bHasStop is false the stop is worked out from the frame rate). Returns false past the
// last piece. A trailing part of a frame goes with the last piece.
bool AudioPieceAt(long cbData, const SAudioLayout& layout, DWORD cPieceFrames, REFERENCE_TIME tStart,
                  REFERENCE_TIME tStop, bool bHasStop, DWORD iPiece, SAudioPiece* pPiece);
