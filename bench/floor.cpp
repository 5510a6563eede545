// Baseline for the benchmark: the settings dialog in plain Win32, with no framework at all.
#include <windows.h>

#include "resource.h"

static const char KeyPath[] = "Software\\Tollbury\\Harvex\\Config";

static DWORD ReadDword(const char* name, DWORD fallback)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD data = fallback;
    DWORD size = sizeof data;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)&data, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? data : fallback;
}

// Leaves empty text when the value is missing or longer than the buffer.
static void ReadText(const char* name, char* text, DWORD capacity)
{
    text[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD size = capacity - 1;
    if (RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)text, &size) == ERROR_SUCCESS)
        text[size] = '\0';
    else
        text[0] = '\0';
    RegCloseKey(key);
}

static void WriteValue(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
}

static void WriteDword(const char* name, DWORD value)
{
    WriteValue(name, REG_DWORD, &value, sizeof value);
}

static void ShowIcon(HWND dialog, const char* name, int id)
{
    char path[MAX_PATH];
    ReadText(name, path, sizeof path);
    if (!path[0])
        return;
    HANDLE icon = LoadImageA(nullptr, path, IMAGE_ICON, 32, 32, LR_LOADFROMFILE | LR_SHARED);
    SendDlgItemMessageW(dialog, id, BM_SETIMAGE, IMAGE_ICON, (LPARAM)icon);
}

struct CheckSetting
{
    const char* name;
    int id;
    DWORD fallback;
};

// In the order they are written after the identification text.
static const CheckSetting Checks[] = {
    { "Referer",         IDC_REFERER,         1 },
    { "GenerateReferer", IDC_GENERATEREFERER, 0 },
    { "AnimateMonitor",  IDC_ANIMATEMONITOR,  0 },
    { "TrayOpenMonitor", IDC_TRAYOPENMONITOR, 0 },
    { "ToolsSubmenu",    IDC_TOOLSSUBMENU,    1 },
};

static void InitDialog(HWND dialog)
{
    SendDlgItemMessageW(dialog, IDC_USERAGENT, CB_ADDSTRING, 0, (LPARAM)L"Mozilla/4.06 [en] (Win98; I)");
    SendDlgItemMessageW(dialog, IDC_USERAGENT, CB_ADDSTRING, 0, (LPARAM)L"Mozilla/4.0 (compatible; MSIE 4.01; Windows 98)");
    SendDlgItemMessageW(dialog, IDC_USERAGENT, CB_ADDSTRING, 0, (LPARAM)L"Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21");

    char agent[512];
    ReadText("UserAgent", agent, sizeof agent);
    if (!agent[0] || SendDlgItemMessageA(dialog, IDC_USERAGENT, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)agent) == CB_ERR)
        SetDlgItemTextA(dialog, IDC_USERAGENT, agent);

    for (const CheckSetting& check : Checks)
        CheckDlgButton(dialog, check.id, ReadDword(check.name, check.fallback));
    SetDlgItemInt(dialog, IDC_HANGUPTIMER, ReadDword("HangupTimer", 30), TRUE);
    SetDlgItemInt(dialog, IDC_TURNOFFTIMER, ReadDword("TurnOffTimer", 30), TRUE);
    CheckDlgButton(dialog, IDC_DEBUGCLICKS, ReadDword("DebugClicks", 0));

    ShowIcon(dialog, "TrayIconNormal", IDC_TRAYICONNORMAL);
    ShowIcon(dialog, "TrayIconClock", IDC_TRAYICONCLOCK);
    ShowIcon(dialog, "DropIconNormal", IDC_DROPICONNORMAL);
}

static void Save(HWND dialog)
{
    char agent[512];
    int length = GetDlgItemTextA(dialog, IDC_USERAGENT, agent, sizeof agent);
    WriteValue("UserAgent", REG_SZ, agent, (DWORD)length + 1);
    for (const CheckSetting& check : Checks)
        WriteDword(check.name, IsDlgButtonChecked(dialog, check.id));
    WriteDword("HangupTimer", (DWORD)(int)GetDlgItemInt(dialog, IDC_HANGUPTIMER, nullptr, TRUE));
    WriteDword("TurnOffTimer", (DWORD)(int)GetDlgItemInt(dialog, IDC_TURNOFFTIMER, nullptr, TRUE));
    WriteDword("DebugClicks", IsDlgButtonChecked(dialog, IDC_DEBUGCLICKS));
}

static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            Save(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

static int RunFloor()
{
    return (int)DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIG), nullptr,
                                DialogProc, 0);
}

#ifdef FLOOR_NO_CRT
// The linker's entry point when no C runtime is linked in.
extern "C" void __cdecl FloorStart()
{
    ExitProcess((UINT)RunFloor());
}
#else
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunFloor();
}
#endif
