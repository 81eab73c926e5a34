// The configuration tables, read from files on the support path.
#include <cstdlib>

#include "cadastral/config_tables.h"
#include "cadastral/settings.h"
#include "toolkit_fixture.h"

namespace {

using cadastral::ConfigTables;
using cadastral::FindCodeRecord;
using cadastral::FindCodeRecord2;
using cadastral::LoadConfigTables;
using cadastral::Tables;
using Lines = std::vector<std::string>;

class ConfigTablesTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        Tables() = ConfigTables{};
        cadastral::ParcelLayerName() = "JZD";
    }
    void TearDown() override {
        Tables() = ConfigTables{};
        ToolkitTest::TearDown();
    }

    static std::string Class(const char* code) {
        std::string featureClass = "stale";
        return FindCodeRecord(code, featureClass) ? featureClass : "<none:" + featureClass + ">";
    }
};

TEST_F(ConfigTablesTest, FixtureFilesWithCrlfCommentsLowerCaseEndAndDuplicates) {
    WriteSupportFile("Index.ini",
                     "300000,宗地,0,JZD,3000,ZD\r\n"
                     "141200,普通房屋,1.5,JMD,1420,FW\r\n"
                     "141300,简单房屋,1,JMD,1430\r\n"   // five fields: no record
                     "141400,破坏房屋,x,JMD,1440,\r\n"  // an empty class: no record
                     "141200,重复,0,JMD,9999,TFW\r\n"   // the first of two wins
                     "  321000 , 地籍区 ,2.25e1,DJZQ,3210,XZQ extra\r\n"
                     "end\r\n"
                     "301000,界址点,0,JZP,3010,JZD\r\n");
    WriteSupportFile("DILEI.DEF",
                     "011,水田\r\n"
                     "012,水浇地, n,12,310000\r\n"
                     "2,建设用地,N,2,310000\r\n"
                     "no comma here\r\n"
                     "071,城镇住宅用地,Y,71,301000\r\n"
                     "End\r\n");
    WriteSupportFile("work.def",
                     "300000,ZDX,1,7,0.00,宗地\r\n"
                     "310000,DLJ,1,3,0.50,地类图斑\r\n"
                     "short,line\r\n"
                     "END\r\n");
    WriteSupportFile("attribute.def",
                     "FIELD,1,2,3,before any group\r\n"
                     "*ZD,3,宗地\r\n"
                     "ZDDM,10,19,0,$宗地 代码,MIRET,x\r\n"
                     "QLR,10,60,0,权利人\r\n"
                     "too,few,commas\r\n"
                     "*FW,3,房屋\r\n"
                     "FWJG,10,1,0,$$结构,\r\n"
                     "eNd\r\n"
                     "*LATE,1,after the end\r\n");
    WriteSupportFile("attributeCheck.def",
                     "/ comment, with, commas, here\r\n"
                     "*ZD,3,宗地\r\n"
                     "ZDDM,0,M,宗地代码\r\n"
                     "/*NOT,1,a group\r\n"
                     "QLR,0,m,权利人,备注\r\n"
                     "TDZL,0,O\r\n"  // two commas: not a row
                     "*FW,3,房屋\r\n"
                     "FWCS,91,M,房屋层数\r\n"
                     "END\r\n");
    SetDword("min_dist", 25);

    LoadConfigTables();
    const ConfigTables& t = Tables();

    ASSERT_EQ(t.codes.size(), 4u) << "the duplicate is kept behind the first";
    EXPECT_EQ(Class("300000"), "ZD");
    EXPECT_EQ(Class("141200"), "FW") << "the first of two records wins";
    EXPECT_EQ(Class("141300"), "<none:>");
    EXPECT_EQ(Class("141400"), "<none:>");
    EXPECT_EQ(Class("301000"), "<none:>") << "nothing after the end line is read";
    EXPECT_EQ(Class("321000"), "XZQ");
    EXPECT_EQ(t.codes[3].code, "321000");
    EXPECT_EQ(t.codes[3].name, "地籍区");
    EXPECT_DOUBLE_EQ(t.codes[3].number, 22.5);
    EXPECT_DOUBLE_EQ(t.codes[1].number, 1.5);
    EXPECT_EQ(t.codes[2].featureClass, "TFW");
    std::string text5, featureClass;
    ASSERT_TRUE(FindCodeRecord2("141200", text5, featureClass));
    EXPECT_EQ(text5, "1420");
    EXPECT_EQ(featureClass, "FW");
    EXPECT_EQ(Class(""), "<none:>") << "an empty code finds nothing and empties the class";
    EXPECT_EQ(Class("141200 "), "<none:>") << "codes compare exactly";

    ASSERT_EQ(t.landClasses.size(), 4u);
    EXPECT_EQ(t.landClasses[0].code, "011");
    EXPECT_EQ(t.landClasses[0].name, "水田");
    EXPECT_TRUE(t.landClasses[0].enabled);
    EXPECT_EQ(t.landClasses[0].number, 0);
    EXPECT_EQ(t.landClasses[0].workCode, "");
    EXPECT_FALSE(t.landClasses[1].enabled) << "third field \" n\"";
    EXPECT_EQ(t.landClasses[1].number, 12);
    EXPECT_EQ(t.landClasses[1].workCode, "310000");
    EXPECT_EQ(t.landClasses[1].workName, "DLJ");
    EXPECT_EQ(t.landClasses[1].workText, "0.50");
    EXPECT_TRUE(t.landClasses[2].enabled) << "a code of one character is always on";
    EXPECT_EQ(t.landClasses[3].name, "城镇住宅用地") << "the last character of a line is not cut";
    EXPECT_EQ(t.landClasses[3].workName, "");

    ASSERT_EQ(t.works.size(), 2u);
    EXPECT_EQ(cadastral::ParcelLayerName(), "ZDX");

    ASSERT_EQ(t.attributeGroupsRead, 2u);
    ASSERT_EQ(t.attributeGroups.size(), 6u);
    const cadastral::AttributeGroup& zd = t.attributeGroups[0];
    EXPECT_EQ(zd.name, "ZD");
    EXPECT_EQ(zd.kind, 3);
    EXPECT_EQ(zd.label, "宗地");
    ASSERT_EQ(zd.fields.size(), 2u);
    EXPECT_EQ(zd.fields[0].name, "ZDDM");
    EXPECT_EQ(zd.fields[0].first, 10);
    EXPECT_EQ(zd.fields[0].second, 19);
    EXPECT_EQ(zd.fields[0].third, 0);
    EXPECT_EQ(zd.fields[0].label, "宗地 代码");
    EXPECT_EQ(zd.fields[0].trailing, "MIRET,x");
    EXPECT_EQ(zd.fields[1].label, "权利人") << "the label of a last field without a line end stays whole";
    EXPECT_EQ(zd.fields[1].trailing, "");
    EXPECT_EQ(t.attributeGroups[1].fields.at(0).label, "$结构") << "one leading $ is removed";
    const char* builtins[] = {"default_point", "default_line", "default_poly", "default_text"};
    for (int i = 0; i < 4; ++i) {
        const cadastral::AttributeGroup& g = t.attributeGroups[2 + i];
        EXPECT_EQ(g.name, builtins[i]);
        EXPECT_EQ(g.kind, i + 1);
        ASSERT_FALSE(g.fields.empty());
        EXPECT_EQ(g.fields[0].name, "CODE");
        EXPECT_EQ(g.fields[0].first, 10);
        EXPECT_EQ(g.fields[0].second, 6);
        EXPECT_EQ(g.fields[0].label, "要素代码");
    }
    EXPECT_EQ(t.attributeGroups[5].label, "无属性文字");
    ASSERT_EQ(t.attributeGroups[5].fields.size(), 2u);
    EXPECT_EQ(t.attributeGroups[5].fields[1].name, "TEXT");
    EXPECT_EQ(t.attributeGroups[5].fields[1].first, 20);
    EXPECT_EQ(t.attributeGroups[5].fields[1].second, 80);

    ASSERT_EQ(t.checkGroupsRead, 2u);
    ASSERT_EQ(t.checkGroups.size(), 2u);
    ASSERT_EQ(t.checkGroups[0].fields.size(), 2u);
    EXPECT_EQ(t.checkGroups[0].fields[0].name, "ZDDM");
    EXPECT_EQ(t.checkGroups[0].fields[0].type, 'M');
    EXPECT_EQ(t.checkGroups[0].fields[0].text, "宗地代码");
    EXPECT_EQ(t.checkGroups[0].fields[1].type, 'm');
    EXPECT_EQ(t.checkGroups[0].fields[1].text, "权利人,备注");
    EXPECT_EQ(t.checkGroups[1].fields.at(0).kind, 91);

    EXPECT_DOUBLE_EQ(cadastral::Settings().min_dist, 0.25) << "the settings are read last";
}

TEST_F(ConfigTablesTest, MissingFilesLeaveEmptyTablesAndTheBuiltinGroups) {
    LoadConfigTables();
    EXPECT_TRUE(Tables().codes.empty());
    EXPECT_TRUE(Tables().landClasses.empty());
    EXPECT_TRUE(Tables().works.empty());
    EXPECT_TRUE(Tables().checkGroups.empty());
    EXPECT_EQ(Tables().attributeGroupsRead, 0u);
    EXPECT_EQ(Tables().attributeGroups.size(), 4u);
    EXPECT_EQ(cadastral::ParcelLayerName(), "JZD");
    EXPECT_EQ(cadastral::Settings().Rdo54, 1) << "no key";
    // A second load starts from empty tables.
    WriteSupportFile("index.ini", "300000,宗地,0,JZD,3000,ZD\n");
    LoadConfigTables();
    LoadConfigTables();
    EXPECT_EQ(Tables().codes.size(), 1u);
    EXPECT_EQ(Tables().attributeGroups.size(), 4u);
}

TEST_F(ConfigTablesTest, The197thGroupEndsTheReadingAndTheBuiltinsFollow) {
    std::string attribute, check;
    for (int i = 1; i <= 197; ++i) {
        attribute += "*G" + std::to_string(i) + ",1,组\r\nF,10,6,0,字段\r\n";
        check += "*C" + std::to_string(i) + ",1,组\r\nF,0,M,字段\r\n";
    }
    WriteSupportFile("attribute.def", attribute);
    WriteSupportFile("attributeCheck.def", check);
    LoadConfigTables();
    EXPECT_EQ(Tables().attributeGroupsRead, 196u);
    ASSERT_EQ(Tables().attributeGroups.size(), 200u);
    EXPECT_EQ(Tables().attributeGroups[195].name, "G196");
    EXPECT_EQ(Tables().attributeGroups[195].fields.size(), 1u)
        << "the row after the 197th group is not taken";
    EXPECT_EQ(Tables().attributeGroups[196].name, "default_point");
    EXPECT_EQ(Tables().attributeGroups[199].name, "default_text");
    EXPECT_EQ(Tables().checkGroupsRead, 196u);
    EXPECT_EQ(Tables().checkGroups.size(), 196u);
}

TEST_F(ConfigTablesTest, AGroupLineWithFewerThanTwoCommasEndsTheFileButKeepsWhatWasRead) {
    ConfigTables t;
    cadastral::ParseAttributeLines({"*A,1,a", "F,1,2,3,f", "*B,1", "G,1,2,3,g", "*C,1,c"}, t);
    EXPECT_EQ(t.attributeGroupsRead, 1u);
    ASSERT_EQ(t.attributeGroups.size(), 1u);
    EXPECT_EQ(t.attributeGroups[0].fields.size(), 1u);
    cadastral::ParseCheckLines({"/x", "*A,1,a", "F,1,M,f", "*B", "G,1,M,g"}, t);
    EXPECT_EQ(t.checkGroupsRead, 1u);
    EXPECT_EQ(t.checkGroups[0].fields.size(), 1u);
}

TEST_F(ConfigTablesTest, TextsLongerThanTheirFieldsAreCutAndLongCodesRefused) {
    ConfigTables t;
    std::string longName;
    for (int i = 0; i < 15; ++i)
        longName += "房";  // 30 bytes, 21 fit the name
    cadastral::ParseIndexLines({"1234567890,too long code,0,a,b,FW", "141100," + longName + ",0,a,b,FW"}, t);
    ASSERT_EQ(t.codes.size(), 1u);
    EXPECT_EQ(t.codes[0].name, longName.substr(0, 20)) << "cut at a character boundary";
    cadastral::ParseLandClassLines({"123456789,地类", "12345678,地类", "1234567,地类,Y,1,12345678901"}, t);
    ASSERT_EQ(t.landClasses.size(), 0u) << "codes of 9 and 8 bytes and a work code of 11 do not fit";
    cadastral::ParseLandClassLines({"1234567,地类,Y,70000,123456789"}, t);
    ASSERT_EQ(t.landClasses.size(), 1u);
    EXPECT_EQ(t.landClasses[0].number, static_cast<std::int16_t>(70000));
}

TEST_F(ConfigTablesTest, TheSampleTablesOfTheProduct) {
    const char* source = std::getenv("DERO_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    platform::cad::SetSupportPath({std::string(source) + "/samples/support"});
    LoadConfigTables();
    const ConfigTables& t = Tables();
    EXPECT_EQ(Class("300000"), "ZD");
    EXPECT_EQ(Class("301000"), "JZD");
    EXPECT_EQ(Class("301001"), "ZJ");
    EXPECT_EQ(Class("303000"), "JZX");
    EXPECT_EQ(Class("310000"), "TB");
    EXPECT_EQ(Class("321000"), "XZQ");
    int houses = 0;
    for (const cadastral::CodeRecord& r : t.codes)
        if (r.featureClass == "FW") {
            ++houses;
            EXPECT_EQ(r.code.substr(0, 3), "141") << r.code;
        }
    EXPECT_GE(houses, 5);
    EXPECT_EQ(cadastral::ParcelLayerName(), "JZD");
    EXPECT_GT(t.landClasses.size(), 10u);
    EXPECT_GT(t.works.size(), 5u);
    EXPECT_GE(t.attributeGroupsRead, 5u);
    std::vector<std::string> checks;
    for (const cadastral::CheckGroup& g : t.checkGroups)
        checks.push_back(g.name);
    EXPECT_EQ(checks, (std::vector<std::string>{"ZD", "JZX", "JZD", "FW", "ZJ"}));
    for (const cadastral::CheckGroup& g : t.checkGroups)
        for (const cadastral::CheckField& f : g.fields) {
            EXPECT_TRUE(f.type == 'M' || f.type == 'O') << g.name << " " << f.name;
            EXPECT_FALSE(f.text.empty());
            EXPECT_EQ(f.text.find('\r'), std::string::npos);
        }
    for (const cadastral::CodeRecord& r : t.codes)
        EXPECT_EQ(r.featureClass.find('\r'), std::string::npos);
}

// Land classes take the name and note of the work line with their work code: every class sharing
// the code, the last of two lines with one code, and a line without a code for the classes
// without one; a table of thousands of lines each way gives what a line-by-line search would.
TEST_F(ConfigTablesTest, WorkLinesReachEveryLandClassOfTheirCode) {
    ConfigTables t;
    cadastral::ParseLandClassLines({"011,水田,Y,1,W1", "012,水浇地,Y,2,W1", "013,旱地,Y,3,W2", "021,果园", "022,茶园,Y,5,W9"},
                                   t);
    std::string layer = "JZD";
    cadastral::ParseWorkLines({"W1,第一,1,7,一,x", "W2,第二,1,7,二,x", "W1,重写的名字很长很长,1,7,再一,x",
                               ",无码,1,7,空,x", "300000,ZDX,1,7,0.00,宗地"},
                              t, layer);
    ASSERT_EQ(t.landClasses.size(), 5u);
    EXPECT_EQ(t.landClasses[0].workName, "重写的名字");  // cut to 11 bytes
    EXPECT_EQ(t.landClasses[0].workText, "再一");
    EXPECT_EQ(t.landClasses[1].workName, t.landClasses[0].workName);
    EXPECT_EQ(t.landClasses[2].workName, "第二");
    EXPECT_EQ(t.landClasses[3].workName, "无码");
    EXPECT_EQ(t.landClasses[3].workText, "空");
    EXPECT_EQ(t.landClasses[4].workName, "");
    EXPECT_EQ(layer, "ZDX");
    EXPECT_EQ(t.works.size(), 5u);

    // Thousands of classes over a few hundred work codes, and work lines naming each code twice.
    Lines classes, works;
    for (int i = 0; i < 6000; ++i)
        classes.push_back("C" + std::to_string(i) + ",地类,Y," + std::to_string(i % 100) + ",K" + std::to_string(i % 700));
    for (int pass = 0; pass < 2; ++pass)
        for (int k = 0; k < 800; k += 1 + pass)
            works.push_back("K" + std::to_string(k) + ",N" + std::to_string(pass) + "_" + std::to_string(k) +
                            ",1,7,T" + std::to_string(k) + ",x");
    ConfigTables big;
    cadastral::ParseLandClassLines(classes, big);
    cadastral::ParseWorkLines(works, big, layer);
    ASSERT_EQ(big.landClasses.size(), 6000u);
    for (int i = 0; i < 6000; ++i) {
        const int k = i % 700;
        const std::string name = (k % 2 == 0 ? "N1_" : "N0_") + std::to_string(k);
        ASSERT_EQ(big.landClasses[i].workName, name.substr(0, 11)) << i;
        ASSERT_EQ(big.landClasses[i].workText, "T" + std::to_string(k)) << i;
    }
}

}  // namespace
