#include "RunSwitch.h"

#include <new>

#include "ModuleState.h"

const wchar_t kRunSwitchKey[] = L"Software\\StandIns\\GraphManager";
const wchar_t kRunResultValue[] = L"RunResult";

bool ReadRunResultSwitch(HKEY hRoot, const wchar_t* pszSubKey, HRESULT* phr)
{
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD cbValue = sizeof(dwValue);
    if (RegGetValueW(hRoot, pszSubKey, kRunResultValue, RRF_RT_ANY, &dwType, &dwValue, &cbValue) != ERROR_SUCCESS ||
        dwType != REG_DWORD || cbValue != sizeof(dwValue))
        return false;
    *phr = static_cast<HRESULT>(dwValue);
    return true;
}

HRESULT CSwitchedMediaControl::Create(IUnknown* pOuter, IMediaControl* pControl, void** ppv)
{
    CSwitchedMediaControl* pTearOff = new (std::nothrow) CSwitchedMediaControl(pOuter, pControl);
    if (!pTearOff)
    {
        pControl->Release();
        return E_OUTOFMEMORY;
    }
    *ppv = static_cast<IMediaControl*>(pTearOff);
    return S_OK;
}

CSwitchedMediaControl::CSwitchedMediaControl(IUnknown* pOuter, IMediaControl* pControl)
    : m_pOuter(pOuter), m_pControl(pControl)
{
    ModuleObjectCreated();
}

CSwitchedMediaControl::~CSwitchedMediaControl()
{
    ModuleObjectDestroyed();
}

STDMETHODIMP CSwitchedMediaControl::QueryInterface(REFIID riid, void** ppv)
{
    return m_pOuter->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CSwitchedMediaControl::AddRef()
{
    InterlockedIncrement(&m_lRef);
    return m_pControl->AddRef();
}

STDMETHODIMP_(ULONG) CSwitchedMediaControl::Release()
{
    if (InterlockedDecrement(&m_lRef) != 0)
        return m_pControl->Release();
    IMediaControl* pControl = m_pControl;
    delete this;
    return pControl->Release();
}

STDMETHODIMP CSwitchedMediaControl::GetTypeInfoCount(UINT* pctinfo)
{
    return m_pControl->GetTypeInfoCount(pctinfo);
}

STDMETHODIMP CSwitchedMediaControl::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo)
{
    return m_pControl->GetTypeInfo(iTInfo, lcid, ppTInfo);
}

STDMETHODIMP CSwitchedMediaControl::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                  DISPID* rgDispId)
{
    return m_pControl->GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
}

STDMETHODIMP CSwitchedMediaControl::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                           UINT* puArgErr)
{
    return m_pControl->Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}

STDMETHODIMP CSwitchedMediaControl::Run()
{
    // Read again at every Run: the test may change or remove the switch at any time.
    HRESULT hrSwitch = S_OK;
    const bool bSwitched = ReadRunResultSwitch(HKEY_CURRENT_USER, kRunSwitchKey, &hrSwitch);
    if (bSwitched && FAILED(hrSwitch))
        return hrSwitch;
    HRESULT hr = m_pControl->Run();
    if (FAILED(hr) || !bSwitched)
        return hr;
    return hrSwitch;
}

STDMETHODIMP CSwitchedMediaControl::Pause()
{
    return m_pControl->Pause();
}

STDMETHODIMP CSwitchedMediaControl::Stop()
{
    return m_pControl->Stop();
}

STDMETHODIMP CSwitchedMediaControl::GetState(LONG msTimeout, OAFilterState* pfs)
{
    return m_pControl->GetState(msTimeout, pfs);
}

STDMETHODIMP CSwitchedMediaControl::RenderFile(BSTR strFilename)
{
    return m_pControl->RenderFile(strFilename);
}

STDMETHODIMP CSwitchedMediaControl::AddSourceFilter(BSTR strFilename, IDispatch** ppUnk)
{
    return m_pControl->AddSourceFilter(strFilename, ppUnk);
}

STDMETHODIMP CSwitchedMediaControl::get_FilterCollection(IDispatch** ppUnk)
{
    return m_pControl->get_FilterCollection(ppUnk);
}

STDMETHODIMP CSwitchedMediaControl::get_RegFilterCollection(IDispatch** ppUnk)
{
    return m_pControl->get_RegFilterCollection(ppUnk);
}

STDMETHODIMP CSwitchedMediaControl::StopWhenReady()
{
    return m_pControl->StopWhenReady();
}
