#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

// The group codes of a list in order, with strings and numbers, for comparing whole lists.
std::string Dump(const resbuf* rb)
{
    std::string out;
    for (; rb != nullptr; rb = rb->rbnext) {
        char buffer[128];
        switch (platform::cad::GroupKindOf(rb->restype)) {
        case platform::cad::GroupValueKind::String:
            std::snprintf(buffer, sizeof(buffer), "(%d %s)", rb->restype, rb->resval.rstring);
            break;
        case platform::cad::GroupValueKind::Real:
            std::snprintf(buffer, sizeof(buffer), "(%d %g)", rb->restype, rb->resval.rreal);
            break;
        case platform::cad::GroupValueKind::Point:
            std::snprintf(buffer, sizeof(buffer), "(%d %g %g %g)", rb->restype, rb->resval.rpoint[0], rb->resval.rpoint[1],
                          rb->resval.rpoint[2]);
            break;
        case platform::cad::GroupValueKind::Int16:
            std::snprintf(buffer, sizeof(buffer), "(%d %d)", rb->restype, rb->resval.rint);
            break;
        case platform::cad::GroupValueKind::Int32:
            std::snprintf(buffer, sizeof(buffer), "(%d %ld)", rb->restype, static_cast<long>(rb->resval.rlong));
            break;
        default:
            std::snprintf(buffer, sizeof(buffer), "(%d)", rb->restype);
        }
        out += buffer;
    }
    return out;
}

resbuf* Find(resbuf* rb, int code)
{
    for (; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == code)
            return rb;
    return nullptr;
}

std::string Sub(const std::string& dump, const std::string& from)
{
    std::size_t at = dump.find(from);
    return at == std::string::npos ? std::string() : dump.substr(at);
}

TEST(CadEntityList, EntGetGivesTheHostsDefinitionLists)
{
    TestDrawing drawing;
    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(3400000.5, 500000.25), 0.5, 1, 2);
    pline->addVertexAt(1, AcGePoint2d(3400010, 500000), 0);
    pline->setClosed(true);
    pline->setElevation(12);
    AcDbObjectId pid = drawing.Add(pline);
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, pid), Acad::eOk);
    resbuf* list = acdbEntGet(name);
    ASSERT_NE(list, nullptr);
    std::string dump = Dump(list);
    EXPECT_EQ(dump.substr(0, dump.find(')') + 1), "(-1)");
    EXPECT_NE(dump.find("(0 LWPOLYLINE)"), std::string::npos);
    EXPECT_NE(dump.find("(5 " + pid.handle().text() + ")"), std::string::npos);
    EXPECT_NE(dump.find("(8 0)"), std::string::npos);
    EXPECT_EQ(Sub(dump, "(100 AcDbPolyline)"),
              "(100 AcDbPolyline)(90 2)(70 1)(38 12)(39 0)(10 3.4e+06 500000 0)(40 1)(41 2)(42 0.5)"
              "(10 3.40001e+06 500000 0)(40 0)(41 0)(42 0)(210 0 0 1)");
    EXPECT_EQ(Find(list, 10)->resval.rpoint[0], 3400000.5);
    acutRelRb(list);

    auto* text = new AcDbText(AcGePoint3d(1, 2, 0), "房屋", AcDbObjectId(), 2.5, 0.5);
    text->setWidthFactor(0.8);
    AcDbObjectId tid = drawing.Add(text);
    ASSERT_EQ(acdbGetAdsName(name, tid), Acad::eOk);
    list = acdbEntGet(name);
    dump = Dump(list);
    EXPECT_EQ(Sub(dump, "(100 AcDbText)"),
              "(100 AcDbText)(10 1 2 0)(40 2.5)(1 房屋)(50 0.5)(41 0.8)(51 0)(7 Standard)(71 0)(72 0)(210 0 0 1)"
              "(100 AcDbText)(73 0)");
    EXPECT_EQ(dump.find("LWPOLYLINE"), std::string::npos);  // nothing of the read before
    EXPECT_EQ(dump.substr(0, dump.find(')') + 1), "(-1)");
    acutRelRb(list);
    EXPECT_EQ(acdbEntGet(nullptr), nullptr);
    ads_name forged = {drawing.db()->serial(), 1 << 30};
    EXPECT_EQ(acdbEntGet(forged), nullptr);
    ads_name stale = {987654, 1};
    EXPECT_EQ(acdbEntGet(stale), nullptr);
    // A name is refused once its drawing is gone, even straight after it was answered.
    ads_name gone{};
    {
        TestDrawing other;
        ASSERT_EQ(acdbGetAdsName(gone, other.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)))), Acad::eOk);
        resbuf* seen = acdbEntGet(gone);
        EXPECT_NE(seen, nullptr);
        acutRelRb(seen);
    }
    EXPECT_EQ(acdbEntGet(gone), nullptr);
    EXPECT_EQ(acdbEntGet(forged), nullptr);
}

TEST(CadEntityList, EntModRoundTripsAndReplacesXDataPerApplication)
{
    TestDrawing drawing;
    ASSERT_EQ(acdbRegApp("miret"), RTNORM);
    ASSERT_EQ(acdbRegApp("ZDDM"), RTNORM);
    AcDbObjectId id = drawing.Add(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 1));
    ads_name name;
    acdbGetAdsName(name, id);
    {
        AcDbCircle* c = nullptr;
        ASSERT_EQ(acdbOpenObject(c, id, AcDb::kForWrite), Acad::eOk);
        resbuf* keep = acutBuildList(1001, "ZDDM", 1000, "kept", 0);
        c->setXData(keep);
        acutRelRb(keep);
        c->close();
    }
    resbuf* apps = acutBuildList(RTSTR, "*", 0);
    resbuf* list = acdbEntGetX(name, apps);
    // Unchanged list back: nothing changes.
    std::string before = Dump(list);
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    resbuf* again = acdbEntGetX(name, apps);
    EXPECT_EQ(Dump(again), before);
    acutRelRb(again);

    // Change radius and layer (a new layer is created), and add the code under "MIRET".
    Find(list, 40)->resval.rreal = 3;
    resbuf* layer = Find(list, 8);
    std::free(layer->resval.rstring);
    layer->resval.rstring = acutNewString("JZP");
    resbuf* tail = list;
    while (tail->rbnext != nullptr)
        tail = tail->rbnext;
    tail->rbnext = acutBuildList(-3, 1001, "MIRET", 1000, "301000", 0);
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    acutRelRb(list);
    list = acdbEntGetX(name, apps);
    std::string after = Dump(list);
    EXPECT_NE(after.find("(40 3)"), std::string::npos);
    EXPECT_NE(after.find("(8 JZP)"), std::string::npos);
    EXPECT_EQ(Sub(after, "(-3)"), "(-3)(1001 ZDDM)(1000 kept)(1001 miret)(1000 301000)");
    AcDbLayerTable* layers = nullptr;
    drawing.db()->getLayerTable(layers, AcDb::kForRead);
    EXPECT_TRUE(layers->has("JZP"));
    layers->close();

    // Refused as a whole: an unregistered application, a bad radius, an unknown linetype.
    for (const char* what : {"app", "radius", "linetype"}) {
        resbuf* mod = acdbEntGet(name);
        resbuf* end = mod;
        while (end->rbnext != nullptr)
            end = end->rbnext;
        Find(mod, 40)->resval.rreal = 9;
        if (std::strcmp(what, "app") == 0)
            end->rbnext = acutBuildList(-3, 1001, "NOT_REGISTERED", 1000, "x", 0);
        else if (std::strcmp(what, "radius") == 0)
            Find(mod, 40)->resval.rreal = -1;
        else
            end->rbnext = acutBuildList(6, "NO_SUCH_LINETYPE", 0);
        EXPECT_EQ(acdbEntMod(mod), RTERROR) << what;
        acutRelRb(mod);
    }
    acutRelRb(list);
    list = acdbEntGetX(name, apps);
    EXPECT_EQ(Dump(list), after);
    acutRelRb(list);
    acutRelRb(apps);
    EXPECT_TRUE(drawing.db()->openObjectIds().isEmpty());
}

TEST(CadEntityList, WalkVisitsVerticesEndMarkersAndAttributesDeleteToggles)
{
    TestDrawing drawing;
    AcDbObjectId line = drawing.Add(new AcDbLine);
    AcGePoint3dArray points;
    points.append(AcGePoint3d(0, 0, 0));
    points.append(AcGePoint3d(1, 0, 0));
    AcDbObjectId pline = drawing.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, points, 0, false, 0.5, 0.5));

    // A block with a reference carrying one attribute.
    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(drawing.db()->getBlockTable(blocks, AcDb::kForWrite), Acad::eOk);
    auto* block = new AcDbBlockTableRecord;
    block->setName("JZD_MARK");
    AcDbObjectId blockId;
    ASSERT_EQ(blocks->add(blockId, block), Acad::eOk);
    block->appendAcDbEntity(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    block->close();
    blocks->close();
    auto* ref = new AcDbBlockReference(AcGePoint3d(100, 100, 0), blockId);
    ref->appendAttribute(new AcDbAttribute(AcGePoint3d(100, 100, 0), "J1", "num"));
    AcDbObjectId refId = drawing.Add(ref);
    AcDbObjectId last = drawing.Add(new AcDbLine);

    std::string walk;
    ads_name current = {0, 0};
    ads_name next;
    while (acdbEntNext(current, next) == RTNORM) {
        resbuf* list = acdbEntGet(next);
        walk += std::string(Find(list, 0)->resval.rstring) + ";";
        acutRelRb(list);
        ads_name_set(next, current);
    }
    EXPECT_EQ(walk, "LINE;POLYLINE;VERTEX;VERTEX;SEQEND;INSERT;ATTRIB;SEQEND;LINE;");

    ads_name lastName;
    ASSERT_EQ(acdbEntLast(lastName), RTNORM);
    AcDbObjectId lastId;
    acdbGetObjectId(lastId, lastName);
    EXPECT_EQ(lastId, last);

    // POLYLINE lists carry the default widths and flags; INSERT its block and position.
    ads_name name;
    acdbGetAdsName(name, pline);
    resbuf* list = acdbEntGet(name);
    EXPECT_EQ(Sub(Dump(list), "(100 AcDb2dPolyline)"),
              "(100 AcDb2dPolyline)(66 1)(10 0 0 0)(70 0)(40 0.5)(41 0.5)(210 0 0 1)");
    acutRelRb(list);
    acdbGetAdsName(name, refId);
    list = acdbEntGet(name);
    EXPECT_NE(Dump(list).find("(2 JZD_MARK)(10 100 100 0)"), std::string::npos);
    acutRelRb(list);

    // Handles find entities again; entdel erases, and again restores.
    ads_name byHandle;
    ASSERT_EQ(acdbHandEnt(line.handle().text().c_str(), byHandle), RTNORM);
    ASSERT_EQ(acdbEntDel(byHandle), RTNORM);
    EXPECT_TRUE(line.isErased());
    EXPECT_EQ(acdbEntGet(byHandle), nullptr);
    ASSERT_EQ(acdbEntNext(nullptr, next), RTNORM);
    AcDbObjectId first;
    acdbGetObjectId(first, next);
    EXPECT_EQ(first, pline);
    ASSERT_EQ(acdbEntDel(byHandle), RTNORM);
    EXPECT_FALSE(line.isErased());
    EXPECT_EQ(acdbHandEnt("ZZ", byHandle), RTERROR);
    // Vertices are not deleted on their own.
    acdbEntNext(next, next);
    EXPECT_EQ(acdbEntDel(next), RTERROR);
}

}  // namespace
