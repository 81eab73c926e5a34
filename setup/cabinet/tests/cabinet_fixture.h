// A private mapped root with the cabinet tools of the test machine: gcab, cabextract, the stored
// cabinet writer and the "CRYP" encipherer of testing/tools.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace cabtest {

namespace fs = std::filesystem;

inline std::string Tools() { return std::string(DERO_SOURCE_DIR) + "/testing/tools/"; }

inline int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

class CabinetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.path().empty());
        platform::win::SetRoot(temp_.path());
        fs::create_directories(C("cabs"));
    }
    void TearDown() override { platform::win::SetRoot(""); }

    // The Linux path of C:\<rest>.
    std::string C(const std::string& rest) const { return temp_.path() + "/c/" + rest; }
    const std::string& Temp() const { return temp_.path(); }

    // Writes stored cabinets into C:\cabs from a JSON description (see cab_writer.py).
    void Write(const std::string& json) {
        const std::string file = temp_ / "set.json";
        dero::testing::WriteFile(file, "{\"dir\": \"" + C("cabs") + "\", " + json + "}");
        ASSERT_EQ(0, Shell("/usr/bin/python3 " + Tools() + "cab_writer.py < " + file));
    }
    void Encipher(const std::string& key, const std::string& plain, const std::string& enciphered) {
        ASSERT_EQ(0, Shell("/usr/bin/python3 " + Tools() + "cab_encipher.py '" + key + "' " + C("cabs/" + plain) + " " +
                         C("cabs/" + enciphered)));
    }

private:
    dero::testing::TempFolder temp_{"dero-cab"};
};

}  // namespace cabtest
