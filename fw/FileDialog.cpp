// The platform's open-file dialog, created for one choice.
#include "FileDialog.h"

#include <cwchar>

CFileDialog::CFileDialog(BOOL, const wchar_t* defaultExtension, const wchar_t* fileName,
                         DWORD flags, const wchar_t* filter, CWnd* parent)
    : m_ofn(), m_fileName()
{
    if (defaultExtension)
        m_defaultExtension = defaultExtension;
    if (fileName)
        wcsncpy(m_fileName, fileName, MAX_PATH - 1);
    if (filter) {
        // The platform wants each part ended by a NUL and the list ended by an empty part.
        m_filter = filter;
        for (wchar_t& c : m_filter)
            if (c == L'|')
                c = L'\0';
        m_filter.push_back(L'\0');
    }

    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrDefExt = defaultExtension ? m_defaultExtension.c_str() : nullptr;
    m_ofn.Flags = flags;
}

INT_PTR CFileDialog::DoModal()
{
    // comdlg32 is loaded on first use: linking it would load it, and what it pulls in, at start.
    using GetOpenFileNameProc = BOOL(WINAPI*)(OPENFILENAMEW*);
    static GetOpenFileNameProc getOpenFileName;
    if (!getOpenFileName) {
        HMODULE comdlg32 = LoadLibraryW(L"comdlg32.dll");
        if (comdlg32)
            getOpenFileName = (GetOpenFileNameProc)(void*)GetProcAddress(comdlg32, "GetOpenFileNameW");
        if (!getOpenFileName)
            return IDCANCEL;
    }
    return getOpenFileName(&m_ofn) ? IDOK : IDCANCEL;
}
