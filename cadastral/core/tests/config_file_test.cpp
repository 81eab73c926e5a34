// Lines of the configuration tables: only line ends are cut, long lines stay whole, the end line
// ends the file, and the file search finds a table without regard to case.
#include "cadastral/config_file.h"
#include "platform/win/fault_injection.h"
#include "toolkit_fixture.h"

namespace {

using cadastral::IsEndLine;
using cadastral::SplitConfigLines;
using Lines = std::vector<std::string>;

TEST(ConfigFileLines, OnlyLineEndsAreCut) {
    EXPECT_EQ(SplitConfigLines("a,b\nc,d\r\nlast,x"), (Lines{"a,b", "c,d", "last,x"}))
        << "a last line without a line end keeps its last character";
    EXPECT_EQ(SplitConfigLines("a\r\n\r\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitConfigLines("a\rb\n"), (Lines{"a\rb"})) << "a carriage return alone is no line end";
    EXPECT_EQ(SplitConfigLines("x\r"), (Lines{"x\r"}));
    EXPECT_EQ(SplitConfigLines(""), Lines{});
    EXPECT_EQ(SplitConfigLines(std::string_view("ab\0cd\nef", 8)), (Lines{"ab", "ef"}));
}

TEST(ConfigFileLines, ALongLineIsOneLine) {
    std::string longLine = "141200,普通房屋,1," + std::string(400, 'x') + ",1420,FW";
    Lines lines = SplitConfigLines(longLine + "\r\n300000,宗地,0,JZD,3000,ZD\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longLine);
}

TEST(ConfigFileLines, TheEndLineInAnyCaseEndsTheFile) {
    EXPECT_TRUE(IsEndLine("EnDx"));
    EXPECT_FALSE(IsEndLine("EN"));
    EXPECT_FALSE(IsEndLine(" END"));
    EXPECT_EQ(SplitConfigLines("a\nEnd\nb\n"), (Lines{"a"}));
    EXPECT_EQ(SplitConfigLines("a\nend of table\r\nb\n"), (Lines{"a"}));
}

class ConfigFileSearch : public ToolkitTest {};

TEST_F(ConfigFileSearch, TablesAreFoundWithoutRegardToCase) {
    WriteSupportFile("INDEX.INI", "300000,宗地,0,JZD,3000,ZD\r\nEND\r\n");
    WriteSupportFile("dilei.DEF", "1,农用地\n");
    Lines lines;
    ASSERT_TRUE(cadastral::ReadConfigFile("index.ini", lines));
    EXPECT_EQ(lines, (Lines{"300000,宗地,0,JZD,3000,ZD"}));
    ASSERT_TRUE(cadastral::ReadConfigFile("Dilei.def", lines));
    EXPECT_EQ(lines, (Lines{"1,农用地"}));
    EXPECT_FALSE(cadastral::ReadConfigFile("work.def", lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(ConfigFileSearch, LongTablesAreReadWholeAndUnreadableOnesGiveNoLines) {
    std::string table;
    for (int i = 0; i < 2000; ++i) table += std::to_string(i) + ",地类\r\n";
    WriteSupportFile("dilei.def", table);
    Lines lines;
    ASSERT_TRUE(cadastral::ReadConfigFile("dilei.def", lines));
    ASSERT_EQ(lines.size(), 2000u);
    EXPECT_EQ(lines.back(), "1999,地类");

    platform::win::ScopedFaults faults;
    platform::win::InjectFault(platform::win::FaultKind::Read, u"C:\\support\\dilei.def", ERROR_READ_FAULT);
    EXPECT_FALSE(cadastral::ReadConfigFile("dilei.def", lines));
    EXPECT_TRUE(lines.empty());
    platform::win::ClearFaults();
    platform::win::InjectFault(platform::win::FaultKind::Open, u"*.def");
    EXPECT_FALSE(cadastral::ReadConfigFile("dilei.def", lines));
}

}  // namespace
