// The application object: name, help file, main window and start-up.
#pragma once

#include "String.h"
#include <windows.h>

#include "MessageMap.h"
#include "Wnd.h"

#define ID_HELP 0xE146      // the standard Help command, 57670

class CWinApp
{
public:
    // Without a name the application is named by its title string, or else by its file name.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // False ends the application without a message loop.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // Routes a command to the application's command map; false when no row takes it.
    virtual bool OnCmdMsg(WPARAM, LPARAM) { return false; }

    LRESULT OnHelp(WPARAM, LPARAM);

    // Dialog controls look three-dimensional on every Windows this program runs on.
    BOOL Enable3dControlsStatic() { return TRUE; }

    CStringW m_pszAppName;
    CStringW m_pszHelpFilePath;
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// The caption of the framework's message boxes.
CStringW AfxGetAppName();

#define AFX_IDS_APP_TITLE 0xE000
