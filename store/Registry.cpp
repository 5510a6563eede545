// The four registry operations of the settings store.
#include "Registry.h"

#include "../fw/Text.h"

#include <cstring>
#include <cwchar>

CString ReadRegistryString(HKEY root, const char* path, const char* name)
{
    CString text;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return text;
    char data[StringReadLimit];
    DWORD size = sizeof data;
    // The type is not asked for: whatever bytes the value holds are taken as text.
    if (RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)data, &size) == ERROR_SUCCESS)
        text.assign(data, strnlen(data, size < sizeof data ? size : sizeof data));
    RegCloseKey(key);
    return text;
}

void WriteRegistryString(HKEY root, const char* path, const char* name, const char* text)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (text)
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

int ReadRegistryDword(HKEY root, const char* path, const char* name, int fallback)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD data = (DWORD)fallback;   // a short value overwrites only its low-order bytes
    DWORD size = sizeof data;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)&data, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? (int)data : fallback;
}

void WriteRegistryDword(HKEY root, const char* path, const char* name, int value)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    DWORD data = (DWORD)value;
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&data, sizeof data);
    RegCloseKey(key);
}

bool IsRegistryStringTooLong(HKEY root, const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char data[StringReadLimit];
    DWORD size = sizeof data;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)data, &size);
    RegCloseKey(key);
    return rc == ERROR_MORE_DATA;
}

bool IsRegistryStringLossy(HKEY root, const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExW(root, AnsiToWide(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    // Room for all that a text read takes: each character is at least one byte in the ANSI code
    // page, and an odd last byte is dropped there.
    wchar_t data[StringReadLimit + 1];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    LONG rc = RegQueryValueExW(key, AnsiToWide(name).c_str(), nullptr, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    // Other types are read as raw bytes, which lose nothing.
    if (rc != ERROR_SUCCESS || !(type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
        return false;
    CString ansi;
    return !WideToAnsiExact(CStringW(data, wcsnlen(data, size / sizeof(wchar_t))), ansi);
}
