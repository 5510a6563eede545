// Static message maps: one row per message (and, for WM_COMMAND, notification code and control).
#pragma once

#include <windows.h>

template <class T>
struct MessageMapEntry
{
    UINT message;
    UINT code;
    UINT id;
    LRESULT (T::*handler)(WPARAM, LPARAM);
};

// Runs the first row that matches; false when no row does.
template <class T, size_t N>
bool DispatchMessageMap(T* self, const MessageMapEntry<T> (&map)[N],
                        UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    for (const MessageMapEntry<T>& entry : map) {
        if (entry.message != message)
            continue;
        if (message == WM_COMMAND && (entry.code != HIWORD(wParam) || entry.id != LOWORD(wParam)))
            continue;
        result = (self->*entry.handler)(wParam, lParam);
        return true;
    }
    return false;
}
