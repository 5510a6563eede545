// The host program's settings key and the catalogue of the twelve values this program edits.
#pragma once

#include <windows.h>

struct RegistryKey
{
    HKEY root;
    const char* path;
};

// Writing creates every missing level of the path.
inline const RegistryKey SettingsKey = { HKEY_CURRENT_USER, "Software\\Tollbury\\Harvex\\Config" };

struct Setting
{
    const char* name;
    DWORD type;
    int fallback;       // what a read yields when the key or value is missing or unreadable
};

// Text values default to empty text.
inline constexpr Setting UserAgent       = { "UserAgent",       REG_SZ,    0 };
inline constexpr Setting Referer         = { "Referer",         REG_DWORD, 1 };
inline constexpr Setting GenerateReferer = { "GenerateReferer", REG_DWORD, 0 };
inline constexpr Setting AnimateMonitor  = { "AnimateMonitor",  REG_DWORD, 0 };
inline constexpr Setting TrayOpenMonitor = { "TrayOpenMonitor", REG_DWORD, 0 };
inline constexpr Setting ToolsSubmenu    = { "ToolsSubmenu",    REG_DWORD, 1 };
inline constexpr Setting HangupTimer     = { "HangupTimer",     REG_DWORD, 30 };
inline constexpr Setting TurnOffTimer    = { "TurnOffTimer",    REG_DWORD, 30 };
inline constexpr Setting DebugClicks     = { "DebugClicks",     REG_DWORD, 0 };
inline constexpr Setting TrayIconNormal  = { "TrayIconNormal",  REG_SZ,    0 };
inline constexpr Setting TrayIconClock   = { "TrayIconClock",   REG_SZ,    0 };
inline constexpr Setting DropIconNormal  = { "DropIconNormal",  REG_SZ,    0 };

inline constexpr const Setting* Catalogue[] = {
    &UserAgent, &Referer, &GenerateReferer, &AnimateMonitor, &TrayOpenMonitor, &ToolsSubmenu,
    &HangupTimer, &TurnOffTimer, &DebugClicks, &TrayIconNormal, &TrayIconClock, &DropIconNormal,
};
