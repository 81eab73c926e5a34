#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/undo_journal.h"
#include "drawing_dump.h"
#include "test_drawing.h"

namespace {

template <typename T, typename F>
void Edit(AcDbObjectId id, F&& change)
{
    T* object = nullptr;
    ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForWrite), Acad::eOk);
    change(object);
    object->close();
}

// The area of a curve of the drawing and the far corner of its extents.
std::pair<double, double> AreaAndCorner(AcDbObjectId id)
{
    AcDbCurve* curve = nullptr;
    if (acdbOpenObject(curve, id, AcDb::kForRead) != Acad::eOk)
        return {-1, -1};
    double area = -1;
    AcDbExtents box;
    curve->getArea(area);
    curve->getGeomExtents(box);
    curve->close();
    return {area, box.maxPoint().x + box.maxPoint().y};
}

}  // namespace

TEST(UndoJournal, CurvesAnswerFromTheShapeAnUndoPutsBack)
{
    TestDrawing d;
    auto& journal = platform::cad::JournalOf(d.db());
    // A polyline asked about before it joins the drawing, and an old-style one whose vertices are
    // objects of their own.
    auto* lw = new AcDbPolyline;
    for (unsigned i = 0; i < 3; ++i)
        lw->addVertexAt(i, AcGePoint2d(i == 1 ? 4 : 0, i == 2 ? 3 : 0));
    lw->setClosed(true);
    double area = 0;
    lw->getArea(area);
    AcDbObjectId poly = d.Add(lw);
    AcGePoint3dArray pts;
    for (const AcGePoint3d& q : {AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 4, 0)})
        pts.append(q);
    AcDbObjectId heavy = d.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 0, true));
    const auto polyBefore = AreaAndCorner(poly), heavyBefore = AreaAndCorner(heavy);
    EXPECT_EQ(polyBefore, std::make_pair(6.0, 7.0));
    EXPECT_EQ(heavyBefore, std::make_pair(8.0, 8.0));

    journal.BeginCommand();
    Edit<AcDbPolyline>(poly, [](AcDbPolyline* p) { p->setPointAt(2, AcGePoint2d(0, 6)); });
    AcDbObjectId last;
    {
        AcDb2dPolyline* p = nullptr;
        ASSERT_EQ(acdbOpenObject(p, heavy, AcDb::kForRead), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> vertices(p->vertexIterator());
        for (vertices->start(); !vertices->done(); vertices->step())
            last = vertices->objectId();
        p->close();
    }
    Edit<AcDb2dVertex>(last, [](AcDb2dVertex* v) { v->setPosition(AcGePoint3d(4, 8, 0)); });
    journal.EndCommand();
    EXPECT_EQ(AreaAndCorner(poly), std::make_pair(12.0, 10.0));
    EXPECT_EQ(AreaAndCorner(heavy), std::make_pair(16.0, 12.0));

    EXPECT_EQ(journal.Undo(1), 1);
    EXPECT_EQ(AreaAndCorner(poly), polyBefore);
    EXPECT_EQ(AreaAndCorner(heavy), heavyBefore);
}

TEST(UndoJournal, GroupRestoresTheDrawingExactly)
{
    TestDrawing d;
    ASSERT_EQ(acdbRegApp("MIRET"), RTNORM);
    AcDbObjectId line = d.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0)));
    AcDbObjectId circle = d.Add(new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, 1), 2));
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0));
    lw->addVertexAt(1, AcGePoint2d(3, 0));
    AcDbObjectId poly = d.Add(lw);
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 2, 0));
    AcDbObjectId heavy = d.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts));
    Edit<AcDbEntity>(line, [](AcDbEntity* e) {
        resbuf* xd = acutBuildList(1001, "MIRET", 1000, "300000", 0);
        e->setXData(xd);
        acutRelRb(xd);
    });
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(d.db()->getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    auto* group = new AcDbGroup("parcel");
    AcDbObjectId groupId;
    ASSERT_EQ(groups->setAt("G1", group, groupId), Acad::eOk);
    group->append(line);
    group->append(circle);
    group->close();
    groups->close();

    Dump before = DumpDrawing(d.db());
    auto& journal = platform::cad::JournalOf(d.db());
    journal.BeginGroup();
    EXPECT_TRUE(journal.GroupOpen());
    journal.BeginCommand();  // commands inside the group join it
    Edit<AcDbLine>(line, [](AcDbLine* l) {
        l->setEndPoint(AcGePoint3d(9, 9, 0));
        resbuf* xd = acutBuildList(1001, "MIRET", 1000, "444400", 0);
        l->setXData(xd);
        acutRelRb(xd);
    });
    journal.EndCommand();
    Edit<AcDbCircle>(circle, [](AcDbCircle* c) { c->erase(); });
    Edit<AcDbPolyline>(poly, [](AcDbPolyline* p) { p->addVertexAt(2, AcGePoint2d(3, 3)); });
    {
        // A hand-over to another class under the same id comes back as the original class.
        AcDbPolyline* p = nullptr;
        ASSERT_EQ(acdbOpenObject(p, poly, AcDb::kForWrite), Acad::eOk);
        AcDb2dPolyline* converted = nullptr;
        p->convertTo(converted, true);
        ASSERT_NE(converted, nullptr);
        converted->close();
        delete p;
    }
    Edit<AcDb2dPolyline>(heavy, [](AcDb2dPolyline* p) { p->appendVertex(new AcDb2dVertex(AcGePoint3d(4, 4, 0))); });
    AcDbObjectId added = d.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    Edit<AcDbGroup>(groupId, [&](AcDbGroup* g) {
        g->remove(line);
        g->append(added);
    });
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(d.db()->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* kzd = new AcDbLayerTableRecord;
    kzd->setName("KZD");
    AcDbObjectId kzdId;
    ASSERT_EQ(layers->add(kzdId, kzd), Acad::eOk);
    kzd->close();
    layers->close();
    ASSERT_EQ(d.db()->setClayer(kzdId), Acad::eOk);
    Edit<AcDbEntity>(added, [](AcDbEntity* e) { e->setLayer("KZD"); });
    // A second group begun while one is open ends the first, as a host does.
    EXPECT_TRUE(journal.EndGroup());
    EXPECT_FALSE(journal.EndGroup());
    EXPECT_NE(DumpDrawing(d.db()), before);

    // An object still open blocks the undo, and nothing changes.
    AcDbLine* held = nullptr;
    ASSERT_EQ(acdbOpenObject(held, line, AcDb::kForRead), Acad::eOk);
    std::string error;
    EXPECT_EQ(journal.Undo(1, &error), -1);
    EXPECT_NE(error.find("open"), std::string::npos);
    held->close();

    EXPECT_EQ(journal.Undo(1), 1);
    EXPECT_EQ(DumpDrawing(d.db()), before);
    EXPECT_TRUE(added.isErased());
    EXPECT_TRUE(kzdId.isErased());
    AcDbLayerTable* check = nullptr;
    ASSERT_EQ(d.db()->getLayerTable(check, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(check->has("KZD"));
    check->close();
    AcDbLine* restored = nullptr;
    ASSERT_EQ(acdbOpenObject(restored, line, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(restored->persistentReactorIds().length(), 1);
    EXPECT_DOUBLE_EQ(restored->endPoint().x, 5);
    restored->close();
    AcDbPolyline* back = nullptr;
    ASSERT_EQ(acdbOpenObject(back, poly, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(back->numVerts(), 2u);
    back->close();
    // The layer can be made again after the undo.
    ASSERT_EQ(d.db()->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* again = new AcDbLayerTableRecord;
    again->setName("KZD");
    EXPECT_EQ(layers->add(again), Acad::eOk);
    again->close();
    layers->close();
}

TEST(UndoJournal, CommandsAreStepsAndEmptyOnesDoNotCount)
{
    TestDrawing d;
    auto& journal = platform::cad::JournalOf(d.db());
    journal.Undo(1000);
    AcDbObjectId circle = d.Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 1));
    journal.BeginCommand();
    Edit<AcDbCircle>(circle, [](AcDbCircle* c) { c->setRadius(2); });
    journal.EndCommand();
    journal.BeginCommand();  // a command that changes nothing
    journal.EndCommand();
    journal.BeginCommand();
    Edit<AcDbCircle>(circle, [](AcDbCircle* c) { c->setRadius(3); });
    journal.EndCommand();
    std::size_t steps = journal.StepCount();
    journal.BeginCommand();  // UNDO itself runs as a command
    EXPECT_EQ(journal.Undo(1), 1);
    journal.EndCommand();
    EXPECT_EQ(journal.StepCount(), steps - 1);
    AcDbCircle* c = nullptr;
    ASSERT_EQ(acdbOpenObject(c, circle, AcDb::kForRead), Acad::eOk);
    EXPECT_DOUBLE_EQ(c->radius(), 2);
    c->close();
    EXPECT_EQ(journal.Undo(1), 1);
    ASSERT_EQ(acdbOpenObject(c, circle, AcDb::kForRead), Acad::eOk);
    EXPECT_DOUBLE_EQ(c->radius(), 1);
    c->close();
    // The circle was made outside any command: that is not undone. A made one is.
    EXPECT_EQ(journal.Undo(100), 0);
    EXPECT_FALSE(circle.isErased());
    journal.BeginCommand();
    AcDbObjectId made = d.Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 4));
    journal.EndCommand();
    EXPECT_EQ(journal.Undo(100), 1);
    EXPECT_TRUE(made.isErased());
    journal.BeginCommand();
    Edit<AcDbCircle>(circle, [](AcDbCircle* c) { c->setRadius(5); });
    journal.EndCommand();
    journal.Clear();
    EXPECT_EQ(journal.Undo(1), 0);
}
