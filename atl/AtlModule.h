// Module objects: the process's one module, the executable's instance, and the list that
// hands a dialog object to the first message of its window.
#pragma once

#include <objbase.h>
#include <windows.h>

#include "atl/AtlTrace.h"

// One pending window creation: the object waiting for its window on a given thread.
// The node lives inside the object, so recording it can never fail.
// The module layer's fixed name; no run-time header declares it.
// NOLINTNEXTLINE(bugprone-reserved-identifier)
struct _AtlCreateWndData
{
    void* m_pThis;
    DWORD m_dwThreadID;
    _AtlCreateWndData* m_pNext;
};

class CAtlWinModule
{
public:
    CAtlWinModule();
    ~CAtlWinModule();
    CAtlWinModule(const CAtlWinModule&) = delete;
    CAtlWinModule& operator=(const CAtlWinModule&) = delete;

    void AddCreateWndData(_AtlCreateWndData* pData, void* pObject);
    // Takes out the calling thread's pending object, or returns null.
    void* ExtractCreateWndData();
    // Drops a pending record that no window ever took (the window could not be created).
    void RemoveCreateWndData(_AtlCreateWndData* pData);
    // Ends the window module: no window class was registered through it, so this only
    // empties the creation list and deletes the lock.
    void Term(HINSTANCE hInstance);
    bool IsTerminated() const { return !m_bInit; }

private:
    CRITICAL_SECTION m_csWindowCreate;
    _AtlCreateWndData* m_pCreateWndList;
    bool m_bInit;
};

class CAtlBaseModule
{
public:
    CAtlBaseModule();
    HINSTANCE GetModuleInstance() const { return m_hInst; }
    HINSTANCE GetResourceInstance() const { return m_hInstResource; }

private:
    HINSTANCE m_hInst;
    HINSTANCE m_hInstResource;
};

class CAtlComModule
{
};

class CAtlModule
{
public:
    CAtlModule();
    virtual ~CAtlModule();
    CAtlModule(const CAtlModule&) = delete;
    CAtlModule& operator=(const CAtlModule&) = delete;

    virtual LONG Lock() { return ::InterlockedIncrement(&m_nLockCnt); }
    virtual LONG Unlock() { return ::InterlockedDecrement(&m_nLockCnt); }
    virtual LONG GetLockCount() { return m_nLockCnt; }

protected:
    LONG m_nLockCnt;
    CRITICAL_SECTION m_csStaticDataInitAndTypeInfo;
};

template <class T>
class CAtlModuleT : public CAtlModule
{
};

template <class T>
class CAtlExeModuleT : public CAtlModuleT<T>
{
public:
    CAtlExeModuleT() : m_dwMainThreadID(::GetCurrentThreadId()) {}

    static HRESULT InitializeCom() { return ::CoInitialize(nullptr); }
    static void UninitializeCom() { ::CoUninitialize(); }

    DWORD m_dwMainThreadID;
};

// The module layer's fixed names for its process-wide objects; no run-time header declares
// any of them.
extern CAtlWinModule _AtlWinModule;    // NOLINT(bugprone-reserved-identifier): see above
extern CAtlBaseModule _AtlBaseModule;  // NOLINT(bugprone-reserved-identifier): see above
extern CAtlComModule _AtlComModule;    // NOLINT(bugprone-reserved-identifier): see above
extern CAtlModule* _pAtlModule;        // NOLINT(bugprone-reserved-identifier): see above
