#include "browser/info_view_bar.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/browser_resources.h"
#include "browser/browser_settings.h"
#include "browser/item_list.h"
#include "platform/cad/main_frame.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace {

namespace ui = platform::ui;

CInfoItem Item(const char* title, const char* text)
{
    CInfoItem item;
    item.SetTitle(title);
    item.AppendItemText(text);
    return item;
}

// Answers from a queue and keeps the entries of every menu asked about.
class MenuRecorder : public ui::AnswerQueue {
public:
    std::optional<ui::Answer> Next(const ui::Request& request) override
    {
        if (request.kind == ui::RequestKind::Menu)
            menus.push_back(request.choices);
        return ui::AnswerQueue::Next(request);
    }
    std::vector<std::vector<std::string>> menus;
};

class InfoView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(root.empty());
        platform::win::SetRoot(root);
        queue = std::make_shared<MenuRecorder>();
        ui::SetAnswerDriver(queue);
        ui::ClearTranscript();
        BrowserItems() = {Item("A", "a1"), Item("B", "b1"), Item("C", "c1")};
    }
    void TearDown() override
    {
        DropBrowserBar();
        ui::SetAnswerDriver(nullptr);
        BrowserItems().clear();
        platform::win::SetRoot("");
    }
    static CRect Rect(HWND hwnd)
    {
        CRect rect;
        ::GetWindowRect(hwnd, &rect);
        return rect;
    }
    dero::testing::TempFolder folder{"info-view"};
    const std::string& root = folder.path();
    std::shared_ptr<MenuRecorder> queue;
};

TEST_F(InfoView, ShowsOnceDocksAtTheBottomAndKeepsItsLayout)
{
    ShowBrowserBar();
    CInfoViewBar* bar = BrowserBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetToolID(), "{DB417657-88AA-4BAA-8CF4-B29429E03C77}");
    ui::UiDriver d(bar->m_hWnd);
    EXPECT_EQ(bar->Dialog().Tabs().GetItemCount(), 3);
    EXPECT_EQ(d.Text(202), "a1");

    // Closed by the user, shown again by the command; never a second bar.
    acedGetAcadFrame()->CloseControlBar(bar);
    EXPECT_FALSE(bar->IsWindowVisible());
    ShowBrowserBar();
    EXPECT_EQ(BrowserBar(), bar);
    EXPECT_TRUE(bar->IsWindowVisible());

    // Docked at the bottom, 200 pixels high; the text fills the width between the buttons' row
    // and the tab strip, which keeps 27 pixels below it.
    CRect frame = Rect(acedGetAcadFrame()->m_hWnd);
    CRect placed = Rect(bar->m_hWnd);
    EXPECT_EQ(placed.bottom - placed.top, 200);
    CRect dialog = Rect(bar->Dialog().m_hWnd);
    CRect text = Rect(d.Item(202));
    CRect tabs = Rect(d.Item(201));
    EXPECT_EQ(text.left, dialog.left + 2);
    EXPECT_EQ(text.right, dialog.right - 2);
    EXPECT_EQ(text.top, dialog.top + 22);
    EXPECT_EQ(text.bottom, dialog.bottom - 32);
    EXPECT_EQ(tabs.top, text.bottom);
    EXPECT_EQ(tabs.bottom - tabs.top, 27);
    acedGetAcadFrame()->MoveWindow(frame.left, frame.top, frame.Width() + 100, frame.Height());
    EXPECT_EQ(Rect(d.Item(202)).right, Rect(bar->Dialog().m_hWnd).right - 2);

    // Removing tab 0 of three shows the new tab 0; removing the last leaves an empty text.
    ASSERT_TRUE(d.ChooseTab(201, 0));
    RemoveItem("A");
    EXPECT_EQ(d.Text(202), "b1");
    RemoveItem("B");
    RemoveItem("C");
    EXPECT_EQ(bar->Dialog().Tabs().GetItemCount(), 0);
    EXPECT_EQ(d.Text(202), "");
    FindOrAddItemTab("D", "d1");
    FindOrAddItemTab("D", "d2");
    EXPECT_EQ(d.Text(202), "d1\r\nd2");
    ClearItem("D");
    EXPECT_EQ(d.Text(202), "");
}

TEST_F(InfoView, MenuAndSettingsDialogWithItsDefaultsAndRanges)
{
    ShowBrowserBar();
    CInfoViewBar* bar = BrowserBar();
    ASSERT_NE(bar, nullptr);
    ui::UiDriver d(bar->m_hWnd);

    // The menu button offers the five actions; "设置" opens the link settings on the defaults.
    std::vector<std::string> seen;
    queue->Push(ui::MenuAnswer(ID_INFO_SETTINGS));
    std::vector<std::string> buttons;
    queue->Push(ui::DialogAnswer(223, [&](ui::UiDriver& s) {
        seen = {s.IsChecked(211) ? "on" : "off", s.Text(224), s.Text(210), s.Text(232)};
        s.Spin(209, -1);  // the arrows stop at 0
        seen.push_back(s.Text(210));
        // OK and Cancel are icon buttons drawing icons 224 and 225.
        for (int id : {IDOK, IDCANCEL}) {
            HWND button = s.Item(id);
            ::RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            std::string icon = dynamic_cast<CIconButton*>(CWnd::FromHandlePermanent(button)) ? "icon button" : "plain";
            for (const std::string& line : ui::LastPaintOf(button))
                if (line.find("icon ") != std::string::npos) icon += line.substr(line.find("icon ") + 4, 4);
            buttons.push_back(icon);
        }
        s.SetText(224, "250");  // typed past the range: kept as typed
        s.SetText(215, "4");
        s.Check(211, false);
        s.Click(IDOK);
    }));
    ASSERT_TRUE(d.Click(208));
    d.Pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"on", "30", "0", "30", "0"}));
    EXPECT_EQ(buttons, (std::vector<std::string>{"icon button 224", "icon button 225"}));
    ASSERT_EQ(queue->menus.size(), 1u);
    std::string entries;
    for (const std::string& entry : queue->menus[0])
        entries += entry + ";";
    EXPECT_EQ(entries, "32768 打开;32769 保存;-;32770 导入;32771 导出;-;32772 设置;") << entries;
    EXPECT_EQ(ActiveLinkSettings().entity, (LinkSettings{0, 250, 0}));
    EXPECT_EQ(ActiveLinkSettings().point, (LinkSettings{1, 30, 4}));
    EXPECT_EQ(UsedZoomScale(ActiveLinkSettings().entity), kMaxZoomScale);
    EXPECT_EQ(ReadBrowserSettings().links, ActiveLinkSettings());

    // Cancel keeps everything.
    queue->Push(ui::DialogAnswer(223, [](ui::UiDriver& s) {
        s.SetText(224, "5");
        s.Click(IDCANCEL);
    }));
    ASSERT_TRUE(d.Click(206));
    d.Pump();
    EXPECT_EQ(ActiveLinkSettings().entity.scale, 250);
    EXPECT_EQ(queue->Pending(), 0u);
}

TEST_F(InfoView, SaveAndOpenThroughTheButtonsRebuildTheTabs)
{
    ShowBrowserBar();
    CInfoViewBar* bar = BrowserBar();
    ASSERT_NE(bar, nullptr);
    ui::UiDriver d(bar->m_hWnd);
    const std::string file = root + "/items.info";
    queue->Push(ui::SaveFileAnswer(file));
    queue->Push(ui::BoxAnswer(IDOK));
    ASSERT_TRUE(d.Click(203));
    d.Pump();

    RemoveItem("A");
    RemoveItem("B");
    EXPECT_EQ(bar->Dialog().Tabs().GetItemCount(), 1);
    queue->Push(ui::MenuAnswer(ID_INFO_OPEN));
    queue->Push(ui::OpenFileAnswer({file}));
    queue->Push(ui::BoxAnswer(IDYES));
    ASSERT_TRUE(d.Click(208));
    d.Pump();
    EXPECT_EQ(bar->Dialog().Tabs().GetItemCount(), 3);
    EXPECT_EQ(bar->Dialog().Tabs().GetCurSel(), 0);
    EXPECT_EQ(d.Text(202), "a1");
    EXPECT_EQ(BrowserItems().size(), 3u);
    EXPECT_EQ(queue->Pending(), 0u);
}

}  // namespace

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

TEST_F(InfoView, IconButtonsLightUpWhileHoveredAndSinkWhilePressed)
{
    ShowBrowserBar();
    CInfoViewBar* bar = BrowserBar();
    ASSERT_NE(bar, nullptr);
    ui::UiDriver d(bar->m_hWnd);
    d.Pump();
    HWND save = d.Item(203);
    const std::string caption = "  back-mode transparent\n  text-color 000000\n  text 19 0 31 18 centre \"保存\"\n";
    EXPECT_EQ(Joined(ui::LastPaintOf(save)), "copy 0 0 50 18 from 0 0\n  bitmap 50 18\n  fill 0 0 50 18 f0f0f0\n"
                                             "  icon 201 3 1 16 16\n" + caption);

    // Hovered: a raised frame; the button holds the capture to learn when the pointer leaves.
    ASSERT_TRUE(d.Hover(203));
    EXPECT_EQ(Joined(ui::LastPaintOf(save)), "copy 0 0 50 18 from 0 0\n  bitmap 50 18\n  fill 0 0 50 18 f0f0f0\n"
                                             "  frame 0 0 50 18 ffffff a0a0a0\n  icon 201 3 1 16 16\n" + caption);
    EXPECT_EQ(::GetCapture(), save);

    // Pressed: a sunken frame, icon and caption one pixel to the right and down.
    ::PostMessageA(save, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    d.Pump();
    ::RedrawWindow(save, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // a press does not repaint by itself here
    EXPECT_EQ(Joined(ui::LastPaintOf(save)),
              "copy 0 0 50 18 from 0 0\n  bitmap 50 18\n  fill 0 0 50 18 f0f0f0\n  frame 0 0 50 18 a0a0a0 ffffff\n"
              "  icon 201 4 2 16 16\n  back-mode transparent\n  text-color 000000\n"
              "  text 20 1 31 18 centre \"保存\"\n");
    // Dragged out with the button down: no longer lit, but the capture stays for the release.
    ::PostMessageA(save, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, 8));
    d.Pump();
    CIconButton* button = static_cast<CIconButton*>(CWnd::FromHandlePermanent(save));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(::GetCapture(), save);
    ::PostMessageA(save, WM_LBUTTONUP, 0, MAKELPARAM(80, 8));
    d.Pump();
    EXPECT_EQ(queue->Pending(), 0u);  // released outside: no save asked for

    // Moving to another button takes the light and the capture with it; leaving lets both go.
    ASSERT_TRUE(d.Hover(203));
    ASSERT_TRUE(d.Hover(210));
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(Joined(ui::LastPaintOf(save)), "copy 0 0 50 18 from 0 0\n  bitmap 50 18\n  fill 0 0 50 18 f0f0f0\n"
                                             "  icon 201 3 1 16 16\n" + caption);
    HWND font = d.Item(210);
    EXPECT_EQ(::GetCapture(), font);
    // No caption: the icon is centred.
    EXPECT_EQ(ui::LastPaintOf(font).back(), "  icon 221 1 1 16 16");
    ::PostMessageA(font, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 8));
    d.Pump();
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(ui::LastPaintOf(font).size(), 4u);  // copy, bitmap, fill, icon: no frame

    // Disabled: icon and caption greyed.
    ::EnableWindow(save, FALSE);
    ::RedrawWindow(save, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::vector<std::string> greyed = ui::LastPaintOf(save);
    EXPECT_NE(std::find(greyed.begin(), greyed.end(), "  icon 201 3 1 16 16 disabled"), greyed.end());
    EXPECT_NE(std::find(greyed.begin(), greyed.end(), "  text-color 6d6d6d"), greyed.end()) << Joined(greyed);
}

TEST_F(InfoView, ToolTipsSayWhereTheButtonsKeepTheItems)
{
    ShowBrowserBar();
    CInfoViewBar* bar = BrowserBar();
    ASSERT_NE(bar, nullptr);
    CInfoViewDialog& dialog = bar->Dialog();
    CToolTipCtrl& tips = dialog.ToolTips();
    ASSERT_NE(tips.m_hWnd, nullptr);
    EXPECT_EQ(tips.GetToolCount(), 2);
    CString text;
    tips.GetText(text, dialog.GetDlgItem(IDC_INFO_SAVE));
    EXPECT_EQ(text, CString("将信息保存到文件"));
    tips.GetText(text, dialog.GetDlgItem(IDC_INFO_EXPORT));
    EXPECT_EQ(text, CString("将信息保存到图中"));
    tips.GetText(text, dialog.GetDlgItem(IDC_INFO_OPEN));
    EXPECT_EQ(text, CString(""));

    // A second window of the dialog gets its own tips, not a second set on the old one.
    DropBrowserBar();
    ShowBrowserBar();
    ASSERT_NE(BrowserBar(), nullptr);
    EXPECT_EQ(BrowserBar()->Dialog().ToolTips().GetToolCount(), 2);
}

TEST_F(InfoView, HelpButtonExplainsTheBrowser)
{
    ShowBrowserBar();
    CInfoViewBar* bar = BrowserBar();
    ASSERT_NE(bar, nullptr);
    ui::UiDriver d(bar->m_hWnd);
    queue->Push(ui::BoxAnswer(IDOK));
    ASSERT_TRUE(d.Click(207));
    d.Pump();
    EXPECT_EQ(queue->Pending(), 0u);
    const std::string shown = Joined(ui::TranscriptLines());
    EXPECT_NE(shown.find("双击下方的标签"), std::string::npos) << shown;
    EXPECT_EQ(BrowserItems().size(), 3u);  // only explains, changes nothing
}

}  // namespace
