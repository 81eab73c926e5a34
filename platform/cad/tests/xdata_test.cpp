#include <gtest/gtest.h>

#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_line.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

std::string Items(const resbuf* rb)
{
    std::string out;
    for (; rb != nullptr; rb = rb->rbnext) {
        out += std::to_string(rb->restype) + ":";
        if (rb->restype == 1000 || rb->restype == 1001)
            out += rb->resval.rstring;
        else if (rb->restype == 1070)
            out += std::to_string(rb->resval.rint);
        else if (rb->restype == 1071)
            out += std::to_string(rb->resval.rlong);
        out += " ";
    }
    return out;
}

TEST(CadXData, PerApplicationCaseInsensitiveAndOnlyForRegisteredApplications)
{
    TestDrawing drawing;
    AcDbObjectId id = drawing.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);

    resbuf* unregistered = acutBuildList(1001, "miret", 1000, "300000", 0);
    EXPECT_EQ(line->setXData(unregistered), Acad::eRegappIdNotFound);
    EXPECT_EQ(line->xData("miret"), nullptr);

    ASSERT_EQ(acdbRegApp("miret"), RTNORM);
    EXPECT_EQ(acdbRegApp("MIRET"), RTERROR);  // one application, whatever the case
    EXPECT_EQ(acdbRegApp("bad<name"), RTERROR);
    ASSERT_EQ(acdbRegApp("ZDDM"), RTNORM);
    EXPECT_EQ(line->setXData(unregistered), Acad::eOk);
    acutRelRb(unregistered);
    resbuf* second = acutBuildList(1001, "zddm", 1071, 42L, 1070, -3, 0);
    ASSERT_EQ(line->setXData(second), Acad::eOk);
    acutRelRb(second);

    resbuf* code = line->xData("MIRET");
    EXPECT_EQ(Items(code), "1001:miret 1000:300000 ");  // the registered spelling
    acutRelRb(code);
    resbuf* all = line->xData();
    EXPECT_EQ(Items(all), "1001:miret 1000:300000 1001:ZDDM 1071:42 1070:-3 ");
    acutRelRb(all);

    // A chain replaces the data of the applications it names only; a name alone empties it.
    resbuf* clear = acutBuildList(1001, "MIRET", 0);
    ASSERT_EQ(line->setXData(clear), Acad::eOk);
    acutRelRb(clear);
    resbuf* empty = line->xData("miret");
    EXPECT_EQ(Items(empty), "1001:miret ");
    acutRelRb(empty);
    resbuf* kept = line->xData("zddm");
    EXPECT_EQ(Items(kept), "1001:ZDDM 1071:42 1070:-3 ");
    acutRelRb(kept);
    line->close();
}

TEST(CadXData, StringItemsHoldAtMost255BytesAndBadChainsChangeNothing)
{
    TestDrawing drawing;
    ASSERT_EQ(acdbRegApp("APP"), RTNORM);
    AcDbObjectId id = drawing.Add(new AcDbLine);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    std::string ok(255, 'x');
    std::string tooLong(256, 'x');
    resbuf* fits = acutBuildList(1001, "APP", 1000, ok.c_str(), 0);
    EXPECT_EQ(line->setXData(fits), Acad::eOk);
    resbuf* over = acutBuildList(1001, "APP", 1000, "new", 1000, tooLong.c_str(), 0);
    EXPECT_EQ(line->setXData(over), Acad::eXdataSizeExceeded);
    resbuf* stray = acutBuildList(1000, "no application first", 0);
    EXPECT_EQ(line->setXData(stray), Acad::eInvalidInput);
    resbuf* open = acutBuildList(1001, "APP", 1002, "{", 1000, "a", 0);
    EXPECT_EQ(line->setXData(open), Acad::eInvalidInput);
    resbuf* now = line->xData("APP");
    ASSERT_NE(now, nullptr);
    ASSERT_NE(now->rbnext, nullptr);
    EXPECT_EQ(std::string(now->rbnext->resval.rstring), ok);
    for (resbuf* rb : {fits, over, stray, open, now})
        acutRelRb(rb);
    line->close();
}

TEST(CadXData, VerticesOfA2dPolylineCarryTheirOwnData)
{
    TestDrawing drawing;
    ASSERT_EQ(acdbRegApp("JZXDM"), RTNORM);
    AcGePoint3dArray points;
    points.append(AcGePoint3d(0, 0, 0));
    points.append(AcGePoint3d(10, 0, 0));
    points.append(AcGePoint3d(10, 10, 0));
    AcDbObjectId pid = drawing.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, points));
    AcDb2dPolyline* pline = nullptr;
    ASSERT_EQ(acdbOpenObject(pline, pid, AcDb::kForRead), Acad::eOk);
    AcDbObjectIterator* it = pline->vertexIterator();
    AcDbObjectIdArray vertexIds;
    for (it->start(); !it->done(); it->step())
        vertexIds.append(it->objectId());
    delete it;
    pline->close();
    ASSERT_EQ(vertexIds.length(), 3);
    for (int i = 0; i < 2; ++i) {
        AcDb2dVertex* v = nullptr;
        ASSERT_EQ(acdbOpenObject(v, vertexIds[i], AcDb::kForWrite), Acad::eOk);
        std::string value = "LINE" + std::to_string(i);
        resbuf* data = acutBuildList(1001, "JZXDM", 1000, value.c_str(), 0);
        EXPECT_EQ(v->setXData(data), Acad::eOk);
        acutRelRb(data);
        v->close();
    }
    AcDb2dVertex* v = nullptr;
    ASSERT_EQ(acdbOpenObject(v, vertexIds[1], AcDb::kForRead), Acad::eOk);
    resbuf* data = v->xData("jzxdm");
    EXPECT_EQ(Items(data), "1001:JZXDM 1000:LINE1 ");
    acutRelRb(data);
    v->close();
    ASSERT_EQ(acdbOpenObject(v, vertexIds[2], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(v->xData("JZXDM"), nullptr);
    v->close();
}

TEST(CadResbuf, BuildListTakesEachTypesValueAndRefusesUnknownTypes)
{
    ads_point p = {1, 2, 3};
    ads_name n = {7, 9};
    char bytes[3] = {1, 0, 2};
    ads_binary chunk{3, bytes};
    resbuf* list = acutBuildList(RTSTR, "a", RTSHORT, 5, RTLONG, -7L, RTREAL, 2.5, RT3DPOINT, p, RTENAME, n, 310,
                                 &chunk, RTLB, RTLE, 90, 100000L, 0);
    ASSERT_NE(list, nullptr);
    resbuf* rb = list;
    EXPECT_STREQ(rb->resval.rstring, "a");
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rint, 5);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rlong, -7);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rreal, 2.5);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rpoint[2], 3);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rlname[1], 9);
    rb = rb->rbnext;
    ASSERT_EQ(rb->resval.rbinary.clen, 3);
    EXPECT_EQ(rb->resval.rbinary.buf[2], 2);
    rb = rb->rbnext->rbnext->rbnext;
    EXPECT_EQ(rb->restype, 90);
    EXPECT_EQ(rb->resval.rlong, 100000);
    EXPECT_EQ(rb->rbnext, nullptr);
    acutRelRb(list);
    EXPECT_EQ(acutBuildList(12345, 1, 0), nullptr);
    EXPECT_EQ(acutBuildList(RTSTR, static_cast<const char*>(nullptr), 0), nullptr);
}

}  // namespace
