#include "cadastral/zip_archive_writer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "cadastral/folder_tree.h"
#include "platform/win/fault_injection.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace cadastral {
namespace {

namespace fs = std::filesystem;
using dero::testing::ReadFile;
using dero::testing::WriteFile;
using platform::win::FaultKind;
using platform::win::InjectFault;

// What the outside tool says, with its exit status.
std::string Shell(const std::string& command, int* status) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1").c_str(), "r"), ::pclose);
    if (!pipe) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
    *status = ::pclose(pipe.release());
    return output;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class ZipArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_folder.path().empty());
        platform::win::SetRoot(m_folder.path());
    }
    void TearDown() override { platform::win::SetRoot(""); }
    fs::path Disk(const std::string& relative) const { return fs::path(m_folder.path()) / "d" / relative; }

    dero::testing::TempFolder m_folder{"zip_archive"};
    platform::win::ScopedFaults m_faults;
};

TEST_F(ZipArchiveTest, PacksTheFolderFilesUnderBareNamesDeflatedAndReplacesAnOlderArchive) {
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>("ABCDEFGH\r\n"[i % 10] + (i / 1000) % 7);
    WriteFile(Disk("out/P1/ZD.dbf"), big);
    WriteFile(Disk("out/P1/empty.shp"), "");
    WriteFile(Disk(reinterpret_cast<const char*>(u8"out/P1/宗地.shx")), "gbk name");
    WriteFile(Disk("out/P1/sub/inner.txt"), "not packed");
    WriteFile(Disk("out/P1.zip"), "an older archive");
    // Files of the user's that happen to bear the names the packing works under stay as they are.
    WriteFile(Disk("out/P1.zip.part"), "the user's part");
    WriteFile(Disk("out/P1.zip.old"), "the user's old");

    std::string error = "stale";
    ASSERT_TRUE(PackFolderToZip("D:\\out\\P1\\", "D:\\out\\P1.zip", error)) << error;
    EXPECT_EQ(error, "");
    const fs::path zip = Disk("out/P1.zip");
    EXPECT_EQ(ReadFile(Disk("out/P1.zip.part")), "the user's part");
    EXPECT_EQ(ReadFile(Disk("out/P1.zip.old")), "the user's old");
    EXPECT_FALSE(fs::exists(Disk("out/P1.zip.part1")));
    EXPECT_FALSE(fs::exists(Disk("out/P1.zip.old1")));

    int status = -1;
    const std::string test = Shell("unzip -t " + Quoted(zip), &status);
    EXPECT_EQ(status, 0) << test;
    const std::string listing = Shell("unzip -Z -v " + Quoted(zip), &status);
    EXPECT_EQ(status, 0) << listing;
    const std::string names = Shell("unzip -Z1 " + Quoted(zip) + " | sort", &status);
    // Three bare names, the subfolder's file left out; the GBK name is stored in the host's code page.
    EXPECT_EQ(names.substr(0, names.find(".shx")).size() + 5, names.size()) << names;
    EXPECT_EQ(names.rfind("ZD.dbf\nempty.shp\n", 0), 0u) << names;
    EXPECT_NE(ReadFile(zip).find("\xD7\xDA\xB5\xD8.shx"), std::string::npos);
    EXPECT_NE(listing.find("deflated"), std::string::npos);
    EXPECT_EQ(Shell("unzip -p " + Quoted(zip) + " ZD.dbf", &status), big);
    EXPECT_LT(fs::file_size(zip), big.size() / 4) << "ZD.dbf should have been deflated";

    // The folder itself is left for its owner to delete.
    EXPECT_TRUE(fs::exists(Disk("out/P1/sub/inner.txt")));
}

TEST_F(ZipArchiveTest, AFailureLeavesNoPartialArchiveAndKeepsTheOlderOne) {
    WriteFile(Disk("out/P2/a.dbf"), std::string(70000, 'a'));
    WriteFile(Disk("out/P2/b.dbf"), "bbb");
    WriteFile(Disk("out/P2.zip"), "an older archive");
    std::string error;

    // A source file that cannot be read.
    InjectFault(FaultKind::Read, u"D:\\out\\P2\\b.dbf", ERROR_READ_FAULT);
    EXPECT_FALSE(PackFolderToZip("D:\\out\\P2\\", "D:\\out\\P2.zip", error));
    EXPECT_NE(error.find("b.dbf"), std::string::npos) << error;
    platform::win::ClearFaults();

    // A full disk while the archive is written, and a failing close of the archive.
    InjectFault(FaultKind::Write, u"D:\\out\\P2.zip.part", ERROR_DISK_FULL);
    EXPECT_FALSE(PackFolderToZip("D:\\out\\P2\\", "D:\\out\\P2.zip", error));
    EXPECT_NE(error.find("P2.zip"), std::string::npos) << error;
    platform::win::ClearFaults();
    InjectFault(FaultKind::Close, u"D:\\out\\P2.zip.part", ERROR_WRITE_FAULT);
    EXPECT_FALSE(PackFolderToZip("D:\\out\\P2\\", "D:\\out\\P2.zip", error));
    platform::win::ClearFaults();

    // The older archive cannot step aside.
    InjectFault(FaultKind::Move, u"D:\\out\\P2.zip", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(PackFolderToZip("D:\\out\\P2\\", "D:\\out\\P2.zip", error));
    platform::win::ClearFaults();

    // A missing folder.
    EXPECT_FALSE(PackFolderToZip("D:\\out\\none\\", "D:\\out\\none.zip", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(Disk("out/none.zip")));

    EXPECT_EQ(ReadFile(Disk("out/P2.zip")), "an older archive");
    EXPECT_FALSE(fs::exists(Disk("out/P2.zip.part")));
    EXPECT_FALSE(fs::exists(Disk("out/P2.zip.old")));
    EXPECT_TRUE(fs::exists(Disk("out/P2/b.dbf")));

    // With the faults gone the same call succeeds.
    ASSERT_TRUE(PackFolderToZip("D:\\out\\P2\\", "D:\\out\\P2.zip", error)) << error;
    int status = -1;
    EXPECT_EQ(Shell("unzip -p " + Quoted(Disk("out/P2.zip")) + " b.dbf", &status), "bbb");
}

TEST_F(ZipArchiveTest, DeletesAFolderTreeButNotWhatLinksPointAtNorReadOnlyFiles) {
    // A GBK name whose trail byte is a backslash must not be cut at it.
    const std::string trickyGbk = "\x81\x5C";
    WriteFile(Disk("pkg/a.dbf"), "a");
    WriteFile(Disk("pkg/sub/deeper/b.dbf"), "b");
    WriteFile(Disk(std::string("pkg/") + std::string(200, 'n') + ".shp"), "long name");
    WriteFile(Disk("elsewhere/keep.txt"), "keep");
    WriteFile(Disk("elsewhere.txt"), "keep too");
    fs::create_directory_symlink(Disk("elsewhere"), Disk("pkg/link_to_folder"));
    fs::create_symlink(Disk("elsewhere.txt"), Disk("pkg/link_to_file"));

    EXPECT_TRUE(DeleteFolderTree("D:\\pkg\\"));
    EXPECT_FALSE(fs::exists(Disk("pkg")));
    EXPECT_EQ(ReadFile(Disk("elsewhere/keep.txt")), "keep");
    EXPECT_EQ(ReadFile(Disk("elsewhere.txt")), "keep too");

    // A read-only file stays, and so do the folders holding it.
    WriteFile(Disk("ro/sub/locked.dbf"), "locked");
    WriteFile(Disk("ro/free.dbf"), "free");
    fs::permissions(Disk("ro/sub/locked.dbf"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(DeleteFolderTree("D:\\ro"));
    EXPECT_TRUE(fs::exists(Disk("ro/sub/locked.dbf")));
    EXPECT_FALSE(fs::exists(Disk("ro/free.dbf")));

    EXPECT_FALSE(DeleteFolderTree("D:\\missing\\"));
    EXPECT_FALSE(DeleteFolderTree(""));

    EXPECT_EQ(WithoutTrailingBackslash("D:\\out\\"), "D:\\out");
    EXPECT_EQ(WithoutTrailingBackslash("D:\\out\\" + trickyGbk), "D:\\out\\" + trickyGbk);
}

TEST(PackageFolderName, RefusesWhatCannotNameAFolderOfItsOwn) {
    for (const char* bad : {"", ".", "..", "..\\x", "a/b", "G:1", "a*", "a?", "a\"b", "a<b", "a>b", "a|b", "tab\tname",
                            "dot.", "blank ", "\x7F"})
        EXPECT_FALSE(IsUsableFolderName(bad)) << bad;
    // A double-byte character whose trail byte is a backslash or a "|" is one character, not a separator.
    for (const char* good : {"G33010200100100", "330102001001JC00001-330102001001JC00009", "\x81\x5C", "\x81\x7C",
                             "宗地", ".hidden", "a b"})
        EXPECT_TRUE(IsUsableFolderName(good)) << good;
}

}  // namespace
}  // namespace cadastral
