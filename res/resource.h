/* Resource ids of the settings editor. The numbers are shared with the resource script. */
#pragma once

#define IDD_ABOUT               100
#define IDS_ABOUT               101
#define IDD_CONFIG              102
#define IDI_MAIN                128

#define IDC_USERAGENT           1000
#define IDC_REFERER             1001
#define IDC_GENERATEREFERER     1002
#define IDC_TRAYICONNORMAL      1003
#define IDC_TRAYICONCLOCK       1004
#define IDC_DROPICONNORMAL      1005
#define IDC_ANIMATEMONITOR      1006
#define IDC_HANGUPTIMER         1007
#define IDC_TURNOFFTIMER        1008
#define IDC_DEBUGCLICKS         1009
#define IDC_TRAYOPENMONITOR     1010
#define IDC_TOOLSSUBMENU        1011

#define ID_SYSMENU_ABOUT        0x0010  /* system-menu command; compare with wParam & 0xFFF0 */

#define RT_DLGINIT_ID           240     /* dialog init data: combo-box strings */
