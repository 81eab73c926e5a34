#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text/encoding.h"
#include "platform/win/reg_store.h"
#include "platform/win/registry.h"
#include "temp_root.h"

using platform::win::DumpHive;
using platform::win::Hive;
using platform::win::ImportRegText;

class RegFileTest : public TempRoot {};

TEST_F(RegFileTest, ImportAcceptsRegeditSyntaxAndDumpIsCanonical) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CLASSES_ROOT\\dpkfile\\shell\\open\\command]\r\n"
        "@=hex(2):25,00,73,00,\\\r\n"
        "  00,00\r\n"
        "\"EditFlags\"=dword:10000\r\n"
        "\"Quote\\\"d\"=\"a\\\\b\"\r\n"
        "\"Bin\"=hex:\r\n";
    std::string error;
    ASSERT_TRUE(ImportRegText(text, &error)) << error;
    EXPECT_EQ(*DumpHive(Hive::ClassesRoot),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CLASSES_ROOT\\dpkfile]\n\n"
              "[HKEY_CLASSES_ROOT\\dpkfile\\shell]\n\n"
              "[HKEY_CLASSES_ROOT\\dpkfile\\shell\\open]\n\n"
              "[HKEY_CLASSES_ROOT\\dpkfile\\shell\\open\\command]\n"
              "@=hex(2):25,00,73,00,00,00\n"
              "\"EditFlags\"=dword:00010000\n"
              "\"Quote\\\"d\"=\"a\\\\b\"\n"
              "\"Bin\"=hex:\n\n");

    // regedit's own files are UTF-16 with a byte-order mark.
    std::u16string wide = u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\K]\r\n\"n\"=\"房\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : wide) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    ASSERT_TRUE(ImportRegText(bytes, &error)) << error;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "k", 0, KEY_READ, &key), ERROR_SUCCESS);
    char value[8];
    DWORD size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key, "N", nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size), ERROR_SUCCESS);
    EXPECT_STREQ(value, "房");
    RegCloseKey(key);
}

TEST_F(RegFileTest, StringsThatWouldNotComeBackAreStoredAsHex) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"lines", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"a\nb"), 8);
    RegSetValueExW(key, u"unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"ab"), 4);
    RegSetValueExW(key, u"short", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x01\x02"), 2);
    RegCloseKey(key);
    EXPECT_EQ(*DumpHive(Hive::CurrentUser),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\K]\n"
              "\"lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
              "\"unterminated\"=hex(1):61,00,62,00\n"
              "\"short\"=hex(4):01,02\n\n");
    // Reloaded from the file, the bytes are the same.
    platform::win::SetRoot(root());
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"K", 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE data[16];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(key, u"unterminated", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    RegCloseKey(key);
}

TEST_F(RegFileTest, ABadFileIsRefusedWholeWithItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"REGEDIT4\n", "line 1: not a registry file"},
        {"Windows Registry Editor Version 5.00\n\"v\"=\"x\"\n", "line 2: value before the first key"},
        {"Windows Registry Editor Version 5.00\n[HKEY_USERS\\x]\n", "line 2: unknown hive"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a\\\\b]\n", "line 2: bad key path"},
        {"Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\a]\n", "line 2: deleting keys"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=dword:123456789\n", "line 3: dword:"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=hex:1,zz\n", "line 3: bad byte"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=\"open\n", "line 3: quoted text without"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=\"x\" y\n", "line 3: unexpected text"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=\"\xE6\x88\"\n", "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ImportRegText(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave: " << error;
    }
    // A file that breaks half way changes nothing at all.
    std::string error;
    EXPECT_FALSE(ImportRegText("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\good]\n\"v\"=\"x\"\nbad\n", &error));
    HKEY key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"good", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFileTest, ValuesKeepTheirPlaceThroughReplaceAndRemove) {
    std::string error;
    ASSERT_TRUE(ImportRegText("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\k]\n\"a\"=dword:1\n"
                              "\"b\"=dword:2\n\"c\"=dword:3\n\"A\"=dword:4\n",
                              &error))
        << error;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"k", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"B"), ERROR_SUCCESS);
    const DWORD five = 5;
    EXPECT_EQ(RegSetValueExW(key, u"C", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), 4), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, u"b", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), 4), ERROR_SUCCESS);
    RegCloseKey(key);
    // A name given twice in the file keeps its first place and the later spelling and data.
    EXPECT_EQ(*DumpHive(Hive::CurrentUser), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\k]\n"
                                            "\"A\"=dword:00000004\n\"c\"=dword:00000005\n\"b\"=dword:00000005\n\n");
    // Reloaded from its file, the hive finds its values again.
    platform::win::SetRoot(root());
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"k", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"a"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"a"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(key, u"B"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(*DumpHive(Hive::CurrentUser),
              "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\k]\n\"c\"=dword:00000005\n\n");
}

TEST_F(RegFileTest, UnsoundUtf16AndAHiveThatCannotBeReadChangeNothing) {
    // UTF-16 as regedit writes it, once with a lone surrogate and once with an odd last byte.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=\"x\"\n")) {
        wide += c;
        wide += '\0';
    }
    std::string error;
    EXPECT_FALSE(ImportRegText(wide + "\n", &error));
    EXPECT_NE(error.find("not valid UTF-16"), std::string::npos) << error;
    std::string lone = wide;
    lone.insert(lone.size() - 6, "\x01\xD8");  // inside the quoted "x"
    EXPECT_FALSE(ImportRegText(lone, &error));
    EXPECT_NE(error.find("not valid UTF-16"), std::string::npos) << error;
    ASSERT_TRUE(ImportRegText(wide, &error)) << error;

    // A later hive whose file does not parse: the earlier one is not written either.
    const std::string machine = root() + "/registry/HKEY_LOCAL_MACHINE.reg";
    WriteFile(machine, "damaged");
    const std::string before = *DumpHive(Hive::CurrentUser);
    EXPECT_FALSE(ImportRegText("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\b]\n"
                               "[HKEY_LOCAL_MACHINE\\b]\n",
                               &error));
    EXPECT_NE(error.find("cannot write HKEY_LOCAL_MACHINE"), std::string::npos) << error;
    EXPECT_EQ(*DumpHive(Hive::CurrentUser), before);
    EXPECT_EQ(ReadFile(machine), "damaged");

    // A temporary hive file of a process that died half way is removed by the next change.
    const std::string stale = root() + "/registry/HKEY_CURRENT_USER.reg.tmp.99999999";
    WriteFile(stale, "Windows Registry Editor Version 5.00\n");
    platform::win::SetRoot(root());
    ASSERT_TRUE(ImportRegText("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\c]\n", &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_NE(DumpHive(Hive::CurrentUser)->find("[HKEY_CURRENT_USER\\c]"), std::string::npos);
}
