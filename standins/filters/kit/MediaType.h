// AM_MEDIA_TYPE ownership helpers and a value class that owns one media type.
#pragma once

#include <dshow.h>

// Frees the format block and the unknown a media type holds, leaving it zeroed.
void FreeMediaTypeContents(AM_MEDIA_TYPE& mt);
// Deep copy; on failure pDst is left zeroed.
HRESULT CopyMediaTypeTo(AM_MEDIA_TYPE* pDst, const AM_MEDIA_TYPE& src);
// A task-allocated deep copy, as enumerators hand out; null when out of memory.
AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& src);
// Frees a task-allocated media type and its contents.
void DeleteMediaTypeBlock(AM_MEDIA_TYPE* pmt);
// Same major type, subtype, format type and format bytes.
bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);
// Whether a type is complete enough to connect with as given (no wildcard parts).
bool MediaTypeIsFullySpecified(const AM_MEDIA_TYPE& mt);

class CMediaType
{
public:
    CMediaType();
    CMediaType(const CMediaType& other);
    CMediaType& operator=(const CMediaType& other);
    ~CMediaType();

    HRESULT Set(const AM_MEDIA_TYPE& mt);
    void Clear();
    bool IsEmpty() const { return m_mt.majortype == GUID_NULL; }
    const AM_MEDIA_TYPE& Get() const { return m_mt; }
    // Replaces the format block with cb zeroed bytes; null when out of memory.
    BYTE* AllocFormat(ULONG cb);
    AM_MEDIA_TYPE& Edit() { return m_mt; }

private:
    AM_MEDIA_TYPE m_mt;
};
