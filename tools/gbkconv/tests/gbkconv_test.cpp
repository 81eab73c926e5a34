// gbkconv as people and scripts run it: both directions over files and standard input, and input
// it cannot convert faithfully refused with a message and nothing written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::WriteFile;

// UTF-8 bytes of a u8 literal (narrow literals are GBK here).
std::string Utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

class Gbkconv : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }
    std::string Path(const std::string& name) const { return folder_ / name; }

    // Runs the program; its exit status, with standard output in out() and errors in err().
    int Run(const std::string& arguments) const
    {
        const std::string command = "'" GBKCONV_PATH "' " + arguments + " >'" + Path("out") + "' 2>'" + Path("err") + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string out() const { return ReadFile(Path("out")); }
    std::string err() const { return ReadFile(Path("err")); }

private:
    dero::testing::TempFolder folder_{"gbkconv"};
};

TEST_F(Gbkconv, RoundTripsAndRefusesWhatItCannotConvert)
{
    // "\x81\x5C" is one GBK character whose trail byte is a backslash.
    const std::string gbk = "界址点,宗地 ABC\r\nEND\x81\x5C\r\n";
    WriteFile(Path("table.ini"), gbk);
    ASSERT_EQ(Run("--to-utf8 '" + Path("table.ini") + "'"), 0) << err();
    const std::string utf8 = out();
    EXPECT_EQ(utf8.substr(0, utf8.size() - 5), Utf8(u8"界址点,宗地 ABC\r\nEND"));
    EXPECT_EQ(utf8.size(), Utf8(u8"界址点,宗地 ABC\r\nEND").size() + 3 + 2) << "one three-byte character, no backslash";
    WriteFile(Path("utf8.txt"), utf8);
    ASSERT_EQ(Run("--to-gbk < '" + Path("utf8.txt") + "'"), 0) << err();
    EXPECT_EQ(out(), gbk);
    WriteFile(Path("empty"), "");
    EXPECT_EQ(Run("--to-gbk '" + Path("empty") + "'"), 0);
    EXPECT_EQ(out(), "");

    // A lead byte without its trail, broken UTF-8, a character GBK lacks: exit 1, where, nothing out.
    WriteFile(Path("bad.gbk"), "ab\x81 cd");
    EXPECT_EQ(Run("--to-utf8 '" + Path("bad.gbk") + "'"), 1);
    EXPECT_NE(err().find("not valid GBK at byte 2"), std::string::npos) << err();
    EXPECT_EQ(out(), "");
    WriteFile(Path("bad.utf8"), "ok\xC3(");
    EXPECT_EQ(Run("--to-gbk < '" + Path("bad.utf8") + "'"), 1);
    EXPECT_NE(err().find("not valid UTF-8 or has a character GBK lacks at byte 2"), std::string::npos) << err();
    EXPECT_EQ(out(), "");
    WriteFile(Path("emoji.utf8"), Utf8(u8"宗地 \U0001F600"));
    EXPECT_EQ(Run("--to-gbk '" + Path("emoji.utf8") + "'"), 1);
    EXPECT_NE(err().find("at byte 7"), std::string::npos) << err();
    EXPECT_EQ(out(), "");

    // Usage and files that cannot be read.
    EXPECT_EQ(Run(""), 2);
    EXPECT_NE(err().find("usage: gbkconv"), std::string::npos) << err();
    EXPECT_EQ(Run("--to-latin1 x"), 2);
    EXPECT_EQ(Run("--to-gbk '" + Path("missing") + "'"), 1);
    EXPECT_NE(err().find("gbkconv: cannot open"), std::string::npos) << err();
}

}  // namespace
