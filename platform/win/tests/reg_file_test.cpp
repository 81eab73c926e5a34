#include <gtest/gtest.h>

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
