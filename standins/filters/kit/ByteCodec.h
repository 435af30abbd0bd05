// Little-endian packing of the fixed-size records the filters persist. Plain code, so
// the record layouts can be checked byte by byte.
#pragma once

#include <windows.h>

#include <stddef.h>

class CByteWriter
{
public:
    CByteWriter(BYTE* pBuffer, size_t cbBuffer) : m_pBuffer(pBuffer), m_cbBuffer(cbBuffer), m_cbUsed(0), m_bOverflow(false) {}

    void PutDword(DWORD dw);
    void PutLong(LONG l) { PutDword(static_cast<DWORD>(l)); }
    void PutDouble(double d);
    size_t Used() const { return m_cbUsed; }
    // False once anything did not fit.
    bool Ok() const { return !m_bOverflow; }

private:
    void PutBytes(const void* pv, size_t cb);

    BYTE* m_pBuffer;
    size_t m_cbBuffer;
    size_t m_cbUsed;
    bool m_bOverflow;
};

class CByteReader
{
public:
    CByteReader(const BYTE* pBuffer, size_t cbBuffer) : m_pBuffer(pBuffer), m_cbBuffer(cbBuffer), m_cbRead(0), m_bUnderflow(false) {}

    DWORD GetDword();
    LONG GetLong() { return static_cast<LONG>(GetDword()); }
    double GetDouble();
    size_t Read() const { return m_cbRead; }
    // False once a read ran past the end; the values read then are zero.
    bool Ok() const { return !m_bUnderflow; }

private:
    bool GetBytes(void* pv, size_t cb);

    const BYTE* m_pBuffer;
    size_t m_cbBuffer;
    size_t m_cbRead;
    bool m_bUnderflow;
};
