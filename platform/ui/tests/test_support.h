// Test helpers: a fresh answer queue and transcript per test, and transcript searching.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/answer_source.h"
#include "platform/ui/window_system.h"

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        queue = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
        platform::ui::UseVirtualClock(false);
    }
    void TearDown() override { platform::ui::SetAnswerDriver(nullptr); }

    // True when some transcript line contains the text.
    static bool Logged(const std::string& text) {
        for (auto& line : platform::ui::TranscriptLines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    static std::string Transcript() {
        std::string all;
        for (auto& line : platform::ui::TranscriptLines()) {
            all += line + "\n";
        }
        return all;
    }

    std::shared_ptr<platform::ui::AnswerQueue> queue;
};
