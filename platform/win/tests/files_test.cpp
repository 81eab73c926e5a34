#include "platform/win/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <vector>

#include "temp_root.h"

using platform::win::FaultKind;
using platform::win::InjectFault;

class FilesTest : public TempRoot {
protected:
    std::string C(const std::string& rest) const { return root() + "/c/" + rest; }
};

TEST_F(FilesTest, FoldersAreCreatedAndRemovedWithWin32Codes) {
    EXPECT_TRUE(CreateDirectoryW(u"C:\\222", nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(C("222")));
    EXPECT_FALSE(CreateDirectoryW(u"c:\\222\\", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA("C:\\missing\\sub", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(CreateDirectoryW(u"", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WriteFile(C("222/f.txt"), "x");
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\222"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\222\\f.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(RemoveDirectoryW(u""));
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/c"));

    EXPECT_FALSE(DeleteFileW(u"C:\\222"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DeleteFileW(u"C:\\222\\F.TXT"));
    EXPECT_FALSE(DeleteFileW(u"C:\\222\\f.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileW(u"C:\\nowhere\\f.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(RemoveDirectoryA("C:\\222"));
}

TEST_F(FilesTest, LinksAreSeenAndRemovedAsLinksNeverFollowed) {
    namespace fs = std::filesystem;
    WriteFile(C("outside/keep.txt"), "kept");
    fs::create_directories(C("work"));
    fs::create_directory_symlink(C("outside"), C("work/folder"));
    fs::create_symlink(C("outside/keep.txt"), C("work/file"));
    fs::create_symlink(C("nowhere"), C("work/dangling"));

    // A link to nothing is still there, with attributes of its own.
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\dangling"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(u"C:\\work\\Dangling", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(data.nFileSizeLow, 0u);

    // A folder link goes with RemoveDirectory, as a junction does, full as its folder is.
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\work\\file"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\work\\folder"));
    EXPECT_TRUE(DeleteFileW(u"C:\\work\\file"));
    EXPECT_TRUE(DeleteFileW(u"C:\\work\\dangling"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\dangling"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(fs::is_empty(C("work")));
    EXPECT_EQ(ReadFile(C("outside/keep.txt")), "kept");
}

TEST_F(FilesTest, ReadOnlyFilesCannotBeDeletedOrOverwrittenEvenAsRoot) {
    WriteFile(C("ro.txt"), "keep");
    WriteFile(C("new.txt"), "new");
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\RO.TXT", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

    EXPECT_FALSE(DeleteFileW(u"C:\\ro.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(CopyFileW(u"C:\\new.txt", u"C:\\ro.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFile(C("ro.txt")), "keep");

    // A copy keeps the attribute, as on Windows.
    EXPECT_TRUE(CopyFileW(u"C:\\ro.txt", u"C:\\copy.txt", TRUE));
    EXPECT_NE(GetFileAttributesW(u"C:\\copy.txt") & FILE_ATTRIBUTE_READONLY, 0u);

    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(u"C:\\ro.txt"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, CopyAndMoveFollowWindowsRules) {
    WriteFile(C("a.txt"), "alpha");
    WriteFile(C("b.txt"), "beta");
    EXPECT_FALSE(CopyFileW(u"C:\\a.txt", u"C:\\b.txt", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileW(u"C:\\A.TXT", u"C:\\B.txt", FALSE));
    EXPECT_EQ(ReadFile(C("b.txt")), "alpha");
    EXPECT_FALSE(CopyFileW(u"C:\\none.txt", u"C:\\c.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileW(u"C:\\a.txt", u"C:\\no\\c.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(CopyFileW(u"C:\\a.txt", u"C:\\A.txt", FALSE));  // itself
    EXPECT_EQ(ReadFile(C("a.txt")), "alpha");

    EXPECT_FALSE(MoveFileW(u"C:\\a.txt", u"C:\\b.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(MoveFileW(u"C:\\a.txt", u"C:\\d.txt"));
    EXPECT_EQ(ReadFile(C("d.txt")), "alpha");
    EXPECT_TRUE(MoveFileA("C:\\d.txt", "C:\\D.TXT"));  // a change of case only
    EXPECT_TRUE(std::filesystem::exists(C("D.TXT")));
    EXPECT_FALSE(std::filesystem::exists(C("d.txt")));
    EXPECT_FALSE(MoveFileW(u"C:\\gone.txt", u"C:\\e.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileW(u"C:\\", u"C:\\e"));

    // Nothing of the copies is left behind in the folder.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root() + "/c")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"D.TXT", "b.txt"}));
}

// The copy is made in place of a missing target and beside one that is there; either way a copy
// the file system stops half-way leaves nothing of it, and a whole one keeps its source's mode and
// time and the name of a target found in another case.
TEST_F(FilesTest, CopiesStoppedHalfWayLeaveNothingAndWholeOnesReplaceWhatIsThere) {
    namespace fs = std::filesystem;
    WriteFile(C("src/big.txt"), std::string(4096, 'b'));
    WriteFile(C("src/small.txt"), "small");
    ASSERT_EQ(chmod(C("src/small.txt").c_str(), 0640), 0);
    const timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, C("src/small.txt").c_str(), times, 0), 0);
    WriteFile(C("dst/ABC.txt"), "old");

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const BOOL intoMissing = CopyFileW(u"C:\\src\\big.txt", u"C:\\dst\\new.txt", FALSE);
    const DWORD missingError = GetLastError();
    const BOOL overThere = CopyFileW(u"C:\\src\\big.txt", u"C:\\dst\\abc.TXT", FALSE);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(intoMissing);
    EXPECT_EQ(missingError, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_FALSE(overThere);
    EXPECT_EQ(ReadFile(C("dst/ABC.txt")), "old");
    EXPECT_EQ(GetFileAttributesW(u"C:\\dst\\new.txt"), INVALID_FILE_ATTRIBUTES);

    EXPECT_TRUE(CopyFileW(u"C:\\src\\small.txt", u"C:\\dst\\abc.TXT", FALSE));
    EXPECT_TRUE(CopyFileW(u"C:\\src\\SMALL.txt", u"C:\\dst\\Fresh.txt", TRUE));
    for (const char* name : {"dst/ABC.txt", "dst/Fresh.txt"}) {
        struct stat st {};
        ASSERT_EQ(stat(C(name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 07777, 0640u) << name;
        EXPECT_EQ(st.st_mtim.tv_sec, 1234567890) << name;
        EXPECT_EQ(ReadFile(C(name)), "small") << name;
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(C("dst"))) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ABC.txt", "Fresh.txt"}));
}

TEST_F(FilesTest, InjectedFaultsFailTheChosenOperations) {
    WriteFile(C("data/a.cab"), "cab");
    WriteFile(C("data/b.txt"), "b");
    InjectFault(FaultKind::Copy, u"c:\\DATA\\*.cab", ERROR_DISK_FULL);
    InjectFault(FaultKind::Delete, u"*\\b.txt");
    InjectFault(FaultKind::Create, u"C:\\Temp\\x?");
    EXPECT_FALSE(CopyFileW(u"C:\\data\\a.cab", u"C:\\data\\copy", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_FALSE(std::filesystem::exists(C("data/copy")));
    EXPECT_TRUE(CopyFileW(u"C:\\data\\b.txt", u"C:\\data\\copy", FALSE));
    EXPECT_FALSE(DeleteFileW(u"C:\\data\\b.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CreateDirectoryW(u"C:\\Temp", nullptr));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\Temp\\x1", nullptr));
    EXPECT_TRUE(CreateDirectoryW(u"C:\\Temp\\x12", nullptr));
    platform::win::ClearFaults();
    EXPECT_TRUE(DeleteFileW(u"C:\\data\\b.txt"));
}

TEST_F(FilesTest, FindListsMatchesSortedWithoutCase) {
    WriteFile(C("dir/b.TXT"), "12345");
    WriteFile(C("dir/A.txt"), "1");
    WriteFile(C("dir/c.dat"), "");
    WriteFile(C("dir/\xE6\x88\xBF.txt"), "");  // 房.txt
    std::filesystem::create_directories(C("dir/sub"));
    auto list = [](const char16_t* pattern) {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(pattern, &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do names.emplace_back(data.cFileName);
        while (FindNextFileW(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        return names;
    };
    EXPECT_EQ(list(u"C:\\DIR\\*.txt"), (std::vector<std::u16string>{u"A.txt", u"b.TXT", u"房.txt"}));
    EXPECT_EQ(list(u"C:\\dir\\*.*"),
              (std::vector<std::u16string>{u".", u"..", u"A.txt", u"b.TXT", u"c.dat", u"sub", u"房.txt"}));
    EXPECT_EQ(list(u"C:\\dir\\?.dat"), (std::vector<std::u16string>{u"c.dat"}));
    EXPECT_EQ(list(u"C:\\dir\\SUB"), (std::vector<std::u16string>{u"sub"}));
    EXPECT_EQ(list(u"C:\\*"), (std::vector<std::u16string>{u"dir"}));  // no "." at a drive's top

    // A link is reported as a reparse point, by the listing and by the attributes.
    std::filesystem::create_directory_symlink(C("dir/sub"), C("dir/zlink"));
    WIN32_FIND_DATAW linked;
    HANDLE found = FindFirstFileW(u"C:\\dir\\zlink", &linked);
    ASSERT_NE(found, INVALID_HANDLE_VALUE);
    EXPECT_EQ(linked.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    FindClose(found);
    EXPECT_EQ(GetFileAttributesW(u"C:\\dir\\zlink"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(GetFileAttributesW(u"C:\\dir\\sub"), FILE_ATTRIBUTE_DIRECTORY);
    std::filesystem::remove(C("dir/zlink"));

    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"C:\\dir\\*.doc", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileW(u"C:\\nodir\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));

    WIN32_FIND_DATAA narrow;
    HANDLE find = FindFirstFileA("C:\\dir\\b*", &narrow);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(narrow.cFileName, "b.TXT");
    EXPECT_EQ(narrow.nFileSizeLow, 5u);
    EXPECT_EQ(narrow.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    FindClose(find);
    find = FindFirstFileA("C:\\dir\\房*", &narrow);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(narrow.cFileName, "房.txt");
    FindClose(find);

    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExW(u"C:\\dir\\B.txt", GetFileExInfoStandard, &info));
    EXPECT_EQ(info.nFileSizeLow, 5u);
    struct stat st;
    ASSERT_EQ(stat(C("dir/b.TXT").c_str(), &st), 0);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(ticks / 10000000ULL - 11644473600ULL, static_cast<ULONGLONG>(st.st_mtim.tv_sec));
}
