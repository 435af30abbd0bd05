// A reference-holding interface pointer for the stand-in filters: releases on
// destruction and reassignment, empty means null.
#pragma once

#include <objbase.h>

template <class T>
class CIfacePtr
{
public:
    CIfacePtr() : m_p(nullptr) {}
    CIfacePtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    CIfacePtr(const CIfacePtr& other) : m_p(other.m_p) { if (m_p) m_p->AddRef(); }
    ~CIfacePtr() { Release(); }

    CIfacePtr& operator=(T* p)
    {
        if (p) p->AddRef();
        T* pOld = m_p;
        m_p = p;
        if (pOld) pOld->Release();
        return *this;
    }
    CIfacePtr& operator=(const CIfacePtr& other) { return *this = other.m_p; }

    operator T*() const { return m_p; }
    T* operator->() const { return m_p; }
    // Only for out-parameters: the pointer must be empty first, so nothing leaks.
    T** operator&() { Release(); return &m_p; }
    T* Get() const { return m_p; }

    // Empties the pointer before releasing, so a release that re-enters sees it empty.
    void Release()
    {
        T* p = m_p;
        m_p = nullptr;
        if (p) p->Release();
    }
    void Attach(T* p) { Release(); m_p = p; }
    T* Detach() { T* p = m_p; m_p = nullptr; return p; }
    HRESULT CopyTo(T** pp) const
    {
        if (!pp) return E_POINTER;
        *pp = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }
    HRESULT QueryFrom(IUnknown* pUnk) { return QueryFrom(pUnk, __uuidof(T)); }
    // For interfaces whose headers carry no compiler-visible identifier.
    HRESULT QueryFrom(IUnknown* pUnk, REFIID riid)
    {
        Release();
        if (!pUnk) return E_POINTER;
        return pUnk->QueryInterface(riid, reinterpret_cast<void**>(&m_p));
    }

private:
    T* m_p;
};
