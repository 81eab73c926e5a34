// The batch that deletes the program after an uninstall: its lines with and without the product
// folder, and nothing at all without a command interpreter.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/win/root.h"
#include "setup/program/setup_app.h"
#include "setup/wizard/globals.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::WriteFile;

class SelfDeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::win::SetRoot(folder_.path());
        WriteFile(C("Setup/setup.exe"), "MZ");
        Setup::g_programPath = u"C:\\Setup\\setup.exe";
        Setup::g_productFolder.clear();
        setenv("COMSPEC", "C:\\Windows\\system32\\cmd.exe", 1);
    }
    void TearDown() override {
        unsetenv("COMSPEC");
        Setup::g_programPath.clear();
        Setup::g_productFolder.clear();
        platform::win::SetRoot("");
    }
    std::string C(const std::string& rest) const { return folder_.path() + "/c/" + rest; }
    dero::testing::TempFolder folder_{"self-delete"};
};

TEST_F(SelfDeleteTest, TheBatchNamesTheProductFolderOnlyWhenThereIsOne) {
    // No interpreter to start: the error of the start, the batch written all the same.
    EXPECT_EQ(Setup::WriteSelfDeleteBatch(), 2u);
    WriteFile(C("Windows/system32/cmd.exe"), "MZ");
    EXPECT_EQ(Setup::WriteSelfDeleteBatch(), 0u);
    EXPECT_EQ(ReadFile(C("Temp/derodel.bat")),
              ":repeat\r\ndel /Q C:\\Setup\\setup.exe\r\nif exist C:\\Setup\\setup.exe goto Repeat\r\n"
              "rd /Q C:\\Setup\r\nrd /Q C:\r\ndel /Q C:\\Temp\\derodel.bat");
    EXPECT_NE(ReadFile(folder_.path() + "/events.txt").find("launch \"C:\\Windows\\system32\\cmd.exe\" /c C:\\Temp\\derodel.bat"),
              std::string::npos);

    Setup::g_productFolder = u"C:\\Dero";
    EXPECT_EQ(Setup::WriteSelfDeleteBatch(), 0u);
    EXPECT_EQ(ReadFile(C("Temp/derodel.bat")),
              ":repeat\r\ndel /Q C:\\Setup\\setup.exe\r\nif exist C:\\Setup\\setup.exe goto Repeat\r\n"
              "rd /Q C:\\Dero\\blocks\r\nrd /Q C:\\Dero\\bin\r\nrd /Q C:\\Dero\\demo\r\n"
              "rd /Q C:\\Setup\r\nrd /Q C:\r\ndel /Q C:\\Temp\\derodel.bat");

    // Without COMSPEC nothing is written or started.
    std::filesystem::remove(C("Temp/derodel.bat"));
    unsetenv("COMSPEC");
    const std::string events = ReadFile(folder_.path() + "/events.txt");
    EXPECT_EQ(Setup::WriteSelfDeleteBatch(), 0u);
    EXPECT_FALSE(std::filesystem::exists(C("Temp/derodel.bat")));
    EXPECT_EQ(ReadFile(folder_.path() + "/events.txt"), events);
}

}  // namespace
