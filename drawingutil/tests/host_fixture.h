// A working drawing with the host's runtime around it: a temporary machine root with a support
// folder, scripted answers for prompts and an empty command line.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"

#include "drawing_fixture.h"

class HostTest : public DrawingTest {
protected:
    HostTest()
    {
        root_ = std::filesystem::temp_directory_path() /
                ("drawingutil_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "c" / "support");
        platform::win::SetRoot(root_.string());
        platform::cad::SetSupportPath({"C:\\support"});
        answers_ = platform::ui::UseAnswerQueue();
        platform::cad::ClearCommandLine();
    }
    ~HostTest() override
    {
        platform::cad::SetSupportPath({});
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
        std::filesystem::remove_all(root_);
    }

    std::filesystem::path SupportFolder() const { return root_ / "c" / "support"; }
    void Answer(const char* text) { answers_->Push(platform::ui::PromptAnswer(text)); }
    void Cancel() { answers_->Push(platform::ui::CancelAnswer(platform::ui::RequestKind::Prompt)); }
    static const std::string& CommandLine() { return platform::cad::CommandLineText(); }

private:
    std::filesystem::path root_;
    std::shared_ptr<platform::ui::AnswerQueue> answers_;
};
