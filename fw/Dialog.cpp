// Modal dialogs from resource templates, with message maps and data exchange.
#include "Dialog.h"

#include <cstring>

#include "DataExchange.h"
#include "Text.h"
#include "WinApp.h"

static const WORD RT_DLGINIT_TYPE = 240;
static const WORD CB_ADDSTRING_16 = 0x0403;     // the init data uses 16-bit message numbers

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent)
{
}

INT_PTR CDialog::DoModal()
{
    // Without a parent the application's main window owns the dialog, so it is modal to it.
    CWnd* owner = m_pParentWnd;
    if (!owner && AfxGetApp())
        owner = AfxGetApp()->m_pMainWnd;
    HWND parent = owner && owner != this ? owner->m_hWnd : nullptr;
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                     parent, DialogProc, (LPARAM)this);
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

BOOL CDialog::OnInitDialog()
{
    if (!ExecuteDlgInit()) {
        EndDialog(-1);
        return TRUE;
    }
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

// The template's init data: rows of control id, message, byte count and bytes, ended by a zero.
bool CDialog::ExecuteDlgInit()
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(RT_DLGINIT_TYPE));
    if (!info)
        return true;
    const BYTE* data = (const BYTE*)LockResource(LoadResource(module, info));
    DWORD size = SizeofResource(module, info);
    if (!data)
        return false;

    DWORD at = 0;
    for (;;) {
        WORD id, message;
        DWORD length;
        if (at + sizeof id > size)
            return false;
        memcpy(&id, data + at, sizeof id);
        if (id == 0)
            return true;
        if (at + 8 > size)
            return false;
        memcpy(&message, data + at + 2, sizeof message);
        memcpy(&length, data + at + 4, sizeof length);
        at += 8;
        if (length > size - at)
            return false;
        if (message == CB_ADDSTRING_16) {
            CString text((const char*)data + at, strnlen((const char*)data + at, length));
            if (SendDlgItemMessageW(m_hWnd, id, CB_ADDSTRING, 0, (LPARAM)AnsiToWide(text).c_str()) < 0)
                return false;
        }
        at += length;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        ((CDialog*)lParam)->m_hWnd = hwnd;
    }
    CDialog* self = (CDialog*)GetWindowLongPtrW(hwnd, DWLP_USER);
    return self ? self->WindowProc(message, wParam, lParam) : FALSE;
}

// Messages whose answer is the dialog procedure's own return value, not DWLP_MSGRESULT.
static bool AnswersDirectly(UINT message)
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    }
    return false;
}

INT_PTR CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    bool saved = m_default;
    m_default = false;
    LRESULT result = 0;
    bool handled = OnMessage(message, wParam, lParam, result) && !m_default;
    m_default = saved;
    if (handled) {
        if (AnswersDirectly(message))
            return (INT_PTR)result;
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        if (lParam == 0 && AfxGetApp() && AfxGetApp()->OnCmdMsg(wParam, lParam))
            return TRUE;
        break;
    case WM_HELP:
        // F1: the Help command goes to the application, as a menu command would.
        SendMessageW(m_hWnd, WM_COMMAND, ID_HELP, 0);
        return TRUE;
    }
    return FALSE;
}
