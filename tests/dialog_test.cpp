// The settings dialog's template and the data-exchange rules, on real controls in this process.
#include <functional>

#include "ModalScript.h"
#include "Templates.h"
#include "RegistryCheck.h"
#include "fw/DataExchange.h"
#include "fw/WinApp.h"
#include "res/resource.h"
#include "ui/ConfigDialog.h"

namespace {

// Records the commands that reach the application, as the Help command does.
class TestApp : public CWinApp
{
public:
    bool OnCmdMsg(WPARAM wParam, LPARAM) override
    {
        commands.push_back(LOWORD(wParam));
        return true;
    }
    std::vector<UINT> commands;
};

TestApp testApp;

// A dialog from the settings template whose exchange the test sets, kept open while the
// test's body runs and ended right after it.
class ProbeDialog : public CDialog
{
public:
    explicit ProbeDialog(std::function<void(ProbeDialog&)> body, UINT templateId = IDD_CONFIG)
        : CDialog(templateId), m_body(std::move(body))
    {
    }

    // Runs the exchange in one direction, the way UpdateData does; false when it failed.
    bool Exchange(bool save, const std::function<void(CDataExchange*)>& exchange)
    {
        m_exchange = exchange;
        bool ok = UpdateData(save) != FALSE;
        m_exchange = nullptr;
        return ok;
    }

    HWND Item(int id) const { return GetDlgItem(id); }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_body(*this);
        EndDialog(IDOK);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (m_exchange)
            m_exchange(pDX);
    }

private:
    std::function<void(ProbeDialog&)> m_body;
    std::function<void(CDataExchange*)> m_exchange;
};

void RunProbe(std::function<void(ProbeDialog&)> body)
{
    ProbeDialog dialog(std::move(body));
    ASSERT_EQ(IDOK, dialog.DoModal());
}

// Answers the warning boxes the exchange shows, recording caption and text.
struct BoxRecord
{
    std::wstring caption;
    std::wstring text;
};

class BoxAnswerer
{
public:
    explicit BoxAnswerer(HWND dialog) : m_dialog(dialog)
    {
        current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~BoxAnswerer()
    {
        KillTimer(nullptr, m_timer);
        current = nullptr;
    }
    std::vector<BoxRecord> boxes;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = ModalScript::FindDialog(nullptr, current->m_dialog);
        if (!box)
            return;
        wchar_t text[256] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        current->boxes.push_back({ ModalScript::Text(box), text });
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    static inline BoxAnswerer* current = nullptr;
    HWND m_dialog;
    UINT_PTR m_timer;
};

// The windows the dialog manager made: same order, ids and captions, in the font's units.
TEST(ConfigTemplate, DialogShowsControlsAsTemplated)
{
    RunProbe([](ProbeDialog& dialog) {
        EXPECT_EQ(L"Harvex Quadrell", ModalScript::Text(dialog.m_hWnd));
        LOGFONTW font = {};
        GetObjectW((HFONT)SendMessageW(dialog.m_hWnd, WM_GETFONT, 0, 0), sizeof font, &font);
        EXPECT_STREQ(L"MS Sans Serif", font.lfFaceName);

        HWND child = GetWindow(dialog.m_hWnd, GW_CHILD);
        for (const TemplateItem& wanted : ConfigControls) {
            ASSERT_TRUE(child) << "missing control " << wanted.id;
            SCOPED_TRACE(testing::Message() << "control " << wanted.id);
            EXPECT_EQ(wanted.id, (int)(short)GetDlgCtrlID(child));
            if (wanted.classAtom != ComboAtom && wanted.classAtom != EditAtom) {
                EXPECT_EQ(wanted.caption, ModalScript::Text(child));
            }
            RECT place = wanted.place;          // x, y, width and height map one by one
            MapDialogRect(dialog.m_hWnd, &place);
            RECT actual;
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog.m_hWnd, (POINT*)&actual, 2);
            EXPECT_EQ(place.left, actual.left);
            EXPECT_EQ(place.top, actual.top);
            EXPECT_EQ(place.right, actual.right - actual.left);
            if (wanted.classAtom != ComboAtom) {    // a drop-down combo box shows its closed height
                EXPECT_EQ(place.bottom, actual.bottom - actual.top);
            }
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_FALSE(child) << "more controls than the template lists";
    });
}

TEST(ConfigTemplate, ComboListIsSorted)
{
    RunProbe([](ProbeDialog& dialog) {
        HWND combo = dialog.Item(IDC_USERAGENT);
        const wchar_t* expected[] = {
            L"Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21",
            L"Mozilla/4.0 (compatible; MSIE 4.01; Windows 98)",
            L"Mozilla/4.06 [en] (Win98; I)",
        };
        ASSERT_EQ(3, SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < 3; ++i) {
            wchar_t text[128];
            SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)text);
            EXPECT_STREQ(expected[i], text);
        }
    });
}

// ---- Modal runs that cannot start

TEST(DialogRun, MissingTemplateGivesMinusOne)
{
    CDialog dialog(9999);
    EXPECT_EQ(-1, dialog.DoModal());
}

TEST(DialogRun, BrokenInitDataEndsDialogWithMinusOne)
{
    ASSERT_TRUE(FindResourceW(nullptr, MAKEINTRESOURCEW(900), (LPCWSTR)RT_DIALOG));  // dialog_test.rc
    CDialog dialog(900);
    EXPECT_EQ(-1, dialog.DoModal());
}

// ---- Check boxes

struct CheckCase
{
    int field;
    int fieldAfter;
    int shown;
};

class CheckExchangeTest : public testing::TestWithParam<CheckCase>
{
};

TEST_P(CheckExchangeTest, NormalisesThenShowsAndReadsBack)
{
    CheckCase c = GetParam();
    RunProbe([c](ProbeDialog& dialog) {
        int field = c.field;
        dialog.Exchange(false, [&](CDataExchange* pDX) { DDX_Check(pDX, IDC_DEBUGCLICKS, field); });
        EXPECT_EQ(c.fieldAfter, field);
        EXPECT_EQ(c.shown, (int)SendMessageW(dialog.Item(IDC_DEBUGCLICKS), BM_GETCHECK, 0, 0));

        field = 7;
        EXPECT_TRUE(dialog.Exchange(true, [&](CDataExchange* pDX) { DDX_Check(pDX, IDC_DEBUGCLICKS, field); }));
        EXPECT_EQ(c.shown, field);
    });
}

INSTANTIATE_TEST_SUITE_P(Exchange, CheckExchangeTest, testing::Values(
    CheckCase{ -1, 0, 0 }, CheckCase{ 0, 0, 0 }, CheckCase{ 1, 1, 1 },
    CheckCase{ 2, 2, 1 }, CheckCase{ 3, 0, 0 }, CheckCase{ 5, 0, 0 }));

// ---- Integer text

struct IntegerCase
{
    const wchar_t* text;
    bool accepted;
    int value;
};

class IntegerTextTest : public testing::TestWithParam<IntegerCase>
{
};

TEST_P(IntegerTextTest, ParsesWholeDecimalInteger)
{
    IntegerCase c = GetParam();
    int value = -12345;
    EXPECT_EQ(c.accepted, ParseIntegerText(c.text, value));
    if (c.accepted) {
        EXPECT_EQ(c.value, value);
    }
}

INSTANTIATE_TEST_SUITE_P(Exchange, IntegerTextTest, testing::Values(
    IntegerCase{ L"45", true, 45 },
    IntegerCase{ L" 45\t", true, 45 },
    IntegerCase{ L"\t \t7  ", true, 7 },
    IntegerCase{ L"00", true, 0 },
    IntegerCase{ L"0", true, 0 },
    IntegerCase{ L" 0 ", true, 0 },
    IntegerCase{ L"+5", true, 5 },
    IntegerCase{ L"-5", true, -5 },
    IntegerCase{ L"1234", true, 1234 },
    IntegerCase{ L"007", true, 7 },
    IntegerCase{ L"99999999999", true, 2147483647 },    // clamped; the range check refuses it
    IntegerCase{ L"", false, 0 },
    IntegerCase{ L"   ", false, 0 },
    IntegerCase{ L"12a", false, 0 },
    IntegerCase{ L"a12", false, 0 },
    IntegerCase{ L"4 5", false, 0 },
    IntegerCase{ L"-0", false, 0 },
    IntegerCase{ L"+0", false, 0 },
    IntegerCase{ L"-", false, 0 },
    IntegerCase{ L"0x10", false, 0 },
    IntegerCase{ L"\n5", false, 0 },
    IntegerCase{ L"5\r\n", false, 0 },
    IntegerCase{ L"\xFF15", false, 0 },                 // a full-width digit is no digit here
    IntegerCase{ L"                              7", true, 7 },    // 31 characters
    IntegerCase{ L"                               7", false, 0 }   // the 32nd is never read
));

struct TextFailureCase
{
    const wchar_t* hangupText;
    const wchar_t* message;
};

class TextFailureTest : public testing::TestWithParam<TextFailureCase>
{
};

// The first failing field shows one box, takes the focus with its text selected, and stops
// the exchange before the next field.
TEST_P(TextFailureTest, ShowsOneBoxFocusesFieldAndStops)
{
    TextFailureCase c = GetParam();
    RunProbe([c](ProbeDialog& dialog) {
        HWND hangup = dialog.Item(IDC_HANGUPTIMER);
        SetWindowTextW(hangup, c.hangupText);
        SetWindowTextW(dialog.Item(IDC_TURNOFFTIMER), L"x");
        int hangupValue = 0, turnOffValue = 77, later = 0;
        bool ok;
        std::vector<BoxRecord> boxes;
        {
            BoxAnswerer answerer(dialog.m_hWnd);
            ok = dialog.Exchange(true, [&](CDataExchange* pDX) {
                DDX_Text(pDX, IDC_HANGUPTIMER, hangupValue);
                DDV_MinMaxInt(pDX, hangupValue, 0, 999);
                DDX_Text(pDX, IDC_TURNOFFTIMER, turnOffValue);
                DDV_MinMaxInt(pDX, turnOffValue, 0, 999);
                DDX_Check(pDX, IDC_REFERER, later);
                later = 99;
            });
            boxes = answerer.boxes;
        }
        EXPECT_FALSE(ok);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(L"dialog_test", boxes[0].caption);
        EXPECT_EQ(c.message, boxes[0].text);
        EXPECT_EQ(77, turnOffValue);
        EXPECT_EQ(99, later);       // set after the calls, which all returned at once
        EXPECT_EQ(hangup, GetFocus());
        DWORD start = 1, end = 0;
        SendMessageW(hangup, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        EXPECT_EQ(0u, start);
        EXPECT_EQ((DWORD)GetWindowTextLengthW(hangup), end);
    });
}

INSTANTIATE_TEST_SUITE_P(Exchange, TextFailureTest, testing::Values(
    TextFailureCase{ L"", L"Please enter an integer." },
    TextFailureCase{ L"12a", L"Please enter an integer." },
    TextFailureCase{ L"-0", L"Please enter an integer." },
    TextFailureCase{ L"1234", L"Please enter an integer between 0 and 999." },
    TextFailureCase{ L"-5", L"Please enter an integer between 0 and 999." },
    TextFailureCase{ L"99999999999", L"Please enter an integer between 0 and 999." }));

TEST(IntegerExchange, ShowsDecimalAndAcceptsBounds)
{
    RunProbe([](ProbeDialog& dialog) {
        for (int value : { 0, 999, -5, 1234 }) {
            int field = value;
            dialog.Exchange(false, [&](CDataExchange* pDX) { DDX_Text(pDX, IDC_HANGUPTIMER, field); });
            wchar_t text[32];
            GetDlgItemTextW(dialog.m_hWnd, IDC_HANGUPTIMER, text, 32);
            EXPECT_EQ(std::to_wstring(value), text);
        }
        for (const wchar_t* text : { L"0", L"999", L" 45\t" }) {
            SetDlgItemTextW(dialog.m_hWnd, IDC_HANGUPTIMER, text);
            int field = -1;
            EXPECT_TRUE(dialog.Exchange(true, [&](CDataExchange* pDX) {
                DDX_Text(pDX, IDC_HANGUPTIMER, field);
                DDV_MinMaxInt(pDX, field, 0, 999);
            })) << testing::PrintToString(std::wstring(text));
        }
    });
}

// ---- Combo-box text

struct ComboCase
{
    const char* field;
    const wchar_t* shown;
    int selected;
};

class ComboExchangeTest : public testing::TestWithParam<ComboCase>
{
};

TEST_P(ComboExchangeTest, SelectsFirstEntryItBeginsElseKeepsText)
{
    ComboCase c = GetParam();
    RunProbe([c](ProbeDialog& dialog) {
        CString field = c.field;
        dialog.Exchange(false, [&](CDataExchange* pDX) { DDX_CBString(pDX, IDC_USERAGENT, field); });
        HWND combo = dialog.Item(IDC_USERAGENT);
        EXPECT_EQ(c.shown, ModalScript::Text(combo));
        EXPECT_EQ(c.selected, (int)SendMessageW(combo, CB_GETCURSEL, 0, 0));

        CString back = "unchanged";
        dialog.Exchange(true, [&](CDataExchange* pDX) { DDX_CBString(pDX, IDC_USERAGENT, back); });
        EXPECT_EQ(std::wstring(c.shown), std::wstring(back.begin(), back.end()));
    });
}

INSTANTIATE_TEST_SUITE_P(Exchange, ComboExchangeTest, testing::Values(
    ComboCase{ "", L"", CB_ERR },
    ComboCase{ "mozilla/4.0", L"Mozilla/4.0 (compatible; MSIE 4.01; Windows 98)", 1 },
    ComboCase{ "MOZILLA/3", L"Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21", 0 },
    ComboCase{ "Mozilla/4.06", L"Mozilla/4.06 [en] (Win98; I)", 2 },
    ComboCase{ "m", L"Mozilla/3.0 (compatible; Opera/3.0; Windows 95/NT4) 3.21", 0 },
    ComboCase{ "Custom/1.0 (test)", L"Custom/1.0 (test)", CB_ERR },
    ComboCase{ "Mozilla/4.06 [en] (Win98; I) more", L"Mozilla/4.06 [en] (Win98; I) more", CB_ERR }));

// ---- The settings dialog itself

class ConfigDialogTest : public SettingsKeyTest
{
protected:
    // Runs the settings dialog as the application's main window with the steps.
    INT_PTR Run(std::vector<ModalScript::Step> steps)
    {
        CConfigDialog dialog;
        testApp.m_pMainWnd = &dialog;
        ModalScript script(std::move(steps));
        INT_PTR result = dialog.DoModal();
        testApp.m_pMainWnd = nullptr;
        EXPECT_TRUE(script.Finished());
        return result;
    }

    static HWND Settings() { return ModalScript::FindDialog(L"Harvex Quadrell"); }
    static HWND About() { return ModalScript::FindDialog(L"關於 HarvexAnal"); }
};

TEST_F(ConfigDialogTest, SystemMenuEndsWithAboutEntry)
{
    EXPECT_EQ(IDCANCEL, Run({ [] {
        HMENU menu = GetSystemMenu(Settings(), FALSE);
        int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        EXPECT_EQ(MF_SEPARATOR, GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ((UINT)ID_SYSMENU_ABOUT, GetMenuItemID(menu, count - 1));
        wchar_t text[64];
        GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(L"關於 Harvex Quadrell...(&A)", text);
    }, [] { PostMessageW(Settings(), WM_COMMAND, IDCANCEL, 0); } }));
}

class AboutCommandTest : public ConfigDialogTest, public testing::WithParamInterface<WPARAM>
{
};

// The low four bits of the command are the platform's; all sixteen ids open the box.
TEST_P(AboutCommandTest, OpensModalAboutBoxAndWritesNothing)
{
    WPARAM command = GetParam();
    EXPECT_EQ(IDCANCEL, Run({
        [command] { SendMessageW(Settings(), WM_SYSCOMMAND, command, 0); },
        [] {
            HWND about = About();
            if (!about)
                return ModalScript::Retry();
            EXPECT_EQ(Settings(), GetWindow(about, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(Settings()));
            std::vector<std::wstring> texts;
            for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                texts.push_back(ModalScript::Text(child));
            ASSERT_EQ(3u, texts.size());
            EXPECT_EQ(L"Harvex Quadrell Version 1.0", texts[0]);
            EXPECT_NE(std::wstring::npos, texts[1].find(L'\n')) << "two lines of credits";
            EXPECT_EQ(L"確定", texts[2]);
            EXPECT_FALSE(SettingsKeyExists());
        },
        [] { PostMessageW(About(), WM_COMMAND, IDOK, 0); },
        [] {
            if (About())
                return ModalScript::Retry();
            EXPECT_TRUE(IsWindowEnabled(Settings()));
            PostMessageW(Settings(), WM_COMMAND, IDCANCEL, 0);
        } }));
    EXPECT_FALSE(SettingsKeyExists());
}

INSTANTIATE_TEST_SUITE_P(About, AboutCommandTest, testing::Values(0x0010, 0x0013, 0x001F));

TEST_F(ConfigDialogTest, OtherSystemCommandsOpenNoAboutBox)
{
    // An About box would run its own loop inside SendMessage, and the next step inside that.
    bool returned = false;
    EXPECT_EQ(IDCANCEL, Run({
        [&returned] {
            for (WPARAM command : { 0x0000, 0x000F, 0x0020, 0x0110 })
                SendMessageW(Settings(), WM_SYSCOMMAND, command, 0);
            returned = true;
        },
        [&returned] { EXPECT_TRUE(returned); },
        [] { SendMessageW(Settings(), WM_SYSCOMMAND, SC_CLOSE, 0); } }));
}

TEST_F(ConfigDialogTest, WindowAndDragIconsAreTheApplicationIcon)
{
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN));
    ASSERT_TRUE(icon);
    Run({ [icon] {
        HWND dialog = Settings();
        EXPECT_EQ((LRESULT)icon, SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ((LRESULT)icon, SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ((LRESULT)icon, SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0));
    }, [] { PostMessageW(Settings(), WM_COMMAND, IDCANCEL, 0); } });
}

TEST_F(ConfigDialogTest, HelpKeyReachesApplicationHelpCommand)
{
    // The key goes to the focused control; the platform turns it into WM_HELP for the dialog.
    testApp.commands.clear();
    Run({ [] {
              EXPECT_EQ(GetDlgItem(Settings(), IDOK), GetFocus());
              SetForegroundWindow(Settings());
              INPUT key[2] = {};
              key[0].type = key[1].type = INPUT_KEYBOARD;
              key[0].ki.wVk = key[1].ki.wVk = VK_F1;
              key[1].ki.dwFlags = KEYEVENTF_KEYUP;
              EXPECT_EQ(2u, SendInput(2, key, sizeof key[0]));
          },
          [] {
              if (testApp.commands.empty())
                  return ModalScript::Retry();
              EXPECT_EQ(std::vector<UINT>{ ID_HELP }, testApp.commands);
          },
          [] { SendMessageW(Settings(), WM_HELP, 0, 0); },
          [] { PostMessageW(Settings(), WM_COMMAND, IDCANCEL, 0); } });
    EXPECT_EQ((std::vector<UINT>{ ID_HELP, ID_HELP }), testApp.commands);
}

TEST_F(ConfigDialogTest, MinimizedDialogStaysOpenAndRestores)
{
    // Without a window manager Wine restores the window at its next event, so the minimized
    // paint is forced at once.
    Run({ [] {
              HWND dialog = Settings();
              ShowWindow(dialog, SW_MINIMIZE);
              ASSERT_TRUE(IsIconic(dialog));
              RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
              EXPECT_FALSE(GetUpdateRect(dialog, nullptr, FALSE));
              ShowWindow(dialog, SW_RESTORE);
              EXPECT_FALSE(IsIconic(dialog));
              RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
              EXPECT_FALSE(GetUpdateRect(dialog, nullptr, FALSE));
          },
          [] { PostMessageW(Settings(), WM_COMMAND, IDCANCEL, 0); } });
}

struct CentreCase
{
    int client;
    int icon;
    int offset;
};

class CentredIconTest : public testing::TestWithParam<CentreCase>
{
};

TEST_P(CentredIconTest, RoundsUpHalfAndTruncatesTowardZero)
{
    EXPECT_EQ(GetParam().offset, CentredIconOffset(GetParam().client, GetParam().icon));
}

INSTANTIATE_TEST_SUITE_P(Paint, CentredIconTest, testing::Values(
    CentreCase{ 32, 32, 0 },
    CentreCase{ 33, 32, 1 },
    CentreCase{ 34, 32, 1 },
    CentreCase{ 100, 32, 34 },
    CentreCase{ 101, 32, 35 },
    CentreCase{ 31, 32, 0 },
    CentreCase{ 30, 32, 0 },     // -1 / 2 truncates to 0, not -1
    CentreCase{ 29, 32, -1 },
    CentreCase{ 20, 32, -5 },    // -11 / 2 truncates to -5, not -6
    CentreCase{ 0, 32, -15 }));

}  // namespace
