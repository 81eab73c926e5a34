// The editable grid driven as a person would: double clicks, typing, keys and choices, with a
// dialog around it so that the editors' notifications come back to the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gisexchange/grid_list.h"
#include "platform/ui/afx_dc.h"
#include "platform/ui/afx_dialog.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"

namespace {

using gisexchange::CGridListCtrl;
using gisexchange::kCellComboId;
using gisexchange::kCellEditId;
using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::UiDriver;

constexpr int kListId = 200;
constexpr UINT kTemplateId = 901;

HINSTANCE GridResources()
{
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("grid");
        platform::ui::DialogTemplate t;
        t.id = kTemplateId;
        t.caption = "grid";
        t.cx = 300;
        t.cy = 160;
        t.style = WS_POPUP | WS_CAPTION;
        t.controls = {Control(kListId, ControlKind::ListView, "", 5, 5, 200, 120, LVS_REPORT | LVS_SHOWSELALWAYS),
                      Control(IDOK, ControlKind::PushButton, "确定", 220, 140, 50, 14)};
        platform::ui::AddDialog(m, t);
        return m;
    }();
    return module;
}

class CGridHost : public CDialog {
public:
    CGridListCtrl grid;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        grid.SubclassDlgItem(kListId, this);
        grid.InsertColumn(0, "选择", LVCFMT_LEFT, 60);
        grid.InsertColumn(1, "路径", LVCFMT_LEFT, 80);
        grid.InsertColumn(2, "表类型", LVCFMT_LEFT, 70);
        for (const char* name : {"a.wt", "b.wt", "c.wt"}) {
            const int row = grid.InsertItem(grid.GetItemCount(), name);
            grid.SetItemText(row, 1, "path");
            grid.SetItemText(row, 2, "地形");
        }
        return TRUE;
    }
};

class GridList : public ::testing::Test {
protected:
    void SetUp() override
    {
        answers_ = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
        previous_ = platform::ui::CurrentResources();
        platform::ui::SetCurrentResources(GridResources());
        ASSERT_TRUE(host.Create(kTemplateId));
        host.ShowWindow(SW_SHOW);
        driver = std::make_unique<UiDriver>(host.GetSafeHwnd());
    }
    void TearDown() override
    {
        host.DestroyWindow();
        platform::ui::SetCurrentResources(previous_);
        platform::ui::SetAnswerDriver(nullptr);
    }
    std::string Cell(int row, int column) { return static_cast<const char*>(host.grid.GetItemText(row, column)); }

    CGridHost host;
    std::unique_ptr<UiDriver> driver;

private:
    HINSTANCE previous_ = nullptr;
    std::shared_ptr<platform::ui::AnswerQueue> answers_;
};

TEST_F(GridList, EditBoxWritesOnEnterKeepsOnEscapeAndWidensOnlyToTheListEdge)
{
    ASSERT_TRUE(driver->ClickListCell(kListId, 1, 1, true));
    ASSERT_TRUE(driver->Exists(kCellEditId)) << "a double click on a cell opens an edit box";
    EXPECT_EQ(driver->Text(kCellEditId), "path");
    driver->SetText(kCellEditId, "d:\\新\\x.wt");
    ASSERT_TRUE(driver->PressKey(VK_RETURN));
    EXPECT_FALSE(driver->Exists(kCellEditId));
    EXPECT_EQ(Cell(1, 1), "d:\\新\\x.wt");

    ASSERT_TRUE(driver->ClickListCell(kListId, 1, 1, true));
    driver->SetText(kCellEditId, "thrown away");
    ASSERT_TRUE(driver->PressKey(VK_ESCAPE));
    EXPECT_FALSE(driver->Exists(kCellEditId));
    EXPECT_EQ(Cell(1, 1), "d:\\新\\x.wt") << "Escape keeps the old text";

    // A long text widens the box, but never past the list's right edge.
    ASSERT_TRUE(driver->ClickListCell(kListId, 0, 1, true));
    HWND edit = driver->Item(kCellEditId);
    RECT before{}, list{};
    GetWindowRect(edit, &before);
    ASSERT_TRUE(driver->Type(kCellEditId, std::string(200, 'W')));
    RECT after{};
    GetWindowRect(edit, &after);
    GetWindowRect(host.grid.GetSafeHwnd(), &list);
    RECT client{};
    GetClientRect(host.grid.GetSafeHwnd(), &client);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_LE(after.right, list.left + client.right);

    // Ctrl+C and Ctrl+V act on the box: the pasted copy doubles its text.
    driver->SetText(kCellEditId, "ab");
    SendMessageA(edit, EM_SETSEL, 0, -1);
    ASSERT_TRUE(driver->PressKey('C', true));
    SendMessageA(edit, EM_SETSEL, 2, 2);
    ASSERT_TRUE(driver->PressKey('V', true));
    EXPECT_EQ(driver->Text(kCellEditId), "abab");
    ASSERT_TRUE(driver->PressKey(VK_RETURN));
    EXPECT_EQ(Cell(0, 1), "abab");
}

TEST_F(GridList, CurrentColumnStaysInsideAndReadOnlyKeepsTheFirstDeclaration)
{
    host.grid.SetColumnReadOnly(0, 1);
    host.grid.SetColumnReadOnly(0, 0);
    host.grid.SetColumnReadOnly(7, 1);  // no such column: ignored
    host.grid.SetColumnReadOnly(-1, 1);
    EXPECT_EQ(host.grid.IsColumnReadOnly(0), 1);
    EXPECT_EQ(host.grid.IsColumnReadOnly(7), 0);
    EXPECT_EQ(host.grid.IsColumnReadOnly(-1), 0);

    ASSERT_TRUE(driver->ClickListCell(kListId, 2, 0, true));
    EXPECT_FALSE(driver->Exists(gisexchange::kLabelEditId)) << "a read-only column opens no editor";
    EXPECT_EQ(host.grid.CurrentColumn(), 0);
    ASSERT_TRUE(driver->PressKey(VK_LEFT));
    EXPECT_EQ(host.grid.CurrentColumn(), 0);
    ASSERT_TRUE(driver->PressKey(VK_RIGHT));
    ASSERT_TRUE(driver->PressKey(VK_RIGHT));
    ASSERT_TRUE(driver->PressKey(VK_RIGHT));
    EXPECT_EQ(host.grid.CurrentColumn(), 2);
    ASSERT_TRUE(driver->PressKey(VK_LEFT));
    EXPECT_EQ(host.grid.CurrentColumn(), 1);
    ASSERT_TRUE(driver->PressKey(VK_RETURN));
    EXPECT_TRUE(driver->Exists(kCellEditId)) << "Enter edits the current cell";
}

TEST_F(GridList, ChoicesAreWrittenToEverySelectedRowUnlessCancelled)
{
    host.grid.SetColumnChoices(2, "A;B;");
    host.grid.SetColumnChoices(2, "X");
    host.grid.SetColumnChoices(3, "Y");  // no such column: ignored
    std::vector<std::string> choices;
    ASSERT_TRUE(host.grid.GetColumnChoices(2, choices));
    EXPECT_EQ(choices, (std::vector<std::string>{"A", "B", ""}));
    EXPECT_FALSE(host.grid.GetColumnChoices(3, choices));
    EXPECT_FALSE(host.grid.GetColumnChoices(1, choices));

    // Escape writes nothing.
    ASSERT_TRUE(driver->ClickListCell(kListId, 0, 2, true));
    ASSERT_TRUE(driver->Exists(kCellComboId));
    ASSERT_TRUE(driver->PressKey(VK_ESCAPE));
    driver->Pump();
    EXPECT_FALSE(driver->Exists(kCellComboId));
    EXPECT_EQ(Cell(0, 2), "地形");

    // Closing the list with no choice writes nothing either.
    ASSERT_TRUE(driver->ClickListCell(kListId, 0, 2, true));
    ASSERT_TRUE(driver->Exists(kCellComboId));
    SendMessageA(driver->Item(kCellComboId), CB_SHOWDROPDOWN, FALSE, 0);
    driver->Pump();
    EXPECT_FALSE(driver->Exists(kCellComboId));
    EXPECT_EQ(Cell(0, 2), "地形");

    // With rows 0 and 2 selected, the choice goes to both.
    host.grid.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    host.grid.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    host.grid.SetFocus();
    ASSERT_TRUE(driver->PressKey(VK_RETURN));
    ASSERT_TRUE(driver->Exists(kCellComboId));
    ASSERT_TRUE(driver->ChooseEntry(kCellComboId, 1));
    driver->Pump();
    EXPECT_FALSE(driver->Exists(kCellComboId));
    EXPECT_EQ(Cell(0, 2), "B");
    EXPECT_EQ(Cell(1, 2), "地形");
    EXPECT_EQ(Cell(2, 2), "B");
}

// A row drawn into a recording device context: grey read-only cells on unselected rows, the
// current cell marked on the selected one, long texts shortened.
TEST_F(GridList, RowsAreDrawnWithReadOnlyGreyAndTheCurrentCell)
{
    host.grid.SetColumnReadOnly(1, 1);
    host.grid.SetItemText(0, 2, "a rather long text that cannot fit into seventy pixels");
    auto draw = [&](int row) {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        DRAWITEMSTRUCT item;
        item.CtlType = 102;
        item.itemID = static_cast<UINT>(row);
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = host.grid.GetSafeHwnd();
        item.hDC = dc.GetSafeHdc();
        host.grid.GetItemRect(row, &item.rcItem, LVIR_BOUNDS);
        host.grid.DrawItem(&item);
        std::string all;
        for (const std::string& line : platform::ui::DrawingOf(dc.GetSafeHdc()))
            all += line + "\n";
        return all;
    };
    const std::string plain = draw(0);
    EXPECT_NE(plain.find(" e6e6e6\n"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("focus"), std::string::npos) << plain;
    EXPECT_NE(plain.find("...\""), std::string::npos) << plain;
    EXPECT_EQ(plain.find("seventy"), std::string::npos) << plain;

    ASSERT_TRUE(driver->ClickListCell(kListId, 1, 2));
    const std::string selected = draw(1);
    EXPECT_EQ(selected.find(" e6e6e6\n"), std::string::npos) << "selected rows are not greyed: " << selected;
    EXPECT_NE(selected.find(" fc9896\nfocus"), std::string::npos) << selected;
    EXPECT_NE(selected.find("\"地形\""), std::string::npos) << selected;
}

TEST(GridListFitting, CutsWholeCharactersBeforeTheEllipsis)
{
    // Every byte is 4 pixels wide.
    auto measure = [](std::string_view text) { return static_cast<int>(text.size()) * 4; };
    EXPECT_EQ(gisexchange::FitTextToWidth("", 1, 6, measure), "");
    EXPECT_EQ(gisexchange::FitTextToWidth("abc", 19, 6, measure), "abc");
    // "abcd" needs 16 + 6 = 22: at 20 it loses its end until 6 + 12 + text < 20.
    EXPECT_EQ(gisexchange::FitTextToWidth("abcd", 20, 6, measure), "...");
    EXPECT_EQ(gisexchange::FitTextToWidth("abcdef", 29, 4, measure), "abcdef");
    EXPECT_EQ(gisexchange::FitTextToWidth("abcdef", 28, 4, measure), "ab...");
    // 乗 and 昇 end in bytes that look like "\" and "N"; they go whole or not at all. Cut byte by
    // byte, five bytes would fit here.
    const std::string gbk = "乗昇乗昇乗";
    EXPECT_EQ(gisexchange::FitTextToWidth(gbk, 4 + 12 + 5 * 4 + 1, 4, measure), "乗昇...");
    EXPECT_EQ(gisexchange::FitTextToWidth(gbk, 4 + 12 + 3 * 4 + 1, 4, measure), "乗...");
}

}  // namespace
