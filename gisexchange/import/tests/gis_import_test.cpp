// Hand-made MapGIS files read into a drawing in the host: codes, symbols, layers, attributes,
// annotations, groups, lines and areas, and what becomes of objects that are not recognised.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "browser/info_item.h"
#include "drawingutil/groups.h"
#include "import_fixture.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"

namespace {

using namespace import_testing;
using drawingutil::Opened;

class GisImport : public ImportTest {
protected:
    GisImport() : ImportTest("gis_import") {}
};

std::vector<Seen> OfType(const std::vector<Seen>& all, const std::string& type) {
    std::vector<Seen> found;
    for (const Seen& s : all)
        if (s.type == type)
            found.push_back(s);
    return found;
}

TEST_F(GisImport, PointsTakeTheirCodeSymbolLayerAndAttributes) {
    // The default code counts only on a "*" line of five fields.
    Templates({"*KZD,1,控制点,111111,0", "名称,0,20,0,MC", "日期,4,8,0,RQ", "高度,91,8,0,MIRET"});
    Index({"111111,blk,1.5,控制点,1111,KZD", "333333,continuous,0,点,3,KZD", "444444,nosuch,0,点,4,KZD",
           "END"});
    Row("111111", "KZD");
    Row("333333", "DL");
    MakeSymbolFile("blk");

    GisDocument points = NewFile(GIS_KIND_POINT, {"实体编码", "名称", "日期", "高度"});
    AddPoint(points, 1, 2, "", PointKind(1).PutFloat(14, 90), {"", "甲", "2020-1-5", "2.5"});
    AddPoint(points, 3, 4, "", PointKind(1), {"222222", "", "2020/01/05", ""});
    AddPoint(points, 5, 6, "", PointKind(1), {"333333", "", "2008-3-17", ""});
    AddPoint(points, 7, 8, "", PointKind(1), {"444444", "", "", ""});  // its block is nowhere
    AddPoint(points, 9, 10, "", PointKind(2).PutDouble(2, 0.25), {"555555", "", "", ""});
    AddPoint(points, 11, 12, "", PointKind(2).PutDouble(2, 0), {"555555", "", "", ""});  // radius 0
    AddPoint(points, 13, 14, "", PointKind(7), {"555555", "", "", ""});                  // a kind not drawn
    Write("C:\\data\\points.wt", points);
    EXPECT_EQ(Import("C:\\data\\points.wt", GIS_KIND_POINT, "控制点"), std::make_pair(6, 0))
        << "objects without an entity are still counted by their code";

    const std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].type, "INSERT");
    EXPECT_EQ(drawn[0].code, "111111") << "an empty code takes the category's default";
    EXPECT_EQ(drawn[0].layer, "KZD");
    {
        Opened<AcDbBlockReference> symbol(drawn[0].id, AcDb::kForRead);
        EXPECT_NEAR(symbol->rotation(), M_PI / 2, 1e-9);
        EXPECT_EQ(symbol->position(), AcGePoint3d(1, 2, 0));
    }
    EXPECT_EQ(Item(drawn[0].id, "MC", 0), "甲");
    EXPECT_EQ(Item(drawn[0].id, "RQ", 0), "20200105") << "a date is kept as eight digits";
    EXPECT_EQ(Item(drawn[2].id, "RQ", 0), "20080317");
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 1), "2.500") << "a real second code item";
    EXPECT_EQ(Item(drawn[1].id, "RQ", 0), "2020/01/05") << "not three parts: kept as it is";
    EXPECT_EQ(drawn[1].type, "INSERT") << "no index record: the default symbol";
    EXPECT_EQ(drawn[1].layer, "0") << "no exchange row: layer 0";
    EXPECT_EQ(drawn[2].type, "CIRCLE");
    EXPECT_EQ(drawn[2].layer, "DL");
    EXPECT_EQ(drawn[3].type, "CIRCLE");
    {
        Opened<AcDbCircle> circle(drawn[2].id, AcDb::kForRead);
        EXPECT_DOUBLE_EQ(circle->radius(), 0.5) << "a plain symbol is a circle of half the scale factor";
        Opened<AcDbCircle> given(drawn[3].id, AcDb::kForRead);
        EXPECT_DOUBLE_EQ(given->radius(), 0.25);
        EXPECT_EQ(given->center(), AcGePoint3d(9, 10, 0));
    }

    // An elevation point: the default symbol at its height, on "GCD", whatever its own code.
    GisDocument heights = NewFile(GIS_KIND_POINT, {"实体编码", "标示高程"});
    AddPoint(heights, 20, 30, "", PointKind(1), {"999999", "12.5"});
    Write("C:\\data\\heights.wt", heights);
    SetScale(500);
    EXPECT_EQ(Import("C:\\data\\heights.wt", GIS_KIND_POINT, "控制点"), std::make_pair(1, 0));
    const std::vector<Seen> after = Drawing();
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[4].code, "202101");
    EXPECT_EQ(after[4].layer, "GCD");
    EXPECT_EQ(after[4].color, 3);
    Opened<AcDbBlockReference> mark(after[4].id, AcDb::kForRead);
    EXPECT_EQ(mark->position(), AcGePoint3d(20, 30, 12.5));
    EXPECT_DOUBLE_EQ(mark->scaleFactors().sx, 0.5);
}

// Values under the feature code's application go after the code, in any case of its name and in
// any field order: numbers of each kind and a text other than the code; the code itself, or an
// empty text, adds nothing.
TEST_F(GisImport, CodeDataNeverReplacesTheCode) {
    Templates({"*GD,1,拐点,331000,", "DH,2,10,0,miret", "实体编码,0,10,0,MIRET", "BZ,0,10,0,MIRET",
               "GC,3,8,2,MIRET", "JB,1,2,0,MIRET"});
    GisDocument points = NewFile(GIS_KIND_POINT, {"DH", "实体编码", "BZ", "GC", "JB"});
    AddPoint(points, 1, 1, "", PointKind(1), {"12", "331000", "界", "2.5", "3"});
    AddPoint(points, 2, 2, "", PointKind(1), {"7", "", "", "", ""});
    Write("C:\\data\\gd.wt", points);
    EXPECT_EQ(Import("C:\\data\\gd.wt", GIS_KIND_POINT, "拐点"), std::make_pair(2, 0));

    const std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 2u);
    ads_name first{}, second{};
    ASSERT_EQ(acdbGetAdsName(first, drawn[0].id), Acad::eOk);
    ASSERT_EQ(acdbGetAdsName(second, drawn[1].id), Acad::eOk);
    EXPECT_EQ(drawn[0].code, "331000");
    EXPECT_EQ(CountXDataItems(first, "MIRET"), 5);
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 1, kXDataLong), "12");
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 2), "界");
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 3, kXDataReal), "2.500");
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 4, kXDataShort), "3");
    EXPECT_EQ(drawn[1].code, "331000") << "the category's code";
    EXPECT_EQ(CountXDataItems(second, "MIRET"), 4) << "the code and the three numbers";
}

// The lines the browser holds under the title.
std::vector<std::string> Findings(platform::ui::AnswerQueue& answers, const char* title) {
    std::vector<std::string> lines;
    if (acedCommand(RTSTR, "Kelvo_Show", RTNONE) != RTNORM)
        return lines;
    const auto items = browser_testing::ExportedItems(answers);
    if (!items)
        return lines;
    for (const CInfoItem& item : *items)
        if (item.Title() == title)
            for (std::size_t i = 0; i < item.EntryCount(); ++i)
                lines.push_back(browser_testing::EntryText(item, i));
    return lines;
}

TEST_F(GisImport, UnrecognisedObjectsAreDrawnOnErrorAndReported) {
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false)) << platform::cad::LastModuleError();
    Templates({"*ZD,1,宗地点", "名称,0,20,0,MC"});
    gisexchange::ExchangeRow& parcel = Row("111111", "KZD");
    parcel.mapgisCode = "1111";
    gisexchange::ExchangeRow& road = Row("210000", "DLX");
    road.i1 = 5;
    road.i6 = 2;
    road.i3 = 1.5f;

    // Mapped category, no code field: the MapGIS code picks the exchange row.
    GisDocument points = NewFile(GIS_KIND_POINT, {"名称", "要素代码"});
    AddPoint(points, 0, 0, "", PointKind(2).PutDouble(2, 1), {"甲", "1111"});
    AddPoint(points, 5, 0, "", PointKind(2).PutDouble(2, 1), {"乙", "9999"});
    Write("C:\\data\\zd.wt", points);
    EXPECT_EQ(Import("C:\\data\\zd.wt", GIS_KIND_POINT, "宗地点"), std::make_pair(1, 1));

    // Unmapped category: the graphic parameters pick the row, criterion by criterion.
    GisDocument lines = NewFile(GIS_KIND_LINE, {"名称"});
    AddLine(lines, {{0, 0}, {1, 1}}, LineParams().Put16(0, 5).Put32(4, 2).PutFloat(13, 1.5f), {""});
    AddLine(lines, {{0, 0}, {2, 2}}, LineParams().Put16(0, 6).Put32(4, 2).PutFloat(13, 1.5f), {""});
    AddLine(lines, {{0, 0}, {3, 3}}, LineParams().Put16(0, 5).Put32(4, 2).PutFloat(13, 1.25f), {""});
    Write("C:\\data\\roads.wl", lines);
    EXPECT_EQ(Import("C:\\data\\roads.wl", GIS_KIND_LINE, "道路"), std::make_pair(1, 2));

    std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 5u);
    EXPECT_EQ(drawn[0].code, "111111");
    EXPECT_EQ(drawn[0].layer, "KZD");
    EXPECT_EQ(Item(drawn[0].id, "MC", 0), "甲") << "a recognised object keeps its attributes";
    for (int i : {1, 3, 4}) {
        EXPECT_EQ(drawn[i].layer, "ERROR") << i;
        EXPECT_EQ(drawn[i].code, "") << i;
    }
    EXPECT_EQ(drawn[2].code, "210000");
    EXPECT_EQ(drawn[2].layer, "DLX");

    // Every switch off: the first row matches anything.
    gisexchange::CGisWorkView view;
    for (int& on : view.m_match)
        on = 0;
    EXPECT_EQ(Import("C:\\data\\roads.wl", GIS_KIND_LINE, "道路", {}, &view), std::make_pair(3, 0));
    drawn = Drawing();
    ASSERT_EQ(drawn.size(), 8u);
    for (int i = 5; i < 8; ++i)
        EXPECT_EQ(drawn[i].code, "111111") << i;

    EXPECT_EQ(Findings(*answers, "点实体错误"),
              std::vector<std::string>{"未能识别的地籍点实体，请检查要素代码"});
    EXPECT_EQ(Findings(*answers, "线实体错误"),
              std::vector<std::string>(2, "未能识别的地形线实体，请检查MapGis实体参数"));
}

TEST_F(GisImport, AnnotationsSplitIntoFractionsAndRaisedOrLoweredParts) {
    Row("301001", "ZJ");
    GisDocument notes = NewFile(GIS_KIND_POINT, {"实体编码"});
    const PointParams text = PointKind(0).PutFloat(2, 2).PutFloat(6, 1.6f).PutFloat(14, 0);
    AddPoint(notes, 100, 200, "/12/34/", text, {"301001"});
    AddPoint(notes, 0, 0, "12/34", text, {"301001"});
    AddPoint(notes, 0, 10, "m#+2", text, {"301001"});
    AddPoint(notes, 0, 20, "m#-2", text, {"301001"});
    AddPoint(notes, 0, 30, "甲#=乙", text, {"301001"});
    // Damaged sizes draw nothing and break nothing; the object still counts once.
    AddPoint(notes, 0, 40, "坏", PointKind(0).PutFloat(2, std::nanf("")).PutFloat(14, INFINITY), {"301001"});
    AddPoint(notes, 0, 50, "", text, {"301001"});
    Write("C:\\data\\notes.wt", notes);
    EXPECT_EQ(Import("C:\\data\\notes.wt", GIS_KIND_POINT, "注记"), std::make_pair(12, 0))
        << "every text and separating line counts on its own";

    const std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 10u);
    const std::vector<Seen> lines = OfType(drawn, "LINE");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].layer, "ZJ");
    EXPECT_EQ(lines[0].code, "310003");
    {
        Opened<AcDbLine> line(lines[0].id, AcDb::kForRead);
        EXPECT_NEAR(line->startPoint().x, 98.4, 1e-6);
        EXPECT_NEAR(line->endPoint().x, 103.2, 1e-6);
        EXPECT_DOUBLE_EQ(line->startPoint().y, 200);
    }
    struct Expected {
        const char* text;
        double x, y, height;
        bool aligned;
    };
    const Expected expected[] = {
        {"12", 100.08, 200.02, 2, true}, {"34", 100.08, 200.02, 2, true}, {"12/34", 0, 0, 2, false},
        {"m", 0, 10, 2, false},          {"2", -1, 11.5, 1, false},       {"m", 0, 20, 2, false},
        {"2", -1, 19.5, 1, false},       {"甲", 0, 30, 2, false},         {"乙", 0, 30, 2, false},
    };
    const std::vector<Seen> texts = OfType(drawn, "TEXT");
    ASSERT_EQ(texts.size(), std::size(expected));
    double mWidth = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        Opened<AcDbText> t(texts[i].id, AcDb::kForRead);
        EXPECT_STREQ(t->textStringConst(), expected[i].text);
        EXPECT_EQ(texts[i].code, "301001");
        EXPECT_DOUBLE_EQ(t->height(), expected[i].height);
        EXPECT_NEAR(t->widthFactor(), 0.8, 1e-6);
        const AcGePoint3d at = expected[i].aligned ? t->alignmentPoint() : t->position();
        if (expected[i].x >= 0)
            EXPECT_NEAR(at.x, expected[i].x, 1e-6);
        else
            EXPECT_GT(at.x, 0) << "the tail follows the width of the text before it";
        if (i == 4)
            mWidth = at.x;
        if (i == 6) {
            EXPECT_DOUBLE_EQ(at.x, mWidth);
        }
        EXPECT_NEAR(at.y, expected[i].y, 1e-6);
    }
    Opened<AcDbText> numerator(texts[0].id, AcDb::kForRead);
    Opened<AcDbText> denominator(texts[1].id, AcDb::kForRead);
    EXPECT_EQ(numerator->verticalMode(), AcDb::kTextBottom);
    EXPECT_EQ(denominator->verticalMode(), AcDb::kTextTop);
}

TEST_F(GisImport, GroupCodesJoinObjectsAcrossFiles) {
    GisDocument points = NewFile(GIS_KIND_POINT, {"实体编码", "编组编码"});
    AddPoint(points, 0, 0, "", PointKind(2).PutDouble(2, 1), {"111111", "7"});
    AddPoint(points, 5, 0, "", PointKind(2).PutDouble(2, 1), {"111111", "0"});
    AddPoint(points, 9, 0, "", PointKind(2).PutDouble(2, 1), {"111111", "8"});
    Write("C:\\data\\g.wt", points);
    GisDocument lines = NewFile(GIS_KIND_LINE, {"实体编码", "编组编码"});
    AddLine(lines, {{0, 0}, {1, 1}}, LineParams(), {"222222", "7"});
    Write("C:\\data\\g.wl", lines);
    Import("C:\\data\\g.wt", GIS_KIND_POINT, "x");
    Import("C:\\data\\g.wl", GIS_KIND_LINE, "x");

    const std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 4u);
    std::vector<AcDbObjectId> groups;
    for (const Seen& s : drawn) {
        ads_name name{};
        acdbGetAdsName(name, s.id);
        AcDbObjectId group;
        groups.push_back(FindEntityGroup(name, group) ? group : AcDbObjectId());
    }
    EXPECT_FALSE(groups[0].isNull());
    EXPECT_EQ(groups[3], groups[0]) << "one group code, two files, one group";
    EXPECT_TRUE(groups[1].isNull()) << "group code 0 groups nothing";
    EXPECT_FALSE(groups[2].isNull());
    EXPECT_NE(groups[2], groups[0]);
    Opened<AcDbGroup> shared(groups[0], AcDb::kForRead);
    EXPECT_EQ(shared->numEntities(), 2u);
}

TEST_F(GisImport, LinesAndAreasTakeTheirRingsLinetypesAndCodeData) {
    WriteSupportFile("ACAD.LIN", "*DASH,__ __\r\nA,.5,-.25\r\n*X5,x5\r\nA,.2,-.1\r\n");
    Templates({"*ZD,3,宗地", "ZDDM,200,19,0,MIRET", "FH,220,8,0,MIRET", "*XL,2,线", "ZDDM,200,19,0,MIRET"});
    Index({"144301,DASH,0.5,线,1443,XL", "END"});
    Row("144301", "DLX").reverse = 1;
    Row("201102", "DLX");
    Row("700000", "FW");

    GisDocument lines = NewFile(GIS_KIND_LINE, {"实体编码", "ZDDM"});
    AddLine(lines, {{0, 0}, {1, 0}, {2, 1}}, LineParams().PutFloat(17, 20), {"144301", "A123"});
    AddLine(lines, {{0, 0}, {1, 0}}, LineParams(), {"201102", ""});
    Write("C:\\data\\l.wl", lines);
    SetScale(2000);
    EXPECT_EQ(Import("C:\\data\\l.wl", GIS_KIND_LINE, "线"), std::make_pair(2, 0));
    std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 2u);
    {
        Opened<AcDbPolyline> road(drawn[0].id, AcDb::kForRead);
        ASSERT_EQ(road->numVerts(), 3u);
        AcGePoint2d first;
        road->getPointAt(0, first);
        EXPECT_EQ(first, AcGePoint2d(2, 1)) << "the row reverses the point order";
        EXPECT_FALSE(road->isClosed());
        EXPECT_EQ(road->linetypeName(), "DASH");
    }
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 1), "A") << "a number led by a letter: the letter";
    EXPECT_EQ(Item(drawn[0].id, "MIRET", 2, kXDataLong), "123");
    EXPECT_EQ(drawn[1].color, 2);
    EXPECT_EQ(Item(drawn[1].id, "MIRET", 1), "0") << "an empty number counts as 0";

    // Areas: lines walked forward and backward into a ring, duplicates at the joints dropped.
    GisDocument areas = NewFile(GIS_KIND_AREA, {"实体编码", "ZDDM", "FH"});
    const LONG bottom = AddLine(areas, {{0, 0}, {10, 0}, {10, 10}}, LineParams(), {"", "", ""});
    const LONG left = AddLine(areas, {{0, 0}, {0, 10}, {10, 10}}, LineParams(), {"", "", ""});
    const LONG hole = AddLine(areas, {{2, 2}, {3, 2}, {3, 3}, {2, 2}}, LineParams(), {"", "", ""});
    AddArea(areas, {bottom, -left, 0, hole}, AreaParams(), {"300000", "3201020010010001234", "12"});
    AddArea(areas, {bottom, -left}, AreaParams(), {"300000", "32", ""});
    AddArea(areas, {bottom, -left, 0, hole}, AreaParams(), {"700000", "", ""});
    Write("C:\\data\\a.wp", areas);
    EXPECT_EQ(Import("C:\\data\\a.wp", GIS_KIND_AREA, "宗地"), std::make_pair(3, 0));
    drawn = Drawing();
    ASSERT_EQ(drawn.size(), 5u);
    {
        Opened<AcDb2dPolyline> parcel(drawn[2].id, AcDb::kForRead);
        ASSERT_TRUE(parcel) << drawn[2].type;
        EXPECT_TRUE(parcel->isClosed());
        EXPECT_EQ(parcel->polyType(), AcDb::k2dSimplePoly);
        std::vector<AcGePoint3d> ring;
        std::unique_ptr<AcDbObjectIterator> it(parcel->vertexIterator());
        for (it->start(); !it->done(); it->step()) {
            Opened<AcDb2dVertex> v(it->objectId(), AcDb::kForRead);
            ring.push_back(v->position());
        }
        EXPECT_EQ(ring, (std::vector<AcGePoint3d>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}));
    }
    EXPECT_EQ(Item(drawn[2].id, "QHDM", 0), "320102");
    EXPECT_EQ(Item(drawn[2].id, "MIRET", 1), "0010010001234");
    EXPECT_EQ(Item(drawn[2].id, "MIRET", 2), "") << "a parcel's code items start empty";
    EXPECT_EQ(Item(drawn[2].id, "MIRET", 3), "12");
    EXPECT_EQ(Item(drawn[3].id, "QHDM", 0), "32") << "a shorter number is the whole number";
    EXPECT_EQ(Item(drawn[3].id, "MIRET", 1), "32");
    EXPECT_EQ(drawn[4].type, "LWPOLYLINE");
    EXPECT_EQ(drawn[4].layer, "FW");

    // Reading every ring: islands of other areas become outlines of their own.
    gisexchange::CGisWorkView view;
    view.m_areaText = "房屋";
    EXPECT_EQ(Import("C:\\data\\a.wp", GIS_KIND_AREA, "宗地", {}, &view), std::make_pair(3, 0));
    drawn = Drawing();
    ASSERT_EQ(drawn.size(), 9u) << "three areas and one island";
    EXPECT_EQ(drawn[8].code, "141910");
    EXPECT_EQ(drawn[8].layer, "FW");
    Opened<AcDbPolyline> island(drawn[8].id, AcDb::kForRead);
    EXPECT_EQ(island->numVerts(), 3u) << "the closing point is dropped";
    EXPECT_EQ(island->linetypeName(), "X5");
}

TEST(GisImportText, SplitAtSeparators) {
    using gisexchange::SplitText;
    EXPECT_EQ(SplitText("/12/34/", "/"), (std::vector<std::string>{"", "12", "34", ""}));
    EXPECT_EQ(SplitText("a#=b#=", "#="), (std::vector<std::string>{"a", "b", ""}));
    // "乗" ends in the byte of "/"'s neighbour range; a separator is never found inside a character.
    EXPECT_EQ(SplitText("\x81/x", "/"), (std::vector<std::string>{"\x81", "x"}));
    EXPECT_EQ(SplitText("", "/"), std::vector<std::string>{""});
}

}  // namespace

namespace {

// The shipped tables: each table the table-driven export writes reads back under its own name,
// elevation points with their height.
TEST_F(GisImport, ShippedTablesReadTheirOwnFilesBack) {
    platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
    ASSERT_TRUE(gisexchange::LoadTemplateData());
    ASSERT_EQ(gisexchange::LoadIndexTable(), gisexchange::IndexLoad::kLoaded);
    for (const char* table : {"ZD", "JZD", "JZX", "FW", "ZJ", "TB", "XZQ", "XZDX", "GCD"}) {
        gisexchange::CGisWorkView view;
        std::vector<std::string> names;
        gisexchange::ReadImportCodes(view, table, {}, names);
        EXPECT_FALSE(view.m_attributeNames.empty()) << table;
    }
    gisexchange::CGisWorkView view;
    std::vector<std::string> names;
    gisexchange::ReadImportCodes(view, "GCD", {}, names);
    std::string application;
    int kind = 0;
    EXPECT_TRUE(gisexchange::LookupAttributeSource(view, "标示高程", application, kind));
    std::string fifth, sixth;
    EXPECT_TRUE(gisexchange::LookupIndexRecord("202101", fifth, sixth));
    EXPECT_EQ(sixth, "GCD");
}

}  // namespace
