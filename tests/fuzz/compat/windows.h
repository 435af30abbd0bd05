// The few Windows types and macros the graph text reader, writer and the test texts use,
// so that they build natively for fuzzing. Layouts match the Windows ones; nothing here
// reaches the Windows build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

typedef std::uint8_t BYTE;
typedef std::uint32_t DWORD;
typedef std::int32_t HRESULT;

struct GUID
{
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
typedef GUID CLSID;

inline bool IsEqualGUID(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

#define S_OK static_cast<HRESULT>(0)
#define S_FALSE static_cast<HRESULT>(1)
#define E_INVALIDARG static_cast<HRESULT>(0x80070057u)
