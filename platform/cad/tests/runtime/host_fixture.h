// Puts the process-wide host back to its start between tests: no drawing, no module, no answers,
// empty transcript and command line.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        platform::ui::SetAnswerDriver(nullptr);
        acDocManager->closeAll();
        platform::cad::UnloadAllModules();
        platform::cad::ClearHostExit();
        platform::cad::RunPostedCommands();
        platform::ui::ClearTranscript();
        platform::cad::ClearCommandLine();
    }

    static std::vector<std::string> Transcript() { return platform::ui::TranscriptLines(); }

    // Transcript lines that start with the prefix.
    static std::vector<std::string> TranscriptOf(const std::string& prefix)
    {
        std::vector<std::string> lines;
        for (const std::string& line : platform::ui::TranscriptLines())
            if (line.rfind(prefix, 0) == 0)
                lines.push_back(line);
        return lines;
    }

    static bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};
