// The real program, started as its own process and driven from outside.
#include "ProgramDriver.h"
#include "RegistryCheck.h"
#include "res/resource.h"

namespace {

using ProgramTest = SettingsKeyTest;

TEST_F(ProgramTest, DefaultsShownAndOkCreatesNineValues)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(L"Harvex Quadrell", ProgramDriver::Text(program.Dialog()));
    EXPECT_EQ(L"", program.ItemText(IDC_USERAGENT));
    EXPECT_EQ(L"30", program.ItemText(IDC_HANGUPTIMER));
    EXPECT_EQ(L"30", program.ItemText(IDC_TURNOFFTIMER));
    EXPECT_EQ(1, program.Checked(IDC_REFERER));
    EXPECT_EQ(1, program.Checked(IDC_TOOLSSUBMENU));
    EXPECT_EQ(0, program.Checked(IDC_DEBUGCLICKS));
    EXPECT_FALSE(SettingsKeyExists());

    program.Press(IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.WaitForExit(10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(RawString(""), ReadRaw("UserAgent"));
    EXPECT_EQ(RawDword(1), ReadRaw("Referer"));
    EXPECT_EQ(RawDword(30), ReadRaw("HangupTimer"));
}

}  // namespace
