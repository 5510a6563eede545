// The settings dialog: the host program's nine options and its three custom icons.
#pragma once

#include "../fw/String.h"

#include "../fw/DataExchange.h"
#include "../fw/Dialog.h"

class CConfigDialog : public CDialog
{
public:
    explicit CConfigDialog(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnPickDropIconNormal(WPARAM wParam, LPARAM lParam);
    LRESULT OnPickTrayIconNormal(WPARAM wParam, LPARAM lParam);
    LRESULT OnPickTrayIconClock(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditUserAgent(WPARAM wParam, LPARAM lParam);

    static const MessageMapEntry<CConfigDialog> messageMap[];

    CButton m_TrayIconClockButton;
    CButton m_TrayIconNormalButton;
    CButton m_DropIconNormalButton;
    int m_AnimateMonitor = 0;
    CString m_UserAgent;
    int m_TrayOpenMonitor = 0;
    int m_DebugClicks = 0;
    int m_GenerateReferer = 0;
    int m_HangupTimer = 0;
    int m_Referer = 0;
    int m_TurnOffTimer = 0;
    int m_ToolsSubmenu = 0;
    HICON m_hIcon;

    // A stored identification too long to read shows as empty text, and one with characters
    // the ANSI code page lacks shows with '?' in their place; OK leaves either alone unless
    // the user has typed or chosen one.
    bool m_UserAgentUnreadable = false;
    bool m_UserAgentEdited = false;
};

// Where the minimized dialog draws its icon: centred, the division truncating toward zero.
inline int CentredIconOffset(int clientSize, int iconSize)
{
    return (clientSize - iconSize + 1) / 2;
}

bool IsBlankText(const CString& text);
