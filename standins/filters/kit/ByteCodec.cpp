#include "ByteCodec.h"

#include <string.h>

void CByteWriter::PutBytes(const void* pv, size_t cb)
{
    if (m_bOverflow || m_cbBuffer - m_cbUsed < cb)
    {
        m_bOverflow = true;
        return;
    }
    memcpy(m_pBuffer + m_cbUsed, pv, cb);
    m_cbUsed += cb;
}

void CByteWriter::PutDword(DWORD dw)
{
    BYTE rgb[4] = {static_cast<BYTE>(dw), static_cast<BYTE>(dw >> 8), static_cast<BYTE>(dw >> 16),
                   static_cast<BYTE>(dw >> 24)};
    PutBytes(rgb, sizeof(rgb));
}

void CByteWriter::PutDouble(double d)
{
    // IEEE 754 binary64; the target is little-endian, so the bytes go out as they lie.
    PutBytes(&d, sizeof(d));
}

bool CByteReader::GetBytes(void* pv, size_t cb)
{
    if (m_bUnderflow || m_cbBuffer - m_cbRead < cb)
    {
        m_bUnderflow = true;
        memset(pv, 0, cb);
        return false;
    }
    memcpy(pv, m_pBuffer + m_cbRead, cb);
    m_cbRead += cb;
    return true;
}

DWORD CByteReader::GetDword()
{
    BYTE rgb[4];
    GetBytes(rgb, sizeof(rgb));
    return static_cast<DWORD>(rgb[0]) | (static_cast<DWORD>(rgb[1]) << 8)
           | (static_cast<DWORD>(rgb[2]) << 16) | (static_cast<DWORD>(rgb[3]) << 24);
}

double CByteReader::GetDouble()
{
    double d = 0.0;
    GetBytes(&d, sizeof(d));
    return d;
}
