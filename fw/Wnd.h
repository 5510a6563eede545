// Window objects: a window handle and the few operations the program uses on it.
#pragma once

#include <windows.h>

class CWnd
{
public:
    HWND m_hWnd = nullptr;

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
};

class CButton : public CWnd
{
public:
    HICON SetIcon(HICON icon)
    {
        return (HICON)SendMessageW(m_hWnd, BM_SETIMAGE, IMAGE_ICON, (LPARAM)icon);
    }
};

// A paint context for one WM_PAINT.
class CPaintDC
{
public:
    explicit CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};
