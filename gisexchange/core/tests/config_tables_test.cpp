// The text configuration: the rules of each file and the look-ups, and the loaders reading the
// support folder anew at each load.
#include "gisexchange/config_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <algorithm>
#include <map>
#include <set>

#include "drawingutil/coded_entities.h"
#include "drawingutil/feature_codes.h"
#include "gisexchange/exchange_table.h"
#include "platform/cad/selection.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/ui/afx_wnd.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"
#include "testing/host_machine.h"

namespace {

using namespace gisexchange;
using dero::testing::TranscriptHas;

class GeoportConfigTest : public dero::testing::HostMachineTest {
protected:
    GeoportConfigTest() : HostMachineTest("geoport_config") {}

    void SetUp() override {
        HostMachineTest::SetUp();
        Config() = {};
    }
    void Write(const std::string& name, const std::string& bytes) const { WriteSupportFile(name, bytes); }
    void Remove(const std::string& name) const { std::filesystem::remove(SupportFolder() / name); }
};

TEST(GeoportConfig, FieldsStylesAndColours) {
    EXPECT_TRUE(SplitFields("").empty());
    EXPECT_EQ(SplitFields(",a,,"), (std::vector<std::string>{"", "a", "", ""}));

    std::vector<std::string>& keys = Config().styleKeys;
    std::vector<std::string>& values = Config().styleValues;
    ParseTextStyles({"// comment,1", "Song, 3", "S,9", "three,fields,here"}, keys, values);
    EXPECT_EQ(keys, (std::vector<std::string>{"Song", "S"}));
    EXPECT_EQ(LookupPrefixValue("SongTi"), 3);
    EXPECT_EQ(LookupPrefixValue("sim"), 9);
    EXPECT_EQ(LookupPrefixValue(""), 0);
    EXPECT_EQ(LookupPrefixValue("Arial"), 0);
    // A key may not end inside the name's double-byte character.
    ParseTextStyles({"\xCB,4", "\xCB\xCE,5"}, keys, values);
    EXPECT_EQ(LookupPrefixValue("宋体"), 5);

    ParseColors({"12, 200,\t7,5", "1,2,3,4,5", "Ab,0,0,8"}, Config().colorKeys, Config().colorValues);
    EXPECT_EQ(LookupNamedValue("12,200,7"), 5);
    EXPECT_EQ(LookupNamedValue("1,2,3"), 0) << "a line of five fields is no colour";
    EXPECT_EQ(LookupNamedValue("aB,0,0"), 8);
    EXPECT_EQ(LookupNamedValue(""), 0);

    EXPECT_EQ(LookupSignedValue({4, -7, 7}, {10, 20, 30}, 7), -20) << "the first matching key, negated";
    EXPECT_EQ(LookupSignedValue({4, 7}, {10, 30}, -4), -10);
    EXPECT_EQ(LookupSignedValue({4, 7}, {10}, 7), 0) << "a key without a value";
    EXPECT_EQ(LookupSignedValue({}, {}, 1), 0);
}

TEST_F(GeoportConfigTest, TemplatesStopAtAShortStarLine) {
    std::vector<AttributeTemplate> t;
    EXPECT_TRUE(ParseTemplates(
        {"a,b,c,d", "*ZD|宗地, 7, 面, x, y", "ZDDM,1,10,0", "b,2", "*JZD,8,点", "//*x", "JZDH,1,10,0,5"}, t));
    ASSERT_EQ(t.size(), 2u) << "the entry before the first template is ignored";
    EXPECT_EQ(t[0].name, "ZD|宗地");
    EXPECT_EQ(t[0].fourth, "x");
    ASSERT_EQ(t[0].entries.size(), 1u);
    EXPECT_EQ(t[0].entries[0].fields[4], "");
    EXPECT_EQ(t[1].fifth, "");
    ASSERT_EQ(t[1].entries.size(), 1u);
    EXPECT_EQ(t[1].entries[0].fields[4], "5");
    Config().templates = t;
    int number = 0;
    EXPECT_TRUE(FindTemplateNumber("zd", number));
    EXPECT_EQ(number, 7);
    EXPECT_FALSE(FindTemplateNumber("宗地", number));

    answers->Push(platform::ui::BoxAnswer(IDOK));
    EXPECT_FALSE(ParseTemplates({"*ZD,1,面", "ZDDM,1,10,0", "* FW, 2", "*JMD,3,面"}, t));
    EXPECT_EQ(t.size(), 1u) << "the templates before the faulty line stay";
    EXPECT_TRUE(TranscriptHas("模板数据 FW,2 有错"));
    EXPECT_EQ(answers->Pending(), 0u);

    // "|" may be the trail byte of a character ("檦" is 0x99 0x7C): the name is not split there.
    Config().templates = {
        AttributeTemplate{"\x99\x7C"
                          "A",
                          "4",
                          "c",
                          "",
                          "",
                          {}}};
    EXPECT_FALSE(FindTemplateNumber("\x99", number));
    EXPECT_TRUE(
        FindTemplateNumber("\x99\x7C"
                           "a",
                           number));
    EXPECT_EQ(number, 4);
}

TEST(GeoportConfig, IndexLinesAreWholeAndCodesAreNeverCut) {
    const std::string longSymbol(40, 's');
    Config().index = ParseIndex({"111000, gc111, 1.5, 四, 五, 六", "222000,a,b,c,d", "123456789012,x,1,d,e,f",
                                 "333000," + longSymbol + ",0,d,e,f", "end of table", "444000,a,1,b,c,d"});
    ASSERT_EQ(Config().index.size(), 2u) << "four commas make no record; a too long code skips its line";
    const IndexRecord& r = Config().index[0];
    EXPECT_EQ(r.symbol, "gc111");
    EXPECT_DOUBLE_EQ(r.factor, 1.5);
    EXPECT_EQ(r.fourth, "四");
    EXPECT_EQ(Config().index[1].symbol, std::string(15, 's'));
    std::string fifth = "x", sixth = "y";
    EXPECT_TRUE(LookupIndexRecord("111000", fifth, sixth));
    EXPECT_EQ(fifth, "五");
    EXPECT_EQ(sixth, "六");
    EXPECT_FALSE(LookupIndexRecord("444000", fifth, sixth)) << "the table ends at \"end\"";
    EXPECT_EQ(fifth, "");
    EXPECT_FALSE(LookupIndexRecord("", fifth, sixth));

    // Cut texts end on a character boundary.
    Config().index = ParseIndex({"1,a,0,d,e," + std::string("字字字字字字字字")});
    ASSERT_EQ(Config().index.size(), 1u);
    EXPECT_EQ(Config().index[0].sixth, "字字字字字字字");
}

TEST(GeoportConfig, WorkTableKeepsTheFirstLineOfAKey) {
    const std::vector<WorkRecord> work =
        ParseWork({"b, 二,x,four,2.5", "a,1,,4,1", "b,again,x,y,9", "short,1,2,3", "宗,z,,w,3"});
    ASSERT_EQ(work.size(), 3u);
    EXPECT_EQ(work[0].key, "a");
    EXPECT_EQ(work[1].key, "b");
    EXPECT_EQ(work[1].second, " 二") << "blanks are kept";
    EXPECT_EQ(work[1].fourth, "four");
    EXPECT_DOUBLE_EQ(work[1].number, 2.5);
    EXPECT_EQ(work[2].key, "宗") << "a double-byte key sorts after single-byte ones";
}

TEST_F(GeoportConfigTest, IndexRecordOfAnEntityByItsCode) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    Config().index = ParseIndex({"111000,a,0,d,e,六", "111000,b,0,d,e,second"});
    ads_name coded, plain;
    ASSERT_EQ(acdbGetAdsName(coded, CreateCodedLine({0, 0, 0}, {1, 0, 0}, "111000", nullptr, "0")),
              Acad::eOk);
    ASSERT_EQ(acdbGetAdsName(plain, CreateCodedLine({0, 0, 0}, {1, 1, 0}, "", nullptr, "0")), Acad::eOk);
    std::string code, sixth = "x";
    EXPECT_TRUE(LookupIndexRecordOfEntity(coded, code, sixth));
    EXPECT_EQ(code, "111000");
    EXPECT_EQ(sixth, "六") << "the first record of the code";
    EXPECT_FALSE(LookupIndexRecordOfEntity(plain, code, sixth));
    EXPECT_EQ(code, "");
    EXPECT_EQ(sixth, "");
}

TEST_F(GeoportConfigTest, LoadersReplaceTheirTables) {
    Write("cvtColor.def", "1,2,3,4\r\n");
    Write("index.ini", "111000,a,0,d,e,f\r\nEND\r\n");
    Write("Work.def", "k,2,3,4,5\r\n");
    LoadColorTable();
    LoadWorkTable();
    EXPECT_EQ(Config().work.size(), 1u);
    EXPECT_EQ(LoadIndexTable(), IndexLoad::kLoaded);
    EXPECT_EQ(Config().index.size(), 1u) << "index.ini stands in for cvtIndex.ini";

    Write("cvtColor.def", "1,2,3,6\r\n");
    Write("cvtIndex.ini", "222000,a,0,d,e,f\r\n");
    LoadColorTable();
    EXPECT_EQ(LookupNamedValue("1,2,3"), 6) << "a reload reads the changed file";
    EXPECT_EQ(Config().colorKeys.size(), 1u);
    EXPECT_EQ(LoadIndexTable(), IndexLoad::kLoaded);
    ASSERT_EQ(Config().index.size(), 1u);
    EXPECT_EQ(Config().index[0].code, "222000");

    LoadWorkTable();
    EXPECT_EQ(Config().work.size(), 1u) << "a reload does not add to the table";
    Remove("cvtColor.def");
    Remove("cvtIndex.ini");
    Remove("index.ini");
    LoadColorTable();
    EXPECT_TRUE(Config().colorKeys.empty());
    EXPECT_EQ(LoadIndexTable(), IndexLoad::kNotFound);
    EXPECT_TRUE(Config().index.empty());
}

// The tables shipped with the sample town, read by the loaders from the sample folder: every code
// of the town reaches a template of the right kind, with the MapGIS code of its exchange row, and
// every category of the export by category has its template.
TEST_F(GeoportConfigTest, TheSampleTablesCoverTheTown) {
    const std::string samples = std::string(DERO_SOURCE_DIR) + "/samples";
    platform::cad::SetSupportPath({samples + "/support"});
    ASSERT_TRUE(LoadTemplateData());
    LoadTextStyleTable();
    LoadColorTable();
    LoadExchangeTable();
    LoadWorkTable();
    ASSERT_EQ(LoadIndexTable(), IndexLoad::kLoaded);
    for (const std::string& line : platform::ui::TranscriptLines())
        EXPECT_FALSE(line.starts_with("box")) << line;

    // Table-driven tables by kind: 1 or 4 points, 2 lines, 3 areas.
    const std::map<std::string, int> tables = {{"ZD", 3}, {"JZD", 1}, {"JZX", 2}, {"FW", 3}, {"ZJ", 4},
                                               {"TB", 3}, {"XZQ", 3}, {"XZDX", 2}};
    for (const auto& [table, kind] : tables) {
        int number = 0;
        EXPECT_TRUE(FindTemplateNumber(table, number) && number == kind) << table << " " << number;
    }
    int related = 0;
    std::map<std::string, int> categories;
    for (const AttributeTemplate& t : Config().templates) {
        related += t.name.starts_with("ZD_") && !t.entries.empty();
        ++categories[t.category];
        for (const AttributeTemplateEntry& e : t.entries)
            EXPECT_FALSE(e.fields[0].empty() || e.fields[4].empty()) << t.name << " has a field that is never filled";
    }
    EXPECT_EQ(related, 1);
    for (const char* category : {"注记", "拐点", "零星", "图斑线", "线状", "权属界线", "行政界线", "行政", "权属", "图斑"})
        EXPECT_EQ(categories[category], 1) << category;
    // The default code an imported object of a category gets; the tables of the table-driven
    // export name none.
    std::map<std::string, std::string> defaults;
    for (const AttributeTemplate& t : Config().templates)
        defaults[t.category] = t.fourth;
    const std::map<std::string, std::string> shipped = {
        {"拐点", "331000"},   {"零星", "312000"}, {"图斑线", "216100"}, {"线状", "311000"}, {"权属界线", "333000"},
        {"行政界线", "191600"}, {"行政", "321000"}, {"权属", "300000"},   {"图斑", "310000"}, {"ZD", ""},
        {"宗地权利人", ""},     {"JZD", ""},        {"JZX", ""},          {"FW", ""},         {"ZJ", ""},
        {"TB", ""},             {"XZQ", ""},        {"XZDX", ""},         {"GCD", ""},        {"注记", ""}};
    EXPECT_EQ(defaults, shipped);

    // Every code of the town; a text is written whatever its code.
    ASSERT_EQ(acDocManager->appContextOpenDocument((samples + "/town.dxf").c_str()), Acad::eOk);
    ads_name all;
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, all), RTNORM);
    Adesk::Int32 length = 0;
    acedSSLength(all, &length);
    std::set<std::string> codes;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        std::string code;
        acedSSName(all, i, entity);
        GetEntityCode(entity, code);
        codes.insert(code);
    }
    acedSSFree(all);
    ASSERT_GT(codes.size(), 20u);
    for (const std::string& code : codes) {
        std::string mapgisCode, table;
        EXPECT_TRUE(LookupIndexRecord(code, mapgisCode, table)) << code;
        int number = 0;
        EXPECT_TRUE(FindTemplateNumber(table, number)) << code << " " << table;
        const int row = FindTableIndex(code.c_str());
        if (row >= 0) {
            EXPECT_EQ(mapgisCode, std::string(ExchangeRows()[static_cast<std::size_t>(row)].mapgisCode)) << code;
        }
    }

    // The town's font and colours, and its layers by code.
    EXPECT_EQ(LookupPrefixValue("txt"), 1);
    EXPECT_NE(LookupNamedValue("255,255,255"), 0);
    const auto parcels = std::find_if(Config().work.begin(), Config().work.end(),
                                      [](const WorkRecord& r) { return r.key == "300000"; });
    ASSERT_NE(parcels, Config().work.end());
    EXPECT_EQ(parcels->second, "JZD");
}

}  // namespace
