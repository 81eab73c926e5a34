// The exchange tables read from databases in the text form on the host's search path.
#include <gtest/gtest.h>

#include <filesystem>

#include "gisexchange/exchange_table.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using gisexchange::ExchangeRows;
using gisexchange::FindTableIndex;
using gisexchange::LoadExchangeTable;
using gisexchange::LoadItemTable;
using gisexchange::LookupExchangeCode;

std::string Utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

const std::string kFields =
    Utf8(u8"code:TEXT\ttype:I2\ti1:I2\ti2:I2\ti3:R4\ti4:R4\ti5:R4\ti6:I2\ti7:I2\ti8:I2\ti9:I2\treverse:I2\t"
         u8"MAPGIS编码:TEXT\t图式上的编号:TEXT\tremark:TEXT\tClayer:TEXT\n");

class ExchangeTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(root_.path().empty());
        std::filesystem::create_directories(Support());
        platform::win::SetRoot(root_.path());
        platform::cad::SetSupportPath({"C:\\support"});
        platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
        ExchangeRows().clear();
    }
    void TearDown() override
    {
        ExchangeRows().clear();
        platform::cad::SetSupportPath({});
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
    }

    std::filesystem::path Support() const { return std::filesystem::path(root_.path()) / "c" / "support"; }
    void Write(const std::string& name, const std::string& utf8) const { dero::testing::WriteFile(Support() / name, utf8); }

    // The boxes and alerts shown, in order.
    static std::vector<std::string> Shown()
    {
        std::vector<std::string> shown;
        for (const auto& line : platform::ui::TranscriptLines())
            if (line.rfind("dao ", 0) != 0 && line.find("cancel") == std::string::npos)
                shown.push_back(line);
        return shown;
    }
    static bool Logged(const std::string& text)
    {
        for (const auto& line : platform::ui::TranscriptLines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    dero::testing::TempFolder root_{"gisexchange_core"};
};

TEST_F(ExchangeTableTest, LoadsRowsWithLowerCaseCodes)
{
    Write("CVTEXCHANGE.MDB",
          "[deromgis]\n" + kFields +
              Utf8(u8"141200AB\t3\t1\t2\t0.1\t2.5\t-1\t6\t7\t8\t9\t1\t1420\t14.20\t普通房屋\tJMD\n"
                   u8"A昇\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t\t\t\\N\tJZP\n"
                   u8"141200ab\t2\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\tsecond\t\t\t\n"));
    LoadExchangeTable();
    ASSERT_EQ(ExchangeRows().size(), 3u);
    const auto& row = ExchangeRows()[0];
    EXPECT_EQ(row.code, "141200ab");
    EXPECT_EQ(row.type, 3);
    EXPECT_EQ(row.i1, 1);
    EXPECT_EQ(row.i2, 2);
    EXPECT_EQ(row.i3, 0.1f);
    EXPECT_EQ(row.i4, 2.5f);
    EXPECT_EQ(row.i5, -1.0f);
    EXPECT_EQ(row.i9, 9);
    EXPECT_EQ(row.reverse, 1);
    EXPECT_EQ(row.mapgisCode, "1420");
    EXPECT_EQ(row.legendNumber, "14.20");
    EXPECT_EQ(row.remark, "普通房屋");
    EXPECT_EQ(row.layer, "JMD");
    // The trail byte of 昇 (95 4E) looks like 'N' and is left alone.
    EXPECT_EQ(ExchangeRows()[1].code, "a昇");
    EXPECT_EQ(ExchangeRows()[1].remark, "");

    EXPECT_EQ(FindTableIndex("141200ab"), 0);  // the first of two
    EXPECT_EQ(FindTableIndex("141200AB"), -1);
    EXPECT_EQ(FindTableIndex("a昇"), 1);
    EXPECT_EQ(FindTableIndex(""), -1);
    EXPECT_TRUE(Shown().empty());
    // Opened exclusively and read-only, with the engine version of the exchange databases.
    EXPECT_TRUE(Logged("exclusive read-only engine 0x0601 connect \";pwd=\""));

    // A reload starts afresh; a missing database leaves the table empty without a word.
    std::filesystem::remove(Support() / "CVTEXCHANGE.MDB");
    LoadExchangeTable();
    EXPECT_TRUE(ExchangeRows().empty());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ExchangeTableTest, FailuresStopTheLoadingWithTheirMessage)
{
    std::string withoutRemark = kFields;
    withoutRemark.replace(withoutRemark.find("remark:TEXT\t"), 12, "");
    Write("cvtExchange.mdb", "[deromgis]\n" + withoutRemark + "1000\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\ta\tb\tJMD\n");
    LoadExchangeTable();
    EXPECT_TRUE(ExchangeRows().empty());
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].find("转换对照表中没有找到remark字段"), std::string::npos);

    // The legend field's message has its blanks.
    std::string withoutLegend = kFields;
    withoutLegend.replace(withoutLegend.find(Utf8(u8"图式上的编号:TEXT\t")), Utf8(u8"图式上的编号:TEXT\t").size(), "");
    Write("cvtExchange.mdb", "[deromgis]\n" + withoutLegend + "1000\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\ta\tb\tJMD\n");
    platform::ui::ClearTranscript();
    LoadExchangeTable();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].find("转换对照表中没有找到 图式上的编号 字段"), std::string::npos);

    // A missing graphic parameter stops silently.
    std::string withoutI5 = kFields;
    withoutI5.replace(withoutI5.find("i5:R4\t"), 6, "");
    Write("cvtExchange.mdb", "[deromgis]\n" + withoutI5 + "1000\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\ta\tb\tc\tJMD\n");
    platform::ui::ClearTranscript();
    LoadExchangeTable();
    EXPECT_TRUE(ExchangeRows().empty());
    EXPECT_TRUE(Shown().empty());

    // A database that does not open: a short row, then an unknown type.
    for (const std::string& text : {"[deromgis]\n" + kFields + "1000\t1\n", std::string("[deromgis]\ncode:MEMO\n1\n")}) {
        Write("cvtExchange.mdb", text);
        platform::ui::ClearTranscript();
        LoadExchangeTable();
        EXPECT_TRUE(ExchangeRows().empty());
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_NE(Shown()[0].find("数据库打开异常"), std::string::npos);
    }

    // A database without the table.
    Write("cvtExchange.mdb", "[dilei]\ncode:TEXT\n1\n");
    platform::ui::ClearTranscript();
    LoadExchangeTable();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].find("记录集打开异常"), std::string::npos);
}

TEST_F(ExchangeTableTest, ColourLookupReadsTheTableAndComparesInCode)
{
    int red = -1, green = -2, blue = -3;
    EXPECT_FALSE(LookupExchangeCode("dilei", "011", red, green, blue));  // no database

    Write("cvtExchange.mdb",
          "[dilei]\ncode:TEXT\tR2:I2\tG2:I4\tB2:R8\n"
          "011\t1\t2\t3\n"
          "012\t9\t9\t9\n"
          "011\t10\t20\t30.4\n"
          "31'0000\t7\t7\t7\n"
          "[nocolour]\ncode:TEXT\tR2:I2\tG2:I2\n011\t1\t2\n");
    EXPECT_TRUE(LookupExchangeCode("dilei", "011", red, green, blue));
    EXPECT_EQ(red, 10);  // the last of two rows wins
    EXPECT_EQ(green, 20);
    EXPECT_EQ(blue, 30);
    // Opened read-only; no text of the drawing reaches the query.
    EXPECT_TRUE(Logged("shared read-only"));
    EXPECT_TRUE(Logged("dao query \"select * from dilei\""));

    red = green = blue = -1;
    for (const char* code : {"' or '1'='1", "31'0000' or code='011", "013", ""}) {
        EXPECT_FALSE(LookupExchangeCode("dilei", code, red, green, blue)) << code;
        EXPECT_EQ(red, -1);
        EXPECT_EQ(green, -1);
        EXPECT_EQ(blue, -1);
    }
    EXPECT_FALSE(LookupExchangeCode("nocolour", "011", red, green, blue));
    EXPECT_FALSE(LookupExchangeCode("nosuchtable", "011", red, green, blue));
    EXPECT_FALSE(LookupExchangeCode("dilei where 1=1", "011", red, green, blue));
    EXPECT_EQ(red, -1);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ExchangeTableTest, ItemListsKeepTheCallersListsOnlyWithoutADatabase)
{
    std::vector<CString> codes{"old"}, values{"list"};
    LoadItemTable("TBL_TDYT", codes, values);
    EXPECT_EQ(codes.size(), 1u);  // not found: untouched
    EXPECT_EQ(values.size(), 1u);

    Write("lstitems.mdb", Utf8(u8"[TBL_TDYT]\ncode:TEXT\tvalue:TEXT\n011\t水田\n\\N\t旱地\n"
                               u8"[novalue]\ncode:TEXT\n1\n"));
    LoadItemTable("tbl_tdyt", codes, values);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], "011");
    EXPECT_EQ(values[0], "水田");
    EXPECT_EQ(codes[1], "");
    EXPECT_EQ(values[1], "旱地");

    EXPECT_TRUE(Logged("shared read-only"));
    EXPECT_TRUE(Shown().empty());

    // A table that cannot be read leaves the lists empty and says so on the command line, once;
    // an empty table is no fault.
    Write("lstitems.mdb", Utf8(u8"[TBL_TDYT]\ncode:TEXT\tvalue:TEXT\n[novalue]\ncode:TEXT\n1\n"));
    platform::cad::ClearCommandLine();
    LoadItemTable("TBL_TDYT", codes, values);
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(platform::cad::CommandLineText(), "");
    for (const char* table : {"nosuchtable", "novalue"}) {
        codes = values = {"x"};
        platform::cad::ClearCommandLine();
        LoadItemTable(table, codes, values);
        EXPECT_TRUE(codes.empty()) << table;
        EXPECT_TRUE(values.empty()) << table;
        EXPECT_EQ(platform::cad::CommandLineText().find(std::string("\n无法读取 lstitems.mdb 的表 ") + table), 0u)
            << platform::cad::CommandLineText();
    }
    // A damaged database: the message names the line to mend.
    Write("lstitems.mdb", Utf8(u8"[TBL_TDYT]\ncode:TEXT\tvalue:TEXT\n011\t水\\N田\n"));
    platform::cad::ClearCommandLine();
    LoadItemTable("TBL_TDYT", codes, values);
    EXPECT_TRUE(codes.empty());
    EXPECT_NE(platform::cad::CommandLineText().find("Line 3:"), std::string::npos) << platform::cad::CommandLineText();
    EXPECT_TRUE(Shown().empty());
}

// The sample tables cover every code of the sample code table and every land class.
TEST_F(ExchangeTableTest, SampleTablesCoverTheSampleCodes)
{
    std::filesystem::path samples = std::filesystem::path(DERO_SOURCE_DIR) / "samples" / "support";
    for (const char* name : {"cvtExchange.mdb", "lstitems.mdb"})
        std::filesystem::copy_file(samples / name, Support() / name);
    LoadExchangeTable();
    EXPECT_TRUE(Shown().empty());
    std::string index = dero::testing::ReadFile(samples / "index.ini");  // GBK
    int codes = 0;
    for (std::size_t start = 0, end; start < index.size(); start = end + 1) {
        end = index.find('\n', start);
        if (end == std::string::npos)
            end = index.size();
        std::string line = index.substr(start, end - start);
        if (line.rfind("END", 0) == 0)
            break;
        std::string code = line.substr(0, line.find(','));
        EXPECT_GE(FindTableIndex(code.c_str()), 0) << code;
        ++codes;
    }
    EXPECT_GT(codes, 30);

    std::vector<CString> landCodes, names;
    LoadItemTable("TBL_TDYT", landCodes, names);
    ASSERT_GT(landCodes.size(), 10u);
    for (const auto& code : landCodes) {
        int r = -1, g = -1, b = -1;
        EXPECT_TRUE(LookupExchangeCode("dilei", code, r, g, b)) << code.GetString();
        EXPECT_GE(r, 0);
    }
}

}  // namespace
