// The files appended to the setup program: mkpayload's round trip, and directories that must not
// be believed (names leaving the work folder, negative counts, data outside the file, a file
// shorter than a directory), which write nothing at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/win/root.h"
#include "setup/program/payload_directory.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using dero::testing::ReadFile;
using dero::testing::WriteFile;

struct Slot {
    std::u16string name;
    std::string bytes;
};

void PutInt32(std::string& out, std::size_t at, std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A program file with the slots appended; counts and the first offset can be forged.
std::string Program(const std::string& code, const std::vector<Slot>& slots, std::map<int, std::int64_t> counts = {},
                    std::optional<std::int64_t> offset = {}) {
    std::string file = code;
    std::string directory(4356, '\0');
    for (std::size_t s = 0; s < slots.size(); ++s) {
        if (Setup::IsPayloadEntry(slots[s].name)) file += slots[s].bytes;  // empty slots have no data
        for (std::size_t i = 0; i < slots[s].name.size() && i < 64; ++i) {
            directory[128 + s * 128 + 2 * i] = static_cast<char>(slots[s].name[i] & 0xFF);
            directory[128 + s * 128 + 2 * i + 1] = static_cast<char>(slots[s].name[i] >> 8);
        }
        PutInt32(directory, 4224 + s * 4, static_cast<std::int64_t>(slots[s].bytes.size()));
    }
    for (auto [slot, count] : counts) PutInt32(directory, 4224 + static_cast<std::size_t>(slot) * 4, count);
    PutInt32(directory, 4352, offset ? *offset : static_cast<std::int64_t>(code.size()));
    return file + directory;
}

class PayloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::win::SetRoot(folder_.path() + "/root");
        fs::create_directories(C("Setup"));
        fs::create_directories(C("Temp"));
    }
    void TearDown() override { platform::win::SetRoot(""); }
    std::string C(const std::string& rest) const { return folder_.path() + "/root/c/" + rest; }
    // Every file and folder of the test's folder, which holds the root and nothing beside it.
    std::map<std::string, std::string> Tree() const {
        std::map<std::string, std::string> tree;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.path()))
            tree[entry.path().string()] = entry.is_regular_file() ? ReadFile(entry.path()) : "<folder>";
        return tree;
    }
    int Extract(Setup::PayloadPaths* paths, int* count) {
        return Setup::ExtractAppendedPayload(u"C:\\Setup\\setup.exe", u"C:\\Temp\\derosetup", paths, count);
    }
    dero::testing::TempFolder folder_{"payload"};
};

TEST_F(PayloadTest, MkpayloadAppendsFilesThatExtractByTheirSlots) {
    WriteFile(C("Setup/program"), std::string(5000, 'P'));
    WriteFile(C("src/agreement.txt"), "许可协议\r\n");
    WriteFile(C("src/water.bmp"), "BMwater");
    WriteFile(C("src/head.bmp"), std::string(70000, 'h'));  // longer than one buffer
    WriteFile(C("src/abcd"), "four");
    const std::string tool = MKPAYLOAD_PATH;
    const std::string run = tool + " " + C("Setup/program") + " " + C("Setup/setup.exe") + " " + C("src/agreement.txt") +
                            " __bitmapwater__.bmp=" + C("src/water.bmp") + " __bitmaphead__.bmp=" + C("src/head.bmp");
    ASSERT_EQ(std::system(run.c_str()), 0);
    // A name setup would skip, a folder in the name, and a 33rd file are refused.
    EXPECT_NE(std::system((tool + " " + C("Setup/program") + " " + C("x.exe") + " " + C("src/abcd") + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " " + C("Setup/program") + " " + C("x.exe") + " 'a\\b.txt=" + C("src/abcd") + "' 2>/dev/null").c_str()), 0);
    std::string many;
    for (int i = 0; i < 33; ++i) many += " file" + std::to_string(i) + ".txt=" + C("src/abcd");
    EXPECT_NE(std::system((tool + " " + C("Setup/program") + " " + C("x.exe") + many + " 2>/dev/null").c_str()), 0);
    EXPECT_FALSE(fs::exists(C("x.exe")));

    WriteFile(C("Temp/derosetup/agreement.txt"), "an older agreement, longer than the new one");
    Setup::PayloadPaths paths;
    int count = -1;
    ASSERT_EQ(Extract(&paths, &count), 1);
    EXPECT_EQ(count, 1) << "the two wizard pictures are not counted";
    EXPECT_EQ(paths[0], u"C:\\Temp\\derosetup\\agreement.txt");
    EXPECT_EQ(paths[2], u"C:\\Temp\\derosetup\\__bitmaphead__.bmp");
    EXPECT_TRUE(paths[3].empty());
    EXPECT_EQ(ReadFile(C("Temp/derosetup/agreement.txt")), "许可协议\r\n");
    EXPECT_EQ(ReadFile(C("Temp/derosetup/__bitmapwater__.bmp")), "BMwater");
    EXPECT_EQ(ReadFile(C("Temp/derosetup/__bitmaphead__.bmp")), std::string(70000, 'h'));
    EXPECT_EQ(fs::file_size(C("Setup/setup.exe")), 5000u + std::string("许可协议\r\n").size() + 7u + 70000u + 4356u);

    // Names of 4 characters are empty slots; 5 are files.
    WriteFile(C("Setup/setup.exe"), Program("code", {{u"abcd", "1234"}, {u"abcde", "xyz"}}));
    paths = {};
    ASSERT_EQ(Extract(&paths, &count), 1);
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(fs::exists(C("Temp/derosetup/abcd")));
    EXPECT_EQ(ReadFile(C("Temp/derosetup/abcde")), "xyz");
}

TEST_F(PayloadTest, ADirectoryThatCannotBeBelievedWritesNothing) {
    const std::string code(6000, 'c');
    const std::vector<std::pair<const char*, std::string>> hostile = {
        {"a parent folder", Program(code, {{u"..\\evil.txt", "evil"}})},
        {"a Linux parent", Program(code, {{u"../../evil.txt", "evil"}})},
        {"a drive", Program(code, {{u"C:evil.txt", "evil"}})},
        {"a sub-folder", Program(code, {{u"good.txt", "good"}, {u"sub\\evil.txt", "evil"}})},
        {"only dots", Program(code, {{u".....", "evil"}})},
        {"a control character", Program(code, {{u"evil\n.txt", "evil"}})},
        {"a negative count", Program(code, {{u"good.txt", "good"}, {u"evil.txt", "evil"}}, {{1, -4}})},
        {"a negative count in an empty slot", Program(code, {{u"good.txt", "good"}}, {{5, -1}})},
        {"a count past the directory", Program(code, {{u"good.txt", "good"}}, {{0, 5000}})},
        {"a huge count", Program(code, {{u"good.txt", "good"}, {u"evil.txt", "evil"}}, {{1, 0x7FFFFFFF}})},
        {"an offset past the end", Program(code, {{u"good.txt", "good"}}, {}, 1 << 30)},
        {"a negative offset", Program(code, {{u"good.txt", "good"}}, {}, -100)},
        {"a file under a directory", std::string(4355, 'x')},
        {"a program without a payload", std::string(20000, '\x41')},
    };
    for (const auto& [what, bytes] : hostile) {
        WriteFile(C("Setup/setup.exe"), bytes);
        const auto before = Tree();
        Setup::PayloadPaths paths;
        int count = -1;
        EXPECT_EQ(Extract(&paths, &count), 0) << what;
        EXPECT_EQ(count, 0) << what;
        EXPECT_EQ(Tree(), before) << what << ": something was written";
        for (const auto& p : paths) EXPECT_TRUE(p.empty()) << what;
    }
    Setup::PayloadPaths paths;
    int count = -1;
    EXPECT_EQ(Setup::ExtractAppendedPayload(u"C:\\Setup\\missing.exe", u"C:\\Temp\\derosetup", &paths, &count), 0);
    EXPECT_FALSE(fs::exists(C("Temp/derosetup")));
}

TEST_F(PayloadTest, AFileThatCannotBeWrittenKeepsItsBytesFromTheNext) {
    // U+4E00 is in GBK; U+0E01 (Thai) is not and becomes '?', which no file name may hold.
    WriteFile(C("Setup/setup.exe"),
              Program("code", {{u"一二三四五.txt", "first"}, {u"\u0e01bad.txt", "lost"}, {u"after.txt", "third"}}));
    Setup::PayloadPaths paths;
    int count = -1;
    ASSERT_EQ(Extract(&paths, &count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(ReadFile(C("Temp/derosetup/" + platform::text::Utf16ToUtf8(u"一二三四五.txt"))), "first");
    EXPECT_TRUE(paths[1].empty());
    EXPECT_EQ(ReadFile(C("Temp/derosetup/after.txt")), "third");
    EXPECT_EQ(paths[2], u"C:\\Temp\\derosetup\\after.txt");
}

}  // namespace
