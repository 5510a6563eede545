// Files for the icon pickers: a real 32x32 icon and a file that only pretends to be one.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

inline bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// One 32x32 image of 32 bits per pixel, filled with the colour (0xAARRGGBB), fully opaque mask.
inline std::vector<BYTE> IconFileBytes(DWORD colour = 0xFF2060C0)
{
    const int side = 32;
    const DWORD pixelBytes = side * side * 4;
    const DWORD maskBytes = side * (side / 8);      // one bit a pixel, rows already DWORD-aligned
    const DWORD imageBytes = sizeof(BITMAPINFOHEADER) + pixelBytes + maskBytes;
    const DWORD imageOffset = 6 + 16;

    std::vector<BYTE> bytes;
    auto put16 = [&bytes](WORD v) { bytes.push_back(LOBYTE(v)); bytes.push_back(HIBYTE(v)); };
    auto put32 = [&put16](DWORD v) { put16(LOWORD(v)); put16(HIWORD(v)); };

    put16(0);           // reserved
    put16(1);           // icon, not cursor
    put16(1);           // one image
    bytes.push_back(side);
    bytes.push_back(side);
    bytes.push_back(0); // no palette
    bytes.push_back(0);
    put16(1);           // planes
    put16(32);          // bits per pixel
    put32(imageBytes);
    put32(imageOffset);

    put32(sizeof(BITMAPINFOHEADER));
    put32(side);
    put32(side * 2);    // colour and mask bitmaps together
    put16(1);
    put16(32);
    put32(BI_RGB);
    put32(pixelBytes + maskBytes);
    put32(0);
    put32(0);
    put32(0);
    put32(0);

    for (int i = 0; i < side * side; ++i)
        put32(colour);
    bytes.insert(bytes.end(), maskBytes, 0);
    return bytes;
}

inline bool WriteIconFile(const std::wstring& path, DWORD colour = 0xFF2060C0)
{
    return WriteWholeFile(path, IconFileBytes(colour));
}

inline bool WriteTextFile(const std::wstring& path, const std::string& text)
{
    return WriteWholeFile(path, std::vector<BYTE>(text.begin(), text.end()));
}
