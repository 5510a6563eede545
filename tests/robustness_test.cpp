// The real program under random stored values, store faults and repeated runs, and all that a run touches.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <set>

#include <windows.h>
#include <psapi.h>

#include "Oracle.h"
#include "ProgramDriver.h"
#include "RegistryCheck.h"
#include "Snapshot.h"
#include "res/resource.h"

namespace {

constexpr DWORD StartTimeoutMs = 20000;
constexpr DWORD ExitTimeoutMs = 15000;
constexpr uint64_t DefaultSeed = 20240611;
constexpr int DefaultRounds = 20;

const char* const SettingsParent = "Software\\Tollbury";

std::string Hex(const BYTE* bytes, size_t size, size_t limit = 24)
{
    std::string text;
    char hex[4];
    for (size_t i = 0; i < size && i < limit; ++i) {
        snprintf(hex, sizeof hex, "%02x", bytes[i]);
        text += hex;
    }
    if (size > limit)
        text += "..";
    return text;
}

std::string Describe(const StoredValue& value)
{
    return "type " + std::to_string(value.type) + ", " + std::to_string(value.bytes.size()) +
           " bytes: " + Hex(value.bytes.data(), value.bytes.size(), 64);
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// Every value of the settings key as stored; none when the key is missing.
std::optional<StoredValues> ReadSettingsKey()
{
    HKEY key;
    if (RegOpenKeyExA(SettingsKey.root, SettingsKey.path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValues values = ReadStoredValues(key);
    RegCloseKey(key);
    return values;
}

RegistryTree ReadSettingsTree()
{
    RegistryTree tree;
    ReadRegistryTree(HKEY_CURRENT_USER, Wide(SettingsParent), tree);
    return tree;
}

std::map<std::string, RawValue> ReadAnsiView()
{
    std::map<std::string, RawValue> values;
    values["UserAgent"] = ReadRaw("UserAgent");
    for (const oracle::DwordOption& option : oracle::DwordOptions)
        values[option.name] = ReadRaw(option.name);
    for (const char* name : oracle::IconNames)
        values[name] = ReadRaw(name);
    return values;
}

// What the ANSI query returns for text stored through the ANSI call, which converts it to the code page.
RawValue StoredAsAnsiText(const std::string& text)
{
    RawValue value;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\HarvexRobustnessScratch", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegSetValueExA(key, "Text", 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1) == ERROR_SUCCESS &&
        RegQueryValueExA(key, "Text", nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.exists = RegQueryValueExA(key, "Text", nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\HarvexRobustnessScratch");
    return value;
}

// The texts of a window's children, to read a message box.
std::vector<std::wstring> ChildTexts(HWND window)
{
    struct Collect
    {
        static BOOL CALLBACK Child(HWND child, LPARAM param)
        {
            ((std::vector<std::wstring>*)param)->push_back(ProgramDriver::Text(child));
            return TRUE;
        }
    };
    std::vector<std::wstring> texts;
    EnumChildWindows(window, Collect::Child, (LPARAM)&texts);
    return texts;
}

std::string Joined(const std::vector<std::wstring>& texts)
{
    std::string joined;
    for (const std::wstring& text : texts)
        joined += (joined.empty() ? "\"" : ", \"") + Narrow(text) + "\"";
    return joined;
}

enum class Ending { Exited, Box, StillRunning };

// Waits until the program ends or shows a box of its own.
Ending WaitForExitOrBox(ProgramDriver& program, DWORD timeoutMs, DWORD& exitCode, HWND& box)
{
    for (DWORD waited = 0;; waited += 50) {
        if (program.WaitForExit(0, &exitCode))
            return Ending::Exited;
        box = program.WaitForOwnedDialog(0);
        if (box)
            return Ending::Box;
        if (waited >= timeoutMs)
            return Ending::StillRunning;
        Sleep(50);
    }
}

// ---------------------------------------------------------------------------------------------
// Random stored values

class Random
{
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return (uint32_t)(Next() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }

private:
    uint64_t m_state;
};

uint64_t RoundSeed(uint64_t seed, int round)
{
    Random random(seed ^ (0xD1B54A32D192ED03ull * (uint64_t)(round + 1)));
    return random.Next();
}

struct SeedValue
{
    std::string name;
    bool wide = false;          // stored through the wide call, so the bytes are kept as they are
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

enum class KeyState { Present, TreeMissing, ConfigMissing };

struct Round
{
    int index = 0;
    uint64_t seed = 0;
    KeyState key = KeyState::Present;
    bool pressOk = true;
    std::vector<SeedValue> values;
};

const DWORD RandomTypes[] = { REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY, REG_QWORD, REG_NONE };

// Sizes gather where reads change their mind: none or a few bytes, and around the text limit.
size_t RandomSize(Random& random)
{
    uint32_t pick = random.Below(100);
    if (pick < 45)
        return random.Below(6);
    if (pick < 70)
        return 510 + random.Below(5);
    if (pick < 85)
        return 6 + random.Below(504);
    return 515 + random.Below(3582);
}

std::vector<BYTE> RandomBytes(Random& random, size_t size)
{
    std::vector<BYTE> bytes(size);
    for (BYTE& b : bytes) {
        uint32_t pick = random.Below(10);
        b = pick < 2 ? 0 : pick < 4 ? (BYTE)(0x80 + random.Below(128)) : pick < 5 ? (BYTE)random.Below(32)
                                                                             : (BYTE)(0x20 + random.Below(95));
    }
    return bytes;
}

SeedValue RandomRaw(Random& random, const std::string& name)
{
    SeedValue value;
    value.name = name;
    value.wide = random.Chance(50);
    value.type = RandomTypes[random.Below(7)];
    value.bytes = RandomBytes(random, RandomSize(random));
    return value;
}

SeedValue Seed(const std::string& name, const RawValue& raw)
{
    SeedValue value;
    value.name = name;
    value.type = raw.type;
    value.bytes = raw.bytes;
    return value;
}

SeedValue Text(const std::string& name, const std::string& text, bool withNul = true)
{
    SeedValue value = Seed(name, RawString(text));
    if (!withNul)
        value.bytes.pop_back();
    return value;
}

SeedValue Dword(const std::string& name, DWORD number)
{
    return Seed(name, RawDword(number));
}

SeedValue PlausibleNumber(Random& random, const std::string& name, bool timer)
{
    const DWORD numbers[] = { 0, 1, 2, 3, (DWORD)-1, 30, 999, 1000, 256, 0x80000000, 0x7FFFFFFF, (DWORD)-999 };
    DWORD number = random.Chance(timer ? 60 : 30) ? random.Below(1000) : numbers[random.Below(12)];
    return Dword(name, number);
}

SeedValue PlausibleAgent(Random& random)
{
    std::string text;
    switch (random.Below(6)) {
    case 0: {   // the start of a list entry in any letter case
        std::string entry = oracle::AgentList[random.Below(3)];
        text = entry.substr(0, 1 + random.Below((uint32_t)entry.size()));
        for (char& c : text)
            if (random.Chance(50))
                c = (char)(random.Chance(50) ? toupper((unsigned char)c) : tolower((unsigned char)c));
        break;
    }
    case 1:
        text = std::string(oracle::AgentList[random.Below(3)]) + (random.Chance(50) ? " " : "x");
        break;
    case 2:
        text = "Agent\r\n\t/1.0\x01\x1b\x7f";
        break;
    case 3:
        text = "\x81\x8d\x8f\x90\x9d \x80\xa0\xff caf\xe9";
        break;
    case 4:     // at the text limit, with and without a terminator
        text = std::string(511 + random.Below(3), (char)('a' + random.Below(26)));
        break;
    default:
        text = "Mozilla";
        text[random.Below(7)] = (char)(0x80 + random.Below(128));
        break;
    }
    SeedValue value = Text("UserAgent", text, random.Chance(70));
    if (random.Chance(20))
        value.type = REG_BINARY;
    return value;
}

// Icon files that are not what they claim, and paths that name no icon at all.
class IconFiles
{
public:
    IconFiles()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "HarvexRobustness" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_folder.c_str(), nullptr);

        Add("empty.ico", {});
        Add("valid.ico", ValidIcon());
        std::vector<BYTE> header = { 0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0,
                                     0xF0, 0xFF, 0xFF, 0x7F, 22, 0, 0, 0 };
        Add("hugeentry.ico", header);
        std::vector<BYTE> farOffset = header;
        farOffset[14] = 40, farOffset[15] = farOffset[16] = farOffset[17] = 0;
        farOffset[18] = farOffset[19] = farOffset[20] = 0xFF;
        Add("faroffset.ico", farOffset);
        Add("manyimages.ico", { 0, 0, 1, 0, 0xFF, 0xFF });
        std::vector<BYTE> badBitmap = ValidIcon();
        SetDword(badBitmap, 22 + 4, 0x7FFF);       // width
        SetDword(badBitmap, 22 + 8, 0x7FFFFFF0);   // height
        badBitmap[22 + 14] = 3;                    // bit count
        SetDword(badBitmap, 22 + 32, 0xFFFFFFFF);  // colours used
        Add("badbitmap.ico", badBitmap);
        std::vector<BYTE> png = header;
        SetDword(png, 14, 64);
        const BYTE signature[] = { 0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                   0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 8, 6, 0, 0, 0 };
        png.insert(png.end(), std::begin(signature), std::end(signature));
        png.resize(22 + 64, 0xEE);
        Add("png.ico", png);
        Random random(7);
        Add("random.ico", RandomBytes(random, 1024));

        m_paths.push_back(Narrow(ProgramDriver::ProgramPath()));
        for (const char* path : { "", "C:\\nowhere\\missing.ico", "NUL", "CON", "C:\\", "C:\\windows",
                                  "\\\\?\\C:\\nowhere.ico", "*?<>|\"", "C:\\windows\\system32\\user32.dll" })
            m_paths.push_back(path);
        m_paths.push_back("C:\\" + std::string(300, 'd') + "\\x.ico");
    }
    ~IconFiles()
    {
        for (const std::string& file : m_files)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }
    IconFiles(const IconFiles&) = delete;
    IconFiles& operator=(const IconFiles&) = delete;

    const std::vector<std::string>& Paths() const { return m_paths; }
    std::string Valid() const { return m_folder + "\\valid.ico"; }

private:
    static void SetDword(std::vector<BYTE>& bytes, size_t at, DWORD value)
    {
        memcpy(bytes.data() + at, &value, 4);
    }

    // A 16 by 16 icon of 32 bits a pixel.
    static std::vector<BYTE> ValidIcon()
    {
        const DWORD imageSize = 40 + 16 * 16 * 4 + 16 * 4;
        std::vector<BYTE> bytes = { 0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0 };
        bytes.resize(22 + imageSize);
        SetDword(bytes, 14, imageSize);
        SetDword(bytes, 18, 22);
        SetDword(bytes, 22, 40);
        SetDword(bytes, 22 + 4, 16);
        SetDword(bytes, 22 + 8, 32);
        bytes[22 + 12] = 1;
        bytes[22 + 14] = 32;
        for (DWORD i = 0; i < 16 * 16; ++i)
            SetDword(bytes, 22 + 40 + i * 4, 0xFF000000 | (i * 0x010203));
        return bytes;
    }

    void Add(const char* name, const std::vector<BYTE>& bytes)
    {
        std::string path = m_folder + "\\" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            if (!bytes.empty())
                WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
            CloseHandle(file);
        }
        m_files.push_back(path);
        m_paths.push_back(path);
    }

    std::string m_folder;
    std::vector<std::string> m_files;
    std::vector<std::string> m_paths;
};

Round MakeRound(uint64_t seed, int index, const IconFiles& icons)
{
    Round round;
    round.index = index;
    round.seed = RoundSeed(seed, index);
    Random random(round.seed);
    uint32_t keyPick = random.Below(100);
    round.key = keyPick < 8 ? KeyState::TreeMissing : keyPick < 14 ? KeyState::ConfigMissing : KeyState::Present;
    round.pressOk = random.Chance(80);
    if (round.key != KeyState::Present)
        return round;

    auto add = [&](const std::string& name, uint32_t plausibleChance, const std::function<SeedValue()>& plausible) {
        if (random.Chance(12))
            return;     // left missing
        round.values.push_back(random.Chance(plausibleChance) ? plausible() : RandomRaw(random, name));
    };
    add("UserAgent", 35, [&] { return PlausibleAgent(random); });
    // Timers are mostly in range, or nearly every OK would end at the range message.
    for (const oracle::DwordOption& option : oracle::DwordOptions)
        add(option.name, option.checkBox ? 35 : 50, [&] { return PlausibleNumber(random, option.name, !option.checkBox); });
    for (const char* name : oracle::IconNames)
        add(name, 35, [&] { return Text(name, icons.Paths()[random.Below((uint32_t)icons.Paths().size())]); });
    if (random.Chance(20))
        round.values.push_back(RandomRaw(random, "Unrelated"));
    // Shuffled, so that the order values are stored in varies too.
    for (size_t i = round.values.size(); i > 1; --i)
        std::swap(round.values[i - 1], round.values[random.Below((uint32_t)i)]);
    return round;
}

void StoreValue(HKEY key, const SeedValue& value)
{
    SetValueExactly(key, Wide(value.name).c_str(), value.type, value.bytes.data(), (DWORD)value.bytes.size(),
                    value.wide);
}

void StoreRound(const Round& round)
{
    DeleteSettingsTree();
    HKEY key;
    if (round.key == KeyState::TreeMissing)
        return;
    if (round.key == KeyState::ConfigMissing) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tollbury\\Harvex", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
        return;
    }
    if (RegCreateKeyExA(SettingsKey.root, SettingsKey.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const SeedValue& value : round.values)
        StoreValue(key, value);
    RegCloseKey(key);
}

std::string DescribeRound(const Round& round)
{
    std::string text = "round " + std::to_string(round.index) + (round.pressOk ? ", OK" : ", Cancel");
    if (round.key == KeyState::TreeMissing)
        return text + ", no Software\\Tollbury";
    if (round.key == KeyState::ConfigMissing)
        return text + ", no settings key";
    for (const SeedValue& value : round.values)
        text += "\n    " + value.name + ": type " + std::to_string(value.type) + (value.wide ? " wide" : " ansi") +
                ", " + std::to_string(value.bytes.size()) + " bytes " + Hex(value.bytes.data(), value.bytes.size());
    return text;
}

// ---------------------------------------------------------------------------------------------
// One run of the program against what the oracle says it must store

enum class Verdict { Passed, Crash, Hang, Mismatch };

struct RunResult
{
    Verdict verdict = Verdict::Passed;
    std::vector<std::string> problems;
    bool rangeMessage = false;
    bool unreadableAgent = false;

    void Fail(Verdict kind, const std::string& problem)
    {
        if (verdict == Verdict::Passed || verdict == Verdict::Mismatch)
            verdict = kind;
        problems.push_back(problem);
    }
};

// The nine options as OK must leave them; every other value exactly as before.
void CheckAfterOk(const oracle::Outcome& expected, const std::optional<StoredValues>& before, RunResult& result)
{
    std::optional<StoredValues> after = ReadSettingsKey();
    if (!after) {
        result.Fail(Verdict::Mismatch, "the settings key is missing after OK");
        return;
    }
    std::set<std::wstring> names;
    if (before)
        for (const auto& [name, value] : *before)
            names.insert(Lower(name));
    for (const auto& [name, value] : *after)
        names.insert(Lower(name));
    names.insert(L"useragent");
    for (const oracle::DwordOption& option : oracle::DwordOptions)
        names.insert(Lower(Wide(option.name)));

    auto find = [](const std::optional<StoredValues>& values, const std::wstring& name) -> const StoredValue* {
        if (!values)
            return nullptr;
        for (const auto& [stored, value] : *values)
            if (Lower(stored) == name)
                return &value;
        return nullptr;
    };
    for (const std::wstring& wideName : names) {
        std::string name = Narrow(wideName);
        const oracle::DwordOption* option = nullptr;
        for (const oracle::DwordOption& o : oracle::DwordOptions)
            if (Lower(Wide(o.name)) == wideName)
                option = &o;
        if (option) {
            RawValue got = ReadRaw(option->name);
            RawValue want = RawDword((DWORD)expected.dwords.at(option->name));
            if (!(got == want))
                result.Fail(Verdict::Mismatch, std::string(option->name) + ": expected " + ::Describe(want) +
                                                   ", found " + ::Describe(got));
        } else if (wideName == L"useragent" && expected.userAgent) {
            RawValue got = ReadRaw("UserAgent");
            RawValue want = StoredAsAnsiText(*expected.userAgent);
            if (!(got == want))
                result.Fail(Verdict::Mismatch, "UserAgent: expected " + ::Describe(want) + ", found " + ::Describe(got));
        } else {
            const StoredValue* was = find(before, wideName);
            const StoredValue* is = find(after, wideName);
            if (!was != !is || (was && *was != *is))
                result.Fail(Verdict::Mismatch, name + " changed although OK must leave it: was " +
                                                   (was ? Describe(*was) : "(missing)") + ", now " +
                                                   (is ? Describe(*is) : "(missing)"));
        }
    }
}

// Dismisses the range message that OK must bring up; false when it did not come as it should.
bool DismissRangeMessage(ProgramDriver& program, RunResult& result)
{
    HWND box = program.WaitForOwnedDialog(10000);
    if (!box) {
        result.Fail(Verdict::Mismatch, program.WaitForExit(0) ? "OK ended the dialog without the range message"
                                                               : "no range message after OK");
        return false;
    }
    std::vector<std::wstring> texts = ChildTexts(box);
    if (std::find(texts.begin(), texts.end(), Wide(oracle::RangeMessage)) == texts.end())
        result.Fail(Verdict::Mismatch, "the box after OK says " + Joined(texts));
    if (program.CountOwnedDialogs() != 1)
        result.Fail(Verdict::Mismatch, std::to_string(program.CountOwnedDialogs()) + " boxes after OK");
    ProgramDriver::Press(box, IDOK);
    for (int i = 0; i < 250 && IsWindow(box); ++i)
        Sleep(20);
    if (IsWindow(box)) {
        result.Fail(Verdict::Hang, "the range message does not go away");
        return false;
    }
    if (program.WaitForExit(0) || !IsWindowVisible(program.Dialog())) {
        result.Fail(Verdict::Mismatch, "the dialog closed after the range message");
        return false;
    }
    return true;
}

// Starts the program on what is stored now, presses OK or Cancel and checks what it stored.
RunResult RunOnce(bool pressOk, const std::function<void(ProgramDriver&)>& whileOpen = nullptr)
{
    RunResult result;
    const RegistryTree treeBefore = ReadSettingsTree();
    const std::optional<StoredValues> keyBefore = ReadSettingsKey();
    const oracle::Outcome expected = oracle::AfterOk(ReadAnsiView(), ReadWideRaw("UserAgent"));
    result.rangeMessage = pressOk && expected.rangeMessage;
    result.unreadableAgent = !expected.userAgent;

    ProgramDriver program;
    if (!program.Start(StartTimeoutMs)) {
        DWORD exitCode = 0;
        if (program.WaitForExit(0, &exitCode))
            result.Fail(Verdict::Crash, "ended with code " + std::to_string(exitCode) + " before showing its dialog");
        else
            result.Fail(Verdict::Hang, "no dialog");
        return result;
    }
    if (whileOpen)
        whileOpen(program);
    const RegistryTree treeOpen = whileOpen ? ReadSettingsTree() : treeBefore;
    const std::optional<StoredValues> keyOpen = whileOpen ? ReadSettingsKey() : keyBefore;

    if (!pressOk) {
        program.Press(IDCANCEL);
    } else {
        program.Press(IDOK);
        if (expected.rangeMessage) {
            if (!DismissRangeMessage(program, result))
                return result;
            program.Press(IDCANCEL);
        }
    }
    DWORD exitCode = 0;
    HWND box = nullptr;
    switch (WaitForExitOrBox(program, ExitTimeoutMs, exitCode, box)) {
    case Ending::Box:
        result.Fail(Verdict::Mismatch, "a box says " + Joined(ChildTexts(box)));
        return result;
    case Ending::StillRunning:
        result.Fail(Verdict::Hang, "still running " + std::to_string(ExitTimeoutMs) + " ms after the press");
        return result;
    case Ending::Exited:
        break;
    }
    if (exitCode != 0)
        result.Fail(Verdict::Crash, "ended with code " + std::to_string(exitCode));

    if (pressOk && !expected.rangeMessage) {
        CheckAfterOk(expected, keyOpen, result);
    } else if (ReadSettingsTree() != treeOpen) {
        std::string changes;
        for (const std::wstring& change : DiffRegistryTrees(treeOpen, ReadSettingsTree()))
            changes += "\n    " + Narrow(change);
        result.Fail(Verdict::Mismatch, std::string(pressOk ? "OK refused" : "Cancel") + " but the store changed:" + changes);
    }
    return result;
}

struct Figures
{
    int rounds = 0, crashes = 0, hangs = 0, mismatches = 0;
    int pressedOk = 0, pressedCancel = 0, rangeMessages = 0, unreadableAgents = 0, keyMissing = 0;
};

// Runs rounds first..first+count-1 of a seed; report hears of every round that did not pass.
Figures RunRandomRounds(uint64_t seed, int first, int count,
                        const std::function<void(const Round&, const RunResult&)>& report)
{
    IconFiles icons;
    Figures figures;
    for (int index = first; index < first + count; ++index) {
        Round round = MakeRound(seed, index, icons);
        StoreRound(round);
        RunResult result = RunOnce(round.pressOk);
        ++figures.rounds;
        ++(round.pressOk ? figures.pressedOk : figures.pressedCancel);
        figures.rangeMessages += result.rangeMessage;
        figures.unreadableAgents += result.unreadableAgent;
        figures.keyMissing += round.key != KeyState::Present;
        switch (result.verdict) {
        case Verdict::Passed: break;
        case Verdict::Crash: ++figures.crashes; break;
        case Verdict::Hang: ++figures.hangs; break;
        case Verdict::Mismatch: ++figures.mismatches; break;
        }
        if (result.verdict != Verdict::Passed)
            report(round, result);
    }
    DeleteSettingsTree();
    return figures;
}

std::string FailureText(uint64_t seed, const Round& round, const RunResult& result)
{
    std::string text = DescribeRound(round);
    for (const std::string& problem : result.problems)
        text += "\n  " + problem;
    char replay[96];
    snprintf(replay, sizeof replay, "\n  replay: --round=%d --seed=%" PRIu64, round.index, seed);
    return text + replay;
}

uint64_t EnvironmentNumber(const char* name, uint64_t fallback)
{
    const char* text = getenv(name);
    return text && *text ? strtoull(text, nullptr, 0) : fallback;
}

// ---------------------------------------------------------------------------------------------
// Tests

TEST(RobustnessTest, RandomStoredValuesNeitherCrashNorHangNorMisstore)
{
    uint64_t seed = EnvironmentNumber("HQ_SEED", DefaultSeed);
    int rounds = (int)EnvironmentNumber("HQ_ROUNDS", DefaultRounds);
    printf("seed %" PRIu64 ", %d rounds (HQ_SEED and HQ_ROUNDS replay them), code page %u\n", seed, rounds, GetACP());
    if (uint64_t codePage = EnvironmentNumber("HQ_EXPECT_ACP", 0)) {
        ASSERT_EQ(codePage, GetACP()) << "the locale did not give the code page asked for";
    }
    Figures figures = RunRandomRounds(seed, 0, rounds, [seed](const Round& round, const RunResult& result) {
        ADD_FAILURE() << FailureText(seed, round, result);
    });
    printf("pressed OK %d, Cancel %d; range messages %d; unreadable UserAgent %d; key missing %d\n",
           figures.pressedOk, figures.pressedCancel, figures.rangeMessages, figures.unreadableAgents,
           figures.keyMissing);
    EXPECT_EQ(0, figures.crashes);
    EXPECT_EQ(0, figures.hangs);
    EXPECT_EQ(0, figures.mismatches);
}

// A store of every kind of option value, with icon paths and a value of no option.
void SeedTypicalStore(bool unreadableAgent)
{
    WriteRaw("UserAgent", unreadableAgent ? RawString(std::string(600, 'u')) : RawString("mozilla/4.06"));
    WriteRaw("Referer", RawDword(0));
    WriteRaw("GenerateReferer", RawDword(2));
    WriteRaw("AnimateMonitor", RawDword(7));
    WriteRaw("TrayOpenMonitor", RawDword(1));
    const BYTE zero = 0;
    WriteRaw("ToolsSubmenu", REG_BINARY, &zero, 1);
    WriteRaw("HangupTimer", RawDword(999));
    WriteRaw("TurnOffTimer", RawDword(0));
    WriteRaw("TrayIconNormal", RawString("C:\\nowhere\\normal.ico"));
    WriteRaw("TrayIconClock", RawString("C:\\nowhere\\clock.ico"));
    WriteRaw("DropIconNormal", RawString("C:\\nowhere\\drop.ico"));
    WriteRaw("Unrelated", RawDword(12345));
}

void DeleteValue(const char* name)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(SettingsKey.root, SettingsKey.path, 0, KEY_SET_VALUE, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, name));
    RegCloseKey(key);
}

std::string Problems(const RunResult& result)
{
    std::string text;
    for (const std::string& problem : result.problems)
        text += "\n  " + problem;
    return text;
}

using StoreFaultTest = SettingsKeyTest;

TEST_F(StoreFaultTest, VolatileParentKeepsOkFromWritingAnything)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, SettingsParent, 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tollbury\\Harvex", 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    // The platform refuses a lasting key below a volatile one, so no write can succeed.
    ASSERT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
              RegCreateKeyExA(SettingsKey.root, SettingsKey.path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr));

    const RegistryTree before = ReadRegistryTree(HKEY_CURRENT_USER);
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    program.Press(IDOK);
    DWORD exitCode = 1;
    HWND box = nullptr;
    ASSERT_EQ(Ending::Exited, WaitForExitOrBox(program, ExitTimeoutMs, exitCode, box)) << Joined(ChildTexts(box));
    EXPECT_EQ(0u, exitCode);
    std::vector<std::string> changes;
    for (const std::wstring& change : DiffRegistryTrees(before, ReadRegistryTree(HKEY_CURRENT_USER)))
        changes.push_back(Narrow(change));
    EXPECT_EQ(std::vector<std::string>(), changes);
    EXPECT_FALSE(SettingsKeyExists());
}

struct DeletedKeyCase
{
    const char* label;
    const char* deleted;        // the key the test deletes while the dialog is open
    bool unreadableAgent;
};

class DeletedKeyTest : public SettingsKeyTest, public testing::WithParamInterface<DeletedKeyCase>
{
};

TEST_P(DeletedKeyTest, OkRecreatesKeyWithNineOptions)
{
    const DeletedKeyCase& c = GetParam();
    SeedTypicalStore(c.unreadableAgent);
    const oracle::Outcome expected = oracle::AfterOk(ReadAnsiView(), ReadWideRaw("UserAgent"));
    ASSERT_FALSE(expected.rangeMessage);

    RunResult result = RunOnce(true, [&c](ProgramDriver&) {
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, c.deleted));
        ASSERT_FALSE(SettingsKeyExists());
    });
    EXPECT_EQ(Verdict::Passed, result.verdict) << Problems(result);

    std::optional<StoredValues> after = ReadSettingsKey();
    ASSERT_TRUE(after);
    std::set<std::string> names;
    for (const auto& [name, value] : *after)
        names.insert(Narrow(name));
    std::set<std::string> nine;
    for (const oracle::DwordOption& option : oracle::DwordOptions)
        nine.insert(option.name);
    if (!c.unreadableAgent)
        nine.insert("UserAgent");
    EXPECT_EQ(nine, names);
    if (!c.unreadableAgent) {
        EXPECT_EQ(RawString("Mozilla/4.06 [en] (Win98; I)"), ReadRaw("UserAgent"));
    }
}

INSTANTIATE_TEST_SUITE_P(Store, DeletedKeyTest, testing::Values(
    DeletedKeyCase{ "SettingsKey",        "Software\\Tollbury\\Harvex\\Config", false },
    DeletedKeyCase{ "WholeTree",          "Software\\Tollbury",                 false },
    DeletedKeyCase{ "UnreadableAgentKey", "Software\\Tollbury\\Harvex\\Config", true }
), [](const testing::TestParamInfo<DeletedKeyCase>& info) { return std::string(info.param.label); });

struct ConcurrentWriteCase
{
    const char* label;
    bool unreadableAgent;
};

class ConcurrentWriteTest : public SettingsKeyTest, public testing::WithParamInterface<ConcurrentWriteCase>
{
};

TEST_P(ConcurrentWriteTest, OkOverwritesOptionsAndKeepsIconsWrittenMeanwhile)
{
    SeedTypicalStore(GetParam().unreadableAgent);
    const oracle::Outcome expected = oracle::AfterOk(ReadAnsiView(), ReadWideRaw("UserAgent"));

    const std::map<std::string, RawValue> meanwhile = {
        { "UserAgent", RawString("Written/2.0 meanwhile") },
        { "Referer", RawDword(2) },
        { "HangupTimer", RawDword(5000) },
        { "DebugClicks", RawDword(1) },
        { "TrayIconNormal", RawString("C:\\elsewhere\\normal.ico") },
        { "DropIconNormal", RawString("C:\\elsewhere\\drop.ico") },
        { "Unrelated", RawString("changed meanwhile") },
    };
    RunResult result = RunOnce(true, [&meanwhile](ProgramDriver&) {
        for (const auto& [name, value] : meanwhile)
            WriteRaw(name.c_str(), value);
        DeleteValue("TrayIconClock");
    });
    // RunOnce already holds every value but the nine to what stood when OK was pressed.
    EXPECT_EQ(Verdict::Passed, result.verdict) << Problems(result);
    for (const oracle::DwordOption& option : oracle::DwordOptions)
        EXPECT_EQ(RawDword((DWORD)expected.dwords.at(option.name)), ReadRaw(option.name)) << option.name;
    EXPECT_EQ(expected.userAgent ? RawString(*expected.userAgent) : meanwhile.at("UserAgent"), ReadRaw("UserAgent"));
    EXPECT_EQ(meanwhile.at("TrayIconNormal"), ReadRaw("TrayIconNormal"));
    EXPECT_EQ(meanwhile.at("DropIconNormal"), ReadRaw("DropIconNormal"));
    EXPECT_FALSE(ReadRaw("TrayIconClock").exists);
    EXPECT_EQ(meanwhile.at("Unrelated"), ReadRaw("Unrelated"));
}

INSTANTIATE_TEST_SUITE_P(Store, ConcurrentWriteTest, testing::Values(
    ConcurrentWriteCase{ "ReadableAgent", false },
    ConcurrentWriteCase{ "UnreadableAgent", true }
), [](const testing::TestParamInfo<ConcurrentWriteCase>& info) { return std::string(info.param.label); });

struct AgentCase
{
    const char* label;
    bool wide;
    DWORD type;
    std::string bytes;
    std::optional<std::string> stored;     // the text OK stores; none: the value is left as it is
};

class AgentTextTest : public SettingsKeyTest, public testing::WithParamInterface<AgentCase>
{
};

TEST_P(AgentTextTest, OkStoresTextAsShownOrLeavesUnreadableAlone)
{
    const AgentCase& c = GetParam();
    bool highBytes = std::any_of(c.bytes.begin(), c.bytes.end(), [](char b) { return (BYTE)b >= 0x80; });
    if ((highBytes || c.wide) && GetACP() != 1252)
        GTEST_SKIP() << "the bytes expected are those of code page 1252, not " << GetACP();
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(SettingsKey.root, SettingsKey.path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    SeedValue value;
    value.name = "UserAgent";
    value.wide = c.wide;
    value.type = c.type;
    value.bytes.assign(c.bytes.begin(), c.bytes.end());
    StoreValue(key, value);
    RegCloseKey(key);
    const std::optional<StoredValues> before = ReadSettingsKey();

    RunResult result = RunOnce(true);
    EXPECT_EQ(Verdict::Passed, result.verdict) << Problems(result);
    if (c.stored) {
        EXPECT_EQ(RawString(*c.stored), ReadRaw("UserAgent"));
    } else {
        EXPECT_TRUE(before->at(L"UserAgent") == ReadSettingsKey()->at(L"UserAgent"));
    }
}

std::string Utf16(const std::wstring& text)
{
    return std::string((const char*)text.data(), text.size() * sizeof(wchar_t));
}

const std::string MsieEntry = oracle::AgentList[1];

INSTANTIATE_TEST_SUITE_P(Agent, AgentTextTest, testing::Values(
    AgentCase{ "LineBreaks",          false, REG_SZ,        std::string("ab\r\ncd\0", 7),        "ab\r\ncd" },
    AgentCase{ "Controls",            false, REG_SZ,        std::string("a\tb\x01\x1b\x7f\0", 7), "a\tb\x01\x1b\x7f" },
    AgentCase{ "UnassignedInAnsi",    false, REG_SZ,        std::string("\x81\x8d\x8f\x90\x9d\0", 6), "\x81\x8d\x8f\x90\x9d" },
    AgentCase{ "HighBytes",           false, REG_EXPAND_SZ, std::string("\x80\xa0\xff caf\xe9\0", 10), "\x80\xa0\xff caf\xe9" },
    AgentCase{ "PrefixInOtherCase",   false, REG_SZ,        std::string("mOZILLA/4.0\0", 12),    MsieEntry },
    AgentCase{ "OneLetter",           false, REG_BINARY,    "m",                                oracle::AgentList[0] },
    AgentCase{ "PrefixBeforeNul",     false, REG_SZ,        std::string("mozilla/4.0\0junk", 16), MsieEntry },
    AgentCase{ "LongerThanEntry",     false, REG_SZ,        std::string(oracle::AgentList[2]) + " x", std::string(oracle::AgentList[2]) + " x" },
    AgentCase{ "NotAtStart",          false, REG_SZ,        " Mozilla",                         " Mozilla" },
    AgentCase{ "BinaryOfLimit",       false, REG_BINARY,    std::string(512, 'b'),              std::string(512, 'b') },
    AgentCase{ "TextOverLimit",       false, REG_SZ,        std::string(512, 'c') + '\0',       std::nullopt },
    AgentCase{ "BinaryOverLimit",     false, REG_BINARY,    std::string(4000, 'd'),             std::nullopt },
    AgentCase{ "WideOutsideAnsi",     true,  REG_SZ,        Utf16(L"\u4e2d/1.0"),               std::nullopt },
    AgentCase{ "WideOutsideAnsiList", true,  REG_MULTI_SZ,  Utf16({ L"a\u4e2d\0b\0", 6 }),      std::nullopt },
    AgentCase{ "WideQuestionMark",    true,  REG_EXPAND_SZ, Utf16({ L"What?/1.0", 10 }),        "What?/1.0" },
    AgentCase{ "WideBinaryQuestion",  true,  REG_BINARY,    Utf16(L"\u4e2d\u6587?"),            "-N\x87" "e?" }
), [](const testing::TestParamInfo<AgentCase>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// The scope of a run's effects

// Where a run could leave a file: the prefix's C: drive, and the program's folder less prefix and logs.
FileTree ReadFiles()
{
    std::wstring program = ProgramDriver::ProgramPath();
    std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    FileTree files;
    ReadFileTree(L"C:", {}, files);
    ReadFileTree(folder, { folder + L"\\wineprefix", folder + L"\\Testing" }, files);
    return files;
}

struct ScopeCase
{
    const char* label;
    bool seeded;
    bool pressOk;
};

class ScopeTest : public SettingsKeyTest, public testing::WithParamInterface<ScopeCase>
{
};

TEST_P(ScopeTest, RunChangesNothingButSettingsKey)
{
    const ScopeCase& c = GetParam();
    if (c.seeded)
        SeedTypicalStore(false);
    const RegistryTree userBefore = ReadRegistryTree(HKEY_CURRENT_USER);
    const RegistryTree machineBefore = ReadRegistryTree(HKEY_LOCAL_MACHINE);
    const FileTree filesBefore = ReadFiles();

    RunResult result = RunOnce(c.pressOk);
    ASSERT_EQ(Verdict::Passed, result.verdict) << Problems(result);

    // What OK must write: the settings key's values, and the key's path when it was missing.
    std::set<std::wstring> allowed;
    if (c.pressOk) {
        std::wstring key = Wide(SettingsKey.path);
        allowed.insert(L"added value " + key + L" : UserAgent");
        for (const oracle::DwordOption& option : oracle::DwordOptions) {
            allowed.insert(L"added value " + key + L" : " + Wide(option.name));
            allowed.insert(L"changed value " + key + L" : " + Wide(option.name));
        }
        allowed.insert(L"changed value " + key + L" : UserAgent");
        if (!c.seeded)
            for (const wchar_t* path : { L"Software\\Tollbury", L"Software\\Tollbury\\Harvex", key.c_str() })
                allowed.insert(std::wstring(L"added key ") + path);
    }
    std::vector<std::string> unexpected;
    for (const std::wstring& change : DiffRegistryTrees(userBefore, ReadRegistryTree(HKEY_CURRENT_USER)))
        if (!allowed.count(change))
            unexpected.push_back("HKEY_CURRENT_USER: " + Narrow(change));
    for (const std::wstring& change : DiffRegistryTrees(machineBefore, ReadRegistryTree(HKEY_LOCAL_MACHINE)))
        unexpected.push_back("HKEY_LOCAL_MACHINE: " + Narrow(change));
    for (const std::wstring& change : DiffFileTrees(filesBefore, ReadFiles()))
        unexpected.push_back("file " + Narrow(change));
    EXPECT_EQ(std::vector<std::string>(), unexpected);
}

INSTANTIATE_TEST_SUITE_P(Scope, ScopeTest, testing::Values(
    ScopeCase{ "SeededOk",     true,  true },
    ScopeCase{ "MissingKeyOk", false, true },
    ScopeCase{ "SeededCancel", true,  false }
), [](const testing::TestParamInfo<ScopeCase>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// The scripts' modes

// The handles a process holds, from the system's handle table.
long CountHandles(DWORD processId)
{
    struct Entry { ULONG process; BYTE type, flags; USHORT handle; PVOID object; ACCESS_MASK access; };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static Query query = (Query)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return -1;
    std::vector<BYTE> buffer(1 << 18);
    ULONG size = 0;
    LONG status;
    while ((status = query(16 /* handles */, buffer.data(), (ULONG)buffer.size(), &size)) == (LONG)0xC0000004)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    ULONG count;
    memcpy(&count, buffer.data(), sizeof count);
    const Entry* entries = (const Entry*)(buffer.data() + sizeof(ULONG_PTR));
    long held = 0;
    for (ULONG i = 0; i < count; ++i)
        held += entries[i].process == processId;
    return held;
}

struct Series
{
    std::vector<double> values;

    double Mean(size_t from, size_t count) const
    {
        double sum = 0;
        for (size_t i = from; i < from + count; ++i)
            sum += values[i];
        return sum / count;
    }
    std::string Figures(const char* unit) const
    {
        char text[160];
        size_t tenth = std::max<size_t>(1, values.size() / 10);
        snprintf(text, sizeof text, "first %.0f, last %.0f, min %.0f, max %.0f, mean of first %zu %.1f, of last %zu %.1f%s",
                 values.front(), values.back(), *std::min_element(values.begin(), values.end()),
                 *std::max_element(values.begin(), values.end()), tenth, Mean(0, tenth), tenth,
                 Mean(values.size() - tenth, tenth), unit);
        return text;
    }
    // Grows when the last tenth of the runs averages more than the first tenth by the margin.
    bool Grows(double margin) const
    {
        size_t tenth = std::max<size_t>(1, values.size() / 10);
        return Mean(values.size() - tenth, tenth) > Mean(0, tenth) + margin;
    }
};

int RepeatRuns(int count)
{
    IconFiles icons;
    DeleteSettingsTree();
    Series handles, peak, driverHandles;
    int failed = 0, okRuns = 0, cancelRuns = 0;
    for (int run = 0; run < count; ++run) {
        bool pressOk = run % 2 == 0;
        WriteRaw("UserAgent", RawString("Agent/" + std::to_string(run)));
        WriteRaw("HangupTimer", RawDword(run % 1000));
        WriteRaw("TurnOffTimer", RawDword((run * 7) % 1000));
        WriteRaw("Referer", RawDword(run % 3));
        WriteRaw("TrayIconNormal", RawString(icons.Valid()));
        WriteRaw("TrayIconClock", RawString(icons.Paths()[run % icons.Paths().size()]));
        RunResult result = RunOnce(pressOk, [&](ProgramDriver& program) {
            handles.values.push_back(CountHandles(program.ProcessId()));
            PROCESS_MEMORY_COUNTERS memory = {};
            memory.cb = sizeof memory;
            GetProcessMemoryInfo(program.Process(), &memory, sizeof memory);
            peak.values.push_back(memory.PeakWorkingSetSize / 1024.0);
        });
        driverHandles.values.push_back(CountHandles(GetCurrentProcessId()));
        ++(pressOk ? okRuns : cancelRuns);
        if (result.verdict != Verdict::Passed) {
            ++failed;
            printf("run %d (%s) failed:%s\n", run, pressOk ? "OK" : "Cancel", Problems(result).c_str());
        }
    }
    DeleteSettingsTree();
    if (handles.values.empty() || driverHandles.values.empty()) {
        printf("no run showed its dialog\n");
        return 1;
    }
    bool grows = handles.Grows(2) || peak.Grows(1024);
    printf("runs %d (OK %d, Cancel %d), failed %d\n", count, okRuns, cancelRuns, failed);
    printf("program handles with the dialog open: %s\n", handles.Figures("").c_str());
    printf("program peak working set: %s\n", peak.Figures(" KiB").c_str());
    // Wine's WaitForInputIdle keeps an event handle in the calling process for every call.
    printf("handles of this driver after each run: %s; %.2f a run\n", driverHandles.Figures("").c_str(),
           (driverHandles.values.back() - driverHandles.values.front()) / std::max(1, count - 1));
    printf("program grows: %s\n", grows ? "yes" : "no");
    fflush(stdout);
    return failed || grows ? 1 : 0;
}

int RandomRun(uint64_t seed, int first, int count)
{
    printf("seed %" PRIu64 ", code page %u\n", seed, GetACP());
    fflush(stdout);
    Figures figures = RunRandomRounds(seed, first, count, [seed](const Round& round, const RunResult& result) {
        printf("%s\n", FailureText(seed, round, result).c_str());
        fflush(stdout);
    });
    printf("pressed OK %d, Cancel %d; range messages %d; unreadable UserAgent %d; key missing %d\n",
           figures.pressedOk, figures.pressedCancel, figures.rangeMessages, figures.unreadableAgents,
           figures.keyMissing);
    printf("rounds %d, crashes %d, hangs %d, mismatches %d\n", figures.rounds, figures.crashes, figures.hangs,
           figures.mismatches);
    fflush(stdout);
    return figures.crashes || figures.hangs || figures.mismatches ? 1 : 0;
}

}  // namespace

// Flags for the scripts: --rounds=N [--seed=S], --round=I --seed=S (one round again), --repeat-runs=N.
int main(int argc, char** argv)
{
    const char* rounds = nullptr;
    const char* round = nullptr;
    const char* seed = nullptr;
    const char* repeat = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char** target = arg.rfind("--rounds=", 0) == 0 ? &rounds : arg.rfind("--round=", 0) == 0 ? &round
                              : arg.rfind("--seed=", 0) == 0 ? &seed : arg.rfind("--repeat-runs=", 0) == 0 ? &repeat
                              : nullptr;
        if (target)
            *target = argv[i] + arg.find('=') + 1;
    }
    uint64_t seedValue = seed ? strtoull(seed, nullptr, 0) : ((uint64_t)GetTickCount() << 16) ^ GetCurrentProcessId();
    if (repeat)
        return RepeatRuns(atoi(repeat));
    if (round)
        return RandomRun(seedValue, atoi(round), 1);
    if (rounds)
        return RandomRun(seedValue, 0, atoi(rounds));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
