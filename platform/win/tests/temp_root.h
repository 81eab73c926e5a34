// Gives each test its own mapped root in a fresh temporary folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win/fault_injection.h"
#include "platform/win/root.h"

class TempRoot : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/dero-win-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        platform::win::SetRoot(root_);
    }
    void TearDown() override {
        platform::win::ClearFaults();
        platform::win::SetRoot("");
        std::filesystem::remove_all(root_);
    }

    const std::string& root() const { return root_; }

    static void WriteFile(const std::string& path, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

private:
    std::string root_;
};
