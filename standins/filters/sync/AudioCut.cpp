#include "AudioCut.h"

#include <math.h>

namespace
{
const double kUnitsPerSecond = 10000000.0;

// tStart + (tStop - tStart) * num / den without overflow for any clip length.
REFERENCE_TIME Between(REFERENCE_TIME tStart, REFERENCE_TIME tStop, LONGLONG llNum, LONGLONG llDen)
{
    if (llDen <= 0)
        return tStart;
    const long double ldSpan = static_cast<long double>(tStop - tStart);
    return tStart + static_cast<REFERENCE_TIME>(llroundl(ldSpan * llNum / llDen));
}
}

DWORD PieceFramesFor(double dMaxSeconds, const SAudioLayout& layout, DWORD cFramesCap)
{
    DWORD cFrames = 0;
    if (dMaxSeconds > 0.0 && layout.m_dwFramesPerSecond > 0)
    {
        // A duration that is a whole number of frames up to rounding (0.04 s at 44.1 kHz
        // is 1764 frames, not 1763.99...) keeps its last frame.
        const double dFrames = floor(dMaxSeconds * layout.m_dwFramesPerSecond + 1e-6);
        cFrames = dFrames < 1.0 ? 1 : dFrames >= 4294967295.0 ? 0xFFFFFFFF : static_cast<DWORD>(dFrames);
    }
    if (cFramesCap > 0 && (cFrames == 0 || cFrames > cFramesCap))
        cFrames = cFramesCap;
    return cFrames;
}

bool AudioPieceAt(long cbData, const SAudioLayout& layout, DWORD cPieceFrames, REFERENCE_TIME tStart,
                  REFERENCE_TIME tStop, bool bHasStop, DWORD iPiece, SAudioPiece* pPiece)
{
    const LONGLONG cbFrame = layout.m_wBytesPerFrame > 0 ? layout.m_wBytesPerFrame : 1;
    const LONGLONG cbSample = cbData > 0 ? cbData : 0;
    const LONGLONG cbPiece = cPieceFrames > 0 ? cPieceFrames * cbFrame : cbSample;
    const LONGLONG llOffset = cbPiece * iPiece;
    // An empty sample still passes on, once.
    if (llOffset >= cbSample && !(iPiece == 0 && cbSample == 0))
        return false;
    const LONGLONG llEnd = cbSample - llOffset <= cbPiece ? cbSample : llOffset + cbPiece;

    if (!bHasStop)
    {
        const double dBytesPerUnit = cbFrame * static_cast<double>(layout.m_dwFramesPerSecond) / kUnitsPerSecond;
        tStop = dBytesPerUnit > 0.0 ? tStart + static_cast<REFERENCE_TIME>(llround(cbSample / dBytesPerUnit)) : tStart;
    }
    pPiece->m_lOffset = static_cast<long>(llOffset);
    pPiece->m_cbLength = static_cast<long>(llEnd - llOffset);
    pPiece->m_tStart = Between(tStart, tStop, llOffset, cbSample);
    pPiece->m_tStop = llEnd == cbSample ? tStop : Between(tStart, tStop, llEnd, cbSample);
    return true;
}
