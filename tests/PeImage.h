// Reads a program's file as data: the PE headers of either format and the libraries it imports.
#pragma once

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include <windows.h>

inline std::vector<BYTE> ReadWholeFile(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), (DWORD)bytes.size(), &read, nullptr))
        read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

struct PeImage
{
    WORD machine = 0;           // IMAGE_FILE_MACHINE_I386 or _AMD64
    WORD magic = 0;             // IMAGE_NT_OPTIONAL_HDR32_MAGIC (PE32) or _HDR64_MAGIC (PE32+)
    WORD subsystem = 0;
    DWORD timeDateStamp = 0;
    DWORD checkSum = 0;
    std::set<std::string> imports;  // at start or delayed, in capitals
};

// Fills the image's description; false with the reason when the file is not a PE image.
inline bool ReadPeImage(const std::vector<BYTE>& image, PeImage& pe, std::string& error)
{
    auto fits = [&image](size_t at, size_t size) { return at <= image.size() && size <= image.size() - at; };
    IMAGE_DOS_HEADER dos;
    if (!fits(0, sizeof dos))
        return error = "no DOS header", false;
    memcpy(&dos, image.data(), sizeof dos);
    size_t fileHeaderAt = (size_t)dos.e_lfanew + 4;
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || !fits((size_t)dos.e_lfanew, 4 + sizeof file + 2))
        return error = "no PE header", false;
    memcpy(&signature, image.data() + dos.e_lfanew, 4);
    memcpy(&file, image.data() + fileHeaderAt, sizeof file);
    size_t optionalAt = fileHeaderAt + sizeof file;
    memcpy(&pe.magic, image.data() + optionalAt, 2);
    if (signature != IMAGE_NT_SIGNATURE)
        return error = "no PE signature", false;

    // The two optional-header formats differ in the image base and the stack and heap sizes;
    // what is read here is copied out of either.
    ULONGLONG imageBase;
    const IMAGE_DATA_DIRECTORY* directories;
    IMAGE_OPTIONAL_HEADER32 optional32;
    IMAGE_OPTIONAL_HEADER64 optional64;
    if (pe.magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC && fits(optionalAt, sizeof optional32)) {
        memcpy(&optional32, image.data() + optionalAt, sizeof optional32);
        imageBase = optional32.ImageBase;
        pe.subsystem = optional32.Subsystem;
        pe.checkSum = optional32.CheckSum;
        directories = optional32.DataDirectory;
    } else if (pe.magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC && fits(optionalAt, sizeof optional64)) {
        memcpy(&optional64, image.data() + optionalAt, sizeof optional64);
        imageBase = optional64.ImageBase;
        pe.subsystem = optional64.Subsystem;
        pe.checkSum = optional64.CheckSum;
        directories = optional64.DataDirectory;
    } else {
        return error = "unknown optional header", false;
    }
    pe.machine = file.Machine;
    pe.timeDateStamp = file.TimeDateStamp;

    size_t sectionsAt = optionalAt + file.SizeOfOptionalHeader;
    std::vector<IMAGE_SECTION_HEADER> sections(file.NumberOfSections);
    if (!fits(sectionsAt, sections.size() * sizeof(IMAGE_SECTION_HEADER)))
        return error = "sections outside the file", false;
    memcpy(sections.data(), image.data() + sectionsAt, sections.size() * sizeof(IMAGE_SECTION_HEADER));
    auto offsetOf = [&sections](DWORD rva) -> size_t {
        for (const IMAGE_SECTION_HEADER& s : sections)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        return (size_t)-1;
    };
    auto nameAt = [&](DWORD rva, std::string& name) {
        size_t at = offsetOf(rva);
        if (!fits(at, 1))
            return false;
        name.assign((const char*)image.data() + at, strnlen((const char*)image.data() + at, image.size() - at));
        for (char& ch : name)
            ch = (char)toupper((unsigned char)ch);
        return true;
    };
    const IMAGE_DATA_DIRECTORY& direct = directories[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (DWORD at = direct.VirtualAddress; direct.Size;) {
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        size_t offset = offsetOf(at);
        if (!fits(offset, sizeof descriptor))
            return error = "import table outside the file", false;
        memcpy(&descriptor, image.data() + offset, sizeof descriptor);
        if (!descriptor.Name)
            break;
        std::string name;
        if (!nameAt(descriptor.Name, name))
            return error = "import name outside the file", false;
        pe.imports.insert(name);
        at += sizeof descriptor;
    }
    const IMAGE_DATA_DIRECTORY& delayed = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    for (DWORD at = delayed.VirtualAddress; delayed.Size;) {
        IMAGE_DELAYLOAD_DESCRIPTOR descriptor;
        size_t offset = offsetOf(at);
        if (!fits(offset, sizeof descriptor))
            return error = "delay-load table outside the file", false;
        memcpy(&descriptor, image.data() + offset, sizeof descriptor);
        if (!descriptor.DllNameRVA)
            break;
        DWORD rva = descriptor.DllNameRVA;
        if (!(descriptor.Attributes.AllAttributes & 1))
            rva -= (DWORD)imageBase;    // an old table holds addresses
        std::string name;
        if (!nameAt(rva, name))
            return error = "delay-load name outside the file", false;
        pe.imports.insert(name);
        at += sizeof descriptor;
    }
    return true;
}
