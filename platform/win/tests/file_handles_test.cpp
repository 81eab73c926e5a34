#include "platform/win/file_handles.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/win/crt_files.h"
#include "platform/win/files.h"
#include "temp_root.h"

using platform::win::FaultKind;
using platform::win::InjectFault;

namespace {

class FileHandlesTest : public TempRoot {
protected:
    std::string C(const std::string& rest) const { return root() + "/c/" + rest; }

    static HANDLE Open(LPCSTR path, DWORD access, DWORD share, DWORD disposition) {
        return CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    static std::string ReadAll(HANDLE file) {
        std::string out(64, '\0');
        DWORD got = 0;
        if (!::ReadFile(file, out.data(), static_cast<DWORD>(out.size()), &got, nullptr)) return "<failed>";
        out.resize(got);
        return out;
    }
    static bool Write(HANDLE file, const std::string& bytes) {
        DWORD put = 0;
        return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    }
    static DWORD Error() { return GetLastError(); }
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

TEST_F(FileHandlesTest, ShareModesRefuseConflictingOpensAndLoseNothing) {
    WriteFile(C("Data/table.dbf"), "old");
    const HANDLE writer = Open("C:\\data\\TABLE.DBF", GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    EXPECT_EQ(Open("C:\\Data\\table.dbf", GENERIC_READ, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // Another file beside it is not held by it, whether there already or made now.
    WriteFile(C("Data/other.dbf"), "");
    for (DWORD disposition : {DWORD(OPEN_EXISTING), DWORD(CREATE_NEW)}) {
        const HANDLE other = Open(disposition == CREATE_NEW ? "C:\\Data\\new.dbf" : "C:\\Data\\other.dbf",
                                  kReadWrite, 0, disposition);
        EXPECT_NE(other, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(CloseHandle(other));
    }
    // A refused CREATE_ALWAYS must not have truncated the file.
    EXPECT_EQ(Open("C:\\Data\\table.dbf", GENERIC_WRITE, kShareAll, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadFile(C("Data/table.dbf")), "old");
    // The C runtime's files meet the same rule.
    errno = 0;
    EXPECT_EQ(platform::win::fopen("C:\\Data\\table.dbf", "rb"), nullptr);
    EXPECT_EQ(errno, EACCES);
    // An open without read or write access takes no part.
    const HANDLE query = Open("C:\\Data\\table.dbf", 0, 0, OPEN_EXISTING);
    EXPECT_NE(query, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(query));
    ASSERT_TRUE(CloseHandle(writer));

    // Readers that share reading get along; a writer then needs every reader to share writing.
    const HANDLE reader = Open("C:\\Data\\table.dbf", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    const HANDLE second = Open("C:\\Data\\table.dbf", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open("C:\\Data\\table.dbf", GENERIC_WRITE, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // A new open whose own share mode excludes the readers is refused too.
    EXPECT_EQ(Open("C:\\Data\\table.dbf", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_TRUE(CloseHandle(second));
    const HANDLE again = Open("C:\\Data\\table.dbf", kReadWrite, 0, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(again));
}

TEST_F(FileHandlesTest, OpeningAnswersWithWin32Codes) {
    WriteFile(C("Data/a.txt"), "alpha");
    EXPECT_EQ(Open("C:\\Data\\none.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open("C:\\Nowhere\\a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open("", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open("C:\\Data", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // Nor is anything but a file opened or deleted: a plain POSIX path could name a device.
    ASSERT_EQ(mkfifo(C("Data/pipe").c_str(), 0666), 0);
    EXPECT_EQ(Open("C:\\Data\\pipe", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA("C:\\Data\\pipe"));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Open("C:\\Data\\A.TXT", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Open("C:\\Data\\a.txt", GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // OPEN_ALWAYS and CREATE_ALWAYS say whether the file was there; CREATE_ALWAYS empties it.
    HANDLE file = Open("C:\\Data\\A.TXT", GENERIC_READ, 0, OPEN_ALWAYS);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadAll(file), "alpha");
    EXPECT_TRUE(CloseHandle(file));
    file = Open("C:\\Data\\new.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(CloseHandle(file));
    file = Open("C:\\Data\\a.txt", kReadWrite, 0, CREATE_ALWAYS);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadAll(file), "");
    // Reading needs read access, writing write access; a closed handle is no handle.
    const HANDLE readOnlyHandle = Open("C:\\Data\\new.txt", GENERIC_READ, kShareAll, OPEN_EXISTING);
    EXPECT_FALSE(Write(readOnlyHandle, "x"));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CloseHandle(readOnlyHandle));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ReadAll(file), "<failed>");
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // A read-only file refuses writing even to root, and a file can be created read-only.
    ASSERT_TRUE(SetFileAttributesA("C:\\Data\\a.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Open("C:\\Data\\a.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    file = CreateFileW(u"C:\\Data\\ro.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    EXPECT_TRUE(Write(file, "kept"));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_NE(GetFileAttributesA("C:\\Data\\ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadFile(C("Data/ro.txt")), "kept");
}

TEST_F(FileHandlesTest, PositionsAndSizes) {
    const HANDLE file = Open("C:\\seek.bin", kReadWrite, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Write(file, "0123456789"));
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 10);

    LARGE_INTEGER distance{};
    LARGE_INTEGER position{};
    distance.QuadPart = 2;
    ASSERT_TRUE(SetFilePointerEx(file, distance, &position, FILE_BEGIN));
    EXPECT_EQ(position.QuadPart, 2);
    char three[3];
    DWORD got = 0;
    ASSERT_TRUE(::ReadFile(file, three, 3, &got, nullptr));
    EXPECT_EQ(std::string(three, got), "234");
    distance.QuadPart = -2;
    ASSERT_TRUE(SetFilePointerEx(file, distance, &position, FILE_CURRENT));
    EXPECT_EQ(position.QuadPart, 3);
    ASSERT_TRUE(SetFilePointerEx(file, distance, &position, FILE_END));
    EXPECT_EQ(position.QuadPart, 8);
    EXPECT_EQ(ReadAll(file), "89");
    // At the end a read succeeds with nothing.
    EXPECT_EQ(ReadAll(file), "");
    // Before the start is refused and the position stays.
    distance.QuadPart = -11;
    EXPECT_FALSE(SetFilePointerEx(file, distance, &position, FILE_END));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_FALSE(SetFilePointerEx(file, distance, nullptr, 7));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    distance.QuadPart = 0;
    ASSERT_TRUE(SetFilePointerEx(file, distance, &position, FILE_CURRENT));
    EXPECT_EQ(position.QuadPart, 10);
    // Past the end, a write fills the gap with zeros.
    distance.QuadPart = 12;
    ASSERT_TRUE(SetFilePointerEx(file, distance, nullptr, FILE_BEGIN));
    ASSERT_TRUE(Write(file, "x"));
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 13);
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadFile(C("seek.bin")), std::string("0123456789\0\0x", 13));
}

TEST_F(FileHandlesTest, InjectedFaultsOnOpenReadWriteAndClose) {
    WriteFile(C("Out/zd.dbf"), "table");
    InjectFault(FaultKind::Open, u"C:\\Out\\locked.*", ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open("C:\\out\\LOCKED.dbf", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(std::filesystem::exists(C("Out/locked.dbf")));

    const HANDLE file = Open("C:\\Out\\zd.dbf", kReadWrite, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    InjectFault(FaultKind::Read, u"*\\ZD.DBF", ERROR_READ_FAULT);
    EXPECT_EQ(ReadAll(file), "<failed>");
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_READ_FAULT));
    InjectFault(FaultKind::Write, u"*\\zd.dbf", ERROR_DISK_FULL);
    DWORD put = 99;
    EXPECT_FALSE(::WriteFile(file, "more", 4, &put, nullptr));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(put, 0u);
    EXPECT_FALSE(FlushFileBuffers(file));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_DISK_FULL));
    InjectFault(FaultKind::Close, u"C:\\Out\\zd.dbf", ERROR_WRITE_FAULT);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    // The failed close still let go of the file: it opens again without sharing.
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(Error(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    platform::win::ClearFaults();
    const HANDLE again = Open("C:\\Out\\zd.dbf", kReadWrite, 0, OPEN_EXISTING);
    EXPECT_EQ(ReadAll(again), "table");
    EXPECT_TRUE(CloseHandle(again));
}

}  // namespace
