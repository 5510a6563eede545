// What the settings editor must store after a run, worked out from the stored values alone.
#pragma once

#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

#include "RegistryCheck.h"

namespace oracle {

// A text read takes at most this many bytes of what the ANSI query returns.
constexpr size_t TextLimit = 512;

// The combo box's list as it is sorted.
inline const char* const AgentList[] = {
    "Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21",
    "Mozilla/4.0 (compatible; MSIE 4.01; Windows 98)",
    "Mozilla/4.06 [en] (Win98; I)",
};

inline constexpr const char* RangeMessage = "Please enter an integer between 0 and 999.";

struct DwordOption
{
    const char* name;
    int fallback;
    bool checkBox;      // a check box; otherwise a timer of 0..999
};

// The eight numeric options in the order the dialog validates them where it matters.
inline const DwordOption DwordOptions[] = {
    { "Referer", 1, true },         { "GenerateReferer", 0, true }, { "AnimateMonitor", 0, true },
    { "TrayOpenMonitor", 0, true }, { "ToolsSubmenu", 1, true },    { "HangupTimer", 30, false },
    { "TurnOffTimer", 30, false },  { "DebugClicks", 0, true },
};

inline const char* const IconNames[] = { "TrayIconNormal", "TrayIconClock", "DropIconNormal" };

inline bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// UTF-16 text that comes back unchanged from the ANSI code page: no '?' and no best-fit letter
// in place of a character.
inline bool HeldByCodePage(const std::wstring& text)
{
    if (text.empty())
        return true;
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &ansi[0], size, nullptr, nullptr);
    std::wstring back(ansi.size(), L'\0');
    back.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &back[0], (int)back.size()));
    return back == text;
}

struct TextRead
{
    std::string text;
    bool unreadable = false;    // present but longer than the read takes, or text the code page lacks
};

// value is what an ANSI query with room enough returns, wide what a wide query returns.
inline TextRead ReadText(const RawValue& value, const RawValue& wide)
{
    TextRead read;
    if (!value.exists)
        return read;
    if (value.bytes.size() > TextLimit) {
        read.unreadable = true;
        return read;
    }
    size_t n = 0;
    while (n < value.bytes.size() && value.bytes[n] != 0)
        ++n;
    read.text.assign((const char*)value.bytes.data(), n);
    // The ANSI query puts '?' for the characters of stored text that the code page lacks; values of
    // other types come as raw bytes and lose nothing.
    if (IsStringType(value.type) && read.text.find('?') != std::string::npos && wide.exists) {
        std::wstring stored((const wchar_t*)wide.bytes.data(), wide.bytes.size() / sizeof(wchar_t));
        read.unreadable = !HeldByCodePage(stored.substr(0, stored.find(L'\0')));
    }
    return read;
}

// A short value overlays the default's low bytes; the ANSI query ends short unterminated text with a NUL.
inline int ReadDword(const RawValue& value, int fallback)
{
    DWORD data = (DWORD)fallback;
    if (!value.exists || value.bytes.size() > sizeof data)
        return fallback;
    size_t n = value.bytes.size();
    memcpy(&data, value.bytes.data(), n);
    if (IsStringType(value.type) && n > 0 && n < sizeof data && value.bytes[n - 1] != 0)
        ((BYTE*)&data)[n] = 0;
    return (int)data;
}

inline int CheckBoxResult(int value)
{
    return value == 1 || value == 2 ? 1 : 0;
}

inline bool TimerInRange(int value)
{
    return value >= 0 && value <= 999;
}

// The first list entry that the text begins, ignoring the letter case of ASCII, fills the field.
inline std::string AgentShownAndStored(const std::string& text)
{
    if (text.empty())
        return text;
    for (const char* entry : AgentList) {
        size_t length = strlen(entry);
        if (text.size() > length)
            continue;
        bool prefix = true;
        for (size_t i = 0; i < text.size() && prefix; ++i) {
            unsigned char a = (unsigned char)text[i], b = (unsigned char)entry[i];
            prefix = (a < 0x80 ? tolower(a) : a) == tolower(b);
        }
        if (prefix)
            return entry;
    }
    return text;
}

// Text as the window shows it (UTF-16) and back in the ANSI code page; in 1252 every byte survives.
inline std::string ThroughCodePage(const std::string& text)
{
    if (text.empty())
        return text;
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &wide[0], (int)wide.size()));
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), &ansi[0], size, nullptr, nullptr);
    return ansi;
}

// What pressing OK on a dialog loaded from these values must lead to.
struct Outcome
{
    bool rangeMessage = false;                  // OK is refused with RangeMessage
    std::optional<std::string> userAgent;       // text stored (with its NUL); none: left untouched
    std::map<std::string, int> dwords;          // the eight numbers stored
};

// values holds, by name, the ANSI view of each value the dialog reads (missing ones may be absent);
// wideAgent is UserAgent as a wide query returns it.
inline Outcome AfterOk(const std::map<std::string, RawValue>& values, const RawValue& wideAgent)
{
    auto find = [&values](const char* name) {
        auto found = values.find(name);
        return found == values.end() ? RawValue() : found->second;
    };
    Outcome outcome;
    TextRead agent = ReadText(find("UserAgent"), wideAgent);
    if (!agent.unreadable)
        outcome.userAgent = ThroughCodePage(AgentShownAndStored(agent.text));
    for (const DwordOption& option : DwordOptions) {
        int value = ReadDword(find(option.name), option.fallback);
        if (option.checkBox) {
            value = CheckBoxResult(value);
        } else if (!TimerInRange(value)) {
            outcome.rangeMessage = true;
        }
        outcome.dwords[option.name] = value;
    }
    return outcome;
}

}  // namespace oracle
