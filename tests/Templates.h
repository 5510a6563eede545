// Dialog templates as stored in a program's resources, and the controls the two dialogs list.
#pragma once

#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"

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

// Reads an extended dialog template from a module's resources (null: this program).
inline DialogTemplate LoadDialogTemplate(HMODULE module, UINT id)
{
    DialogTemplate result;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), (LPCWSTR)RT_DIALOG);
    const BYTE* data = (const BYTE*)LockResource(LoadResource(module, info));
    if (!info || !data) {
        ADD_FAILURE() << "no dialog template " << id;
        return result;
    }
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

inline const WORD ButtonAtom = 0x80, EditAtom = 0x81, StaticAtom = 0x82, ComboAtom = 0x85;

inline const DWORD Child = WS_CHILD | WS_VISIBLE;
inline const DWORD Check = Child | BS_AUTOCHECKBOX | WS_TABSTOP;
inline const DWORD Label = Child | SS_LEFT | WS_GROUP;
inline const DWORD Group = Child | BS_GROUPBOX;
inline const DWORD IconButton = Child | BS_PUSHBUTTON | BS_ICON | WS_TABSTOP;
inline const DWORD Number = Child | ES_LEFT | ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP;

inline const TemplateItem ConfigControls[] = {
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

inline bool SamePlace(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
