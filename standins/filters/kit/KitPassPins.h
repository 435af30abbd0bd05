// A pass-through pair of pins: what reaches the input goes on through the output, in the
// type the input carries. The stand-ins that sit between two filters (the synchronizer's
// video and audio pairs, the measuring tap) differ only in what they do with a sample.
#pragma once

#include "KitPins.h"

// Whether a pair can carry a type at all; null: any type.
typedef bool (*PFN_KIT_CARRIES)(const AM_MEDIA_TYPE& mt);

class CKitPassOutputPin;

class CKitPassInputPin : public CKitInputPin
{
public:
    CKitPassInputPin(CKitFilter* pFilter, LPCWSTR pszName, CKitPassOutputPin* pOut, PFN_KIT_CARRIES pfnCarries);

    // A type the pair carries and, with the output already connected, the output's type.
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    // Takes what upstream offers; proposes nothing of its own.
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override;

protected:
    // End of stream, flushes and segments go on to the output when it is connected.
    HRESULT OnEndOfStream() override;
    HRESULT OnBeginFlush() override;
    HRESULT OnEndFlush() override;
    HRESULT OnNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

private:
    CKitPassOutputPin* m_pOut;
    PFN_KIT_CARRIES m_pfnCarries;
};

class CKitPassOutputPin : public CKitOutputPin
{
public:
    CKitPassOutputPin(CKitFilter* pFilter, LPCWSTR pszName, CKitPassInputPin* pIn, PFN_KIT_CARRIES pfnCarries);

    // The input's type once it is connected. A saved graph may restore the output's link
    // first: then any type the pair carries will do, and the input must match it later.
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    // The input's type, once it is connected.
    HRESULT GetMediaType(int iIndex, CMediaType* pmt) override;

private:
    CKitPassInputPin* m_pIn;
    PFN_KIT_CARRIES m_pfnCarries;
};
