// What the setup sheet's and the patch sheet's pages do alike: the sheet's buttons, the texts a
// worker sends them, and the progress bar and status line of their progress pages.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/afx_property_sheet.h"
#include "platform/ui/afx_wnd.h"
#include "platform/ui/common_controls.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/globals.h"

namespace Setup::page {

inline void SetButtons(CWnd* page, LPARAM flags) {
    if (CWnd* sheet = page->GetParent()) ::PostMessageA(sheet->m_hWnd, PSM_SETWIZBUTTONS, 0, flags);
}

inline HWND SheetItem(const CWnd* page, int id) {
    CWnd* sheet = page->GetParent();
    return sheet ? ::GetDlgItem(sheet->m_hWnd, id) : nullptr;
}

// Takes a text a worker sent: the page owns the block.
inline std::u16string TakeText(LPARAM lParam, bool* wasNull = nullptr) {
    auto* block = reinterpret_cast<WCHAR*>(lParam);
    if (wasNull) *wasNull = block == nullptr;
    std::u16string text = block ? std::u16string(block) : std::u16string();
    delete[] block;
    return text;
}

// The dialog of a wizard page: a child of the sheet, as wide as every page.
inline platform::ui::DialogTemplate PageDialog(UINT id, int cy,
                                               std::vector<platform::ui::ControlTemplate> controls) {
    platform::ui::DialogTemplate dialog;
    dialog.id = id;
    dialog.style = WS_CHILD;
    dialog.cx = 317;
    dialog.cy = cy;
    dialog.controls = std::move(controls);
    return dialog;
}

// A page shown under the wizard's header with its own title and subtitle (GBK).
inline void SetPageHeader(CPropertyPage& page, LPCSTR title, LPCSTR subtitle) {
    page.m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
    page.m_psp.pszHeaderTitle = title;
    page.m_psp.pszHeaderSubTitle = subtitle;
}

// The wizard's header and watermark: the pictures the package brought, else the program's own.
inline void UseWizardPictures(CPropertySheet& sheet) {
    sheet.m_psh.dwFlags |= PSH_WIZARD97 | PSH_WATERMARK | PSH_HEADER;
    auto picture = [](const std::u16string& file, UINT resource) {
        HANDLE image = nullptr;
        if (!file.empty() && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
            image = LoadImageW(nullptr, file.c_str(), 0, 0, 0, LR_LOADFROMFILE);
        return image ? static_cast<HBITMAP>(image)
                     : LoadBitmapW(SetupResources(), MakeIntResourceW(resource));
    };
    sheet.m_psh.hbmWatermark = picture(g_watermarkPath, IDB_WATERMARK);
    sheet.m_psh.hbmHeader = picture(g_headerPath, IDB_HEADER);
}

// The controls of a progress page.
constexpr int kProgressBar = 1000;
constexpr int kStatusLine = 1005;

// Shows a position line on the status line, or the default text when the worker sent none.
// Returns whether there was a line (it then belongs in the details too).
inline bool ShowPositionLine(HWND page, const std::u16string& text, bool none) {
    if (none) {
        ::SetDlgItemTextA(page, kStatusLine, "正在安装...");
        return false;
    }
    ::SetDlgItemTextW(page, kStatusLine, text.c_str());
    return true;
}

// Moves the bar to a position a worker sent, when it lies in the range.
inline void MoveProgressBar(HWND page, WPARAM position, int lower, int upper) {
    const auto at = static_cast<int>(position);
    if (lower <= at && at < upper) ::SendDlgItemMessageA(page, kProgressBar, PBM_SETPOS, position, 0);
}

// Takes the range a worker sent (upper bound in wParam, lower bound in lParam) and sets the bar to it.
inline void SetProgressRange(HWND page, WPARAM wParam, LPARAM lParam, int* lower, int* upper) {
    *lower = LOWORD(lParam);
    *upper = LOWORD(wParam);
    ::SendDlgItemMessageA(page, kProgressBar, PBM_SETRANGE32, static_cast<WPARAM>(*lower), *upper);
}

// The end of a run on a progress page: its last line goes on the sheet's Cancel button, which is
// enabled again, and on the status line; the bar stands at `position`. Returns the Cancel button.
inline HWND ShowRunEnd(CWnd* page, const std::u16string& text, int position) {
    HWND cancel = SheetItem(page, IDCANCEL);
    ::SetWindowTextW(cancel, text.c_str());
    ::EnableWindow(cancel, TRUE);
    ::SetDlgItemTextW(page->m_hWnd, kStatusLine, text.c_str());
    ::SendDlgItemMessageA(page->m_hWnd, kProgressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    return cancel;
}

}  // namespace Setup::page
