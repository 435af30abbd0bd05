// Reference-counting holder for one COM interface pointer.
#pragma once

#include <objbase.h>

#include "atl/AtlTrace.h"

template <class T>
class CComPtr
{
public:
    CComPtr() : p(nullptr) {}
    CComPtr(T* lp) : p(lp)
    {
        if (p)
            p->AddRef();
    }
    CComPtr(const CComPtr& other) : CComPtr(other.p) {}
    ~CComPtr()
    {
        if (p)
            p->Release();
    }

    CComPtr& operator=(T* lp)
    {
        if (lp != p)
        {
            if (lp)
                lp->AddRef();
            T* pOld = p;
            p = lp;
            if (pOld)
                pOld->Release();
        }
        return *this;
    }
    // operator=(T*) leaves the holder alone when given the pointer it already holds.
    // NOLINTNEXTLINE(bugprone-unhandled-self-assignment)
    CComPtr& operator=(const CComPtr& other) { return *this = other.p; }

    operator T*() const { return p; }
    T* operator->() const
    {
        ATLASSERT(p != nullptr);
        return p;
    }
    // Only an empty holder may be filled through its address.
    T** operator&()
    {
        ATLASSERT(p == nullptr);
        return &p;
    }
    bool operator!() const { return p == nullptr; }

    // Empties the holder before the interface is released, so that a release that
    // re-enters the owner never finds a dangling pointer.
    void Release()
    {
        T* pOld = p;
        if (pOld)
        {
            p = nullptr;
            pOld->Release();
        }
    }

    void Attach(T* lp)
    {
        Release();
        p = lp;
    }
    T* Detach()
    {
        T* pOld = p;
        p = nullptr;
        return pOld;
    }
    // Hands out a new reference (or null) through an out-parameter.
    HRESULT CopyTo(T** pp) const
    {
        if (!pp)
            return E_POINTER;
        *pp = p;
        if (p)
            p->AddRef();
        return S_OK;
    }

    HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pOuter = nullptr,
                             DWORD dwClsContext = CLSCTX_ALL)
    {
        return CoCreateInstance(rclsid, pOuter, dwClsContext, __uuidof(T));
    }
    HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pOuter, DWORD dwClsContext, REFIID riid)
    {
        ATLASSERT(p == nullptr);
        return ::CoCreateInstance(rclsid, pOuter, dwClsContext, riid, reinterpret_cast<void**>(&p));
    }

    template <class Q>
    HRESULT QueryInterface(Q** pp) const
    {
        ATLASSERT(pp != nullptr && *pp == nullptr);
        if (!p)
            return E_POINTER;
        return p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp));
    }

    // For interfaces whose headers give no compile-time identifier.
    template <class Q>
    HRESULT QueryInterface(REFIID riid, Q** pp) const
    {
        ATLASSERT(pp != nullptr && *pp == nullptr);
        if (!p)
            return E_POINTER;
        return p->QueryInterface(riid, reinterpret_cast<void**>(pp));
    }

    T* p;
};
