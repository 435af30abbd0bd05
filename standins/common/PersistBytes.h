// Bytes in and out of an object's IPersistStream, through a stream in memory: how the
// graph manager stand-in hands filters their saved data and keeps what they save, how the
// fixtures configure their filters, and how the tests and the benchmark read and write
// graphs and records.
#pragma once

#include <objidl.h>

#include <vector>

// A new stream in memory holding the bytes, positioned at its start.
HRESULT StreamOnBytes(const BYTE* pb, ULONG cb, IStream** ppStream);
// Gives the object the bytes through its IPersistStream::Load; the query's failure
// (E_NOINTERFACE) when it has no IPersistStream.
HRESULT LoadFromBytes(IUnknown* pObject, const BYTE* pb, ULONG cb);
inline HRESULT LoadFromBytes(IUnknown* pObject, const std::vector<BYTE>& vecBytes)
{
    return LoadFromBytes(pObject, vecBytes.data(), static_cast<ULONG>(vecBytes.size()));
}
// What the object's IPersistStream::Save writes; the query's failure (E_NOINTERFACE) when
// it has no IPersistStream. *pvecBytes is only written on success.
HRESULT SaveToBytes(IUnknown* pObject, BOOL fClearDirty, std::vector<BYTE>* pvecBytes);
