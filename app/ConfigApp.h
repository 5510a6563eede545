// The application: starts straight into the settings dialog and ends when it closes.
#pragma once

#include "../fw/WinApp.h"

class CConfigApp : public CWinApp
{
public:
    BOOL InitInstance() override;
    bool OnCmdMsg(WPARAM wParam, LPARAM lParam) override;

private:
    static const MessageMapEntry<CConfigApp> commandMap[];
};
