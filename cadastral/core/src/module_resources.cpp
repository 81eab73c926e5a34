#include "cadastral/module_resources.h"

#include "cadastral/min_gap_dialog.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"

namespace cadastral {
namespace {

platform::ui::DialogTemplate MinGapTemplate() {
    using platform::ui::Control;
    using platform::ui::ControlKind;
    platform::ui::DialogTemplate t;
    t.id = IDD_MIN_GAP;
    t.caption = "最小空隙设置";
    t.fontFace = "宋体";
    t.pointSize = 10;
    t.cx = 185;
    t.cy = 97;
    t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.controls = {Control(IDOK, ControlKind::DefPushButton, "确定", 38, 76, 50, 14),
                  Control(IDCANCEL, ControlKind::PushButton, "取消", 106, 76, 50, 14),
                  Control(-1, ControlKind::Static, "最小空隙距离:", 14, 34, 50, 8),
                  Control(IDC_MIN_GAP_VALUE, ControlKind::Edit, "", 71, 30, 40, 14, ES_AUTOHSCROLL),
                  Control(-1, ControlKind::Static, "米", 116, 34, 8, 8),
                  Control(IDC_MIN_GAP_RESTORE, ControlKind::PushButton, "恢复", 132, 30, 30, 14)};
    return t;
}

}  // namespace

HINSTANCE ModuleResources() {
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("DeroPelgar");
        platform::ui::AddDialog(m, MinGapTemplate());
        return m;
    }();
    return module;
}

}  // namespace cadastral
