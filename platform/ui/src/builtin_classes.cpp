// Registration of the built-in window classes.
#include <mutex>

#include "control_procs.h"
#include "platform/ui/dialog_manager.h"
#include "window_system.h"

namespace platform::ui::detail {

LRESULT PlainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterBuiltinClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterClassProc("Button", ButtonProc, CS_DBLCLKS);
        RegisterClassProc("Static", StaticProc);
        RegisterClassProc("Edit", EditProc, CS_DBLCLKS);
        RegisterClassProc("RICHEDIT", RichEditProc, CS_DBLCLKS);
        RegisterClassProc("RichEdit20A", RichEditProc, CS_DBLCLKS);
        RegisterClassProc("ListBox", ListBoxProc, CS_DBLCLKS);
        RegisterClassProc("ComboBox", ComboBoxProc, CS_DBLCLKS);
        RegisterClassProc("SysTabControl32", TabControlProc, CS_DBLCLKS);
        RegisterClassProc("SysListView32", ListViewProc, CS_DBLCLKS);
        RegisterClassProc("SysHeader32", HeaderProc, CS_DBLCLKS);
        RegisterClassProc("SysTreeView32", TreeViewProc, CS_DBLCLKS);
        RegisterClassProc("msctls_updown32", UpDownProc);
        RegisterClassProc("msctls_progress32", ProgressProc);
        RegisterClassProc("tooltips_class32", ToolTipProc);
        RegisterClassProc(kDialogClass, DialogWindowProc, CS_DBLCLKS);
    });
}

}  // namespace platform::ui::detail
