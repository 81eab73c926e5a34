#include "platform/win/path_mapping.h"

#include <unistd.h>

#include "temp_root.h"

using platform::win::MapToLinux;
using platform::win::MapToWindows;
using platform::win::MapToWindowsA;

class PathMappingTest : public TempRoot {};

TEST_F(PathMappingTest, DrivePathsFindExistingNamesWithoutCase) {
    std::filesystem::create_directories(root() + "/c/Program Files/x");
    EXPECT_EQ(MapToLinux(u"C:\\PROGRAM FILES\\x"), root() + "/c/Program Files/x");
    EXPECT_EQ(MapToLinux(u"c:/program files/X/"), root() + "/c/Program Files/x");
    // Below the first missing name the case is kept as written.
    EXPECT_EQ(MapToLinux(u"C:\\program files\\New\\Sub.TXT"), root() + "/c/Program Files/New/Sub.TXT");
    EXPECT_EQ(MapToLinux(u"D:\\"), root() + "/d");
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/d"));
    // ".." stays on the drive.
    EXPECT_EQ(MapToLinux(u"C:\\..\\..\\etc\\passwd"), root() + "/c/etc/passwd");
    EXPECT_EQ(MapToLinux(u"C:\\Program Files\\..\\a"), root() + "/c/a");
}

TEST_F(PathMappingTest, GbkPathsKeepDoubleByteCharacters) {
    // The trail byte of this character is a backslash in GBK.
    const std::string gbk = "C:\\乗\\房屋.txt";
    ASSERT_EQ(gbk[3], '\x81');
    EXPECT_EQ(MapToLinux(std::string_view(gbk)), root() + "/c/\xE4\xB9\x97/\xE6\x88\xBF\xE5\xB1\x8B.txt");
    EXPECT_EQ(MapToWindowsA(root() + "/c/\xE4\xB9\x97/\xE6\x88\xBF\xE5\xB1\x8B.txt"), gbk);
}

TEST_F(PathMappingTest, RefusesEmptyInvalidAndNetworkPaths) {
    LONG error = 0;
    EXPECT_EQ(MapToLinux(u"", &error), "");
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(MapToLinux(std::string_view(""), &error), "");
    EXPECT_EQ(MapToLinux(u"C:\\a|b", &error), "");
    EXPECT_EQ(error, ERROR_INVALID_NAME);
    EXPECT_EQ(MapToLinux(u"C:\\a\\b:c", &error), "");
    EXPECT_EQ(error, ERROR_INVALID_NAME);
    EXPECT_EQ(MapToLinux(u"\\\\server\\share\\x", &error), "");
    EXPECT_EQ(error, ERROR_BAD_NETPATH);
}

TEST_F(PathMappingTest, PosixAndRelativePaths) {
    EXPECT_EQ(MapToLinux(u"/tmp"), "/tmp");
    EXPECT_EQ(MapToLinux(u"\\tmp\\"), "/tmp");
    EXPECT_EQ(MapToLinux(u"..\\demo\\"), "../demo");
    EXPECT_EQ(MapToLinux(u"x\\y.txt"), "x/y.txt");
    EXPECT_EQ(MapToLinux(u".\\"), ".");
}

TEST_F(PathMappingTest, ReverseMappingRoundTrips) {
    EXPECT_EQ(MapToWindows(root() + "/c/Temp/a.txt"), u"C:\\Temp\\a.txt");
    EXPECT_EQ(MapToWindows(root() + "/c"), u"C:\\");
    EXPECT_EQ(MapToWindows(root() + "/d/x/../y/"), u"D:\\y");
    // Outside the root the Linux path keeps its place, with Windows separators.
    EXPECT_EQ(MapToWindows("/usr/lib"), u"\\usr\\lib");
    EXPECT_EQ(MapToLinux(MapToWindows("/usr/lib")), "/usr/lib");
    // A two-letter folder of the root is not a drive.
    EXPECT_EQ(MapToWindows(root() + "/cd/x").substr(0, 5), u"\\tmp\\");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(MapToLinux(MapToWindows("rel/file")), std::string(cwd) + "/rel/file");
}
