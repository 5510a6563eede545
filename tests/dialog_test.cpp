// The settings dialog's template and the data-exchange rules, on real controls in this process.
#include <functional>

#include "ModalScript.h"
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

// ---- The template

// One control of a dialog template, as stored in the resource.
struct TemplateItem
{
    int id;
    WORD classAtom;         // 0x80 button, 0x81 edit, 0x82 static, 0x85 combo box
    DWORD style;
    std::wstring caption;
    RECT place;             // x, y, width, height in dialog units
};

struct DialogTemplate
{
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT place = {};
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring face;
    std::vector<TemplateItem> items;
};

// Reads an extended dialog template from this program's resources.
DialogTemplate LoadDialogTemplate(UINT id)
{
    DialogTemplate result;
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), (LPCWSTR)RT_DIALOG);
    const BYTE* data = (const BYTE*)LockResource(LoadResource(nullptr, info));
    if (!data)
        return result;
    size_t at = 0;
    auto word = [&] { WORD w; memcpy(&w, data + at, 2); at += 2; return w; };
    auto dword = [&] { DWORD d; memcpy(&d, data + at, 4); at += 4; return d; };
    auto text = [&] { std::wstring t; for (WORD c; (c = word()) != 0;) t.push_back(c); return t; };
    auto align = [&] { at = (at + 3) & ~(size_t)3; };

    EXPECT_EQ(1, word());
    EXPECT_EQ(0xFFFF, word());      // extended template
    dword();                        // help id
    result.exStyle = dword();
    result.style = dword();
    WORD count = word();
    result.place.left = (short)word();
    result.place.top = (short)word();
    result.place.right = (short)word();
    result.place.bottom = (short)word();
    EXPECT_EQ(0, word());           // no menu
    EXPECT_EQ(0, word());           // the standard dialog class
    result.caption = text();
    result.pointSize = word();
    result.weight = word();
    result.italic = data[at++];
    result.charset = data[at++];
    result.face = text();
    for (WORD i = 0; i < count; ++i) {
        align();
        TemplateItem item;
        dword();                    // help id
        dword();                    // extended style
        item.style = dword();
        item.place.left = (short)word();
        item.place.top = (short)word();
        item.place.right = (short)word();
        item.place.bottom = (short)word();
        item.id = (int)dword();
        EXPECT_EQ(0xFFFF, word()) << "control class by atom";
        item.classAtom = word();
        if (data[at] == 0xFF && data[at + 1] == 0xFF) {
            at += 4;
        } else {
            item.caption = text();
        }
        at += word();               // creation data
        result.items.push_back(item);
    }
    return result;
}

const WORD ButtonAtom = 0x80, EditAtom = 0x81, StaticAtom = 0x82, ComboAtom = 0x85;

const DWORD Child = WS_CHILD | WS_VISIBLE;
const DWORD Check = Child | BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD Label = Child | SS_LEFT | WS_GROUP;
const DWORD Group = Child | BS_GROUPBOX;
const DWORD IconButton = Child | BS_PUSHBUTTON | BS_ICON | WS_TABSTOP;
const DWORD Number = Child | ES_LEFT | ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP;

const TemplateItem ConfigControls[] = {
    { IDOK,                ButtonAtom, Child | BS_DEFPUSHBUTTON | WS_TABSTOP, L"確定", { 200, 241, 50, 14 } },
    { IDCANCEL,            ButtonAtom, Child | BS_PUSHBUTTON | WS_TABSTOP,    L"取消", { 256, 241, 50, 14 } },
    { IDC_USERAGENT,       ComboAtom,  Child | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, L"", { 56, 16, 244, 80 } },
    { -1,                  StaticAtom, Label, L"代理者：", { 12, 16, 44, 8 } },
    { IDC_REFERER,         ButtonAtom, Check, L"HTTP 協定要求寄出\"Referer\"", { 12, 52, 180, 8 } },
    { IDC_GENERATEREFERER, ButtonAtom, Check, L"伺服器上的檔案下載，須要一些資料", { 12, 64, 220, 8 } },
    { -1,                  StaticAtom, Label, L"空白 = 正常使用 Harvex", { 56, 32, 180, 8 } },
    { -1,                  ButtonAtom, Group, L"HTTP 協定", { 4, 4, 300, 76 } },
    { IDC_TRAYICONNORMAL,  ButtonAtom, IconButton, L"Button1", { 52, 96, 28, 24 } },
    { IDC_TRAYICONCLOCK,   ButtonAtom, IconButton, L"Button1", { 156, 96, 28, 24 } },
    { -1,                  StaticAtom, Label, L"原始圖示", { 16, 100, 32, 20 } },
    { -1,                  StaticAtom, Label, L"時程圖示", { 112, 102, 40, 19 } },
    { IDC_DROPICONNORMAL,  ButtonAtom, IconButton, L"Button1", { 264, 96, 28, 24 } },
    { -1,                  StaticAtom, Label, L"拖曳視窗圖示", { 220, 102, 40, 18 } },
    { -1,                  ButtonAtom, Group, L"圖示", { 4, 84, 300, 84 } },
    { IDC_ANIMATEMONITOR,  ButtonAtom, Check, L"動畫拖曳視窗圖示", { 12, 129, 180, 8 } },
    { -1,                  ButtonAtom, Group, L"其它", { 4, 172, 300, 64 } },
    { -1,                  StaticAtom, Label, L"伺服器忙錄(秒)：", { 12, 185, 116, 8 } },
    { -1,                  StaticAtom, Label, L"伺服器離線(秒)：", { 12, 201, 116, 8 } },
    { IDC_HANGUPTIMER,     EditAtom,   Number, L"", { 132, 185, 28, 12 } },
    { IDC_TURNOFFTIMER,    EditAtom,   Number, L"", { 132, 201, 28, 12 } },
    { IDC_DEBUGCLICKS,     ButtonAtom, Check, L"立即除錯(並存入 harvexclick.log)", { 12, 220, 260, 8 } },
    { IDC_TRAYOPENMONITOR, ButtonAtom, Check, L"雙擊圖示開啟 Harvex 拖曳視窗", { 12, 140, 260, 8 } },
    { IDC_TOOLSSUBMENU,    ButtonAtom, Check, L"工具圖示選單(未檢查)", { 12, 152, 284, 8 } },
};

bool SamePlace(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ConfigTemplate, FrameCaptionAndFont)
{
    DialogTemplate t = LoadDialogTemplate(IDD_CONFIG);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), t.style)
        << std::hex << t.style;
    EXPECT_EQ((DWORD)WS_EX_APPWINDOW, t.exStyle);
    EXPECT_TRUE(SamePlace(RECT{ 0, 0, 308, 257 }, t.place));
    EXPECT_EQ(L"Harvex Quadrell", t.caption);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(FW_NORMAL, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(DEFAULT_CHARSET, t.charset);
    EXPECT_EQ(L"MS Sans Serif", t.face);
}

TEST(ConfigTemplate, ControlsInTabOrderWithIdsStylesCaptionsAndPlaces)
{
    DialogTemplate t = LoadDialogTemplate(IDD_CONFIG);
    ASSERT_EQ(std::size(ConfigControls), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        const TemplateItem& wanted = ConfigControls[i];
        const TemplateItem& item = t.items[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << ", id " << wanted.id);
        EXPECT_EQ(wanted.id, (int)(short)item.id);
        EXPECT_EQ(wanted.classAtom, item.classAtom);
        EXPECT_EQ(wanted.style, item.style) << std::hex << item.style << " wanted " << wanted.style;
        EXPECT_EQ(wanted.caption, item.caption);
        EXPECT_TRUE(SamePlace(wanted.place, item.place));
    }
}

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
            if (wanted.classAtom != ComboAtom && wanted.classAtom != EditAtom)
                EXPECT_EQ(wanted.caption, ModalScript::Text(child));
            RECT place = wanted.place;          // x, y, width and height map one by one
            MapDialogRect(dialog.m_hWnd, &place);
            RECT actual;
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog.m_hWnd, (POINT*)&actual, 2);
            EXPECT_EQ(place.left, actual.left);
            EXPECT_EQ(place.top, actual.top);
            EXPECT_EQ(place.right, actual.right - actual.left);
            if (wanted.classAtom != ComboAtom)  // a drop-down combo box shows its closed height
                EXPECT_EQ(place.bottom, actual.bottom - actual.top);
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_FALSE(child) << "more controls than the template lists";
    });
}

TEST(AboutTemplate, FrameAndThreeControls)
{
    DialogTemplate t = LoadDialogTemplate(IDD_ABOUT);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), t.style)
        << std::hex << t.style;
    EXPECT_TRUE(SamePlace(RECT{ 0, 0, 217, 55 }, t.place));
    EXPECT_EQ(L"關於 HarvexAnal", t.caption);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(L"MS Sans Serif", t.face);

    const TemplateItem wanted[] = {
        { -1, StaticAtom, Label | SS_NOPREFIX, L"Harvex Quadrell Version 1.0", { 40, 10, 119, 8 } },
        { -1, StaticAtom, Label, L"", { 40, 25, 164, 16 } },
        { IDOK, ButtonAtom, Child | BS_DEFPUSHBUTTON | WS_TABSTOP, L"確定", { 178, 7, 32, 14 } },
    };
    ASSERT_EQ(std::size(wanted), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control #" << i + 1);
        EXPECT_EQ(wanted[i].id, (int)(short)t.items[i].id);
        EXPECT_EQ(wanted[i].classAtom, t.items[i].classAtom);
        EXPECT_EQ(wanted[i].style, t.items[i].style) << std::hex << t.items[i].style;
        EXPECT_TRUE(SamePlace(wanted[i].place, t.items[i].place));
        if (i != 1)
            EXPECT_EQ(wanted[i].caption, t.items[i].caption);
    }
    size_t lineBreak = t.items[1].caption.find(L'\n');
    EXPECT_NE(std::wstring::npos, lineBreak) << "the credits take two lines";
    EXPECT_EQ(std::wstring::npos, t.items[1].caption.find(L'\n', lineBreak + 1));
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
    if (c.accepted)
        EXPECT_EQ(c.value, value);
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
