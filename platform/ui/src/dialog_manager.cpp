// The dialog window class, dialogs from templates, the keyboard interface and the modal loop.
#include "platform/ui/dialog_manager.h"

#include <atomic>

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/fonts.h"
#include "platform/ui/ui_driver.h"
#include "window_system.h"

namespace platform::ui {
namespace {

using detail::Find;
using detail::TableMutex;

struct DialogData : detail::ControlData {
    DLGPROC proc = nullptr;
    LPARAM param = 0;
};

std::atomic<bool (*)(MSG*)> g_filter{nullptr};

}  // namespace

LRESULT DialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* data = detail::Data<DialogData>(hwnd);
    if (data && data->proc) {
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
        INT_PTR handled = data->proc(hwnd, msg, wParam, lParam);
        if (msg == WM_INITDIALOG) {
            return handled;
        }
        if (handled) {
            return GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);
        }
    }
    return DefDlgProcA(hwnd, msg, wParam, lParam);
}

namespace {

struct KindClass {
    const char* className;
    DWORD style;
};

KindClass ClassOf(const ControlTemplate& c) {
    switch (c.kind) {
        case ControlKind::Static: return {"Static", SS_LEFT};
        case ControlKind::PushButton: return {"Button", BS_PUSHBUTTON | WS_TABSTOP};
        case ControlKind::DefPushButton: return {"Button", BS_DEFPUSHBUTTON | WS_TABSTOP};
        case ControlKind::CheckBox: return {"Button", BS_AUTOCHECKBOX | WS_TABSTOP};
        case ControlKind::RadioButton: return {"Button", BS_AUTORADIOBUTTON};
        case ControlKind::GroupBox: return {"Button", BS_GROUPBOX};
        case ControlKind::Edit: return {"Edit", ES_LEFT | WS_BORDER | WS_TABSTOP};
        case ControlKind::RichEdit: return {"RICHEDIT", WS_TABSTOP};
        case ControlKind::ListBox: return {"ListBox", LBS_NOTIFY | WS_BORDER | WS_TABSTOP};
        case ControlKind::ComboBox: return {"ComboBox", WS_TABSTOP};
        case ControlKind::ListView: return {"SysListView32", WS_BORDER | WS_TABSTOP};
        case ControlKind::TreeView: return {"SysTreeView32", WS_BORDER | WS_TABSTOP};
        case ControlKind::TabControl: return {"SysTabControl32", WS_TABSTOP};
        case ControlKind::UpDown: return {"msctls_updown32", 0};
        case ControlKind::Progress: return {"msctls_progress32", WS_BORDER};
        case ControlKind::Custom: return {nullptr, 0};
    }
    return {nullptr, 0};
}

bool WantsKey(HWND control, MSG* msg) {
    LRESULT code = SendMessageA(control, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    return (code & DLGC_WANTALLKEYS) != 0;
}

HWND NextTabStop(HWND dialog, HWND from, bool backwards) {
    std::vector<HWND> stops;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c)) {
            stops.push_back(c);
        }
    }
    if (stops.empty()) {
        return nullptr;
    }
    auto it = std::find(stops.begin(), stops.end(), from);
    if (it == stops.end()) {
        return stops.front();
    }
    if (backwards) {
        return it == stops.begin() ? stops.back() : *(it - 1);
    }
    return (it + 1 == stops.end()) ? stops.front() : *(it + 1);
}

void PressDialogButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) {
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

HWND TopDialogOf(HWND hwnd) {
    HWND dialog = nullptr;
    for (HWND h = hwnd; h; h = GetParent(h)) {
        auto w = Find(h);
        if (w && w->isDialog) {
            dialog = h;
            if (!(w->style & WS_CHILD)) {
                break;
            }
        }
        if (w && !(w->style & WS_CHILD)) {
            break;
        }
    }
    return dialog;
}

HWND CreateFromTemplate(bool unicode, DWORD exStyle, const std::string& className, const std::string& text,
                        DWORD style, int x, int y, int cx, int cy, HWND parent, HMENU id) {
    if (unicode) {
        return CreateWindowExW(exStyle, text::GbkToUtf16(className).c_str(), text::GbkToUtf16(text).c_str(), style, x, y,
                               cx, cy, parent, id, CurrentResources(), nullptr);
    }
    return CreateWindowExA(exStyle, className.c_str(), text.c_str(), style, x, y, cx, cy, parent, id,
                           CurrentResources(), nullptr);
}

}  // namespace

HWND CreateDialogFromTemplate(const DialogTemplate& dialog, HWND parent, DLGPROC proc, LPARAM param,
                              std::function<void(HWND)> attach) {
    SIZE base = DialogBaseUnits(dialog.fontFace, dialog.pointSize);
    RECT size = DialogUnitsToPixels(RECT{0, 0, dialog.cx, dialog.cy}, base);
    DWORD style = dialog.style & ~WS_VISIBLE;
    int x = 0;
    int y = 0;
    if (!(style & WS_CHILD)) {
        RECT owner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (parent) {
            GetWindowRect(parent, &owner);
        }
        x = owner.left + ((owner.right - owner.left) - size.right) / 2;
        y = owner.top + ((owner.bottom - owner.top) - size.bottom) / 2;
    }
    detail::SetCreateHook([&](HWND hwnd) {
        auto w = Find(hwnd);
        {
            std::lock_guard lock(TableMutex());
            w->isDialog = true;
            auto data = std::make_unique<DialogData>();
            data->proc = proc;
            data->param = param;
            w->data = std::move(data);
            for (auto& c : dialog.controls) {
                if (c.kind == ControlKind::DefPushButton) {
                    w->defaultId = c.id;
                    break;
                }
            }
        }
        if (attach) {
            attach(hwnd);
        }
    });
    HWND hwnd = CreateFromTemplate(dialog.unicode, 0, kDialogClass, dialog.caption, style, x, y, size.right,
                                   size.bottom, parent, nullptr);
    detail::SetCreateHook(nullptr);
    if (!hwnd) {
        return nullptr;
    }
    HFONT font = CreateDialogFont(dialog.fontFace, dialog.pointSize);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (auto& c : dialog.controls) {
        KindClass kc = ClassOf(c);
        const char* className = c.kind == ControlKind::Custom ? c.className.c_str() : kc.className;
        DWORD controlStyle = WS_CHILD | kc.style | c.style;
        if (!c.hidden) {
            controlStyle |= WS_VISIBLE;
        }
        if (c.disabled) {
            controlStyle |= WS_DISABLED;
        }
        RECT r = DialogUnitsToPixels(RECT{c.x, c.y, c.x + c.cx, c.y + c.cy}, base);
        HWND control = CreateFromTemplate(dialog.unicode, c.exStyle, className ? className : "", c.caption,
                                          controlStyle, r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd,
                                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(c.id)));
        if (!control) {
            AppendTranscript(text::Format("dialog %u: control %d of class %s could not be created", dialog.id, c.id,
                                          className ? className : "?"));
            continue;
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HWND first = NextTabStop(hwnd, nullptr, false);
    if (SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(hwnd)) {
        if (HWND target = NextTabStop(hwnd, nullptr, false)) {
            SetFocus(target);
        }
    }
    if (IsWindow(hwnd) && (dialog.style & WS_VISIBLE)) {
        ShowWindow(hwnd, SW_SHOW);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

bool IsDialogEnded(HWND dialog) {
    auto w = Find(dialog);
    if (!w) {
        return true;
    }
    std::lock_guard lock(TableMutex());
    return w->dialogEnded;
}

INT_PTR DialogResult(HWND dialog) {
    auto w = Find(dialog);
    if (!w) {
        return IDCANCEL;
    }
    std::lock_guard lock(TableMutex());
    return w->dialogResult;
}

INT_PTR RunModalDialog(HWND dialog, UINT templateId) {
    HWND owner = GetParent(dialog);
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(dialog, SW_SHOW);
    // What the dialog posted to itself while opening runs before a person can act.
    PumpPendingMessages();
    char caption[512] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    Request request;
    request.kind = RequestKind::Dialog;
    request.caption = caption;
    request.id = templateId;
    request.window = dialog;
    if (IsDialogEnded(dialog)) {
        // It closed itself while opening: nobody was asked, so no answer is used up.
        AppendTranscript(text::Format("dialog %u \"%s\" closed itself", templateId, request.caption));
    } else {
        Answer answer = Ask(request);
        if (!answer.cancel && answer.actions && !IsDialogEnded(dialog)) {
            UiDriver driver(dialog);
            answer.actions(driver);
        }
    }
    PumpPendingMessages();
    if (!IsDialogEnded(dialog)) {
        AppendTranscript(text::Format("dialog %u left open: cancel", templateId));
        PressDialogButton(dialog, IDCANCEL);
        PumpPendingMessages();
        if (!IsDialogEnded(dialog)) {
            AppendTranscript(text::Format("dialog %u refused to cancel: ended", templateId));
            EndDialog(dialog, IDCANCEL);
        }
    }
    INT_PTR result = IDCANCEL;
    if (auto w = Find(dialog)) {
        std::lock_guard lock(TableMutex());
        result = w->dialogResult;
    }
    AppendTranscript(text::Format("dialog %u closed: %d", templateId, static_cast<int>(result)));
    if (ownerWasEnabled && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
    }
    return result;
}

int PumpPendingMessages() {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        HandleMessage(msg);
        ++count;
    }
    return count;
}

void HandleMessage(MSG& msg) {
    auto filter = g_filter.load();
    bool consumed = filter ? filter(&msg) : DefaultPreTranslate(&msg);
    if (!consumed) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void SetPreTranslateFilter(bool (*filter)(MSG*)) { g_filter = filter; }

bool DefaultPreTranslate(MSG* msg) {
    HWND dialog = TopDialogOf(msg->hwnd);
    return dialog && IsDialogMessageA(dialog, msg);
}

}  // namespace platform::ui

using namespace platform::ui;

LRESULT DefDlgProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE: {
            HWND cancel = GetDlgItem(hwnd, IDCANCEL);
            if (!cancel || IsWindowEnabled(cancel)) {
                SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
            }
            return 0;
        }
        case DM_GETDEFID: {
            auto w = detail::Find(hwnd);
            if (!w) {
                return 0;
            }
            std::lock_guard lock(detail::TableMutex());
            return MAKELRESULT(w->defaultId, DC_HASDEFID);
        }
        case DM_SETDEFID: {
            auto w = detail::Find(hwnd);
            if (w) {
                std::lock_guard lock(detail::TableMutex());
                w->defaultId = static_cast<int>(wParam);
            }
            return TRUE;
        }
        case WM_INITDIALOG:
            return TRUE;
        case WM_NEXTDLGCTL:
            if (LOWORD(lParam)) {
                SetFocus(reinterpret_cast<HWND>(wParam));
            } else if (HWND next = NextTabStop(hwnd, GetFocus(), wParam != 0)) {
                SetFocus(next);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    auto w = detail::Find(dialog);
    if (!w) {
        return FALSE;
    }
    {
        std::lock_guard lock(detail::TableMutex());
        w->dialogEnded = true;
        w->dialogResult = result;
    }
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    if (!rect || !IsWindow(dialog)) {
        return FALSE;
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    FontInfo info = GetFontInfo(font);
    *rect = DialogUnitsToPixels(*rect, DialogBaseUnits(info.face, info.pointSize));
    return TRUE;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
    if (!msg || !IsWindow(dialog) || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) {
        return FALSE;
    }
    if (msg->message == WM_KEYDOWN && !WantsKey(msg->hwnd, msg)) {
        switch (msg->wParam) {
            case VK_ESCAPE:
                PressDialogButton(dialog, IDCANCEL);
                return TRUE;
            case VK_RETURN: {
                HWND focus = GetFocus();
                int id = LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
                LRESULT code = focus ? SendMessageA(focus, WM_GETDLGCODE, 0, 0) : 0;
                if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
                    id = GetDlgCtrlID(focus);
                }
                PressDialogButton(dialog, id);
                return TRUE;
            }
            case VK_TAB: {
                bool backwards = GetKeyState(VK_SHIFT) < 0;
                if (HWND next = NextTabStop(dialog, GetFocus(), backwards)) {
                    SetFocus(next);
                }
                return TRUE;
            }
            default:
                break;
        }
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

HWND CreateDialogParamA(HINSTANCE module, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    UINT id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(templateName));
    const DialogTemplate* t = FindDialog(module ? module : CurrentResources(), id);
    if (!t) {
        AppendTranscript(platform::text::Format("dialog %u not found in %s", id, ResourceModuleName(module ? module : CurrentResources())));
        return nullptr;
    }
    return CreateDialogFromTemplate(*t, parent, proc, param);
}

INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    HWND dialog = CreateDialogParamA(module, templateName, parent, proc, param);
    if (!dialog) {
        return -1;
    }
    INT_PTR result = RunModalDialog(dialog, static_cast<UINT>(reinterpret_cast<std::uintptr_t>(templateName)));
    DestroyWindow(dialog);
    return result;
}
