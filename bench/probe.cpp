// Times one run of a settings dialog program: start to ready, OK to exit, and its peak memory.
// Usage: probe.exe LABEL EXE ROUND ICONPATH
// Prints one line: "run label=... round=... ready_ms=... ok_ms=... hidden_ms=... gone_ms=... peak_ws_kb=... check=ok|FAIL ...".
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resource.h"

static const char KeyPath[] = "Software\\Tollbury\\Harvex\\Config";
static const DWORD TimeoutMs = 30000;

struct Values
{
    std::string userAgent;
    DWORD referer, generateReferer, animateMonitor, trayOpenMonitor, toolsSubmenu;
    DWORD hangupTimer, turnOffTimer, debugClicks;
};

static LARGE_INTEGER frequency;

static double Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static std::string failures;

static void Fail(const std::string& what)
{
    if (!failures.empty())
        failures += ',';
    failures += what;
}

static bool SetText(HKEY key, const char* name, const std::string& text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1) == ERROR_SUCCESS;
}

static bool SetDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value) == ERROR_SUCCESS;
}

// Replaces the key with the seeded values, every one different from its default.
static bool Seed(const Values& v, const std::string& icon)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = SetText(key, "UserAgent", v.userAgent) && SetDword(key, "Referer", v.referer) &&
              SetDword(key, "GenerateReferer", v.generateReferer) &&
              SetDword(key, "AnimateMonitor", v.animateMonitor) &&
              SetDword(key, "TrayOpenMonitor", v.trayOpenMonitor) &&
              SetDword(key, "ToolsSubmenu", v.toolsSubmenu) && SetDword(key, "HangupTimer", v.hangupTimer) &&
              SetDword(key, "TurnOffTimer", v.turnOffTimer) && SetDword(key, "DebugClicks", v.debugClicks) &&
              SetText(key, "TrayIconNormal", icon) && SetText(key, "TrayIconClock", icon) &&
              SetText(key, "DropIconNormal", icon);
    RegCloseKey(key);
    return ok;
}

// Removes the nine written values so that only the program's own writes can bring them back.
static void ClearWritten(HKEY key)
{
    static const char* const names[] = { "UserAgent", "Referer", "GenerateReferer", "AnimateMonitor",
                                         "TrayOpenMonitor", "ToolsSubmenu", "HangupTimer", "TurnOffTimer",
                                         "DebugClicks" };
    for (const char* name : names)
        RegDeleteValueA(key, name);
}

static void CheckText(HKEY key, const char* name, const std::string& expected)
{
    char data[1024];
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, (BYTE*)data, &size) != ERROR_SUCCESS)
        Fail(std::string(name) + ":missing");
    else if (type != REG_SZ)
        Fail(std::string(name) + ":type");
    else if (size != expected.size() + 1 || memcmp(data, expected.c_str(), size) != 0)
        Fail(std::string(name) + ":bytes");
}

static void CheckDword(HKEY key, const char* name, DWORD expected)
{
    DWORD data = 0, type = 0, size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, (BYTE*)&data, &size) != ERROR_SUCCESS)
        Fail(std::string(name) + ":missing");
    else if (type != REG_DWORD)
        Fail(std::string(name) + ":type");
    else if (size != sizeof data || data != expected)
        Fail(std::string(name) + ":bytes");
}

static void CheckWritten(const Values& v)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        Fail("key:missing");
        return;
    }
    CheckText(key, "UserAgent", v.userAgent);
    CheckDword(key, "Referer", v.referer);
    CheckDword(key, "GenerateReferer", v.generateReferer);
    CheckDword(key, "AnimateMonitor", v.animateMonitor);
    CheckDword(key, "TrayOpenMonitor", v.trayOpenMonitor);
    CheckDword(key, "ToolsSubmenu", v.toolsSubmenu);
    CheckDword(key, "HangupTimer", v.hangupTimer);
    CheckDword(key, "TurnOffTimer", v.turnOffTimer);
    CheckDword(key, "DebugClicks", v.debugClicks);
    RegCloseKey(key);
}

struct Search
{
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    Search* search = (Search*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t className[16];
    if (pid == search->pid && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr &&
        GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Cross-process text of a control; empty when the program does not answer.
static std::string ItemText(HWND dialog, int id)
{
    char text[1024];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, (LPARAM)text,
                             SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    return std::string(text, length < sizeof text ? length : 0);
}

static DWORD_PTR ItemMessage(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

static void CheckShown(HWND dialog, const Values& v)
{
    if (ItemText(dialog, IDC_USERAGENT) != v.userAgent)
        Fail("shown:UserAgent");
    struct { int id; DWORD value; const char* name; } checks[] = {
        { IDC_REFERER, v.referer, "Referer" },
        { IDC_GENERATEREFERER, v.generateReferer, "GenerateReferer" },
        { IDC_ANIMATEMONITOR, v.animateMonitor, "AnimateMonitor" },
        { IDC_TRAYOPENMONITOR, v.trayOpenMonitor, "TrayOpenMonitor" },
        { IDC_TOOLSSUBMENU, v.toolsSubmenu, "ToolsSubmenu" },
        { IDC_DEBUGCLICKS, v.debugClicks, "DebugClicks" },
    };
    for (const auto& check : checks)
        if (ItemMessage(dialog, check.id, BM_GETCHECK) != check.value)
            Fail(std::string("shown:") + check.name);
    if (ItemText(dialog, IDC_HANGUPTIMER) != std::to_string(v.hangupTimer))
        Fail("shown:HangupTimer");
    if (ItemText(dialog, IDC_TURNOFFTIMER) != std::to_string(v.turnOffTimer))
        Fail("shown:TurnOffTimer");
    const int icons[] = { IDC_TRAYICONNORMAL, IDC_TRAYICONCLOCK, IDC_DROPICONNORMAL };
    for (int id : icons)
        if (!ItemMessage(dialog, id, BM_GETIMAGE, IMAGE_ICON))
            Fail("shown:icon" + std::to_string(id));
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: probe LABEL EXE ROUND ICONPATH\n");
        return 2;
    }
    const char* label = argv[1];
    std::string exe = argv[2];
    int round = atoi(argv[3]);
    std::string icon = argv[4];
    QueryPerformanceFrequency(&frequency);

    // Seeds change with the round, so values left by an earlier run never pass.
    Values seeded;
    seeded.userAgent = "HarvexBench/" + std::to_string(round) + " (seeded; probe)";
    seeded.referer = 0;
    seeded.generateReferer = 1;
    seeded.animateMonitor = 1;
    seeded.trayOpenMonitor = 1;
    seeded.toolsSubmenu = 0;
    seeded.hangupTimer = 40 + (DWORD)round % 50;
    seeded.turnOffTimer = 100 + (DWORD)round % 800;
    seeded.debugClicks = 1;
    if (!Seed(seeded, icon)) {
        printf("run label=%s round=%d check=FAIL failures=seed\n", label, round);
        return 1;
    }

    // What the probe changes in the open dialog; OK must store exactly this.
    Values expected = seeded;
    expected.hangupTimer = seeded.hangupTimer + 7;
    expected.debugClicks = 0;

    std::wstring wexe(exe.begin(), exe.end());
    std::wstring commandLine = L"\"" + wexe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};

    double started = Now();
    if (!CreateProcessW(wexe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        printf("run label=%s round=%d check=FAIL failures=start:%lu\n", label, round, GetLastError());
        return 1;
    }
    DWORD idle = WaitForInputIdle(process.hProcess, TimeoutMs);

    // Ready: the dialog is up, its thread answers, and the timer field shows the stored value.
    std::string wantHangup = std::to_string(seeded.hangupTimer);
    HWND dialog = nullptr;
    double ready = 0;
    int polls = 0;
    for (;;) {
        Search search = { process.dwProcessId, nullptr };
        EnumWindows(FindDialog, (LPARAM)&search);
        if (search.found) {
            DWORD_PTR ignored;
            if (SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) &&
                ItemText(search.found, IDC_HANGUPTIMER) == wantHangup) {
                ready = Now();
                dialog = search.found;
                break;
            }
        }
        if (Now() - started > TimeoutMs || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            break;
        ++polls;
        Sleep(1);
    }
    if (!dialog) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        printf("run label=%s round=%d check=FAIL failures=not-ready\n", label, round);
        return 1;
    }

    CheckShown(dialog, seeded);

    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ClearWritten(key);
        RegCloseKey(key);
    } else {
        Fail("clear");
    }
    std::wstring newHangup = std::to_wstring(expected.hangupTimer);
    DWORD_PTR ignored;
    SendMessageTimeoutW(GetDlgItem(dialog, IDC_HANGUPTIMER), WM_SETTEXT, 0, (LPARAM)newHangup.c_str(),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    ItemMessage(dialog, IDC_DEBUGCLICKS, BM_SETCHECK, BST_UNCHECKED);

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
        Fail("meminfo");

    double clicked = Now();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    // The window's end is noted on the way, to tell the program's own work from process teardown.
    double hidden = 0, gone = 0;
    DWORD waited;
    for (;;) {
        waited = WaitForSingleObject(process.hProcess, gone ? TimeoutMs : 1);
        if (!hidden && (waited == WAIT_OBJECT_0 || !IsWindowVisible(dialog)))
            hidden = Now();
        if (!gone && (waited == WAIT_OBJECT_0 || !IsWindow(dialog)))
            gone = Now();
        if (waited != WAIT_TIMEOUT || Now() - clicked > TimeoutMs)
            break;
    }
    double ended = Now();
    DWORD exitCode = 0;
    if (waited != WAIT_OBJECT_0) {
        Fail("no-exit");
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    } else {
        GetExitCodeProcess(process.hProcess, &exitCode);
        CheckWritten(expected);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    printf("run label=%s round=%d ready_ms=%.3f ok_ms=%.3f hidden_ms=%.3f gone_ms=%.3f peak_ws_kb=%lu idle=%lu polls=%d exit=%lu check=%s%s%s\n",
           label, round, ready - started, ended - clicked, hidden - clicked, gone - clicked, (unsigned long)(memory.PeakWorkingSetSize / 1024),
           idle, polls, exitCode, failures.empty() ? "ok" : "FAIL", failures.empty() ? "" : " failures=",
           failures.c_str());
    fflush(stdout);
    return failures.empty() ? 0 : 1;
}
