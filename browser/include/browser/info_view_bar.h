// The browser's dockable window in the host frame, captioned "信息浏览器", holding its dialog.
#pragma once

#include "browser/info_view_dialog.h"
#include "platform/ui/acui_dock_bar.h"

class CInfoViewBar : public CAcUiDockControlBar {
public:
    // Creates the bar's window in the parent; false when it cannot be made.
    virtual BOOL Create(CWnd* parent, LPCSTR title);
    BOOL DestroyWindow() override;
    void OnBarResized(CRect* rect) override;

    CInfoViewDialog& Dialog() { return m_dialog; }

protected:
    int OnCreate(LPCREATESTRUCT cs);
    DECLARE_MESSAGE_MAP()

private:
    CInfoViewDialog m_dialog;
};

// The module's one bar: made by the first "KELVO_SHOW", dropped when the module unloads.
CInfoViewBar* BrowserBar();
void ShowBrowserBar();
void DropBrowserBar();
