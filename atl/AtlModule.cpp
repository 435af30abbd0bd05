#include "atl/AtlModule.h"

// The name under which the linker provides the image's own header.
// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" IMAGE_DOS_HEADER __ImageBase;

// The framework's objects are built before any module object of the program (which has
// the default priority), whatever the link order.
__attribute__((init_priority(200))) CAtlWinModule _AtlWinModule;
__attribute__((init_priority(201))) CAtlBaseModule _AtlBaseModule;
__attribute__((init_priority(202))) CAtlComModule _AtlComModule;
CAtlModule* _pAtlModule = nullptr;

CAtlWinModule::CAtlWinModule() : m_pCreateWndList(nullptr), m_bInit(true)
{
    ::InitializeCriticalSection(&m_csWindowCreate);
}

CAtlWinModule::~CAtlWinModule()
{
    Term(nullptr);
}

void CAtlWinModule::AddCreateWndData(_AtlCreateWndData* pData, void* pObject)
{
    pData->m_pThis = pObject;
    pData->m_dwThreadID = ::GetCurrentThreadId();
    ::EnterCriticalSection(&m_csWindowCreate);
    pData->m_pNext = m_pCreateWndList;
    m_pCreateWndList = pData;
    ::LeaveCriticalSection(&m_csWindowCreate);
}

void* CAtlWinModule::ExtractCreateWndData()
{
    void* pObject = nullptr;
    DWORD dwThreadID = ::GetCurrentThreadId();
    ::EnterCriticalSection(&m_csWindowCreate);
    for (_AtlCreateWndData** ppEntry = &m_pCreateWndList; *ppEntry; ppEntry = &(*ppEntry)->m_pNext)
    {
        if ((*ppEntry)->m_dwThreadID == dwThreadID)
        {
            pObject = (*ppEntry)->m_pThis;
            *ppEntry = (*ppEntry)->m_pNext;
            break;
        }
    }
    ::LeaveCriticalSection(&m_csWindowCreate);
    return pObject;
}

void CAtlWinModule::RemoveCreateWndData(_AtlCreateWndData* pData)
{
    ::EnterCriticalSection(&m_csWindowCreate);
    for (_AtlCreateWndData** ppEntry = &m_pCreateWndList; *ppEntry; ppEntry = &(*ppEntry)->m_pNext)
    {
        if (*ppEntry == pData)
        {
            *ppEntry = pData->m_pNext;
            break;
        }
    }
    ::LeaveCriticalSection(&m_csWindowCreate);
}

void CAtlWinModule::Term(HINSTANCE hInstance)
{
    (void)hInstance;
    if (!m_bInit)
        return;
    m_pCreateWndList = nullptr;
    ::DeleteCriticalSection(&m_csWindowCreate);
    m_bInit = false;
}

CAtlBaseModule::CAtlBaseModule()
    : m_hInst(reinterpret_cast<HINSTANCE>(&__ImageBase)),
      m_hInstResource(reinterpret_cast<HINSTANCE>(&__ImageBase))
{
}

CAtlModule::CAtlModule() : m_nLockCnt(0)
{
    // A program has exactly one module object.
    ATLASSERT(_pAtlModule == 0);
    _pAtlModule = this;
    ::InitializeCriticalSection(&m_csStaticDataInitAndTypeInfo);
}

CAtlModule::~CAtlModule()
{
    ::DeleteCriticalSection(&m_csStaticDataInitAndTypeInfo);
    if (_pAtlModule == this)
        _pAtlModule = nullptr;
}
