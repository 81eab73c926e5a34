// Plain drawing calls on device context handles: paints, brushes, edges, bitmaps loaded from files
// or resources, stretched copies, and the visual-styles module "UxTheme.dll". Like the framework's
// device contexts (afx_dc.h) they keep their drawing as text lines, for example
// "fill 0 0 40 20 f0f0f0", "edge 0 0 40 20 sunken" or "stretch 0 0 800 600 setup.bmp 0 0 32 16".
#pragma once
#include <string>
#include "platform/ui/icons.h"
#include "platform/ui/window_types.h"

struct HBRUSH__ {
    COLORREF color;
};
using HBRUSH = HBRUSH__*;
using HGDIOBJ = void*;
using HTHEME = void*;

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    RECT rcPaint{};
};

constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT BF_RECT = 0x000F;

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// The system colour brushes are never deleted.
HBRUSH GetSysColorBrush(int index);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Records "edge x y w h sunken" for a sunken outer edge, else the edge and flag bits in hex.
BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);

// A bitmap from a file (LR_LOADFROMFILE: the name is a path; only the BMP header is read, so a
// file that does not start with "BM" or is cut short gives null) or from the bitmap resources of
// a module (the name is MAKEINTRESOURCE(id)).
HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name);
BOOL DeleteObject(HGDIOBJ object);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL StretchBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sx, int sy, int scx, int scy, DWORD rop);

inline LPCWSTR MakeIntResourceW(UINT id) {
    return reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(id));
}

namespace platform::ui {
// Bitmap resources defined in code: a size per module and id.
void AddBitmap(HINSTANCE module, UINT id, int width, int height);
struct BitmapInfo {
    std::string name;  // the file path (UTF-8) or "#id"
    int width = 0;
    int height = 0;
};
bool GetBitmapInfo(HBITMAP bitmap, BitmapInfo& info);
// Whether the visual styles are on (the default): "UxTheme.dll" then answers themed, with theme
// data for any class, and draws parts as "theme <class> <part> x y w h".
void SetVisualStyles(bool on);
}  // namespace platform::ui
