#include "KitPassPins.h"

// ---- input pin ----

CKitPassInputPin::CKitPassInputPin(CKitFilter* pFilter, LPCWSTR pszName, CKitPassOutputPin* pOut,
                                   PFN_KIT_CARRIES pfnCarries)
    : CKitInputPin(pFilter, pszName), m_pOut(pOut), m_pfnCarries(pfnCarries)
{
}

HRESULT CKitPassInputPin::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (m_pfnCarries && !m_pfnCarries(mt))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (m_pOut->IsConnected() && !MediaTypesEqual(mt, m_pOut->ConnectedType().Get()))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CKitPassInputPin::GetMediaType(int, CMediaType*)
{
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT CKitPassInputPin::OnEndOfStream()
{
    return m_pOut->IsConnected() ? m_pOut->DeliverEndOfStream() : S_OK;
}

HRESULT CKitPassInputPin::OnBeginFlush()
{
    return m_pOut->IsConnected() ? m_pOut->DeliverBeginFlush() : S_OK;
}

HRESULT CKitPassInputPin::OnEndFlush()
{
    return m_pOut->IsConnected() ? m_pOut->DeliverEndFlush() : S_OK;
}

HRESULT CKitPassInputPin::OnNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    return m_pOut->IsConnected() ? m_pOut->DeliverNewSegment(tStart, tStop, dRate) : S_OK;
}

// ---- output pin ----

CKitPassOutputPin::CKitPassOutputPin(CKitFilter* pFilter, LPCWSTR pszName, CKitPassInputPin* pIn,
                                     PFN_KIT_CARRIES pfnCarries)
    : CKitOutputPin(pFilter, pszName), m_pIn(pIn), m_pfnCarries(pfnCarries)
{
}

HRESULT CKitPassOutputPin::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (!m_pIn->IsConnected())
        return !m_pfnCarries || m_pfnCarries(mt) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    return MediaTypesEqual(mt, m_pIn->ConnectedType().Get()) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CKitPassOutputPin::GetMediaType(int iIndex, CMediaType* pmt)
{
    if (iIndex != 0 || !m_pIn->IsConnected())
        return VFW_S_NO_MORE_ITEMS;
    return pmt->Set(m_pIn->ConnectedType().Get());
}
