// A filter for exercising the graph manager, made from the stand-in filters' kit (CKitFilter
// and its pins): one output pin and one input pin, a few
// persisted bytes of its own (IPersistStream), a reference clock, and a target file name
// (IFileSinkFilter; no file is ever written). It is registered
// for this process only (CoRegisterClassObject), so the graph manager creates it by class
// id like any filter while nothing is written to the registry.
//
// Pin names and ids differ on purpose ("Out"/"pin-out", "In"/"pin-in"): saved graphs name
// pins by QueryPinInfo name, and a loader matching ids only would miss them.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <vector>

// {6B0E1C36-3F0A-4F57-9F3C-5A1D2E7B9C01}
inline constexpr GUID CLSID_GrfTestFilter = {0x6b0e1c36, 0x3f0a, 0x4f57, {0x9f, 0x3c, 0x5a, 0x1d, 0x2e, 0x7b, 0x9c, 0x01}};
// The input pin refuses connections with this subtype, with VFW_E_TYPE_NOT_ACCEPTED.
// {6B0E1C36-3F0A-4F57-9F3C-5A1D2E7B9CFF}
inline constexpr GUID MEDIASUBTYPE_GrfTestRefused = {0x6b0e1c36, 0x3f0a, 0x4f57, {0x9f, 0x3c, 0x5a, 0x1d, 0x2e, 0x7b, 0x9c, 0xff}};

// The filter's persisted form is a 4-byte little-endian count followed by that many bytes
// of configuration. Load returns E_INVALIDARG when the stream holds less than the count.
const HRESULT kGrfTestFilterBadData = E_INVALIDARG;

HRESULT RegisterGrfTestFilter(DWORD* pdwCookie);
void RevokeGrfTestFilter(DWORD dwCookie);

// Number of test filter objects alive in this process.
LONG GrfTestFilterCount();

// The filter's configuration bytes in their persisted form.
std::vector<BYTE> GrfTestFilterData(const std::vector<BYTE>& vecConfig);

// RGB32 video, 64x48, with a VIDEOINFOHEADER format block (88 bytes): the type the output
// pin offers when a connection asks for none.
AM_MEDIA_TYPE GrfTestVideoType(VIDEOINFOHEADER* pvih);
