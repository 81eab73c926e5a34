// Font handles and headless text measurement.
//
// Nothing is drawn, but product code sizes boxes by text width, so widths follow a fixed rule: a
// single-byte character is half the font's pixel height wide, a double-byte character the full
// height, which is how the usual CJK screen fonts measure.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/window_types.h"

struct LOGFONTA {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};
using LOGFONT = LOGFONTA;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE DEFAULT_CHARSET = 1;

HFONT CreateFontIndirectA(const LOGFONTA* font);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face);
inline HFONT CreateFontIndirect(const LOGFONTA* font) { return CreateFontIndirectA(font); }
// Fills a LOGFONT for a font handle; returns the bytes written, 0 for an unknown handle.
int GetFontObject(HFONT font, int size, LOGFONTA* out);
BOOL DeleteFont(HFONT font);

namespace platform::ui {

struct FontInfo {
    std::string face = "MS Sans Serif";
    int pointSize = 8;
    int pixelHeight = 11;
    bool bold = false;
};

// A shared font for a template's face and size (dialogs keep theirs for their lifetime).
HFONT CreateDialogFont(const std::string& face, int pointSize);
// The font's description; the system font for null or unknown handles.
FontInfo GetFontInfo(HFONT font);
// Width in pixels of GBK text in the font.
int TextWidth(HFONT font, std::string_view gbk);
int TextWidth(HFONT font, std::u16string_view text);

}  // namespace platform::ui
