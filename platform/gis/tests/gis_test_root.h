// Gives each test its own mapped root, so that "C:\..." paths land in a fresh temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

class GisTestRoot : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.path().empty());
        platform::win::SetRoot(folder_.path());
        ASSERT_TRUE(CreateDirectoryA("C:\\", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(CreateDirectoryA("C:\\data", nullptr));
    }
    void TearDown() override
    {
        platform::win::ClearFaults();
        platform::win::SetRoot("");
    }
    // The Linux path of a file on drive C.
    std::string OnC(const std::string& rest) const { return folder_.path() + "/c/" + rest; }

private:
    dero::testing::TempFolder folder_{"dero-gis"};
};
