// Dialog data exchange: moves field values to controls and back, validating on the way back.
#pragma once

#include "String.h"

#include "Dialog.h"

class CDataExchange
{
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate)
    {
    }

    // The control of the next exchange; an edit control is the one later checks refer to.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);

    // Shows the warning box, then puts the focus on the last edit control and selects its text.
    // Every later exchange call does nothing.
    void Fail(const CStringW& message);

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    bool m_bFailed = false;

private:
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue);

// The integer rule of DDX_Text: blanks or tabs, a decimal integer, blanks or tabs, nothing else;
// zero only when the first non-blank character is the digit 0.
bool ParseIntegerText(const wchar_t* text, int& value);
