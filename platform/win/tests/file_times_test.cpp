#include "platform/win/file_times.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <thread>

#include "platform/win/file_handles.h"
#include "platform/win/thread_slots.h"
#include "temp_root.h"

namespace {

ULONGLONG Ticks(const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

class FileTimesTest : public TempRoot {};

TEST_F(FileTimesTest, DosTimesConvertAndStampFiles) {
    FILETIME time{};
    // 2001-02-03 04:05:06 = 981173106 seconds after 1970.
    ASSERT_TRUE(DosDateTimeToFileTime(WORD((21 << 9) | (2 << 5) | 3), WORD((4 << 11) | (5 << 5) | 3), &time));
    EXPECT_EQ(Ticks(time), 981173106ULL * 10000000 + 116444736000000000ULL);
    EXPECT_FALSE(DosDateTimeToFileTime(WORD((21 << 9) | (13 << 5) | 3), 0, &time));
    EXPECT_FALSE(DosDateTimeToFileTime(WORD((21 << 9) | (2 << 5)), 0, &time));

    const char* saved = getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    setenv("TZ", "CST-8", 1);
    tzset();
    FILETIME local = time, utc{};
    ASSERT_TRUE(DosDateTimeToFileTime(WORD((21 << 9) | (2 << 5) | 3), WORD((4 << 11) | (5 << 5) | 3), &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    EXPECT_EQ(Ticks(local) - Ticks(utc), 8ULL * 3600 * 10000000);
    if (saved) setenv("TZ", savedZone.c_str(), 1); else unsetenv("TZ");
    tzset();

    WriteFile(root() + "/c/stamped.txt", "x");
    HANDLE file = CreateFileW(u"C:\\stamped.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, &time, nullptr, &time));
    CloseHandle(file);
    struct stat info {};
    ASSERT_EQ(0, ::stat((root() + "/c/stamped.txt").c_str(), &info));
    EXPECT_EQ(info.st_mtime, 981173106);
    EXPECT_FALSE(SetFileTime(file, nullptr, nullptr, &time));

    // Time and read-only through one handle: a zero time and zero attributes are left alone.
    file = CreateFileW(u"C:\\stamped.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.QuadPart = static_cast<LONGLONG>(Ticks(time) + 20000000);
    basic.FileAttributes = FILE_ATTRIBUTE_READONLY;
    EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    EXPECT_FALSE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic - 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    basic = {};
    EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    CloseHandle(file);
    ASSERT_EQ(0, ::stat((root() + "/c/stamped.txt").c_str(), &info));
    EXPECT_EQ(info.st_mtime, 981173108);
    EXPECT_TRUE(GetFileAttributesW(u"C:\\stamped.txt") & FILE_ATTRIBUTE_READONLY);
    file = CreateFileW(u"C:\\stamped.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    EXPECT_FALSE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));  // not open for writing
    CloseHandle(file);
}

TEST(ThreadSlots, EachThreadSeesItsOwnValue) {
    const DWORD slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    int mine = 0, theirs = 0;
    EXPECT_TRUE(TlsSetValue(slot, &mine));
    std::thread([&] {
        EXPECT_EQ(TlsGetValue(slot), nullptr);
        TlsSetValue(slot, &theirs);
        EXPECT_EQ(TlsGetValue(slot), &theirs);
    }).join();
    EXPECT_EQ(TlsGetValue(slot), &mine);
    EXPECT_TRUE(TlsFree(slot));
    EXPECT_FALSE(TlsSetValue(slot, &mine));
    const DWORD again = TlsAlloc();
    EXPECT_EQ(TlsGetValue(again), nullptr);  // a reused slot starts empty
    TlsFree(again);
}

}  // namespace
