// Message boxes: asked of the answer source, never shown.
#include <atomic>
#include <cstdlib>
#include <vector>

#include "message_box_buttons.h"
#include "platform/text/encoding.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/window_api.h"
#include "platform/ui/window_system.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

std::vector<int> Buttons(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return {IDOK};
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
        case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
        default: return {IDOK};
    }
}

struct NamedButton {
    int id;
    const char* name;
};
constexpr NamedButton kNames[] = {{IDOK, "ok"},         {IDCANCEL, "cancel"},     {IDABORT, "abort"},
                                  {IDRETRY, "retry"},   {IDIGNORE, "ignore"},     {IDYES, "yes"},
                                  {IDNO, "no"},         {IDCLOSE, "close"},       {IDHELP, "help"},
                                  {IDTRYAGAIN, "tryagain"}, {IDCONTINUE, "continue"}};

}  // namespace

bool BoxHasButton(UINT type, int button) {
    for (int b : Buttons(type)) {
        if (b == button) {
            return true;
        }
    }
    return false;
}

int BoxCancelResult(UINT type) {
    auto buttons = Buttons(type);
    for (int b : buttons) {
        if (b == IDCANCEL) {
            return IDCANCEL;
        }
    }
    for (int b : buttons) {
        if (b == IDNO || b == IDABORT) {
            return b;
        }
    }
    return buttons.front();
}

const char* ButtonsName(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return "ok";
        case MB_OKCANCEL: return "ok/cancel";
        case MB_ABORTRETRYIGNORE: return "abort/retry/ignore";
        case MB_YESNOCANCEL: return "yes/no/cancel";
        case MB_YESNO: return "yes/no";
        case MB_RETRYCANCEL: return "retry/cancel";
        case MB_CANCELTRYCONTINUE: return "cancel/tryagain/continue";
        default: return "ok";
    }
}

std::string ButtonName(int button) {
    for (auto& n : kNames) {
        if (n.id == button) {
            return n.name;
        }
    }
    return std::to_string(button);
}

int ParseButton(const std::string& name) {
    std::string lower = platform::text::GbkToLower(name);
    for (auto& n : kNames) {
        if (lower == n.name) {
            return n.id;
        }
    }
    char* end = nullptr;
    long value = std::strtol(name.c_str(), &end, 10);
    return (!name.empty() && end && *end == '\0') ? static_cast<int>(value) : 0;
}

}  // namespace platform::ui::detail

namespace {

int AskBox(std::string text, std::string caption, UINT type) {
    // A box is where a cooperatively stopped worker may stop.
    platform::ui::detail::SafePoint();
    platform::ui::Request request;
    request.kind = platform::ui::RequestKind::MessageBox;
    request.caption = std::move(caption);
    request.text = std::move(text);
    request.type = type;
    platform::ui::Answer answer = platform::ui::Ask(request);
    return answer.cancel ? platform::ui::detail::BoxCancelResult(type) : answer.button;
}

}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    // A caption left out reads "Error", as on the desktop.
    return AskBox(text ? text : "", caption ? caption : "Error", type);
}

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    return AskBox(platform::text::Utf16ToGbk(text ? text : u""), platform::text::Utf16ToGbk(caption ? caption : u"Error"),
                  type);
}
