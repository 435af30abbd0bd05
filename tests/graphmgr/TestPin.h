// Pin of the test filter. Its lifetime is the filter's: AddRef/Release go to the filter.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>

class CTestPin final : public IPin
{
public:
    CTestPin(IBaseFilter* pFilter, PIN_DIRECTION dir, const wchar_t* pszName, const wchar_t* pszId);
    ~CTestPin();
    CTestPin(const CTestPin&) = delete;
    CTestPin& operator=(const CTestPin&) = delete;

    const std::wstring& Id() const { return m_strId; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** ppPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR* pszId) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

private:
    void SetConnection(IPin* pPeer, const AM_MEDIA_TYPE& mt);

    IBaseFilter* m_pFilter;  // not counted: the filter owns the pin
    PIN_DIRECTION m_dir;
    std::wstring m_strName;
    std::wstring m_strId;
    IPin* m_pPeer = nullptr;
    AM_MEDIA_TYPE m_mt = {};
};
