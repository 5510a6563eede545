// Conversions between window text (UTF-16) and registry text (the ANSI code page).
#pragma once

#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);

// Converts to the ANSI code page only when every character survives; false otherwise.
bool WideToAnsiExact(const std::wstring& text, std::string& ansi);
