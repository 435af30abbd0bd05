// Reference-counting holder for one COM interface pointer, for the viewer's own code.
#pragma once

#include <objbase.h>

template <class T>
class CComHolder
{
public:
    CComHolder() : m_p(nullptr) {}
    CComHolder(const CComHolder& other) : m_p(other.m_p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ~CComHolder() { Release(); }

    CComHolder& operator=(const CComHolder& other)
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

    // Out-parameter access: whatever was held is released first, so the callee fills an
    // empty holder and nothing leaks when a holder is reused in a loop.
    T** Receive()
    {
        Release();
        return &m_p;
    }

    template <class Q>
    HRESULT QueryInto(CComHolder<Q>& target) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(target.Receive()));
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p;
};
