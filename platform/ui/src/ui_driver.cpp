// The driver: input through posted messages and the pump, state read back through messages.
#include "platform/ui/ui_driver.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/window_system.h"

namespace platform::ui {
namespace {

constexpr UINT EM_POSFROMCHAR_ = 0x00D6;
constexpr UINT HDM_GETITEMRECT_ = 0x1207;

std::string ClassName(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

bool IsClass(HWND hwnd, const char* name) { return text::GbkEqualNoCase(ClassName(hwnd), name); }

HWND FindById(HWND parent, int id, bool visibleOnly) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == id && (!visibleOnly || IsWindowVisible(c))) {
            return c;
        }
    }
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (visibleOnly && !IsWindowVisible(c)) {
            continue;
        }
        if (HWND inner = FindById(c, id, visibleOnly)) {
            return inner;
        }
    }
    return nullptr;
}

// Pages of a sheet reuse control ids: the one a person sees is meant, else any.
HWND FindById(HWND parent, int id) {
    HWND shown = FindById(parent, id, true);
    return shown ? shown : FindById(parent, id, false);
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    int n = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

void Describe(HWND hwnd, int depth, std::vector<std::string>& out) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += text::Format("%s %d \"%s\"", ClassName(hwnd), GetDlgCtrlID(hwnd), WindowText(hwnd));
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) {
        line += " hidden";
    }
    if (!IsWindowEnabled(hwnd)) {
        line += " disabled";
    }
    if (IsClass(hwnd, "Button") && SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        line += " checked";
    }
    out.push_back(line);
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        Describe(c, depth + 1, out);
    }
}

struct KeyName {
    const char* name;
    UINT vk;
};
constexpr KeyName kKeys[] = {{"enter", VK_RETURN}, {"return", VK_RETURN}, {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
                             {"tab", VK_TAB},      {"delete", VK_DELETE}, {"del", VK_DELETE},     {"left", VK_LEFT},
                             {"right", VK_RIGHT},  {"up", VK_UP},         {"down", VK_DOWN},      {"space", VK_SPACE},
                             {"back", VK_BACK},    {"backspace", VK_BACK}, {"home", VK_HOME},     {"end", VK_END},
                             {"f1", VK_F1}};

bool ParseKey(std::string name, UINT& vk, bool& ctrl, bool& shift) {
    name = text::GbkToLower(name);
    ctrl = shift = false;
    for (;;) {
        if (name.rfind("ctrl+", 0) == 0) {
            ctrl = true;
            name = name.substr(5);
        } else if (name.rfind("shift+", 0) == 0) {
            shift = true;
            name = name.substr(6);
        } else {
            break;
        }
    }
    for (auto& k : kKeys) {
        if (name == k.name) {
            vk = k.vk;
            return true;
        }
    }
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9'))) {
        vk = static_cast<UINT>(name[0] >= 'a' ? name[0] - 'a' + 'A' : name[0]);
        return true;
    }
    return false;
}

// Splits an action into words; "quoted text" is one word.
std::vector<std::string> Words(const std::string& action) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < action.size()) {
        while (i < action.size() && action[i] == ' ') {
            ++i;
        }
        if (i >= action.size()) {
            break;
        }
        std::string word;
        if (action[i] == '"') {
            ++i;
            while (i < action.size() && action[i] != '"') {
                std::size_t n = text::GbkCharLength(action, i);
                if (n == 2) {
                    word += action.substr(i, 2);  // a trail byte may look like a backslash
                } else if (action[i] == '\\' && i + 1 < action.size()) {
                    ++i;
                    word += action[i] == 'n' ? '\n' : action[i] == 'r' ? '\r' : action[i];
                } else {
                    word += action[i];
                }
                i += n == 2 ? 2 : 1;
            }
            ++i;
        } else {
            while (i < action.size() && action[i] != ' ') {
                std::size_t n = text::GbkCharLength(action, i);
                word += action.substr(i, n);
                i += n;
            }
        }
        words.push_back(word);
    }
    return words;
}

bool ToInt(const std::string& s, int& out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0') {
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

}  // namespace

UiDriver::UiDriver(HWND root) : root_(root) {}

HWND UiDriver::Item(int id) const { return FindById(root_, id); }

bool UiDriver::Reachable(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) {
        return false;
    }
    for (HWND h = hwnd; h; h = (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
        if (!IsWindowEnabled(h)) {
            return false;
        }
    }
    return true;
}

bool UiDriver::Usable(HWND hwnd, int id, const char* action) const {
    if (!hwnd) {
        AppendTranscript(text::Format("%s %d: no such control", action, id));
        return false;
    }
    if (!Reachable(hwnd)) {
        AppendTranscript(text::Format("%s %d: the control is %s; nothing happens", action, id,
                                      IsWindowVisible(hwnd) ? "disabled" : "hidden"));
        return false;
    }
    return true;
}

void UiDriver::Pump() { PumpPendingMessages(); }

void UiDriver::WaitFor(unsigned milliseconds) {
    if (UsingVirtualClock()) {
        // Virtual time passes only when moved: move it in steps so timers fire in order.
        for (unsigned done = 0; done < milliseconds; done += 10) {
            Pump();
            AdvanceClock(std::min(10u, milliseconds - done));
        }
        Pump();
        return;
    }
    std::uint64_t end = NowMilliseconds() + milliseconds;
    Pump();
    while (NowMilliseconds() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        Pump();
    }
}

namespace {

// What "until" waits for: the control's text, or for a list box one of its lines holding the
// text (lines such as a run's details go by faster than a script could look).
bool ShowsText(HWND hwnd, std::string_view gbk) {
    if (!IsClass(hwnd, "ListBox")) {
        return WindowText(hwnd) == gbk;
    }
    const LRESULT count = SendMessageA(hwnd, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            continue;
        }
        std::string line(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(hwnd, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
        line.resize(std::char_traits<char>::length(line.c_str()));
        if (line.find(gbk) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool UiDriver::WaitUntilText(int id, std::string_view gbk, unsigned limit) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    for (;;) {
        Pump();
        if (HWND hwnd = Item(id); hwnd && ShowsText(hwnd, gbk)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            break;
        }
        if (UsingVirtualClock()) {
            AdvanceClock(10);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    AppendTranscript(Item(id) ? text::Format("until %d: after %u ms it shows \"%s\"", id, limit, Text(id))
                              : text::Format("until %d: no such control", id));
    return false;
}

bool UiDriver::ClickAt(HWND hwnd, POINT pt, bool doubleClick) {
    if (!Reachable(hwnd)) {
        AppendTranscript(text::Format("click %d: the control is not reachable; nothing happens", GetDlgCtrlID(hwnd)));
        return false;
    }
    LPARAM at = MAKELPARAM(pt.x, pt.y);
    // The pointer comes over the window before it clicks, as a hand on a mouse does.
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        PostMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    }
    Pump();
    return true;
}

bool UiDriver::Click(int id) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "click")) {
        return false;
    }
    RECT r;
    GetClientRect(hwnd, &r);
    return ClickAt(hwnd, Centre(r));
}

bool UiDriver::Hover(int id) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "hover")) {
        return false;
    }
    RECT r;
    GetClientRect(hwnd, &r);
    POINT centre = Centre(r);
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    Pump();
    return true;
}

bool UiDriver::DoubleClick(int id) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "double-click")) {
        return false;
    }
    RECT r;
    GetClientRect(hwnd, &r);
    return ClickAt(hwnd, Centre(r), true);
}

bool UiDriver::SetText(int id, std::string_view gbk) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "set")) {
        return false;
    }
    SetFocus(hwnd);
    std::string text(gbk);
    if (IsClass(hwnd, "Edit") || IsClass(hwnd, "RICHEDIT") || IsClass(hwnd, "RichEdit20A")) {
        if (GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) {
            AppendTranscript(text::Format("set %d: the edit is read-only; nothing happens", id));
            return false;
        }
        SendMessageA(hwnd, EM_SETSEL, 0, -1);
        SendMessageA(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (IsClass(hwnd, "ComboBox")) {
        if ((GetWindowLongA(hwnd, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST) {
            AppendTranscript(text::Format("set %d: a drop-down list takes no typing", id));
            return false;
        }
        SetWindowTextA(hwnd, text.c_str());
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(hwnd));
    } else {
        AppendTranscript(text::Format("set %d: the control takes no text", id));
        return false;
    }
    Pump();
    return true;
}

bool UiDriver::Type(int id, std::string_view gbk) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "type")) {
        return false;
    }
    SetFocus(hwnd);
    for (unsigned char c : gbk) {
        PostMessageA(hwnd, WM_CHAR, c, 1);
    }
    Pump();
    return true;
}

bool UiDriver::Check(int id, bool checked) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, checked ? "check" : "uncheck")) {
        return false;
    }
    for (int attempt = 0; attempt < 3 && IsChecked(id) != checked; ++attempt) {
        Click(id);
    }
    return IsChecked(id) == checked;
}

bool UiDriver::ChooseTab(int id, int index) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "tab")) {
        return false;
    }
    RECT r;
    if (!SendMessageA(hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) {
        AppendTranscript(text::Format("tab %d: no tab %d", id, index));
        return false;
    }
    return ClickAt(hwnd, Centre(r));
}

bool UiDriver::ChooseEntry(int id, int index) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "choose")) {
        return false;
    }
    if (IsClass(hwnd, "ComboBox")) {
        if (index < 0 || index >= SendMessageA(hwnd, CB_GETCOUNT, 0, 0)) {
            AppendTranscript(text::Format("choose %d: no entry %d", id, index));
            return false;
        }
        if (!SendMessageA(hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
            ClickAt(hwnd, POINT{4, 4});
        }
        RECT r;
        GetClientRect(hwnd, &r);
        int boxHeight = std::min<int>(r.bottom, 24);
        return ClickAt(hwnd, POINT{4, boxHeight + index * 16 + 8});
    }
    if (index < 0 || index >= SendMessageA(hwnd, LB_GETCOUNT, 0, 0)) {
        AppendTranscript(text::Format("choose %d: no entry %d", id, index));
        return false;
    }
    return ClickAt(hwnd, POINT{4, index * 16 + 8});
}

bool UiDriver::ClickListCell(int id, int row, int column, bool doubleClick) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "cell")) {
        return false;
    }
    SendMessageA(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT r{LVIR_LABEL, column, 0, 0};
    if (!SendMessageA(hwnd, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r))) {
        AppendTranscript(text::Format("cell %d: no row %d", id, row));
        return false;
    }
    return ClickAt(hwnd, POINT{r.left + 20 < r.right ? r.left + 20 : (r.left + r.right) / 2, (r.top + r.bottom) / 2},
                   doubleClick);
}

bool UiDriver::ToggleListCheck(int id, int row) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "checkrow")) {
        return false;
    }
    SendMessageA(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    if (!SendMessageA(hwnd, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r))) {
        AppendTranscript(text::Format("checkrow %d: no row %d", id, row));
        return false;
    }
    return ClickAt(hwnd, POINT{r.left + 8, (r.top + r.bottom) / 2});
}

bool UiDriver::ClickColumnHeader(int id, int column) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "header")) {
        return false;
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd, LVM_GETHEADER, 0, 0));
    RECT r;
    if (!header || !SendMessageA(header, HDM_GETITEMRECT_, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r))) {
        AppendTranscript(text::Format("header %d: no column %d", id, column));
        return false;
    }
    return ClickAt(header, Centre(r));
}

bool UiDriver::DoubleClickTextAt(int id, int position) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "textdbl")) {
        return false;
    }
    POINT pt;
    if (IsClass(hwnd, "Edit")) {
        LRESULT r = SendMessageA(hwnd, EM_POSFROMCHAR_, static_cast<WPARAM>(position), 0);
        pt = POINT{static_cast<short>(LOWORD(r)), static_cast<short>(HIWORD(r))};
    } else {
        SendMessageA(hwnd, EM_POSFROMCHAR_, reinterpret_cast<WPARAM>(&pt), position);
    }
    return ClickAt(hwnd, POINT{pt.x + 1, pt.y + 1}, true);
}

bool UiDriver::Spin(int id, int delta) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "spin")) {
        return false;
    }
    RECT r;
    GetClientRect(hwnd, &r);
    for (int i = 0; i < std::abs(delta); ++i) {
        ClickAt(hwnd, POINT{r.right / 2, delta > 0 ? r.bottom / 4 : r.bottom * 3 / 4});
    }
    return true;
}

bool UiDriver::PressKey(UINT virtualKey, bool ctrl, bool shift) {
    HWND target = GetFocus();
    if (!target) {
        target = root_;
    }
    if (!Reachable(target)) {
        AppendTranscript("key: the focus window is not reachable; nothing happens");
        return false;
    }
    SetKeyDown(VK_CONTROL, ctrl);
    SetKeyDown(VK_SHIFT, shift);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    Pump();
    if (IsWindow(target)) {
        PostMessageA(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
        Pump();
    }
    SetKeyDown(VK_CONTROL, false);
    SetKeyDown(VK_SHIFT, false);
    return true;
}

bool UiDriver::PressKeyIn(int id, UINT virtualKey, bool ctrl, bool shift) {
    HWND hwnd = Item(id);
    if (!Usable(hwnd, id, "key")) {
        return false;
    }
    SetFocus(hwnd);
    return PressKey(virtualKey, ctrl, shift);
}

std::string UiDriver::Text(int id) const {
    HWND hwnd = Item(id);
    return hwnd ? WindowText(hwnd) : std::string();
}

bool UiDriver::Exists(int id) const { return Item(id) != nullptr; }
bool UiDriver::IsChecked(int id) const {
    HWND hwnd = Item(id);
    return hwnd && SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool UiDriver::IsEnabled(int id) const {
    HWND hwnd = Item(id);
    return hwnd && IsWindowEnabled(hwnd);
}
bool UiDriver::IsVisible(int id) const {
    HWND hwnd = Item(id);
    return hwnd && IsWindowVisible(hwnd);
}

std::vector<std::string> UiDriver::Describe() const {
    std::vector<std::string> lines;
    if (IsWindow(root_)) {
        platform::ui::Describe(root_, 0, lines);
    }
    return lines;
}

bool UiDriver::Run(const std::string& action, std::string* error) {
    auto words = Words(action);
    auto fail = [&](const std::string& message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    if (words.empty()) {
        return fail("empty action");
    }
    const std::string verb = text::GbkToLower(words[0]);
    int id = 0;
    int a = 0;
    int b = 0;
    auto needId = [&](std::size_t count) {
        return words.size() == count && ToInt(words[1], id) && (count < 3 || ToInt(words[2], a)) &&
               (count < 4 || ToInt(words[3], b));
    };
    if (verb == "set" || verb == "type") {
        if (words.size() < 2 || !ToInt(words[1], id)) {
            return fail("usage: " + verb + " ID TEXT");
        }
        std::string value = words.size() > 2 ? words[2] : std::string();
        for (std::size_t i = 3; i < words.size(); ++i) {
            value += " " + words[i];
        }
        return verb == "set" ? SetText(id, value) : Type(id, value);
    }
    if (verb == "click" && needId(2)) return Click(id);
    if (verb == "dblclick" && needId(2)) return DoubleClick(id);
    if (verb == "hover" && needId(2)) return Hover(id);
    if (verb == "check" && needId(2)) return Check(id, true);
    if (verb == "uncheck" && needId(2)) return Check(id, false);
    if (verb == "tab" && needId(3)) return ChooseTab(id, a);
    if (verb == "choose" && needId(3)) return ChooseEntry(id, a);
    if (verb == "cell" && needId(4)) return ClickListCell(id, a, b);
    if (verb == "dblcell" && needId(4)) return ClickListCell(id, a, b, true);
    if (verb == "checkrow" && needId(3)) return ToggleListCheck(id, a);
    if (verb == "header" && needId(3)) return ClickColumnHeader(id, a);
    if (verb == "textdbl" && needId(3)) return DoubleClickTextAt(id, a);
    if (verb == "spin" && needId(3)) return Spin(id, a);
    if (verb == "key" && words.size() == 2) {
        UINT vk = 0;
        bool ctrl = false;
        bool shift = false;
        if (!ParseKey(words[1], vk, ctrl, shift)) {
            return fail("unknown key " + words[1]);
        }
        return PressKey(vk, ctrl, shift);
    }
    if (verb == "until") {
        if (words.size() < 3 || !ToInt(words[1], id)) {
            return fail("usage: until ID TEXT");
        }
        std::string value = words[2];
        for (std::size_t i = 3; i < words.size(); ++i) {
            value += " " + words[i];
        }
        if (WaitUntilText(id, value)) {
            // A script's reader sees what it waited for.
            AppendTranscript(text::Format("  until %d: \"%s\"", id, value));
            return true;
        }
        return fail(text::Format("until %d: the control never showed \"%s\"", id, value));
    }
    if (verb == "wait" && words.size() == 2 && ToInt(words[1], a) && a >= 0) {
        WaitFor(static_cast<unsigned>(a));
        return true;
    }
    return fail("not understood: " + action);
}

std::vector<std::string> SplitActions(const std::string& text) {
    std::vector<std::string> actions;
    std::string current;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = text::GbkCharLength(text, i);
        char c = text[i];
        if (n == 1 && c == '"') {
            quoted = !quoted;
        }
        if (n == 1 && c == ';' && !quoted) {
            actions.push_back(current);
            current.clear();
        } else {
            current += text.substr(i, n);
        }
        i += n;
    }
    actions.push_back(current);
    std::vector<std::string> trimmed;
    for (auto& a : actions) {
        std::size_t s = a.find_first_not_of(' ');
        std::size_t e = a.find_last_not_of(' ');
        if (s != std::string::npos) {
            trimmed.push_back(a.substr(s, e - s + 1));
        }
    }
    return trimmed;
}

}  // namespace platform::ui
