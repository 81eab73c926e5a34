#include "platform/win/path_mapping.h"

#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win/file_handles.h"
#include "platform/win/files.h"
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

// The names the mapping has learnt of a folder follow the layer's own changes, and whatever was done
// to the folder behind its back is seen as it is.
TEST_F(PathMappingTest, LearntNamesFollowChangesMadeInAndOutsideTheLayer) {
    std::filesystem::create_directories(root() + "/c/w");
    const std::string w = root() + "/c/w/";
    EXPECT_EQ(MapToLinux(u"C:\\W\\abc.TXT"), w + "abc.TXT");  // learns the folder while it is empty
    HANDLE file = CreateFileW(u"C:\\w\\ABC.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(MapToLinux(u"C:\\W\\abc.TXT"), w + "ABC.txt");
    ASSERT_TRUE(MoveFileW(u"C:\\w\\abc.txt", u"C:\\w\\Moved.txt"));
    EXPECT_EQ(MapToLinux(u"C:\\w\\ABC.TXT"), w + "ABC.TXT");
    EXPECT_EQ(MapToLinux(u"C:\\w\\moved.TXT"), w + "Moved.txt");
    ASSERT_TRUE(CreateDirectoryW(u"C:\\w\\Sub", nullptr));
    EXPECT_EQ(MapToLinux(u"C:\\w\\SUB\\x"), w + "Sub/x");
    ASSERT_TRUE(DeleteFileW(u"C:\\w\\MOVED.txt"));
    EXPECT_EQ(MapToLinux(u"C:\\w\\moved.txt"), w + "moved.txt");

    // Behind the layer's back, each change right after the layer looked.
    EXPECT_EQ(MapToLinux(u"C:\\w\\new.txt"), w + "new.txt");
    WriteFile(w + "NEW.txt", "");
    EXPECT_EQ(MapToLinux(u"C:\\w\\new.txt"), w + "NEW.txt");
    ASSERT_EQ(rename((w + "NEW.txt").c_str(), (w + "Other.txt").c_str()), 0);
    EXPECT_EQ(MapToLinux(u"C:\\w\\new.txt"), w + "new.txt");
    EXPECT_EQ(MapToLinux(u"C:\\w\\OTHER.txt"), w + "Other.txt");
    ASSERT_EQ(unlink((w + "Other.txt").c_str()), 0);
    EXPECT_EQ(MapToLinux(u"C:\\w\\OTHER.txt"), w + "OTHER.txt");
    WriteFile(w + "Late.txt", "");
    EXPECT_EQ(MapToLinux(u"C:\\w\\LATE.TXT"), w + "Late.txt");
    EXPECT_EQ(GetFileAttributesW(u"C:\\w\\exact.txt"), INVALID_FILE_ATTRIBUTES);
    WriteFile(w + "exact.txt", "");
    EXPECT_NE(GetFileAttributesW(u"C:\\w\\exact.txt"), INVALID_FILE_ATTRIBUTES);
    // A folder put in the place of another keeps no names of the old one.
    std::filesystem::remove_all(w + "Sub");
    std::filesystem::create_directories(w + "sub");
    WriteFile(w + "sub/Inner", "");
    EXPECT_EQ(MapToLinux(u"C:\\w\\SUB\\inner"), w + "sub/Inner");
    // Names seen through a link to a folder are the folder's, and follow its changes.
    ASSERT_EQ(symlink((w + "sub").c_str(), (w + "Link").c_str()), 0);
    EXPECT_EQ(MapToLinux(u"C:\\w\\Link\\late.txt"), w + "Link/late.txt");
    WriteFile(w + "sub/LATE.txt", "");
    EXPECT_EQ(MapToLinux(u"C:\\w\\Link\\late.txt"), w + "Link/LATE.txt");
}

TEST_F(PathMappingTest, LearntNamesStayTrueWhileThreadsCreateSideBySide) {
    std::filesystem::create_directories(root() + "/c/w");
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong, this] {
            for (int i = 0; i < 200; ++i) {
                const std::u16string name = u"F" + std::u16string(1, static_cast<char16_t>(u'A' + t)) +
                                            std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"_" +
                                            std::u16string(1, static_cast<char16_t>(u'0' + i / 26)) + u".TXT";
                HANDLE file = CreateFileW((u"C:\\w\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
                if (file == INVALID_HANDLE_VALUE) ++wrong;
                else CloseHandle(file);
                std::u16string lower = name;
                for (auto& c : lower) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
                const std::string found = MapToLinux(u"C:\\W\\" + lower);
                if (found != root() + "/c/w/" + std::string(name.begin(), name.end())) ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
}
