// Drives the regtool program as a separate process on a temporary root.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win/registry.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

struct RunResult {
    int status;
    std::string out;
};

RunResult RunTool(const std::string& arguments) {
    const std::string command = std::string(REGTOOL_PATH) + " " + arguments + " 2>&1";
    RunResult result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

using dero::testing::ReadFile;

class RegtoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(root_.empty());
        platform::win::SetRoot(root_);
    }
    void TearDown() override { platform::win::SetRoot(""); }
    dero::testing::TempFolder folder_{"dero-regtool"};
    const std::string& root_ = folder_.path();
    const std::string fixture_ = std::string(DERO_SOURCE_DIR) + "/tools/regtool/tests/fixture.reg";
};

}  // namespace

TEST_F(RegtoolTest, DumpOfAnImportedFixtureEqualsTheFixture) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    const RunResult import = RunTool("--root " + root_ + " import " + fixture_);
    ASSERT_EQ(import.status, 0) << import.out;
    const RunResult dump = RunTool("--root " + root_ + " dump");
    ASSERT_EQ(dump.status, 0) << dump.out;
    EXPECT_EQ(dump.out, ReadFile(fixture_));
    const RunResult one = RunTool("--root " + root_ + " dump HKCR");
    EXPECT_EQ(one.out.substr(0, one.out.find("[HKEY_CURRENT_USER")), one.out);
    EXPECT_NE(one.out.find("[HKEY_CLASSES_ROOT\\dpkfile\\shell\\open\\command]\n@=hex(2):"), std::string::npos);

    // What the tool wrote is seen by this process through the registry calls.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, KEY_READ, &key), ERROR_SUCCESS);
    LONG minDist = 0;
    DWORD size = sizeof minDist;
    EXPECT_EQ(RegQueryValueExA(key, "min_dist", nullptr, nullptr, reinterpret_cast<LPBYTE>(&minDist), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(minDist, -5);
    char face[8];
    HKEY browser;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Dero\\Tallyview", 0, KEY_READ, &browser), ERROR_SUCCESS);
    size = sizeof face;
    ASSERT_EQ(RegQueryValueExA(browser, "FaceName", nullptr, nullptr, reinterpret_cast<LPBYTE>(face), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(face, "宋体");
    RegCloseKey(browser);

    // A value written here is in the tool's next dump.
    const DWORD one100 = 100;
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "usecz", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one100), 4), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_NE(RunTool("--root " + root_ + " dump HKEY_CURRENT_USER").out.find("\"raw\"=hex:00,01,fe,ff\n\"usecz\"=dword:00000064\n"),
              std::string::npos);
}

TEST_F(RegtoolTest, ABadFileChangesNothingAndSaysWhy) {
    ASSERT_EQ(RunTool("--root " + root_ + " import " + fixture_).status, 0);
    const std::string before = ReadFile(root_ + "/registry/HKEY_CURRENT_USER.reg");
    const std::string bad = root_ + "/bad.reg";
    std::ofstream(bad) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\New]\n\"a\"=dword:1\n"
                          "\"b\"=word:2\n";
    const RunResult result = RunTool("--root " + root_ + " import " + bad);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("bad.reg: line 5: unknown value data"), std::string::npos) << result.out;
    EXPECT_EQ(ReadFile(root_ + "/registry/HKEY_CURRENT_USER.reg"), before);
    EXPECT_EQ(RunTool("--root " + root_ + " import " + root_ + "/missing.reg").status, 1);
    EXPECT_EQ(RunTool("--root " + root_ + " dump HKEY_USERS").status, 2);
    EXPECT_EQ(RunTool("").status, 2);
}
