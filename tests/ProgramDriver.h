// Drives the built program as its own process: start it, find its windows, act on them, and
// wait for it to end.
#pragma once

#include <functional>
#include <string>
#include <windows.h>

class ProgramDriver
{
public:
    ProgramDriver() = default;
    ~ProgramDriver() { Kill(); }
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // The program beside the tests (HQ_EXE names it; ctest sets it and the folder).
    static std::wstring ProgramPath()
    {
        wchar_t name[MAX_PATH] = L"HarvexQuadrell.exe";
        GetEnvironmentVariableW(L"HQ_EXE", name, MAX_PATH);
        wchar_t folder[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, folder);
        return std::wstring(folder) + L"\\" + name;
    }

    // Starts the program and waits until its settings dialog is shown; false if it never is.
    bool Start(DWORD timeoutMs = 20000)
    {
        std::wstring path = ProgramPath();
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &m_process))
            return false;
        WaitForInputIdle(m_process.hProcess, timeoutMs);
        m_dialog = WaitForWindow([](HWND w) { return IsDialogWindow(w) && GetWindow(w, GW_OWNER) == nullptr; },
                                 timeoutMs);
        return m_dialog != nullptr;
    }

    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    HANDLE Process() const { return m_process.hProcess; }

    static bool IsDialogWindow(HWND window)
    {
        wchar_t className[16];
        return GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0 &&
               IsWindowVisible(window);
    }

    static std::wstring Text(HWND window)
    {
        wchar_t text[1024];
        int n = (int)SendMessageW(window, WM_GETTEXT, 1024, (LPARAM)text);
        return std::wstring(text, n > 0 ? n : 0);
    }
    std::wstring ItemText(int id) const { return Text(Item(id)); }
    void SetItemText(int id, const std::wstring& text) const
    {
        SendMessageW(Item(id), WM_SETTEXT, 0, (LPARAM)text.c_str());
    }
    int Checked(int id) const { return (int)SendMessageW(Item(id), BM_GETCHECK, 0, 0); }

    // Presses a button of a dialog the way a click does, without waiting for what it opens.
    static void Press(HWND dialog, int id)
    {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    }
    void Press(int id) const { Press(m_dialog, id); }

    // Waits for a visible top-level window of the program that the test accepts.
    HWND WaitForWindow(const std::function<bool(HWND)>& accept, DWORD timeoutMs = 10000) const
    {
        for (DWORD waited = 0;; waited += 20) {
            Search search = { m_process.dwProcessId, &accept, nullptr };
            EnumWindows(FindProgramWindow, (LPARAM)&search);
            if (search.found || waited >= timeoutMs)
                return search.found;
            Sleep(20);
        }
    }

    // A dialog owned by the settings dialog: a message box, the file dialog or the About box.
    HWND WaitForOwnedDialog(DWORD timeoutMs = 10000) const
    {
        HWND owner = m_dialog;
        return WaitForWindow([owner](HWND w) { return IsDialogWindow(w) && GetWindow(w, GW_OWNER) == owner; },
                             timeoutMs);
    }

    // Every visible owned dialog, to check that exactly one box came up.
    int CountOwnedDialogs() const
    {
        int count = 0;
        HWND owner = m_dialog;
        WaitForWindow([owner, &count](HWND w) {
            if (IsDialogWindow(w) && GetWindow(w, GW_OWNER) == owner)
                ++count;
            return false;
        }, 0);
        return count;
    }

    // A dialog owned by another of the program's windows, such as a box over the file dialog.
    HWND WaitForDialogOwnedBy(HWND owner, DWORD timeoutMs = 10000) const
    {
        return WaitForWindow([owner](HWND w) { return IsDialogWindow(w) && GetWindow(w, GW_OWNER) == owner; },
                             timeoutMs);
    }

    // Polls the condition until it holds; false if it still does not after the timeout.
    static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
    {
        for (DWORD waited = 0;; waited += 20) {
            if (condition())
                return true;
            if (waited >= timeoutMs)
                return false;
            Sleep(20);
        }
    }

    static bool WaitForClosed(HWND window, DWORD timeoutMs = 10000)
    {
        return WaitUntil([window] { return !IsWindow(window); }, timeoutMs);
    }

    // Waits until the program's user-interface thread answers a message; false on timeout.
    bool Sync(DWORD timeoutMs = 10000) const
    {
        DWORD_PTR result;
        return SendMessageTimeoutW(m_dialog, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
    }

    // Types the text into an edit control a character at a time, as the keyboard would.
    static void Type(HWND edit, const std::wstring& text)
    {
        for (wchar_t c : text)
            SendMessageW(edit, WM_CHAR, c, 1);
    }

    // The icon a push button shows, or null.
    HICON ButtonIcon(int id) const { return (HICON)SendMessageW(Item(id), BM_GETIMAGE, IMAGE_ICON, 0); }

    // The window that has the keyboard focus in the program's user-interface thread.
    HWND Focus() const
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(m_process.dwThreadId, &info);
        return info.hwndFocus;
    }

    // Hands the activation back to the settings dialog when X, having no window manager, gave it away.
    void Reactivate() const
    {
        if (!Focus())
            SetForegroundWindow(m_dialog);
    }

    // Waits for the program to end; false if it is still running after the timeout.
    bool WaitForExit(DWORD timeoutMs = 10000, DWORD* exitCode = nullptr)
    {
        if (!m_process.hProcess || WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return false;
        if (exitCode)
            GetExitCodeProcess(m_process.hProcess, exitCode);
        return true;
    }

    void Kill()
    {
        if (!m_process.hProcess)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
        m_process = PROCESS_INFORMATION();
        m_dialog = nullptr;
    }

private:
    struct Search
    {
        DWORD pid;
        const std::function<bool(HWND)>* accept;
        HWND found;
    };

    static BOOL CALLBACK FindProgramWindow(HWND window, LPARAM param)
    {
        Search* search = (Search*)param;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == search->pid && IsWindowVisible(window) && (*search->accept)(window)) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    PROCESS_INFORMATION m_process = PROCESS_INFORMATION();
    HWND m_dialog = nullptr;
};
