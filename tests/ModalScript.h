// Steps a test through a modal dialog: a thread timer runs one step per tick inside whichever
// modal loop is current (the dialog's, a message box's, the About box's).
#pragma once

#include <functional>
#include <string>
#include <vector>
#include <windows.h>

class ModalScript
{
public:
    using Step = std::function<void()>;

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        current = this;
        m_timer = SetTimer(nullptr, 0, 15, Tick);
    }
    ~ModalScript()
    {
        KillTimer(nullptr, m_timer);
        current = nullptr;
    }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool Finished() const { return m_next == m_steps.size(); }

    // Called by a step whose moment has not come: the same step runs again at the next tick,
    // up to about five seconds.
    static void Retry()
    {
        if (current && ++current->m_retries < 300)
            --current->m_next;
    }

    // A visible dialog of this thread with the caption, or any other than `except` when null.
    static HWND FindDialog(const wchar_t* caption, HWND except = nullptr)
    {
        Search search = { caption, except, nullptr };
        EnumThreadWindows(GetCurrentThreadId(), FindProc, (LPARAM)&search);
        return search.found;
    }

    static std::wstring Text(HWND window)
    {
        wchar_t text[1024];
        int n = GetWindowTextW(window, text, 1024);
        return std::wstring(text, n > 0 ? n : 0);
    }

private:
    struct Search
    {
        const wchar_t* caption;
        HWND except;
        HWND found;
    };

    static BOOL CALLBACK FindProc(HWND window, LPARAM param)
    {
        Search* s = (Search*)param;
        wchar_t className[16];
        if (!IsWindowVisible(window) || window == s->except ||
            !GetClassNameW(window, className, 16) || wcscmp(className, L"#32770") != 0)
            return TRUE;
        if (s->caption && Text(window) != s->caption)
            return TRUE;
        s->found = window;
        return FALSE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ModalScript* script = current;
        if (!script || script->m_next >= script->m_steps.size())
            return;
        // The step may open a nested modal loop; later steps then run inside it.
        size_t step = script->m_next++;
        script->m_steps[step]();
        if (script->m_next > step)
            script->m_retries = 0;
    }

    static inline ModalScript* current = nullptr;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_retries = 0;
    UINT_PTR m_timer;
};
