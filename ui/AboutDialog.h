// The About box and its entry in the settings dialog's system menu.
#pragma once

#include "../fw/Dialog.h"

class CAboutDialog : public CDialog
{
public:
    CAboutDialog();
};

// Appends a separator and the About command to the window's system menu.
void AddAboutEntry(CWnd& dialog);
