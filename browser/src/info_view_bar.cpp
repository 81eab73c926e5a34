#include "browser/info_view_bar.h"

#include <memory>

#include "browser/browser_resources.h"
#include "platform/cad/main_frame.h"

namespace {

constexpr CLSID kToolId = {0xDB417657, 0x88AA, 0x4BAA, {0x8C, 0xF4, 0xB2, 0x94, 0x29, 0xE0, 0x3C, 0x77}};
constexpr int kDockedHeight = 200;

std::unique_ptr<CInfoViewBar> g_bar;

}  // namespace

BEGIN_MESSAGE_MAP(CInfoViewBar, CAcUiDockControlBar)
ON_WM_CREATE()
END_MESSAGE_MAP()

BOOL CInfoViewBar::Create(CWnd* parent, LPCSTR title) {
    LPCSTR windowClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW));
    if (!CAcUiDockControlBar::Create(windowClass, title, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(0, 0, 250, 200),
                                 parent, 0))
        return FALSE;
    CLSID toolId = kToolId;
    SetToolID(&toolId);
    return TRUE;
}

int CInfoViewBar::OnCreate(LPCREATESTRUCT cs) {
    if (CAcUiDockControlBar::OnCreate(cs) == -1) return -1;
    platform::ui::ResourceScope scope(BrowserResources());
    if (!m_dialog.Create(IDD_INFO_VIEW, this)) return -1;
    m_dialog.ShowWindow(SW_SHOW);
    return 0;
}

BOOL CInfoViewBar::DestroyWindow() {
    if (m_dialog.m_hWnd != nullptr) m_dialog.DestroyWindow();
    return CAcUiDockControlBar::DestroyWindow();
}

void CInfoViewBar::OnBarResized(CRect* rect) {
    if (m_dialog.m_hWnd == nullptr) return;
    m_dialog.MoveWindow(rect->left, rect->top + 2, rect->Width(), rect->Height() - 2);
    m_dialog.Invalidate();
}

CInfoViewBar* BrowserBar() { return g_bar.get(); }

void ShowBrowserBar() {
    CFrameWnd* frame = acedGetAcadFrame();
    if (g_bar != nullptr && g_bar->m_hWnd != nullptr) {
        if (!g_bar->IsWindowVisible()) frame->ShowControlBar(g_bar.get(), TRUE);
        return;
    }
    auto bar = std::make_unique<CInfoViewBar>();
    if (!bar->Create(frame, "信息浏览器")) return;
    bar->EnableDocking(CBRS_ALIGN_ANY);
    CRect dock;
    frame->GetWindowRect(&dock);
    dock.top = dock.bottom - kDockedHeight;
    frame->DockControlBar(bar.get(), AFX_IDW_DOCKBAR_BOTTOM, &dock);
    bar->Dialog().RebuildTabs();
    SetItemListView(&bar->Dialog());
    g_bar = std::move(bar);
}

void DropBrowserBar() {
    if (g_bar == nullptr) return;
    SetItemListView(nullptr);
    if (g_bar->m_hWnd != nullptr) g_bar->DestroyWindow();
    // The frame forgets a bar whose window is gone only when it next lays its bars out; that must
    // happen while the bar object still exists.
    if (CFrameWnd* frame = g_bar->GetDockingFrame()) frame->RecalcLayout();
    g_bar.reset();
}
