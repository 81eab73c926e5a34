#include "platform/win/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "platform/text/encoding.h"
#include "hive_store.h"
#include "platform/win/reg_store.h"
#include "reg_tree.h"
#include "temp_root.h"

using platform::win::FaultKind;
using platform::win::InjectFault;

namespace {

class RegistryTest : public TempRoot {
protected:
    std::string HiveFile(const char* name) const { return ReadFile(root() + "/registry/" + name + ".reg"); }
};

// Runs body in a child process and returns its exit code.
template <typename Body>
int InChild(Body body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

DWORD ReadDword(HKEY key, const char* name) {
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size);
    return value;
}

}  // namespace

TEST_F(RegistryTest, ValuesRoundTripBetweenNarrowAndWideForms) {
    HKEY key;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const DWORD number = 5;
    ASSERT_EQ(RegSetValueExA(key, "min_dist", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
    const std::string gbk = "房屋\\乗";  // double-byte characters, one with a backslash trail byte
    ASSERT_EQ(RegSetValueExA(key, "userpath", 0, REG_SZ, reinterpret_cast<const BYTE*>(gbk.c_str()),
                             static_cast<DWORD>(gbk.size() + 1)),
              ERROR_SUCCESS);
    const std::string expand = "%SystemRoot%\\x";
    ASSERT_EQ(RegSetValueExA(key, "cmd", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand.c_str()),
                             static_cast<DWORD>(expand.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\quorvane\\DERO", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, u"MIN_DIST", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 5u);
    WCHAR wide[64];
    size = sizeof wide;
    EXPECT_EQ(RegQueryValueExW(key, u"userpath", nullptr, &type, reinterpret_cast<LPBYTE>(wide), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(wide), u"房屋\\乗");
    EXPECT_EQ(size, 10u);

    // A buffer one byte short: ERROR_MORE_DATA and the size needed, in each form's own bytes.
    char narrow[64];
    size = static_cast<DWORD>(gbk.size());
    EXPECT_EQ(RegQueryValueExA(key, "userpath", nullptr, &type, reinterpret_cast<LPBYTE>(narrow), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, gbk.size() + 1);
    EXPECT_EQ(RegQueryValueExA(key, "userpath", nullptr, &type, reinterpret_cast<LPBYTE>(narrow), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(narrow), gbk);
    size = 9;
    EXPECT_EQ(RegQueryValueExW(key, u"userpath", nullptr, nullptr, reinterpret_cast<LPBYTE>(wide), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u);
    size = 3;
    EXPECT_EQ(RegQueryValueExW(key, u"min_dist", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size), ERROR_MORE_DATA);
    size = sizeof wide;
    EXPECT_EQ(RegQueryValueExW(key, u"cmd", nullptr, &type, reinterpret_cast<LPBYTE>(wide), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(std::u16string(wide), u"%SystemRoot%\\x");
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "cmd", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(size, expand.size() + 1);
    EXPECT_EQ(RegQueryValueExA(key, "cmd", nullptr, nullptr, reinterpret_cast<LPBYTE>(narrow), &size), ERROR_SUCCESS);
    EXPECT_STREQ(narrow, "%SystemRoot%\\x");

    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // The key was opened for reading only.
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Dero\\Tallyview", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    // The stored file is UTF-8; the literal here is GBK.
    EXPECT_NE(HiveFile("HKEY_CURRENT_USER").find(platform::text::GbkToUtf8("[HKEY_CURRENT_USER\\Software\\Quorvane\\Dero]\n"
                                                 "\"min_dist\"=dword:00000005\n"
                                                 "\"userpath\"=\"房屋\\\\乗\"\n"
                                                 "\"cmd\"=hex(2):25,00,53,00")),
              std::string::npos)
        << HiveFile("HKEY_CURRENT_USER");
}

TEST_F(RegistryTest, KeysKeepCaseSortAndRefuseUnsafeDeletes) {
    HKEY root;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Uninstall", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                              nullptr),
              ERROR_SUCCESS);
    for (const char16_t* name : {u"zeta", u"Alpha", u"beta\\Inner", u"ALPHA"}) {
        HKEY sub;
        ASSERT_EQ(RegCreateKeyExW(root, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
        RegCloseKey(sub);
    }
    for (const char16_t* name : {u"b", u"a", u"@", u"B"}) {
        ASSERT_EQ(RegSetValueExW(root, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(u"v"), 4), ERROR_SUCCESS);
    }
    std::vector<std::u16string> keys;
    WCHAR name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        const LONG result = RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(result, ERROR_SUCCESS);
        keys.emplace_back(name, length);
    }
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"beta", u"zeta"}));
    DWORD length = 4;  // "beta" needs room for its zero
    EXPECT_EQ(RegEnumKeyExW(root, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    std::vector<std::u16string> values;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, type = 0;
        BYTE data[8];
        DWORD size = sizeof data;
        if (RegEnumValueW(root, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values.emplace_back(name, nameLength);
    }
    EXPECT_EQ(values, (std::vector<std::u16string>{u"b", u"a", u"@"}));
    DWORD subKeys = 0, valueCount = 0, longestKey = 0, longestValue = 0;
    ASSERT_EQ(RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &subKeys, &longestKey, nullptr, &valueCount, nullptr,
                               &longestValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(valueCount, 3u);
    EXPECT_EQ(longestKey, 5u);
    EXPECT_EQ(longestValue, 4u);

    EXPECT_EQ(RegDeleteKeyW(root, u"BETA"), ERROR_ACCESS_DENIED);  // it has a sub-key
    EXPECT_EQ(RegDeleteKeyW(root, u""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(root, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyW(root, u"missing"), ERROR_FILE_NOT_FOUND);
    HKEY inner;
    ASSERT_EQ(RegOpenKeyExW(root, u"beta\\inner", 0, KEY_ALL_ACCESS, &inner), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(root, u"beta\\INNER"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(inner, u"x", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"v"), 4), ERROR_KEY_DELETED);
    RegCloseKey(inner);
    EXPECT_EQ(RegDeleteKeyW(root, u"beta"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(root, u"A"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(root, u"a"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(root, u"\\zeta", 0, KEY_READ, &inner), ERROR_BAD_PATHNAME);
    // Names that the hive file could not hold are refused, so the hive stays readable.
    EXPECT_EQ(RegSetValueExW(root, u"two\nlines", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"v"), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(root, u"half\xD800", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &inner, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(root, std::u16string(256, u'k').c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &inner,
                              nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(root);
}

// A change that runs out of memory half way was reported as failed: the next change that succeeds
// must not save its half.
TEST_F(RegistryTest, AChangeCutShortByAFailedAllocationIsNeverSaved) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Dero", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    {
        std::lock_guard lock(platform::win::RegistryMutex());
        EXPECT_THROW(platform::win::ChangeHive(platform::win::Hive::CurrentUser,
                                               [](platform::win::RegKey& root) -> LONG {
                                                   root.Ensure(u"Half").SetValue(u"Half", REG_DWORD, {1, 0, 0, 0});
                                                   throw std::bad_alloc();
                                               }),
                     std::bad_alloc);
    }
    const DWORD scale = 150;
    ASSERT_EQ(RegSetValueExA(key, "Scale_Ent", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&scale), 4), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_NE(HiveFile("HKEY_CURRENT_USER").find("Scale_Ent"), std::string::npos);
    EXPECT_EQ(HiveFile("HKEY_CURRENT_USER").find("Half"), std::string::npos);
}

TEST_F(RegistryTest, AValueWrittenByOneProcessIsReadByAnother) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Dero\\Tallyview", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(key, "BgColor"), 0xDEADBEEFu);  // loads the hive into this process's cache

    const int childResult = InChild([] {
        HKEY child;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Dero\\Tallyview", 0, KEY_WRITE, &child) != ERROR_SUCCESS) return 1;
        const DWORD colour = 0x00FF00;
        return RegSetValueExA(child, "BgColor", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&colour), 4) == ERROR_SUCCESS
                   ? 0
                   : 2;
    });
    ASSERT_EQ(childResult, 0);
    EXPECT_EQ(ReadDword(key, "BgColor"), 0x00FF00u);

    const DWORD scale = 150;
    ASSERT_EQ(RegSetValueExA(key, "Scale_Ent", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&scale), 4), ERROR_SUCCESS);
    EXPECT_EQ(InChild([key] { return ReadDword(key, "Scale_Ent") == 150 && ReadDword(key, "BgColor") == 0x00FF00 ? 0 : 1; }),
              0);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AChangeThatKeepsSizeAndTimeIsStillSeen) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD five = 5;
    ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), 4), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(key, "v"), 5u);
    // Another writer within the same clock tick, on a reused inode: size and times look the same.
    const std::string path = root() + "/registry/HKEY_CURRENT_USER.reg";
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    std::string text = HiveFile("HKEY_CURRENT_USER");
    text.replace(text.find("00000005"), 8, "00000006");
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(ReadDword(key, "v"), 6u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, ProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 3, kValues = 30;
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = fork();
        if (children[w] == 0) {
            HKEY key;
            if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr) != ERROR_SUCCESS)
                _exit(1);
            for (DWORD i = 0; i < kValues; ++i) {
                const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
                if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4) != ERROR_SUCCESS)
                    _exit(2);
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, static_cast<DWORD>(kWriters * kValues));
    EXPECT_EQ(ReadDword(key, "w2_29"), 29u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, InjectedFaultsMakeKeysImpossibleToOpenOrCreate) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    InjectFault(FaultKind::RegistryCreate, u"HKEY_CURRENT_USER\\software\\quorvane\\*");
    InjectFault(FaultKind::RegistryOpen, u"HKEY_LOCAL_MACHINE\\*");
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, CopyTreeCopiesValuesAndKeysEvenIntoItself) {
    HKEY profiles;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Profiles\\Default\\General", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &profiles, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExW(profiles, u"ScreenMenu", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegCloseKey(profiles);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Profiles", 0, KEY_ALL_ACCESS, &profiles), ERROR_SUCCESS);
    HKEY copy;
    ASSERT_EQ(RegCreateKeyExW(profiles, u"Default\\Dero", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &copy, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCopyTreeW(profiles, u"Default", copy), ERROR_SUCCESS);
    HKEY general;
    ASSERT_EQ(RegOpenKeyExW(copy, u"General", 0, KEY_READ, &general), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(general, "ScreenMenu"), 1u);
    RegCloseKey(general);
    // The copy was taken before it was placed: the new key holds no copy of itself inside.
    EXPECT_EQ(RegOpenKeyExW(copy, u"Dero\\Dero", 0, KEY_READ, &general), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SHCopyKeyA(profiles, "Nothing", copy, 0), ERROR_FILE_NOT_FOUND);
    RegCloseKey(copy);
    RegCloseKey(profiles);
}

TEST_F(RegistryTest, AnUnreadableHiveFileIsNeverOverwritten) {
    WriteFile(root() + "/registry/HKEY_CLASSES_ROOT.reg", "garbage\n");
    HKEY key;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u".dpk", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BADDB);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("HKEY_CLASSES_ROOT.reg: line 1"), std::string::npos);
    EXPECT_EQ(HiveFile("HKEY_CLASSES_ROOT"), "garbage\n");
    EXPECT_FALSE(platform::win::DumpHive(platform::win::Hive::ClassesRoot));
}

namespace {

std::u16string NestedPath(std::size_t depth) {
    std::u16string path;
    for (std::size_t i = 0; i < depth; ++i) path += i == 0 ? u"k" : u"\\k";
    return path;
}

}  // namespace

TEST_F(RegistryTest, KeysDeeperThanWindowsAllowsAreRefusedWherePathsComeIn) {
    using platform::win::kMaxKeyDepth;
    HKEY deepest;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, NestedPath(kMaxKeyDepth).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &deepest, nullptr),
              ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(deepest, u"one", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, NestedPath(kMaxKeyDepth + 1).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(deepest);
    const std::string before = HiveFile("HKEY_CURRENT_USER");

    // A copy that would land too deep is refused whole.
    HKEY top;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"copy\\to", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top, nullptr),
              ERROR_SUCCESS);
    const std::string withCopyKey = HiveFile("HKEY_CURRENT_USER");
    EXPECT_EQ(RegCopyTreeW(HKEY_CURRENT_USER, u"k", top), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(HiveFile("HKEY_CURRENT_USER"), withCopyKey);
    EXPECT_EQ(RegCopyTreeW(HKEY_CURRENT_USER, NestedPath(2).c_str(), top), ERROR_SUCCESS);
    RegCloseKey(top);

    // A deep key in a hive file (or an import) is refused with its line; the file is left alone.
    const std::string deep = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\" +
                             platform::text::Utf16ToUtf8(NestedPath(20000)) + "]\n\"v\"=\"x\"\n";
    std::string error;
    EXPECT_FALSE(platform::win::ImportRegText(deep, &error));
    EXPECT_NE(error.find("line 3: key nested deeper than 512 levels"), std::string::npos) << error;
    WriteFile(root() + "/registry/HKEY_CLASSES_ROOT.reg", deep);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"k", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line 3: key nested deeper"), std::string::npos);
    EXPECT_EQ(HiveFile("HKEY_CLASSES_ROOT"), deep);
    EXPECT_NE(before.find(platform::text::Utf16ToUtf8(u"[HKEY_CURRENT_USER\\" + NestedPath(kMaxKeyDepth) + u"]")),
              std::string::npos);
}

// However it came to be, a tree is measured and destroyed without recursion.
TEST(RegKeyTree, AVeryDeepTreeIsMeasuredAndDestroyed) {
    auto root = std::make_unique<platform::win::RegKey>();
    platform::win::RegKey* at = root.get();
    for (int i = 0; i < 200000; ++i) at = &at->Ensure(u"k");
    at->Ensure(u"leaf").SetValue(u"v", REG_SZ, {});
    EXPECT_EQ(root->Height(), 200001u);
    root.reset();
}
