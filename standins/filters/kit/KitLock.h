// Holds a critical section for the life of a scope.
#pragma once

#include <windows.h>

class CLock
{
public:
    explicit CLock(CRITICAL_SECTION* pcs) : m_pcs(pcs) { EnterCriticalSection(m_pcs); }
    ~CLock() { LeaveCriticalSection(m_pcs); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CRITICAL_SECTION* m_pcs;
};
