#include "platform/win/code_pages.h"

#include <cstdlib>

#include "platform/text/encoding.h"
#include "platform/win/crt_files.h"
#include "platform/win/folders.h"
#include "platform/win/machine.h"
#include "platform/win/system_info.h"
#include "temp_root.h"

namespace {

class CodePagesTest : public TempRoot {};

std::u16string ToWide(UINT page, const std::string& bytes, DWORD flags = 0) {
    const int needed =
        MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(needed), u'\0');
    if (needed > 0)
        MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(), needed);
    return wide;
}

}  // namespace

TEST_F(CodePagesTest, AnsiIsGbkAndUtf8IsOffered) {
    EXPECT_EQ(GetACP(), 936u);
    const std::string gbk = "\xB5\xD8\xBC\xAE\\x";  // 地籍\x: a trail byte is never taken for a separator
    EXPECT_EQ(ToWide(CP_ACP, gbk), u"地籍\\x");
    EXPECT_EQ(ToWide(CP_UTF8, "\xE5\x9C\xB0"), u"地");

    // Through the terminating zero, which is counted; a short buffer is refused whole.
    WCHAR wide[8];
    EXPECT_EQ(MultiByteToWideChar(936, 0, gbk.c_str(), -1, wide, 8), 5);
    EXPECT_EQ(std::u16string(wide), u"地籍\\x");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, gbk.c_str(), -1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // A lead byte without its trail byte.
    EXPECT_EQ(ToWide(CP_ACP, "a\xB5"), u"a\xFFFD");
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a\xB5", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC0\xAF", 2, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    char narrow[16];
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"地籍", -1, narrow, 16, nullptr, &usedDefault), 5);
    EXPECT_STREQ(narrow, "\xB5\xD8\xBC\xAE");
    EXPECT_FALSE(usedDefault);
    // A character GBK lacks (and a surrogate pair) becomes the default character once.
    const int n = WideCharToMultiByte(CP_ACP, 0, u"a\u0E01\U0001F600b", 5, narrow, 16, "#", &usedDefault);
    EXPECT_EQ(std::string(narrow, static_cast<std::size_t>(n > 0 ? n : 0)), "a##b");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\U0001F600", 2, narrow, 16, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"x", 1, narrow, 16, nullptr, &usedDefault), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(CodePagesTest, WideTextModeStoresTheAnsiCodePage) {
    platform::win::FILE* out = platform::win::_wfopen(u"C:\\restart.def", u"w");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(platform::win::fwprintf(out, u"%s\n%d\n%s", u"重启", 3, u"C:\\地籍 \u0E01"), 12);
    EXPECT_EQ(platform::win::fclose(out), 0);
    // Line feeds as carriage return and line feed, text in GBK, a character GBK lacks as '?'.
    EXPECT_EQ(ReadFile(root() + "/c/restart.def"), "\xD6\xD8\xC6\xF4\r\n3\r\nC:\\\xB5\xD8\xBC\xAE ?");

    platform::win::FILE* in = platform::win::_wfopen(u"C:\\restart.def", u"r");
    ASSERT_NE(in, nullptr);
    WCHAR line[8];
    ASSERT_NE(platform::win::fgetws(line, 8, in), nullptr);
    EXPECT_EQ(std::u16string(line), u"重启\n");
    ASSERT_NE(platform::win::fgetws(line, 8, in), nullptr);
    EXPECT_EQ(std::u16string(line), u"3\n");
    // Seven characters fill the buffer: a double-byte character is never split.
    ASSERT_NE(platform::win::fgetws(line, 6, in), nullptr);
    EXPECT_EQ(std::u16string(line), u"C:\\地籍");
    ASSERT_NE(platform::win::fgetws(line, 8, in), nullptr);
    EXPECT_EQ(std::u16string(line), u" ?");
    EXPECT_EQ(platform::win::fgetws(line, 8, in), nullptr);
    platform::win::fclose(in);

    // Binary streams keep the code units.
    platform::win::FILE* raw = platform::win::_wfopen(u"C:\\raw.bin", u"wb");
    ASSERT_EQ(platform::win::fputws(u"地\n", raw), 0);
    platform::win::fclose(raw);
    EXPECT_EQ(ReadFile(root() + "/c/raw.bin"), std::string("\x30\x57\x0A\x00", 4));
    raw = platform::win::_wfopen(u"C:\\raw.bin", u"rb");
    ASSERT_NE(platform::win::fgetws(line, 8, raw), nullptr);
    EXPECT_EQ(std::u16string(line), u"地\n");
    platform::win::fclose(raw);
}

TEST_F(CodePagesTest, MachineFactsNamesAndEnvironment) {
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(std::u16string(name), u"DERO-PC");
    EXPECT_EQ(size, 7u);

    WriteFile(root() + "/machine.txt",
              platform::text::Utf16ToUtf8(u"# a surveyor's machine\ncomputer = 测绘站-07\nelevation = 3\n"
                                          u"free d: = 1048576\nlazy = yes\n"
                                          u"process = C:\\CAD\\ZWCAD.EXE\nmodule = C:\\CAD\\zw.dll\n"));
    testing::internal::CaptureStderr();
    const platform::win::MachineFacts facts = platform::win::ReadMachineFacts();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("machine.txt:5: \"lazy = yes\""),
              std::string::npos);
    EXPECT_EQ(facts.elevationType, 3u);
    EXPECT_EQ(facts.userName, u"Administrator");
    ASSERT_EQ(facts.processes.size(), 1u);
    EXPECT_EQ(facts.processes[0].modules, std::vector<std::u16string>{u"C:\\CAD\\zw.dll"});
    size = 4;
    EXPECT_FALSE(GetComputerNameW(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, 7u);
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(std::u16string(name), u"测绘站-07");
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"D:\\", &available, &total, &free));
    EXPECT_EQ(available.QuadPart, 1048576u);
    EXPECT_EQ(free.QuadPart, 1048576u);

    // Facts written back read the same.
    ASSERT_TRUE(platform::win::WriteMachineFacts(facts));
    const platform::win::MachineFacts again = platform::win::ReadMachineFacts();
    EXPECT_EQ(again.computerName, facts.computerName);
    EXPECT_EQ(again.freeSpace, facts.freeSpace);
    EXPECT_EQ(again.processes[0].program, u"C:\\CAD\\ZWCAD.EXE");

    ::setenv("DERO_TEST_COMSPEC", "C:\\Windows\\system32\\cmd.exe", 1);
    WCHAR value[64];
    EXPECT_EQ(GetEnvironmentVariableW(u"dero_test_comspec", value, 64), 27u);
    EXPECT_EQ(std::u16string(value), u"C:\\Windows\\system32\\cmd.exe");
    EXPECT_EQ(GetEnvironmentVariableW(u"DERO_TEST_COMSPEC", value, 5), 28u);
    ::unsetenv("DERO_TEST_COMSPEC");
    SetLastError(0);
    EXPECT_EQ(GetEnvironmentVariableW(u"DERO_TEST_COMSPEC", value, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));

    WriteFile(root() + "/c/Program Files/Dero Setup/setup.exe", "MZ");
    EXPECT_EQ(GetShortPathNameW(u"c:\\program files\\dero setup\\setup.exe", value, 64), 37u);
    EXPECT_EQ(std::u16string(value), u"c:\\program files\\dero setup\\setup.exe");
    EXPECT_EQ(GetShortPathNameW(u"C:\\Program Files\\none.exe", value, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // The narrow form: the path back as given, or the size it needs with its zero.
    char narrow[64];
    EXPECT_EQ(GetShortPathNameA("c:\\program files\\dero setup\\setup.exe", narrow, 64), 37u);
    EXPECT_STREQ(narrow, "c:\\program files\\dero setup\\setup.exe");
    EXPECT_EQ(GetShortPathNameA("c:\\program files\\dero setup\\setup.exe", narrow, 37), 38u);
    EXPECT_EQ(GetShortPathNameA("C:\\Program Files\\none.exe", narrow, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}
