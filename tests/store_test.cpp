// The settings store against the real registry.
#include "RegistryCheck.h"
#include "store/Registry.h"

namespace {

const HKEY Root = SettingsKey.root;
const char* const Path = SettingsKey.path;

using StoreTest = SettingsKeyTest;

TEST_F(StoreTest, MissingKeyGivesDefaultsAndCreatesNothing)
{
    for (const Setting* setting : Catalogue) {
        if (setting->type == REG_SZ)
            EXPECT_EQ("", ReadRegistryString(Root, Path, setting->name)) << setting->name;
        else
            EXPECT_EQ(setting->fallback, ReadRegistryDword(Root, Path, setting->name, setting->fallback))
                << setting->name;
    }
    EXPECT_FALSE(IsRegistryStringTooLong(Root, Path, UserAgent.name));
    EXPECT_FALSE(IsRegistryStringLossy(Root, Path, UserAgent.name));
    EXPECT_FALSE(SettingsKeyExists());
    HKEY parent;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tollbury", 0, KEY_READ, &parent));
}

TEST_F(StoreTest, MissingValueGivesDefaultAndLeavesKeyAlone)
{
    WriteRaw("Other", RawDword(7));
    EXPECT_EQ(30, ReadRegistryDword(Root, Path, HangupTimer.name, 30));
    EXPECT_EQ("", ReadRegistryString(Root, Path, UserAgent.name));
    EXPECT_FALSE(ReadRaw(HangupTimer.name).exists);
    EXPECT_EQ(RawDword(7), ReadRaw("Other"));
}

TEST_F(StoreTest, FirstWriteCreatesWholePath)
{
    WriteRegistryDword(Root, Path, Referer.name, 0);
    EXPECT_TRUE(SettingsKeyExists());
    EXPECT_EQ(RawDword(0), ReadRaw(Referer.name));
}

TEST_F(StoreTest, DwordRoundTripsAllBits)
{
    for (int value : { 0, 1, -1, 999, 0x7FFFFFFF, (int)0x80000000 }) {
        WriteRegistryDword(Root, Path, TurnOffTimer.name, value);
        EXPECT_EQ(RawDword((DWORD)value), ReadRaw(TurnOffTimer.name));
        EXPECT_EQ(value, ReadRegistryDword(Root, Path, TurnOffTimer.name, 30));
    }
}

TEST_F(StoreTest, EmptyTextIsStoredAndNoTextDeletes)
{
    WriteRegistryString(Root, Path, UserAgent.name, "");
    EXPECT_EQ(RawString(""), ReadRaw(UserAgent.name));

    WriteRegistryString(Root, Path, UserAgent.name, "Agent/1.0");
    EXPECT_EQ(RawString("Agent/1.0"), ReadRaw(UserAgent.name));
    EXPECT_EQ("Agent/1.0", ReadRegistryString(Root, Path, UserAgent.name));

    WriteRegistryString(Root, Path, UserAgent.name, nullptr);
    EXPECT_FALSE(ReadRaw(UserAgent.name).exists);

    WriteRegistryString(Root, Path, UserAgent.name, nullptr);  // nothing left to delete
    EXPECT_FALSE(ReadRaw(UserAgent.name).exists);
    EXPECT_TRUE(SettingsKeyExists());
}

TEST_F(StoreTest, TextKeepsAnsiBytes)
{
    const CString text = "caf\xe9 \xa9 100%";      // bytes above 0x7F in the ANSI code page
    WriteRegistryString(Root, Path, TrayIconNormal.name, text.c_str());
    EXPECT_EQ(RawString(text.c_str()), ReadRaw(TrayIconNormal.name));
    EXPECT_EQ(text, ReadRegistryString(Root, Path, TrayIconNormal.name));
}

struct TextReadCase
{
    const char* label;
    DWORD type;
    std::vector<BYTE> bytes;
    CString expected;
    bool tooLong;
};

std::vector<BYTE> Repeat(BYTE b, size_t n, std::vector<BYTE> tail = {})
{
    std::vector<BYTE> bytes(n, b);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

class StoreTextReadTest : public SettingsKeyTest, public testing::WithParamInterface<TextReadCase>
{
};

TEST_P(StoreTextReadTest, ReadsBytesUpToFirstNulWithinLimit)
{
    const TextReadCase& c = GetParam();
    WriteRaw(UserAgent.name, c.type, c.bytes.data(), (DWORD)c.bytes.size());
    EXPECT_EQ(c.expected, ReadRegistryString(Root, Path, UserAgent.name));
    EXPECT_EQ(c.tooLong, IsRegistryStringTooLong(Root, Path, UserAgent.name));
}

INSTANTIATE_TEST_SUITE_P(Store, StoreTextReadTest, testing::Values(
    TextReadCase{ "Empty",            REG_SZ,     {},                       "",                  false },
    TextReadCase{ "NulOnly",          REG_SZ,     { 0 },                    "",                  false },
    TextReadCase{ "Exactly511AndNul", REG_SZ,     Repeat('a', 511, { 0 }),  CString(511, 'a'), false },
    TextReadCase{ "Exactly512NoNul",  REG_SZ,     Repeat('b', 512),         CString(512, 'b'), false },
    TextReadCase{ "Of513",            REG_SZ,     Repeat('c', 512, { 0 }),  "",                  true },
    TextReadCase{ "Of600",            REG_SZ,     Repeat('d', 599, { 0 }),  "",                  true },
    TextReadCase{ "InnerNul",         REG_SZ,     { 'a', 'b', 0, 'c', 0 },  "ab",                false },
    TextReadCase{ "DwordRawBytes",    REG_DWORD,  { '1', '2', 0, '3' },     "12",                false },
    TextReadCase{ "BinaryNoNul",      REG_BINARY, { 0x41, 0xFF, 0x42 },     "A\xff" "B",         false },
    TextReadCase{ "LongBinary",       REG_BINARY, Repeat(0x41, 4096),       "",                  true }
), [](const testing::TestParamInfo<TextReadCase>& info) { return std::string(info.param.label); });

struct LossyTextCase
{
    const char* label;
    RawValue stored;    // stored through the wide call
    bool lossy;         // in code page 1252
};

void PrintTo(const LossyTextCase& c, std::ostream* os)
{
    *os << c.label;
}

class StoreLossyTextTest : public SettingsKeyTest, public testing::WithParamInterface<LossyTextCase>
{
};

TEST_P(StoreLossyTextTest, TextThatCodePage1252CannotHold)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the cases hold in code page 1252, not " << GetACP();
    const LossyTextCase& c = GetParam();
    WriteWideRaw(UserAgent.name, c.stored);
    EXPECT_EQ(c.lossy, IsRegistryStringLossy(Root, Path, UserAgent.name));
}

// 512 characters outside the code page and an odd last byte: the ANSI read takes it whole, as 512 '?'.
RawValue OddAtLimit()
{
    RawValue value = RawWide(REG_SZ, std::wstring(512, L'\u4e2d'));
    value.bytes.push_back('x');
    return value;
}

INSTANTIATE_TEST_SUITE_P(Store, StoreLossyTextTest, testing::Values(
    LossyTextCase{ "Outside",           RawWide(REG_SZ, { L"\u4e2d?/1.0", 7 }),         true },
    LossyTextCase{ "ExpandOutside",     RawWide(REG_EXPAND_SZ, { L"\u4e2d/1.0", 6 }),   true },
    LossyTextCase{ "FirstOfList",       RawWide(REG_MULTI_SZ, { L"\u4e2d\0b\0", 5 }),  true },
    LossyTextCase{ "SecondOfList",      RawWide(REG_MULTI_SZ, { L"a?\0\u4e2d\0", 6 }), false },
    LossyTextCase{ "BestFitLetter",     RawWide(REG_SZ, { L"\uff21?", 3 }),             true },
    LossyTextCase{ "HeldWithQuestion",  RawWide(REG_SZ, { L"What? caf\u00e9", 12 }),    false },
    LossyTextCase{ "NoNul",             RawWide(REG_SZ, L"\u4e2d?"),                    true },
    LossyTextCase{ "OddByteAtLimit",    OddAtLimit(),                                   true },
    LossyTextCase{ "OverLimit",         RawWide(REG_SZ, std::wstring(600, L'\u4e2d')),   false },
    LossyTextCase{ "BinaryRawBytes",    RawWide(REG_BINARY, L"\u4e2d?"),                false },
    LossyTextCase{ "DwordRawBytes",     RawDword('?'),                                  false }
), [](const testing::TestParamInfo<LossyTextCase>& info) { return std::string(info.param.label); });

struct DwordReadCase
{
    const char* label;
    DWORD type;
    std::vector<BYTE> bytes;
    int fallback;
    int expected;
};

class StoreDwordReadTest : public SettingsKeyTest, public testing::WithParamInterface<DwordReadCase>
{
};

TEST_P(StoreDwordReadTest, OverlaysValueBytesOnDefault)
{
    const DwordReadCase& c = GetParam();
    WriteRaw(HangupTimer.name, c.type, c.bytes.data(), (DWORD)c.bytes.size());
    EXPECT_EQ(c.expected, ReadRegistryDword(Root, Path, HangupTimer.name, c.fallback));
}

INSTANTIATE_TEST_SUITE_P(Store, StoreDwordReadTest, testing::Values(
    DwordReadCase{ "Dword",           REG_DWORD,  { 0x2D, 0, 0, 0 },          30, 45 },
    DwordReadCase{ "Negative",        REG_DWORD,  { 0xFF, 0xFF, 0xFF, 0xFF }, 30, -1 },
    DwordReadCase{ "TextOneDigit",    REG_SZ,     { '1', 0 },                 30, 49 },
    DwordReadCase{ "OneByte",         REG_BINARY, { 0x07 },                   0x01020304, 0x01020307 },
    DwordReadCase{ "ThreeBytes",      REG_BINARY, { 1, 2, 3 },                -1, (int)0xFF030201 },
    DwordReadCase{ "Empty",           REG_BINARY, {},                         30, 30 },
    DwordReadCase{ "FiveBytes",       REG_BINARY, { 1, 0, 0, 0, 0 },          30, 30 },
    DwordReadCase{ "QwordIsTooLong",  REG_QWORD,  { 5, 0, 0, 0, 0, 0, 0, 0 }, 30, 30 },
    DwordReadCase{ "LongText",        REG_SZ,     { '1', '2', '3', '4', 0 },  30, 30 }
), [](const testing::TestParamInfo<DwordReadCase>& info) { return std::string(info.param.label); });

}  // namespace
