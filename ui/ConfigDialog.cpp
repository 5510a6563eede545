// The settings dialog: the host program's nine options and its three custom icons.
#include "ConfigDialog.h"

#include "../res/resource.h"
#include "../store/Registry.h"
#include "../store/Settings.h"
#include "AboutDialog.h"
#include "IconPicker.h"

const MessageMapEntry<CConfigDialog> CConfigDialog::messageMap[] = {
    // message          code             control              handler
    { WM_SYSCOMMAND,    0,               0,                   &CConfigDialog::OnSysCommand },
    { WM_PAINT,         0,               0,                   &CConfigDialog::OnPaint },
    { WM_QUERYDRAGICON, 0,               0,                   &CConfigDialog::OnQueryDragIcon },
    { WM_COMMAND,       BN_CLICKED,      IDC_DROPICONNORMAL,  &CConfigDialog::OnPickDropIconNormal },
    { WM_COMMAND,       BN_CLICKED,      IDC_TRAYICONNORMAL,  &CConfigDialog::OnPickTrayIconNormal },
    { WM_COMMAND,       BN_CLICKED,      IDC_TRAYICONCLOCK,   &CConfigDialog::OnPickTrayIconClock },
    { WM_COMMAND,       CBN_EDITCHANGE,  IDC_USERAGENT,       &CConfigDialog::OnEditUserAgent },
    { WM_COMMAND,       CBN_SELCHANGE,   IDC_USERAGENT,       &CConfigDialog::OnEditUserAgent },
};

bool IsBlankText(const CString& text)
{
    return text.empty();
}

static int ReadSetting(const Setting& setting)
{
    return ReadRegistryDword(SettingsKey.root, SettingsKey.path, setting.name, setting.fallback);
}

static void WriteSetting(const Setting& setting, int value)
{
    WriteRegistryDword(SettingsKey.root, SettingsKey.path, setting.name, value);
}

CConfigDialog::CConfigDialog(CWnd* parent) : CDialog(IDD_CONFIG, parent)
{
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN));
}

bool CConfigDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return DispatchMessageMap(this, messageMap, message, wParam, lParam, result);
}

void CConfigDialog::DoDataExchange(CDataExchange* pDX)
{
    // Order matters: the first field that fails stops the exchange and gets the focus.
    DDX_Control(pDX, IDC_TRAYICONCLOCK, m_TrayIconClockButton);
    DDX_Control(pDX, IDC_TRAYICONNORMAL, m_TrayIconNormalButton);
    DDX_Control(pDX, IDC_DROPICONNORMAL, m_DropIconNormalButton);
    DDX_Check(pDX, IDC_ANIMATEMONITOR, m_AnimateMonitor);
    DDX_CBString(pDX, IDC_USERAGENT, m_UserAgent);
    DDX_Check(pDX, IDC_TRAYOPENMONITOR, m_TrayOpenMonitor);
    DDX_Check(pDX, IDC_DEBUGCLICKS, m_DebugClicks);
    DDX_Check(pDX, IDC_GENERATEREFERER, m_GenerateReferer);
    DDX_Text(pDX, IDC_HANGUPTIMER, m_HangupTimer);
    DDV_MinMaxInt(pDX, m_HangupTimer, 0, 999);
    DDX_Check(pDX, IDC_REFERER, m_Referer);
    DDX_Text(pDX, IDC_TURNOFFTIMER, m_TurnOffTimer);
    DDV_MinMaxInt(pDX, m_TurnOffTimer, 0, 999);
    DDX_Check(pDX, IDC_TOOLSSUBMENU, m_ToolsSubmenu);
}

BOOL CConfigDialog::OnInitDialog()
{
    CDialog::OnInitDialog();    // binds the icon buttons

    AddAboutEntry(*this);

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);

    m_UserAgent = ReadRegistryString(SettingsKey.root, SettingsKey.path, UserAgent.name);
    // Only a text read that came back empty or with '?' in it can have lost anything.
    if (IsBlankText(m_UserAgent))
        m_UserAgentUnreadable = IsRegistryStringTooLong(SettingsKey.root, SettingsKey.path, UserAgent.name);
    else if (m_UserAgent.find('?') != CString::npos)
        m_UserAgentUnreadable = IsRegistryStringLossy(SettingsKey.root, SettingsKey.path, UserAgent.name);

    m_Referer = ReadSetting(Referer);
    m_GenerateReferer = ReadSetting(GenerateReferer);
    m_AnimateMonitor = ReadSetting(AnimateMonitor);
    m_TrayOpenMonitor = ReadSetting(TrayOpenMonitor);
    m_ToolsSubmenu = ReadSetting(ToolsSubmenu);
    m_HangupTimer = ReadSetting(HangupTimer);
    m_TurnOffTimer = ReadSetting(TurnOffTimer);
    m_DebugClicks = ReadSetting(DebugClicks);

    ShowStoredIcon(TrayIconNormal.name, m_TrayIconNormalButton);
    ShowStoredIcon(TrayIconClock.name, m_TrayIconClockButton);
    ShowStoredIcon(DropIconNormal.name, m_DropIconNormalButton);

    UpdateData(FALSE);
    return TRUE;    // the platform puts the focus on the first tab stop, the OK button
}

void CConfigDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;

    if (!m_UserAgentUnreadable || m_UserAgentEdited)
        WriteRegistryString(SettingsKey.root, SettingsKey.path, UserAgent.name, m_UserAgent.c_str());
    WriteSetting(Referer, m_Referer);
    WriteSetting(GenerateReferer, m_GenerateReferer);
    WriteSetting(AnimateMonitor, m_AnimateMonitor);
    WriteSetting(TrayOpenMonitor, m_TrayOpenMonitor);
    WriteSetting(ToolsSubmenu, m_ToolsSubmenu);
    WriteSetting(HangupTimer, m_HangupTimer);
    WriteSetting(TurnOffTimer, m_TurnOffTimer);
    WriteSetting(DebugClicks, m_DebugClicks);

    EndDialog(IDOK);
}

LRESULT CConfigDialog::OnSysCommand(WPARAM wParam, LPARAM)
{
    if ((wParam & 0xFFF0) == ID_SYSMENU_ABOUT) {
        CAboutDialog about;
        about.DoModal();
    } else {
        Default();  // move, size, minimize, close
    }
    return 0;
}

LRESULT CConfigDialog::OnPaint(WPARAM, LPARAM)
{
    if (!IsIconic(m_hWnd)) {
        Default();
        return 0;
    }
    CPaintDC dc(this);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, (WPARAM)dc.m_hDC, 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    int x = CentredIconOffset(rect.right - rect.left, cxIcon);
    int y = CentredIconOffset(rect.bottom - rect.top, cyIcon);
    DrawIcon(dc.m_hDC, x, y, m_hIcon);
    return 0;
}

// The cursor shown while the minimized window is dragged.
LRESULT CConfigDialog::OnQueryDragIcon(WPARAM, LPARAM)
{
    return (LRESULT)m_hIcon;
}

LRESULT CConfigDialog::OnPickDropIconNormal(WPARAM, LPARAM)
{
    PickIcon(*this, DropIconNormal.name, m_DropIconNormalButton);
    return 0;
}

LRESULT CConfigDialog::OnPickTrayIconNormal(WPARAM, LPARAM)
{
    PickIcon(*this, TrayIconNormal.name, m_TrayIconNormalButton);
    return 0;
}

LRESULT CConfigDialog::OnPickTrayIconClock(WPARAM, LPARAM)
{
    PickIcon(*this, TrayIconClock.name, m_TrayIconClockButton);
    return 0;
}

LRESULT CConfigDialog::OnEditUserAgent(WPARAM, LPARAM)
{
    m_UserAgentEdited = true;
    return 0;
}
