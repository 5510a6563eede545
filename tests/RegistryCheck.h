// Test helpers for the settings key: reset it, seed values and read raw values back.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "store/Settings.h"

// A raw registry value as the host program sees it through the ANSI calls.
struct RawValue
{
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;

    bool operator==(const RawValue& other) const
    {
        return exists == other.exists && type == other.type && bytes == other.bytes;
    }
};

inline std::string Describe(const RawValue& value)
{
    if (!value.exists)
        return "(missing)";
    std::string text = "type " + std::to_string(value.type) + ", " +
                       std::to_string(value.bytes.size()) + " bytes:";
    char hex[4];
    for (size_t i = 0; i < value.bytes.size() && i < 64; ++i) {
        snprintf(hex, sizeof hex, " %02x", value.bytes[i]);
        text += hex;
    }
    if (value.bytes.size() > 64)
        text += " ...";
    return text;
}

inline void PrintTo(const RawValue& value, std::ostream* os)
{
    *os << Describe(value);
}

inline RawValue RawString(const std::string& text)
{
    RawValue value;
    value.exists = true;
    value.type = REG_SZ;
    value.bytes.assign(text.begin(), text.end());
    value.bytes.push_back(0);
    return value;
}

inline RawValue RawDword(DWORD number)
{
    RawValue value;
    value.exists = true;
    value.type = REG_DWORD;
    value.bytes.resize(4);
    memcpy(value.bytes.data(), &number, 4);
    return value;
}

inline bool SettingsKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(SettingsKey.root, SettingsKey.path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value's type and bytes through the ANSI calls, as the host program sees them, or through
// the wide calls, as they are stored.
inline RawValue ReadRaw(const char* name, bool wide = false)
{
    RawValue value;
    HKEY key;
    if (RegOpenKeyExA(SettingsKey.root, SettingsKey.path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    std::wstring wideName(name, name + strlen(name));
    auto query = [&](BYTE* data, DWORD* size) {
        return wide ? RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, data, size)
                    : RegQueryValueExA(key, name, nullptr, &value.type, data, size);
    };
    DWORD size = 0;
    if (query(nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (query(value.bytes.data(), &size) == ERROR_SUCCESS) {
            value.exists = true;
            value.bytes.resize(size);
        }
    }
    RegCloseKey(key);
    return value;
}

// Stores exactly the given bytes, through the ANSI or the wide call. Both calls count one more
// byte (or character) for string data that does not end in NUL when the memory right after the
// data is zero, so the data is copied in front of bytes that are not.
inline LONG SetValueExactly(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size, bool wide)
{
    std::vector<BYTE> copy((const BYTE*)data, (const BYTE*)data + size);
    copy.insert(copy.end(), 2, 0xFF);
    if (wide)
        return RegSetValueExW(key, name, 0, type, copy.data(), size);
    std::string narrow(name, name + wcslen(name));
    return RegSetValueExA(key, narrow.c_str(), 0, type, copy.data(), size);
}

inline void WriteRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(SettingsKey.root, SettingsKey.path, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    std::wstring wideName(name, name + strlen(name));
    ASSERT_EQ(ERROR_SUCCESS, SetValueExactly(key, wideName.c_str(), type, data, size, false));
    RegCloseKey(key);
}

inline void WriteRaw(const char* name, const RawValue& value)
{
    WriteRaw(name, value.type, value.bytes.data(), (DWORD)value.bytes.size());
}

// Deletes "Software\Tollbury" with everything below it.
inline void DeleteSettingsTree()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tollbury");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tollbury");
}

// ---- The same values through the wide calls, where text is the UTF-16 that is stored.

// Data given as UTF-16, NULs and all: a string value as a program of the wide calls stores it.
inline RawValue RawWide(DWORD type, const std::wstring& data)
{
    RawValue value;
    value.exists = true;
    value.type = type;
    const BYTE* bytes = (const BYTE*)data.data();
    value.bytes.assign(bytes, bytes + data.size() * sizeof(wchar_t));
    return value;
}

inline RawValue ReadWideRaw(const char* name)
{
    return ReadRaw(name, true);
}

// Stores the bytes through the wide call, as another program may.
inline void WriteWideRaw(const char* name, const RawValue& value)
{
    std::wstring wideName(name, name + strlen(name));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(SettingsKey.root, SettingsKey.path, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, SetValueExactly(key, wideName.c_str(), value.type, value.bytes.data(),
                                             (DWORD)value.bytes.size(), true));
    RegCloseKey(key);
}

// Starts and ends each test with no settings key at all.
class SettingsKeyTest : public testing::Test
{
protected:
    void SetUp() override { DeleteSettingsTree(); }
    void TearDown() override { DeleteSettingsTree(); }
};
