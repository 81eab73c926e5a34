// Headless device contexts: drawing calls are kept as lines of text ("fill 0 0 40 20 f0f0f0"),
// so owner-drawn controls can be drawn and their drawing checked, without any pixels.
//
// A window is painted when it was invalidated and then updated (UpdateWindow, RedrawWindow with
// RDW_UPDATENOW); an owner-drawn button paints by asking its parent with WM_DRAWITEM, which the
// framework reflects to the button object's DrawItem.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/afx_types.h"

constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DSS_NORMAL = 0x0000;
constexpr UINT DSS_DISABLED = 0x0020;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD SRCCOPY = 0x00CC0020;

namespace platform::ui {

// The drawing lines of a device context handle (an HDC the framework handed out), or nothing.
std::vector<std::string> DrawingOf(HDC dc);
// The drawing of a window's last paint.
std::vector<std::string> LastPaintOf(HWND hwnd);

}  // namespace platform::ui

class CBitmap {
public:
    BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
    int width = 0;
    int height = 0;
};

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    // Wraps a handle given with WM_DRAWITEM; the wrapper lives as long as the handle's paint.
    static CDC* FromHandle(HDC dc);

    BOOL CreateCompatibleDC(CDC* other);
    CBitmap* SelectObject(CBitmap* bitmap);
    HFONT SelectObject(HFONT font);
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
    void DrawFocusRect(LPCRECT rect);
    BOOL DrawIcon(int x, int y, HICON icon);
    BOOL DrawState(CPoint at, CSize size, HICON icon, UINT flags, HANDLE brush = nullptr);
    int DrawText(LPCSTR text, int count, LPRECT rect, UINT format);
    CSize GetTextExtent(LPCSTR text, int count) const;
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop);

private:
    void Record(const std::string& line);
    HFONT font_ = nullptr;
    bool owned_ = true;
};

// A device context for painting one window (WM_PAINT).
class CPaintDC : public CDC {
public:
    explicit CPaintDC(class CWnd* wnd);
    ~CPaintDC() override;

private:
    HWND window_ = nullptr;
};
