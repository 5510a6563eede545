// Conversions between window text (UTF-16) and registry text (the ANSI code page).
#include "Text.h"

#include <windows.h>

CStringW AnsiToWide(const CString& text)
{
    CStringW wide(text.size(), L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &wide[0], (int)wide.size());
    wide.resize(n > 0 ? n : 0);
    return wide;
}

CString WideToAnsi(const CStringW& text)
{
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    CString ansi(n > 0 ? n : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &ansi[0], n, nullptr, nullptr);
    return ansi;
}

bool WideToAnsiExact(const CStringW& text, CString& ansi)
{
    // The default-character flag alone misses best-fit mappings (a full-width letter becoming an
    // ASCII one), so the round trip decides.
    ansi = WideToAnsi(text);
    return AnsiToWide(ansi) == text;
}
