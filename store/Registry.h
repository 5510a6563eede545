// The four registry operations of the settings store. Each opens the key, does one thing and
// closes it again; nothing is cached and nothing is reported.
#pragma once

#include "../fw/String.h"
#include <windows.h>

// Bytes of stored data a text read takes; a longer value reads as empty text.
constexpr DWORD StringReadLimit = 512;

CString ReadRegistryString(HKEY root, const char* path, const char* name);

// No text (nullptr) deletes the value; empty text is stored as an empty string.
void WriteRegistryString(HKEY root, const char* path, const char* name, const char* text);

int ReadRegistryDword(HKEY root, const char* path, const char* name, int fallback);
void WriteRegistryDword(HKEY root, const char* path, const char* name, int value);

// True when the value exists but holds more than StringReadLimit bytes, so that
// ReadRegistryString yields empty text for it.
bool IsRegistryStringTooLong(HKEY root, const char* path, const char* name);

// True when the value is text (REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ) stored with characters
// that the ANSI code page lacks, so that ReadRegistryString yields it with '?' in their place
// and writing that back would lose them. Reads the value wide, up to its first NUL.
bool IsRegistryStringLossy(HKEY root, const char* path, const char* name);
