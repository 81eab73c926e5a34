#include "platform/win/folders.h"

#include "platform/win/path_mapping.h"
#include "temp_root.h"

class FoldersTest : public TempRoot {};

TEST_F(FoldersTest, TempAndWindowsFoldersLiveOnTheRoot) {
    WCHAR buffer[MAX_PATH];
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 8u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\Temp\\");
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/c/Temp"));
    WCHAR small[8];
    EXPECT_EQ(GetTempPathW(8, small), 9u);  // the size needed, zero included
    char narrow[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(narrow, MAX_PATH), 10u);
    EXPECT_STREQ(narrow, "C:\\Windows");
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/c/Windows"));
}

TEST_F(FoldersTest, ModuleFileNamesAreInWindowsForm) {
    WCHAR buffer[1024];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 1024);
    ASSERT_GT(length, 0u);
    const std::u16string program(buffer, length);
    EXPECT_EQ(program, platform::win::MapToWindows(std::filesystem::canonical("/proc/self/exe").string()));
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 1024), length);

    WCHAR tiny[5];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, tiny, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(tiny), program.substr(0, 4));

    const HMODULE library = platform::win::ModuleFromAddress(reinterpret_cast<const void*>(&GetTempPathW));
    ASSERT_NE(library, nullptr);
    char narrow[1024];
    ASSERT_GT(GetModuleFileNameA(library, narrow, sizeof narrow), 0u);
    EXPECT_TRUE(std::string(narrow).ends_with("\\libplatform_win.so")) << narrow;
}

TEST_F(FoldersTest, FreeSpaceComesFromTheDriveOrTheOverride) {
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    platform::win::SetFreeDiskSpaceOverride(5u << 20);
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    EXPECT_EQ(available.QuadPart, 5u << 20);
    EXPECT_EQ(free.QuadPart, 5u << 20);
    platform::win::SetFreeDiskSpaceOverride(std::nullopt);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"C:\\missing\\folder", &available, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}
