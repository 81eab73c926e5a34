// Dock bars and their frame: docking, showing, hiding and the layout of the docked bars.
#include "platform/ui/afx_dock_bar.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CDockControlBar, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

DWORD AlignOf(UINT side) {
    switch (side) {
        case AFX_IDW_DOCKBAR_TOP: return CBRS_ALIGN_TOP;
        case AFX_IDW_DOCKBAR_BOTTOM: return CBRS_ALIGN_BOTTOM;
        case AFX_IDW_DOCKBAR_LEFT: return CBRS_ALIGN_LEFT;
        case AFX_IDW_DOCKBAR_RIGHT: return CBRS_ALIGN_RIGHT;
        default: return 0;
    }
}

}  // namespace

int CDockControlBar::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) {
        return -1;
    }
    return CreateControlBar(cs) ? 0 : -1;
}

BOOL CDockControlBar::CreateControlBar(LPCREATESTRUCT) { return TRUE; }
void CDockControlBar::OnBarResized(CRect*) {}
void CDockControlBar::OnClosing() {}

BOOL CFrameWnd::CreateFrame(LPCSTR title, const RECT& rect) {
    LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS);
    return CreateEx(0, cls, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, rect, nullptr, 0);
}

BOOL CFrameWnd::DockControlBar(CDockControlBar* bar, UINT side, LPCRECT rect) {
    if (!bar || !bar->m_hWnd) {
        return FALSE;
    }
    DWORD allowed = bar->GetDockingSides() & dockingSides_;
    if (side == 0) {
        for (UINT s : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT, AFX_IDW_DOCKBAR_BOTTOM}) {
            if (allowed & AlignOf(s)) {
                side = s;
                break;
            }
        }
    }
    if (!(allowed & AlignOf(side))) {
        return FALSE;
    }
    bool vertical = side == AFX_IDW_DOCKBAR_LEFT || side == AFX_IDW_DOCKBAR_RIGHT;
    CRect current;
    bar->GetWindowRect(&current);
    CRect wanted = rect ? CRect(*rect) : current;
    bar->extent_ = std::max(vertical ? wanted.Width() : wanted.Height(), 0);
    bar->side_ = side;
    bar->frame_ = this;
    if (std::find(bars_.begin(), bars_.end(), bar) == bars_.end()) {
        bars_.push_back(bar);
    }
    ::SetParent(bar->m_hWnd, m_hWnd);
    RecalcLayout();
    return TRUE;
}

void CFrameWnd::ShowControlBar(CDockControlBar* bar, BOOL show, BOOL) {
    if (!bar || !bar->m_hWnd) {
        return;
    }
    bar->ShowWindow(show ? SW_SHOW : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::CloseControlBar(CDockControlBar* bar) {
    if (!bar || !bar->m_hWnd || !bar->IsWindowVisible()) {
        return;
    }
    bar->OnClosing();
    if (bar->m_hWnd) {
        ShowControlBar(bar, FALSE);
    }
}

void CFrameWnd::RecalcLayout(BOOL notify) {
    std::erase_if(bars_, [](CDockControlBar* b) { return !b->m_hWnd; });
    CRect area;
    GetClientRect(&area);
    for (CDockControlBar* bar : bars_) {
        if (!bar->IsWindowVisible() || bar->side_ == 0) {
            continue;
        }
        CRect place = area;
        switch (bar->side_) {
            case AFX_IDW_DOCKBAR_TOP:
                place.bottom = std::min(area.top + bar->extent_, area.bottom);
                area.top = place.bottom;
                break;
            case AFX_IDW_DOCKBAR_BOTTOM:
                place.top = std::max(area.bottom - bar->extent_, area.top);
                area.bottom = place.top;
                break;
            case AFX_IDW_DOCKBAR_LEFT:
                place.right = std::min(area.left + bar->extent_, area.right);
                area.left = place.right;
                break;
            default:
                place.left = std::max(area.right - bar->extent_, area.left);
                area.right = place.left;
                break;
        }
        bool changed = !(place == bar->placed_);
        bar->placed_ = place;
        bar->MoveWindow(place.left, place.top, place.Width(), place.Height(), FALSE);
        if (changed && notify && bar->m_hWnd) {
            CRect client(0, 0, place.Width(), place.Height());
            bar->OnBarResized(&client);
        }
    }
    free_ = area;
}

void CFrameWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RecalcLayout();
}
