// Modal dialogs run from a template, with every message of the window routed through
// the object's message map.
#pragma once

#include <windows.h>

#include "atl/AtlModule.h"
#include "atl/AtlTrace.h"
#include "atl/AtlWin.h"

template <class TBase = CWindow>
class CDialogImplBaseT : public TBase, public CMessageMap
{
public:
    // The message being dispatched, so that nested dispatch can be told apart.
    // The dialog layer's fixed name; no run-time header declares it.
    // NOLINTNEXTLINE(bugprone-reserved-identifier)
    struct _AtlMsg
    {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    CDialogImplBaseT() : m_bModal(false), m_pCurrentMsg(nullptr), m_bDestroyed(false), m_createData() {}
    CDialogImplBaseT(const CDialogImplBaseT&) = delete;
    CDialogImplBaseT& operator=(const CDialogImplBaseT&) = delete;

    virtual ~CDialogImplBaseT()
    {
        if (this->m_hWnd)
        {
            ATLTRACE2(atlTraceWindowing, 0, L"ERROR - Object deleted before window was destroyed\n");
            ATLASSERT(this->m_hWnd == nullptr);
        }
    }

    virtual DLGPROC GetDialogProc() { return DialogProc; }
    virtual void OnFinalMessage(HWND hWnd) { (void)hWnd; }

    BOOL EndDialog(int nRetCode)
    {
        ATLASSERT(::IsWindow(this->m_hWnd));
        ATLASSERT(m_bModal);
        return ::EndDialog(this->m_hWnd, nRetCode);
    }

    // Receives the first message of the new window: binds the window to its object and
    // hands every later message straight to the dialog procedure.
    static INT_PTR CALLBACK StartDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CDialogImplBaseT* pThis = static_cast<CDialogImplBaseT*>(_AtlWinModule.ExtractCreateWndData());
        ATLASSERT(pThis != 0);
        if (!pThis)
            return 0;
        pThis->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pThis));
        DLGPROC pProc = pThis->GetDialogProc();
        LONG_PTR pOldProc = ::SetWindowLongPtrW(hWnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pProc));
        if (pOldProc != reinterpret_cast<LONG_PTR>(StartDialogProc))
            ATLTRACE2(atlTraceWindowing, 0, L"Subclassing through a hook discarded.\n");
        return pProc(hWnd, uMsg, wParam, lParam);
    }

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CDialogImplBaseT* pThis = reinterpret_cast<CDialogImplBaseT*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
        if (!pThis)
            return FALSE;
        _AtlMsg msg = {hWnd, uMsg, wParam, lParam};
        const _AtlMsg* pOldMsg = pThis->m_pCurrentMsg;
        pThis->m_pCurrentMsg = &msg;
        LRESULT lRes = 0;
        BOOL bRet = pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lRes, 0);
        ATLASSERT(pThis->m_pCurrentMsg == &msg);
        pThis->m_pCurrentMsg = pOldMsg;
        if (bRet)
        {
            // These messages answer through the procedure's own result, not DWLP_MSGRESULT.
            if (ReturnsResultDirectly(uMsg))
                return lRes;
            if (!pThis->m_bDestroyed)
                ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lRes);
        }
        else if (uMsg == WM_NCDESTROY)
        {
            pThis->m_bDestroyed = true;
        }
        if (pThis->m_bDestroyed && pThis->m_pCurrentMsg == nullptr)
        {
            HWND hWndThis = pThis->m_hWnd;
            pThis->m_hWnd = nullptr;
            pThis->m_bDestroyed = false;
            pThis->OnFinalMessage(hWndThis);
        }
        return bRet;
    }

    static bool ReturnsResultDirectly(UINT uMsg)
    {
        return uMsg == WM_INITDIALOG || uMsg == WM_COMPAREITEM || uMsg == WM_VKEYTOITEM ||
               uMsg == WM_CHARTOITEM || uMsg == WM_QUERYDRAGICON ||
               (uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC);
    }

    bool m_bModal;
    const _AtlMsg* m_pCurrentMsg;
    bool m_bDestroyed;
    _AtlCreateWndData m_createData;
};

template <class T, class TBase = CWindow>
class CDialogImpl : public CDialogImplBaseT<TBase>
{
public:
    typedef CDialogImplBaseT<TBase> _baseClass;

    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM dwInitParam = 0)
    {
        ATLASSERT(this->m_hWnd == 0);
        _AtlWinModule.AddCreateWndData(&this->m_createData, static_cast<_baseClass*>(this));
        this->m_bModal = true;
        INT_PTR nRet = ::DialogBoxParamW(_AtlBaseModule.GetResourceInstance(),
                                         MAKEINTRESOURCEW(T::IDD), hWndParent,
                                         _baseClass::StartDialogProc, dwInitParam);
        // A window that was never created left its record behind; it must not outlive
        // this object.
        if (nRet == -1)
            _AtlWinModule.RemoveCreateWndData(&this->m_createData);
        return nRet;
    }
};
