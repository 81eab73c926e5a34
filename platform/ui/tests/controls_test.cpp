// The controls, driven through the same messages as real input.
#include <string>
#include <vector>

#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_dialog.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/menus.h"
#include "platform/ui/ui_driver.h"
#include "test_support.h"

using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::UiDriver;

namespace {

// Everything the controls tell their parent.
struct Heard {
    std::vector<std::pair<int, UINT>> commands;  // id, code
    std::vector<UINT> notifications;
    std::vector<CHARRANGE> selections;
    std::vector<int> columns;
    BOOL refuseTabChange = FALSE;
};
Heard* g_heard = nullptr;

INT_PTR ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && g_heard) {
        g_heard->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    if (msg == WM_NOTIFY && g_heard) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        g_heard->notifications.push_back(header->code);
        if (header->code == EN_SELCHANGE) {
            g_heard->selections.push_back(reinterpret_cast<SELCHANGE*>(lParam)->chrg);
        }
        if (header->code == LVN_COLUMNCLICK) {
            g_heard->columns.push_back(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
        }
        if (header->code == TCN_SELCHANGING) {
            SetWindowLongPtr(hwnd, DWLP_MSGRESULT, g_heard->refuseTabChange);
        }
        return TRUE;
    }
    return FALSE;
}

class ControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_heard = &heard;
        platform::ui::DialogTemplate t;
        t.id = 1;
        t.caption = "controls";
        t.fontFace = "宋体";
        t.pointSize = 9;
        t.cx = 400;
        t.cy = 300;
        t.style = WS_POPUP | WS_CAPTION;
        t.controls = {
            Control(202, ControlKind::RichEdit, "", 7, 29, 185, 57,
                    ES_MULTILINE | ES_READONLY | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL),
            Control(201, ControlKind::TabControl, "Tab1", 13, 100, 170, 14, TCS_BOTTOM),
            Control(203, ControlKind::Edit, "", 200, 10, 60, 12),
            Control(204, ControlKind::ListView, "", 200, 30, 190, 100, LVS_REPORT),
            Control(205, ControlKind::Edit, "", 200, 140, 19, 12),
            Control(206, ControlKind::UpDown, "", 220, 140, 10, 12, UDS_SETBUDDYINT | UDS_ALIGNRIGHT),
            Control(207, ControlKind::ComboBox, "", 200, 160, 60, 100, CBS_DROPDOWNLIST),
            Control(208, ControlKind::TreeView, "", 7, 130, 150, 100, TVS_CHECKBOXES | TVS_LINESATROOT),
            Control(209, ControlKind::CheckBox, "居中缩放", 270, 140, 48, 10),
            Control(210, ControlKind::RadioButton, "同意", 270, 160, 48, 10, WS_GROUP),
            Control(211, ControlKind::RadioButton, "不同意", 270, 172, 48, 10),
        };
        dialog = platform::ui::CreateDialogFromTemplate(t, nullptr, &ParentProc, 0);
        ASSERT_TRUE(dialog);
        ShowWindow(dialog, SW_SHOW);
    }
    void TearDown() override {
        DestroyWindow(dialog);
        g_heard = nullptr;
        UiTest::TearDown();
        EXPECT_EQ(platform::ui::LiveWindowCount(), 0);
    }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }

    Heard heard;
    HWND dialog = nullptr;
};

TEST_F(ControlsTest, RichEditCountsBytesLinesAndReportsSelections) {
    CRichEditCtrl edit;
    ASSERT_TRUE(edit.SubclassWindow(Item(202)));
    edit.SetWindowText("第一行\r\nline two\r\n三");
    EXPECT_EQ(edit.GetTextLength(), 20);
    EXPECT_EQ(edit.GetLineCount(), 3);
    EXPECT_EQ(edit.LineIndex(1), 8);
    EXPECT_EQ(edit.LineIndex(2), 18);
    EXPECT_EQ(edit.LineIndex(3), -1);
    EXPECT_EQ(edit.LineLength(9), 8);
    EXPECT_EQ(edit.LineFromChar(19), 2);

    // No notification until the mask asks for it; positions inside a character snap back.
    edit.SetSel(1, 5);
    EXPECT_TRUE(heard.selections.empty());
    long start = 0;
    long end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 4);
    EXPECT_EQ(edit.SetEventMask(ENM_SELCHANGE | ENM_CHANGE), ENM_NONE);
    edit.SetSel(8, 12);
    ASSERT_EQ(heard.selections.size(), 1u);
    EXPECT_EQ(heard.selections[0].cpMax, 12);
    EXPECT_EQ(edit.GetSelText(), CString("line"));

    // A double-click selects the word under the pointer: the caret first, then the word.
    heard.selections.clear();
    UiDriver driver(dialog);
    ASSERT_TRUE(driver.DoubleClickTextAt(202, 10));
    ASSERT_EQ(heard.selections.size(), 2u);
    EXPECT_EQ(heard.selections[0].cpMin, heard.selections[0].cpMax);
    EXPECT_EQ(heard.selections[1].cpMin, 8);
    EXPECT_EQ(heard.selections[1].cpMax, 13);

    // Display settings come back as they were set.
    EXPECT_EQ(edit.SetBackgroundColor(FALSE, RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(edit.SetBackgroundColor(FALSE, RGB(4, 5, 6)), RGB(1, 2, 3));
    CHARFORMAT format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD;
    format.dwEffects = CFE_BOLD;
    format.yHeight = 240;
    format.bCharSet = 134;
    format.bPitchAndFamily = 49;
    std::strcpy(format.szFaceName, "黑体");
    edit.SetDefaultCharFormat(format);
    CHARFORMAT back;
    edit.GetDefaultCharFormat(back);
    EXPECT_STREQ(back.szFaceName, "黑体");
    EXPECT_EQ(back.yHeight, 240);
    EXPECT_EQ(back.bPitchAndFamily, 49);
    EXPECT_TRUE(back.dwEffects & CFE_BOLD);
    edit.UnsubclassWindow();
}

TEST_F(ControlsTest, EditTypingKeepsDoubleByteCharactersWhole) {
    UiDriver driver(dialog);
    ASSERT_TRUE(driver.Type(203, "房a"));
    EXPECT_EQ(driver.Text(203), "房a");
    driver.PressKey(VK_BACK);
    driver.PressKey(VK_BACK);
    EXPECT_EQ(driver.Text(203), "");
    SendMessage(Item(203), EM_LIMITTEXT, 3, 0);
    driver.Type(203, "房屋");
    EXPECT_EQ(driver.Text(203), "房");
    // Copy and paste act on the box's own text.
    driver.PressKey('A', true);
    driver.PressKey('C', true);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(driver.Text(203), "");
    driver.PressKey('V', true);
    EXPECT_EQ(driver.Text(203), "房");
    bool sawChange = false;
    bool sawMax = false;
    for (auto& [id, code] : heard.commands) {
        sawChange = sawChange || (id == 203 && code == EN_CHANGE);
        sawMax = sawMax || (id == 203 && code == EN_MAXTEXT);
    }
    EXPECT_TRUE(sawChange);
    EXPECT_TRUE(sawMax);
}

TEST_F(ControlsTest, TabsButtonsSpinAndCombo) {
    UiDriver driver(dialog);
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.SubclassWindow(Item(201)));
    tabs.InsertItem(0, "检查一");
    tabs.InsertItem(1, "检查二");
    tabs.InsertItem(2, "检查三");
    EXPECT_EQ(tabs.GetCurSel(), 0);
    ASSERT_TRUE(driver.ChooseTab(201, 2));
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_EQ(heard.notifications, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
    heard.refuseTabChange = TRUE;
    driver.ChooseTab(201, 1);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    tabs.DeleteItem(2);
    EXPECT_EQ(tabs.GetCurSel(), -1);
    tabs.UnsubclassWindow();

    driver.Check(209, true);
    EXPECT_TRUE(driver.IsChecked(209));
    driver.Click(211);
    driver.Click(210);
    EXPECT_TRUE(driver.IsChecked(210));
    EXPECT_FALSE(driver.IsChecked(211));

    SendMessage(Item(206), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(205)), 0);
    SendMessage(Item(206), UDM_SETRANGE32, 1, 100);
    SendMessage(Item(206), UDM_SETPOS32, 0, 99);
    EXPECT_EQ(driver.Text(205), "99");
    driver.Spin(206, 3);  // stops at the top of the range
    EXPECT_EQ(driver.Text(205), "100");
    driver.SetText(205, "150");  // the edit itself takes any number
    EXPECT_EQ(driver.Text(205), "150");
    EXPECT_EQ(SendMessage(Item(206), UDM_GETPOS32, 0, 0), 100);

    CComboBox combo;
    ASSERT_TRUE(combo.SubclassWindow(Item(207)));
    combo.AddString("地形");
    combo.AddString("DLTB");
    heard.commands.clear();
    ASSERT_TRUE(driver.ChooseEntry(207, 1));
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(driver.Text(207), "DLTB");
    combo.ShowDropDown(TRUE);
    driver.PressKeyIn(207, VK_ESCAPE);
    EXPECT_FALSE(combo.GetDroppedState());
    bool sawCancel = false;
    for (auto& [id, code] : heard.commands) {
        sawCancel = sawCancel || (id == 207 && code == CBN_SELENDCANCEL);
    }
    EXPECT_TRUE(sawCancel);
    combo.UnsubclassWindow();
}

TEST_F(ControlsTest, ListViewColumnsChecksHeadersAndHitTests) {
    CListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(Item(204)));
    list.SetExtendedStyle(list.GetExtendedStyle() | 0x27);
    list.InsertColumn(0, "选择", LVCFMT_LEFT, 130);
    list.InsertColumn(1, "路径", LVCFMT_LEFT, 330);
    list.InsertColumn(2, "表类型", LVCFMT_LEFT, 70);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        list.InsertItem(row, ("f" + std::to_string(row)).c_str());
        list.SetItemText(row, 1, ("c:\\data\\f" + std::to_string(row) + ".wt").c_str());
    }
    EXPECT_EQ(list.GetItemText(1, 1), CString("c:\\data\\f1.wt"));
    EXPECT_EQ(list.GetItemText(1, 2), CString(""));
    EXPECT_FALSE(list.GetCheck(0));

    UiDriver driver(dialog);
    driver.ToggleListCheck(204, 1);
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_FALSE(list.GetCheck(0));
    driver.ClickColumnHeader(204, 0);
    driver.ClickColumnHeader(204, 2);
    EXPECT_EQ(heard.columns, (std::vector<int>{0, 2}));

    driver.ClickListCell(204, 2, 1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    CRect cell;
    ASSERT_TRUE(list.GetSubItemRect(2, 2, LVIR_BOUNDS, cell));
    LVHITTESTINFO hit;
    hit.pt = cell.CenterPoint();
    list.SubItemHitTest(&hit);
    EXPECT_EQ(hit.iItem, 2);
    EXPECT_EQ(hit.iSubItem, 2);
    std::u16string wideText = u"宗地.wp";
    LVITEMA wide;
    wide.iSubItem = 2;
    wide.pszText = reinterpret_cast<LPSTR>(wideText.data());
    SendMessageW(list.m_hWnd, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&wide));
    EXPECT_EQ(list.GetItemText(0, 2), CString("宗地.wp"));
    char16_t out[16] = {};
    wide.pszText = reinterpret_cast<LPSTR>(out);
    wide.cchTextMax = 16;
    EXPECT_EQ(SendMessageW(list.m_hWnd, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&wide)), 5);
    EXPECT_TRUE(std::u16string(out) == wideText);
    list.DeleteItem(0);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_TRUE(list.GetCheck(0));
    list.UnsubclassWindow();
}

TEST_F(ControlsTest, TreeChecksAfterTheParentSawTheClick) {
    CTreeCtrl tree;
    ASSERT_TRUE(tree.SubclassWindow(Item(208)));
    HTREEITEM root = tree.InsertItem("setup list");
    HTREEITEM child = tree.InsertItem("host configs", root);
    tree.Expand(root, TVE_EXPAND);
    EXPECT_EQ(tree.GetChildItem(root), child);
    EXPECT_EQ(tree.GetParentItem(child), root);
    EXPECT_FALSE(tree.GetCheck(child));
    // Row 1, depth 1: the state icon starts two indents in.
    UiDriver driver(dialog);
    driver.ClickAt(Item(208), POINT{2 * 19 + 4, 16 + 8});
    EXPECT_TRUE(tree.GetCheck(child));
    EXPECT_EQ(heard.notifications.back(), NM_CLICK);
    // Wide callers put texts in and read them back in UTF-16.
    TVINSERTSTRUCTA insert;
    insert.hParent = root;
    insert.item.mask = TVIF_TEXT;
    std::u16string product = u"Product of Dero";
    insert.item.pszText = reinterpret_cast<LPSTR>(product.data());
    auto wideItem = reinterpret_cast<HTREEITEM>(SendMessageW(Item(208), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    ASSERT_TRUE(wideItem);
    EXPECT_EQ(tree.GetItemText(wideItem), CString("Product of Dero"));
    char16_t back[8] = {};
    TVITEMA get;
    get.mask = TVIF_TEXT;
    get.hItem = wideItem;
    get.pszText = reinterpret_cast<LPSTR>(back);
    get.cchTextMax = 8;
    EXPECT_TRUE(SendMessageW(Item(208), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get)));
    EXPECT_EQ(std::u16string(back), u"Product");  // cut to the caller's 8 units
    tree.DeleteItem(root);
    EXPECT_EQ(tree.GetCount(), 0u);
    tree.UnsubclassWindow();
}

TEST_F(ControlsTest, MultiLineEditsListBoxesProgressAndTabbing) {
    HWND multi = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, 0,
                                 200, 200, 36, dialog, reinterpret_cast<HMENU>(301), nullptr, nullptr);
    HWND numbers = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_UPPERCASE, 0,
                                   240, 50, 12, dialog, reinterpret_cast<HMENU>(302), nullptr, nullptr);
    SendMessage(multi, WM_SETFONT, SendMessage(dialog, WM_GETFONT, 0, 0), 0);
    UiDriver driver(dialog);
    driver.Type(301, "ab");
    driver.PressKey(VK_RETURN);  // wanted by the edit: a new line, not the default button
    driver.Type(301, "cd");
    EXPECT_EQ(driver.Text(301), "ab\r\ncd");
    EXPECT_EQ(SendMessage(multi, EM_GETLINECOUNT, 0, 0), 2);
    char line[16] = {};
    *reinterpret_cast<WORD*>(line) = sizeof line;
    EXPECT_EQ(SendMessage(multi, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 2);
    EXPECT_EQ(std::string(line, 2), "cd");
    for (int i = 0; i < 5; ++i) {
        SendMessage(multi, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\r\nmore"));
    }
    EXPECT_EQ(SendMessage(multi, EM_GETFIRSTVISIBLELINE, 0, 0), 4);  // three lines show; the caret is on line 6
    SendMessage(multi, EM_LINESCROLL, 0, -10);
    EXPECT_EQ(SendMessage(multi, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    driver.Type(302, "1a2");
    EXPECT_EQ(driver.Text(302), "12");
    SendMessage(numbers, EM_SETREADONLY, TRUE, 0);
    driver.Type(302, "3");
    EXPECT_EQ(driver.Text(302), "12");
    EXPECT_FALSE(driver.SetText(302, "9"));

    // Tab moves through the visible, enabled tab stops in order and wraps.
    EnableWindow(Item(203), FALSE);
    SetFocus(Item(202));
    driver.PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(201));
    driver.PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(204));  // 203 is disabled
    driver.PressKey(VK_TAB, false, true);
    EXPECT_EQ(GetFocus(), Item(201));

    HWND list = CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY, 0, 300, 100, 80, dialog,
                                reinterpret_cast<HMENU>(303), nullptr, nullptr);
    for (const char* text : {"线", "Beta", "alpha"}) {
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    char text[16] = {};
    SendMessage(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "alpha");
    EXPECT_EQ(SendMessage(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("BETA")), 1);
    heard.commands.clear();
    driver.ChooseEntry(303, 2);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
    std::erase_if(heard.commands, [](auto& c) { return c.first != 303; });
    ASSERT_EQ(heard.commands.size(), 1u);
    EXPECT_EQ(heard.commands[0].second, static_cast<UINT>(LBN_SELCHANGE));
    SendMessage(list, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);

    CProgressCtrl progress;
    ASSERT_TRUE(progress.SubclassWindow(CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 100, 10, dialog,
                                                        reinterpret_cast<HMENU>(304), nullptr, nullptr)));
    progress.SetRange32(10, 20);
    EXPECT_EQ(progress.SetPos(50), 10);
    EXPECT_EQ(progress.GetPos(), 20);
    progress.SetStep(4);
    progress.SetPos(18);
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 12);  // past the end it starts again
    progress.UnsubclassWindow();
}

TEST_F(ControlsTest, RichEditRangesLinesAndChangeNotices) {
    HWND edit = Item(202);
    SetWindowTextA(edit, "a\nb\r\n\r\nlast");  // a lone line feed also ends a line
    EXPECT_EQ(SendMessage(edit, EM_GETLINECOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessage(edit, EM_LINEINDEX, 3, 0), 7);
    EXPECT_EQ(SendMessage(edit, EM_LINELENGTH, 7, 0), 4);
    EXPECT_EQ(SendMessage(edit, EM_LINELENGTH, 5, 0), 0);
    EXPECT_EQ(SendMessage(edit, EM_EXLINEFROMCHAR, 0, 100), 3);
    char buffer[8] = {};
    TEXTRANGEA range;
    range.chrg = CHARRANGE{7, -1};
    range.lpstrText = buffer;
    EXPECT_EQ(SendMessage(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)), 4);
    EXPECT_STREQ(buffer, "last");

    // EN_CHANGE only while the mask asks for it.
    heard.commands.clear();
    SendMessage(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_TRUE(heard.commands.empty());
    SendMessage(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessage(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("y"));
    ASSERT_EQ(heard.commands.size(), 1u);
    EXPECT_EQ(heard.commands[0].second, static_cast<UINT>(EN_CHANGE));
    UiDriver driver(dialog);
    EXPECT_FALSE(driver.SetText(202, "typed"));  // read-only to a person
    EXPECT_TRUE(Logged("set 202: the edit is read-only; nothing happens"));
}

TEST_F(ControlsTest, CombosAndSpinsFollowTheirStyles) {
    HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_SORT, 0, 0, 100, 100,
                                 dialog, reinterpret_cast<HMENU>(310), nullptr, nullptr);
    for (const char* text : {"线型", "DLTB", "dltb_2", "面"}) {
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("dltb")), 0);
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("DLTB_2")), 1);
    EXPECT_EQ(SendMessage(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("线")), 3);
    char text[16] = {};
    GetWindowTextA(combo, text, sizeof text);
    EXPECT_STREQ(text, "线型");
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 9, 0), CB_ERR);
    UiDriver driver(dialog);
    heard.commands.clear();
    EXPECT_TRUE(driver.SetText(310, "自定义"));  // a drop-down (not a list) takes typing
    ASSERT_FALSE(heard.commands.empty());
    EXPECT_EQ(heard.commands.back().second, static_cast<UINT>(CBN_EDITCHANGE));
    EXPECT_FALSE(driver.SetText(207, "x"));       // the drop-down list does not

    // A spin with the default range counts down as the up arrow is pressed; UDS_WRAP goes round.
    HWND spin = Item(206);
    SendMessage(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(205)), 0);
    SendMessage(spin, UDM_SETPOS32, 0, 5);
    driver.Spin(206, 1);
    EXPECT_EQ(driver.Text(205), "4");
    SendMessage(spin, UDM_SETRANGE, 0, MAKELPARAM(9, 0));
    SetWindowLongA(spin, GWL_STYLE, GetWindowLongA(spin, GWL_STYLE) | UDS_WRAP);
    SendMessage(spin, UDM_SETPOS32, 0, 9);
    driver.Spin(206, 1);
    EXPECT_EQ(driver.Text(205), "0");
    driver.Spin(206, -1);
    EXPECT_EQ(driver.Text(205), "9");
    EXPECT_EQ(SendMessage(spin, UDM_GETRANGE, 0, 0), MAKELONG(9, 0));
}

TEST_F(ControlsTest, PopupMenusTakeTheAnsweredEntry) {
    HINSTANCE module = platform::ui::CreateResourceModule("menus");
    platform::ui::MenuTemplate menu;
    menu.id = 216;
    menu.items = {{0, "popup", {{32768, "打开", {}}, {32769, "保存", {}}, {0, "", {}}, {32772, "设置", {}}}}};
    platform::ui::AddMenu(module, menu);
    EXPECT_EQ(LoadMenu(nullptr, MAKEINTRESOURCE(216)), nullptr);  // not the current module
    platform::ui::ResourceScope scope(module);
    HMENU loaded = LoadMenu(nullptr, MAKEINTRESOURCE(216));
    ASSERT_TRUE(loaded);
    HMENU popup = GetSubMenu(loaded, 0);
    EXPECT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(GetMenuItemID(popup, 2), 0u);

    queue->Push(platform::ui::MenuAnswer(32769));
    EXPECT_TRUE(TrackPopupMenu(popup, TPM_LEFTALIGN, 10, 20, 0, dialog, nullptr));
    EXPECT_TRUE(heard.commands.empty());  // the command is posted
    platform::ui::PumpPendingMessages();
    ASSERT_EQ(heard.commands.size(), 1u);
    EXPECT_EQ(heard.commands[0].first, 32769);

    EnableMenuItem(popup, 32772, MF_GRAYED);
    queue->Push(platform::ui::MenuAnswer(32772));
    EXPECT_FALSE(TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, dialog, nullptr));
    EXPECT_FALSE(TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, dialog, nullptr));  // unanswered
    EXPECT_TRUE(Logged("menu entry 32772 cannot be picked")) << Transcript();
    DestroyMenu(loaded);
}

}  // namespace
