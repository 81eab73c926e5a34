// SVG pictures of window trees.
#include "platform/ui/svg_snapshot.h"

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/window_api.h"

namespace platform::ui {
namespace {

std::string Escape(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\r': break;
            case '\n': out += ' '; break;
            default:
                // Control characters are not allowed in XML text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
                    out += c;
                }
        }
    }
    return out;
}

void Render(HWND hwnd, POINT origin, std::string& out) {
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) {
        return;
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    int x = r.left - origin.x;
    int y = r.top - origin.y;
    int cx = r.right - r.left;
    int cy = r.bottom - r.top;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(hwnd, text.data(), length + 1), 0)));
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    out += text::Format("<g class=\"%s\" data-id=\"%d\">\n", Escape(cls), GetDlgCtrlID(hwnd));
    out += text::Format("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\" stroke=\"%s\"/>\n", x, y, cx,
                        cy, enabled ? "#f0f0f0" : "#e0e0e0", enabled ? "#404040" : "#a0a0a0");
    if (!text.empty()) {
        out += text::Format("<text x=\"%d\" y=\"%d\" font-size=\"11\" fill=\"%s\">%s</text>\n", x + 3,
                            y + std::min(cy, 14) - 2, enabled ? "#000000" : "#808080",
                            Escape(text::Utf16ToUtf8(text)));
    }
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Render(child, origin, out);
    }
    out += "</g>\n";
}

}  // namespace

std::string RenderSvg(HWND root) {
    RECT r{};
    if (!GetWindowRect(root, &r)) {
        return {};
    }
    std::string out = text::Format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n",
        r.right - r.left, r.bottom - r.top, r.right - r.left, r.bottom - r.top);
    Render(root, POINT{r.left, r.top}, out);
    return out + "</svg>\n";
}

}  // namespace platform::ui
