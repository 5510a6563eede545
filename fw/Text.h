// Conversions between window text (UTF-16) and registry text (the ANSI code page).
#pragma once

#include "String.h"

CStringW AnsiToWide(const CString& text);
CString WideToAnsi(const CStringW& text);

// Converts to the ANSI code page only when every character survives; false otherwise.
bool WideToAnsiExact(const CStringW& text, CString& ansi);
