// CONVERTFWZJ_QZ on houses built here with loose texts, with and without the structure table, and
// on a generated town with the sample table, twice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cadastral/config_file.h"
#include "cadastral/config_tables.h"
#include "cadastral/house_annotation_conversion.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/text_entities.h"
#include "drawingutil/view_window.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_text.h"
#include "platform/cad/file_search.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"
#include "testing/files.h"
#include "toolkit_fixture.h"

namespace {

using drawingutil::Opened;

TEST(StructureWords, TableLinesAndDigits)
{
    const std::vector<cadastral::StructureWord> table = cadastral::ParseStructureWords(
        {"// 注释,1,2", "钢 , 1", "单独一段", "砖混,4,141200,其余不用", "", "空,,"});
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].word, "钢");
    EXPECT_EQ(table[0].structureCode, "1");
    EXPECT_EQ(table[0].houseCode, "");
    EXPECT_EQ(table[1].houseCode, "141200");
    EXPECT_EQ(table[2].word, "空");
    EXPECT_EQ(table[2].structureCode, "");
    EXPECT_TRUE(cadastral::IsAllDigits("0123"));
    EXPECT_FALSE(cadastral::IsAllDigits("12a"));
    EXPECT_FALSE(cadastral::IsAllDigits("１２"));  // full-width digits are no decimal digits here
}

class HouseAnnotationTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        WriteSupportFile("index.ini", dero::testing::ReadFile(DERO_SOURCE_DIR "/samples/support/index.ini"));
        cadastral::LoadConfigTables();
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        resbuf scale;
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);
    }
    void TearDown() override
    {
        cadastral::Tables() = {};
        ToolkitTest::TearDown();
    }

    // The run with its two answers: go on, and the whole drawing.
    void Convert()
    {
        platform::cad::ClearCommandLine();
        answers->Push(platform::ui::PromptAnswer(""));
        answers->Push(platform::ui::PromptAnswer("0"));
        cadastral::CONVERTFWZJ_QZ();
        EXPECT_EQ(answers->Pending(), 0u);
    }

    // A closed square house of side 10 at (x, 0).
    static AcDbObjectId House(double x, const char* code)
    {
        AcGePoint2dArray ring;
        for (auto [dx, dy] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}})
            ring.append(AcGePoint2d(x + dx, dy));
        return CreateCodedPolyline(ring, 0, 1, code, 0, kLightweightPolyline, "JMD");
    }
    static AcDbObjectId Note(double x, double y, const char* text, const char* code = "")
    {
        return CreateText(AcGePoint3d(x, y, 0), text, "M", code, 1, "JMD", 0, 0, nullptr);
    }
    static void SetStructure(AcDbObjectId id, const char* code)
    {
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
        SetXData(name, "FWJG", kXDataString, code);
    }
    static std::string Item(AcDbObjectId id, const char* app, int kind, int index)
    {
        std::string text;
        return ReadEntityXData(id, app, text, kind, index, false, false) ? text : "<none>";
    }
    static std::string Code(AcDbObjectId id) { return Item(id, "MIRET", kXDataString, 0); }
    static std::string Structure(AcDbObjectId id) { return Item(id, "FWJG", kXDataString, 0); }
    static std::string Floors(AcDbObjectId id) { return Item(id, "MIRET", kXDataReal, 1); }
    // The members of the entity's group; empty when it has none.
    static std::vector<AcDbObjectId> Group(AcDbObjectId id)
    {
        ads_name name;
        AcDbObjectId group;
        std::vector<AcDbObjectId> members;
        if (acdbGetAdsName(name, id) != Acad::eOk || !FindEntityGroup(name, group))
            return members;
        Opened<AcDbGroup> opened(group, AcDb::kForRead);
        AcDbObjectIdArray ids;
        opened->allEntityIds(ids);
        for (int i = 0; i < ids.length(); ++i)
            members.push_back(ids[i]);
        return members;
    }
    static std::string Text(AcDbObjectId id)
    {
        Opened<AcDbText> text(id, AcDb::kForRead);
        return text ? text->textStringConst() : "<none>";
    }
    static bool Erased(AcDbObjectId id) { return id.isErased(); }
    static int GroupCount()
    {
        Opened<AcDbDictionary> groups(acdbHostApplicationServices()->workingDatabase()->groupDictionaryId(),
                                      AcDb::kForRead);
        int count = 0;
        std::unique_ptr<AcDbDictionaryIterator> it(groups->newIterator());
        for (; !it->done(); it->next())
            ++count;
        return count;
    }
};

TEST_F(HouseAnnotationTest, HousesAreGroupedCodedAndCompleted)
{
    // The table's first real line runs past 255 bytes; cut there, its tail would read as a line
    // "砖,7" ahead of the true one.
    const std::string padding(260, 'x');
    WriteSupportFile("Convert_FWZJ.DEF", "// 对照表\r\n钢,1,141101," + padding + "砖,7\r\n砖,5\r\n砼,3\r\n砖混,4,141200\r\nEND\r\n砖,8\r\n");

    // The recoded house: its stored floor count 3 survives the new code and gets its text.
    AcDbObjectId recoded = House(0, "141300");
    ASSERT_TRUE(WriteEntityXData(recoded, "MIRET", "3", kXDataReal, 1, false, false, false));
    AcDbObjectId brick = Note(3, 5, "砖混");
    // Only a floor text; FWJG 3 was stored: the structure text "砼" is made at the centre.
    AcDbObjectId floorsOnly = House(20, "141100");
    SetStructure(floorsOnly, "3");
    AcDbObjectId three = Note(23, 5, "3");
    // Unknown words: 6 on a plain house, 9 on another; a dash and a foreign layer are no notes.
    AcDbObjectId plain = House(40, "141200");
    Note(45, 5, "茅草");
    AcDbObjectId other = House(60, "141100");
    Note(65, 5, "茅草");
    Note(65, 3, "—");
    CreateText(AcGePoint3d(65, 7, 0), "9", "M", "", 1, "JZD", 0, 0, nullptr);
    // No texts: floor count 1 gives no floor text, 4 gives one 6h (3) right of the centre.
    AcDbObjectId single = House(80, "141100");
    ASSERT_TRUE(WriteEntityXData(single, "MIRET", "1", kXDataReal, 1, false, false, false));
    AcDbObjectId four = House(100, "141100");
    ASSERT_TRUE(WriteEntityXData(four, "MIRET", "4", kXDataReal, 1, false, false, false));
    SetStructure(four, "1");
    // Two segments: erased, and nothing is made for it.
    AcGePoint2dArray bent;
    for (auto [x, y] : {std::pair{120.0, 0.0}, {130.0, 0.0}, {130.0, 10.0}})
        bent.append(AcGePoint2d(x, y));
    AcDbObjectId degenerate = CreateCodedPolyline(bent, 0, 0, "141100", 0, kLightweightPolyline, "JMD");
    AcDbObjectId stray = Note(128, 2, "砖");
    // The word of the line after the long one.
    AcDbObjectId bricks = House(160, "141100");
    Note(165, 5, "砖");
    // Not a house: a wall's code.
    AcDbObjectId wall = House(140, "142000");
    AcDbObjectId wallNote = Note(145, 5, "砖");

    Convert();
    EXPECT_NE(CommandLine().find("\n操作完成."), std::string::npos) << CommandLine();
    EXPECT_FALSE(platform::cad::ProgressMeter().shown);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);

    EXPECT_EQ(Code(recoded), "141200");
    EXPECT_EQ(Structure(recoded), "4");
    EXPECT_EQ(Floors(recoded), "3.000");
    EXPECT_EQ(Code(brick), "141200-1");
    std::vector<AcDbObjectId> members = Group(recoded);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[1], brick);
    EXPECT_EQ(Text(members[2]), "3");
    EXPECT_EQ(Code(members[2]), "141200-2");

    EXPECT_EQ(Floors(floorsOnly), "3.000");
    EXPECT_EQ(Structure(floorsOnly), "3");
    EXPECT_EQ(Structure(bricks), "5") << "the long line's tail is no line of its own";
    members = Group(floorsOnly);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[2], three);
    EXPECT_EQ(Code(three), "141100-2");
    EXPECT_EQ(Text(members[1]), "砼");
    EXPECT_EQ(Code(members[1]), "141100-1");
    {
        Opened<AcDbText> made(members[1], AcDb::kForRead);
        EXPECT_EQ(made->alignmentPoint(), AcGePoint3d(25, 5, 0));
        EXPECT_DOUBLE_EQ(made->height(), 1.5);
    }

    EXPECT_EQ(Structure(plain), "6");
    EXPECT_EQ(Structure(other), "9");
    EXPECT_EQ(Group(other).size(), 2u) << "the unknown word joins; the dash and the JZD text do not";

    EXPECT_EQ(Group(single), std::vector<AcDbObjectId>{single}) << "no text for 1 floor, none for structure 9";
    members = Group(four);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(Text(members[1]), "钢");
    EXPECT_EQ(Text(members[2]), "4");
    {
        Opened<AcDbText> made(members[2], AcDb::kForRead);
        EXPECT_EQ(made->alignmentPoint(), AcGePoint3d(108, 5, 0));
    }

    EXPECT_TRUE(Erased(degenerate));
    EXPECT_EQ(GroupCount(), 7) << "one per house, none for the erased one";
    EXPECT_EQ(Code(stray), "<none>");
    EXPECT_TRUE(Group(stray).empty());
    EXPECT_TRUE(Group(wall).empty());
    EXPECT_EQ(Code(wallNote), "<none>");

    // A second run finds every group complete or its texts in place: nothing changes.
    const std::vector<AcDbObjectId> before = Group(four);
    Convert();
    EXPECT_EQ(GroupCount(), 7);
    EXPECT_EQ(Group(four), before);
    EXPECT_EQ(Group(recoded).size(), 3u);
    EXPECT_EQ(Structure(floorsOnly), "3");
    EXPECT_EQ(Structure(bricks), "5");
    EXPECT_EQ(Floors(recoded), "3.000");
}

TEST_F(HouseAnnotationTest, WithoutTheTableStructuresFallBackAndAGroupFailureTidiesUp)
{
    AcDbObjectId plain = House(0, "141200");
    AcDbObjectId brickText = Note(5, 5, "砖混");
    AcDbObjectId other = House(20, "141300");
    Note(25, 5, "砖混");
    Convert();
    EXPECT_EQ(Structure(plain), "6");
    EXPECT_EQ(Code(plain), "141200");
    EXPECT_EQ(Code(brickText), "141200-1");
    EXPECT_EQ(Structure(other), "9");
    EXPECT_EQ(Code(other), "141300");

    // A group dictionary held open elsewhere: no group can be made. The run ends with its message,
    // and the status bar and the view are as before.
    AcDbObjectId loose = House(40, "141100");
    AcGePoint3d low, high;
    ASSERT_TRUE(GetViewWindow(low, high));
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(acdbOpenObject(groups, acdbHostApplicationServices()->workingDatabase()->groupDictionaryId(),
                             AcDb::kForWrite),
              Acad::eOk);
    Convert();
    groups->close();
    EXPECT_NE(CommandLine().find("\n创建编组失败"), std::string::npos) << CommandLine();
    EXPECT_EQ(CommandLine().find("\n操作完成."), std::string::npos) << CommandLine();
    EXPECT_FALSE(platform::cad::ProgressMeter().shown);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
    AcGePoint3d lowAfter, highAfter;
    ASSERT_TRUE(GetViewWindow(lowAfter, highAfter));
    EXPECT_EQ(lowAfter, low);
    EXPECT_EQ(highAfter, high);
    EXPECT_TRUE(Group(loose).empty());
}

// A generated town whose house notes lie loose, with the sample table: every house is grouped with
// its notes, its FWJG is the table's code for its word and its floor count stays; a second run
// changes nothing in the drawing.
TEST_F(HouseAnnotationTest, AGeneratedTownIsTiedUpOnceAndForAll)
{
    const std::string dir = Root().string();
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 3 --parcels 30 --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --traps --out '" +
                             dir + "/town.dxf' --report '" + dir + "/faults.json'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
    cadastral::LoadConfigTables();
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    resbuf scale;
    scale.restype = RTREAL;
    scale.resval.rreal = 500;
    acedSetVar("USERR1", &scale);
    std::vector<std::string> lines;
    ASSERT_TRUE(cadastral::ReadConfigFile("Convert_FWZJ.DEF", lines));
    const std::vector<cadastral::StructureWord> table = cadastral::ParseStructureWords(lines);

    Convert();
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    ASSERT_EQ(db->saveAs((dir + "/once.dxf").c_str()), Acad::eOk);

    ads_name all;
    drawingutil::Chain filter(acutBuildList(RTDXF0, "LWPOLYLINE", 8, "JMD", RTNONE));
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, filter.get(), all), RTNORM);
    Adesk::Int32 length = 0;
    acedSSLength(all, &length);
    int houses = 0, withFloors = 0;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        AcDbObjectId id;
        acedSSName(all, i, entity);
        acdbGetObjectId(id, entity);
        const std::string code = Code(id);
        std::string featureClass;
        if (!cadastral::FindCodeRecord(code, featureClass) || featureClass != "FW")
            continue;
        ++houses;
        const std::vector<AcDbObjectId> members = Group(id);
        ASSERT_GE(members.size(), 2u) << code;
        EXPECT_EQ(members[0], id);
        for (std::size_t m = 1; m < members.size(); ++m) {
            const std::string noteCode = Code(members[m]);
            EXPECT_EQ(noteCode.substr(0, 6), code);
            if (noteCode == code + "-1") {
                std::string expected = "9";
                for (const auto& line : table)
                    if (line.word == Text(members[m])) {
                        expected = line.structureCode;
                        break;
                    }
                EXPECT_EQ(Structure(id), expected) << Text(members[m]);
            } else {
                EXPECT_EQ(noteCode, code + "-2");
                EXPECT_EQ(Floors(id), Text(members[m]) + ".000");
                ++withFloors;
            }
        }
    }
    acedSSFree(all);
    EXPECT_GE(houses, 20);
    EXPECT_GE(withFloors, 5);

    Convert();
    ASSERT_EQ(db->saveAs((dir + "/twice.dxf").c_str()), Acad::eOk);
    auto body = [](const std::string& text) { return text.substr(text.find("ENTITIES")); };
    EXPECT_TRUE(body(dero::testing::ReadFile(dir + "/once.dxf")) == body(dero::testing::ReadFile(dir + "/twice.dxf")))
        << "the second run changed the drawing";
}

}  // namespace
