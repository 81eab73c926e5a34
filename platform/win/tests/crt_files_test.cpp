#include "platform/win/crt_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win/file_handles.h"
#include "platform/win/files.h"
#include "temp_root.h"

namespace crt = platform::win;
using platform::win::FaultKind;
using platform::win::InjectFault;

namespace {

class CrtFilesTest : public TempRoot {
protected:
    std::string C(const std::string& rest) const { return root() + "/c/" + rest; }

    // Every line fgets gives, read through a buffer of the given size.
    static std::vector<std::string> Lines(crt::FILE* file, int size = 256) {
        std::vector<std::string> lines;
        std::vector<char> buffer(static_cast<std::size_t>(size));
        while (crt::fgets(buffer.data(), size, file)) lines.emplace_back(buffer.data());
        return lines;
    }
};

using Strings = std::vector<std::string>;

TEST_F(CrtFilesTest, TextModeReadsLinesAsTheRuntimeDoes) {
    // A line end across the 4096-byte read-ahead, a lone carriage return, GBK text and a Ctrl-Z.
    const std::string longLine(4090, 'x');
    WriteFile(C("Support/table.txt"), "one\r\n" + longLine + "\r\ntwo\r\rthree\n界址点\r\nend\x1Ahidden\r\n");
    crt::FILE* file = crt::fopen("C:\\SUPPORT\\Table.txt", "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(crt::ftell(file), 0);
    char first[8];
    ASSERT_NE(crt::fgets(first, sizeof first, file), nullptr);
    EXPECT_STREQ(first, "one\n");
    // Positions are the file's: the line took five bytes.
    EXPECT_EQ(crt::ftell(file), 5);
    EXPECT_EQ(Lines(file, 5000), (Strings{longLine + "\n", "two\r\rthree\n", "界址点\n", "end"}));
    EXPECT_TRUE(crt::feof(file));
    EXPECT_FALSE(crt::ferror(file));
    // A short buffer cuts a line; a seek goes back and clears the end.
    ASSERT_EQ(crt::fseek(file, 0, SEEK_SET), 0);
    EXPECT_FALSE(crt::feof(file));
    EXPECT_EQ(Lines(file, 3).front(), "on");
    EXPECT_EQ(crt::fclose(file), 0);

    // Binary mode leaves the bytes alone.
    file = crt::_wfopen(u"C:\\Support\\table.txt", u"rb");
    ASSERT_NE(file, nullptr);
    char raw[6] = {};
    EXPECT_EQ(crt::fread(raw, 1, 5, file), 5u);
    EXPECT_STREQ(raw, "one\r\n");
    EXPECT_EQ(crt::fclose(file), 0);

    // Writing in text mode puts carriage returns before line feeds; "a" appends.
    file = crt::fopen("C:\\Support\\out.txt", "w");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(crt::fwrite("a\nb", 1, 3, file), 3u);
    EXPECT_EQ(crt::fclose(file), 0);
    file = crt::fopen("C:\\Support\\out.txt", "ab");
    EXPECT_EQ(crt::fwrite("\n", 1, 1, file), 1u);
    EXPECT_EQ(crt::fclose(file), 0);
    EXPECT_EQ(ReadFile(C("Support/out.txt")), "a\r\nb\n");

    errno = 0;
    EXPECT_EQ(crt::fopen("C:\\Support\\none.txt", "r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(crt::fopen("C:\\Support\\out.txt", "rw"), nullptr);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(CrtFilesTest, LowLevelFilesFollowTheirFlags) {
    const int out = crt::_open("C:\\low.txt", crt::_O_WRONLY | crt::_O_CREAT | crt::_O_TRUNC, crt::_S_IREAD);
    ASSERT_GE(out, 3);
    EXPECT_EQ(crt::_write(out, "ab\ncd\n", 6), 6);
    char byte;
    errno = 0;
    EXPECT_EQ(crt::_read(out, &byte, 1), -1);
    EXPECT_EQ(errno, EBADF);
    // The file's own Win32 handle, the same each time asked, lasts as long as the file is open.
    const auto handle = reinterpret_cast<HANDLE>(crt::_get_osfhandle(out));
    EXPECT_EQ(reinterpret_cast<HANDLE>(crt::_get_osfhandle(out)), handle);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(handle, &size));
    EXPECT_EQ(size.QuadPart, 8);
    const FILETIME written{0x256D4000, 0x01BF53EB};  // 2000-01-01 00:00 UTC
    EXPECT_TRUE(SetFileTime(handle, nullptr, nullptr, &written));
    EXPECT_EQ(crt::_close(out), 0);
    EXPECT_FALSE(GetFileSizeEx(handle, &size));
    struct stat status {};
    ASSERT_EQ(stat(C("low.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, 946684800);
    EXPECT_EQ(crt::_close(out), -1);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(crt::_get_osfhandle(out), -1);
    EXPECT_EQ(errno, EBADF);
    // Created without _S_IWRITE: read-only.
    EXPECT_NE(GetFileAttributesA("C:\\low.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadFile(C("low.txt")), "ab\r\ncd\r\n");

    EXPECT_EQ(crt::_open("C:\\LOW.TXT", crt::_O_CREAT | crt::_O_EXCL | crt::_O_WRONLY), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(crt::_open("C:\\missing.txt", crt::_O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(crt::_open("C:\\low.txt", crt::_O_RDWR), -1);
    EXPECT_EQ(errno, EACCES);

    // Text reads turn each line end into a line feed, also when a read ends on the carriage return.
    const int in = crt::_open("C:\\low.txt", crt::_O_RDONLY);
    char two[2];
    EXPECT_EQ(crt::_read(in, two, 2), 2);
    EXPECT_EQ(crt::_read(in, two, 1), 1);
    EXPECT_EQ(two[0], '\n');
    EXPECT_EQ(crt::_lseek(in, 0, SEEK_CUR), 4);
    EXPECT_EQ(crt::_lseek(in, -1, SEEK_SET), -1);
    EXPECT_EQ(errno, EINVAL);
    char rest[16] = {};
    ASSERT_EQ(crt::_read(in, rest, sizeof rest), 3);
    EXPECT_EQ(std::string(rest, 3), "cd\n");
    EXPECT_EQ(crt::_read(in, rest, sizeof rest), 0);
    EXPECT_EQ(crt::_lseek(in, 0, SEEK_SET), 0);
    EXPECT_EQ(crt::_read(in, rest, sizeof rest), 6);
    EXPECT_EQ(crt::_close(in), 0);
    const int binary = crt::_open("C:\\low.txt", crt::_O_RDONLY | crt::_O_BINARY);
    EXPECT_EQ(crt::_read(binary, rest, sizeof rest), 8);
    EXPECT_EQ(crt::_close(binary), 0);
}

TEST_F(CrtFilesTest, InjectedFaultsReachEveryCall) {
    WriteFile(C("Out/items.info"), "line\n");
    InjectFault(FaultKind::Open, u"C:\\Out\\denied.*");
    errno = 0;
    EXPECT_EQ(crt::fopen("C:\\Out\\denied.info", "wb"), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(crt::_open("C:\\Out\\denied.info", crt::_O_WRONLY | crt::_O_CREAT), -1);
    EXPECT_FALSE(std::filesystem::exists(C("Out/denied.info")));

    crt::FILE* file = crt::fopen("C:\\Out\\items.info", "r+");
    ASSERT_NE(file, nullptr);
    InjectFault(FaultKind::Read, u"C:\\Out\\items.info", ERROR_READ_FAULT);
    char line[16];
    EXPECT_EQ(crt::fgets(line, sizeof line, file), nullptr);
    EXPECT_TRUE(crt::ferror(file));
    EXPECT_FALSE(crt::feof(file));
    InjectFault(FaultKind::Write, u"*.info", ERROR_DISK_FULL);
    EXPECT_EQ(crt::fwrite("x", 1, 1, file), 0u);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    InjectFault(FaultKind::Close, u"*.info", ERROR_WRITE_FAULT);
    EXPECT_EQ(crt::fclose(file), EOF);
    EXPECT_EQ(errno, EACCES);

    const int low = crt::_open("C:\\Out\\items.info", crt::_O_RDWR | crt::_O_BINARY);
    ASSERT_GE(low, 0);
    EXPECT_EQ(crt::_read(low, line, 4), -1);
    EXPECT_EQ(crt::_write(low, "x", 1), -1);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(crt::_close(low), -1);
    EXPECT_EQ(ReadFile(C("Out/items.info")), "line\n");
}

}  // namespace
