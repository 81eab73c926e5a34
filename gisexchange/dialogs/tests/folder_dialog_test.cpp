// The folder chooser driven as a person would: typing into the edit box it adds, pressing OK,
// answering its questions; and its path check on its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gisexchange/folder_dialog.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace {

using gisexchange::CFolderDialog;
using gisexchange::kFolderEditId;
using platform::ui::UiDriver;

class FolderDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        std::filesystem::create_directories(Drive() / "dir");
        platform::win::SetRoot(folder_.path());
        answers_ = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
    }
    void TearDown() override
    {
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
    }
    std::filesystem::path Drive() const { return std::filesystem::path(folder_.path()) / "d"; }
    void Push(platform::ui::Answer answer) { answers_->Push(std::move(answer)); }
    static int Boxes(const std::string& text)
    {
        int n = 0;
        for (const std::string& line : platform::ui::TranscriptLines())
            n += line.rfind("box", 0) == 0 && line.find(text) != std::string::npos;
        return n;
    }

private:
    dero::testing::TempFolder folder_{"folder_dialog"};
    std::shared_ptr<platform::ui::AnswerQueue> answers_;
};

TEST_F(FolderDialog, TypedFolderIsCreatedLevelByLevelAfterYes)
{
    Push(platform::ui::FolderActionsAnswer([](UiDriver& d) {
        EXPECT_TRUE(d.Exists(kFolderEditId));
        EXPECT_FALSE(d.IsVisible(kFolderStatusId)) << "the edit box takes the status line's place";
        EXPECT_EQ(d.Text(kFolderEditId), "D:\\dir") << "the start folder is selected";
        d.SetText(kFolderEditId, "");
        EXPECT_FALSE(d.IsEnabled(IDOK)) << "nothing typed";
        d.SetText(kFolderEditId, "D:\\new\\sub");
        EXPECT_TRUE(d.IsEnabled(IDOK));
        d.Click(IDOK);
    }));
    Push(platform::ui::BoxAnswer(IDYES));
    CFolderDialog dialog("保存到", "选择目录", "D:\\dir", nullptr);
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_STREQ(dialog.GetPath(), "D:\\new\\sub");
    EXPECT_TRUE(std::filesystem::is_directory(Drive() / "new" / "sub"));
    EXPECT_EQ(Boxes("does not exist"), 1);

    // Declining leaves nothing behind and the browser open, which is then cancelled.
    Push(platform::ui::FolderActionsAnswer([](UiDriver& d) {
        d.SetText(kFolderEditId, "D:\\other");
        d.Click(IDOK);
    }));
    Push(platform::ui::BoxAnswer(IDNO));
    CFolderDialog declined(nullptr, "选择目录", "D:\\dir", nullptr);
    EXPECT_EQ(declined.DoModal(), -1);
    EXPECT_FALSE(std::filesystem::exists(Drive() / "other"));
}

TEST_F(FolderDialog, InvalidPathsKeepTheBrowserOpen)
{
    Push(platform::ui::FolderActionsAnswer([](UiDriver& d) {
        for (const char* bad : {"D:\\a|b", "D:\\dir.", "D:\\dir\\", "D:\\ lead", "dir"}) {
            d.SetText(kFolderEditId, bad);
            d.Click(IDOK);
            EXPECT_TRUE(d.Exists(IDOK)) << bad;
        }
        // A virtual folder has no path: the edit box empties and OK is off; a drive turns it on.
        SendMessageA(d.Root(), BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
        EXPECT_EQ(d.Text(kFolderEditId), "");
        EXPECT_FALSE(d.IsEnabled(IDOK));
        SendMessageA(d.Root(), BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("D:\\"));
        EXPECT_EQ(d.Text(kFolderEditId), "D:\\");
        EXPECT_TRUE(d.IsEnabled(IDOK));
    }));
    for (int i = 0; i < 5; ++i)
        Push(platform::ui::BoxAnswer(IDOK));
    CFolderDialog dialog(nullptr, "选择目录", nullptr, nullptr);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(Boxes("is invalid"), 5);
    EXPECT_FALSE(std::filesystem::exists(Drive() / "a|b"));
}

TEST_F(FolderDialog, PathCheck)
{
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath(nullptr, true), 1);
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:", true), 1);
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("1:\\x", true), 1);
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:/x", true), 1);
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:\\", false), 0) << "an existing drive root";
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:\\a\\\\b", true), 1) << "an empty component";
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:\\a?", true), 1);

    // 乗 ends in the byte of a backslash, 乗| in that of a bar: both are whole names.
    EXPECT_TRUE(CFolderDialog::IsValidFolderName("乗"));
    EXPECT_TRUE(CFolderDialog::IsValidFolderName("\x81|x"));
    EXPECT_FALSE(CFolderDialog::IsValidFolderName("x."));
    EXPECT_FALSE(CFolderDialog::IsValidFolderName("x\t"));
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:\\乗", true), 0);
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:\\乗\\x", false), 0);
    EXPECT_TRUE(std::filesystem::is_directory(Drive() / std::filesystem::path(u8"乗") / "x"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Drive()), {}), 2) << "dir and 乗, nothing split off";
    EXPECT_EQ(CFolderDialog::CheckOrCreatePath("D:\\乗\\", true), 1);
}

}  // namespace
