#include "browser/browser_resources.h"

#include "browser/link_settings_dialog.h"
#include "platform/ui/common_controls.h"
#include "platform/ui/messages.h"

namespace {

using platform::ui::Control;
using platform::ui::ControlKind;

platform::ui::DialogTemplate InfoViewDialog() {
    platform::ui::DialogTemplate t;
    t.id = IDD_INFO_VIEW;
    t.fontFace = "宋体";
    t.pointSize = 9;
    t.cx = 488;
    t.cy = 138;
    t.style = WS_CHILD;
    const DWORD textStyle = ES_MULTILINE | ES_READONLY | ES_WANTRETURN | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL |
                            WS_VSCROLL | WS_BORDER;
    t.controls = {
        Control(IDC_INFO_TABS, ControlKind::TabControl, "Tab1", 13, 100, 170, 14, TCS_BOTTOM | TCS_SCROLLOPPOSITE),
        Control(IDC_INFO_TEXT, ControlKind::RichEdit, "", 7, 29, 185, 57, textStyle),
        Control(IDC_INFO_MENU, ControlKind::PushButton, "", 7, 2, 38, 12),
        Control(IDC_INFO_SAVE, ControlKind::PushButton, "保存", 49, 2, 33, 12),
        Control(IDC_INFO_OPEN, ControlKind::PushButton, "打开", 87, 2, 33, 12),
        Control(IDC_INFO_EXPORT, ControlKind::PushButton, "导出", 125, 2, 33, 12),
        Control(IDC_INFO_IMPORT, ControlKind::PushButton, "导入", 163, 2, 33, 12),
        Control(IDC_INFO_SETTINGS, ControlKind::PushButton, "设置", 201, 2, 33, 12),
        Control(IDC_INFO_FONT, ControlKind::PushButton, "", 246, 2, 13, 12),
        Control(IDC_INFO_BACKGROUND, ControlKind::PushButton, "", 266, 2, 13, 12),
        Control(IDC_INFO_HELP, ControlKind::PushButton, "帮助", 301, 1, 33, 12),
    };
    return t;
}

platform::ui::MenuTemplate InfoMenu() {
    platform::ui::MenuTemplate menu;
    menu.id = IDR_INFO_MENU;
    menu.items = {{0, "Popup",
                   {{ID_INFO_OPEN, "打开", {}},
                    {ID_INFO_SAVE, "保存", {}},
                    {0, "", {}},
                    {ID_INFO_IMPORT, "导入", {}},
                    {ID_INFO_EXPORT, "导出", {}},
                    {0, "", {}},
                    {ID_INFO_SETTINGS, "设置", {}}}}};
    return menu;
}

}  // namespace

HINSTANCE BrowserResources() {
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("Tallyview");
        platform::ui::AddDialog(m, InfoViewDialog());
        platform::ui::AddMenu(m, InfoMenu());
        AddLinkSettingsDialog(m);
        platform::ui::AddIcon(m, {215, 32, 32});
        for (UINT id : {201u, 204u, 206u, 208u, 218u, 220u, 221u, 222u, 224u, 225u}) platform::ui::AddIcon(m, {id, 16, 16});
        return m;
    }();
    return module;
}
