// The platform's open-file dialog, created for one choice.
#pragma once

#include "String.h"
#include <windows.h>
#include <commdlg.h>

#include "Wnd.h"

class CFileDialog
{
public:
    // The filter is "description|pattern|...|" with a final "|".
    CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName,
                DWORD flags, const wchar_t* filter, CWnd* parent);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user chose a file, IDCANCEL otherwise (also when the dialog failed).
    INT_PTR DoModal();
    CStringW GetPathName() const { return m_fileName; }

    OPENFILENAMEW m_ofn;

private:
    CStringW m_defaultExtension;
    CStringW m_filter;
    wchar_t m_fileName[MAX_PATH];
};
