#include "browser/icon_button.h"

#include "platform/ui/afx_message_map.h"
#include "platform/ui/window_api.h"

namespace {

// Room between the button's left edge and its icon.
constexpr int kIconInset = 3;

}  // namespace

BEGIN_MESSAGE_MAP(CIconButton, CButton)
ON_WM_MOUSEMOVE()
ON_WM_CAPTURECHANGED()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CIconButton::CIconButton()
    : m_hotBack(GetSysColor(COLOR_BTNFACE)),
      m_hotText(GetSysColor(COLOR_BTNTEXT)),
      m_normalBack(GetSysColor(COLOR_BTNFACE)),
      m_normalText(GetSysColor(COLOR_BTNTEXT)) {}

void CIconButton::SetUp() { SetButtonStyle(BS_OWNERDRAW); }

void CIconButton::SetIcons(HICON hot, HICON normal, int width, int height) {
    m_hotIcon = hot;
    m_normalIcon = normal;
    m_iconWidth = width;
    m_iconHeight = height;
    Invalidate();
}

void CIconButton::SetHover(bool hover) {
    m_hover = hover;
    Invalidate();
}

void CIconButton::OnMouseMove(UINT flags, CPoint point) {
    CButton::OnMouseMove(flags, point);
    const bool leftDown = (flags & MK_LBUTTON) != 0;
    if (!m_flat || (leftDown && !m_hover)) return;
    if (::GetCapture() != m_hWnd) {
        // Holding the capture is how the button learns that the pointer has left it.
        SetCapture();
        SetHover(true);
        return;
    }
    CRect client;
    GetClientRect(&client);
    if (client.PtInRect(point)) return;
    SetHover(false);
    if (!leftDown) ::ReleaseCapture();
}

void CIconButton::OnCaptureChanged(CWnd* wnd) {
    if (m_hover) {
        m_hover = false;
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
        Invalidate();
    }
    CButton::OnCaptureChanged(wnd);
}

void CIconButton::OnKillFocus(CWnd* next) {
    CButton::OnKillFocus(next);
    if (m_hover) SetHover(false);
}

void CIconButton::DrawItem(LPDRAWITEMSTRUCT item) {
    CDC* target = CDC::FromHandle(item->hDC);
    if (target == nullptr) return;
    CRect area(item->rcItem);
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    const bool disabled = (item->itemState & ODS_DISABLED) != 0;
    const bool lit = m_hover || pressed;

    // Drawn off screen and copied, so the button never flickers through its steps.
    CDC memory;
    memory.CreateCompatibleDC(target);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(target, area.Width(), area.Height());
    memory.SelectObject(&bitmap);
    memory.FillSolidRect(&area, lit ? m_hotBack : m_normalBack);
    if (pressed) {
        memory.Draw3dRect(&area, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    } else if (m_hover && m_borderWhenHot) {
        memory.Draw3dRect(&area, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }
    DrawIconAndCaption(memory, area, pressed, disabled);
    if (!m_flat && m_focusRect && (item->itemState & ODS_FOCUS) != 0) {
        CRect focus = area;
        focus.DeflateRect(3, 3);
        memory.DrawFocusRect(&focus);
    }
    target->BitBlt(0, 0, area.Width(), area.Height(), &memory, 0, 0, SRCCOPY);
}

void CIconButton::DrawIconAndCaption(CDC& dc, const CRect& area, bool pressed, bool disabled) {
    CString caption;
    GetWindowText(caption);
    const int shift = pressed ? 1 : 0;
    HICON icon = m_hover || pressed ? m_hotIcon : m_normalIcon;
    int captionLeft = area.left;
    if (icon != nullptr) {
        const int x = caption.IsEmpty() ? area.left + (area.Width() - m_iconWidth) / 2 : area.left + kIconInset;
        const int y = area.top + (area.Height() - m_iconHeight) / 2;
        dc.DrawState(CPoint(x + shift, y + shift), CSize(m_iconWidth, m_iconHeight), icon,
                     disabled ? DSS_DISABLED : DSS_NORMAL);
        captionLeft = x + m_iconWidth;
    }
    if (caption.IsEmpty()) return;
    CRect text(captionLeft + shift, area.top + shift, area.right + shift, area.bottom + shift);
    dc.SelectObject(GetFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(disabled ? GetSysColor(COLOR_GRAYTEXT) : (m_hover || pressed ? m_hotText : m_normalText));
    dc.DrawText(caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
