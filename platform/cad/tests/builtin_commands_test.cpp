#include <cstdlib>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "drawing_dump.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_region.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/cad/slides.h"
#include "platform/cad/system_variables.h"
#include "platform/cad/undo_journal.h"
#include "platform/cad/view_state.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"
#include "test_drawing.h"

namespace {

AcGePoint3d Point3(const char* name)
{
    resbuf rb{};
    EXPECT_EQ(acedGetVar(name, &rb), RTNORM);
    return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
}

double Real(const char* name)
{
    resbuf rb{};
    EXPECT_EQ(acedGetVar(name, &rb), RTNORM);
    return rb.resval.rreal;
}

std::string LayerName(AcDbObjectId id)
{
    auto* record = AcDbSymbolTableRecord::cast(platform::cad::PeekObject(id));
    return record != nullptr ? record->name() : "";
}

AcDbObjectId LastEntity()
{
    ads_name last;
    AcDbObjectId id;
    EXPECT_EQ(acdbEntLast(last), RTNORM);
    acdbGetObjectId(id, last);
    return id;
}

// The filled area of a hatch (-1 when it is none), and how many loops it has.
double HatchArea(AcDbObjectId id, int* loops = nullptr)
{
    AcDbHatch* hatch = nullptr;
    if (acdbOpenObject(hatch, id, AcDb::kForRead) != Acad::eOk)
        return -1;
    double area = 0;
    hatch->getArea(area);
    if (loops != nullptr)
        *loops = hatch->numLoops();
    hatch->close();
    return area;
}

class BuiltinCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ui::SetAnswerDriver(nullptr);
        platform::cad::ClearCommandLine();
        platform::ui::ClearTranscript();
    }
    TestDrawing drawing_;
};

}  // namespace

TEST_F(BuiltinCommands, ZoomMovesTheViewThatSelectionsAndVariablesSee)
{
    AcDbObjectId far = drawing_.Add(new AcDbCircle(AcGePoint3d(500, 300, 0), AcGeVector3d(0, 0, 1), 10));
    drawing_.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
    ads_point a{480, 280, 0}, b{520, 320, 0};
    ads_name ss;
    EXPECT_EQ(acedSSGet("W", a, b, nullptr, ss), RTERROR);  // off screen
    EXPECT_EQ(acedCommand(RTSTR, "ZOOM", RTSTR, "E", RTNONE), RTNORM);
    ASSERT_EQ(acedSSGet("W", a, b, nullptr, ss), RTNORM);
    ads_name first;
    acedSSName(ss, 0, first);
    AcDbObjectId id;
    acdbGetObjectId(id, first);
    EXPECT_EQ(id, far);
    acedSSFree(ss);
    EXPECT_EQ(Point3("EXTMAX").x, 510);
    EXPECT_EQ(Point3("VIEWCTR").y, 155);
    EXPECT_DOUBLE_EQ(Real("VIEWSIZE"), 510 * 768.0 / 1024);  // as wide as the drawing

    ads_point c1{10, 10, 0}, c2{30, 20, 0};
    EXPECT_EQ(acedCommand(RTSTR, "_zoom", RTSTR, "w", RTPOINT, c1, RTPOINT, c2, RTNONE), RTNORM);
    EXPECT_EQ(Point3("VIEWCTR").x, 20);
    EXPECT_DOUBLE_EQ(Real("VIEWSIZE"), 15);
    // A window of zero height is refused and the view stays.
    ads_point flat{40, 10, 0};
    EXPECT_EQ(acedCommand(RTSTR, "ZOOM", RTPOINT, c1, RTPOINT, flat, RTNONE), RTERROR);
    EXPECT_EQ(Point3("VIEWCTR").x, 20);
    // The view's variables are read-only, as on a host.
    resbuf size{};
    size.restype = RTREAL;
    size.resval.rreal = 3;
    EXPECT_EQ(acedSetVar("VIEWSIZE", &size), RTREJ);
    EXPECT_EQ(Point3("SCREENSIZE").x, 1024);
    EXPECT_EQ(acedCommand(RTSTR, "ZOOM", RTSTR, "P", RTNONE), RTERROR);
    EXPECT_EQ(acedCommand(RTSTR, "NOSUCHCOMMAND", RTNONE), RTERROR);
    EXPECT_EQ(acedCommand(RTSTR, "REDRAW", RTSTR, "REGEN", RTNONE), RTNORM);
}

TEST_F(BuiltinCommands, UndoGroupTakesBackWhatCommandsAndCodeDid)
{
    ASSERT_EQ(acdbRegApp("MIRET"), RTNORM);
    AcDbObjectId line = drawing_.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0)));
    Dump before = DumpDrawing(drawing_.db());
    AcDbObjectId layerBefore = drawing_.db()->clayer();

    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "G", RTNONE), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "KZD", RTSTR, "", RTNONE), RTNORM);
    EXPECT_EQ(LayerName(drawing_.db()->clayer()), "KZD");
    AcDbObjectId added = drawing_.Add(new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, 1), 1));
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eOk);
    resbuf* xd = acutBuildList(1001, "MIRET", 1000, "444400", 0);
    l->setXData(xd);
    acutRelRb(xd);
    l->erase();
    l->close();
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "E", RTNONE), RTNORM);
    EXPECT_FALSE(platform::cad::JournalOf().GroupOpen());
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "1", RTNONE), RTNORM);

    EXPECT_EQ(DumpDrawing(drawing_.db()), before);
    EXPECT_EQ(drawing_.db()->clayer(), layerBefore);
    EXPECT_TRUE(added.isErased());
    EXPECT_FALSE(line.isErased());
    // Typed at the command line the same way; a bad count is refused.
    EXPECT_EQ(platform::cad::RunCommandLine("undo be"), RTNORM);
    EXPECT_TRUE(platform::cad::JournalOf().GroupOpen());
    EXPECT_EQ(platform::cad::RunCommandLine("undo end"), RTNORM);
    EXPECT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "-2", RTNONE), RTERROR);
    EXPECT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "50", RTNONE), RTNORM);
    EXPECT_NE(platform::cad::CommandLineText().find("已放弃所有操作"), std::string::npos);
}

TEST_F(BuiltinCommands, EachCommandIsAStepOfItsOwn)
{
    AcDbObjectId first = drawing_.db()->clayer();
    ASSERT_EQ(acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "JZD", RTSTR, "", RTNONE), RTNORM);
    AcDbObjectId jzd = drawing_.db()->clayer();
    ASSERT_EQ(acedCommand(RTSTR, "_layer", RTSTR, "m", RTSTR, "JMD", RTSTR, "", RTNONE), RTNORM);
    AcDbObjectId jmd = drawing_.db()->clayer();
    ASSERT_EQ(LayerName(jmd), "JMD");

    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "1", RTNONE), RTNORM);
    EXPECT_EQ(drawing_.db()->clayer(), jzd);
    EXPECT_TRUE(jmd.isErased());
    EXPECT_FALSE(jzd.isErased());
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "1", RTNONE), RTNORM);
    EXPECT_EQ(drawing_.db()->clayer(), first);
    EXPECT_TRUE(jzd.isErased());
}

TEST_F(BuiltinCommands, LayerLinetypeScaleAndEcho)
{
    // The sequence a precision correction runs after rounding.
    ASSERT_EQ(acedCommand(RTSTR, "CMDECHO", RTSTR, "0", RTNONE), RTNORM);
    resbuf echo{};
    ASSERT_EQ(acedGetVar("CMDECHO", &echo), RTNORM);
    EXPECT_EQ(echo.resval.rint, 0);
    ASSERT_EQ(acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "KZD", RTSTR, "", RTNONE), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, "linetype", RTSTR, "s", RTSTR, "continuous", RTSTR, "", RTNONE), RTNORM);
    EXPECT_EQ(drawing_.db()->celtype(), drawing_.db()->continuousLinetype());
    ASSERT_EQ(acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "0", RTSTR, "", RTNONE), RTNORM);
    EXPECT_EQ(LayerName(drawing_.db()->clayer()), "0");
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(drawing_.db()->getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(layers->has("kzd"));
    layers->close();

    // A linetype the drawing lacks and a layer name the host refuses leave things as they were.
    ASSERT_EQ(acedCommand(RTSTR, "LINETYPE", RTSTR, "S", RTSTR, "DASHDOT", RTSTR, "", RTNONE), RTNORM);
    EXPECT_EQ(drawing_.db()->celtype(), drawing_.db()->continuousLinetype());
    ASSERT_EQ(acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "a<b", RTSTR, "", RTNONE), RTNORM);
    EXPECT_EQ(LayerName(drawing_.db()->clayer()), "0");
    EXPECT_NE(platform::cad::CommandLineText().find("DASHDOT"), std::string::npos);

    ASSERT_EQ(acedCommand(RTSTR, "LTSCALE", RTREAL, 0.5, RTNONE), RTNORM);
    EXPECT_DOUBLE_EQ(Real("LTSCALE"), 0.5);
    EXPECT_EQ(acedCommand(RTSTR, "LTSCALE", RTREAL, -1.0, RTNONE), RTERROR);
    EXPECT_EQ(acedCommand(RTSTR, "LTSCALE", RTSTR, "", RTNONE), RTNORM);
    EXPECT_DOUBLE_EQ(Real("LTSCALE"), 0.5);
    EXPECT_EQ(acedCommand(RTSTR, "CMDECHO", RTSHORT, 7, RTNONE), RTERROR);
    ASSERT_EQ(acedCommand(RTSTR, "CMDECHO", RTSHORT, 1, RTNONE), RTNORM);
}

TEST_F(BuiltinCommands, SetvarTakesTheValueInTheVariablesType)
{
    ASSERT_EQ(acedCommand(RTSTR, "SETVAR", RTSTR, "users4", RTSTR, "D:\\out\\乗.mpj", RTNONE), RTNORM);
    resbuf text{};
    ASSERT_EQ(acedGetVar("USERS4", &text), RTNORM);
    ASSERT_EQ(text.restype, RTSTR);
    EXPECT_STREQ(text.resval.rstring, "D:\\out\\乗.mpj");
    std::free(text.resval.rstring);
    ASSERT_EQ(acedCommand(RTSTR, "SETVAR", RTSTR, "USERR1", RTSTR, "1000", RTNONE), RTNORM);
    EXPECT_DOUBLE_EQ(Real("USERR1"), 1000);
    // Enter keeps a number; a value the variable cannot take and an unknown name change nothing.
    ASSERT_EQ(acedCommand(RTSTR, "SETVAR", RTSTR, "USERR1", RTSTR, "", RTNONE), RTNORM);
    EXPECT_DOUBLE_EQ(Real("USERR1"), 1000);
    EXPECT_EQ(acedCommand(RTSTR, "SETVAR", RTSTR, "USERR1", RTSTR, "many", RTNONE), RTERROR);
    EXPECT_EQ(acedCommand(RTSTR, "SETVAR", RTSTR, "CMDECHO", RTSTR, "7", RTNONE), RTERROR);
    EXPECT_EQ(acedCommand(RTSTR, "SETVAR", RTSTR, "NOSUCHVAR", RTSTR, "1", RTNONE), RTERROR);
    EXPECT_DOUBLE_EQ(Real("USERR1"), 1000);
}

TEST_F(BuiltinCommands, HatchAndSlidesShowATemporaryPicture)
{
    auto root = std::filesystem::temp_directory_path() / ("dero_slides_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "c");
    std::string oldRoot = platform::win::GetRoot();
    platform::win::SetRoot(root.string());

    auto* outline = new AcDbPolyline;
    outline->addVertexAt(0, AcGePoint2d(1, 1));
    outline->addVertexAt(1, AcGePoint2d(4, 1));
    outline->addVertexAt(2, AcGePoint2d(4, 4), 0.5);
    outline->setClosed(true);
    AcDbObjectId boundary = drawing_.Add(outline);
    AcDbObjectId circle = drawing_.Add(new AcDbCircle(AcGePoint3d(8, 6, 0), AcGeVector3d(0, 0, 1), 1));
    ads_name b, c;
    acdbGetAdsName(b, boundary);
    acdbGetAdsName(c, circle);

    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "G", RTNONE), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, "hatch", RTSTR, "s", RTENAME, b, RTENAME, c, RTSTR, "", RTNONE), RTNORM);
    AcDbObjectId hatchId = LastEntity();
    int loops = 0;
    const double area = HatchArea(hatchId, &loops);
    EXPECT_EQ(loops, 2);
    // The triangle, its bulged side and the whole circle.
    EXPECT_NEAR(area, 4.5 + 3.1450 + M_PI, 1e-3);
    ASSERT_EQ(acedCommand(RTSTR, "mslide", RTSTR, "C:\\Kelvo_Reg.SLD", RTNONE), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "E", RTSTR, "UNDO", RTSTR, "1", RTNONE), RTNORM);
    EXPECT_TRUE(hatchId.isErased());
    ASSERT_EQ(acedCommand(RTSTR, "vslide", RTSTR, "C:\\Kelvo_Reg.SLD", RTNONE), RTNORM);
    // The slide still shows the hatch that the drawing no longer has.
    const std::string& shown = platform::cad::ShownSlide();
    EXPECT_EQ(shown.rfind("DERO SLIDE 1\nVIEW ", 0), 0u);
    EXPECT_NE(shown.find(" HATCH "), std::string::npos);
    EXPECT_NE(shown.find(" LWPOLYLINE "), std::string::npos);
    EXPECT_NE(shown.find("\nA 8 6 1 "), std::string::npos);
    std::filesystem::remove(root / "c" / "Kelvo_Reg.SLD");
    EXPECT_EQ(acedCommand(RTSTR, "vslide", RTSTR, "C:\\Kelvo_Reg.SLD", RTNONE), RTERROR);
    {
        std::ofstream junk(root / "c" / "junk.sld");
        junk << "not a slide";
    }
    EXPECT_EQ(acedCommand(RTSTR, "vslide", RTSTR, "C:\\junk", RTNONE), RTERROR);
    // Nothing to fill: a message, no hatch.
    ads_name lineName;
    acdbGetAdsName(lineName, drawing_.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0))));
    EXPECT_EQ(acedCommand(RTSTR, "HATCH", RTSTR, "S", RTENAME, lineName, RTSTR, "", RTNONE), RTERROR);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);

    platform::win::SetRoot(oldRoot);
    std::filesystem::remove_all(root);
}

TEST_F(BuiltinCommands, RegionWithAHoleHatchesAroundItAndUndoesWhole)
{
    auto regionOf = [&](AcDbCurve* curve) {
        AcDbVoidPtrArray curves, regions;
        curves.append(curve);
        EXPECT_EQ(AcDbRegion::createFromCurves(curves, regions), Acad::eOk);
        delete curve;
        return regions.isEmpty() ? AcDbObjectId() : drawing_.Add(static_cast<AcDbRegion*>(regions[0]));
    };
    auto* square = new AcDbPolyline;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}})
        square->addVertexAt(square->numVerts(), AcGePoint2d(x, y));
    square->setClosed(true);
    AcDbObjectId outer = regionOf(square);
    AcDbObjectId inner = regionOf(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 2));
    Dump before = DumpDrawing(drawing_.db());

    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "G", RTNONE), RTNORM);
    AcDbRegion* a = nullptr;
    AcDbRegion* b = nullptr;
    ASSERT_EQ(acdbOpenObject(a, outer, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(b, inner, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(a->booleanOper(AcDb::kBoolSubtract, b), Acad::eOk);
    a->close();
    b->close();
    ads_name name;
    acdbGetAdsName(name, outer);
    ASSERT_EQ(acedCommand(RTSTR, "hatch", RTSTR, "s", RTENAME, name, RTSTR, "", RTNONE), RTNORM);
    EXPECT_NEAR(HatchArea(LastEntity()), 100 - 4 * M_PI, 1e-6);  // the hole stays empty
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "E", RTSTR, "UNDO", RTSTR, "1", RTNONE), RTNORM);

    EXPECT_EQ(DumpDrawing(drawing_.db()), before);
    ASSERT_EQ(acdbOpenObject(a, outer, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(a->loops().size(), 1u);
    a->close();
    ASSERT_EQ(acdbOpenObject(b, inner, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(b->isNull());
    b->close();
}
