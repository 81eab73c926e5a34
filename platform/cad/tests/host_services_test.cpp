#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/ads_transform.h"
#include "platform/cad/ads_units.h"
#include "platform/cad/color_palette.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_unknown.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

std::string RToS(double value, int mode, int precision)
{
    char text[64];
    EXPECT_EQ(acdbRToS(value, mode, precision, text), RTNORM);
    return text;
}

TEST(CadHostServices, RealsToTextInTheHostsModes)
{
    EXPECT_EQ(RToS(3400123.4567, 2, 3), "3400123.457");
    EXPECT_EQ(RToS(2.5, 2, 0), "3");
    EXPECT_EQ(RToS(0.125, 2, 2), "0.13");
    EXPECT_EQ(RToS(-0.0001, 2, 2), "0.00");
    EXPECT_EQ(RToS(1.5, 2, -1), "1.5000");
    EXPECT_EQ(RToS(15, 1, 4), "1.5000E+01");
    EXPECT_EQ(RToS(1.75, 5, 4), "1 3/4");
    EXPECT_EQ(RToS(1e300, 2, 2).find('E') != std::string::npos, true);  // never past the buffer
    char text[64];
    EXPECT_EQ(acdbRToS(1, 9, 2, text), RTERROR);
    EXPECT_EQ(acdbRToS(NAN, 2, 2, text), RTERROR);
}

TEST(CadHostServices, PaletteFollowsThePublishedIndexColours)
{
    auto rgb = [](int r, int g, int b) { return static_cast<std::uint32_t>(r | (g << 8) | (b << 16)); };
    EXPECT_EQ(acedGetRGB(0), rgb(255, 255, 255));
    EXPECT_EQ(acedGetRGB(1), rgb(255, 0, 0));
    EXPECT_EQ(acedGetRGB(3), rgb(0, 255, 0));
    EXPECT_EQ(acedGetRGB(7), rgb(255, 255, 255));
    EXPECT_EQ(acedGetRGB(8), rgb(128, 128, 128));
    EXPECT_EQ(acedGetRGB(12), rgb(204, 0, 0));
    EXPECT_EQ(acedGetRGB(21), rgb(255, 159, 127));
    EXPECT_EQ(acedGetRGB(26), rgb(127, 31, 0));
    EXPECT_EQ(acedGetRGB(29), rgb(76, 47, 38));
    EXPECT_EQ(acedGetRGB(60), rgb(191, 255, 0));
    EXPECT_EQ(acedGetRGB(170), rgb(0, 0, 255));
    EXPECT_EQ(acedGetRGB(250), rgb(51, 51, 51));
    EXPECT_EQ(acedGetRGB(256), 0u);
    EXPECT_EQ(acedGetRGB(-1), 0u);
}

TEST(CadHostServices, CoordinateSystemTransforms)
{
    TestDrawing drawing;
    ads_point p = {3400000, 500000, 12};
    ads_point q;
    ads_point up = {0, 0, 1};
    ads_point down = {0, 0, -1};
    ASSERT_EQ(acdbEcs2Ucs(p, q, up, false), RTNORM);
    EXPECT_EQ(q[0], 3400000);
    EXPECT_EQ(q[2], 12);
    // A normal pointing down mirrors x (the arbitrary-axis rule).
    ASSERT_EQ(acdbEcs2Wcs(p, q, down, false), RTNORM);
    EXPECT_EQ(q[0], -3400000);
    EXPECT_EQ(q[1], 500000);
    EXPECT_EQ(q[2], -12);
    ads_point zero = {0, 0, 0};
    EXPECT_EQ(acdbEcs2Ucs(p, q, zero, false), RTERROR);
    ASSERT_EQ(drawing.db()->setUcs(AcGePoint3d(100, 0, 0), AcGeVector3d(0, 1, 0), AcGeVector3d(-1, 0, 0)), Acad::eOk);
    ads_point w = {100, 5, 0};
    ASSERT_EQ(acdbWcs2Ucs(w, q, false), RTNORM);
    EXPECT_NEAR(q[0], 5, 1e-12);
    EXPECT_NEAR(q[1], 0, 1e-12);
    ASSERT_EQ(acdbUcs2Wcs(q, q, false), RTNORM);
    EXPECT_NEAR(q[0], 100, 1e-12);
    EXPECT_NEAR(q[1], 5, 1e-12);
}

TEST(CadHostServices, TextAlignmentAndExtents)
{
    TestDrawing drawing;
    auto* text = new AcDbText(AcGePoint3d(0, 0, 0), "AB房", AcDbObjectId(), 2.0);
    text->setHorizontalMode(AcDb::kTextRight);
    text->setVerticalMode(AcDb::kTextBottom);
    text->setAlignmentPoint(AcGePoint3d(100, 50, 0));
    AcDbObjectId id = drawing.Add(text);
    AcDbText* t = nullptr;
    ASSERT_EQ(acdbOpenObject(t, id, AcDb::kForWrite), Acad::eOk);
    // Width: two single-byte characters at 0.6 h, one double-byte at 1.0 h: 4.4.
    EXPECT_NEAR(t->position().x, 100 - 4.4, 1e-12);
    AcDbExtents ext;
    ASSERT_EQ(t->getGeomExtents(ext), Acad::eOk);
    EXPECT_NEAR(ext.minPoint().x, 95.6, 1e-12);
    EXPECT_NEAR(ext.maxPoint().x, 100, 1e-12);
    EXPECT_NEAR(ext.maxPoint().y, 52, 1e-12);
    t->setRotation(std::numbers::pi / 2);
    t->adjustAlignment();
    t->getGeomExtents(ext);
    EXPECT_NEAR(ext.minPoint().y, 50 - 4.4, 1e-9);
    EXPECT_NEAR(ext.minPoint().x, 98, 1e-9);
    t->close();

    // A block reference spans its block's entities, placed, scaled and turned.
    AcDbBlockTable* blocks = nullptr;
    drawing.db()->getBlockTable(blocks, AcDb::kForWrite);
    auto* block = new AcDbBlockTableRecord;
    block->setName("B");
    AcDbObjectId blockId;
    blocks->add(blockId, block);
    block->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    block->close();
    blocks->close();
    auto* ref = new AcDbBlockReference(AcGePoint3d(10, 10, 0), blockId);
    ref->setScaleFactors(AcGeScale3d(2, 2, 1));
    ref->setRotation(std::numbers::pi / 2);
    ASSERT_EQ(ref->getGeomExtents(ext), Acad::eOk);
    EXPECT_NEAR(ext.minPoint().x, 10, 1e-12);
    EXPECT_NEAR(ext.maxPoint().y, 12, 1e-12);
    delete ref;
}

TEST(CadHostServices, UnknownEntitiesKeepTheirTagsAndXDataHasA16KbLimit)
{
    TestDrawing drawing;
    auto* unknown = new AcDbUnknownEntity("MTEXT");
    AcDbDxfFiler in;
    in.writeString(8, "NOTES");
    in.writeSubclass("AcDbMText");
    in.writePoint(10, AcGePoint3d(1, 2, 0));
    in.writeString(1, "第一行\\P第二行");
    ASSERT_EQ(unknown->dxfInFields(&in), Acad::eOk);
    AcDbObjectId id = drawing.Add(unknown);
    ads_name name;
    acdbGetAdsName(name, id);
    resbuf* list = acdbEntGet(name);
    std::string seen;
    for (resbuf* rb = list; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == 0 || rb->restype == 8 || rb->restype == 1 || rb->restype == 100)
            seen += std::string(rb->resval.rstring) + ";";
    EXPECT_EQ(seen, "MTEXT;AcDbEntity;NOTES;AcDbMText;第一行\\P第二行;");
    acutRelRb(list);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
    AcDbExtents ext;
    EXPECT_EQ(e->getGeomExtents(ext), Acad::eOk);
    // 16 KB of XData per object, counted over all applications.
    ASSERT_EQ(acdbRegApp("A1"), RTNORM);
    ASSERT_EQ(acdbRegApp("A2"), RTNORM);
    std::string chunk(250, 'x');
    resbuf* big = acutBuildList(1001, "A1", 0);
    resbuf* tail = big;
    for (int i = 0; i < 40; ++i) {  // about 10 KB
        tail->rbnext = acutBuildList(1000, chunk.c_str(), 0);
        tail = tail->rbnext;
    }
    EXPECT_EQ(e->setXData(big), Acad::eOk);
    big->resval.rstring[1] = '2';  // the same again under A2 passes 16 KB in all
    EXPECT_EQ(e->setXData(big), Acad::eXdataSizeExceeded);
    EXPECT_EQ(e->xData("A2"), nullptr);
    // Data under an application already there replaces its items rather than adding to them.
    big->resval.rstring[1] = '1';
    EXPECT_EQ(e->setXData(big), Acad::eOk);
    // A chain naming an application twice counts only the items it leaves: the last ones.
    big->resval.rstring[1] = '2';
    tail->rbnext = acutBuildList(1001, "a2", 1000, "x", 0);
    EXPECT_EQ(e->setXData(big), Acad::eOk);
    resbuf* left = e->xData("A2");
    ASSERT_NE(left, nullptr);
    EXPECT_STREQ(left->rbnext->resval.rstring, "x");
    EXPECT_EQ(left->rbnext->rbnext, nullptr);
    acutRelRb(left);
    acutRelRb(tail->rbnext);
    tail->rbnext = nullptr;
    e->close();
    // The size is refused before the open mode.
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    big->resval.rstring[1] = '2';
    EXPECT_EQ(e->setXData(big), Acad::eXdataSizeExceeded);
    resbuf* small = acutBuildList(1001, "A2", 1000, "x", 0);
    EXPECT_EQ(e->setXData(small), Acad::eNotOpenForWrite);
    acutRelRb(small);
    acutRelRb(big);
    e->close();
}

}  // namespace
