// Owns one reference to a COM interface pointer.
#pragma once

#include <objbase.h>

template <class T>
class CComRef
{
public:
    CComRef() = default;
    CComRef(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    CComRef(const CComRef& other) : CComRef(other.m_p) {}
    ~CComRef() { Release(); }

    CComRef& operator=(const CComRef& other)
    {
        if (other.m_p)
            other.m_p->AddRef();
        Release();
        m_p = other.m_p;
        return *this;
    }

    void Release()
    {
        T* p = m_p;
        m_p = nullptr;
        if (p)
            p->Release();
    }

    // Takes over a reference the caller already holds.
    void Attach(T* p)
    {
        Release();
        m_p = p;
    }

    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

    // For out parameters: drops what is held so the callee can fill it.
    T** operator&()
    {
        Release();
        return &m_p;
    }

    template <class Q>
    HRESULT QueryInterface(CComRef<Q>& spOut) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(&spOut));
    }

    operator T*() const { return m_p; }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};
