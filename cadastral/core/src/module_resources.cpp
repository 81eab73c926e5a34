#include "cadastral/module_resources.h"

#include "cadastral/min_gap_dialog.h"
#include "cadastral/precision_dialog.h"
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

platform::ui::DialogTemplate PrecisionTemplate() {
    using platform::ui::Control;
    using platform::ui::ControlKind;
    platform::ui::DialogTemplate t;
    t.id = IDD_PRECISION;
    t.caption = "设置图形精度";
    t.fontFace = "宋体";
    t.pointSize = 10;
    t.cx = 154;
    t.cy = 97;
    t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.controls = {Control(IDOK, ControlKind::DefPushButton, "确定", 22, 76, 50, 14),
                  Control(IDCANCEL, ControlKind::PushButton, "取消", 82, 76, 50, 14),
                  Control(-1, ControlKind::Static, "点平面精度：", 14, 12, 52, 8),
                  Control(IDC_PLANAR_DECIMALS, ControlKind::Edit, "", 70, 9, 40, 14, ES_AUTOHSCROLL),
                  Control(-1, ControlKind::Static, "高程点精度：", 14, 30, 52, 8),
                  Control(IDC_ELEVATION_DECIMALS, ControlKind::Edit, "", 70, 27, 40, 14, ES_AUTOHSCROLL),
                  Control(-1, ControlKind::Static,
                          "点平面精度控制圆心、多段线顶点、点、直线的顶点、块的位置点，高程点精度控制高程点的Z坐标。", 8,
                          46, 138, 26)};
    return t;
}

}  // namespace

HINSTANCE ModuleResources() {
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("DeroPelgar");
        platform::ui::AddDialog(m, MinGapTemplate());
        platform::ui::AddDialog(m, PrecisionTemplate());
        return m;
    }();
    return module;
}

}  // namespace cadastral
