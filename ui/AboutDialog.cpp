// The About box and its entry in the settings dialog's system menu.
#include "AboutDialog.h"

#include "../fw/String.h"

#include "../res/resource.h"

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUT)
{
}

void AddAboutEntry(CWnd& dialog)
{
    HMENU menu = GetSystemMenu(dialog.m_hWnd, FALSE);
    if (!menu)
        return;
    const wchar_t* caption = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUT, (LPWSTR)&caption, 0);
    if (length <= 0)
        return;
    CStringW text(caption, length);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_SYSMENU_ABOUT, text.c_str());
}
