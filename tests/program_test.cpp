// The real program, started as its own process and driven from outside.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "IconFile.h"
#include "ProgramDriver.h"
#include "RegistryCheck.h"
#include "res/resource.h"

namespace {

using ProgramTest = SettingsKeyTest;
using Values = std::map<std::string, RawValue>;

// Every value of the settings key by name; empty when the key is missing.
Values ReadAllValues()
{
    Values values;
    HKEY key;
    if (RegOpenKeyExA(SettingsKey.root, SettingsKey.path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    DWORD count = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                     &longestData, nullptr, nullptr);
    for (DWORD i = 0; i < count; ++i) {
        std::string name(longestName + 1, '\0');
        DWORD nameLength = longestName + 1;
        RawValue value;
        value.bytes.resize(longestData);
        DWORD size = longestData;
        if (RegEnumValueA(key, i, &name[0], &nameLength, nullptr, &value.type, value.bytes.data(),
                          &size) != ERROR_SUCCESS)
            continue;
        name.resize(nameLength);
        value.exists = true;
        value.bytes.resize(size);
        values[name] = value;
    }
    RegCloseKey(key);
    return values;
}

// What OK writes when nothing was stored and nothing was changed.
Values DefaultNine()
{
    return {
        { "UserAgent", RawString("") },      { "Referer", RawDword(1) },
        { "GenerateReferer", RawDword(0) },  { "AnimateMonitor", RawDword(0) },
        { "TrayOpenMonitor", RawDword(0) },  { "ToolsSubmenu", RawDword(1) },
        { "HangupTimer", RawDword(30) },     { "TurnOffTimer", RawDword(30) },
        { "DebugClicks", RawDword(0) },
    };
}

// Stored text without the terminating NUL, as a program other than this one may leave it.
RawValue RawUnterminated(const std::string& text)
{
    RawValue value = RawString(text);
    value.bytes.pop_back();
    return value;
}

void Seed(const Values& values)
{
    for (const auto& [name, value] : values)
        WriteRaw(name.c_str(), value);
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring CurrentFolder()
{
    wchar_t folder[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
    return std::wstring(folder, n);
}

// The caption of the program's message boxes: its file name without the extension.
std::wstring ProgramName()
{
    std::wstring path = ProgramDriver::ProgramPath();
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

// Presses OK and waits for a normal end.
void PressOkAndExpectExit(ProgramDriver& program)
{
    program.Press(IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.WaitForExit(10000, &exitCode)) << "the dialog did not close on OK";
    EXPECT_EQ(0u, exitCode);
}

const int CheckBoxes[] = { IDC_REFERER, IDC_GENERATEREFERER, IDC_ANIMATEMONITOR, IDC_DEBUGCLICKS,
                           IDC_TRAYOPENMONITOR, IDC_TOOLSSUBMENU };
const int IconButtons[] = { IDC_TRAYICONNORMAL, IDC_TRAYICONCLOCK, IDC_DROPICONNORMAL };

TEST_F(ProgramTest, DefaultsShownAndOkCreatesNineValues)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(L"Harvex Quadrell", ProgramDriver::Text(program.Dialog()));
    EXPECT_EQ(L"", program.ItemText(IDC_USERAGENT));
    EXPECT_EQ(L"30", program.ItemText(IDC_HANGUPTIMER));
    EXPECT_EQ(L"30", program.ItemText(IDC_TURNOFFTIMER));
    for (int id : CheckBoxes)
        EXPECT_EQ(id == IDC_REFERER || id == IDC_TOOLSSUBMENU ? 1 : 0, program.Checked(id)) << "check box " << id;
    for (int id : IconButtons)
        EXPECT_EQ(nullptr, program.ButtonIcon(id)) << "button " << id;
    EXPECT_FALSE(SettingsKeyExists());

    PressOkAndExpectExit(program);
    EXPECT_EQ(DefaultNine(), ReadAllValues());
    EXPECT_EQ(RawString(""), ReadRaw("UserAgent"));
    EXPECT_EQ(RawDword(1), ReadRaw("Referer"));
    EXPECT_EQ(RawDword(30), ReadRaw("HangupTimer"));
}

// ---- Stored values are shown, normalised, and written back by OK --------------------------------

struct StoredCase
{
    const char* label;
    const char* name;
    RawValue stored;
    int control;
    int shownCheck;             // for a check box
    std::wstring shownText;     // for the other controls
    RawValue written;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << c.label;
}

std::string Repeat(const std::string& piece, size_t times)
{
    std::string text;
    while (times--)
        text += piece;
    return text;
}

const std::string Long400 = Repeat("Agent/400 ", 40);
const std::string Exactly512 = Repeat("0123456789abcdef", 32);
const std::string Entry40 = "Mozilla/4.0 (compatible; MSIE 4.01; Windows 98)";

const StoredCase StoredCases[] = {
    { "DebugClicksFiveIsUnchecked", "DebugClicks", RawDword(5), IDC_DEBUGCLICKS, 0, L"", RawDword(0) },
    { "DebugClicksTwoIsChecked", "DebugClicks", RawDword(2), IDC_DEBUGCLICKS, 1, L"", RawDword(1) },
    { "DebugClicksMinusOneIsUnchecked", "DebugClicks", RawDword(0xFFFFFFFF), IDC_DEBUGCLICKS, 0, L"", RawDword(0) },
    { "RefererZeroIsUnchecked", "Referer", RawDword(0), IDC_REFERER, 0, L"", RawDword(0) },
    { "ToolsSubmenuZeroIsUnchecked", "ToolsSubmenu", RawDword(0), IDC_TOOLSSUBMENU, 0, L"", RawDword(0) },
    { "GenerateRefererOneIsChecked", "GenerateReferer", RawDword(1), IDC_GENERATEREFERER, 1, L"", RawDword(1) },
    { "AnimateMonitorTwoIsChecked", "AnimateMonitor", RawDword(2), IDC_ANIMATEMONITOR, 1, L"", RawDword(1) },
    { "TrayOpenMonitorThreeIsUnchecked", "TrayOpenMonitor", RawDword(3), IDC_TRAYOPENMONITOR, 0, L"", RawDword(0) },
    { "HangupTimerZero", "HangupTimer", RawDword(0), IDC_HANGUPTIMER, 0, L"0", RawDword(0) },
    { "TurnOffTimerMaximum", "TurnOffTimer", RawDword(999), IDC_TURNOFFTIMER, 0, L"999", RawDword(999) },
    { "UserAgentPrefixSelectsEntry", "UserAgent", RawString("mozilla/4.0"), IDC_USERAGENT, 0,
      Widen(Entry40), RawString(Entry40) },
    { "UserAgentOtherPrefixSelectsEntry", "UserAgent", RawString("MOZILLA/3"), IDC_USERAGENT, 0,
      L"Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21",
      RawString("Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21") },
    { "UserAgentCustomUnchanged", "UserAgent", RawString("Lynx/2.8.9 libwww-FM/2.14"), IDC_USERAGENT, 0,
      L"Lynx/2.8.9 libwww-FM/2.14", RawString("Lynx/2.8.9 libwww-FM/2.14") },
    { "UserAgentLongerThanEntryUnchanged", "UserAgent", RawString(Entry40 + " extra"), IDC_USERAGENT, 0,
      Widen(Entry40 + " extra"), RawString(Entry40 + " extra") },
    { "UserAgentAnsiLettersUnchanged", "UserAgent", RawString("Caf\xe9/1.0 (\xc4rger)"), IDC_USERAGENT, 0,
      L"Caf\u00e9/1.0 (\u00c4rger)", RawString("Caf\xe9/1.0 (\xc4rger)") },
    { "UserAgentEmptyStaysEmpty", "UserAgent", RawString(""), IDC_USERAGENT, 0, L"", RawString("") },
    { "UserAgent400CharactersWhole", "UserAgent", RawString(Long400), IDC_USERAGENT, 0, Widen(Long400),
      RawString(Long400) },
    { "UserAgent511CharactersFillTheLimit", "UserAgent", RawString(Exactly512.substr(1)), IDC_USERAGENT, 0,
      Widen(Exactly512.substr(1)), RawString(Exactly512.substr(1)) },
    { "UserAgent512BytesWithoutNulGainsNul", "UserAgent", RawUnterminated(Exactly512), IDC_USERAGENT, 0,
      Widen(Exactly512), RawString(Exactly512) },
};

class StoredValueTest : public SettingsKeyTest, public testing::WithParamInterface<StoredCase>
{
};

TEST_P(StoredValueTest, ShownAndWrittenBackByOk)
{
    const StoredCase& c = GetParam();
    WriteRaw(c.name, c.stored);

    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    bool isCheckBox = std::find(std::begin(CheckBoxes), std::end(CheckBoxes), c.control) != std::end(CheckBoxes);
    if (isCheckBox)
        EXPECT_EQ(c.shownCheck, program.Checked(c.control));
    else
        EXPECT_EQ(c.shownText, program.ItemText(c.control));
    EXPECT_EQ(c.stored, ReadRaw(c.name)) << "changed before OK";

    PressOkAndExpectExit(program);
    Values expected = DefaultNine();
    expected[c.name] = c.written;
    EXPECT_EQ(expected, ReadAllValues());
}

INSTANTIATE_TEST_SUITE_P(, StoredValueTest, testing::ValuesIn(StoredCases),
                         [](const testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.label); });

// ---- Cancel and the close box write nothing ----------------------------------------------------

enum class CloseBy { CancelButton, CloseMessage, SystemClose };

struct CloseCase
{
    const char* label;
    CloseBy how;
    bool seeded;
};

void PrintTo(const CloseCase& c, std::ostream* os)
{
    *os << c.label;
}

const CloseCase CloseCases[] = {
    { "CancelWithoutKey", CloseBy::CancelButton, false },
    { "CancelWithStoredValues", CloseBy::CancelButton, true },
    { "CloseMessageWithoutKey", CloseBy::CloseMessage, false },
    { "CloseMessageWithStoredValues", CloseBy::CloseMessage, true },
    { "SystemCloseWithoutKey", CloseBy::SystemClose, false },
    { "SystemCloseWithStoredValues", CloseBy::SystemClose, true },
};

// Non-default values of every kind, one of them the custom icon kept by a Cancel.
Values SeededValues()
{
    return {
        { "UserAgent", RawString("Seeded/1.0") }, { "Referer", RawDword(0) },
        { "GenerateReferer", RawDword(1) },       { "AnimateMonitor", RawDword(1) },
        { "TrayOpenMonitor", RawDword(2) },       { "ToolsSubmenu", RawDword(0) },
        { "HangupTimer", RawDword(45) },          { "TurnOffTimer", RawDword(60) },
        { "DebugClicks", RawDword(7) },           { "DropIconNormal", RawString("C:\\nowhere\\none.ico") },
    };
}

class CloseTest : public SettingsKeyTest, public testing::WithParamInterface<CloseCase>
{
};

TEST_P(CloseTest, WritesNothing)
{
    const CloseCase& c = GetParam();
    if (c.seeded)
        Seed(SeededValues());
    Values before = ReadAllValues();

    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    for (int id : CheckBoxes)
        SendMessageW(program.Item(id), BM_CLICK, 0, 0);
    EXPECT_EQ(c.seeded ? 1 : 0, program.Checked(IDC_TOOLSSUBMENU)) << "the click did not toggle";
    program.SetItemText(IDC_USERAGENT, L"Changed/2.0");
    program.SetItemText(IDC_HANGUPTIMER, L"12a");   // not validated on the way out
    program.SetItemText(IDC_TURNOFFTIMER, L"5");

    switch (c.how) {
    case CloseBy::CancelButton:
        program.Press(IDCANCEL);
        break;
    case CloseBy::CloseMessage:
        PostMessageW(program.Dialog(), WM_CLOSE, 0, 0);
        break;
    case CloseBy::SystemClose:
        PostMessageW(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    DWORD exitCode = 1;
    ASSERT_TRUE(program.WaitForExit(10000, &exitCode)) << "the dialog did not close";
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(c.seeded, SettingsKeyExists());
    EXPECT_EQ(before, ReadAllValues());
}

INSTANTIATE_TEST_SUITE_P(, CloseTest, testing::ValuesIn(CloseCases),
                         [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.label); });

// ---- Number fields: one warning, nothing written, focus back on the field ------------------------

const wchar_t NotInteger[] = L"Please enter an integer.";
const wchar_t OutOfRange[] = L"Please enter an integer between 0 and 999.";

struct InvalidCase
{
    const char* label;
    std::wstring hangup;
    std::wstring turnOff;
    std::wstring message;
    int failing;
};

void PrintTo(const InvalidCase& c, std::ostream* os)
{
    *os << c.label;
}

const InvalidCase InvalidCases[] = {
    { "HangupEmpty", L"", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupBlanks", L"   ", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupTrailingLetter", L"12a", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupInnerBlank", L"1 2", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupHex", L"0x10", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupSignedZero", L"-0", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupFullWidthDigit", L"\uff11", L"30", NotInteger, IDC_HANGUPTIMER },
    { "HangupAboveRange", L"1234", L"30", OutOfRange, IDC_HANGUPTIMER },
    { "HangupJustAboveRange", L"1000", L"30", OutOfRange, IDC_HANGUPTIMER },
    { "HangupNegative", L"-5", L"30", OutOfRange, IDC_HANGUPTIMER },
    { "HangupHuge", L"99999999999", L"30", OutOfRange, IDC_HANGUPTIMER },
    { "TurnOffLetters", L"30", L"abc", NotInteger, IDC_TURNOFFTIMER },
    { "TurnOffAboveRange", L"30", L"1000", OutOfRange, IDC_TURNOFFTIMER },
    { "BothBadOnlyHangupWarned", L"12a", L"abc", NotInteger, IDC_HANGUPTIMER },
    { "HangupRangeBeforeTurnOffParse", L"1234", L"", OutOfRange, IDC_HANGUPTIMER },
};

class InvalidNumberTest : public SettingsKeyTest, public testing::WithParamInterface<InvalidCase>
{
};

TEST_P(InvalidNumberTest, WarnsOnceAndKeepsDialogOpen)
{
    const InvalidCase& c = GetParam();
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    program.SetItemText(IDC_HANGUPTIMER, c.hangup);
    program.SetItemText(IDC_TURNOFFTIMER, c.turnOff);
    program.Press(IDOK);

    HWND box = program.WaitForOwnedDialog();
    ASSERT_NE(nullptr, box) << "no warning";
    EXPECT_EQ(ProgramName(), ProgramDriver::Text(box));
    EXPECT_EQ(c.message, ProgramDriver::Text(GetDlgItem(box, 0xFFFF)));
    EXPECT_EQ(1, program.CountOwnedDialogs());
    EXPECT_FALSE(SettingsKeyExists());

    ProgramDriver::Press(box, IDOK);
    ASSERT_TRUE(ProgramDriver::WaitForClosed(box));
    HWND field = program.Item(c.failing);
    if (!ProgramDriver::WaitUntil([&] { return program.Focus() == field; }, 2000))
        program.Reactivate();   // the dialog then restores the focus it last had
    EXPECT_TRUE(ProgramDriver::WaitUntil([&] { return program.Focus() == field; }))
        << "focus is on control " << GetDlgCtrlID(program.Focus());
    ASSERT_TRUE(program.Sync());
    DWORD selection = (DWORD)SendMessageW(field, EM_GETSEL, 0, 0);
    EXPECT_EQ(0, LOWORD(selection));
    EXPECT_EQ(ProgramDriver::Text(field).size(), HIWORD(selection));
    EXPECT_EQ(nullptr, program.WaitForOwnedDialog(500)) << "a second warning came up";
    EXPECT_TRUE(IsWindowVisible(program.Dialog()));
    EXPECT_FALSE(SettingsKeyExists());

    // The dialog still works once the field is put right.
    program.SetItemText(IDC_HANGUPTIMER, L"12");
    program.SetItemText(IDC_TURNOFFTIMER, L"34");
    PressOkAndExpectExit(program);
    Values expected = DefaultNine();
    expected["HangupTimer"] = RawDword(12);
    expected["TurnOffTimer"] = RawDword(34);
    EXPECT_EQ(expected, ReadAllValues());
}

INSTANTIATE_TEST_SUITE_P(, InvalidNumberTest, testing::ValuesIn(InvalidCases),
                         [](const testing::TestParamInfo<InvalidCase>& info) { return std::string(info.param.label); });

struct AcceptedCase
{
    const char* label;
    std::wstring text;
    DWORD written;
};

void PrintTo(const AcceptedCase& c, std::ostream* os)
{
    *os << c.label;
}

const AcceptedCase AcceptedCases[] = {
    { "Zero", L"0", 0 },
    { "Maximum", L"999", 999 },
    { "LeadingZeros", L"007", 7 },
    { "PlusSign", L"+5", 5 },
    { "BlanksAndTabsAround", L" \t42 \t", 42 },
};

class AcceptedNumberTest : public SettingsKeyTest, public testing::WithParamInterface<AcceptedCase>
{
};

TEST_P(AcceptedNumberTest, WrittenWithoutWarning)
{
    const AcceptedCase& c = GetParam();
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    program.SetItemText(IDC_HANGUPTIMER, c.text);
    program.SetItemText(IDC_TURNOFFTIMER, c.text);
    program.Press(IDOK);
    ASSERT_TRUE(program.WaitForExit(10000)) << "OK did not close the dialog";
    Values expected = DefaultNine();
    expected["HangupTimer"] = RawDword(c.written);
    expected["TurnOffTimer"] = RawDword(c.written);
    EXPECT_EQ(expected, ReadAllValues());
}

INSTANTIATE_TEST_SUITE_P(, AcceptedNumberTest, testing::ValuesIn(AcceptedCases),
                         [](const testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.label); });

// ---- A stored identification too long to read --------------------------------------------------

struct LongAgentCase
{
    const char* label;
    RawValue stored;
};

void PrintTo(const LongAgentCase& c, std::ostream* os)
{
    *os << c.label;
}

const LongAgentCase LongAgentCases[] = {
    { "Exactly513Bytes", RawString(Exactly512) },
    { "Unterminated600Bytes", RawUnterminated(Repeat("x", 600)) },
    { "Terminated2000Bytes", RawString(Repeat("Agent/2000 ", 181) + "Agent") },
};

// Types over the identification in the combo box, as the keyboard would.
void TypeOverAgent(const ProgramDriver& program, const std::wstring& text)
{
    HWND edit = FindWindowExW(program.Item(IDC_USERAGENT), nullptr, L"Edit", nullptr);
    ASSERT_NE(nullptr, edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    ProgramDriver::Type(edit, text);
    EXPECT_EQ(text, program.ItemText(IDC_USERAGENT));
}

// Chooses a list entry with the arrow key, as the keyboard would.
void ChooseAgentWithArrowKey(const ProgramDriver& program, std::wstring& chosen)
{
    HWND edit = FindWindowExW(program.Item(IDC_USERAGENT), nullptr, L"Edit", nullptr);
    ASSERT_NE(nullptr, edit);
    SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 1);
    SendMessageW(edit, WM_KEYUP, VK_DOWN, 0xC0000001);
    chosen = program.ItemText(IDC_USERAGENT);
    ASSERT_NE(CB_ERR, SendMessageW(program.Item(IDC_USERAGENT), CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)chosen.c_str()))
        << "no entry chosen: " << testing::PrintToString(chosen);
}

class LongAgentTest : public SettingsKeyTest, public testing::WithParamInterface<LongAgentCase>
{
};

TEST_P(LongAgentTest, ShownEmptyAndKeptByOk)
{
    const LongAgentCase& c = GetParam();
    WriteRaw("UserAgent", c.stored);
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(L"", program.ItemText(IDC_USERAGENT));

    PressOkAndExpectExit(program);
    Values expected = DefaultNine();
    expected["UserAgent"] = c.stored;
    EXPECT_EQ(expected, ReadAllValues());
}

TEST_P(LongAgentTest, TypedTextReplacesIt)
{
    WriteRaw("UserAgent", GetParam().stored);
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_NO_FATAL_FAILURE(TypeOverAgent(program, L"Typed/1.0"));

    PressOkAndExpectExit(program);
    Values expected = DefaultNine();
    expected["UserAgent"] = RawString("Typed/1.0");
    EXPECT_EQ(expected, ReadAllValues());
}

TEST_P(LongAgentTest, EntryChosenWithArrowKeyReplacesIt)
{
    WriteRaw("UserAgent", GetParam().stored);
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    std::wstring chosen;
    ASSERT_NO_FATAL_FAILURE(ChooseAgentWithArrowKey(program, chosen));

    PressOkAndExpectExit(program);
    Values expected = DefaultNine();
    expected["UserAgent"] = RawString(std::string(chosen.begin(), chosen.end()));
    EXPECT_EQ(expected, ReadAllValues());
}

INSTANTIATE_TEST_SUITE_P(, LongAgentTest, testing::ValuesIn(LongAgentCases),
                         [](const testing::TestParamInfo<LongAgentCase>& info) { return std::string(info.param.label); });

// ---- A stored identification with characters the ANSI code page lacks ---------------------------

// Text as OK stores it, through the wide calls.
RawValue RawWideString(const std::wstring& text)
{
    return RawWide(REG_SZ, text + L'\0');
}

// After OK: the eight numbers at their defaults and UserAgent, read wide, as given.
void ExpectDefaultsAndWideAgent(const RawValue& agent)
{
    Values expected = DefaultNine();
    Values values = ReadAllValues();
    expected.erase("UserAgent");
    values.erase("UserAgent");
    EXPECT_EQ(expected, values);
    EXPECT_EQ(agent, ReadWideRaw("UserAgent"));
}

// 中文; 日本語: outside code page 1252, all of it in 950.
const std::wstring CjkAgent = L"Mozilla/5.0 (\u4e2d\u6587; \u65e5\u672c\u8a9e) Harvex/2.0";
const std::wstring CjkAgentIn1252 = L"Mozilla/5.0 (??; ???" L") Harvex/2.0";     // split: no ??) trigraph
// 中文; 한국어: 950 lacks the Hangul.
const std::wstring HangulAgent = L"Mozilla/5.0 (\u4e2d\u6587; \ud55c\uad6d\uc5b4) Harvex/2.0";
const std::wstring HangulAgentIn950 = L"Mozilla/5.0 (\u4e2d\u6587; ???" L") Harvex/2.0";

struct WideAgentCase
{
    const char* label;
    UINT codePage;          // the ANSI code page the case holds in
    DWORD type;
    std::wstring stored;    // the data stored through the wide call
    std::wstring shown;     // the text the ANSI read gives
};

void PrintTo(const WideAgentCase& c, std::ostream* os)
{
    *os << c.label;
}

// Text the ANSI read gives with '?' for what the code page lacks: OK must leave it alone.
const WideAgentCase LossyAgentCases[] = {
    { "CodePage1252Text", 1252, REG_SZ, CjkAgent + L'\0', CjkAgentIn1252 },
    { "CodePage1252ExpandText", 1252, REG_EXPAND_SZ, CjkAgent + L'\0', CjkAgentIn1252 },
    { "CodePage1252TextList", 1252, REG_MULTI_SZ, CjkAgent + L'\0' + L"Second/1.0" + L'\0' + L'\0', CjkAgentIn1252 },
    { "CodePage950Text", 950, REG_SZ, HangulAgent + L'\0', HangulAgentIn950 },
};

// A '?' that stands for nothing lost, or text that converts exactly: OK stores it as REG_SZ.
const WideAgentCase HeldAgentCases[] = {
    { "CodePage1252QuestionMarkOfItsOwn", 1252, REG_EXPAND_SZ, std::wstring(L"What?/1.0") + L'\0', L"What?/1.0" },
    // Bytes 2d 4e 87 65 3f 00, which the ANSI read takes as they are.
    { "CodePage1252BinaryWithQuestionMark", 1252, REG_BINARY, L"\u4e2d\u6587?", L"-N\u2021e?" },
    { "CodePage950Text", 950, REG_SZ, CjkAgent + L'\0', CjkAgent },
    { "CodePage950TextList", 950, REG_MULTI_SZ, CjkAgent + L'\0' + L"Second/1.0" + L'\0' + L'\0', CjkAgent },
};

// Seeds the case's value, in the code page the case holds in only. A run that names its code page
// in HQ_EXPECT_ACP fails when the locale did not give that code page.
class WideAgentTest : public SettingsKeyTest, public testing::WithParamInterface<WideAgentCase>
{
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        const WideAgentCase& c = GetParam();
        const char* asked = getenv("HQ_EXPECT_ACP");
        if (asked && *asked) {
            ASSERT_EQ(strtoul(asked, nullptr, 10), GetACP()) << "the locale did not give the code page asked for";
        }
        if (GetACP() != c.codePage)
            GTEST_SKIP() << "the case holds in code page " << c.codePage << ", not " << GetACP();
        WriteWideRaw("UserAgent", RawWide(c.type, c.stored));
    }
};

class LossyAgentTest : public WideAgentTest
{
};

TEST_P(LossyAgentTest, ShownAsReadAndKeptByOk)
{
    const WideAgentCase& c = GetParam();
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(c.shown, program.ItemText(IDC_USERAGENT));

    PressOkAndExpectExit(program);
    ExpectDefaultsAndWideAgent(RawWide(c.type, c.stored));
}

TEST_P(LossyAgentTest, TypedTextReplacesIt)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_NO_FATAL_FAILURE(TypeOverAgent(program, L"Typed/1.0"));

    PressOkAndExpectExit(program);
    ExpectDefaultsAndWideAgent(RawWideString(L"Typed/1.0"));
}

TEST_P(LossyAgentTest, EntryChosenWithArrowKeyReplacesIt)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    std::wstring chosen;
    ASSERT_NO_FATAL_FAILURE(ChooseAgentWithArrowKey(program, chosen));

    PressOkAndExpectExit(program);
    ExpectDefaultsAndWideAgent(RawWideString(chosen));
}

INSTANTIATE_TEST_SUITE_P(, LossyAgentTest, testing::ValuesIn(LossyAgentCases),
                         [](const testing::TestParamInfo<WideAgentCase>& info) { return std::string(info.param.label); });

class HeldAgentTest : public WideAgentTest
{
};

TEST_P(HeldAgentTest, ShownAndStoredByOk)
{
    const WideAgentCase& c = GetParam();
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(c.shown, program.ItemText(IDC_USERAGENT));

    PressOkAndExpectExit(program);
    ExpectDefaultsAndWideAgent(RawWideString(c.shown));
}

INSTANTIATE_TEST_SUITE_P(, HeldAgentTest, testing::ValuesIn(HeldAgentCases),
                         [](const testing::TestParamInfo<WideAgentCase>& info) { return std::string(info.param.label); });

// ---- Icon pickers ------------------------------------------------------------------------------

struct IconButton
{
    const char* label;
    int id;
    const char* name;
};

void PrintTo(const IconButton& b, std::ostream* os)
{
    *os << b.label;
}

const IconButton IconButtonCases[] = {
    { "TrayIconNormal", IDC_TRAYICONNORMAL, "TrayIconNormal" },
    { "TrayIconClock", IDC_TRAYICONCLOCK, "TrayIconClock" },
    { "DropIconNormal", IDC_DROPICONNORMAL, "DropIconNormal" },
};

// The file-name field of the open-file dialog: the edit inside the explorer style's cmb13, or edt1.
HWND FileNameField(HWND fileDialog)
{
    const int cmb13 = 0x47C, edt1 = 0x480;
    HWND field = GetDlgItem(fileDialog, cmb13);
    if (!field)
        return GetDlgItem(fileDialog, edt1);
    for (HWND inner = field; inner;) {
        HWND edit = FindWindowExW(inner, nullptr, L"Edit", nullptr);
        if (edit)
            return edit;
        inner = FindWindowExW(inner, nullptr, L"ComboBox", nullptr);
    }
    return field;
}

// Each test writes its icon files into a folder below the build folder.
class IconPickerTest : public SettingsKeyTest, public testing::WithParamInterface<IconButton>
{
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        m_folder = CurrentFolder() + L"\\icon-files";
        CreateDirectoryW(m_folder.c_str(), nullptr);
        ASSERT_TRUE(WriteIconFile(Path(L"blue.ico"), 0xFF2060C0));
        ASSERT_TRUE(WriteIconFile(Path(L"red.ico"), 0xFFC02020));
        ASSERT_TRUE(WriteIconFile(Path(L"other.ico"), 0xFF20C020));
        ASSERT_TRUE(WriteTextFile(Path(L"text.ico"), "not an icon\r\n"));
    }

    std::wstring Path(const std::wstring& name) const { return m_folder + L"\\" + name; }

    static std::string Narrow(const std::wstring& path)
    {
        return std::string(path.begin(), path.end());   // the test's own paths are ASCII
    }

    // Presses the button, and answers the file dialog with the path, or cancels it when empty.
    void Pick(ProgramDriver& program, int button, const std::wstring& path)
    {
        program.Press(button);
        HWND fileDialog = program.WaitForOwnedDialog();
        ASSERT_NE(nullptr, fileDialog) << "no file dialog";
        if (path.empty()) {
            ProgramDriver::Press(fileDialog, IDCANCEL);
        } else {
            HWND field = FileNameField(fileDialog);
            ASSERT_NE(nullptr, field) << "no file-name field";
            SendMessageW(field, WM_SETTEXT, 0, (LPARAM)path.c_str());
            ProgramDriver::Press(fileDialog, IDOK);
        }
        HWND stray = nullptr;
        ProgramDriver::WaitUntil([&] {
            stray = program.WaitForDialogOwnedBy(fileDialog, 0);
            return stray || !IsWindow(fileDialog);
        });
        ASSERT_EQ(nullptr, stray) << "the file dialog complained: "
                                  << testing::PrintToString(ProgramDriver::Text(GetDlgItem(stray, 0xFFFF)));
        ASSERT_TRUE(ProgramDriver::WaitForClosed(fileDialog)) << "the file dialog stayed open";
    }

    // Waits for the value and then for the handler that writes it to finish.
    static void WaitForValue(ProgramDriver& program, const char* name, const RawValue& expected)
    {
        ProgramDriver::WaitUntil([&] { return ReadRaw(name) == expected; }, 5000);
        ASSERT_TRUE(program.Sync());
        EXPECT_EQ(expected, ReadRaw(name));
    }

    std::wstring m_folder;
};

TEST_P(IconPickerTest, PickShowsAndStoresCancelClears)
{
    const IconButton& b = GetParam();
    Values others;
    for (const IconButton& other : IconButtonCases)
        if (other.id != b.id)
            others[other.name] = RawString(Narrow(Path(L"other.ico")));
    Seed(others);

    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    std::map<int, HICON> otherIcons;
    for (const IconButton& other : IconButtonCases)
        if (other.id != b.id) {
            otherIcons[other.id] = program.ButtonIcon(other.id);
            EXPECT_NE(nullptr, otherIcons[other.id]) << "stored icon not shown on " << other.label;
        }
    EXPECT_EQ(nullptr, program.ButtonIcon(b.id));

    Pick(program, b.id, Path(L"blue.ico"));
    WaitForValue(program, b.name, RawString(Narrow(Path(L"blue.ico"))));
    EXPECT_NE(nullptr, program.ButtonIcon(b.id));
    EXPECT_TRUE(IsWindowVisible(program.Dialog()));

    // A file that is not an icon is stored all the same, and shows nothing.
    Pick(program, b.id, Path(L"text.ico"));
    WaitForValue(program, b.name, RawString(Narrow(Path(L"text.ico"))));
    EXPECT_EQ(nullptr, program.ButtonIcon(b.id));

    Pick(program, b.id, Path(L"red.ico"));
    WaitForValue(program, b.name, RawString(Narrow(Path(L"red.ico"))));
    EXPECT_NE(nullptr, program.ButtonIcon(b.id));

    Pick(program, b.id, L"");
    WaitForValue(program, b.name, RawValue());
    EXPECT_EQ(nullptr, program.ButtonIcon(b.id));

    Pick(program, b.id, Path(L"blue.ico"));
    WaitForValue(program, b.name, RawString(Narrow(Path(L"blue.ico"))));
    for (const auto& [id, icon] : otherIcons)
        EXPECT_EQ(icon, program.ButtonIcon(id)) << "button " << id;

    // Cancel keeps what the picker stored, and writes none of the nine.
    program.Press(IDCANCEL);
    ASSERT_TRUE(program.WaitForExit());
    Values expected = others;
    expected[b.name] = RawString(Narrow(Path(L"blue.ico")));
    EXPECT_EQ(expected, ReadAllValues());
}

TEST_P(IconPickerTest, NotAnIconClearsShownIcon)
{
    const IconButton& b = GetParam();
    WriteRaw(b.name, RawString(Narrow(Path(L"red.ico"))));
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    EXPECT_NE(nullptr, program.ButtonIcon(b.id)) << "stored icon not shown";

    Pick(program, b.id, Path(L"text.ico"));
    WaitForValue(program, b.name, RawString(Narrow(Path(L"text.ico"))));
    EXPECT_EQ(nullptr, program.ButtonIcon(b.id));

    PressOkAndExpectExit(program);
    Values expected = DefaultNine();
    expected[b.name] = RawString(Narrow(Path(L"text.ico")));
    EXPECT_EQ(expected, ReadAllValues());
}

// A folder whose name the ANSI code page cannot spell: only a lossless short form may be stored.
TEST_P(IconPickerTest, PathOutsideAnsiCodePage)
{
    const IconButton& b = GetParam();
    std::wstring folder = m_folder + L"\\\u5716\u793a";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring icon = folder + L"\\\u5716.ico";
    ASSERT_TRUE(WriteIconFile(icon));

    RawValue seeded = RawString(Narrow(Path(L"red.ico")));
    WriteRaw(b.name, seeded);

    wchar_t shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(icon.c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    std::wstring shortWide(shortPath, n);
    std::string shortAnsi(WideCharToMultiByte(CP_ACP, 0, shortWide.c_str(), (int)n, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, shortWide.c_str(), (int)n, &shortAnsi[0], (int)shortAnsi.size(), nullptr, nullptr);
    std::wstring back(MultiByteToWideChar(CP_ACP, 0, shortAnsi.c_str(), (int)shortAnsi.size(), nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, shortAnsi.c_str(), (int)shortAnsi.size(), &back[0], (int)back.size());
    bool lossless = back == shortWide;
    RecordProperty("ShortPath", shortAnsi);

    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    HICON before = program.ButtonIcon(b.id);
    EXPECT_NE(nullptr, before);

    Pick(program, b.id, icon);
    if (lossless) {
        WaitForValue(program, b.name, RawString(shortAnsi));
        EXPECT_NE(nullptr, program.ButtonIcon(b.id));
    } else {
        ASSERT_TRUE(program.Sync());
        EXPECT_EQ(seeded, ReadRaw(b.name));
        EXPECT_EQ(before, program.ButtonIcon(b.id));
    }
    RawValue stored = ReadRaw(b.name);
    EXPECT_EQ(stored.bytes.end(), std::find(stored.bytes.begin(), stored.bytes.end(), '?')) << Describe(stored);

    program.Press(IDCANCEL);
    ASSERT_TRUE(program.WaitForExit());
}

// Stored paths the file dialog cannot start from still open it, and a new choice replaces them.
TEST_P(IconPickerTest, UnusualStoredPathStillOpensDialog)
{
    const IconButton& b = GetParam();
    ASSERT_TRUE(WriteTextFile(Path(L"empty.ico"), ""));
    const std::string storedPaths[] = {
        "C:\\no-such-folder\\old.ico",
        "C:\\" + std::string(296, 'a') + ".ico",         // past the platform's path limit
        "C:\\" + std::string(507, 'b') + ".ico",         // the longest text a read returns
    };
    for (const std::string& stored : storedPaths) {
        SCOPED_TRACE(testing::Message() << stored.size() << "-character stored path");
        WriteRaw(b.name, RawString(stored));
        ProgramDriver program;
        ASSERT_TRUE(program.Start());
        EXPECT_EQ(nullptr, program.ButtonIcon(b.id));

        // A zero-byte file is stored like any other file and shows nothing.
        Pick(program, b.id, Path(L"empty.ico"));
        WaitForValue(program, b.name, RawString(Narrow(Path(L"empty.ico"))));
        EXPECT_EQ(nullptr, program.ButtonIcon(b.id));

        WriteRaw(b.name, RawString(stored));
        Pick(program, b.id, Path(L"blue.ico"));
        WaitForValue(program, b.name, RawString(Narrow(Path(L"blue.ico"))));
        EXPECT_NE(nullptr, program.ButtonIcon(b.id));

        program.Press(IDCANCEL);
        ASSERT_TRUE(program.WaitForExit());
    }
}

INSTANTIATE_TEST_SUITE_P(, IconPickerTest, testing::ValuesIn(IconButtonCases),
                         [](const testing::TestParamInfo<IconButton>& info) { return std::string(info.param.label); });

}  // namespace
