#include "MediaType.h"

#include <string.h>

void FreeMediaTypeContents(AM_MEDIA_TYPE& mt)
{
    if (mt.pbFormat)
        CoTaskMemFree(mt.pbFormat);
    if (mt.pUnk)
        mt.pUnk->Release();
    ZeroMemory(&mt, sizeof(mt));
}

HRESULT CopyMediaTypeTo(AM_MEDIA_TYPE* pDst, const AM_MEDIA_TYPE& src)
{
    if (!pDst)
        return E_POINTER;
    *pDst = src;
    pDst->pbFormat = nullptr;
    pDst->cbFormat = 0;
    if (src.cbFormat && src.pbFormat)
    {
        pDst->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src.cbFormat));
        if (!pDst->pbFormat)
        {
            ZeroMemory(pDst, sizeof(*pDst));
            return E_OUTOFMEMORY;
        }
        memcpy(pDst->pbFormat, src.pbFormat, src.cbFormat);
        pDst->cbFormat = src.cbFormat;
    }
    if (pDst->pUnk)
        pDst->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& src)
{
    AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!pmt)
        return nullptr;
    if (FAILED(CopyMediaTypeTo(pmt, src)))
    {
        CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

void DeleteMediaTypeBlock(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaTypeContents(*pmt);
    CoTaskMemFree(pmt);
}

bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b)
{
    if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype)
        return false;
    if (a.cbFormat != b.cbFormat)
        return false;
    return a.cbFormat == 0 || memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

bool MediaTypeIsFullySpecified(const AM_MEDIA_TYPE& mt)
{
    return mt.majortype != GUID_NULL && mt.subtype != GUID_NULL && mt.formattype != GUID_NULL;
}

CMediaType::CMediaType()
{
    ZeroMemory(&m_mt, sizeof(m_mt));
}

CMediaType::CMediaType(const CMediaType& other)
{
    ZeroMemory(&m_mt, sizeof(m_mt));
    CopyMediaTypeTo(&m_mt, other.m_mt);
}

CMediaType& CMediaType::operator=(const CMediaType& other)
{
    if (this != &other)
        Set(other.m_mt);
    return *this;
}

CMediaType::~CMediaType()
{
    FreeMediaTypeContents(m_mt);
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& mt)
{
    AM_MEDIA_TYPE copy;
    HRESULT hr = CopyMediaTypeTo(&copy, mt);
    if (FAILED(hr))
        return hr;
    FreeMediaTypeContents(m_mt);
    m_mt = copy;
    return S_OK;
}

void CMediaType::Clear()
{
    FreeMediaTypeContents(m_mt);
}

BYTE* CMediaType::AllocFormat(ULONG cb)
{
    if (m_mt.pbFormat)
        CoTaskMemFree(m_mt.pbFormat);
    m_mt.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(cb));
    m_mt.cbFormat = m_mt.pbFormat ? cb : 0;
    if (m_mt.pbFormat)
        ZeroMemory(m_mt.pbFormat, cb);
    return m_mt.pbFormat;
}
