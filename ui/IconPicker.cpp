// The three custom-icon buttons: show a stored icon, pick or clear one.
#include "IconPicker.h"

#include "../fw/String.h"

#include "../fw/FileDialog.h"
#include "../fw/Text.h"
#include "../store/Registry.h"
#include "../store/Settings.h"
#include "ConfigDialog.h"

static const wchar_t IconFilter[] = L"Icon Files (*.ICO)|*.ICO||";

// Shared icons belong to USER32; never destroy them. A file without an icon gives no image.
static void SetButtonIcon(CButton& button, const CString& path)
{
    HICON icon = (HICON)LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 32, 32,
                                   LR_LOADFROMFILE | LR_SHARED);
    button.SetIcon(icon);
}

void ShowStoredIcon(const char* valueName, CButton& button)
{
    CString path = ReadRegistryString(SettingsKey.root, SettingsKey.path, valueName);
    if (!IsBlankText(path))
        SetButtonIcon(button, path);
}

// The host program reads narrow text, so a path must survive the ANSI code page unchanged.
// Failing that, its short form may; otherwise there is no path to store.
static bool ToAnsiPath(const CStringW& path, CString& ansi)
{
    if (WideToAnsiExact(path, ansi))
        return true;
    wchar_t shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH && WideToAnsiExact(CStringW(shortPath, n), ansi);
}

void PickIcon(CWnd& owner, const char* valueName, CButton& button)
{
    CString current = ReadRegistryString(SettingsKey.root, SettingsKey.path, valueName);
    CFileDialog dialog(TRUE, nullptr, AnsiToWide(current).c_str(),
                       OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, IconFilter, &owner);
    if (dialog.DoModal() == IDOK) {
        CString path;
        if (!ToAnsiPath(dialog.GetPathName(), path))
            return;     // no narrow form names this file: keep what is stored
        WriteRegistryString(SettingsKey.root, SettingsKey.path, valueName, path.c_str());
        SetButtonIcon(button, path);
    } else {
        // Cancelling the file dialog removes the custom icon.
        WriteRegistryString(SettingsKey.root, SettingsKey.path, valueName, nullptr);
        button.SetIcon(nullptr);
    }
}
