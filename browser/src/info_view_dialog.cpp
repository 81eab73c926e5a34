#include "browser/info_view_dialog.h"

#include <iterator>
#include <utility>

#include "browser/browser_resources.h"
#include "browser/browser_settings.h"
#include "browser/info_store.h"
#include "browser/item_list.h"
#include "browser/link_activation.h"
#include "browser/link_settings_dialog.h"
#include "platform/ui/afx_common_dialogs.h"
#include "platform/ui/afx_data_exchange.h"
#include "platform/ui/afx_menu.h"
#include "platform/ui/icons.h"
#include "platform/ui/menus.h"

namespace {

constexpr DWORD kAllTextEvents = 0xFFFFFFFF;

struct ButtonIcon {
    UINT button;
    UINT icon;
    int size;
};

// In the order of the dialog's button members.
constexpr ButtonIcon kButtonIcons[9] = {
    {IDC_INFO_BACKGROUND, 222, 16}, {IDC_INFO_FONT, 221, 16}, {IDC_INFO_EXPORT, 220, 16},
    {IDC_INFO_MENU, 215, 32},       {IDC_INFO_HELP, 208, 16}, {IDC_INFO_SETTINGS, 204, 16},
    {IDC_INFO_IMPORT, 218, 16},     {IDC_INFO_OPEN, 206, 16}, {IDC_INFO_SAVE, 201, 16},
};

constexpr const char* kHelpText =
    "信息浏览器\n\n"
    "双击文字中的一行: 定位并闪烁该行关联的图形。\n"
    "双击下方的标签: 删除该条信息。\n"
    "保存/打开: 把全部信息存入或读出信息文件(.info)。\n"
    "导出/导入: 把全部信息存入或读出当前图形。\n"
    "设置: 关联图形的定位比例和闪烁次数; 右侧两个按钮设置字体和背景颜色。";

// The settings are read from the registry once per module lifetime, when the first dialog starts.
bool g_settingsLoaded = false;

}  // namespace

BEGIN_MESSAGE_MAP(CInfoViewDialog, CDialog)
ON_WM_SIZE()
ON_NOTIFY(TCN_SELCHANGE, IDC_INFO_TABS, OnTabChanged)
ON_NOTIFY(EN_SELCHANGE, IDC_INFO_TEXT, OnTextSelectionChanged)
ON_BN_CLICKED(IDC_INFO_SAVE, OnSave)
ON_BN_CLICKED(IDC_INFO_OPEN, OnOpen)
ON_BN_CLICKED(IDC_INFO_EXPORT, OnExport)
ON_BN_CLICKED(IDC_INFO_IMPORT, OnImport)
ON_BN_CLICKED(IDC_INFO_SETTINGS, OnSettings)
ON_BN_CLICKED(IDC_INFO_FONT, OnFont)
ON_BN_CLICKED(IDC_INFO_BACKGROUND, OnBackground)
ON_BN_CLICKED(IDC_INFO_MENU, OnMenuButton)
ON_BN_CLICKED(IDC_INFO_HELP, OnHelp)
ON_COMMAND(ID_INFO_OPEN, OnOpen)
ON_COMMAND(ID_INFO_SAVE, OnSave)
ON_COMMAND(ID_INFO_IMPORT, OnImport)
ON_COMMAND(ID_INFO_EXPORT, OnExport)
ON_COMMAND(ID_INFO_SETTINGS, OnSettings)
END_MESSAGE_MAP()

CInfoViewDialog::CInfoViewDialog() : CDialog(IDD_INFO_VIEW) {}

CInfoViewDialog::~CInfoViewDialog() {
    for (HICON icon : m_icons)
        if (icon != nullptr) DestroyIcon(icon);
}

void CInfoViewDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_INFO_TEXT, m_text);
    DDX_Control(dx, IDC_INFO_TABS, m_tabs);
    DDX_Text(dx, IDC_INFO_TEXT, m_shownText);
}

BOOL CInfoViewDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_text.SetEventMask(kAllTextEvents);
    // Every window of the dialog needs its own buttons and tips, so these are set up per window;
    // only the settings are read once.
    SetUpButtons();
    SetUpToolTips();
    if (!g_settingsLoaded) {
        g_settingsLoaded = true;
        BrowserSettings settings = ReadBrowserSettings();
        ActiveLinkSettings() = settings.links;
        if (settings.charFormat) m_text.SetDefaultCharFormat(*settings.charFormat);
        m_text.SetBackgroundColor(FALSE, settings.background);
    }
    return TRUE;
}

void CInfoViewDialog::SetUpButtons() {
    for (std::size_t i = 0; i < std::size(kButtonIcons); ++i) {
        const ButtonIcon& b = kButtonIcons[i];
        if (m_buttons[i].m_hWnd == nullptr && !m_buttons[i].SubclassDlgItem(b.button, this)) continue;
        m_buttons[i].SetUp();
        if (m_icons[i] == nullptr)
            m_icons[i] = static_cast<HICON>(
                LoadImage(BrowserResources(), MAKEINTRESOURCE(b.icon), IMAGE_ICON, b.size, b.size, LR_DEFAULTCOLOR));
        m_buttons[i].SetIcons(m_icons[i], m_icons[i], b.size, b.size);
    }
}

void CInfoViewDialog::SetUpToolTips() {
    EnableToolTips(TRUE);
    if (m_toolTips.m_hWnd == nullptr && !m_toolTips.Create(this)) return;
    m_toolTips.Activate(TRUE);
    // The save button writes a file; it is the export button that keeps the items in the drawing.
    m_toolTips.AddTool(GetDlgItem(IDC_INFO_SAVE), "将信息保存到文件");
    m_toolTips.AddTool(GetDlgItem(IDC_INFO_EXPORT), "将信息保存到图中");
}

void CInfoViewDialog::PushText(std::string text) {
    m_shownText = CString(text.data(), static_cast<int>(text.size()));
    UpdateData(FALSE);
}

void CInfoViewDialog::RebuildTabs() {
    m_tabs.DeleteAllItems();
    const std::vector<CInfoItem>& items = BrowserItems();
    for (std::size_t i = 0; i < items.size(); ++i) m_tabs.InsertItem(static_cast<int>(i), items[i].Title().c_str());
    if (items.empty()) {
        PushText({});
        return;
    }
    m_tabs.SetCurFocus(0);
    m_tabs.SetCurSel(0);
    PushText(items[0].Text());
}

void CInfoViewDialog::ShowItemText() {
    const int chosen = m_tabs.GetCurSel();
    const std::vector<CInfoItem>& items = BrowserItems();
    PushText(chosen >= 0 && static_cast<std::size_t>(chosen) < items.size() ? items[chosen].Text() : std::string());
}

void CInfoViewDialog::OnTabChanged(NMHDR*, LRESULT* result) {
    ShowItemText();
    *result = 0;
}

void CInfoViewDialog::OnTextSelectionChanged(NMHDR*, LRESULT* result) {
    const int chosen = m_tabs.GetCurSel();
    const std::vector<CInfoItem>& items = BrowserItems();
    ActivateLink(m_text, chosen >= 0 && static_cast<std::size_t>(chosen) < items.size() ? &items[chosen] : nullptr);
    *result = 0;
}

void CInfoViewDialog::OnSize(UINT, int, int) {
    if (m_text.m_hWnd == nullptr || m_tabs.m_hWnd == nullptr) return;
    CRect area;
    GetWindowRect(&area);
    ScreenToClient(&area);
    area.DeflateRect(2, 2);
    CRect text(area.left, area.top + 20, area.right, area.bottom - 30);
    m_text.MoveWindow(&text);
    m_tabs.MoveWindow(area.left, text.bottom, area.Width(), 27);
}

BOOL CInfoViewDialog::PreTranslateMessage(MSG* msg) {
    // Escape would end the dialog and leave an empty bar.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return TRUE;
    if (msg->message == WM_LBUTTONDBLCLK && msg->hwnd == m_tabs.m_hWnd) {
        RemoveChosenTab();
        return TRUE;
    }
    if (m_toolTips.m_hWnd != nullptr) m_toolTips.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

void CInfoViewDialog::RemoveChosenTab() {
    const int chosen = m_tabs.GetCurSel();
    std::vector<CInfoItem>& items = BrowserItems();
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= items.size()) return;
    items.erase(items.begin() + chosen);
    ShowAfterRemoval(static_cast<std::size_t>(chosen));
}

void CInfoViewDialog::ShowAfterRemoval(std::size_t index) {
    m_tabs.DeleteItem(static_cast<int>(index));
    if (BrowserItems().empty()) {
        PushText({});
        return;
    }
    m_tabs.SetCurSel(index > 0 ? static_cast<int>(index) - 1 : 0);
    ShowItemText();
}

void CInfoViewDialog::SelectTab(std::size_t index) {
    m_tabs.SetCurFocus(static_cast<int>(index));
    m_tabs.SetCurSel(static_cast<int>(index));
}

void CInfoViewDialog::ItemTextAdded(std::size_t index, bool newItem) {
    if (newItem) m_tabs.InsertItem(static_cast<int>(index), BrowserItems()[index].Title().c_str());
    SelectTab(index);
    PushText(BrowserItems()[index].Text());
    // The newest lines are the ones to read.
    m_text.SendMessage(EM_LINESCROLL, 0, m_text.SendMessage(EM_GETLINECOUNT));
}

void CInfoViewDialog::ItemCleared(std::size_t index) {
    m_tabs.SetCurSel(static_cast<int>(index));
    PushText({});
}

void CInfoViewDialog::ItemRemoved(std::size_t index) { ShowAfterRemoval(index); }

void CInfoViewDialog::OnSave() { SaveInfoFile(); }

void CInfoViewDialog::OnOpen() {
    if (OpenInfoFile()) RebuildTabs();
}

void CInfoViewDialog::OnExport() { ExportItemsToDrawing(); }

void CInfoViewDialog::OnImport() {
    if (ImportItemsFromDrawing()) RebuildTabs();
}

void CInfoViewDialog::OnSettings() {
    platform::ui::ResourceScope scope(BrowserResources());
    BrowserLinkSettings links = ActiveLinkSettings();
    if (EditLinkSettings(links, this) && WriteLinkSettings(links)) ActiveLinkSettings() = links;
}

void CInfoViewDialog::OnFont() {
    CHARFORMATA format;
    m_text.GetDefaultCharFormat(format);
    CFontDialog dialog(format, CF_SCREENFONTS, nullptr, this);
    if (dialog.DoModal() != IDOK) return;
    dialog.GetCharFormat(format);
    m_text.SetDefaultCharFormat(format);
    if (WriteFontSettings(format)) Invalidate();
}

void CInfoViewDialog::OnBackground() {
    CColorDialog dialog(0, 0, this);
    if (dialog.DoModal() != IDOK) return;
    // The colour is applied only when it can be kept, so what is shown is what the next run shows.
    if (!WriteBackgroundColor(dialog.GetColor())) return;
    m_text.SetBackgroundColor(FALSE, dialog.GetColor());
    Invalidate();
}

void CInfoViewDialog::OnMenuButton() {
    platform::ui::ResourceScope scope(BrowserResources());
    CMenu menu;
    if (!menu.LoadMenu(IDR_INFO_MENU)) return;
    CMenu* popup = menu.GetSubMenu(0);
    if (popup == nullptr) return;
    CRect button;
    GetDlgItem(IDC_INFO_MENU)->GetWindowRect(&button);
    popup->TrackPopupMenu(TPM_LEFTALIGN, button.left, button.bottom + 4, this);
}

void CInfoViewDialog::OnHelp() { AfxMessageBox(kHelpText, MB_ICONINFORMATION); }
