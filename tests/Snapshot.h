// Whole-tree snapshots of registry keys and folders, and the differences between two of them.
#pragma once

#include <cwctype>
#include <map>
#include <string>
#include <vector>
#include <windows.h>

// A value exactly as stored, read through the wide calls so that no code page hides a change.
struct StoredValue
{
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;

    bool operator==(const StoredValue& other) const { return type == other.type && bytes == other.bytes; }
    bool operator!=(const StoredValue& other) const { return !(*this == other); }
};

using StoredValues = std::map<std::wstring, StoredValue>;

// Every key below a root, by path relative to it, with its values.
using RegistryTree = std::map<std::wstring, StoredValues>;

inline std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c >= 0x20 && c < 0x7F ? (char)c : '?';
    return narrow;
}

inline std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = (wchar_t)towlower(c);
    return text;
}

// The values of one open key; an unreadable value is left out.
inline StoredValues ReadStoredValues(HKEY key)
{
    StoredValues values;
    DWORD count = 0, nameMax = 0, dataMax = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &nameMax,
                         &dataMax, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(nameMax + 2);
    std::vector<BYTE> data(dataMax + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameSize = (DWORD)name.size(), dataSize = (DWORD)data.size(), type = 0;
        LONG rc = RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (rc != ERROR_SUCCESS)
            continue;
        StoredValue& value = values[std::wstring(name.data(), nameSize)];
        value.type = type;
        value.bytes.assign(data.begin(), data.begin() + dataSize);
    }
    return values;
}

// Reads an open key and everything below it into tree, under the path given for it.
inline void ReadOpenKeyTree(HKEY key, const std::wstring& path, RegistryTree& tree)
{
    tree[path] = ReadStoredValues(key);
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS)
            continue;
        ReadOpenKeyTree(child, path.empty() ? std::wstring(name, size) : path + L"\\" + std::wstring(name, size), tree);
        RegCloseKey(child);
    }
}

// Reads the key at path below root and everything below it, paths relative to root.
inline void ReadRegistryTree(HKEY root, const std::wstring& path, RegistryTree& tree)
{
    HKEY key;
    if (RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    ReadOpenKeyTree(key, path, tree);
    RegCloseKey(key);
}

inline RegistryTree ReadRegistryTree(HKEY root)
{
    RegistryTree tree;
    ReadRegistryTree(root, L"", tree);
    return tree;
}

// One line per key or value that was added, removed or changed, as "key" or "key : value".
inline std::vector<std::wstring> DiffRegistryTrees(const RegistryTree& before, const RegistryTree& after)
{
    std::vector<std::wstring> changes;
    for (const auto& [path, values] : before) {
        auto found = after.find(path);
        if (found == after.end()) {
            changes.push_back(L"removed key " + path);
            continue;
        }
        for (const auto& [name, value] : values) {
            auto other = found->second.find(name);
            if (other == found->second.end())
                changes.push_back(L"removed value " + path + L" : " + name);
            else if (other->second != value)
                changes.push_back(L"changed value " + path + L" : " + name);
        }
        for (const auto& [name, value] : found->second)
            if (!values.count(name))
                changes.push_back(L"added value " + path + L" : " + name);
    }
    for (const auto& [path, values] : after) {
        if (before.count(path))
            continue;
        changes.push_back(L"added key " + path);
        for (const auto& [name, value] : values)
            changes.push_back(L"added value " + path + L" : " + name);
    }
    return changes;
}

struct FileEntry
{
    bool folder = false;
    ULONGLONG size = 0;
    FILETIME written = {};

    bool operator==(const FileEntry& other) const
    {
        return folder == other.folder && size == other.size &&
               CompareFileTime(&written, &other.written) == 0;
    }
};

// Every file and folder below a folder, by full path; folders listed in skip are left out whole.
using FileTree = std::map<std::wstring, FileEntry>;

inline void ReadFileTree(const std::wstring& folder, const std::vector<std::wstring>& skip, FileTree& tree)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::wstring> folders;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring path = folder + L"\\" + name;
        bool skipped = false;
        for (const std::wstring& s : skip)
            skipped = skipped || Lower(s) == Lower(path);
        if (skipped)
            continue;
        FileEntry& entry = tree[path];
        entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A folder's own times change with its content, which the entries below it show.
        if (!entry.folder) {
            entry.size = ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow;
            entry.written = found.ftLastWriteTime;
        }
        if (entry.folder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            folders.push_back(path);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& path : folders)
        ReadFileTree(path, skip, tree);
}

inline std::vector<std::wstring> DiffFileTrees(const FileTree& before, const FileTree& after)
{
    std::vector<std::wstring> changes;
    for (const auto& [path, entry] : before) {
        auto found = after.find(path);
        if (found == after.end())
            changes.push_back(L"removed " + path);
        else if (!(found->second == entry))
            changes.push_back(L"changed " + path);
    }
    for (const auto& [path, entry] : after)
        if (!before.count(path))
            changes.push_back(L"added " + path);
    return changes;
}
