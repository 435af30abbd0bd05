// A switch that tests set in the registry to choose what the graph's Run answers, as the
// user sees it when pressing Play. While it is set, IMediaControl comes as a tear-off that
// answers Run with the chosen code: a failure without running the graph, a success after
// running it. Absent, the system graph's own IMediaControl is handed out as always.
#pragma once

#include "DShowTypes.h"

extern const wchar_t kRunSwitchKey[];      // under HKEY_CURRENT_USER
extern const wchar_t kRunResultValue[];

// True, with the code in *phr, while the switch holds a REG_DWORD.
bool ReadRunResultSwitch(HKEY hRoot, const wchar_t* pszSubKey, HRESULT* phr);

class CSwitchedMediaControl final : public IMediaControl
{
public:
    // pOuter is the graph manager (queries go back to it); pControl the system graph's
    // interface, whose reference the tear-off takes over.
    static HRESULT Create(IUnknown* pOuter, IMediaControl* pControl, void** ppv);

    // IUnknown: every reference counts on the graph manager as well.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IMediaControl
    STDMETHODIMP Run() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP GetState(LONG msTimeout, OAFilterState* pfs) override;
    STDMETHODIMP RenderFile(BSTR strFilename) override;
    STDMETHODIMP AddSourceFilter(BSTR strFilename, IDispatch** ppUnk) override;
    STDMETHODIMP get_FilterCollection(IDispatch** ppUnk) override;
    STDMETHODIMP get_RegFilterCollection(IDispatch** ppUnk) override;
    STDMETHODIMP StopWhenReady() override;

private:
    CSwitchedMediaControl(IUnknown* pOuter, IMediaControl* pControl);
    ~CSwitchedMediaControl();
    CSwitchedMediaControl(const CSwitchedMediaControl&) = delete;
    CSwitchedMediaControl& operator=(const CSwitchedMediaControl&) = delete;

    LONG m_lRef = 1;
    IUnknown* m_pOuter;          // kept alive by m_pControl's reference
    IMediaControl* m_pControl;   // one reference, counting on the graph manager
};
