// Edit controls and the first rich edit version.
//
// Positions count units of the window's text: bytes of GBK text for narrow windows (a
// double-byte character counts 2 and is never split), UTF-16 units for wide ones. A line break
// is "\r\n" and counts 2.
#include <algorithm>
#include <cstring>

#include "control_procs.h"
#include "platform/text/encoding.h"
#include "platform/text/gbk.h"
#include "platform/ui/fonts.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

constexpr UINT WM_CUT_ = 0x0300;
constexpr UINT WM_COPY_ = 0x0301;
constexpr UINT WM_PASTE_ = 0x0302;
constexpr UINT WM_CLEAR_ = 0x0303;
constexpr UINT EM_POSFROMCHAR_ = 0x00D6;
constexpr UINT EM_CHARFROMPOS_ = 0x00D7;

std::mutex g_clipboardMutex;
std::string g_clipboard;  // GBK

struct EditData : ControlData {
    bool rich = false;
    int selStart = 0;
    int selEnd = 0;
    int limit = 0x7FFFFFFE;
    bool modified = false;
    int firstLine = 0;
    int firstColumn = 0;
    int pendingLead = -1;  // lead byte of a double-byte character typed in two WM_CHARs
    DWORD eventMask = ENM_NONE;
    COLORREF background = RGB(255, 255, 255);
    CHARFORMATA format;
};

// Text to insert, as the caller gave it: GBK from narrow calls, UTF-16 from wide ones.
struct NewText {
    std::string gbk;
    std::u16string wide;
    bool isWide = false;
    NewText(std::string_view narrow) : gbk(narrow) {}
    NewText(std::u16string_view utf16) : wide(utf16), isWide(true) {}
    NewText(const char* narrow) : gbk(narrow) {}
    std::string Narrow() const { return isWide ? platform::text::Utf16ToGbk(wide) : gbk; }
    std::u16string Wide() const { return isWide ? wide : platform::text::GbkToUtf16(gbk); }
    bool empty() const { return isWide ? wide.empty() : gbk.empty(); }
};

// The text as GBK bytes or UTF-16 units, whichever the window keeps.
struct TextRef {
    std::shared_ptr<Window> w;
    bool wide() const { return w->unicode; }
    int size() const { return static_cast<int>(wide() ? w->wtext.size() : w->text.size()); }
    int at(int i) const {
        return wide() ? static_cast<int>(w->wtext[static_cast<std::size_t>(i)])
                      : static_cast<unsigned char>(w->text[static_cast<std::size_t>(i)]);
    }
    // Nearest character boundary at or before pos.
    int Snap(int pos) const {
        pos = std::clamp(pos, 0, size());
        if (wide()) {
            if (pos > 0 && pos < size() && at(pos) >= 0xDC00 && at(pos) < 0xE000) {
                --pos;
            }
            return pos;
        }
        return static_cast<int>(platform::text::GbkFitLength(w->text, static_cast<std::size_t>(pos)));
    }
    int CharLength(int pos) const {
        if (pos >= size()) {
            return 0;
        }
        if (wide()) {
            return (at(pos) >= 0xD800 && at(pos) < 0xDC00 && pos + 1 < size()) ? 2 : 1;
        }
        return static_cast<int>(platform::text::GbkCharLength(w->text, static_cast<std::size_t>(pos)));
    }
    int PrevChar(int pos) const {
        if (pos <= 0) {
            return 0;
        }
        if (size() >= pos && pos >= 2 && ((!wide() && Snap(pos - 1) != pos - 1) ||
                                          (wide() && at(pos - 1) >= 0xDC00 && at(pos - 1) < 0xE000))) {
            return pos - 2;
        }
        return pos - 1;
    }
    std::string Narrow(int from, int to) const {
        if (wide()) {
            return platform::text::Utf16ToGbk(w->wtext.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
        }
        return w->text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    }
    void Replace(int from, int to, const NewText& t) {
        if (wide()) {
            w->wtext.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), t.Wide());
        } else {
            w->text.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), t.Narrow());
        }
    }
    int Units(const NewText& t) const {
        return wide() ? static_cast<int>(t.Wide().size()) : static_cast<int>(t.Narrow().size());
    }
    // The text cut to at most room units of this window, never inside a character.
    NewText Fit(const NewText& t, int room) const {
        room = std::max(room, 0);
        if (!wide()) {
            return NewText(platform::text::TruncateGbk(t.Narrow(), static_cast<std::size_t>(room)));
        }
        std::u16string units = t.Wide();
        if (static_cast<int>(units.size()) > room) {
            std::size_t n = static_cast<std::size_t>(room);
            if (n > 0 && units[n - 1] >= 0xD800 && units[n - 1] < 0xDC00) {
                --n;
            }
            units.resize(n);
        }
        return NewText(std::u16string_view(units));
    }
    // Start of every line.
    std::vector<int> LineStarts() const {
        std::vector<int> starts{0};
        for (int i = 0; i < size(); ++i) {
            if (at(i) == '\r' && i + 1 < size() && at(i + 1) == '\n') {
                starts.push_back(i + 2);
                ++i;
            } else if (at(i) == '\n' || at(i) == '\r') {
                starts.push_back(i + 1);
            }
        }
        return starts;
    }
    int LineEnd(int start) const {
        int i = start;
        while (i < size() && at(i) != '\r' && at(i) != '\n') {
            ++i;
        }
        return i;
    }
};

TextRef Text(HWND hwnd) { return TextRef{Find(hwnd)}; }

int LineOf(const std::vector<int>& starts, int pos) {
    auto it = std::upper_bound(starts.begin(), starts.end(), pos);
    return static_cast<int>(it - starts.begin()) - 1;
}

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

int LineHeight(HWND hwnd) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    return std::max(GetFontInfo(font).pixelHeight, 1);
}

int VisibleLines(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return std::max(1, static_cast<int>(r.bottom) / LineHeight(hwnd));
}

void Notify(HWND hwnd, EditData& data, UINT code) {
    if (data.rich) {
        DWORD needed = code == EN_CHANGE ? ENM_CHANGE : code == EN_UPDATE ? ENM_UPDATE : 0;
        if (needed && !(data.eventMask & needed)) {
            return;
        }
    }
    NotifyParentCommand(hwnd, code);
}

void NotifySelection(HWND hwnd, EditData& data) {
    if (!data.rich || !(data.eventMask & ENM_SELCHANGE)) {
        return;
    }
    SELCHANGE record;
    record.chrg.cpMin = data.selStart;
    record.chrg.cpMax = data.selEnd;
    record.seltyp = data.selStart == data.selEnd ? SEL_EMPTY : SEL_TEXT;
    NotifyParent(hwnd, record.nmhdr, EN_SELCHANGE);
}

// Sets the selection; reports a change to a rich edit's parent when it asked for it.
void Select(HWND hwnd, EditData& data, int start, int end, bool notify = true) {
    auto text = Text(hwnd);
    int size = text.size();
    if (start < 0) {
        // -1 removes the selection and leaves the caret where the selection began.
        start = end = std::min(data.selStart, data.selEnd);
    }
    if (end < 0 || end > size) {
        end = size;
    }
    start = text.Snap(start);
    end = text.Snap(end);
    if (start > end) {
        std::swap(start, end);
    }
    bool changed = start != data.selStart || end != data.selEnd;
    data.selStart = start;
    data.selEnd = end;
    if (changed && notify) {
        NotifySelection(hwnd, data);
    }
}

void ScrollCaret(HWND hwnd, EditData& data) {
    auto starts = Text(hwnd).LineStarts();
    int line = LineOf(starts, data.selEnd);
    int visible = VisibleLines(hwnd);
    if (line < data.firstLine) {
        data.firstLine = line;
    } else if (line >= data.firstLine + visible) {
        data.firstLine = line - visible + 1;
    }
}

void ReplaceSelection(HWND hwnd, EditData& data, const NewText& text_, bool notify) {
    auto text = Text(hwnd);
    int start = data.selStart;
    int end = data.selEnd;
    NewText insert = text_;
    int room = data.limit - (text.size() - (end - start));
    if (text.Units(insert) > room) {
        // Never more than the limit, and never half a character.
        insert = text.Fit(insert, room);
        if (notify) {
            NotifyParentCommand(hwnd, EN_MAXTEXT);
        }
    }
    {
        std::lock_guard lock(TableMutex());
        text.Replace(start, end, insert);
    }
    data.modified = true;
    int caret = start + text.Units(insert);
    data.selStart = data.selEnd = caret;
    ScrollCaret(hwnd, data);
    if (notify) {
        Notify(hwnd, data, EN_UPDATE);
        Notify(hwnd, data, EN_CHANGE);
        NotifySelection(hwnd, data);
    }
}

bool ReadOnly(HWND hwnd) { return (Style(hwnd) & ES_READONLY) != 0; }

std::u16string AsciiCase(std::u16string text, bool upper) {
    for (char16_t& c : text) {
        if (upper && c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        } else if (!upper && c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return text;
}

void InsertTyped(HWND hwnd, EditData& data, NewText chars) {
    DWORD style = Style(hwnd);
    if (style & ES_NUMBER) {
        for (char c : chars.Narrow()) {
            if (c < '0' || c > '9') {
                MessageBeep(0);
                return;
            }
        }
    }
    if (style & (ES_UPPERCASE | ES_LOWERCASE)) {
        bool upper = (style & ES_UPPERCASE) != 0;
        if (chars.isWide) {
            chars = NewText(std::u16string_view(AsciiCase(chars.wide, upper)));
        } else {
            chars = NewText(upper ? platform::text::GbkToUpper(chars.gbk) : platform::text::GbkToLower(chars.gbk));
        }
    }
    ReplaceSelection(hwnd, data, chars, true);
}

bool InsideDialog(HWND hwnd) {
    auto p = Find(GetParent(hwnd));
    return p && p->isDialog;
}

void CharMessage(HWND hwnd, EditData& data, WPARAM ch) {
    bool multiline = (Style(hwnd) & ES_MULTILINE) != 0;
    switch (ch) {
        case 1:  // Ctrl+A
            Select(hwnd, data, 0, -1);
            return;
        case 3:
            SendMessageA(hwnd, WM_COPY_, 0, 0);
            return;
        case 22:
            SendMessageA(hwnd, WM_PASTE_, 0, 0);
            return;
        case 24:
            SendMessageA(hwnd, WM_CUT_, 0, 0);
            return;
        case VK_BACK:
            if (ReadOnly(hwnd)) {
                return;
            }
            if (data.selStart == data.selEnd) {
                data.selStart = Text(hwnd).PrevChar(data.selStart);
            }
            ReplaceSelection(hwnd, data, "", true);
            return;
        case VK_ESCAPE:
            return;
        case '\r':
            if (!multiline || ReadOnly(hwnd) || (!(Style(hwnd) & ES_WANTRETURN) && InsideDialog(hwnd))) {
                return;
            }
            InsertTyped(hwnd, data, NewText("\r\n"));
            return;
        case '\t':
            if (multiline && !ReadOnly(hwnd) && !InsideDialog(hwnd)) {
                InsertTyped(hwnd, data, NewText("\t"));
            }
            return;
        default:
            break;
    }
    if (ReadOnly(hwnd) || ch < 0x20) {
        return;
    }
    if (IsWideCall()) {
        char16_t c = static_cast<char16_t>(ch);
        InsertTyped(hwnd, data, NewText(std::u16string_view(&c, 1)));
        return;
    }
    unsigned char byte = static_cast<unsigned char>(ch);
    if (data.pendingLead >= 0) {
        std::string pair{static_cast<char>(data.pendingLead), static_cast<char>(byte)};
        data.pendingLead = -1;
        InsertTyped(hwnd, data, NewText(pair));
        return;
    }
    if (platform::text::IsGbkLeadByte(byte)) {
        data.pendingLead = byte;
        return;
    }
    InsertTyped(hwnd, data, NewText(std::string(1, static_cast<char>(byte))));
}

void KeyDown(HWND hwnd, EditData& data, WPARAM key) {
    auto text = Text(hwnd);
    bool multiline = (Style(hwnd) & ES_MULTILINE) != 0;
    switch (key) {
        case VK_DELETE:
            if (ReadOnly(hwnd)) {
                return;
            }
            if (data.selStart == data.selEnd) {
                data.selEnd = data.selStart + text.CharLength(data.selStart);
            }
            ReplaceSelection(hwnd, data, "", true);
            return;
        case VK_LEFT:
            Select(hwnd, data, text.PrevChar(data.selStart), text.PrevChar(data.selStart));
            return;
        case VK_RIGHT: {
            int to = data.selEnd + text.CharLength(data.selEnd);
            Select(hwnd, data, to, to);
            return;
        }
        case VK_HOME:
            Select(hwnd, data, 0, 0);
            return;
        case VK_END:
            Select(hwnd, data, text.size(), text.size());
            return;
        case VK_TAB:
            // A multi-line edit wants every key, so it passes Tab on to its dialog itself.
            if (multiline && InsideDialog(hwnd)) {
                SendMessageA(GetParent(hwnd), WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
            }
            return;
        case VK_ESCAPE:
            // A multi-line edit in a dialog closes the dialog, as the desktop's edit does.
            if (multiline && InsideDialog(hwnd)) {
                PostMessageA(GetParent(hwnd), WM_CLOSE, 0, 0);
            }
            return;
        case VK_RETURN:
            if (multiline && !(Style(hwnd) & ES_WANTRETURN) && InsideDialog(hwnd)) {
                HWND dialog = GetParent(hwnd);
                int id = LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
            }
            return;
        default:
            return;
    }
}

POINT PosFromChar(HWND hwnd, const EditData& data, int pos) {
    auto text = Text(hwnd);
    auto starts = text.LineStarts();
    pos = std::clamp(pos, 0, text.size());
    int line = LineOf(starts, pos);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    int x = TextWidth(font, text.Narrow(starts[static_cast<std::size_t>(line)], pos));
    return POINT{x - data.firstColumn, (line - data.firstLine) * LineHeight(hwnd)};
}

int CharFromPos(HWND hwnd, const EditData& data, POINT pt) {
    auto text = Text(hwnd);
    auto starts = text.LineStarts();
    int line = std::clamp(data.firstLine + pt.y / LineHeight(hwnd), 0, static_cast<int>(starts.size()) - 1);
    int start = starts[static_cast<std::size_t>(line)];
    int end = text.LineEnd(start);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    int x = pt.x + data.firstColumn;
    int pos = start;
    while (pos < end) {
        int next = pos + text.CharLength(pos);
        int mid = (TextWidth(font, text.Narrow(start, pos)) + TextWidth(font, text.Narrow(start, next))) / 2;
        if (x < mid) {
            break;
        }
        pos = next;
    }
    return pos;
}

bool IsWordChar(int c) { return c > ' ' && c != '\r' && c != '\n'; }

void SelectWordAt(HWND hwnd, EditData& data, int pos) {
    auto text = Text(hwnd);
    int size = text.size();
    pos = text.Snap(pos);
    int start = pos;
    int end = pos;
    if (pos < size && IsWordChar(text.at(pos))) {
        while (start > 0 && IsWordChar(text.at(text.PrevChar(start)))) {
            start = text.PrevChar(start);
        }
        while (end < size && IsWordChar(text.at(end))) {
            end += text.CharLength(end);
        }
        while (end < size && (text.at(end) == ' ' || text.at(end) == '\t')) {
            ++end;
        }
    } else if (pos < size && text.at(pos) != '\r' && text.at(pos) != '\n') {
        end = pos + 1;
    }
    Select(hwnd, data, start, end);
}

LRESULT CopyOut(const std::string& gbk, const std::u16string& wide, bool wideCall, LPARAM buffer, int size) {
    if (wideCall) {
        auto* out = reinterpret_cast<char16_t*>(buffer);
        if (!out) {
            return 0;
        }
        std::size_t n = std::min(wide.size(), static_cast<std::size_t>(std::max(size, 0)));
        std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(n), out);
        return static_cast<LRESULT>(n);
    }
    auto* out = reinterpret_cast<char*>(buffer);
    if (!out) {
        return 0;
    }
    std::size_t n = platform::text::GbkFitLength(gbk, static_cast<std::size_t>(std::max(size, 0)));
    std::memcpy(out, gbk.data(), n);
    return static_cast<LRESULT>(n);
}

LRESULT CommonEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool rich) {
    auto self = Find(hwnd);
    if (!self) {
        return 0;
    }
    if (msg == WM_NCCREATE) {
        auto data = std::make_unique<EditData>();
        data->rich = rich;
        data->format.dwMask = CFM_SIZE | CFM_FACE | CFM_COLOR | CFM_CHARSET;
        data->format.yHeight = 180;
        data->format.dwEffects = CFE_AUTOCOLOR;
        data->format.bCharSet = 134;
        std::strcpy(data->format.szFaceName, "\xCB\xCE\xCC\xE5");  // the usual CJK face, in GBK
        std::lock_guard lock(TableMutex());
        self->data = std::move(data);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    auto* data = dynamic_cast<EditData*>(self->data.get());
    if (!data) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    auto text = Text(hwnd);
    switch (msg) {
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
            if (Style(hwnd) & ES_MULTILINE) {
                code |= DLGC_WANTALLKEYS;
            }
            return code;
        }
        case WM_SETTEXT: {
            DefaultTextMessage(hwnd, msg, wParam, lParam);
            data->selStart = data->selEnd = 0;
            data->firstLine = data->firstColumn = 0;
            data->modified = false;
            Notify(hwnd, *data, EN_UPDATE);
            Notify(hwnd, *data, EN_CHANGE);
            return TRUE;
        }
        case WM_CHAR:
            CharMessage(hwnd, *data, wParam);
            return 0;
        case WM_KEYDOWN:
            KeyDown(hwnd, *data, wParam);
            return 0;
        case WM_SETFOCUS:
            NotifyParentCommand(hwnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            NotifyParentCommand(hwnd, EN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd);
            int pos = CharFromPos(hwnd, *data, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            Select(hwnd, *data, pos, pos);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            SelectWordAt(hwnd, *data, CharFromPos(hwnd, *data, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            return 0;
        case WM_COPY_:
        case WM_CUT_: {
            {
                std::lock_guard lock(g_clipboardMutex);
                g_clipboard = text.Narrow(data->selStart, data->selEnd);
            }
            if (msg == WM_CUT_ && !ReadOnly(hwnd)) {
                ReplaceSelection(hwnd, *data, "", true);
            }
            return 0;
        }
        case WM_PASTE_: {
            std::string clip;
            {
                std::lock_guard lock(g_clipboardMutex);
                clip = g_clipboard;
            }
            if (!ReadOnly(hwnd)) {
                ReplaceSelection(hwnd, *data, NewText(std::string_view(clip)), true);
            }
            return 0;
        }
        case WM_CLEAR_:
            if (!ReadOnly(hwnd)) {
                ReplaceSelection(hwnd, *data, "", true);
            }
            return 0;
        case EM_GETSEL:
            if (wParam) {
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(data->selStart);
            }
            if (lParam) {
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(data->selEnd);
            }
            return MAKELRESULT(std::min(data->selStart, 0xFFFF), std::min(data->selEnd, 0xFFFF));
        case EM_SETSEL:
            Select(hwnd, *data, static_cast<int>(static_cast<LONG_PTR>(wParam)), static_cast<int>(lParam));
            return 0;
        case EM_EXGETSEL:
            if (auto* range = reinterpret_cast<CHARRANGE*>(lParam)) {
                range->cpMin = data->selStart;
                range->cpMax = data->selEnd;
            }
            return 0;
        case EM_EXSETSEL:
            if (auto* range = reinterpret_cast<CHARRANGE*>(lParam)) {
                Select(hwnd, *data, range->cpMin, range->cpMax);
            }
            return data->selEnd;
        case EM_REPLACESEL: {
            if (IsWideCall()) {
                ReplaceSelection(hwnd, *data, NewText(std::u16string_view(lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"")), true);
            } else {
                ReplaceSelection(hwnd, *data, NewText(std::string_view(lParam ? reinterpret_cast<LPCSTR>(lParam) : "")), true);
            }
            return 0;
        }
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(text.LineStarts().size());
        case EM_LINEINDEX: {
            auto starts = text.LineStarts();
            int line = static_cast<int>(static_cast<LONG_PTR>(wParam));
            if (line < 0) {
                line = LineOf(starts, data->selEnd);
            }
            return line < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(line)] : -1;
        }
        case EM_LINEFROMCHAR:
        case EM_EXLINEFROMCHAR: {
            int pos = static_cast<int>(msg == EM_EXLINEFROMCHAR ? lParam : static_cast<LONG_PTR>(wParam));
            if (pos < 0) {
                pos = data->selStart;
            }
            return LineOf(text.LineStarts(), std::min(pos, text.size()));
        }
        case EM_LINELENGTH: {
            auto starts = text.LineStarts();
            int pos = static_cast<int>(static_cast<LONG_PTR>(wParam));
            if (pos < 0) {
                return 0;
            }
            int start = starts[static_cast<std::size_t>(LineOf(starts, std::min(pos, text.size())))];
            return text.LineEnd(start) - start;
        }
        case EM_GETLINE: {
            auto starts = text.LineStarts();
            int line = static_cast<int>(wParam);
            if (!lParam || line < 0 || line >= static_cast<int>(starts.size())) {
                return 0;
            }
            int size = IsWideCall() ? *reinterpret_cast<WORD*>(lParam) : *reinterpret_cast<WORD*>(lParam);
            int start = starts[static_cast<std::size_t>(line)];
            int end = text.LineEnd(start);
            std::string gbk = text.Narrow(start, end);
            return CopyOut(gbk, platform::text::GbkToUtf16(gbk), IsWideCall(), lParam, size);
        }
        case EM_GETSELTEXT: {
            std::string gbk = text.Narrow(data->selStart, data->selEnd);
            LRESULT n = CopyOut(gbk, {}, false, lParam, static_cast<int>(gbk.size()));
            if (lParam) {
                reinterpret_cast<char*>(lParam)[n] = '\0';
            }
            return n;
        }
        case EM_GETTEXTRANGE: {
            auto* range = reinterpret_cast<TEXTRANGEA*>(lParam);
            if (!range || !range->lpstrText) {
                return 0;
            }
            int from = text.Snap(range->chrg.cpMin);
            int to = range->chrg.cpMax < 0 ? text.size() : text.Snap(range->chrg.cpMax);
            std::string gbk = from < to ? text.Narrow(from, to) : std::string();
            std::memcpy(range->lpstrText, gbk.data(), gbk.size());
            range->lpstrText[gbk.size()] = '\0';
            return static_cast<LRESULT>(gbk.size());
        }
        case EM_GETTEXTLENGTHEX:
            return text.size();
        case EM_LIMITTEXT:
            data->limit = wParam == 0 ? 0x7FFFFFFE : static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE));
            return 0;
        case EM_GETLIMITTEXT:
            return data->limit;
        case EM_GETMODIFY:
            return data->modified;
        case EM_SETMODIFY:
            data->modified = wParam != 0;
            return 0;
        case EM_SETREADONLY: {
            DWORD style = Style(hwnd);
            SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(wParam ? style | ES_READONLY : style & ~ES_READONLY));
            return TRUE;
        }
        case EM_SCROLLCARET:
            ScrollCaret(hwnd, *data);
            return TRUE;
        case EM_LINESCROLL: {
            int lines = static_cast<int>(text.LineStarts().size());
            data->firstLine = std::clamp(data->firstLine + static_cast<int>(lParam), 0, std::max(lines - 1, 0));
            data->firstColumn = std::max(0, data->firstColumn + static_cast<int>(static_cast<LONG_PTR>(wParam)));
            return TRUE;
        }
        case EM_GETFIRSTVISIBLELINE:
            return data->firstLine;
        case EM_POSFROMCHAR_: {
            POINT pt = PosFromChar(hwnd, *data, static_cast<int>(rich ? lParam : static_cast<LONG_PTR>(wParam)));
            if (rich && wParam) {
                *reinterpret_cast<POINT*>(wParam) = pt;
                return 0;
            }
            return MAKELRESULT(pt.x, pt.y);
        }
        case EM_CHARFROMPOS_: {
            POINT pt = rich ? *reinterpret_cast<const POINT*>(lParam) : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            int pos = CharFromPos(hwnd, *data, pt);
            if (rich) {
                return pos;
            }
            return MAKELRESULT(pos, LineOf(text.LineStarts(), pos));
        }
        case EM_SETEVENTMASK: {
            DWORD old = data->eventMask;
            data->eventMask = static_cast<DWORD>(lParam);
            return static_cast<LRESULT>(old);
        }
        case EM_GETEVENTMASK:
            return static_cast<LRESULT>(data->eventMask);
        case EM_SETBKGNDCOLOR: {
            COLORREF old = data->background;
            data->background = wParam ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(lParam);
            return static_cast<LRESULT>(old);
        }
        case EM_SETCHARFORMAT: {
            auto* format = reinterpret_cast<const CHARFORMATA*>(lParam);
            if (!format) {
                return 0;
            }
            // Every range shares the default format here: nothing is drawn per character.
            CHARFORMATA merged = data->format;
            DWORD mask = format->dwMask;
            merged.dwMask |= mask;
            constexpr DWORD effectBits = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED;
            merged.dwEffects = (merged.dwEffects & ~(mask & effectBits)) | (format->dwEffects & mask & effectBits);
            if (mask & CFM_COLOR) {
                merged.dwEffects = (merged.dwEffects & ~CFE_AUTOCOLOR) | (format->dwEffects & CFE_AUTOCOLOR);
                merged.crTextColor = format->crTextColor;
            }
            if (mask & CFM_SIZE) merged.yHeight = format->yHeight;
            if (mask & CFM_OFFSET) merged.yOffset = format->yOffset;
            if (mask & CFM_CHARSET) merged.bCharSet = format->bCharSet;
            if (mask & CFM_FACE) {
                std::memcpy(merged.szFaceName, format->szFaceName, sizeof merged.szFaceName);
                merged.szFaceName[LF_FACESIZE - 1] = '\0';
                merged.bPitchAndFamily = format->bPitchAndFamily;
            }
            data->format = merged;
            return TRUE;
        }
        case EM_GETCHARFORMAT: {
            auto* format = reinterpret_cast<CHARFORMATA*>(lParam);
            if (!format) {
                return 0;
            }
            *format = data->format;
            return static_cast<LRESULT>(data->format.dwMask);
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CommonEditProc(hwnd, msg, wParam, lParam, false);
}

LRESULT RichEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CommonEditProc(hwnd, msg, wParam, lParam, true);
}

}  // namespace platform::ui::detail
