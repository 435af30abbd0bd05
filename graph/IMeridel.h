// Contract of the A/V synchronizer filter: its class, its control interface and the
// method slots this tool calls. The filter is an outside component; the tool finds it
// inside a loaded graph and never creates it.
#pragma once

#include <objbase.h>

// {30A7CA50-ADC8-42AE-A482-F33468132C52}
DEFINE_GUID(CLSID_Meridel, 0x30a7ca50, 0xadc8, 0x42ae, 0xa4, 0x82, 0xf3, 0x34, 0x68, 0x13, 0x2c, 0x52);

// {945E6EA7-C76D-45CB-BDB0-AD209C29874B}
DEFINE_GUID(IID_IMeridel, 0x945e6ea7, 0xc76d, 0x45cb, 0xbd, 0xb0, 0xad, 0x20, 0x9c, 0x29, 0x87, 0x4b);

// Slots 3 to 9 belong to the filter and are never called from here; they only hold the
// two property methods at slots 10 and 11.
struct IMeridel : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;

    // Maximum duration of the filter's audio samples, in seconds.
    virtual HRESULT STDMETHODCALLTYPE SetMaxAudioSampleDuration(double dSeconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxAudioSampleDuration(double* pdSeconds) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IMeridel, 0x945e6ea7, 0xc76d, 0x45cb, 0xbd, 0xb0, 0xad, 0x20, 0x9c, 0x29, 0x87, 0x4b)
#endif
