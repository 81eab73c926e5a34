// GEOPORT from the file list dialog to the drawing: a project chosen with "文件读入", rows sorted,
// matched and ticked, then OK or Cancel; and the table reader on its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../import/tests/import_fixture.h"
#include "gisexchange/file_list_dialog.h"
#include "gisexchange/geoport_command.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/ui_driver.h"

namespace {

using gisexchange::CFileListDialog;
using import_testing::AddPoint;
using import_testing::NewFile;
using import_testing::PointKind;
using platform::gis::GisDocument;
using platform::ui::UiDriver;

// What the command sent to the browser, as "code|title|text" lines, and whether it asked to show it.
std::vector<std::string> g_browser;
int Receive()
{
    std::string line;
    for (const resbuf* arg = acedGetArgs(); arg != nullptr; arg = arg->rbnext) {
        if (arg->restype == RTSHORT)
            line += std::to_string(arg->resval.rint);
        else if (arg->restype == RTSTR && std::string(arg->resval.rstring) != "kelvo_receive")
            line += std::string("|") + arg->resval.rstring;
    }
    g_browser.push_back(line);
    return acedRetNil() == RTNORM ? RSRSLT : RSERR;
}
void ShowCommand() { g_browser.push_back("show"); }

class GeoportCommand : public import_testing::ImportTest {
protected:
    GeoportCommand() : ImportTest("geoport_command") {}
    void SetUp() override
    {
        ImportTest::SetUp();
        g_browser.clear();
        ASSERT_EQ(acedDefun("kelvo_receive", 41), RTNORM);
        ASSERT_EQ(acedRegFunc(&Receive, 41), RTNORM);
        ASSERT_EQ(acedRegCmds->addCommand("KELVO_TEST", "Kelvo_Show", "Kelvo_Show", 0, &ShowCommand), Acad::eOk);
        Templates({"*JZD,1,界址点,,jzd*", "名称,0,20,0,MC", "*DLTB,3,地类图斑,,DLTB", "*XZQ,3,行政区,,*_001",
                   "*QLR,9,权利人表", "MC,0,20,0,MC"});
    }
    void TearDown() override
    {
        acedRegCmds->removeGroup("KELVO_TEST");
        ImportTest::TearDown();
    }

    // Three point files, a table with a template and one without, and a text file, in a project.
    void MakeProject()
    {
        const char* points[] = {"jzd_1", "jzd_2", "dltb_001"};
        platform::gis::GisProject project;
        for (const char* name : points) {
            GisDocument d = NewFile(GIS_KIND_POINT, {"MC"});
            AddPoint(d, 1, 1, "", PointKind(2).PutDouble(2, 1), {"甲"});
            AddPoint(d, 2, 2, "", PointKind(2).PutDouble(2, 1), {"乙"});
            const std::string path = std::string("C:\\data\\") + name + ".wt";
            Write(path, d);
            Enter(project, path, std::string(name) + ".wt");
        }
        GisDocument table = platform::gis::NewGisDocument(GIS_KIND_TABLE);
        table.fields.push_back({"MC", GIS_FIELD_TEXT, 20, 0, 1});
        table.rows.push_back({"1", "甲"});
        Write("C:\\data\\qlr.wb", table);
        Write("C:\\data\\zz.wb", table);
        Enter(project, "C:\\data\\qlr.wb", "qlr.wb");
        Enter(project, "C:\\data\\zz.wb", "zz.wb");
        Enter(project, "C:\\data\\notes.txt", "notes.txt");
        ASSERT_TRUE(platform::gis::WriteFileAtomically("C:\\data\\proj.mpj", platform::gis::SerializeGisProject(project)));
    }
    static void Enter(platform::gis::GisProject& project, const std::string& path, const std::string& title)
    {
        platform::gis::GisProjectEntry entry;
        entry.path = path;
        std::snprintf(entry.record.title, sizeof entry.record.title, "%s", title.c_str());
        project.entries.push_back(entry);
    }
    static std::vector<std::string> Report()
    {
        std::vector<std::string> lines;
        for (const std::string& line : g_browser)
            if (line.rfind("0|转换报告|", 0) == 0)
                lines.push_back(line.substr(std::string("0|转换报告|").size()));
        return lines;
    }
    static int Cell(UiDriver& ui, int list, int row, int column, std::string& text)
    {
        char buffer[300] = {};
        LVITEMA item;
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        const int n = static_cast<int>(SendMessageA(ui.Item(list), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        text = buffer;
        return n;
    }
    static int Rows(UiDriver& ui, int list)
    {
        return static_cast<int>(SendMessageA(ui.Item(list), LVM_GETITEMCOUNT, 0, 0));
    }
};

TEST_F(GeoportCommand, ProjectRowsAreSortedMatchedTickedAndRead)
{
    MakeProject();
    std::vector<std::string> seen;
    answers->Push(platform::ui::DialogAnswer(gisexchange::kFileListDialogId, [&](UiDriver& ui) {
        ASSERT_TRUE(ui.Click(gisexchange::kAddFilesId));
        ASSERT_TRUE(ui.Click(gisexchange::kAddFilesId));  // the same project again adds nothing
        EXPECT_EQ(Rows(ui, gisexchange::kPointListId), 3);
        EXPECT_EQ(Rows(ui, gisexchange::kLineListId), 0);
        EXPECT_EQ(Rows(ui, gisexchange::kTableListId), 2) << "notes.txt is left out";
        std::string text;
        Cell(ui, gisexchange::kTableListId, 0, 2, text);
        EXPECT_EQ(text, "QLR");
        Cell(ui, gisexchange::kPointListId, 1, 0, text);
        EXPECT_EQ(text, "jzd_2.wt");
        Cell(ui, gisexchange::kPointListId, 1, 1, text);
        EXPECT_EQ(text, "c:\\data\\jzd_2.wt");

        ASSERT_TRUE(ui.Click(gisexchange::kAutoMatchId));
        for (int row = 0; row < 3; ++row) {
            Cell(ui, gisexchange::kPointListId, row, 2, text);
            seen.push_back(text);
        }
        // The header of column 0 inverts every check box; twice brings them back.
        ASSERT_TRUE(ui.ToggleListCheck(gisexchange::kPointListId, 0));
        ASSERT_TRUE(ui.ClickColumnHeader(gisexchange::kPointListId, 0));
        ASSERT_TRUE(ui.ClickColumnHeader(gisexchange::kPointListId, 0));
        ASSERT_TRUE(ui.ClickColumnHeader(gisexchange::kTableListId, 0));
        ASSERT_TRUE(ui.ToggleListCheck(gisexchange::kPointListId, 1));
        ASSERT_TRUE(ui.ToggleListCheck(gisexchange::kPointListId, 2));
        ASSERT_TRUE(ui.Click(IDOK));
    }));
    answers->Push(platform::ui::OpenFileAnswer({"C:\\DATA\\PROJ.MPJ"}));
    answers->Push(platform::ui::OpenFileAnswer({"C:\\data\\proj.mpj"}));
    gisexchange::GeoportCommand();

    // Titles come lower-cased and patterns match case by case; area patterns are not tried on points.
    EXPECT_EQ(seen, (std::vector<std::string>{"界址点", "界址点", "地形"}));
    ASSERT_GE(g_browser.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(g_browser.begin(), g_browser.begin() + 4),
              (std::vector<std::string>{"-1|点实体错误", "-1|线实体错误", "-1|面实体错误", "-1|转换报告"}));
    const std::string tail = " 共转换 2 个实体，其中正常识别 ";
    const std::vector<std::string> report = Report();
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0].rfind("文件(c:\\data\\jzd_1.wt)" + tail, 0), 0u) << report[0];
    EXPECT_EQ(report[1].rfind("文件(c:\\data\\jzd_2.wt)" + tail, 0), 0u) << report[1];
    EXPECT_EQ(report[2].rfind("文件(c:\\data\\dltb_001.wt)" + tail, 0), 0u) << report[2];
    EXPECT_EQ(g_browser.back(), "show");
    EXPECT_EQ(Drawing().size(), 6u);
}

TEST_F(GeoportCommand, TickedTableRowsGoToTheEntitiesOfTheirKey)
{
    gisexchange::Config() = {};
    Templates({"*JZD,1,界址点,,jzd*", "MC,12,20,0,GKEY", "*JZD_QLR,9,权利人表", "KEY,0,20,0,MC", "NAME,0,20,0,XM"});
    GisDocument points = NewFile(GIS_KIND_POINT, {"MC"});
    AddPoint(points, 1, 1, "", PointKind(2).PutDouble(2, 1), {"k1"});
    AddPoint(points, 2, 2, "", PointKind(2).PutDouble(2, 1), {"k2"});
    Write("C:\\data\\jzd.wt", points);
    GisDocument table = platform::gis::NewGisDocument(GIS_KIND_TABLE);
    table.fields.push_back({"XM", GIS_FIELD_TEXT, 20, 0, 1});
    table.fields.push_back({"MC", GIS_FIELD_TEXT, 20, 0, 1});
    table.rows.push_back({"1", "张三", "k2"});
    Write("C:\\data\\jzd_qlr.wb", table);
    Write("C:\\data\\other.wb", table);  // no template of that name: skipped

    answers->Push(platform::ui::DialogAnswer(gisexchange::kFileListDialogId, [&](UiDriver& ui) {
        ASSERT_TRUE(ui.Click(gisexchange::kAddFilesId));
        ASSERT_TRUE(ui.Click(gisexchange::kAutoMatchId));
        ASSERT_TRUE(ui.ClickColumnHeader(gisexchange::kPointListId, 0));
        ASSERT_TRUE(ui.ClickColumnHeader(gisexchange::kTableListId, 0));
        ASSERT_TRUE(ui.Click(IDOK));
    }));
    answers->Push(platform::ui::OpenFileAnswer({"C:\\data\\other.wb", "C:\\data\\jzd.wt", "C:\\data\\jzd_qlr.wb"}));
    gisexchange::GeoportCommand();

    const std::vector<import_testing::Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(Item(drawn[0].id, "QLR_NAME", 0), "");
    EXPECT_EQ(Item(drawn[1].id, "QLR_NAME", 0), "张三");
    EXPECT_EQ(Item(drawn[1].id, "QLR_KEY", 0), "k2");
    EXPECT_EQ(Report().size(), 1u);
}

TEST_F(GeoportCommand, NothingTickedStillReportsAndCancelTouchesNothing)
{
    const HINSTANCE before = platform::ui::CurrentResources();
    answers->Push(platform::ui::DialogAnswer(gisexchange::kFileListDialogId, [](UiDriver& ui) { ui.Click(IDOK); }));
    gisexchange::GeoportCommand();
    EXPECT_EQ(platform::ui::CurrentResources(), before) << "the module's resources are current only while it runs";
    EXPECT_EQ(acDocManager->popResourceHandle(), Acad::eNotApplicable) << "every push was popped";
    EXPECT_EQ(g_browser, (std::vector<std::string>{"-1|点实体错误", "-1|线实体错误", "-1|面实体错误", "-1|转换报告", "show"}));

    g_browser.clear();
    answers->Push(platform::ui::DialogAnswer(gisexchange::kFileListDialogId, [](UiDriver& ui) { ui.Click(IDCANCEL); }));
    gisexchange::GeoportCommand();
    EXPECT_TRUE(g_browser.empty());
    EXPECT_TRUE(Drawing().empty());
    EXPECT_EQ(platform::ui::CurrentResources(), before);
}

TEST_F(GeoportCommand, TableReaderTakesFieldsAfterIdAndEveryRecord)
{
    GisDocument d = platform::gis::NewGisDocument(GIS_KIND_TABLE);
    const std::pair<const char*, unsigned char> fields[] = {
        {"MC", GIS_FIELD_TEXT}, {"B", GIS_FIELD_BYTE},   {"S", GIS_FIELD_SHORT}, {"L", GIS_FIELD_LONG},
        {"F", GIS_FIELD_FLOAT}, {"D", GIS_FIELD_DOUBLE}, {"R", GIS_FIELD_DATE},  {"T", GIS_FIELD_TIME},
        {"I", GIS_FIELD_INT64}};
    for (const auto& [name, type] : fields)
        d.fields.push_back({name, type, 12, 0, 1});
    d.rows.push_back({"1", "甲乗", "1", "2", "70000", "1.5", "2.5", "", "", "9"});
    d.rows.push_back({"2", "乙", "3", "4", "5", "6", "7", "", "", "8"});
    Write("C:\\data\\t.wb", d);

    gisexchange::AttributeTable table("QLR");
    ASSERT_TRUE(gisexchange::ReadGisTable("C:\\data\\t.wb", table));
    std::vector<std::string> names;
    std::vector<int> kinds;
    for (const gisexchange::AttributeColumn& column : table.Columns()) {
        names.push_back(column.name);
        kinds.push_back(column.kind);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MC", "B", "S", "L", "F", "D", "R", "T", "I"}));
    EXPECT_EQ(kinds, (std::vector<int>{0, 1, 1, 2, 4, 4, 4, 0, 1}));
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Columns()[0].values, (std::vector<std::string>{"甲乗", "乙"}));
    EXPECT_EQ(table.Columns()[3].values, (std::vector<std::string>{"70000", "5"}));

    gisexchange::AttributeTable missing("QLR");
    EXPECT_FALSE(gisexchange::ReadGisTable("C:\\data\\none.wb", missing));
    EXPECT_TRUE(missing.Columns().empty());
    EXPECT_EQ(missing.RowCount(), 0);
}

TEST_F(GeoportCommand, WithoutTemplatesOnlyTerrainIsOffered)
{
    gisexchange::Config() = {};
    GisDocument d = NewFile(GIS_KIND_LINE, {});
    Write("C:\\data\\road.wl", d);
    // 昇 and 乗 end in "N" and "\\": lower-casing and the file name must leave them whole.
    Write("C:\\data\\昇乗.WL", d);
    int choices = -1;
    std::string first, matched, title, path;
    answers->Push(platform::ui::DialogAnswer(gisexchange::kFileListDialogId, [&](UiDriver& ui) {
        ASSERT_TRUE(ui.Click(gisexchange::kAddFilesId));
        ASSERT_TRUE(ui.Click(gisexchange::kAutoMatchId));
        Cell(ui, gisexchange::kLineListId, 0, 2, matched);
        Cell(ui, gisexchange::kLineListId, 1, 0, title);
        Cell(ui, gisexchange::kLineListId, 1, 1, path);
        ASSERT_TRUE(ui.ClickListCell(gisexchange::kLineListId, 0, 2, true));
        HWND combo = ui.Item(gisexchange::kCellComboId);
        ASSERT_NE(combo, nullptr);
        choices = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        char text[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        first = text;
        ui.PressKey(VK_ESCAPE);
        ui.Click(IDCANCEL);
    }));
    answers->Push(platform::ui::OpenFileAnswer({"C:\\data\\road.wl", "C:\\data\\昇乗.WL"}));
    gisexchange::GeoportCommand();
    EXPECT_EQ(matched, "地形");
    EXPECT_EQ(title, "昇乗.wl");
    EXPECT_EQ(path, "c:\\data\\昇乗.wl");
    EXPECT_EQ(choices, 1);
    EXPECT_EQ(first, "地形");
}

TEST(FilePatterns, StarsAnchorsAndTheFirstPlaceOfTheLastPart)
{
    using gisexchange::MatchesFilePattern;
    EXPECT_TRUE(MatchesFilePattern("DLTB_001", "DLTB*"));
    EXPECT_TRUE(MatchesFilePattern("DLTB_001", "DLTB"));
    EXPECT_FALSE(MatchesFilePattern("A_001_001", "*_001"));
    EXPECT_TRUE(MatchesFilePattern("A_001", "*_001"));
    EXPECT_TRUE(MatchesFilePattern("AB_7", "A?_?"));
    EXPECT_FALSE(MatchesFilePattern("XDLTB", "DLTB*"));
    EXPECT_FALSE(MatchesFilePattern("DL", "DLTB"));
    EXPECT_TRUE(MatchesFilePattern("JZD_X_9", "JZD**X*"));
    EXPECT_FALSE(MatchesFilePattern("JZD_9", "JZD*X*"));
}

}  // namespace
