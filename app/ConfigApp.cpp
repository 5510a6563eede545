// The application: starts straight into the settings dialog and ends when it closes.
#include "ConfigApp.h"

#include "../ui/ConfigDialog.h"

CConfigApp theApp;

const MessageMapEntry<CConfigApp> CConfigApp::commandMap[] = {
    // message      code  control   handler
    { WM_COMMAND,   0,    ID_HELP,  &CConfigApp::OnHelp },
};

bool CConfigApp::OnCmdMsg(WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    return DispatchMessageMap(this, commandMap, WM_COMMAND, wParam, lParam, result);
}

BOOL CConfigApp::InitInstance()
{
    Enable3dControlsStatic();

    CConfigDialog dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();      // the dialog stores what it has to; its result changes nothing here
    m_pMainWnd = nullptr;

    return FALSE;       // no message loop: the application ends
}
