// "restart.def" and the run-once value around a machine restart: written, read back with blanks
// around its lines, declined and agreed to.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/text/encoding.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/window_api.h"
#include "platform/win/registry.h"
#include "platform/win/root.h"
#include "setup/engine/install_state.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/restart_state.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

int g_exitCode = -1;
void RecordExit(int code) { g_exitCode = code; }

std::u16string RunOnceText() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return u"<none>";
    char16_t text[300] = {};
    DWORD size = sizeof text;
    LONG r = RegQueryValueExW(key, u"installsetup", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::u16string(text) : u"<none>";
}

void SetRunOnce(const std::u16string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"installsetup", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

class RestartStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::win::SetRoot(folder_.path());
        std::filesystem::create_directories(folder_.path() + "/c/Setup");
        Setup::g_programFolder = u"C:\\Setup";
        Setup::g_deleteWorkFolder = 1;
        Setup::g_desktopShortcutPath = u"C:\\Users\\Public\\Desktop\\Dero 9.lnk";
        Setup::SetProcessEnd(&RecordExit);
        g_exitCode = -1;
        answers_ = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
    }
    void TearDown() override {
        Setup::SetProcessEnd(nullptr);
        Setup::g_programFolder.clear();
        Setup::g_desktopShortcutPath.clear();
        Setup::g_deleteWorkFolder = 1;
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
    }
    std::string RestartFile() const { return folder_.path() + "/c/Setup/restart.def"; }
    dero::testing::TempFolder folder_{"restart"};
    std::shared_ptr<platform::ui::AnswerQueue> answers_;
};

TEST_F(RestartStateTest, DeclinedRestartKeepsTheFileAndTheRunOnceValue) {
    Setup::CADVer d;
    d.fresh = 0;
    d.product = u"Dero Pelgar";
    d.installFolder = u"C:\\Dero";
    d.relatedFile = u"pelgar.exe";
    EXPECT_FALSE(Setup::RestartPending());
    EXPECT_FALSE(Setup::ReadRunOnceEntry());
    answers_->Push(platform::ui::BoxAnswer(IDCANCEL));
    EXPECT_EQ(Setup::WriteRestartState(d), 0);
    EXPECT_EQ(g_exitCode, -1);
    EXPECT_EQ(Setup::g_deleteWorkFolder, 0);
    EXPECT_TRUE(Setup::RestartPending());
    // Six lines in the ANSI code page, no final line feed (text mode writes CR LF).
    EXPECT_EQ(dero::testing::ReadFile(RestartFile()),
              platform::text::Utf16ToGbk(u"重启\r\n0\r\nDero Pelgar\r\nC:\\Dero\r\npelgar.exe\r\n"
                                         u"C:\\Users\\Public\\Desktop\\Dero 9.lnk"));
    EXPECT_GT(RunOnceText().size(), 2u);
    EXPECT_TRUE(Setup::ReadRunOnceEntry());
    Setup::DeleteRestartState();
    EXPECT_FALSE(Setup::RestartPending());
}

TEST_F(RestartStateTest, AgreedRestartIsRequestedAndEndsTheProcess) {
    Setup::CADVer d;
    answers_->Push(platform::ui::BoxAnswer(IDOK));
    Setup::WriteRestartState(d);
    EXPECT_EQ(g_exitCode, 0);
    // The privilege was enabled, so no error box followed the question.
    EXPECT_EQ(answers_->Pending(), 0u);
    for (const auto& line : platform::ui::TranscriptLines()) EXPECT_EQ(line.find("Error."), std::string::npos) << line;
}

TEST_F(RestartStateTest, ReadBackTrimsTheLinesAndShortRunOnceValuesDoNotCount) {
    dero::testing::WriteFile(RestartFile(), platform::text::Utf16ToGbk(u"重启\r\n  1 \r\n\tDero 国土 \r\n C:\\Dero\\一\r\n"
                                                                        u"\r\n  C:\\x.lnk  "));
    Setup::CADVer d;
    d.fresh = 0;
    d.relatedFile = u"old.exe";
    Setup::ReadRestartState(d);
    EXPECT_EQ(d.fresh, 1);
    EXPECT_EQ(d.product, u"Dero 国土");
    EXPECT_EQ(d.installFolder, u"C:\\Dero\\一");
    EXPECT_EQ(d.relatedFile, u"");
    EXPECT_EQ(Setup::g_desktopShortcutPath, u"C:\\x.lnk");

    // No file: nothing changes.
    Setup::DeleteRestartState();
    Setup::CADVer untouched;
    untouched.product = u"keep";
    Setup::ReadRestartState(untouched);
    EXPECT_EQ(untouched.product, u"keep");

    SetRunOnce(u"ab");
    EXPECT_FALSE(Setup::ReadRunOnceEntry());
    SetRunOnce(u"abc");
    EXPECT_TRUE(Setup::ReadRunOnceEntry());
}

}  // namespace
