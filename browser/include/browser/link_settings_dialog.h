// The link settings dialog: for each kind of link whether activation zooms, the zoom scale and
// the flash count. The edits take any integer; the arrows stay within the dialog's ranges.
#pragma once

#include "browser/browser_settings.h"
#include "browser/icon_button.h"
#include "platform/ui/afx_dialog.h"

constexpr UINT IDD_LINK_SETTINGS = 223;

// Adds the dialog's template to the resource module.
void AddLinkSettingsDialog(HINSTANCE module);

class CInfoSettingsDialog : public CDialog {
public:
    CInfoSettingsDialog(const BrowserLinkSettings& links, CWnd* parent);
    ~CInfoSettingsDialog() override;
    const BrowserLinkSettings& Links() const { return m_links; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

private:
    void SetUpIconButton(CIconButton& button, int id, HICON& icon, UINT iconId);

    BrowserLinkSettings m_links;
    CIconButton m_ok;
    CIconButton m_cancel;
    HICON m_okIcon = nullptr;
    HICON m_cancelIcon = nullptr;
};

// Opens the dialog on the settings (this module's resources must be current); true with the
// changed settings on OK.
bool EditLinkSettings(BrowserLinkSettings& links, CWnd* parent);
