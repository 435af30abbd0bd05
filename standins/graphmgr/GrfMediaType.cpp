#include "GrfMediaType.h"

void MediaTypeToDesc(const AM_MEDIA_TYPE& mt, CGrfMediaTypeDesc& desc)
{
    desc.m_guidMajor = mt.majortype;
    desc.m_guidSub = mt.subtype;
    desc.m_bFixedSize = mt.bFixedSizeSamples != FALSE;
    desc.m_bTemporalCompression = mt.bTemporalCompression != FALSE;
    desc.m_dwSampleSize = mt.lSampleSize;
    desc.m_guidFormat = mt.formattype;
    if (mt.pbFormat && mt.cbFormat)
        desc.m_vecFormat.assign(mt.pbFormat, mt.pbFormat + mt.cbFormat);
    else
        desc.m_vecFormat.clear();
}

AM_MEDIA_TYPE MediaTypeFromDesc(const CGrfMediaTypeDesc& desc)
{
    AM_MEDIA_TYPE mt = {};
    mt.majortype = desc.m_guidMajor;
    mt.subtype = desc.m_guidSub;
    mt.bFixedSizeSamples = desc.m_bFixedSize;
    mt.bTemporalCompression = desc.m_bTemporalCompression;
    mt.lSampleSize = desc.m_dwSampleSize;
    mt.formattype = desc.m_guidFormat;
    mt.cbFormat = static_cast<ULONG>(desc.m_vecFormat.size());
    // Pins copy the type they are given, so lending our buffer is enough.
    mt.pbFormat = mt.cbFormat ? const_cast<BYTE*>(desc.m_vecFormat.data()) : nullptr;
    return mt;
}

void FreeMediaTypeFields(AM_MEDIA_TYPE& mt)
{
    if (mt.pbFormat)
        CoTaskMemFree(mt.pbFormat);
    mt.pbFormat = nullptr;
    mt.cbFormat = 0;
    if (mt.pUnk)
        mt.pUnk->Release();
    mt.pUnk = nullptr;
}
