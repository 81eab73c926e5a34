// The small numbering, selection and repair commands inside one host process with DeroPelgar and
// Tallyview, on features laid out by hand; the patch selection behind ssfromnodeswp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "cadastral/boundary_numbering.h"
#include "cadastral/format_real.h"
#include "cadastral/xdata_items.h"
#include "drawingutil/groups.h"
#include "parcel_scene.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_text.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/selection.h"

namespace {

using browser_testing::BrowserLine;

std::vector<std::string> g_exportCalls;

int LogExport() {
    std::string line;
    for (const resbuf* item = acedGetArgs(); item != nullptr; item = item->rbnext) {
        if (item->restype == RTPICKS) {
            Adesk::Int32 n = -1;
            acedSSLength(item->resval.rlname, &n);
            line += "picks:" + std::to_string(n) + " ";
        } else if (item->restype == RTSTR) {
            line += std::string(item->resval.rstring) + " ";
        }
    }
    g_exportCalls.push_back(line);
    return acedRetNil();
}

class SmallCommands : public ParcelSceneTest {
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
    static std::string Get(AcDbObjectId id, const char* app, int kind, int index) {
        std::string text;
        ReadEntityXData(id, app, text, kind, index, false, false);
        return text;
    }
    static std::string Layer(AcDbObjectId id) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk)
            return "<gone>";
        std::string layer = entity->layerName();
        entity->close();
        return layer;
    }
    static AcDbObjectId Numbered(double x, double y, const char* prefix, const char* number) {
        const AcDbObjectId id = BoundaryPoint(x, y);
        Put(id, "MIRET", prefix);
        Put(id, "MIRET", number, kXDataLong);
        return id;
    }
    static AcDbObjectId Patch(const std::vector<AcGePoint2d>& points, bool closed = true) {
        auto* poly = new AcDbPolyline;
        for (std::size_t i = 0; i < points.size(); ++i)
            poly->addVertexAt(static_cast<unsigned>(i), points[i]);
        poly->setClosed(closed);
        return Add(poly, "DLJ", "310000");
    }
    static AcDbObjectId Square(double x, double y, double side) {
        return Patch({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
    }
    void Run(const char* command, const std::vector<std::string>& replies = {}) {
        platform::cad::ClearCommandLine();
        for (const std::string& reply : replies)
            answers->Push(platform::ui::PromptAnswer(reply));
        resbuf* args = acutBuildList(RTSTR, command, RTNONE);
        acedCmd(args);
        acutRelRb(args);
    }
    std::vector<BrowserLine> Lines(const char* title) {
        browser_testing::BrowserLines all = browser_testing::ExportedBrowserLines(*answers);
        return all[title];
    }
    static std::string Pick(AcDbObjectId id) { return std::string(id.handle().text()) + " 0,0"; }
};

TEST_F(SmallCommands, MaximumPointNumberFirstOfEqualsWins) {
    Numbered(0, 0, "A", "7");
    const AcDbObjectId first = Numbered(5, 0, "B", "12");
    Numbered(9, 0, "C", "12");
    Run("GetMaxJZDH", {""});
    std::vector<BrowserLine> lines = Lines("最大界址点号");
    ASSERT_EQ(lines.size(), 1u) << CommandLine();
    EXPECT_EQ(lines[0].text, "最大界址点号为:12,前缀为:B.");
    EXPECT_EQ(lines[0].handles, std::vector<std::string>{first.handle().text()});

    // Inside a closed outline around the first only; an open outline is refused.
    const AcDbObjectId around = Patch({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    Run("GetMaxJZDH", {"2", Pick(around)});
    lines = Lines("最大界址点号");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "最大界址点号为:7,前缀为:A.");
    const AcDbObjectId open = Patch({{-1, -1}, {1, -1}, {1, 1}}, false);
    Run("GetMaxJZDH", {"2", Pick(open)});
    EXPECT_NE(CommandLine().find("请选择闭合多段线"), std::string::npos);
    const AcDbObjectId empty = Patch({{50, 50}, {51, 50}, {51, 51}});
    Run("GetMaxJZDH", {"2", Pick(empty)});
    EXPECT_NE(CommandLine().find("该闭合线内无界址点"), std::string::npos);
}

TEST_F(SmallCommands, BareVerticesTurningPointsAndTheirCodes) {
    // Twelve vertices without points; a neighbour with every vertex covered.
    std::vector<AcGePoint2d> ring;
    for (int i = 0; i < 12; ++i)
        ring.emplace_back(100 + 10 * std::cos(i * M_PI / 6), 10 * std::sin(i * M_PI / 6));
    const AcDbObjectId bare = Parcel(ring);
    const AcDbObjectId left = Parcel({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const AcDbObjectId right = Parcel({{10, 0}, {20, 0}, {20, 10}, {10, 10}});
    for (const AcGePoint2d& p :
         {AcGePoint2d(0, 0), AcGePoint2d(0, 10), AcGePoint2d(20, 0), AcGePoint2d(20, 10)})
        Numbered(p.x, p.y, "J", "1");
    const AcDbObjectId shared = SecondClassPoint(10, 0);
    Put(shared, "MIRET", "G");
    Put(shared, "MIRET", "44", kXDataLong);
    const AcDbObjectId top = SecondClassPoint(10, 10);
    Run("CheckParcelVertex");
    std::vector<BrowserLine> lines = Lines("宗地有节点不是界址点或者拐点");
    ASSERT_EQ(lines.size(), 1u) << CommandLine();
    EXPECT_EQ(lines[0].text, "宗地的节点: 1 2 3 4 5 6 7 8 9 10等没有界址点或者拐点,请修正");
    EXPECT_EQ(lines[0].handles, std::vector<std::string>{bare.handle().text()});
    (void)left;
    (void)right;
    Run("CheckParcelVertex");  // the bare parcel alone again
    EXPECT_EQ(Lines("宗地有节点不是界址点或者拐点").size(), 1u);

    // A turning point on two parcels becomes a boundary point that keeps its number.
    const AcDbObjectId lonely = SecondClassPoint(100, 30);
    Parcel({{95, 30}, {100, 30}, {100, 35}});
    Run("CheckJzxAndGd");
    EXPECT_EQ(Layer(shared), "JZP");
    EXPECT_EQ(Get(shared, "MIRET", kXDataString, 0), "301000");
    EXPECT_EQ(Get(shared, "MIRET", kXDataString, 1), "J");
    EXPECT_EQ(Get(shared, "MIRET", kXDataLong, 2), "44");
    EXPECT_EQ(Layer(top), "JZP");
    EXPECT_EQ(Layer(lonely), "GD");
    ASSERT_EQ(Lines("转化界址点").size(), 2u);
    EXPECT_EQ(Lines("转化界址点")[0].text, "转化成功");
}

TEST_F(SmallCommands, TurningPointCodesTakeTheParcelsDistrict) {
    const AcDbObjectId parcel = Parcel({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    Put(parcel, "MIRET", "0010021234000");
    const AcDbObjectId corner = BoundaryPoint(0, 0);
    Put(corner, "JZDDM", "110101001001JD0000001");
    std::vector<AcDbObjectId> turns;
    for (const AcGePoint2d& p : {AcGePoint2d(10, 0), AcGePoint2d(10, 10), AcGePoint2d(0, 10)})
        turns.push_back(SecondClassPoint(p.x, p.y));
    Put(turns[0], "GDDM", "999999999999GD1234567");
    Put(turns[1], "GDDM", "9999999999GD1234567");  // 19
    Put(turns[2], "GDDM", "999999999GD1234567");   // 18
    Run("ArrangeGDDM");
    EXPECT_EQ(Get(turns[0], "GDDM", kXDataString, 0), "999999999999GD1234567");
    EXPECT_EQ(Get(turns[1], "GDDM", kXDataString, 0), "110101001001121234567");
    EXPECT_EQ(Get(turns[2], "GDDM", kXDataString, 0), "999999999GD1234567");
    EXPECT_NE(CommandLine().find("拐点代码重排完毕!"), std::string::npos);
}

TEST_F(SmallCommands, PurgeFractionLinesNotesAndExport) {
    // Two empty groups and one of three members.
    std::vector<AcDbObjectId> members = {BoundaryPoint(0, 0), BoundaryPoint(1, 0), BoundaryPoint(2, 0)};
    AcDbObjectId kept;
    ASSERT_TRUE(CreateEntityGroup(Name(members[0]), kept));
    {
        AcDbGroup* group = nullptr;
        ASSERT_EQ(acdbOpenObject(group, kept, AcDb::kForWrite), Acad::eOk);
        group->append(members[1]);
        group->append(members[2]);
        group->close();
    }
    for (int i = 0; i < 2; ++i) {
        AcDbObjectId emptied;
        const AcDbObjectId lone = BoundaryPoint(5 + i, 5);
        ASSERT_TRUE(CreateEntityGroup(Name(lone), emptied));
        AcDbGroup* group = nullptr;
        ASSERT_EQ(acdbOpenObject(group, emptied, AcDb::kForWrite), Acad::eOk);
        group->remove(lone);
        group->close();
    }
    Run("PurgeData");
    EXPECT_NE(CommandLine().find("共删除空编组 2 个"), std::string::npos) << CommandLine();
    AcDbGroup* group = nullptr;
    ASSERT_EQ(acdbOpenObject(group, kept, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(group->numEntities(), 3u);
    group->close();

    // A fraction line in a group becomes a dash note; a parcel-coded line stays.
    auto* line = new AcDbLine(AcGePoint3d(0, 20, 0), AcGePoint3d(4, 20, 0));
    line->setColorIndex(3);
    const AcDbObjectId fraction = Add(line, "ZDZJ", "302001");
    Put(fraction, "ZJDM", "note");
    AcDbObjectId fractionGroup;
    ASSERT_TRUE(CreateEntityGroup(Name(fraction), fractionGroup));
    const AcDbObjectId other =
        Add(new AcDbLine(AcGePoint3d(0, 30, 0), AcGePoint3d(4, 30, 0)), "JZD", "300000");
    Run("FENSHUXIAN");
    EXPECT_NE(CommandLine().find("成功改正 1 个"), std::string::npos) << CommandLine();
    EXPECT_EQ(Layer(fraction), "<gone>");
    EXPECT_EQ(Layer(other), "JZD");
    ASSERT_EQ(acdbOpenObject(group, fractionGroup, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray grouped;
    group->allEntityIds(grouped);
    group->close();
    ASSERT_EQ(grouped.length(), 1);
    AcDbText* text = nullptr;
    ASSERT_EQ(acdbOpenObject(text, grouped[0], AcDb::kForRead), Acad::eOk);
    EXPECT_STREQ(text->textStringConst(), "—");
    EXPECT_EQ(text->layerName(), "ZDZJ");
    EXPECT_EQ(text->colorIndex(), 3);
    EXPECT_NEAR(text->alignmentPoint().x, 2.0, 1e-9);
    text->close();
    EXPECT_EQ(Get(grouped[0], "MIRET", kXDataString, 0), "302001");
    EXPECT_EQ(Get(grouped[0], "ZJDM", kXDataString, 0), "note");

    // Coded texts get their code under ZJLX; the dash notes of houses are listed.
    const AcDbObjectId dash =
        Add(new AcDbText(AcGePoint3d(0, 40, 0), "—", AcDbObjectId::kNull, 1), "JMD", "141200-1");
    Add(new AcDbText(AcGePoint3d(0, 50, 0), "—", AcDbObjectId::kNull, 1), "JZD", "302003");
    const AcDbObjectId shortCode =
        Add(new AcDbText(AcGePoint3d(0, 60, 0), "x", AcDbObjectId::kNull, 1), "JZD", "30200");
    Run("AddZJLX");
    EXPECT_EQ(Get(dash, "ZJLX", kXDataString, 0), "141200-1");
    EXPECT_EQ(Get(shortCode, "ZJLX", kXDataString, 0), "");
    Run("TopoTest");
    std::vector<BrowserLine> lines = Lines("导Shp注记");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "—");
    EXPECT_EQ(lines[0].handles, std::vector<std::string>{dash.handle().text()});

    // The export hands the selection and its folder on; nothing selected says so.
    g_exportCalls.clear();
    ASSERT_EQ(acedDefun("ss_exportshp", 41), RTNORM);
    ASSERT_EQ(acedRegFunc(LogExport, 41), RTNORM);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);  // picks see the screen only
    Run("SS_EXPORT_SHP", {"W -1,39 5,42", ""});
    EXPECT_EQ(g_exportCalls, std::vector<std::string>{"picks:1 C:\\222\\ "}) << CommandLine();
    Run("SS_EXPORT_SHP", {""});
    EXPECT_NE(CommandLine().find("没有选择实体"), std::string::npos) << CommandLine();
    EXPECT_EQ(g_exportCalls.size(), 1u);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

TEST_F(SmallCommands, ItemWiseExtendedDataAndRealText) {
    const AcDbObjectId id = BoundaryPoint(0, 0);
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
    EXPECT_TRUE(cadastral::WriteXDataItem(name, "TESTAPP", "first", false, 0));  // a new list
    EXPECT_TRUE(cadastral::WriteXDataItem(name, "TESTAPP", std::int32_t{7}, true, 0));
    EXPECT_TRUE(cadastral::WriteXDataItem(name, "TESTAPP", 2.5, true, 0));
    EXPECT_TRUE(cadastral::WriteXDataItem(name, "TESTAPP", std::string("second"), false, 0));
    // Missing items and items of another kind are left alone.
    EXPECT_FALSE(cadastral::WriteXDataItem(name, "TESTAPP", "x", false, 1));
    EXPECT_FALSE(cadastral::WriteXDataItem(name, "TESTAPP", std::int16_t{1}, false, 5));
    EXPECT_FALSE(cadastral::WriteXDataItem(name, "TESTAPP", true, true, 0));
    EXPECT_NE(CommandLine().find("不识别的数据类型!"), std::string::npos);
    cadastral::XDataItemValue value;
    ASSERT_TRUE(cadastral::ReadXDataItem(name, "TESTAPP", value, 0));
    EXPECT_EQ(value.group, 1000);
    EXPECT_EQ(value.text, "second");
    ASSERT_TRUE(cadastral::ReadXDataItem(name, "TESTAPP", value, 1));
    EXPECT_EQ(value.group, 1071);
    EXPECT_EQ(value.integer, 7);
    ASSERT_TRUE(cadastral::ReadXDataItem(name, "TESTAPP", value, 9));  // past the end: the last
    EXPECT_EQ(value.group, 1040);
    EXPECT_EQ(value.real, 2.5);
    EXPECT_FALSE(cadastral::ReadXDataItem(name, "NOAPP", value, 0));
    EXPECT_EQ(CountXDataItems(name, "TESTAPP"), 3);

    EXPECT_EQ(cadastral::FormatReal(0.1), "0.1");
    EXPECT_EQ(cadastral::FormatReal(0.05), "0.05");
    EXPECT_EQ(cadastral::FormatReal(1234567.0), "1.23457e+06");
}

// The patches the polygon covers: wholly inside, or inside touching its outline; not one outside
// that touches it, not one crossing it.
TEST_F(SmallCommands, PatchesInsideAPolygon) {
    const AcDbObjectId polygon = Add(
        [] {
            auto* poly = new AcDbPolyline;
            const AcGePoint2d corners[] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}};
            for (unsigned i = 0; i < 4; ++i)
                poly->addVertexAt(i, corners[i]);
            poly->setClosed(true);
            return poly;
        }(),
        "JZD", "300000");
    const AcDbObjectId inside = Square(5, 5, 2);
    const AcDbObjectId touching = Square(0, 0, 4);
    Square(20, 0, 4);   // outside, touching
    Square(18, 10, 4);  // crossing
    AcDbObjectIdArray found;
    ASSERT_TRUE(cadastral::SelectPatchesInPolygon(Name(polygon), found));
    std::vector<AcDbObjectId> got(found.begin(), found.end());
    std::sort(got.begin(), got.end());
    std::vector<AcDbObjectId> want = {inside, touching};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);

    // Through the LISP function: a key for the right tag, nil otherwise or for an open outline.
    const auto call = [&](const char* tag, AcDbObjectId curve) {
        ads_name name;
        acdbGetAdsName(name, curve);
        resbuf* args = acutBuildList(RTSTR, "ssfromnodeswp", RTSTR, tag, RTENAME, name, RTNONE);
        resbuf* result = nullptr;
        EXPECT_EQ(acedInvoke(args, &result), RTNORM);
        acutRelRb(args);
        const short type = result != nullptr ? result->restype : 0;
        const long key = type == RTLONG ? result->resval.rlong : 0;
        acutRelRb(result);
        return std::make_pair(type, key);
    };
    const auto [type, key] = call("VantoCQRMP", polygon);
    EXPECT_EQ(type, RTLONG);
    EXPECT_NE(key, 0);
    EXPECT_EQ(call("VantoCQRM", polygon).first, RTNIL);
    const AcDbObjectId open = Patch({{0, 0}, {20, 0}, {20, 20}}, false);
    EXPECT_EQ(call("VantoCQRMP", open).first, RTNIL);

    // The main application's way: another module takes the array by the key, once.
    ASSERT_TRUE(acrxDynamicLinker->loadModule(RECORDER_MODULE, false));
    Run("PATCHESIN", {Pick(polygon)});
    std::vector<std::string> handles = {inside.handle().text(), touching.handle().text()};
    std::sort(handles.begin(), handles.end());
    EXPECT_NE(CommandLine().find("[recorder] PATCHESIN " + handles[0] + " " + handles[1] + ", taken"),
              std::string::npos)
        << CommandLine();
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

// Random patches around random star-shaped polygons: inside, outside, across, on a side from
// either hand, and one equal to the polygon. The selection holds exactly what GEOS finds covered.
TEST_F(SmallCommands, CoveredPatchesAgreeWithGeos) {
    std::mt19937 random(29);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 4; ++round) {
        const double cx = 1000.0 * round, cy = 0;
        std::vector<AcGePoint2d> star;
        for (int i = 0; i < 10; ++i) {
            const double angle = 2 * M_PI * i / 10, radius = 40 + 30 * unit(random);
            star.emplace_back(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
        }
        const AcDbObjectId polygon = Add(
            [&] {
                auto* poly = new AcDbPolyline;
                for (std::size_t i = 0; i < star.size(); ++i)
                    poly->addVertexAt(static_cast<unsigned>(i), star[i]);
                poly->setClosed(true);
                return poly;
            }(),
            "JZD", "300000");
        std::string data = "polygon";
        for (const AcGePoint2d& p : star)
            data += " " + std::to_string(p.x) + " " + std::to_string(p.y);
        data += "\n";
        const auto patch = [&](const std::vector<AcGePoint2d>& points) {
            const AcDbObjectId id = Patch(points);
            data += "patch " + std::string(id.handle().text());
            for (const AcGePoint2d& p : points)
                data += " " + std::to_string(p.x) + " " + std::to_string(p.y);
            data += "\n";
        };
        for (int k = 0; k < 30; ++k) {
            const double x = cx - 80 + 160 * unit(random), y = cy - 80 + 160 * unit(random),
                         w = 2 + 10 * unit(random);
            patch({{x, y}, {x + w, y}, {x + w, y + w}, {x, y + w}});
        }
        for (std::size_t i = 0; i < star.size(); i += 2) {
            const AcGePoint2d& a = star[i];
            const AcGePoint2d& b = star[(i + 1) % star.size()];
            const AcGePoint2d mid((a.x + b.x) / 2, (a.y + b.y) / 2);
            const AcGePoint2d in(mid.x + (cx - mid.x) * 0.2, mid.y + (cy - mid.y) * 0.2);
            const AcGePoint2d out(mid.x - (cx - mid.x) * 0.2, mid.y - (cy - mid.y) * 0.2);
            patch({a, b, in});   // on the side, inside
            patch({a, out, b});  // on the side, outside
        }
        patch(star);  // the polygon's own outline
        // Same digits as the drawing: the patches are written with the coordinates printed.
        const std::string file = Root().string() + "/patches.txt";
        {
            std::FILE* out = std::fopen(file.c_str(), "wb");
            ASSERT_NE(out, nullptr);
            std::fwrite(data.data(), 1, data.size(), out);
            std::fclose(out);
        }
        std::istringstream covered(RunOutput("/usr/bin/python3 '" DERO_SOURCE_DIR
                                             "/cadastral/checks/tests/covered_patches.py' '" +
                                             file + "'"));
        std::set<std::string> expected;
        for (std::string handle; covered >> handle;)
            expected.insert(handle);
        AcDbObjectIdArray found;
        ASSERT_TRUE(cadastral::SelectPatchesInPolygon(Name(polygon), found));
        std::set<std::string> got;
        for (AcDbObjectId id : found)
            got.insert(id.handle().text());
        EXPECT_GE(expected.size(), 5u);
        EXPECT_EQ(got, expected) << "round " << round;
    }
}

}  // namespace
