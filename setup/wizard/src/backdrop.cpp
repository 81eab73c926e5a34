#include "setup/wizard/backdrop.h"

#include "platform/ui/gdi.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"
#include "platform/win/files.h"
#include "setup/wizard/globals.h"

namespace Setup {

HINSTANCE SetupResources() {
    static HINSTANCE module = [] {
        using platform::ui::Control;
        using platform::ui::ControlKind;
        HINSTANCE m = platform::ui::CreateResourceModule("setup");
        platform::ui::DialogTemplate backdrop;
        backdrop.id = IDD_BACKDROP;
        backdrop.style = WS_POPUP | WS_CAPTION;
        backdrop.cx = 320;
        backdrop.cy = 200;
        backdrop.controls = {Control(IDC_BACKDROP_PICTURE, ControlKind::Static, "", 0, 0, 320, 200, SS_NOTIFY),
                             Control(IDC_BACKDROP_TEXT, ControlKind::Static, "", 0, 0, 0, 0)};
        platform::ui::AddDialog(m, backdrop);
        platform::ui::AddBitmap(m, IDB_BACKDROP, 800, 600);
        platform::ui::AddBitmap(m, IDB_WATERMARK, 164, 314);
        platform::ui::AddBitmap(m, IDB_HEADER, 150, 57);
        platform::ui::AddIcon(m, {IDI_SETUP, 32, 32});
        return m;
    }();
    return module;
}

// Picture control.

BEGIN_MESSAGE_MAP(CButtonPicture, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
END_MESSAGE_MAP()

void CButtonPicture::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    HBITMAP bitmap = nullptr;
    if (!g_picturePath.empty() && GetFileAttributesW(g_picturePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, g_picturePath.c_str(), 0, 0, 0, LR_LOADFROMFILE));
    }
    if (bitmap == nullptr) {
        // No picture file, or one that is not a bitmap: the installer's own picture.
        bitmap = LoadBitmapW(SetupResources(), MakeIntResourceW(IDB_BACKDROP));
    }
    platform::ui::BitmapInfo info;
    if (bitmap != nullptr && platform::ui::GetBitmapInfo(bitmap, info)) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        StretchBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0, info.width,
                   info.height, SRCCOPY);
        ::SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
    EndPaint(m_hWnd, &paint);
}

BOOL CButtonPicture::OnEraseBkgnd(CDC*) { return TRUE; }

void CButtonPicture::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// Backdrop.

BEGIN_MESSAGE_MAP(CDialogBackGround, CDialog)
ON_WM_SIZE()
ON_WM_SHOWWINDOW()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
END_MESSAGE_MAP()

void CDialogBackGround::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_BACKDROP_TEXT, text);
}

BOOL CDialogBackGround::OnInitDialog() {
    CDialog::OnInitDialog();
    picture.SubclassDlgItem(IDC_BACKDROP_PICTURE, this);
    ::MoveWindow(m_hWnd, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), FALSE);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowTextW(m_hWnd, g_wizardTitle.c_str());
    return TRUE;
}

void CDialogBackGround::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    RECT grown{-kBackdropMargin, -kBackdropMargin, width + kBackdropMargin, height + kBackdropMargin};
    RECT now{};
    ::GetWindowRect(m_hWnd, &now);
    if (now.left != grown.left || now.top != grown.top || now.right != grown.right || now.bottom != grown.bottom) {
        // Moving sizes the window again; this branch is not taken the second time.
        ::MoveWindow(m_hWnd, grown.left, grown.top, grown.right - grown.left, grown.bottom - grown.top, TRUE);
        return;
    }
    if (picture.m_hWnd != nullptr) {
        POINT origin{0, 0};
        ::ScreenToClient(m_hWnd, &origin);
        ::MoveWindow(picture.m_hWnd, origin.x, origin.y, width, height, TRUE);
    }
}

void CDialogBackGround::OnShowWindow(BOOL show, UINT status) {
    CDialog::OnShowWindow(show, status);
    if (show) {
        RedrawAll();
    }
}

void CDialogBackGround::RedrawAll() {
    constexpr UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, flags);
    if (picture.m_hWnd != nullptr) {
        ::RedrawWindow(picture.m_hWnd, nullptr, nullptr, flags);
    }
}

BOOL CDialogBackGround::OnEraseBkgnd(CDC*) { return TRUE; }

void CDialogBackGround::OnPaint() {
    PAINTSTRUCT paint;
    BeginPaint(m_hWnd, &paint);
    EndPaint(m_hWnd, &paint);
}

}  // namespace Setup
