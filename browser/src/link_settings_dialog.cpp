#include "browser/link_settings_dialog.h"

#include <string>

#include "browser/browser_resources.h"
#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_data_exchange.h"
#include "platform/ui/common_controls.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/icons.h"
#include "platform/ui/resources.h"

namespace {

using platform::ui::Control;
using platform::ui::ControlKind;

// The controls of one kind of link, in a group box of its own.
struct LinkGroup {
    const char* caption;
    int top;
    int check;
    int scaleEdit;
    int scaleSpin;
    int timesEdit;
    int timesSpin;
    LinkSettings BrowserLinkSettings::*settings;
};
constexpr LinkGroup kGroups[] = {
    {"实体关联", 6, 211, 224, 225, 210, 209, &BrowserLinkSettings::entity},
    {"点关联", 46, 216, 217, 218, 215, 213, &BrowserLinkSettings::point},
    {"线关联", 86, 221, 222, 223, 220, 219, &BrowserLinkSettings::line},
    {"面关联", 126, 231, 232, 233, 230, 229, &BrowserLinkSettings::region},
};

}  // namespace

void AddLinkSettingsDialog(HINSTANCE module) {
    platform::ui::DialogTemplate t;
    t.id = IDD_LINK_SETTINGS;
    t.caption = "设置";
    t.fontFace = "MS Sans Serif";
    t.pointSize = 10;
    t.cx = 219;
    t.cy = 193;
    t.style = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU;
    for (const LinkGroup& g : kGroups) {
        const int x = 7;
        const int y = g.top;
        t.controls.push_back(Control(-1, ControlKind::GroupBox, g.caption, x, y, 205, 34));
        t.controls.push_back(Control(g.check, ControlKind::CheckBox, "居中缩放", x + 7, y + 14, 48, 10));
        t.controls.push_back(Control(-1, ControlKind::Static, "缩放比例", x + 62, y + 15, 34, 8));
        t.controls.push_back(Control(g.scaleEdit, ControlKind::Edit, "", x + 98, y + 13, 19, 12));
        t.controls.push_back(Control(g.scaleSpin, ControlKind::UpDown, "", x + 117, y + 13, 10, 12, UDS_SETBUDDYINT));
        t.controls.push_back(Control(-1, ControlKind::Static, "闪烁次数：", x + 134, y + 15, 40, 8));
        t.controls.push_back(Control(g.timesEdit, ControlKind::Edit, "", x + 176, y + 13, 12, 12));
        t.controls.push_back(Control(g.timesSpin, ControlKind::UpDown, "", x + 188, y + 13, 10, 12, UDS_SETBUDDYINT));
    }
    t.controls.push_back(Control(IDOK, ControlKind::DefPushButton, "确定", 60, 172, 50, 14));
    t.controls.push_back(Control(IDCANCEL, ControlKind::PushButton, "取消", 123, 172, 50, 14));
    platform::ui::AddDialog(module, std::move(t));
}

CInfoSettingsDialog::CInfoSettingsDialog(const BrowserLinkSettings& links, CWnd* parent)
    : CDialog(IDD_LINK_SETTINGS, parent), m_links(links) {}

CInfoSettingsDialog::~CInfoSettingsDialog() {
    for (HICON icon : {m_okIcon, m_cancelIcon})
        if (icon != nullptr) DestroyIcon(icon);
}

// OK and Cancel look like the browser's own buttons: flat, with a 16 x 16 icon beside the caption.
void CInfoSettingsDialog::SetUpIconButton(CIconButton& button, int id, HICON& icon, UINT iconId) {
    if (button.m_hWnd == nullptr && !button.SubclassDlgItem(id, this)) return;
    button.SetUp();
    if (icon == nullptr)
        icon = static_cast<HICON>(
            LoadImage(BrowserResources(), MAKEINTRESOURCE(iconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    button.SetIcons(icon, icon, 16, 16);
}

BOOL CInfoSettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetUpIconButton(m_ok, IDOK, m_okIcon, 224);
    SetUpIconButton(m_cancel, IDCANCEL, m_cancelIcon, 225);
    for (const LinkGroup& g : kGroups) {
        const LinkSettings& s = m_links.*g.settings;
        CSpinButtonCtrl scale;
        scale.Attach(GetDlgItem(g.scaleSpin)->m_hWnd);
        scale.SetBuddy(GetDlgItem(g.scaleEdit));
        scale.SetRange(kMinZoomScale, kMaxZoomScale);
        scale.SetPos(s.scale);
        scale.Detach();
        CSpinButtonCtrl times;
        times.Attach(GetDlgItem(g.timesSpin)->m_hWnd);
        times.SetBuddy(GetDlgItem(g.timesEdit));
        times.SetRange(kMinFlashCount, kMaxFlashCount);
        times.SetPos(s.times);
        times.Detach();
    }
    // The arrows' positions are clamped to their ranges; the edits show the values as stored.
    UpdateData(FALSE);
    return TRUE;
}

void CInfoSettingsDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    for (const LinkGroup& g : kGroups) {
        LinkSettings& s = m_links.*g.settings;
        DDX_Check(dx, g.check, s.redraw);
        DDX_Text(dx, g.scaleEdit, s.scale);
        DDX_Text(dx, g.timesEdit, s.times);
    }
}

bool EditLinkSettings(BrowserLinkSettings& links, CWnd* parent) {
    CInfoSettingsDialog dialog(links, parent);
    if (dialog.DoModal() != IDOK) return false;
    links = dialog.Links();
    return true;
}
