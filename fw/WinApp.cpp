// The application object: name, help file, main window and start-up.
#include "WinApp.h"

static CWinApp* theOneApp;

static CStringW ModulePath()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return CStringW(path, n < MAX_PATH ? n : 0);
}

CWinApp::CWinApp(const wchar_t* appName)
{
    theOneApp = this;
    CStringW exe = ModulePath();
    size_t nameStart = exe.find_last_of(L"\\/") + 1;
    size_t dot = exe.find_last_of(L'.');
    if (dot == CStringW::npos || dot < nameStart)
        dot = exe.size();

    if (appName) {
        m_pszAppName = appName;
    } else {
        const wchar_t* title = nullptr;
        int n = LoadStringW(GetModuleHandleW(nullptr), AFX_IDS_APP_TITLE, (LPWSTR)&title, 0);
        if (n > 0)
            m_pszAppName.assign(title, n);
        else
            m_pszAppName = exe.substr(nameStart, dot - nameStart);
    }
    m_pszHelpFilePath = exe.substr(0, dot) + L".HLP";
}

CWinApp::~CWinApp()
{
    if (theOneApp == this)
        theOneApp = nullptr;
}

LRESULT CWinApp::OnHelp(WPARAM, LPARAM)
{
    WinHelpW(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, m_pszHelpFilePath.c_str(), HELP_FINDER, 0);
    return 0;
}

CWinApp* AfxGetApp()
{
    return theOneApp;
}

CStringW AfxGetAppName()
{
    return theOneApp ? theOneApp->m_pszAppName : CStringW();
}
