// A temporary folder of a test's own, removed with everything in it at the end. The test cases of
// one program run side by side in several processes, so every folder gets a unique name.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace dero::testing {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix)
    {
        std::string pattern = ::testing::TempDir() + prefix + "_XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace dero::testing
