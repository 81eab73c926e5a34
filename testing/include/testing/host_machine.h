// A fresh machine for each test that runs plug-in code in the host: a temporary root (drive C: and
// the registry), a support folder on the host's search path, an answer queue, an empty command line
// and transcript, and no drawing or module left from an earlier test. Tests that use it link the
// host (cadhost) and the UI layer.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace dero::testing {

// True when a line of the UI transcript (boxes, prompts and their answers) holds text.
inline bool TranscriptHas(const std::string& text) {
    for (const std::string& line : platform::ui::TranscriptLines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

class HostMachineTest : public ::testing::Test {
protected:
    explicit HostMachineTest(const std::string& prefix) : folder_(prefix), root_(folder_.path()) {}

    void SetUp() override {
        ASSERT_FALSE(root_.empty());
        std::filesystem::create_directories(SupportFolder());
        platform::win::SetRoot(root_.string());
        platform::cad::SetSupportPath({"C:\\support"});
        answers = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
        platform::cad::ClearCommandLine();
    }
    void TearDown() override {
        acDocManager->closeAll();
        platform::cad::UnloadAllModules();
        platform::cad::SetSupportPath({});
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
    }

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path SupportFolder() const { return root_ / "c" / "support"; }

    // Writes a table into the support folder, bytes as given (GBK literals).
    void WriteSupportFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(SupportFolder() / name, std::ios::binary) << bytes;
    }

    static bool Logged(const std::string& text) { return TranscriptHas(text); }
    static const std::string& CommandLine() { return platform::cad::CommandLineText(); }

    std::shared_ptr<platform::ui::AnswerQueue> answers;

private:
    TempFolder folder_;
    std::filesystem::path root_;
};

}  // namespace dero::testing
