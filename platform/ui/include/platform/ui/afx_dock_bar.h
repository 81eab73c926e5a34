// Dockable control bars and the frame window they dock in.
//
// A bar docks on one side of its frame: bars at the top or bottom take the frame's full client
// width and their own height, bars on the left or right the remaining height and their own width.
// Whenever a bar's rectangle changes, the bar hears OnBarResized with its new client area.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/afx_wnd.h"

constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C;
constexpr UINT AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;

class CFrameWnd;

class CDockControlBar : public CWnd {
public:
    void EnableDocking(DWORD sides) { dockingSides_ = sides & CBRS_ALIGN_ANY; }
    DWORD GetDockingSides() const { return dockingSides_; }
    // AFX_IDW_DOCKBAR_* while docked, 0 otherwise.
    UINT GetDockSide() const { return side_; }
    BOOL IsVisible() const { return IsWindowVisible(); }
    // Height of a top or bottom bar, width of a left or right one.
    int GetDockExtent() const { return extent_; }
    void SetToolID(const std::string& id) { toolId_ = id; }
    const std::string& GetToolID() const { return toolId_; }
    CFrameWnd* GetDockingFrame() const { return frame_; }

    // The bar's own set-up after its window exists; false fails the creation.
    virtual BOOL CreateControlBar(LPCREATESTRUCT cs);
    // The bar's client area after its size changed.
    virtual void OnBarResized(CRect* rect);
    // The person closes the bar; it is hidden afterwards.
    virtual void OnClosing();

protected:
    int OnCreate(LPCREATESTRUCT cs);
    DECLARE_MESSAGE_MAP()

private:
    friend class CFrameWnd;
    DWORD dockingSides_ = 0;
    UINT side_ = 0;
    int extent_ = 0;
    CRect placed_;
    std::string toolId_;
    CFrameWnd* frame_ = nullptr;
};

class CFrameWnd : public CWnd {
public:
    // A top-level frame window of that size (screen coordinates).
    BOOL CreateFrame(LPCSTR title, const RECT& rect);
    void EnableDocking(DWORD sides) { dockingSides_ = sides & CBRS_ALIGN_ANY; }
    // Docks the bar on a side (0: the first side both allow); rect (screen coordinates) gives
    // its height or width. False when the bar or the frame does not allow that side.
    BOOL DockControlBar(CDockControlBar* bar, UINT side = 0, LPCRECT rect = nullptr);
    void ShowControlBar(CDockControlBar* bar, BOOL show, BOOL delay = FALSE);
    // What a click on the bar's close box does.
    void CloseControlBar(CDockControlBar* bar);
    void RecalcLayout(BOOL notify = TRUE);
    // The client area the bars leave free.
    CRect GetFreeArea() const { return free_; }

protected:
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    DWORD dockingSides_ = 0;
    std::vector<CDockControlBar*> bars_;
    CRect free_;
};
