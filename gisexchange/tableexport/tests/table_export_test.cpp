// The table-driven export run in the host on a small hand-made drawing, its files read back through
// the MapGIS file format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "drawingutil/coded_entities.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/text_entities.h"
#include "drawingutil/vertex_order.h"
#include "drawingutil/zoom.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/entity_boxes.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/feature_records.h"
#include "gisexchange/feature_writers.h"
#include "gisexchange/member_cutting.h"
#include "gisexchange/boundary_cutting.h"
#include "gisexchange/parcel_measures.h"
#include "gisexchange/save_commands.h"
#include "gisexchange/table_export.h"
#include "gisexchange/xdata_snapshot.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/system_variables.h"
#include "platform/gis/gis_document.h"
#include "platform/text/encoding.h"
#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "testing/host_machine.h"
#include "gisexchange/folder_dialog.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/ui/ui_driver.h"

namespace {

using namespace gisexchange;
using drawingutil::Opened;
using platform::gis::GisDocument;
using platform::gis::GisProject;

AcGePoint2dArray Square(double x0, double y0, double x1, double y1)
{
    AcGePoint2dArray ring;
    for (const AcGePoint2d& p : {AcGePoint2d(x0, y0), AcGePoint2d(x1, y0), AcGePoint2d(x1, y1), AcGePoint2d(x0, y1)})
        ring.append(p);
    return ring;
}

class TableExport : public dero::testing::HostMachineTest {
protected:
    TableExport() : HostMachineTest("table_export") {}

    void SetUp() override
    {
        HostMachineTest::SetUp();
        const std::filesystem::path support = DERO_SOURCE_DIR "/samples/support";
        for (const auto& entry : std::filesystem::directory_iterator(support))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), SupportFolder() / entry.path().filename());
        ASSERT_TRUE(LoadTemplateData());
        ASSERT_EQ(LoadIndexTable(), IndexLoad::kLoaded);
        LoadExchangeTable();
        std::filesystem::create_directories(Root() / "d" / "out");
        db_ = std::make_unique<AcDbDatabase>();
        db_->setUserr1(500);
        acdbHostApplicationServices()->setWorkingDatabase(db_.get());
        ResetExportState();
    }
    void TearDown() override
    {
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        platform::cad::ClearHostExit();
        HostMachineTest::TearDown();
    }

    // Two parcels sharing a side, a house with a courtyard in the first, a note, and two
    // entities that cannot be converted.
    void MakeDrawing()
    {
        CreateCodedPolyline(Square(0, 0, 10, 10), 0, 1, "300000", 0, kLightweightPolyline, "ZD");
        CreateCodedPolyline(Square(10, 0, 20, 10), 0, 1, "300000", 0, kLightweightPolyline, "ZD");
        CreateCodedPolyline(Square(2, 2, 8, 8), 0, 1, "141100", 0, kLightweightPolyline, "FW");
        CreateCodedPolyline(Square(4, 4, 6, 6), 0, 1, "141910", 0, kLightweightPolyline, "FW");
        CreateText(AcGePoint3d(12, 5, 0), "宗地一", "", "", 2.0, "ZJ", 0.5, 1.5, "txt");
        CreateCodedPolyline(Square(30, 0, 31, 1), 0, 0, "", 0, kLightweightPolyline, "0");
        CreateCodedPolyline(Square(40, 0, 41, 1), 0, 0, "12345", 0, kLightweightPolyline, "0");
    }

    static GisDocument Read(const std::string& windowsPath)
    {
        std::string bytes, error;
        GisDocument document;
        EXPECT_GT(platform::gis::ReadFileBytes(windowsPath, &bytes), 0) << platform::text::GbkToUtf8(windowsPath);
        EXPECT_TRUE(platform::gis::ParseGisDocument(bytes, &document, &error)) << error;
        return document;
    }
    static std::string Value(const GisDocument& d, const platform::gis::GisValues& values, const char* field)
    {
        for (std::size_t i = 0; i < d.fields.size(); ++i)
            if (d.fields[i].name == field)
                return std::string(values[i]);
        ADD_FAILURE() << "no field " << platform::text::GbkToUtf8(field);
        return {};
    }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::unique_ptr<AcDbDatabase> db_;
};

TEST_F(TableExport, ParcelsSidesHousesAndNotesGoIntoTheirTablesOnce)
{
    MakeDrawing();
    ASSERT_TRUE(ExportDrawingToGis("D:\\out\\", "TOWN", 0));
    const TableExportState& state = ExportState();
    EXPECT_EQ(state.texts.size(), 1u);
    EXPECT_EQ(state.islands.size(), 1u);
    EXPECT_EQ(state.lines.size(), 0u) << "the uncoded and the five-character outlines are not collected";

    // Seven distinct sides, each once in JZX and once in ZD, with its length.
    const GisDocument sides = Read("D:\\out\\JZX.wl");
    ASSERT_EQ(sides.lines.size(), 7u);
    for (const auto& line : sides.lines) {
        ASSERT_EQ(line.points.size(), 2u);
        EXPECT_DOUBLE_EQ(std::stod(Value(sides, line.values, "JZXCD")), 10);
        EXPECT_EQ(Value(sides, line.values, "实体编码"), "303000");
    }
    const GisDocument parcels = Read("D:\\out\\ZD.wp");
    ASSERT_EQ(parcels.lines.size(), 7u);
    ASSERT_EQ(parcels.areas.size(), 2u);
    std::vector<LONG> seen;
    for (const auto& area : parcels.areas) {
        ASSERT_EQ(area.lines.size(), 5u) << "four sides, no hole";
        EXPECT_EQ(area.lines[0], 4);
        seen.insert(seen.end(), area.lines.begin() + 1, area.lines.end());
        EXPECT_DOUBLE_EQ(std::stod(Value(parcels, area.values, "ZDMJ")), 100);
    }
    // The shared side is one line, walked forwards by one parcel and backwards by the other.
    int shared = 0;
    for (LONG n : seen)
        shared += std::count(seen.begin(), seen.end(), -n);
    EXPECT_EQ(shared, 2);

    // The courtyard is a hole of the house and no area of its own.
    const GisDocument houses = Read("D:\\out\\FW.wp");
    ASSERT_EQ(houses.areas.size(), 1u);
    const auto& list = houses.areas[0].lines;
    EXPECT_EQ(std::count(list.begin() + 1, list.end(), 0), 1) << "one ring separator";
    EXPECT_DOUBLE_EQ(std::stod(Value(houses, houses.areas[0].values, "JDMJ")), 36);

    const GisDocument notes = Read("D:\\out\\ZJ.wt");
    ASSERT_EQ(notes.points.size(), 1u);
    EXPECT_EQ(notes.points[0].text, "宗地一");
    // Its style, height, width and angle (radians) as the text's listing gives them.
    EXPECT_EQ(Value(notes, notes.points[0].values, "ZT"), "txt");
    EXPECT_EQ(Value(notes, notes.points[0].values, "ZG"), "2.0");
    EXPECT_EQ(Value(notes, notes.points[0].values, "ZK"), "3.0");
    EXPECT_EQ(Value(notes, notes.points[0].values, "XZJD"), "0.500000");

    // Files with features are entered with their titles; empty ones are left out.
    std::string bytes, error;
    GisProject project;
    ASSERT_GT(platform::gis::ReadFileBytes("D:\\out\\TOWN.mpj", &bytes), 0);
    ASSERT_TRUE(platform::gis::ParseGisProject(bytes, &project, &error)) << error;
    ASSERT_EQ(project.entries.size(), 4u);
    EXPECT_EQ(project.entries[0].path, "D:\\out\\ZD.wp");
    EXPECT_STREQ(project.entries[0].record.title, "ZD");  // the template names its table
    EXPECT_FALSE(Exists("D:\\out\\TB.wp"));

    // A second export in the same session numbers its features after the first.
    const long first = ExportState().nextFeatureId;
    ResetExportState();
    ASSERT_TRUE(ExportDrawingToGis("D:\\out\\", "TOWN2", 0));
    const GisDocument again = Read("D:\\out\\ZD.wp");
    for (const auto& area : again.areas)
        EXPECT_GT(std::stol(Value(again, area.values, "BSM")), first);
}

// Land-use patches with arcs on a row that turns them, and a closed line with an arc.
TEST_F(TableExport, TurnedAreasKeepTheirArcsAndClosedLinesCloseOnce)
{
    for (ExchangeRow& row : ExchangeRows())
        if (row.code == "310000")
            row.reverse = 1;
    AcGeDoubleArray sideArc, firstArc;
    for (double b : {0.0, 0.3, 0.0, 0.0})
        sideArc.append(b);
    for (double b : {0.4, 0.0, -0.2, 0.0})
        firstArc.append(b);
    const AcDbObjectId patches[] = {
        CreateCodedPolyline(Square(0, 0, 100, 60), 0, 1, "310000", 0, kLightweightPolyline, "TB", &sideArc),
        CreateCodedPolyline(Square(200, 0, 260, 40), 0, 1, "310000", 0, kSimple2dPolyline, "TB", &firstArc)};
    CreateCodedPolyline(Square(300, 0, 310, 10), 0, 1, "302001", 0, kLightweightPolyline, "0", &sideArc);
    auto areaOf = [](AcDbObjectId id) {
        ads_name name{};
        double area = 0;
        EXPECT_EQ(acdbGetAdsName(name, id), Acad::eOk);
        EXPECT_TRUE(GetCurveArea(name, area));
        return area;
    };
    auto ringArea = [](const std::vector<AcGePoint2d>& ring) {
        double twice = 0;
        for (std::size_t k = 0; k < ring.size(); ++k)
            twice += ring[k].x * ring[(k + 1) % ring.size()].y - ring[(k + 1) % ring.size()].x * ring[k].y;
        return std::fabs(twice) / 2;
    };
    const double before[] = {areaOf(patches[0]), areaOf(patches[1])};
    ExportSettings().arcStepDegrees = 6;
    ASSERT_TRUE(ExportDrawingToGis("D:\\out\\", "TOWN", 0));

    // Turned in the drawing, each arc still on its side.
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(areaOf(patches[i]), before[i], 1e-9) << i;
    {
        Opened<AcDbPolyline> turned(patches[0], AcDb::kForRead);
        AcGePoint2d first;
        double bulge = 0;
        turned->getPointAt(0, first);
        turned->getBulgeAt(1, bulge);
        EXPECT_EQ(first, AcGePoint2d(0, 60)) << "the last vertex comes first";
        EXPECT_DOUBLE_EQ(bulge, -0.3);
    }
    // An area is written through its vertices, so each written ring is the turned outline's.
    const GisDocument tb = Read("D:\\out\\TB.wp");
    ASSERT_EQ(tb.areas.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        std::vector<AcGePoint2d> written, outline;
        for (std::size_t k = 1; k < tb.areas[i].lines.size(); ++k) {
            const LONG n = tb.areas[i].lines[k];
            ASSERT_NE(n, 0) << "no hole";
            std::vector<D_DOT> points = tb.lines[static_cast<std::size_t>(std::labs(n) - 1)].points;
            if (n < 0)
                std::reverse(points.begin(), points.end());
            for (const D_DOT& p : points)
                written.emplace_back(p.x, p.y);
        }
        AcGePoint2dArray vertices;
        ads_name name{};
        ASSERT_EQ(acdbGetAdsName(name, patches[i]), Acad::eOk);
        ASSERT_TRUE(GetCurvePoints(name, vertices, 0));
        outline.assign(vertices.begin(), vertices.end());
        EXPECT_NEAR(ringArea(written), ringArea(outline), 1e-6) << i;
    }

    // The closed line ends on its first point once.
    const GisDocument others = Read("D:\\out\\XZDX.wl");
    ASSERT_EQ(others.lines.size(), 1u);
    const std::vector<D_DOT>& line = others.lines[0].points;
    ASSERT_GT(line.size(), 5u);
    const auto same = [](const D_DOT& a, const D_DOT& b) { return a.x == b.x && a.y == b.y; };
    EXPECT_TRUE(same(line.front(), line.back()));
    EXPECT_FALSE(same(line[line.size() - 2], line.back())) << "no zero-length closing segment";
}

TEST_F(TableExport, AnUnwritableFolderWritesNoProject)
{
    MakeDrawing();
    platform::win::ScopedFaults faults;
    platform::win::InjectFault(platform::win::FaultKind::Write, u"D:\\out\\*");
    EXPECT_FALSE(ExportDrawingToGis("D:\\out\\", "TOWN", 0));
    EXPECT_FALSE(Exists("D:\\out\\TOWN.mpj"));
    EXPECT_FALSE(Exists("D:\\out\\ZD.wp"));
}

// MAPGISSAVET with its folder typed into the chooser and its project name answered.
TEST_F(TableExport, SaveCommandWritesTheProjectItNamesAndSaysSoOnlyWhenWritten)
{
    MakeDrawing();
    auto answer = [this](const std::string& name) {
        answers->Push(platform::ui::FolderActionsAnswer([](platform::ui::UiDriver& d) {
            d.SetText(kFolderEditId, "D:\\out");
            d.Click(IDOK);
        }));
        answers->Push(platform::ui::PromptAnswer(name));
        platform::cad::ClearCommandLine();
        MapGisSaveT();
    };
    const std::string success = "MapGis文件被成功存储到:D:\\out\\ 文件夹中";
    answer("TOWN");
    EXPECT_TRUE(Exists("D:\\out\\TOWN.mpj"));
    EXPECT_NE(CommandLine().find(success), std::string::npos) << platform::text::GbkToUtf8(CommandLine());
    EXPECT_EQ(ExportSettings().arcStepDegrees, 6);
    EXPECT_DOUBLE_EQ(ExportSettings().sizeFactor, 0.5);

    answer("");
    EXPECT_EQ(CommandLine().find(success), std::string::npos) << "an empty name exports nothing";
    EXPECT_NE(CommandLine().find("没有导出"), std::string::npos);

    {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(platform::win::FaultKind::Write, u"D:\\out\\*");
        answer("FAILED");
        EXPECT_EQ(CommandLine().find(success), std::string::npos) << "nothing was written";
        EXPECT_FALSE(Exists("D:\\out\\FAILED.mpj"));
    }
    answer("..\\x");
    EXPECT_FALSE(Exists("D:\\x.mpj"));
    EXPECT_NE(CommandLine().find("不能作文件名"), std::string::npos);
    resbuf echo{};
    ASSERT_EQ(acedGetVar("CMDECHO", &echo), RTNORM);
    EXPECT_EQ(echo.resval.rint, 1) << "echo is back on whichever way the command ends";

    // MAPGISSAVE is the export by category.
    answers->Push(platform::ui::FolderAnswer("D:\\out"));
    answers->Push(platform::ui::PromptAnswer("CAT"));
    MapGisSave();
    EXPECT_TRUE(Exists("D:\\out\\工程\\CAT.mpj"));
}

// The test of extents before a selection may only turn away what the selection could not take:
// boxes that merely touch count, the asking entity never does, and one without extents counts
// everywhere.
// A record's fields read the entity's data once: every question must get the answer the per-call
// reads give, for applications in any case, items of other kinds, indexes past either end, an
// application left without items, an entity without data, an erased one and none at all.
TEST_F(TableExport, DataReadOnceAnswersAsEachReadWould)
{
    const AcDbObjectId coded = CreateCodedPolyline(Square(0, 0, 10, 10), 0, 1, "300000", 0, kLightweightPolyline, "ZD");
    for (auto [value, kind] : {std::pair{"7", kXDataLong}, {"2.5", kXDataReal}, {"3", kXDataShort}, {"abc", kXDataString}})
        ASSERT_TRUE(WriteEntityXData(coded, "MIRET", value, kind, -1, false, false, false));
    ads_name name{};
    ASSERT_EQ(acdbGetAdsName(name, coded), Acad::eOk);
    SetXData(name, "QHDM", kXDataString, "320102");
    SetXData(name, "Kept", kXDataReal, "1.25");
    SetXData(name, "Empty", kXDataString, "x");
    ClearXData(name, "EMPTY");
    const AcDbObjectId plain = CreateCodedPolyline(Square(20, 0, 30, 10), 0, 1, "", 0, kLightweightPolyline, "0");
    const AcDbObjectId erased = CreateCodedPolyline(Square(40, 0, 50, 10), 0, 1, "141100", 0, kLightweightPolyline, "FW");
    {
        Opened<AcDbEntity> entity(erased, AcDb::kForWrite);
        ASSERT_TRUE(entity);
        ASSERT_EQ(entity->erase(), Acad::eOk);
    }
    ASSERT_EQ(CountXDataItems(name, "empty"), 0) << "an application left without items";

    for (const AcDbObjectId id : {coded, plain, erased, AcDbObjectId()}) {
        ads_name entity{};
        acdbGetAdsName(entity, id);
        XDataSnapshot data;
        data.Read(id);
        std::string code, expectedCode;
        data.Code(code);
        GetEntityCode(entity, expectedCode);
        EXPECT_EQ(code, expectedCode);
        for (const char* app : {"miret", "MIRET", "Miret", "QHDM", "qhdm", "KEPT", "Empty", "none", ""}) {
            SCOPED_TRACE(std::string(app) + " of entity " + std::to_string(id.handle().value()));
            EXPECT_EQ(data.Count(app), CountXDataItems(entity, app));
            for (int kind = -1; kind <= 5; ++kind) {
                std::string text = "old", expected = "old";
                EXPECT_EQ(data.FirstOfKind(app, kind, text), GetXDataAsText(entity, app, kind, expected)) << kind;
                EXPECT_EQ(text, expected) << kind;
                for (int index = -2; index <= 5; ++index)
                    for (bool force : {false, true}) {
                        text = expected = "old";
                        EXPECT_EQ(data.Item(app, index, kind, force, text),
                                  ReadEntityXData(id, app, expected, kind, index, force, false))
                            << kind << " " << index << " " << force;
                        EXPECT_EQ(text, expected) << kind << " " << index << " " << force;
                    }
            }
        }
    }
}

// Only a box clearly apart from the window (or, for what takes only what lies within, reaching
// clearly out of it) settles that a selection cannot take its entity: one touching the window, or
// lying in it, or without a box, is the host's to judge.
TEST_F(TableExport, EntityBoxesAnswerForEverythingASelectionCouldTake)
{
    const AcDbObjectId left = CreateCodedPolyline(Square(0, 0, 10, 10), 0, 1, "310000", 0, kLightweightPolyline, "0");
    const AcDbObjectId right = CreateCodedPolyline(Square(10, 0, 20, 10), 0, 1, "310000", 0, kLightweightPolyline, "0");
    const AcDbObjectId inner = CreateCodedPolyline(Square(2, 2, 4, 4), 0, 1, "310000", 0, kLightweightPolyline, "0");
    const AcDbObjectId far = CreateCodedPolyline(Square(50, 50, 60, 60), 0, 1, "310000", 0, kLightweightPolyline, "0");
    auto box = [](double x0, double y0, double x1, double y1) {
        PlainBox b;
        b.Include(AcGePoint2d(x0, y0));
        b.Include(AcGePoint2d(x1, y1));
        return b;
    };
    const EntityBoxes boxes({left, right, inner, far});
    EXPECT_TRUE(boxes.MayTakeOther(box(15, 2, 16, 3), far));       // right alone
    EXPECT_TRUE(boxes.MayTakeOther(box(20, 10, 30, 30), far));     // a corner of right
    EXPECT_TRUE(boxes.MayTakeOther(box(10, 0, 20, 10), right));    // left only touches
    EXPECT_TRUE(boxes.MayTakeOther(box(2.5, 2.5, 3, 3), left));    // inside inner
    EXPECT_TRUE(boxes.MayTakeOther(box(20.0000001, 5, 49, 49), left));  // right beside, nearer than the margin
    EXPECT_FALSE(boxes.MayTakeOther(box(50, 50, 60, 60), far));    // itself only
    EXPECT_FALSE(boxes.MayTakeOther(box(20.01, 10.01, 49.99, 49.99), left));  // the gap
    EXPECT_FALSE(boxes.MayTakeOther(box(-50, -50, -40, -40), AcDbObjectId()));
    EXPECT_FALSE(boxes.MayTakeOther(PlainBox(), AcDbObjectId()));
    // What takes only what lies wholly within also leaves out a box reaching clearly out of it.
    EXPECT_FALSE(boxes.MayTakeOtherWithin(box(15, 2, 16, 3), far));     // right reaches out on all sides
    EXPECT_FALSE(boxes.MayTakeOtherWithin(box(1, 0, 15, 10), inner));   // left and right reach out
    EXPECT_TRUE(boxes.MayTakeOtherWithin(box(0, 0, 15, 10), left));     // inner lies within
    EXPECT_TRUE(boxes.MayTakeOtherWithin(box(2.0000001, 2, 4, 4), left));  // inner out by less than the margin
    EXPECT_FALSE(boxes.MayTakeOtherWithin(box(2.01, 2, 4, 4), left));     // inner clearly out

    const EntityBoxes unmeasured({far, AcDbObjectId()});
    EXPECT_TRUE(unmeasured.MayTakeOther(box(0, 0, 1, 1), far));
    EXPECT_TRUE(unmeasured.MayTakeOtherWithin(box(0, 0, 1, 1), far));
    EXPECT_FALSE(EntityBoxes({far}).MayTakeOther(box(0, 0, 1, 1), AcDbObjectId()));

    // A window over very many cells looks at every box.
    std::vector<AcDbObjectId> small;
    for (int i = 0; i < 40; ++i)
        small.push_back(CreateCodedPolyline(Square(100 + i, 0, 100.5 + i, 0.5), 0, 1, "310000", 0, kLightweightPolyline, "0"));
    const EntityBoxes many(small);
    EXPECT_TRUE(many.MayTakeOther(box(-1000, -1000, 1000, 120.2), small[3]));
    EXPECT_FALSE(many.MayTakeOther(box(-1000, 0.6, 1000, 1000), AcDbObjectId()));
    EXPECT_TRUE(many.MayTakeOther(box(139.5, 0.5, 139.5, 0.5), AcDbObjectId()));
}

// A side is marked on the neighbours that share it from the parcels' sides where the host's
// crossing window is sure to take them, and by that window where it may not: both must agree.
TEST_F(TableExport, SharedSidesAreMarkedOnTheNeighboursTheHostWouldSelect)
{
    const AcDbObjectId parcel = CreateCodedPolyline(Square(0, 0, 10, 10), 0, 1, "300000", 0, kLightweightPolyline, "ZD");
    const AcDbObjectId right = CreateCodedPolyline(Square(10, 0, 20, 10), 0, 1, "300000", 0, kSimple2dPolyline, "ZD");
    const AcDbObjectId hidden = CreateCodedPolyline(Square(0, 10, 10, 20), 0, 1, "300000", 0, kSimple2dPolyline, "OFF");
    AcGeDoubleArray arc;  // the side shared with the parcel bows far from the parcel's side
    for (double b : {0.0, 0.0, 1.0, 0.0})
        arc.append(b);
    const AcDbObjectId bowed = CreateCodedPolyline(Square(0, -10, 10, 0), 0, 1, "300000", 0, kSimple2dPolyline, "ZD", &arc);
    const AcDbObjectId near = CreateCodedPolyline(Square(-10.005, 0, 0.005, 10), 0, 1, "300000", 0, kSimple2dPolyline, "ZD");
    {
        Opened<AcDbEntity> entity(hidden, AcDb::kForRead);
        Opened<AcDbLayerTableRecord> layer(entity->layerId(), AcDb::kForWrite);
        layer->setIsOff(true);
    }
    // Every window well inside the view, so that the layer alone keeps the hidden one out.
    AcGePoint2dArray view;
    view.append(AcGePoint2d(-50, -50));
    view.append(AcGePoint2d(50, 50));
    EnsurePointsVisible(view, 0);
    auto marks = [&](bool fromSides) {
        NeighbourSides sides;
        EXPECT_TRUE(ClearBoundaryMarks(&sides));
        sides.Finish();
        EXPECT_EQ(sides.Near(AcGePoint2d(0, 0), 1e6).size(), 5u) << "a reach over too many cells names every parcel";
        ads_name name{};
        EXPECT_EQ(acdbGetAdsName(name, parcel), Acad::eOk);
        AcGePoint2dArray ring;
        EXPECT_TRUE(GetCurvePoints(name, ring, 0));
        for (int i = 0; i < ring.length(); ++i)
            MarkNeighbourSegment(ring[i], ring[(i + 1) % ring.length()], name, i + 1, fromSides ? &sides : nullptr);
        std::vector<long> found;
        for (AcDbObjectId id : {right, hidden, bowed, near}) {
            std::vector<AcDbObjectId> vertices;
            ads_name other{};
            EXPECT_EQ(acdbGetAdsName(other, id), Acad::eOk);
            EXPECT_TRUE(CollectBoundaryVertices(other, vertices));
            long sum = 0;
            for (AcDbObjectId vertex : vertices) {
                ads_name v{};
                long mark = 0;
                if (acdbGetAdsName(v, vertex) == Acad::eOk && GetXDataLong(v, "MBBSM", mark))
                    sum = sum * 100 + mark;
            }
            found.push_back(sum);
        }
        return found;
    };
    const std::vector<long> host = marks(false);
    EXPECT_EQ(marks(true), host);
    ASSERT_EQ(host.size(), 4u);
    EXPECT_NE(host[0], 0) << "the right neighbour";
    EXPECT_EQ(host[1], 0) << "on a layer that is off";
    EXPECT_EQ(host[2], 0) << "its arc stays clear of the window";
    EXPECT_NE(host[3], 0) << "ends within the tolerance";
}

// A town's parcels, old-style and lightweight, on two layers, with straight or bent street sides,
// cut against the members the drawing tells are met: the same lines, owners and references as when the host's
// crossing selection is asked around every parcel. Also with every third parcel turned just before
// it is cut, as the export turns a member whose code asks for it, after its neighbours before it
// were cut against it as it was.
TEST_F(TableExport, MembersCutAsWhenTheHostSelectsAroundEach)
{
    for (auto [straight, turned] : {std::pair{true, false}, {false, false}, {true, true}, {false, true}}) {
        makedrawing::Options options;
        options.parcels = 120;
        options.seed = straight ? 7 : 11;
        options.straightSides = straight;
        options.lightweightParcels = 0.4;
        options.rates.extraVertices = 0.2;
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        makedrawing::DrawTown(makedrawing::PlanTown(options, {"141100"}));
        ads_name all{};
        resbuf polylines{nullptr, 0, {.rstring = const_cast<char*>("POLYLINE,LWPOLYLINE")}};
        const resbuf parcels{&polylines, 8, {.rstring = const_cast<char*>("JZD")}};
        ASSERT_EQ(acedSSGet("X", nullptr, nullptr, &parcels, all), RTNORM);
        std::vector<AcDbObjectId> ids;
        Adesk::Int32 n = 0;
        acedSSLength(all, &n);
        for (Adesk::Int32 i = 0; i < n; ++i) {
            ads_name e{};
            AcDbObjectId id;
            acedSSName(all, i, e);
            acdbGetObjectId(id, e);
            ids.push_back(id);
        }
        acedSSFree(all);
        ASSERT_GE(ids.size(), 120u);
        const SortedIdSet set = BuildSortedIdSet(ids);
        // Members on a second layer, which the selections around each member must not leave out.
        for (std::size_t k = 0; k < set.size(); k += 5) {
            ads_name name{};
            ASSERT_EQ(acdbGetAdsName(name, set[k]), Acad::eOk);
            SetEntityLayer(name, "JZD2");
        }

        auto turn = [&](std::size_t k) {
            ads_name name{};
            if (turned && k % 3 == 0 && acdbGetAdsName(name, set[k]) == Acad::eOk) {
                ASSERT_TRUE(ReversePolylineVertices(name));
            }
        };
        SharedLineSet byDrawing, byHost;
        byDrawing.keepContributors = byHost.keepContributors = true;
        std::vector<std::vector<int>> hostRefs(set.size());
        for (std::size_t k = 0; k < set.size(); ++k) {
            ads_name name{};
            ASSERT_EQ(acdbGetAdsName(name, set[k]), Acad::eOk);
            turn(k);
            BoundaryCurveRecord record = LoadBoundaryCurve(name, false);
            if (record.vertices.length() < 3)
                continue;
            std::vector<AcDbObjectId> near;
            if (SelectBoundaryCurves(name, near))
                for (AcDbObjectId other : near) {
                    int at = 0;
                    ads_name otherName{};
                    if (FindSortedId(set, other, at) && acdbGetAdsName(otherName, other) == Acad::eOk)
                        MarkCurveIntersections(record, otherName);
                }
            SplitCurveAtBreaks(record, byHost, 0);
            hostRefs[k] = record.lineRefs;
        }
        // The turned parcels back as they were drawn, to be turned again on the way.
        for (std::size_t k = 0; k < set.size(); ++k)
            turn(k);
        std::size_t next = 0;
        const std::vector<std::vector<int>> refs =
            CutMembersIntoSharedLines(set, byDrawing, [&](const ads_name entity) {
                AcDbObjectId id;
                while (next < set.size() && (acdbGetObjectId(id, entity) != Acad::eOk || set[next] != id))
                    ++next;
                ASSERT_LT(next, set.size());
                turn(next);
            });
        EXPECT_EQ(refs, hostRefs) << (straight ? "straight" : "bent") << (turned ? ", turned" : "");
        EXPECT_EQ(byDrawing.contributors, byHost.contributors);
        auto points = [](const SharedLineSet& lines) {
            std::vector<std::pair<double, double>> all;
            for (const AcGePoint2dArray& line : lines.lines) {
                for (const AcGePoint2d& p : line)
                    all.emplace_back(p.x, p.y);
                all.emplace_back(HUGE_VAL, HUGE_VAL);
            }
            return all;
        };
        EXPECT_EQ(points(byDrawing), points(byHost));
    }
}

// An area's islands are the closed curves of its code directly inside it: one inside an island is
// left out, whether the boxes of the code's curves are known or not.
TEST_F(TableExport, IslandsInsideIslandsAreNotTheAreasOwn)
{
    auto patch = [](double x0, double y0, double x1, double y1) {
        return CreateCodedPolyline(Square(x0, y0, x1, y1), 0, 1, "310000", 0, kLightweightPolyline, "DLJ");
    };
    const AcDbObjectId area = patch(0, 0, 40, 20), island = patch(2, 2, 18, 18), nested = patch(5, 5, 10, 10),
                       beside = patch(22, 2, 38, 18);
    AcGePoint2dArray view;
    view.append(AcGePoint2d(-100, -100));
    view.append(AcGePoint2d(100, 100));
    EnsurePointsVisible(view, 0);
    const EntityBoxes boxes({area, island, nested, beside});
    ads_name name{};
    ASSERT_EQ(acdbGetAdsName(name, area), Acad::eOk);
    for (const EntityBoxes* known : {&boxes, static_cast<const EntityBoxes*>(nullptr)}) {
        std::vector<AcDbObjectId> islands;
        CollectIslands(name, "310000", islands, known);
        EXPECT_EQ(islands, (std::vector<AcDbObjectId>{island, beside})) << (known != nullptr ? "by boxes" : "");
    }
}

// Houses are selected around for courtyards only where the collected courtyards' boxes say one may
// lie: the measures stay those of selecting around every house.
TEST_F(TableExport, CourtyardsAreTakenOutOfHousesInsideAndAcrossTheParcel)
{
    const AcDbObjectId parcel = CreateCodedPolyline(Square(0, 0, 20, 20), 0, 1, "300000", 0, kLightweightPolyline, "ZD");
    CreateCodedPolyline(Square(2, 2, 12, 12), 0, 1, "141100", 0, kLightweightPolyline, "FW");
    CreateCodedPolyline(Square(4, 4, 6, 6), 0, 1, "145000", 0, kLightweightPolyline, "FW");
    CreateCodedPolyline(Square(14, 14, 18, 18), 0, 1, "141100", 0, kLightweightPolyline, "FW");
    CreateCodedPolyline(Square(18, 5, 24, 9), 0, 1, "141100", 0, kLightweightPolyline, "FW");
    CreateCodedPolyline(Square(18.5, 6, 19.5, 8), 0, 1, "145000", 0, kLightweightPolyline, "FW");
    WriteConversionReport();
    TableExporter exporter;
    auto footprint = [&](bool byBoxes) {
        ParcelCheckContext context;
        if (byBoxes)
            context.mayHoldCourtyards = [&](const AcGePoint2dArray& ring) {
                return CodeMayLieWithin(exporter, "145000", ring);
            };
        ads_name name{};
        AcGePoint2dArray points;
        EXPECT_EQ(acdbGetAdsName(name, parcel), Acad::eOk);
        EXPECT_TRUE(MeasureParcel(context, name, points));
        return context.footprint;
    };
    // 100 - 4 inside, 16 without a courtyard, across: 8 inside less its courtyard's 2.
    EXPECT_NEAR(footprint(false), 118, 1e-9);
    EXPECT_EQ(footprint(true), footprint(false));
}

TEST(TableExportText, NamesAndWidthsKeepWholeCharacters)
{
    EXPECT_EQ(FileTitleUpper("D:\\A\\proj1.mpj", ".mpj"), "PROJ1");
    EXPECT_EQ(FileTitleUpper("D:\\OUT\\CITY.MPJ_OLD.mpj", ".mpj"), "CITY.MPJ_OLD");
    // 乗 ends in the byte of a backslash and must not be taken for a separator.
    EXPECT_EQ(FileTitleUpper("D:\\OUT\\乗.MPJ", ".mpj"), "乗");
    EXPECT_EQ(CutToWidth("宗地一号", 5), "宗地");
    EXPECT_EQ(CutToWidth("abc", 10), "abc");
    std::string date = "20240115";
    InsertInString(date, 6, "-");
    InsertInString(date, 4, "-");
    EXPECT_EQ(date, "2024-01-15");
}

TEST_F(TableExport, UnattendedExportEndsTheHostWithItsReason)
{
    auto setText = [](const char* name, const char* value) {
        resbuf rb{};
        rb.restype = RTSTR;
        std::string text = value;
        rb.resval.rstring = text.data();
        ASSERT_EQ(acedSetVar(name, &rb), RTNORM);
    };
    setText("USERS5", "D:\\in\\town.dwg");
    setText("USERS4", "a.mpj");
    MapGisSaveX();
    EXPECT_TRUE(platform::cad::HostExitRequested());
    EXPECT_EQ(platform::cad::HostExitCode(), 1);
    EXPECT_NE(CommandLine().find("USERS4"), std::string::npos);
    platform::cad::ClearHostExit();

    setText("USERS4", "D:\\out\\TOWN.dwg");
    MapGisSaveX();
    EXPECT_TRUE(platform::cad::HostExitRequested());
    platform::cad::ClearHostExit();

    setText("USERS4", "D:\\out\\TOWN.mpj");
    MapGisSaveX();
    EXPECT_NE(CommandLine().find("\n导入 dwg 文件失败"), std::string::npos);
    EXPECT_FALSE(platform::cad::HostExitRequested()) << "an unreadable drawing leaves the host running";

    // The drawing taken in brings its scale; one without a scale is taken at 1:500.
    auto exportAt = [&](double scale) {
        AcDbDatabase side;
        side.setUserr1(scale);
        ASSERT_EQ(side.saveAs("D:\\in\\side.dwg"), Acad::eOk);
        AcDbDatabase* current = acdbHostApplicationServices()->workingDatabase();
        current->setUserr1(0);
        current->setLtscale(1.0);
        setText("USERS5", "D:\\in\\side.dwg");
        MapGisSaveX();
        EXPECT_TRUE(platform::cad::HostExitRequested());
        platform::cad::ClearHostExit();
    };
    std::filesystem::create_directories(Root() / "d" / "in");
    resbuf value{};
    exportAt(1000);
    ASSERT_EQ(acedGetVar("USERR1", &value), RTNORM);
    EXPECT_EQ(value.resval.rreal, 1000);
    ASSERT_EQ(acedGetVar("LTSCALE", &value), RTNORM);
    EXPECT_EQ(value.resval.rreal, 1.0) << "the drawing's own linetype scale is kept";
    exportAt(0);
    ASSERT_EQ(acedGetVar("USERR1", &value), RTNORM);
    EXPECT_EQ(value.resval.rreal, 500);
    ASSERT_EQ(acedGetVar("LTSCALE", &value), RTNORM);
    EXPECT_EQ(value.resval.rreal, 0.5);
}

}  // namespace
