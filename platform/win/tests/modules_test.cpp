#include "platform/win/modules.h"

#include <filesystem>

#include "platform/win/folders.h"
#include "platform/win/registry.h"
#include "temp_root.h"

namespace {

class ModulesTest : public TempRoot {};

int Twice(int value) {
    return value * 2;
}

using RegisterServer = HRESULT (*)();

std::u16string ReadDefault(HKEY root, const char16_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return u"<missing>";
    char16_t buffer[64] = {};
    DWORD size = sizeof buffer;
    RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return buffer;
}

}  // namespace

TEST_F(ModulesTest, SystemModulesResolveByNameWithoutCase) {
    platform::win::RegisterSystemModule(u"Sample.dll", {{"Twice", platform::win::ExportOf(&Twice)}});
    const HMODULE module = LoadLibraryW(u"sample.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(LoadLibraryW(u"SAMPLE"), module);
    EXPECT_EQ(GetModuleHandleW(u"Sample.dll"), module);
    auto twice = reinterpret_cast<int (*)(int)>(GetProcAddress(module, "Twice"));
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice(21), 42);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "Thrice"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(FreeLibrary(module));

    // The free-space call is found by name, as the installer looks it up.
    const HMODULE kernel = LoadLibraryW(u"kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    auto freeSpace =
        reinterpret_cast<decltype(&GetDiskFreeSpaceExW)>(GetProcAddress(kernel, "GetDiskFreeSpaceExW"));
    ASSERT_EQ(freeSpace, &GetDiskFreeSpaceExW);
    ULARGE_INTEGER available{}, total{}, free{};
    EXPECT_TRUE(freeSpace(u"C:", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    FreeLibrary(kernel);

    // Unknown names and missing files are not found.
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(u"NoSuchModule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryW(u"C:\\Program Files\\missing.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleW(u"missing.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleW(nullptr), GetModuleHandleW(nullptr));
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
}

TEST_F(ModulesTest, HiddenModulesAndExportsAreNotFound) {
    platform::win::RegisterSystemModule(u"Cabinet.dll", {{"Twice", platform::win::ExportOf(&Twice)}});
    platform::win::InjectFault(platform::win::FaultKind::Load, u"Cabinet.dll", ERROR_MOD_NOT_FOUND);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(u"Cabinet.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleW(u"cabinet.dll"), nullptr);
    platform::win::ClearFaults();

    const HMODULE module = LoadLibraryW(u"Cabinet.dll");
    ASSERT_NE(module, nullptr);
    platform::win::InjectFault(platform::win::FaultKind::Export, u"cabinet.dll!TWICE", ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(module, "Twice"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    FreeLibrary(module);
}

TEST_F(ModulesTest, ComponentRegistrationRunsFromTheRoot) {
    const std::filesystem::path target = std::filesystem::path(root()) / "c/Program Files/Dero/x.dll";
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(DERO_TEST_COMPONENT, target);

    const HMODULE component = LoadLibraryW(u"c:\\program files\\dero\\X.DLL");
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(GetModuleHandleW(u"x.dll"), component);
    WCHAR path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(component, path, MAX_PATH), 0u);
    EXPECT_EQ(std::u16string(path), u"C:\\Program Files\\Dero\\x.dll");

    auto registerServer = reinterpret_cast<RegisterServer>(GetProcAddress(component, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(GetProcAddress(component, "DllUnregisterServer"), nullptr);
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(
        ReadDefault(HKEY_CLASSES_ROOT, u"CLSID\\{0D3E5C1A-7B21-4F0E-9A55-3C0FFEE00001}\\InprocServer32"),
        u"x.dll");
    EXPECT_TRUE(FreeLibrary(component));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleW(u"x.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(component));
}

TEST_F(ModulesTest, EnvironmentFaultEntriesAreParsed) {
    // The environment is read once per process: when an earlier check read it, there is nothing to see.
    ::setenv("DERO_FAULTS", "Write=C:\\Out\\*; Load = Cabinet.dll ;Bogus=x;Open=C:\\a@b\\*@32;Read", 1);
    testing::internal::CaptureStderr();
    const int added = platform::win::LoadFaultsFromEnvironment();
    const std::string messages = testing::internal::GetCapturedStderr();
    ::unsetenv("DERO_FAULTS");
    if (added == 0 && messages.empty())
        GTEST_SKIP() << "faults were read from the environment earlier";
    EXPECT_EQ(added, 3);
    EXPECT_NE(messages.find("unknown operation \"Bogus\""), std::string::npos) << messages;
    EXPECT_NE(messages.find("\"Read\" is not Kind=pattern"), std::string::npos) << messages;
    EXPECT_EQ(platform::win::CheckFault(platform::win::FaultKind::Write, u"c:\\out\\a.txt"),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(platform::win::CheckFault(platform::win::FaultKind::Load, u"CABINET.DLL"),
              static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(platform::win::CheckFault(platform::win::FaultKind::Open, u"C:\\a@b\\c"),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(platform::win::CheckFault(platform::win::FaultKind::Read, u"C:\\a@b\\c"), 0u);
}
