// Dialog data exchange: moves field values to controls and back, validating on the way back.
#include "DataExchange.h"

#include <cstdlib>

#include <windows.h>

#include "Text.h"
#include "WinApp.h"

static const wchar_t ParseIntMessage[] = L"Please enter an integer.";
static const wchar_t RangeIntMessage[] = L"Please enter an integer between %1 and %2.";

HWND CDataExchange::PrepareCtrl(int id)
{
    m_hWndLastControl = m_pDlgWnd->GetDlgItem(id);
    m_bEditLastControl = false;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = true;
    return control;
}

void CDataExchange::Fail(const CStringW& message)
{
    MessageBoxW(m_pDlgWnd->m_hWnd, message.c_str(), AfxGetAppName().c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    if (m_hWndLastControl) {
        SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    m_bFailed = true;
}

static CStringW WindowText(HWND control)
{
    int length = GetWindowTextLengthW(control);
    CStringW text(length + 1, L'\0');
    length = GetWindowTextW(control, &text[0], length + 1);
    text.resize(length > 0 ? length : 0);
    return text;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (pDX->m_bFailed || control.m_hWnd)
        return;
    control.m_hWnd = pDX->PrepareCtrl(id);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->m_bFailed)
        return;
    HWND control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = (int)SendMessageW(control, BM_GETCHECK, 0, 0);
    } else {
        if (value < 0 || value > 2)
            value = 0;
        SendMessageW(control, BM_SETCHECK, value, 0);
    }
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value)
{
    if (pDX->m_bFailed)
        return;
    HWND control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = WideToAnsi(WindowText(control));
        return;
    }
    // The first entry that begins with the text, in any letter case, fills the edit field.
    CStringW text = AnsiToWide(value);
    if (text.empty() || SendMessageW(control, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text.c_str()) == CB_ERR)
        SetWindowTextW(control, text.c_str());
}

bool ParseIntegerText(const wchar_t* text, int& value)
{
    // Only ASCII can be part of a number; anything else stops the parse where it stands.
    char narrow[32];
    size_t n = 0;
    for (; text[n] && n < sizeof narrow - 1; ++n)
        narrow[n] = text[n] < 0x80 ? (char)text[n] : '\x7f';
    narrow[n] = '\0';

    const char* p = narrow;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (!(*p == '+' || *p == '-' || (*p >= '0' && *p <= '9')))
        return false;
    char* end;
    long number = strtol(p, &end, 10);
    if (number == 0 && *p != '0')
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    value = (int)number;
    return true;
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    if (pDX->m_bFailed)
        return;
    HWND control = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        wchar_t text[32];      // at most 31 characters take part
        text[0] = L'\0';
        GetWindowTextW(control, text, 32);
        if (!ParseIntegerText(text, value))
            pDX->Fail(ParseIntMessage);
    } else {
        wchar_t text[16];
        wsprintfW(text, L"%d", value);
        SetWindowTextW(control, text);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value >= minValue && value <= maxValue)
        return;
    wchar_t bound[12];
    CStringW message = RangeIntMessage;
    wsprintfW(bound, L"%d", minValue);
    message.replace(message.find(L"%1"), 2, bound);
    wsprintfW(bound, L"%d", maxValue);
    message.replace(message.find(L"%2"), 2, bound);
    pDX->Fail(message);
}
