// Font handles: a table of descriptions, and text widths by the fixed rule of fonts.h.
#include "platform/ui/fonts.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/text/gbk.h"

namespace platform::ui {
namespace {

std::mutex g_mutex;
std::map<HFONT, FontInfo>& Fonts() {
    static auto* fonts = new std::map<HFONT, FontInfo>();
    return *fonts;
}
std::atomic<std::uintptr_t> g_next{0xF0000};

HFONT Add(FontInfo info) {
    auto handle = reinterpret_cast<HFONT>(g_next.fetch_add(8));
    std::lock_guard lock(g_mutex);
    Fonts()[handle] = std::move(info);
    return handle;
}

int PixelsFromPoints(int points) { return (std::max(points, 1) * 96 + 71) / 72; }
int PointsFromPixels(int pixels) { return (std::abs(pixels) * 72 + 48) / 96; }

}  // namespace

HFONT CreateDialogFont(const std::string& face, int pointSize) {
    std::lock_guard lock(g_mutex);
    for (auto& [handle, info] : Fonts()) {
        if (info.face == face && info.pointSize == pointSize && !info.bold) {
            return handle;
        }
    }
    FontInfo info;
    info.face = face;
    info.pointSize = pointSize;
    info.pixelHeight = PixelsFromPoints(pointSize);
    auto handle = reinterpret_cast<HFONT>(g_next.fetch_add(8));
    Fonts()[handle] = info;
    return handle;
}

FontInfo GetFontInfo(HFONT font) {
    std::lock_guard lock(g_mutex);
    auto it = Fonts().find(font);
    return it == Fonts().end() ? FontInfo{} : it->second;
}

int TextWidth(HFONT font, std::string_view gbk) {
    int height = GetFontInfo(font).pixelHeight;
    int width = 0;
    for (std::size_t i = 0; i < gbk.size();) {
        std::size_t n = platform::text::GbkCharLength(gbk, i);
        width += n == 2 ? height : height / 2;
        i += n;
    }
    return width;
}

int TextWidth(HFONT font, std::u16string_view text) {
    int height = GetFontInfo(font).pixelHeight;
    int width = 0;
    for (char16_t c : text) {
        width += c < 0x80 ? height / 2 : height;
    }
    return width;
}

}  // namespace platform::ui

using platform::ui::FontInfo;

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (!font) {
        return nullptr;
    }
    FontInfo info;
    info.face = std::string(font->lfFaceName, strnlen(font->lfFaceName, sizeof font->lfFaceName));
    info.pixelHeight = font->lfHeight == 0 ? 12 : std::abs(static_cast<int>(font->lfHeight));
    info.pointSize = platform::ui::PointsFromPixels(info.pixelHeight);
    info.bold = font->lfWeight >= FW_BOLD;
    return platform::ui::Add(info);
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) {
        std::size_t n = platform::text::GbkFitLength(face, sizeof lf.lfFaceName - 1);
        std::memcpy(lf.lfFaceName, face, n);
    }
    return CreateFontIndirectA(&lf);
}

int GetFontObject(HFONT font, int size, LOGFONTA* out) {
    {
        std::lock_guard lock(platform::ui::g_mutex);
        if (!platform::ui::Fonts().count(font)) {
            return 0;
        }
    }
    if (!out || size < static_cast<int>(sizeof(LOGFONTA))) {
        return 0;
    }
    FontInfo info = platform::ui::GetFontInfo(font);
    *out = LOGFONTA{};
    out->lfHeight = -info.pixelHeight;
    out->lfWeight = info.bold ? FW_BOLD : FW_NORMAL;
    out->lfCharSet = GB2312_CHARSET;
    std::size_t n = platform::text::GbkFitLength(info.face, sizeof out->lfFaceName - 1);
    std::memcpy(out->lfFaceName, info.face.data(), n);
    return static_cast<int>(sizeof(LOGFONTA));
}

BOOL DeleteFont(HFONT font) {
    std::lock_guard lock(platform::ui::g_mutex);
    return platform::ui::Fonts().erase(font) ? TRUE : FALSE;
}
