// CHECKSINGLEZD and PELGARZDZJ inside one host process with DeroPelgar and Tallyview, on a parcel
// laid out by hand with its points, houses and notes; findings are read back from the browser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "cadastral/boundary_line_coding.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/parcel_integrity.h"
#include "drawingutil/groups.h"
#include "cadastral/region_selection.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/view_window.h"
#include "entity_attributes.h"
#include "parcel_scene.h"
#include "geometry/point_list_offset.h"
#include "parcel_houses.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_text.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using browser_testing::BrowserLine;

std::vector<std::string> Sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

class ParcelIntegrity : public ParcelSceneTest {
protected:
    void SetUp() override {
        ParcelSceneTest::SetUp();
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false));
        ASSERT_TRUE(acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false));
    }
    static void Put(AcDbObjectId id, const char* app, const char* value, int kind = kXDataString) {
        ASSERT_TRUE(WriteEntityXData(id, app, value, kind, -1, false, false, false)) << app;
    }
    static AcDbObjectId Text(double x, double y, const char* text, const char* layer, const char* code) {
        return Add(new AcDbText(AcGePoint3d(x, y, 0), text, AcDbObjectId::kNull, 1.0), layer, code);
    }
    static AcDbObjectId House(const std::vector<AcGePoint2d>& points, const char* code) {
        auto* poly = new AcDbPolyline;
        for (std::size_t i = 0; i < points.size(); ++i)
            poly->addVertexAt(static_cast<unsigned>(i), points[i]);
        poly->setClosed(true);
        return Add(poly, "JMD", code);
    }
    static void Group(const std::vector<AcDbObjectId>& members) {
        AcDbObjectId groupId;
        ASSERT_TRUE(CreateEntityGroup(Name(members[0]), groupId));
        AcDbGroup* group = nullptr;
        ASSERT_EQ(acdbOpenObject(group, groupId, AcDb::kForWrite), Acad::eOk);
        for (std::size_t i = 1; i < members.size(); ++i)
            group->append(members[i]);
        group->close();
    }
    void Pick(AcDbObjectId id) {
        answers->Push(platform::ui::PromptAnswer(std::string(id.handle().text()) + " 0,0"));
    }
    void Run(const char* command, const std::vector<const char*>& replies = {}) {
        platform::cad::ClearCommandLine();
        for (const char* reply : replies)
            answers->Push(platform::ui::PromptAnswer(reply));
        resbuf* args = acutBuildList(RTSTR, command, RTNONE);
        acedCmd(args);
        acutRelRb(args);
    }
    // The texts under a title, each with the handles it links.
    std::vector<std::string> Texts(const char* title) {
        std::vector<std::string> texts;
        browser_testing::BrowserLines all = browser_testing::ExportedBrowserLines(*answers);
        for (const BrowserLine& line : all[title]) {
            std::string entry = line.text;
            for (const std::string& handle : line.handles)
                entry += " @" + handle;
            texts.push_back(entry);
        }
        std::sort(texts.begin(), texts.end());
        return texts;
    }
    static std::string H(AcDbObjectId id) { return " @" + std::string(id.handle().text()); }
};

// A parcel with one of each defect and a doubled corner; a house up to its line; a second parcel
// whose points carry no labels.
TEST_F(ParcelIntegrity, ReportsEachDefectWithItsEntity) {
    // The corner (20,0) is doubled in the outline; (0,20) carries two points.
    const AcDbObjectId parcel = Parcel({{0, 0}, {20, 0}, {20, 0}, {20, 20}, {0, 20}});
    Put(parcel, "MIRET", "0010020003000");
    Put(parcel, "ZDDM", "a");
    Put(parcel, "DLBM", "071");  // no owner (QLR)
    std::vector<AcDbObjectId> points = {BoundaryPoint(0, 0), BoundaryPoint(20, 0), BoundaryPoint(20, 20),
                                        BoundaryPoint(0, 20), BoundaryPoint(0, 20.001)};
    const char* numbers[] = {"1", "2", "3", "4", "5"};
    for (std::size_t i = 0; i < points.size(); ++i) {
        Put(points[i], "MIRET", "J");
        Put(points[i], "MIRET", numbers[i], kXDataLong);
        Put(points[i], "JZDDM", "d");
        if (i != 1)
            Put(points[i], "JBLX", "3");
    }
    // Every boundary line coded but the one from (20,20).
    for (const AcGePoint2d& start : {AcGePoint2d(0, 0), AcGePoint2d(20, 0), AcGePoint2d(0, 20)}) {
        AcDbObjectId vertex;
        ASSERT_TRUE(cadastral::FindVertexAtPoint(parcel, start, vertex));
        for (const char* app : {"JZXDM", "JZXLB", "JZXWZ"})
            Put(vertex, app, "1");
    }
    // A house built up to the parcel's west line, three storeys of structure 1 with a structure
    // note only; a simple house without structure.
    const AcDbObjectId house = House({{0, 2}, {6, 2}, {6, 8}, {0, 8}}, "141100");
    Put(house, "MIRET", "3", kXDataReal);
    Put(house, "FWBH", "1");
    Put(house, "FWJG", "1");
    const AcDbObjectId structure = Text(3, 5, "混", "JMD", "141200-1");
    Group({house, structure});
    const AcDbObjectId simple = House({{10, 10}, {14, 10}, {14, 14}, {10, 14}}, "141300");
    Put(simple, "FWDM", "h");
    // Parcel notes: number, land class, owner, three of four line notes; no area, no fraction line.
    std::vector<AcDbObjectId> group = {parcel};
    for (const char* code : {"302002", "302003", "302004", "302010", "302010", "302010"})
        group.push_back(Text(10, 5, "x", "JZD", code));
    Group(group);
    // The land-class note and the house's structure note lack their ZJDM.
    for (AcDbObjectId note : group)
        if (note != parcel && note != group[2])
            Put(note, "ZJDM", "z");
    // Labels for the points but number 4, one without its ZJDM.
    const AcDbObjectId unnamed = Text(0, 0, "J1", "JZP", "301001");
    for (const char* label : {"J2", "J3", "J5"})
        Put(Text(0, 0, label, "JZP", "301001"), "ZJDM", "z");
    // Old markers go, even when the pick is cancelled.
    auto marker = [&] {
        auto* line = new AcDbPolyline;
        line->addVertexAt(0, AcGePoint2d(50, 50));
        line->addVertexAt(1, AcGePoint2d(51, 51));
        return Add(line, "ERROR", "444400");
    };
    AcDbEntity* erased = nullptr;
    AcDbObjectId markerId = marker();
    Run("CHECKSINGLEZD");
    EXPECT_NE(acdbOpenObject(erased, markerId, AcDb::kForRead), Acad::eOk) << "a cancelled pick";
    markerId = marker();

    Pick(parcel);
    Run("CHECKSINGLEZD");
    const std::string p = H(parcel);
    EXPECT_NE(acdbOpenObject(erased, markerId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(Texts("宗地"), Sorted({"宗地的权利人为空" + p, "没有面积注记" + p, "界址线注记缺少1个" + p}))
        << CommandLine();
    EXPECT_EQ(Texts("警告:宗地"), std::vector<std::string>{"没有宗地号与地类之间的分数线" + p});
    EXPECT_EQ(Texts("界址线"), Sorted({"界址线的界址线代码为空" + p, "界址线的界址线位置为空" + p,
                                       "界址线的界址线类别为空" + p}));
    EXPECT_EQ(Texts("界址点"),
              Sorted({"两个界址点重叠" + H(points[3]) + H(points[4]), "没有界址点注记" + H(points[3]),
                      "界址点的界标类型为空" + H(points[1])}));
    EXPECT_EQ(Texts("房屋"), Sorted({"房屋的房屋代码为空" + H(house), "没有房屋层数文字注记" + H(house)}));
    EXPECT_EQ(Texts("注记"), Sorted({"注记的注记代码为空" + H(unnamed), "注记的注记代码为空" + H(group[2]),
                                     "注记的注记代码为空" + H(structure)}));

    // Notes not required: the four notes and the fraction line go, the rest stays.
    Run("PELGARZDZJ", {"2"});
    Pick(parcel);
    Run("CHECKSINGLEZD");
    EXPECT_EQ(Texts("宗地"), Sorted({"宗地的权利人为空" + p, "界址线注记缺少1个" + p}));
    EXPECT_TRUE(Texts("警告:宗地").empty());
    EXPECT_EQ(Texts("界址点").size(), 3u);
    // A wrong answer keeps the setting.
    Run("PELGARZDZJ", {"3"});
    EXPECT_NE(CommandLine().find("您输入了错误的选项"), std::string::npos);
    Pick(parcel);
    Run("CHECKSINGLEZD");
    EXPECT_TRUE(Texts("警告:宗地").empty());
    Run("PELGARZDZJ", {""});
    Pick(parcel);
    Run("CHECKSINGLEZD");
    EXPECT_EQ(Texts("警告:宗地").size(), 1u);
}

TEST_F(ParcelIntegrity, WithoutLabelsEveryNumberedPointIsReported) {
    const AcDbObjectId parcel = Parcel({{0, 0}, {20, 0}, {20, 20}, {0, 20}}, true);
    std::vector<AcDbObjectId> points = {BoundaryPoint(0, 0), BoundaryPoint(20, 0), BoundaryPoint(20, 20),
                                        BoundaryPoint(0, 20)};
    for (std::size_t i = 0; i < points.size(); ++i) {
        Put(points[i], "MIRET", i == 0 ? "T" : "");
        if (i != 2)
            Put(points[i], "MIRET", std::to_string(i + 1).c_str(), kXDataLong);
        Put(points[i], "JZDDM", "d");
        Put(points[i], "JBLX", "3");
    }
    Group({parcel, Text(5, 5, "x", "JZD", "302001")});
    Pick(parcel);
    Run("CHECKSINGLEZD");
    EXPECT_NE(CommandLine().find("图上没有界址点注记"), std::string::npos);
    // The point without a number needs no label.
    EXPECT_EQ(Texts("界址点"),
              Sorted({"没有界址点注记" + H(points[0]), "没有界址点注记" + H(points[1]),
                      "没有界址点注记" + H(points[3]), "界址点的界址点号为空" + H(points[2])}));
    // A lightweight parcel has no vertices to carry line data: the four lines lack all of it.
    EXPECT_EQ(Texts("界址线").size(), 12u);
    EXPECT_EQ(Texts("宗地").size(), 9u) << CommandLine();  // four fields, four notes, the lines
}

// The check reads an entity's attributes in one opening; each answer is the one-item readers'.
TEST_F(ParcelIntegrity, AttributesReadInOneOpeningAnswerAsTheItemReaders) {
    const AcDbObjectId note = Text(1, 1, "x", "JZD", "302002");
    Put(note, "MIRET", "J");
    Put(note, "miret", "7", kXDataLong);
    Put(note, "MIRET", "2.5", kXDataReal);
    Put(note, "FWJG", "-5", kXDataShort);
    Put(note, "ZDDM", "");
    const AcDbObjectId house = House({{0, 0}, {4, 0}, {4, 4}}, "141100");
    const char* apps[] = {"MIRET", "miret", "FWJG", "ZDDM", "QLR"};
    for (const AcDbObjectId id : {note, house, AcDbObjectId()}) {
        std::vector<std::string> expected;
        for (const char* app : apps)
            for (int kind = 0; kind <= 3; ++kind)
                for (int index = 0; index <= 5; ++index)
                    ReadEntityXData(id, app, expected.emplace_back(), kind, index, false, false);
        std::string code;
        ads_name name;
        if (acdbGetAdsName(name, id) == Acad::eOk)
            GetEntityCode(name, code);
        const cadastral::detail::EntityAttributes data(id);
        std::size_t at = 0;
        for (const char* app : apps)
            for (int kind = 0; kind <= 3; ++kind)
                for (int index = 0; index <= 5; ++index)
                    EXPECT_EQ(data.Item(app, kind, index), expected[at++]) << app << kind << index;
        EXPECT_EQ(data.Code(), code);
        EXPECT_EQ(data.IsText(), id == note);
    }
    EXPECT_EQ(cadastral::detail::EntityAttributes(note).Item("MIRET", kXDataReal, 3), "2.500");
}

// The outlines on the houses' layer answer which one the window grown 1 beyond a parcel's outline
// takes, or that it takes none, as the host's selection does, or leave it to the host.
TEST_F(ParcelIntegrity, ParcelHousesAnswerAsTheHostsGrownWindowOrLeaveItToTheHost) {
    auto square = [](double x, double side = 20) {
        return List({{x, 0}, {x + side, 0}, {x + side, side}, {x, side}});
    };
    // One up to the parcel's line, one inside, one across it, one on the grown window's side, one
    // hidden, one with an arc, one of another layer.
    House({{14, 2}, {18, 2}, {18, 6}, {14, 6}}, "141100");
    House({{0, 10}, {6, 10}, {6, 16}, {0, 16}}, "141100");
    House({{-3, 2}, {2, 2}, {2, 6}, {-3, 6}}, "141100");
    House({{39, 2}, {44, 2}, {44, 6}, {39, 6}}, "141100");
    const AcDbObjectId hidden = House({{62, 2}, {66, 2}, {66, 6}, {62, 6}}, "141100");
    drawingutil::Opened<AcDbEntity>(hidden, AcDb::kForWrite)->setVisibility(AcDb::kInvisible);
    auto* arc = new AcDbPolyline;
    for (unsigned i = 0; i < 3; ++i)
        arc->addVertexAt(i, std::vector<AcGePoint2d>{{82, 2}, {86, 2}, {86, 6}}[i], i == 0 ? 0.5 : 0.0);
    arc->setClosed(true);
    Add(arc, "JMD", "141100");
    Parcel({{102, 2}, {106, 2}, {106, 6}, {102, 6}}, true);
    Parcel({{-10, -10}, {300, -10}, {300, 30}, {-10, 30}});  // widens the drawing
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);

    const cadastral::WindowOutlines houses = cadastral::detail::ReadParcelHouses();
    EXPECT_EQ(houses.Count(), 5u) << "the hidden one is never taken";
    auto answers = [&](const AcGePoint2dArray& window) {
        geometry::PointList ring;
        for (const AcGePoint2d& p : window)
            ring.push_back({p.x, p.y});
        EXPECT_TRUE(geometry::OffsetPointList(ring, -1.0, 0.001, true));
        AcGePoint2dArray grown;
        for (const geometry::Point2d& p : ring)
            grown.append(AcGePoint2d(p.x, p.y));
        AcGePoint3d low, high;
        EXPECT_TRUE(GetViewWindow(low, high));
        std::vector<AcDbObjectId> answered, host;
        if (!houses.WindowPolygon(grown, AcGePoint2d(low.x, low.y), AcGePoint2d(high.x, high.y), answered))
            return -1;
        drawingutil::SelectionSet inside;
        if (cadastral::SelectInPolygonByFilter(inside.Fill(), "WP", window, -1.0, "lwpolyline,JMD;polyline,JMD", "",
                                               false)) {
            for (int i = 0; i < inside.Length(); ++i) {
                ads_name entity;
                AcDbObjectId id;
                if (inside.At(i, entity, id))
                    host.push_back(id);
            }
        } else {
            inside.Drop();
        }
        EXPECT_EQ(answered, host);
        return static_cast<int>(answered.size());
    };
    EXPECT_EQ(answers(square(12, 8)), 1) << "the one inside, the others apart";
    EXPECT_EQ(answers(square(100)), 0) << "only another layer's outline";
    EXPECT_EQ(answers(square(60)), 0) << "hidden";
    EXPECT_EQ(answers(square(80)), 1) << "an arc, inside by its box";
    EXPECT_EQ(answers(square(0)), -1) << "one across the parcel's line";
    EXPECT_EQ(answers(square(40)), -1) << "on the grown side";
    EXPECT_EQ(answers(square(12, 34)), -1) << "two inside: the host's order";
}

// Two parcels checked in one run share the points and labels of their common side: each parcel
// reports what the shared ones lack.
TEST_F(ParcelIntegrity, NeighboursCheckedTogetherEachReportTheirSharedPointsAndLabels) {
    const AcDbObjectId west = Parcel({{0, 0}, {20, 0}, {20, 20}, {0, 20}});
    const AcDbObjectId east = Parcel({{20, 0}, {40, 0}, {40, 20}, {20, 20}});
    const AcGePoint2d corners[] = {{0, 0}, {20, 0}, {40, 0}, {40, 20}, {20, 20}, {0, 20}};
    std::vector<AcDbObjectId> points, labels;
    for (int i = 0; i < 6; ++i) {
        const AcDbObjectId point = points.emplace_back(BoundaryPoint(corners[i].x, corners[i].y));
        const std::string number = std::to_string(i + 1);
        Put(point, "MIRET", "J");
        Put(point, "MIRET", number.c_str(), kXDataLong);
        Put(point, "JZDDM", "d");
        if (i != 4)
            Put(point, "JBLX", "3");
        labels.push_back(Text(corners[i].x, corners[i].y, ("J" + number).c_str(), "JZP", "301001"));
        if (i != 1)
            Put(labels.back(), "ZJDM", "z");
    }
    for (AcDbObjectId parcel : {west, east}) {
        const AcDbObjectId fraction = Text(5, 5, "x", "JZD", "302001");
        Put(fraction, "ZJDM", "z");
        Group({parcel, fraction});
    }
    cadastral::LoadConfigTables();
    cadastral::ParcelIntegrityChecker checker;
    checker.AddParcel(west);
    checker.AddParcel(east);
    EXPECT_TRUE(checker.CheckParcelsForExport());
    const std::vector<std::string> lacking = {"注记的注记代码为空" + H(labels[1]), "注记的注记代码为空" + H(labels[1])};
    EXPECT_EQ(Texts("注记"), lacking);
    const std::string unmarked = "界址点的界标类型为空" + H(points[4]);
    EXPECT_EQ(Texts("界址点"), (std::vector<std::string>{unmarked, unmarked}));
}

}  // namespace

namespace {

std::string RunOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The faults of a kind in the generator's report: handle and related handle.
std::vector<std::pair<std::string, std::string>> ReportedFaults(const std::string& report,
                                                                const std::string& kind) {
    std::vector<std::pair<std::string, std::string>> found;
    const std::regex entry("\\{\"kind\": \"" + kind +
                           "\", \"handle\": \"([0-9A-F]+)\"(, \"related\": \"([0-9A-F]+)\")?");
    for (std::sregex_iterator it(report.begin(), report.end(), entry), end; it != end; ++it)
        found.emplace_back((*it)[1], (*it)[3]);
    return found;
}

// A surveyed town with every kind of fault, coded by ADDCODEQZ; what the checks find agrees with
// the generator's report and with what ezdxf reads from the drawing.
TEST_F(ParcelIntegrity, GeneratedTownFindingsAgreeWithTheReportAndEzdxf) {
    const std::string dir = Root().string();
    const std::string make =
        "'" MAKEDRAWING_PROGRAM "' --seed 5 --parcels 60 --codes '" DERO_SOURCE_DIR
        "/samples/support/index.ini' --out '" +
        dir + "/town.dxf' --report '" + dir +
        "/faults.json' --attributes --bare-vertices 0.1 --doubled-points 0.03 --empty-fields 0.05"
        " --missing-notes 0.2";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string report = RunOutput("cat '" + dir + "/faults.json'");
    std::set<std::string> bare, oracleBare, allParcels;
    std::map<std::string, std::set<std::string>> twins;  // parcel -> " @a @b" in handle order
    for (const auto& [handle, related] : ReportedFaults(report, "bare_vertex"))
        bare.insert(handle);
    std::istringstream oracle(RunOutput("/usr/bin/python3 '" DERO_SOURCE_DIR
                                        "/cadastral/checks/tests/integrity_oracle.py' '" +
                                        dir + "/town.dxf'"));
    for (std::string kind, a, b, c; oracle >> kind >> a;) {
        if (kind == "bare")
            oracleBare.insert(a);
        if (kind == "parcel")
            allParcels.insert(a);
        if (kind == "twin" && oracle >> b >> c)
            twins[a].insert(" @" + b + " @" + c);
    }
    ASSERT_GE(bare.size(), 3u);
    ASSERT_GE(twins.size(), 2u);
    EXPECT_EQ(bare, oracleBare);

    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    Run("CheckParcelVertex");
    std::set<std::string> listed;
    for (const std::string& text : Texts("宗地有节点不是界址点或者拐点"))
        listed.insert(text.substr(text.rfind('@') + 1));
    EXPECT_EQ(listed, bare);

    Run("ADDCODEQZ");
    const auto handleId = [](const std::string& handle) {
        AcDbObjectId id;
        acdbHostApplicationServices()->workingDatabase()->getAcDbObjectId(id, false,
                                                                          AcDbHandle(handle.c_str()));
        return id;
    };
    const auto check = [&](const std::string& parcel) {
        answers->Push(platform::ui::PromptAnswer(parcel + " 0,0"));
        Run("CHECKSINGLEZD");
    };
    for (const auto& [parcel, pairs] : twins) {
        check(parcel);
        std::set<std::string> overlaps;
        for (const std::string& text : Texts("界址点")) {
            if (text.rfind("两个界址点重叠", 0) != 0)
                continue;
            const std::string pair = text.substr(std::string("两个界址点重叠").size());
            const std::size_t split = pair.rfind(" @");
            const std::string a = pair.substr(0, split), b = pair.substr(split);
            overlaps.insert(a.substr(2) < b.substr(2) ? a + b : b + a);
        }
        EXPECT_EQ(overlaps, pairs) << parcel << CommandLine();
    }
    // Parcels without an owner or with a note left out: exactly those findings, on the parcel.
    std::set<std::string> missing, empty;
    for (const auto& [parcel, related] : ReportedFaults(report, "missing_note"))
        missing.insert(parcel);
    for (const auto& [handle, related] : ReportedFaults(report, "empty_field")) {
        AcDbEntity* entity = nullptr;
        ASSERT_EQ(acdbOpenObject(entity, handleId(handle), AcDb::kForRead), Acad::eOk);
        if (entity->layerName() == "JZD")
            empty.insert(handle);
        entity->close();
    }
    ASSERT_FALSE(missing.empty());
    ASSERT_FALSE(empty.empty());
    std::set<std::string> faulted = missing;
    faulted.insert(empty.begin(), empty.end());
    // A parcel without faults of its own, coded: nothing to find on it, its houses or notes.
    int clean = 0;
    for (const std::string& parcel : allParcels) {
        if (faulted.count(parcel) || twins.count(parcel) || bare.count(parcel) || ++clean > 3)
            continue;
        check(parcel);
        for (const char* title : {"宗地", "警告:宗地", "房屋", "注记", "界址线"})
            EXPECT_EQ(Texts(title), std::vector<std::string>{}) << parcel << " " << title;
    }
    for (const std::string& parcel : faulted) {
        check(parcel);
        const std::vector<std::string> found = Texts("宗地");
        EXPECT_EQ(found.size(), missing.count(parcel) + empty.count(parcel)) << parcel;
        int notes = 0;
        for (const std::string& text : found) {
            EXPECT_EQ(text.substr(text.rfind('@') + 1), parcel);
            if (text.find("注记") != std::string::npos)
                ++notes;
        }
        EXPECT_EQ(notes, static_cast<int>(missing.count(parcel))) << parcel;
        if (empty.count(parcel)) {
            EXPECT_NE(std::find(found.begin(), found.end(), "宗地的权利人为空 @" + parcel), found.end());
        }
    }
}

// Checked together, as the exchange package checks them, the parcels of a faulty town give the
// findings their own checks give one by one, in the same order: what the run keeps of shared
// points and labels, and the fences answered from the circles, change nothing.
TEST_F(ParcelIntegrity, ATownCheckedTogetherFindsWhatEachParcelsOwnCheckFinds) {
    const std::string dir = Root().string();
    const std::string make =
        "'" MAKEDRAWING_PROGRAM "' --seed 11 --parcels 40 --codes '" DERO_SOURCE_DIR
        "/samples/support/index.ini' --out '" +
        dir + "/town.dxf' --report '" + dir +
        "/faults.json' --attributes --doubled-points 0.05 --empty-fields 0.1 --missing-notes 0.2";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    Run("ADDCODEQZ");
    std::vector<AcDbObjectId> parcels;
    ads_name all;
    ASSERT_TRUE(cadastral::SelectByFilterAndCode(all, "*polyline,JZD", "300000"));
    Adesk::Int32 count = 0;
    acedSSLength(all, &count);
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name member;
        AcDbObjectId id;
        if (acedSSName(all, i, member) == RTNORM && acdbGetObjectId(id, member) == Acad::eOk)
            parcels.push_back(id);
    }
    acedSSFree(all);
    ASSERT_GE(parcels.size(), 30u);
    cadastral::LoadConfigTables();
    using Findings = std::map<std::string, std::vector<std::string>>;
    auto findings = [&](const std::vector<AcDbObjectId>& checked, Findings& found) {
        cadastral::ParcelIntegrityChecker checker;
        for (AcDbObjectId parcel : checked)
            checker.AddParcel(parcel);
        checker.CheckParcelsForExport();
        for (const auto& [title, lines] : browser_testing::ExportedBrowserLines(*answers))
            for (const BrowserLine& line : lines) {
                std::string entry = line.text;
                for (const std::string& handle : line.handles)
                    entry += " @" + handle;
                found[title].push_back(entry);
            }
    };
    Findings together, alone;
    findings(parcels, together);
    for (AcDbObjectId parcel : parcels)
        findings({parcel}, alone);
    EXPECT_EQ(together, alone);
    EXPECT_GE(together["宗地"].size(), 5u);
    EXPECT_GE(together["界址点"].size(), 10u);
}

}  // namespace

namespace {

// As a surveyor runs it: the cadhost program with the browser, a script that codes the town,
// checks a parcel lacking a note, turns the notes requirement off and checks it again; then with
// a check table that has no "ZJ".
TEST(ParcelIntegrityProgram, ScriptedCheckShowsTheFindingAndHonoursTheSwitch) {
    dero::testing::TempFolder folder("parcel_integrity_program");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 5 --parcels 60 --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --out '" +
                             dir + "/town.dxf' --report '" + dir +
                             "/faults.json' --attributes --missing-notes 0.2";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string report = dero::testing::ReadFile(dir + "/faults.json");
    const auto faults = ReportedFaults(report, "missing_note");
    ASSERT_FALSE(faults.empty());
    const std::string parcel = faults[0].first;
    dero::testing::WriteFile(
        dir + "/check.scr",
        "ADDCODEQZ\n\nCHECKSINGLEZD\n" + parcel + " 0,0\nPELGARZDZJ\n2\nCHECKSINGLEZD\n" + parcel + " 0,0\n");
    dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir, "town.dxf --support '" DERO_SOURCE_DIR "/samples/support' -s check.scr");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::size_t switched = run.out.find("(1)必须 (2)不用 <1>2");
    ASSERT_NE(switched, std::string::npos) << run.out;
    const std::regex note("没有(面积|权利人)注记|界址线注记缺少1个");
    EXPECT_TRUE(std::regex_search(run.out.substr(0, switched), note)) << run.out;
    const std::string after = run.out.substr(switched);
    EXPECT_FALSE(std::regex_search(after, std::regex("没有(面积|权利人)注记"))) << after;

    // Without the notes table its message, and the notes go unchecked.
    const std::string support = dir + "/support";
    std::filesystem::create_directories(support);
    for (const auto& entry : std::filesystem::directory_iterator(DERO_SOURCE_DIR "/samples/support"))
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), support + "/" + entry.path().filename().string());
    std::string table = dero::testing::ReadFile(support + "/attributeCheck.def");
    const std::size_t zj = table.find("*ZJ");
    ASSERT_NE(zj, std::string::npos);
    table = table.substr(0, zj) + "END\r\n";
    std::filesystem::remove(support + "/attributeCheck.def");
    dero::testing::WriteFile(support + "/attributeCheck.def", table);
    run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir,
        "town.dxf --support '" + support + "' -c CHECKSINGLEZD -c '" + parcel + " 0,0'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("AttributeCheck.def中没有这个表，表名 ZJ"), std::string::npos) << run.out;
}

}  // namespace
