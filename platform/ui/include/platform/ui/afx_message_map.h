// Message maps in the framework's manner: a class lists the messages, command ids and
// notification codes it handles between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP; a message goes to
// the first matching entry of the most derived class, then of its bases, else to the default.
//
// Each entry holds a small function that unpacks the message parameters and calls the handler,
// so handlers keep the framework's signatures (OnSize(UINT, int, int), OnNotify(NMHDR*, LRESULT*)).
#pragma once

#include "platform/ui/afx_dc.h"
#include "platform/ui/common_controls.h"

class CWnd;

// Messages a parent reflects back to the control that sent them (WM_NOTIFY, WM_COMMAND,
// WM_DRAWITEM, WM_MEASUREITEM) are looked up as kReflectBase + message in the control's map.
constexpr UINT kReflectBase = 0xBC00;

struct MessageMapEntry {
    UINT message = 0;
    UINT code = 0;  // notification code (WM_COMMAND, WM_NOTIFY)
    UINT firstId = 0;
    UINT lastId = 0;
    bool (*call)(CWnd* self, WPARAM wParam, LPARAM lParam, LRESULT& result) = nullptr;
};

struct MessageMap {
    const MessageMap* (*base)() = nullptr;
    const MessageMapEntry* entries = nullptr;
};

#define DECLARE_MESSAGE_MAP()                             \
protected:                                                \
    static const ::MessageMap* GetThisMessageMap();       \
    const ::MessageMap* GetMessageMap() const override;   \
                                                          \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const ::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }      \
    const ::MessageMap* theClass::GetThisMessageMap() {                                       \
        using ThisClass = theClass;                                                           \
        using TheBaseClass = baseClass;                                                       \
        static const ::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                                \
    ::MessageMapEntry{} };                                                               \
    static const ::MessageMap map{&TheBaseClass::GetThisMessageMap, entries};            \
    return &map;                                                                         \
    }

#define DERO_MAP_ENTRY(msg, code, first, last, body)                                                      \
    ::MessageMapEntry{(msg), static_cast<UINT>(code), static_cast<UINT>(first), static_cast<UINT>(last),  \
                      [](CWnd* dero_self, WPARAM wParam, LPARAM lParam, LRESULT& result) -> bool {        \
                          auto* self = static_cast<ThisClass*>(dero_self);                                \
                          (void)self;                                                                     \
                          (void)wParam;                                                                   \
                          (void)lParam;                                                                   \
                          result = 0;                                                                     \
                          body;                                                                           \
                          return true;                                                                    \
                      }},

// Messages, commands and notifications.
#define ON_MESSAGE(msg, fn) DERO_MAP_ENTRY(msg, 0, 0, 0, result = self->fn(wParam, lParam))
#define ON_COMMAND(id, fn) DERO_MAP_ENTRY(WM_COMMAND, 0, id, id, self->fn())
#define ON_COMMAND_RANGE(first, last, fn) DERO_MAP_ENTRY(WM_COMMAND, 0, first, last, self->fn(LOWORD(wParam)))
#define ON_CONTROL(code, id, fn) DERO_MAP_ENTRY(WM_COMMAND, code, id, id, self->fn())
#define ON_CONTROL_RANGE(code, first, last, fn) DERO_MAP_ENTRY(WM_COMMAND, code, first, last, self->fn(LOWORD(wParam)))
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_CLOSEUP(id, fn) ON_CONTROL(CBN_CLOSEUP, id, fn)
#define ON_CBN_KILLFOCUS(id, fn) ON_CONTROL(CBN_KILLFOCUS, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_NOTIFY(code, id, fn) \
    DERO_MAP_ENTRY(WM_NOTIFY, code, id, id, self->fn(reinterpret_cast<NMHDR*>(lParam), &result))
#define ON_NOTIFY_RANGE(code, first, last, fn) \
    DERO_MAP_ENTRY(WM_NOTIFY, code, first, last, self->fn(static_cast<UINT>(wParam), reinterpret_cast<NMHDR*>(lParam), &result))
// Reflected to the control itself; the handler sees the record its parent received.
#define ON_NOTIFY_REFLECT(code, fn) \
    DERO_MAP_ENTRY(kReflectBase + WM_NOTIFY, code, 0, 0xFFFF, self->fn(reinterpret_cast<NMHDR*>(lParam), &result))
#define ON_CONTROL_REFLECT(code, fn) DERO_MAP_ENTRY(kReflectBase + WM_COMMAND, code, 0, 0xFFFF, self->fn())
#define ON_WM_MEASUREITEM_REFLECT() \
    DERO_MAP_ENTRY(kReflectBase + WM_MEASUREITEM, 0, 0, 0, self->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
#define ON_WM_DRAWITEM_REFLECT() \
    DERO_MAP_ENTRY(kReflectBase + WM_DRAWITEM, 0, 0, 0, self->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)))

// Window messages with their framework signatures.
#define ON_WM_CREATE() \
    DERO_MAP_ENTRY(WM_CREATE, 0, 0, 0, result = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))
#define ON_WM_DESTROY() DERO_MAP_ENTRY(WM_DESTROY, 0, 0, 0, self->OnDestroy())
#define ON_WM_NCDESTROY() DERO_MAP_ENTRY(WM_NCDESTROY, 0, 0, 0, self->OnNcDestroy())
#define ON_WM_CLOSE() DERO_MAP_ENTRY(WM_CLOSE, 0, 0, 0, self->OnClose())
#define ON_WM_SIZE() \
    DERO_MAP_ENTRY(WM_SIZE, 0, 0, 0, self->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_MOVE() DERO_MAP_ENTRY(WM_MOVE, 0, 0, 0, self->OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
#define ON_WM_TIMER() DERO_MAP_ENTRY(WM_TIMER, 0, 0, 0, self->OnTimer(static_cast<UINT_PTR>(wParam)))
#define ON_WM_PAINT() DERO_MAP_ENTRY(WM_PAINT, 0, 0, 0, self->OnPaint())
#define ON_WM_ERASEBKGND() DERO_MAP_ENTRY(WM_ERASEBKGND, 0, 0, 0, CDC dc; result = self->OnEraseBkgnd(&dc))
#define ON_WM_SHOWWINDOW() \
    DERO_MAP_ENTRY(WM_SHOWWINDOW, 0, 0, 0, self->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))
#define ON_WM_LBUTTONDOWN() \
    DERO_MAP_ENTRY(WM_LBUTTONDOWN, 0, 0, 0, self->OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONUP() \
    DERO_MAP_ENTRY(WM_LBUTTONUP, 0, 0, 0, self->OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONDBLCLK() \
    DERO_MAP_ENTRY(WM_LBUTTONDBLCLK, 0, 0, 0, self->OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_RBUTTONDOWN() \
    DERO_MAP_ENTRY(WM_RBUTTONDOWN, 0, 0, 0, self->OnRButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_MOUSEMOVE() \
    DERO_MAP_ENTRY(WM_MOUSEMOVE, 0, 0, 0, self->OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_SETFOCUS() \
    DERO_MAP_ENTRY(WM_SETFOCUS, 0, 0, 0, self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KILLFOCUS() \
    DERO_MAP_ENTRY(WM_KILLFOCUS, 0, 0, 0, self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_CHAR()                                                                                   \
    DERO_MAP_ENTRY(WM_CHAR, 0, 0, 0,                                                                   \
                   self->OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYDOWN()                                                                                \
    DERO_MAP_ENTRY(WM_KEYDOWN, 0, 0, 0,                                                                \
                   self->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_HSCROLL()                                                                                \
    DERO_MAP_ENTRY(WM_HSCROLL, 0, 0, 0,                                                                \
                   self->OnHScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_VSCROLL()                                                                                \
    DERO_MAP_ENTRY(WM_VSCROLL, 0, 0, 0,                                                                \
                   self->OnVScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_SYSCOMMAND() \
    DERO_MAP_ENTRY(WM_SYSCOMMAND, 0, 0, 0, self->OnSysCommand(static_cast<UINT>(wParam), lParam))
#define ON_WM_CAPTURECHANGED() \
    DERO_MAP_ENTRY(WM_CAPTURECHANGED, 0, 0, 0, self->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_SETCURSOR()                                                                              \
    DERO_MAP_ENTRY(WM_SETCURSOR, 0, 0, 0,                                                              \
                   result = self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_DRAWITEM() \
    DERO_MAP_ENTRY(WM_DRAWITEM, 0, 0, 0, self->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)))
#define ON_WM_COPYDATA()                                                                              \
    DERO_MAP_ENTRY(WM_COPYDATA, 0, 0, 0,                                                              \
                   result = self->OnCopyData(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),        \
                                             reinterpret_cast<COPYDATASTRUCT*>(lParam)))
#define ON_WM_WINDOWPOSCHANGED() \
    DERO_MAP_ENTRY(WM_WINDOWPOSCHANGED, 0, 0, 0, self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_ENABLE() DERO_MAP_ENTRY(WM_ENABLE, 0, 0, 0, self->OnEnable(static_cast<BOOL>(wParam)))
#define ON_WM_GETDLGCODE() DERO_MAP_ENTRY(WM_GETDLGCODE, 0, 0, 0, result = self->OnGetDlgCode())
