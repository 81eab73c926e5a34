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
#include "testing/temp_folder.h"

#include "drawing_fixture.h"

class HostTest : public DrawingTest {
protected:
    HostTest()
    {
        if (root_.empty())
            ADD_FAILURE() << "no temporary folder";
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
    }

    std::filesystem::path SupportFolder() const { return root_ / "c" / "support"; }
    void Answer(const char* text) { answers_->Push(platform::ui::PromptAnswer(text)); }
    void Cancel() { answers_->Push(platform::ui::CancelAnswer(platform::ui::RequestKind::Prompt)); }
    static const std::string& CommandLine() { return platform::cad::CommandLineText(); }

private:
    dero::testing::TempFolder folder_{"drawingutil"};
    std::filesystem::path root_ = folder_.path();
    std::shared_ptr<platform::ui::AnswerQueue> answers_;
};
