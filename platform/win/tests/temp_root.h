// Gives each test its own mapped root in a fresh temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/win/fault_injection.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

using dero::testing::ReadFile;
using dero::testing::WriteFile;

class TempRoot : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(root_.empty());
        platform::win::SetRoot(root_);
    }
    void TearDown() override {
        platform::win::ClearFaults();
        platform::win::SetRoot("");
    }

    const std::string& root() const { return root_; }

private:
    dero::testing::TempFolder folder_{"dero-win"};
    const std::string& root_ = folder_.path();
};
