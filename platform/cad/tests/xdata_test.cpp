#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_line.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
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

// An object keeps room for the applications it holds and no more, however its data came in; a
// name given twice in one chain is one application with the later items.
TEST(CadXData, AnObjectKeepsRoomForItsApplicationsOnly)
{
    TestDrawing drawing;
    for (const char* app : {"A1", "A2", "A3", "A4", "A5"})
        ASSERT_EQ(acdbRegApp(app), RTNORM);
    AcDbObjectId id = drawing.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    auto set = [&](resbuf* chain) {
        EXPECT_EQ(line->setXData(chain), Acad::eOk);
        acutRelRb(chain);
        return line->xdataApps().capacity();
    };
    EXPECT_EQ(set(acutBuildList(1001, "A1", 1070, 1, 1001, "A2", 1001, "A3", 0)), 3u);
    EXPECT_EQ(set(acutBuildList(1001, "A4", 1070, 4, 0)), 4u);
    EXPECT_EQ(set(acutBuildList(1001, "a2", 1070, 2, 1001, "A5", 1001, "A4", 1070, 5, 0)), 5u);
    resbuf* all = line->xData();
    EXPECT_EQ(Items(all), "1001:A1 1070:1 1001:A2 1070:2 1001:A3 1001:A4 1070:5 1001:A5 ");
    acutRelRb(all);
    line->close();

    AcDbObjectId other = drawing.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    ASSERT_EQ(acdbOpenObject(line, other, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(set(acutBuildList(1001, "A1", 1070, 1, 1001, "A2", 1001, "a1", 1070, 3, 0)), 2u);
    all = line->xData();
    EXPECT_EQ(Items(all), "1001:A1 1070:3 1001:A2 ");
    acutRelRb(all);
    line->close();
}

// A short application's items live in the entry itself and a longer one's in a block of their own:
// whichever way each is held, copies stay apart from the original, the entries move whole when the
// object makes room for more, and each kind replaces the other.
TEST(CadXData, ShortAndLongItemListsCopyMoveAndReplaceOneAnother)
{
    TestDrawing drawing;
    for (const char* app : {"A1", "A2", "A3"})
        ASSERT_EQ(acdbRegApp(app), RTNORM);
    AcDbObjectId id = drawing.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    // A string item takes its length and 5 bytes: 24 bytes are held in the entry, 25 are not.
    const std::string held(19, 'h'), apart(20, 'a');
    auto set = [&](resbuf* chain) {
        EXPECT_EQ(line->setXData(chain), Acad::eOk);
        acutRelRb(chain);
    };
    auto items = [](const AcDbObject* object) {
        resbuf* all = object->xData();
        std::string text = Items(all);
        acutRelRb(all);
        return text;
    };
    set(acutBuildList(1001, "A1", 1000, held.c_str(), 1001, "A2", 1000, apart.c_str(), 0));
    const std::string first = "1001:A1 1000:" + held + " 1001:A2 1000:" + apart + " ";
    EXPECT_EQ(items(line), first);
    std::unique_ptr<AcDbObject> copy(static_cast<AcDbObject*>(line->clone()));
    set(acutBuildList(1001, "A3", 1070, 9, 0));
    EXPECT_EQ(items(line), first + "1001:A3 1070:9 ");
    const std::string heldNext(19, 'H'), apartNext(20, 'A');
    set(acutBuildList(1001, "A1", 1000, apartNext.c_str(), 1001, "A2", 1000, heldNext.c_str(), 0));
    EXPECT_EQ(items(line), "1001:A1 1000:" + apartNext + " 1001:A2 1000:" + heldNext + " 1001:A3 1070:9 ");
    set(acutBuildList(1001, "A2", 1000, apart.c_str(), 1000, held.c_str(), 1001, "A1", 0));
    EXPECT_EQ(items(line), "1001:A1 1001:A2 1000:" + apart + " 1000:" + held + " 1001:A3 1070:9 ");
    EXPECT_EQ(items(copy.get()), first);
    line->close();
}

// Every value of a chain: type and value, strings and chunks byte by byte.
std::string Values(const resbuf* rb)
{
    std::string out;
    for (; rb != nullptr; rb = rb->rbnext) {
        out += std::to_string(rb->restype) + ":";
        const ads_u_val& v = rb->resval;
        switch (rb->restype) {
        case 1000: case 1001: case 1002: case 1003: case 1005:
            out += std::to_string(std::string(v.rstring).size()) + "/" + v.rstring;
            break;
        case 1004:
            for (int i = 0; i < v.rbinary.clen; ++i)
                out += std::to_string(static_cast<unsigned char>(v.rbinary.buf[i])) + ".";
            break;
        case 1010: case 1011:
            out += std::to_string(v.rpoint[0]) + "," + std::to_string(v.rpoint[1]) + "," + std::to_string(v.rpoint[2]);
            break;
        case 1040: case 1041:
            out += std::to_string(v.rreal);
            break;
        case 1070:
            out += std::to_string(v.rint);
            break;
        case 1071:
            out += std::to_string(v.rlong);
            break;
        default:
            out += "?";
        }
        out += " ";
    }
    return out;
}

TEST(CadXData, ItemsOfEveryKindComeBackAsGivenAndChainsAreCheckedInFull)
{
    TestDrawing drawing;
    ASSERT_EQ(acdbRegApp("KINDS"), RTNORM);
    ASSERT_EQ(acdbRegApp("SECOND"), RTNORM);
    AcDbObjectId id = drawing.Add(new AcDbLine);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    const std::string longest(255, 'x');
    char bytes[3] = {1, 0, 2};
    ads_binary chunk{3, bytes};
    ads_point p = {1.5, -2.25, 3};
    ads_point q = {0, 0, 1e9};
    resbuf* given = acutBuildList(1001, "KINDS", 1000, "界址线 141101", 1000, "", 1000, longest.c_str(), 1002, "{",
                                  1003, "0", 1005, "2A", 1004, &chunk, 1010, p, 1011, q, 1040, 2.5, 1041, -0.125,
                                  1070, -32768, 1071, -2147483647L, 1002, "}", 1001, "SECOND", 1070, 7, 0);
    ASSERT_EQ(line->setXData(given), Acad::eOk);
    resbuf* all = line->xData();
    EXPECT_EQ(Values(all), Values(given));
    acutRelRb(all);
    line->close();
    // The definition list carries the same items after its -3 marker.
    ads_name name;
    acdbGetAdsName(name, id);
    resbuf* apps = acutBuildList(RTSTR, "*", 0);
    resbuf* list = acdbEntGetX(name, apps);
    const resbuf* marker = list;
    while (marker != nullptr && marker->restype != -3)
        marker = marker->rbnext;
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(Values(marker->rbnext), Values(given));
    for (resbuf* rb : {given, apps, list})
        acutRelRb(rb);

    // The whole chain is checked before a rule: a buffer without its value fails it first...
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    resbuf* hollow = acutBuildList(1001, "NOT REGISTERED", 1000, "a", 1000, "b", 0);
    std::free(hollow->rbnext->rbnext->resval.rstring);
    hollow->rbnext->rbnext->resval.rstring = nullptr;
    EXPECT_EQ(line->setXData(hollow), Acad::eInvalidResBuf);
    // ...and every rule before the size: a string too long for any drawing, then a code that is
    // no item, is refused for the code.
    const std::string huge(70000, 'y');
    resbuf* oversized = acutBuildList(1001, "KINDS", 1003, huge.c_str(), 1001, "SECOND", 1000, "a", 0);
    EXPECT_EQ(line->setXData(oversized), Acad::eXdataSizeExceeded);
    oversized->rbnext->rbnext->rbnext->restype = 1006;
    EXPECT_EQ(line->setXData(oversized), Acad::eInvalidInput);
    resbuf* kept = line->xData("SECOND");
    EXPECT_EQ(Values(kept), "1001:6/SECOND 1070:7 ");
    for (resbuf* rb : {hollow, oversized, kept})
        acutRelRb(rb);
    line->close();
}

TEST(CadXData, ValuesReadFromAFileGoBackOutAsTheyWereWritten)
{
    // A point without its z and a whole number beyond 16 bits, as other programs write them.
    const char drawing[] =
        "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nAPPID\n  0\nAPPID\n  2\nOTHER\n 70\n0\n  0\nENDTAB\n"
        "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLINE\n  5\n2A\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n1.0\n"
        "1001\nOTHER\n1010\n1.5\n1020\n2.5\n1070\n70000\n1011\n1.0\n1021\n2.0\n1031\n3.0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    std::string error;
    AcDbDatabase first(false, true);
    ASSERT_TRUE(platform::cad::ReadDxf(drawing, first, error)) << error;
    AcDbDatabase again(false, true);
    ASSERT_TRUE(platform::cad::ReadDxf(platform::cad::WriteDxf(first), again, error)) << error;
    AcDbObjectId id;
    ASSERT_EQ(again.getAcDbObjectId(id, false, AcDbHandle("2A")), Acad::eOk);
    const auto& apps = platform::cad::PeekObject(id)->xdataApps();
    ASSERT_EQ(apps.size(), 1u);
    const platform::cad::DxfTagList items = apps[0].items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0].flat);
    EXPECT_EQ(items[0].point.y, 2.5);
    EXPECT_EQ(items[1].integer, 70000);
    EXPECT_FALSE(items[2].flat);
    EXPECT_EQ(items[2].point.z, 3.0);
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
    // Buffers made after a chain was freed start empty whatever the freed ones held.
    for (int i = 0; i < 10; ++i) {
        resbuf* fresh = acutNewRb(RTSHORT);
        ASSERT_NE(fresh, nullptr);
        EXPECT_EQ(fresh->restype, RTSHORT);
        EXPECT_EQ(fresh->rbnext, nullptr);
        EXPECT_EQ(fresh->resval.rlname[0], 0);
        EXPECT_EQ(fresh->resval.rlname[1], 0);
        acutRelRb(fresh);
    }
    // Strings of every length about the size whose blocks are kept, over freed ones, keep their bytes.
    for (int round = 0; round < 3; ++round) {
        resbuf* head = nullptr;
        resbuf** link = &head;
        for (std::size_t n = 0; n <= 40; ++n, link = &(*link)->rbnext)
            *link = acutBuildList(RTSTR, std::string(n, static_cast<char>('a' + n % 26)).c_str(), 0);
        std::size_t n = 0;
        for (const resbuf* rb = head; rb != nullptr; rb = rb->rbnext, ++n)
            EXPECT_EQ(rb->resval.rstring, std::string(n, static_cast<char>('a' + n % 26)));
        EXPECT_EQ(n, 41u);
        acutRelRb(head);
    }
    EXPECT_EQ(acutBuildList(12345, 1, 0), nullptr);
    EXPECT_EQ(acutBuildList(85, 0), nullptr);  // between the 16-bit and the 32-bit codes
    EXPECT_EQ(acutBuildList(-6, 0), nullptr);
    EXPECT_EQ(acutBuildList(RTSTR, static_cast<const char*>(nullptr), 0), nullptr);
}

}  // namespace
