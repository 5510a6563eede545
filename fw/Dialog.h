// Modal dialogs from resource templates, with message maps and data exchange.
#pragma once

#include "MessageMap.h"
#include "Wnd.h"

class CDataExchange;

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // IDOK, IDCANCEL, or -1 when the dialog could not be created or initialised.
    INT_PTR DoModal();
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    // Runs the data exchange; false when a field failed validation.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    // Fills the controls from the template's init data and runs the exchange to the controls.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // A derived class hands its message map to DispatchMessageMap here.
    virtual bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

    // Called by a handler: the dialog manager treats the current message as unhandled.
    void Default() { m_default = true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    bool ExecuteDlgInit();

    UINT m_templateId;
    CWnd* m_pParentWnd;
    bool m_default = false;
};
