// A flat owner-drawn push button with an icon to the left of its caption. It lights up with a
// raised frame while the pointer is over it and sinks while it is pressed.
#pragma once

#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_dc.h"

class CIconButton : public CButton {
public:
    CIconButton();

    // Turns the button into an owner-drawn one, keeping its other style bits.
    void SetUp();
    // The icons drawn while hovered or pressed and otherwise, and the size they are drawn at.
    void SetIcons(HICON hot, HICON normal, int width, int height);

    bool IsHovered() const { return m_hover; }
    void DrawItem(LPDRAWITEMSTRUCT item) override;

protected:
    void OnMouseMove(UINT flags, CPoint point);
    void OnCaptureChanged(CWnd* wnd);
    void OnKillFocus(CWnd* next);
    DECLARE_MESSAGE_MAP()

private:
    void SetHover(bool hover);
    void DrawIconAndCaption(CDC& dc, const CRect& area, bool pressed, bool disabled);

    HICON m_hotIcon = nullptr;
    HICON m_normalIcon = nullptr;
    int m_iconWidth = 0;
    int m_iconHeight = 0;
    COLORREF m_hotBack;
    COLORREF m_hotText;
    COLORREF m_normalBack;
    COLORREF m_normalText;
    bool m_hover = false;
    bool m_flat = true;
    bool m_borderWhenHot = true;
    bool m_focusRect = true;
};
