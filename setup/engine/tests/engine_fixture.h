// A private mapped root for the install engine: the package in C:\Setup, a fixed clock and
// computer name, and the engine's process-wide state reset around each test.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win/fault_injection.h"
#include "platform/win/root.h"
#include "platform/xml/dom_document.h"
#include "setup/engine/install_records.h"
#include "setup/engine/install_state.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace enginetest {

inline Setup::LocalTime FixedTime() { return {2026, 3, 4, 5, 6, 7}; }

// GetComputerNameW's answer for a machine called "SURVEY-PC".
inline BOOL SurveyPc(LPWSTR buffer, LPDWORD size) {
    const std::u16string name = u"SURVEY-PC";
    if (*size < name.size() + 1) {
        *size = static_cast<DWORD>(name.size() + 1);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}

struct RunResult {
    int status = -1;
    std::string out;
};

inline RunResult RunCommand(const std::string& command) {
    RunResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        platform::win::SetRoot(folder_.path());
        std::filesystem::create_directories(C("Setup"));
        Reset();
        Setup::g_programFolder = u"C:\\Setup";
        Setup::SetLocalTimeSource(&FixedTime);
        Setup::SetComputerNameQuery(&SurveyPc);
    }
    void TearDown() override {
        Reset();
        Setup::SetLocalTimeSource(nullptr);
        Setup::SetComputerNameQuery(nullptr);
        platform::xml::FailDocumentCreation(false);
        platform::win::ClearFaults();
        platform::win::SetRoot("");
    }

    static void Reset() {
        Setup::g_programFolder.clear();
        Setup::g_wizardTitle = u"安装向导";
        Setup::g_backColor = 0;
        Setup::g_totalSize = 0;
        Setup::g_useHeader = 1;
        Setup::g_useBackground = 1;
        Setup::g_wizardMode = 0;
        Setup::g_packageProfiles.clear();
        Setup::g_componentEntries.clear();
        Setup::g_installedFiles.clear();
        Setup::g_desktopShortcutPath.clear();
        Setup::g_startMenuFolder.clear();
        Setup::g_startMenuShortcutPath.clear();
    }

    // The Linux path of C:\<rest>.
    std::string C(const std::string& rest) const { return folder_.path() + "/c/" + rest; }
    const std::string& Root() const { return folder_.path(); }
    // One hive as regtool dumps it.
    std::string Dump(const std::string& hive) const {
        const RunResult r = RunCommand(std::string(REGTOOL_PATH) + " --root " + Root() + " dump " + hive);
        EXPECT_EQ(r.status, 0) << r.out;
        return r.out;
    }

private:
    dero::testing::TempFolder folder_{"dero-engine"};
};

}  // namespace enginetest
