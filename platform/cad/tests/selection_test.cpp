#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_view_record.h"
#include "platform/cad/selection.h"
#include "platform/cad/undo_journal.h"
#include "platform/cad/view_state.h"
#include "platform/ui/answer_source.h"
#include "test_drawing.h"

using platform::cad::ViewOf;

namespace {

AcDbObjectId Line(const TestDrawing& d, double x1, double y1, double x2, double y2)
{
    return d.Add(new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0)));
}

AcDbObjectId Circle(const TestDrawing& d, double x, double y, double r)
{
    return d.Add(new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d(0, 0, 1), r));
}

AcDbObjectId Poly(const TestDrawing& d, std::vector<AcGePoint2d> pts, bool closed, const char* layer = nullptr)
{
    auto* pl = new AcDbPolyline;
    for (unsigned i = 0; i < pts.size(); ++i)
        pl->addVertexAt(i, pts[i]);
    pl->setClosed(closed);
    if (layer != nullptr)
        pl->setLayer(layer);
    return d.Add(pl);
}

void AddLayer(const TestDrawing& d, const char* name, bool off = false)
{
    AcDbLayerTable* table = nullptr;
    ASSERT_EQ(d.db()->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbLayerTableRecord;
    rec->setName(name);
    rec->setIsOff(off);
    ASSERT_EQ(table->add(rec), Acad::eOk);
    rec->close();
    table->close();
}

// The ids of a set in its order; the set is freed.
std::vector<AcDbObjectId> Members(ads_name ss)
{
    std::vector<AcDbObjectId> ids;
    Adesk::Int32 n = 0;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name e;
        AcDbObjectId id;
        EXPECT_EQ(acedSSName(ss, i, e), RTNORM);
        acdbGetObjectId(id, e);
        ids.push_back(id);
    }
    acedSSFree(ss);
    return ids;
}

std::vector<AcDbObjectId> Window(const char* mode, double x1, double y1, double x2, double y2,
                                 const resbuf* filter = nullptr)
{
    ads_point a{x1, y1, 0}, b{x2, y2, 0};
    ads_name ss;
    if (acedSSGet(mode, a, b, filter, ss) != RTNORM)
        return {};
    return Members(ss);
}

std::vector<AcDbObjectId> Polygon(const char* mode, std::vector<AcGePoint2d> pts, const resbuf* filter = nullptr)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const auto& p : pts) {
        *tail = acutNewRb(RTPOINT);
        (*tail)->resval.rpoint[0] = p.x;
        (*tail)->resval.rpoint[1] = p.y;
        tail = &(*tail)->rbnext;
    }
    ads_name ss;
    int rc = acedSSGet(mode, head, nullptr, filter, ss);
    acutRelRb(head);
    return rc == RTNORM ? Members(ss) : std::vector<AcDbObjectId>{};
}

using Ids = std::vector<AcDbObjectId>;

// The whole drawing ("X") through the filter, which is freed.
Ids AllThrough(resbuf* filter)
{
    ads_name ss;
    int rc = acedSSGet("X", nullptr, nullptr, filter, ss);
    acutRelRb(filter);
    return rc == RTNORM ? Members(ss) : Ids{};
}

}  // namespace

TEST(Selection, WindowAndCrossingTestRealGeometryAndKeepDatabaseOrder)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-100, -100, 0), AcGePoint3d(100, 100, 0));
    AcDbObjectId inside = Line(d, 1, 1, 2, 2);
    AcDbObjectId straddling = Line(d, 5, 5, 20, 5);
    AcDbObjectId around = Circle(d, 5, 5, 50);  // encloses the window, never meets it
    // Its box meets the window, its lines pass outside.
    AcDbObjectId elbow = Poly(d, {{-5, 12}, {12, 12}, {12, -5}}, false);
    AcDbObjectId small = Circle(d, 8, 8, 1);
    AcDbObjectId onEdge = Circle(d, 10, 3, 1);  // straddles the right edge
    // Sides through the window from corners outside it, and sides that pass just outside.
    AcDbObjectId through = Poly(d, {{-5, 4}, {15, 6}, {20, 30}}, false);
    AcDbObjectId diagonal = Poly(d, {{-1, 11}, {11, -1}, {30, -1}, {30, 11}}, true);
    Poly(d, {{-5, 10.001}, {10.001, 10.001}, {10.001, -5}}, false);
    Poly(d, {{-3, 0}, {0, -3}, {-20, -20}}, true);
    AcDbObjectId touching = Poly(d, {{-5, 10}, {15, 10}, {15, 20}}, false);
    Poly(d, {{-20, -20}, {30, -20}, {30, 30}, {-20, 30}}, true);  // around the window

    EXPECT_EQ(Window("W", 10, 10, 0, 0), (Ids{inside, small}));
    EXPECT_EQ(Window("c", 0, 0, 10, 10), (Ids{inside, straddling, small, onEdge, through, diagonal, touching}));
    (void)around;
    (void)elbow;
    // Corners in any order, and "w" in lower case.
    EXPECT_EQ(Window("w", 0, 10, 10, 0), (Ids{inside, small}));
}

TEST(Selection, ChangedEntitiesAreFoundWhereTheyAreNow)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-10, -10, 0), AcGePoint3d(1010, 1010, 0));
    std::vector<AcDbObjectId> circles;
    for (int i = 0; i < 1000; ++i)
        circles.push_back(Circle(d, i, i, 0.2));
    ASSERT_EQ(Window("C", 499, 499, 501, 501).size(), 3u);
    ASSERT_EQ(acdbRegApp("NOTE"), RTNORM);
    resbuf* note = acutBuildList(1001, "NOTE", 1000, "x", 0);
    // Many changes that keep every box (colour, or XData alone in the last round), and one that
    // moves a circle after its XData changed in the same opening: each is found where it is.
    for (int round = 0; round < 3; ++round) {
        for (AcDbObjectId id : circles) {
            AcDbCircle* circle = nullptr;
            ASSERT_EQ(acdbOpenObject(circle, id, AcDb::kForWrite), Acad::eOk);
            ASSERT_EQ(circle->setXData(note), Acad::eOk);
            if (id == circles[500] && round == 1)
                circle->setCenter(AcGePoint3d(-5, 900, 0));
            else if (round < 2)
                circle->setColorIndex(static_cast<Adesk::UInt16>(round + 1));
            circle->close();
        }
        EXPECT_EQ(Window("C", 499, 499, 501, 501), round == 0 ? (Ids{circles[499], circles[500], circles[501]})
                                                              : (Ids{circles[499], circles[501]}));
        EXPECT_EQ(Window("C", -6, 899, -4, 901), round == 0 ? Ids{} : Ids{circles[500]});
    }
    acutRelRb(note);
}

// Circles and lines moved, erased, brought back and added between crossing selections, in runs
// long enough for the changes to wait in the index's lists and trees of every kind: each selection
// takes exactly the entities that meet its window where they are now.
TEST(Selection, CrossingsFollowEveryKindOfChangeBetweenThem)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-10, -10, 0), AcGePoint3d(1010, 1010, 0));
    // Among them long lines, far larger than the circles, which the index keeps apart.
    struct Kept {
        AcDbObjectId id;
        double x, y;
        bool erased = false;
        double length = 0;  // a line's, from (x, y) to the right; 0 for a circle
    };
    std::vector<Kept> circles;
    std::uint64_t seed = 12345;
    auto next = [&seed](int below) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        return static_cast<int>((seed >> 33) % static_cast<std::uint64_t>(below));
    };
    auto add = [&] {
        double x = next(1000), y = next(1000);
        if (circles.size() % 40 == 0)
            circles.push_back({Line(d, x, y, x + 300, y), x, y, false, 300});
        else
            circles.push_back({Circle(d, x, y, 0.5), x, y});
    };
    for (int i = 0; i < 3000; ++i)
        add();
    for (int step = 0; step < 4000; ++step) {
        Kept& c = circles[static_cast<std::size_t>(next(static_cast<int>(circles.size())))];
        const int kind = next(10);
        if (kind == 0) {
            add();
        } else {
            AcDbEntity* entity = nullptr;
            ASSERT_EQ(acdbOpenObject(entity, c.id, AcDb::kForWrite, true), Acad::eOk);
            if (kind == 1) {
                ASSERT_EQ(entity->erase(!c.erased), Acad::eOk);
                c.erased = !c.erased;
            } else {
                c.x = next(1000);
                c.y = next(1000);
                if (auto* line = AcDbLine::cast(entity)) {
                    line->setStartPoint(AcGePoint3d(c.x, c.y, 0));
                    line->setEndPoint(AcGePoint3d(c.x + c.length, c.y, 0));
                } else {
                    AcDbCircle::cast(entity)->setCenter(AcGePoint3d(c.x, c.y, 0));
                }
            }
            entity->close();
        }
        if (step % 7 != 0)
            continue;
        const double x0 = next(800), y0 = next(800), x1 = x0 + 200, y1 = y0 + 200;
        Ids expected;
        for (const Kept& k : circles)
            if (k.length > 0 ? !k.erased && k.x + k.length >= x0 && k.x <= x1 && k.y >= y0 && k.y <= y1
                             : !k.erased && k.x + 0.5 >= x0 && k.x - 0.5 <= x1 && k.y + 0.5 >= y0 && k.y - 0.5 <= y1)
                expected.push_back(k.id);
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(Window("C", x0, y0, x1, y1), expected) << "step " << step;
    }
}

TEST(Selection, PolygonsAndFencesOnConcaveShapes)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-100, -100, 0), AcGePoint3d(100, 100, 0));
    // A U: two arms from x 0..3 and 7..10, joined below y 3.
    std::vector<AcGePoint2d> u{{0, 0}, {10, 0}, {10, 10}, {7, 10}, {7, 3}, {3, 3}, {3, 10}, {0, 10}};
    AcDbObjectId inNotch = Line(d, 4, 5, 6, 8);        // in the polygon's box, outside the polygon
    AcDbObjectId acrossNotch = Line(d, 1, 6, 9, 6);    // both ends inside, crosses the notch
    AcDbObjectId inArm = Circle(d, 1.5, 6, 1);
    AcDbObjectId inBase = Poly(d, {{1, 1}, {9, 1}, {9, 2}, {1, 2}}, true);
    AcDbObjectId arcOut = Circle(d, 5, 10, 1.5);       // pokes into the notch only

    EXPECT_EQ(Polygon("WP", u), (Ids{inArm, inBase}));
    EXPECT_EQ(Polygon("cp", u), (Ids{acrossNotch, inArm, inBase}));
    // A fence through the line, the notch circle and the arm circle; not the base.
    EXPECT_EQ(Polygon("F", {{1.5, 9}, {1.5, 5.5}, {5, 8.9}}), (Ids{acrossNotch, inArm, arcOut}));
    (void)inNotch;
    // Too few points, or points that are not points, are refused.
    ads_name ss;
    ads_point p0{0, 0, 0}, p1{1, 1, 0}, p2{2, 0, 0};
    resbuf* two = acutBuildList(RTPOINT, p0, RTPOINT, p1, 0);
    EXPECT_EQ(acedSSGet("WP", two, nullptr, nullptr, ss), RTERROR);
    EXPECT_EQ(acedSSGet("F", two, nullptr, nullptr, ss), RTNORM);
    acedSSFree(ss);
    acutRelRb(two);
    resbuf* text = acutBuildList(RTSTR, "1,1", RTPOINT, p1, RTPOINT, p2, 0);
    EXPECT_EQ(acedSSGet("CP", text, nullptr, nullptr, ss), RTERROR);
    acutRelRb(text);
}

// Shapes within the tolerance of an edge meet it, also where their boxes alone would say they
// lie clear inside; a flat arc's tolerance follows its far centre.
TEST(Selection, PolygonsAndFencesMeetShapesWithinTheTolerance)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-100, -100, 0), AcGePoint3d(100, 100, 0));
    std::vector<AcGePoint2d> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    AcDbObjectId clear = Line(d, 5, 5, 5, 9.9);
    AcDbObjectId near = Line(d, 5, 5, 5, 10 - 5e-11);
    AcDbObjectId nearOutside = Line(d, 5, 10 + 5e-11, 5, 12);
    AcDbObjectId outside = Line(d, 5, 10.1, 5, 12);
    auto* flatArc = new AcDbPolyline;
    flatArc->addVertexAt(0, AcGePoint2d(1, 9.999), 1e-9);
    flatArc->addVertexAt(1, AcGePoint2d(9, 9.999));
    AcDbObjectId arc = d.Add(flatArc);
    std::vector<AcGePoint2d> diamond{{5, -1}, {11, 5}, {5, 11}, {-1, 5}};
    EXPECT_EQ(Polygon("WP", square), (Ids{clear}));
    EXPECT_EQ(Polygon("CP", square), (Ids{clear, near, arc}));
    EXPECT_EQ(Polygon("F", {{0, 10.5}, {10, 10.5}}), (Ids{nearOutside, outside}));
    EXPECT_EQ(Polygon("WP", diamond), (Ids{clear, near}));
    EXPECT_EQ(Polygon("CP", diamond), (Ids{clear, near, nearOutside, outside, arc}));
}

TEST(Selection, FiltersCombineTypeLayerAndXData)
{
    TestDrawing d;
    AddLayer(d, "JZD");
    AddLayer(d, "房屋");
    ASSERT_EQ(acdbRegApp("MIRET"), RTNORM);
    AcDbObjectId parcel = Poly(d, {{0, 0}, {4, 0}, {4, 4}}, true, "JZD");
    AcDbObjectId house = Poly(d, {{1, 1}, {2, 1}, {2, 2}}, true, "房屋");
    AcDbObjectId circle = Circle(d, 1, 1, 0.5);
    AcDbObjectId coded = Line(d, 0, 0, 1, 1);
    {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, coded, AcDb::kForWrite), Acad::eOk);
        resbuf* xd = acutBuildList(1001, "MIRET", 1000, "300000", 0);
        ASSERT_EQ(e->setXData(xd), Acad::eOk);
        acutRelRb(xd);
        e->close();
    }
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "*polyline", 0)), (Ids{parcel, house}));
    EXPECT_EQ(AllThrough(acutBuildList(8, "jz?", 0)), (Ids{parcel}));
    EXPECT_EQ(AllThrough(acutBuildList(8, "房屋", 0)), (Ids{house}));
    EXPECT_EQ(AllThrough(acutBuildList(-3, 1001, "miret", 0)), (Ids{coded}));
    // "<or" (polyline on jzd) (circle) "or>", as the product's filter texts build them.
    EXPECT_EQ(AllThrough(acutBuildList(-4, "<OR", -4, "<and", RTDXF0, "LWPOLYLINE", 8, "jzd", -4, "and>",
                                       RTDXF0, "circle", -4, "or>", 0)),
              (Ids{parcel, circle}));
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "~*polyline", 8, "0", 0)), (Ids{circle, coded}));
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "line,circle", -3, 1001, "MIRET", 0)), (Ids{coded}));
    // Nothing matching, unbalanced groups and unknown operators: RTERROR and no set.
    std::size_t live = platform::cad::LiveSelectionSetCount();
    ads_name ss;
    resbuf* none = acutBuildList(RTDXF0, "TEXT", 0);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, none, ss), RTERROR);
    acutRelRb(none);
    resbuf* open = acutBuildList(-4, "<or", RTDXF0, "LINE", 0);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, open, ss), RTERROR);
    acutRelRb(open);
    resbuf* crossed = acutBuildList(-4, "<or", RTDXF0, "LINE", -4, "and>", 0);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, crossed, ss), RTERROR);
    acutRelRb(crossed);
    resbuf* xor_ = acutBuildList(-4, "<xor", RTDXF0, "LINE", -4, "xor>", 0);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, xor_, ss), RTERROR);
    acutRelRb(xor_);
    EXPECT_EQ(acedSSGet("Q", nullptr, nullptr, nullptr, ss), RTERROR);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), live);
}

// The whole drawing in creation order: model and paper space interleaved, without erased
// entities, block contents or vertices; a filter's answer follows each entity's own type and layer,
// also when many entities share them and when a layer changes between two selections.
TEST(Selection, WholeDrawingFollowsEachEntitysTypeAndLayer)
{
    TestDrawing d;
    AddLayer(d, "JZD");
    AddLayer(d, "房屋");
    auto addTo = [&](AcDbObjectId owner, AcDbEntity* entity) {
        AcDbBlockTableRecord* block = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(block, owner, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(block->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        block->close();
        return id;
    };
    auto line = [](const char* layer) {
        auto* l = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        l->setLayer(layer);
        return l;
    };
    AcDbObjectId blockId;
    {
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(d.db()->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* block = new AcDbBlockTableRecord;
        block->setName("界址");
        ASSERT_EQ(table->add(blockId, block), Acad::eOk);
        block->close();
        table->close();
    }
    AcDbObjectId first = d.Add(line("JZD"));
    AcDbObjectId paper = addTo(d.db()->paperSpaceId(), line("jzd"));
    addTo(blockId, line("JZD"));
    AcDbObjectId house = Poly(d, {{0, 0}, {1, 0}, {1, 1}}, true, "房屋");
    AcDbObjectId erased = d.Add(line("JZD"));
    AcDbObjectId moved = d.Add(line("JZD"));
    AcDbObjectId parcel = Poly(d, {{0, 0}, {2, 0}, {2, 2}}, true, "JZD");
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, erased, AcDb::kForWrite), Acad::eOk);
    e->erase();
    e->close();
    EXPECT_EQ(AllThrough(acutBuildList(8, "jzd", 0)), (Ids{first, paper, moved, parcel}));
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "jzd", 0)), Ids{});  // the same text as a type
    EXPECT_EQ(AllThrough(acutBuildList(-4, "<or", -4, "<and", RTDXF0, "line", 8, "J?D", -4, "and>", -4,
                                       "<and", RTDXF0, "*POLYLINE", 8, "房*", -4, "and>", -4, "or>", 0)),
              (Ids{first, paper, house, moved}));
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "~line", 8, "~房屋", 0)), (Ids{parcel}));
    ASSERT_EQ(acdbOpenObject(e, moved, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(e->setLayer("房屋"), Acad::eOk);
    e->close();
    EXPECT_EQ(AllThrough(acutBuildList(8, "房屋", 0)), (Ids{house, moved}));
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "LINE", 8, "JZD,房屋", 0)), (Ids{first, paper, moved}));
    // Still open for write: where it lies now.
    ASSERT_EQ(acdbOpenObject(e, first, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(e->setLayer("房屋"), Acad::eOk);
    EXPECT_EQ(AllThrough(acutBuildList(8, "房屋", 0)), (Ids{first, house, moved}));
    ASSERT_EQ(e->setLayer("JZD"), Acad::eOk);
    EXPECT_EQ(AllThrough(acutBuildList(8, "JZD", 0)), (Ids{first, paper, parcel}));
    e->close();
    EXPECT_EQ(AllThrough(acutBuildList(8, "房屋", 0)), (Ids{house, moved}));
}

// A filter of types (with or without layers) takes the same entities as the walk of the whole
// drawing would, however the drawing changed since the last selection: entities added, erased,
// brought back by UNDO or handed over to an entity of another type; never block contents or
// vertices.
TEST(Selection, WholeDrawingByTypeFollowsEveryChange)
{
    TestDrawing d;
    AddLayer(d, "JZD");
    auto& journal = platform::cad::JournalOf(d.db());
    AcDbObjectId blockId;
    {
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(d.db()->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* block = new AcDbBlockTableRecord;
        block->setName("界址");
        ASSERT_EQ(table->add(blockId, block), Acad::eOk);
        block->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
        block->close();
        table->close();
    }
    AcDbObjectId line = Line(d, 0, 0, 1, 1);
    AcDbObjectId circle = Circle(d, 1, 1, 0.5);
    AcDbObjectId parcel = Poly(d, {{0, 0}, {4, 0}, {4, 4}}, true, "JZD");
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 2, 0));
    AcDbObjectId heavy = d.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts));
    auto byType = [](const char* types) { return AllThrough(acutBuildList(RTDXF0, types, 0)); };
    EXPECT_EQ(byType("LINE"), (Ids{line}));
    EXPECT_EQ(byType("*polyline"), (Ids{parcel, heavy}));
    EXPECT_EQ(byType("~line"), (Ids{circle, parcel, heavy}));
    EXPECT_EQ(byType("VERTEX,?ERTEX"), Ids{});
    EXPECT_EQ(AllThrough(acutBuildList(-4, "<or", RTDXF0, "circle", 8, "jzd", -4, "or>", 0)), (Ids{circle, parcel}));

    journal.BeginCommand();
    AcDbObjectId later = Line(d, 2, 2, 3, 3);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, circle, AcDb::kForWrite), Acad::eOk);
    e->erase();
    e->close();
    journal.EndCommand();
    EXPECT_EQ(byType("line,circle"), (Ids{line, later}));
    ASSERT_EQ(journal.Undo(1), 1);
    EXPECT_EQ(byType("line,circle"), (Ids{line, circle}));

    AcDbPolyline* light = nullptr;
    ASSERT_EQ(acdbOpenObject(light, parcel, AcDb::kForWrite), Acad::eOk);
    AcDb2dPolyline* converted = nullptr;
    ASSERT_EQ(light->convertTo(converted, true), Acad::eObjectToBeDeleted);
    converted->close();
    delete light;
    EXPECT_EQ(byType("LWPOLYLINE"), Ids{});
    EXPECT_EQ(byType("POLYLINE"), (Ids{parcel, heavy}));
    EXPECT_EQ(AllThrough(acutBuildList(RTDXF0, "*LINE", 8, "JZD", 0)), (Ids{parcel}));
}

// One selection that meets many types and layers keeps each one's answer.
TEST(Selection, FilterAnswersStayWithTheirTypeAndLayer)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-10, -10, 0), AcGePoint3d(30, 30, 0));
    Ids circles;
    for (int round = 0; round < 2; ++round)
        for (char layer = 'A'; layer <= 'J'; ++layer) {
            const char name[] = {layer, 0};
            if (round == 0)
                AddLayer(d, name);
            auto* line = new AcDbLine(AcGePoint3d(layer - 'A', round, 0), AcGePoint3d(layer - 'A', round + 1, 0));
            line->setLayer(name);
            d.Add(line);
            auto* circle = new AcDbCircle(AcGePoint3d(layer - 'A', round, 0), AcGeVector3d(0, 0, 1), 0.5);
            circle->setLayer(name);
            circles.push_back(d.Add(circle));
        }
    resbuf* filter = acutBuildList(RTDXF0, "CIRCLE", 8, "?", 0);
    EXPECT_EQ(Window("C", -5, -5, 20, 20, filter), circles);
    acutRelRb(filter);
}

TEST(Selection, GraphicalModesSeeOnlyTheViewAndVisibleLayers)
{
    TestDrawing d;
    AddLayer(d, "HIDDEN", true);
    AcDbObjectId near = Circle(d, 5, 5, 1);
    AcDbObjectId far = Circle(d, 500, 500, 1);
    auto* hiddenLine = new AcDbLine(AcGePoint3d(2, 2, 0), AcGePoint3d(3, 3, 0));
    hiddenLine->setLayer("HIDDEN");
    AcDbObjectId hidden = d.Add(hiddenLine);

    // The new drawing shows (0,0)-(12,9): the far circle is off screen.
    EXPECT_EQ(Window("C", -1000, -1000, 1000, 1000), (Ids{near}));
    ads_name ss;
    ASSERT_EQ(acedSSGet("x", nullptr, nullptr, nullptr, ss), RTNORM);
    EXPECT_EQ(Members(ss), (Ids{near, far, hidden}));
    ASSERT_TRUE(platform::cad::ZoomExtents());
    EXPECT_EQ(Window("C", -1000, -1000, 1000, 1000), (Ids{near, far}));

    // A moved entity is found at its new place.
    AcDbCircle* c = nullptr;
    ASSERT_EQ(acdbOpenObject(c, far, AcDb::kForWrite), Acad::eOk);
    c->setCenter(AcGePoint3d(100, 100, 0));
    c->close();
    EXPECT_EQ(Window("W", 90, 90, 110, 110), (Ids{far}));
    EXPECT_TRUE(Window("W", 490, 490, 510, 510).empty());
    // An erased one is gone.
    ASSERT_EQ(acdbOpenObject(c, near, AcDb::kForWrite), Acad::eOk);
    c->erase();
    c->close();
    EXPECT_TRUE(Window("C", 0, 0, 10, 10).empty());
}

TEST(Selection, UserPicksComeFromTheAnswerSource)
{
    TestDrawing d;
    AcDbObjectId a = Circle(d, 2, 2, 1);
    AcDbObjectId b = Line(d, 6, 1, 8, 3);
    AcDbObjectId c = Circle(d, 10, 7, 0.5);
    auto queue = platform::ui::UseAnswerQueue();
    queue->Push(platform::ui::PromptAnswer("7,2"));         // on the line
    queue->Push(platform::ui::PromptAnswer("4,4"));         // empty space
    queue->Push(platform::ui::PromptAnswer("bogus"));
    queue->Push(platform::ui::PromptAnswer("W 0,0 3.5,3.5"));
    queue->Push(platform::ui::PromptAnswer(""));
    ads_name ss;
    ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTNORM);
    EXPECT_EQ(Members(ss), (Ids{b, a}));  // in the order picked
    (void)c;
    // Cancel: RTCAN and no set; nothing picked: RTERROR.
    queue->Push(platform::ui::PromptAnswer("10,7"));
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTCAN);
    queue->Push(platform::ui::PromptAnswer(""));
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTERROR);
    platform::ui::SetAnswerDriver(nullptr);
}

TEST(Selection, SetsAddDeleteAndStayWithinTheCap)
{
    TestDrawing d;
    AcDbObjectId first = Line(d, 0, 0, 1, 1);
    AcDbObjectId second = Line(d, 1, 1, 2, 2);
    ads_name e1, e2;
    acdbGetAdsName(e1, first);
    acdbGetAdsName(e2, second);
    std::size_t live = platform::cad::LiveSelectionSetCount();

    ads_name ss, same;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, ss), RTNORM);
    Adesk::Int32 n = -1;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(acedSSAdd(e2, ss, same), RTNORM);
    EXPECT_TRUE(ads_name_equal(ss, same));
    EXPECT_EQ(acedSSAdd(e1, ss, same), RTNORM);
    EXPECT_EQ(acedSSAdd(e2, ss, same), RTNORM);  // already in: no second copy
    EXPECT_EQ(acedSSMemb(e1, ss), RTNORM);
    EXPECT_EQ(acedSSDel(e2, ss), RTNORM);
    EXPECT_EQ(acedSSDel(e2, ss), RTERROR);
    EXPECT_EQ(acedSSMemb(e2, ss), RTERROR);
    ads_name got;
    EXPECT_EQ(acedSSName(ss, 0, got), RTNORM);
    EXPECT_TRUE(ads_name_equal(got, e1));
    EXPECT_EQ(acedSSName(ss, 1, got), RTERROR);
    EXPECT_EQ(acedSSName(ss, -1, got), RTERROR);
    // An entity name is not a set, nor a made-up name an entity.
    EXPECT_EQ(acedSSLength(e1, &n), RTERROR);
    ads_name bogus{e1[0], 99999};
    EXPECT_EQ(acedSSAdd(bogus, ss, same), RTERROR);
    EXPECT_EQ(acedSSSetFirst(ss, nullptr), RTNORM);
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_EQ(acedSSFree(ss), RTERROR);
    EXPECT_EQ(platform::cad::PickFirstIds(), (Ids{first}));  // a copy outlives the set
    EXPECT_EQ(acedSSSetFirst(nullptr, nullptr), RTNORM);
    EXPECT_TRUE(platform::cad::PickFirstIds().empty());

    // A set the host made from a selection answers membership and edits like one built by hand;
    // one made from ids out of order keeps each entity once.
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, ss), RTNORM);
    EXPECT_EQ(acedSSMemb(e2, ss), RTNORM);
    EXPECT_EQ(acedSSAdd(e1, ss, same), RTNORM);
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(acedSSDel(e1, ss), RTNORM);
    EXPECT_EQ(acedSSMemb(e1, ss), RTERROR);
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(acedSSName(ss, 0, got), RTNORM);
    EXPECT_TRUE(ads_name_equal(got, e2));
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    ASSERT_EQ(platform::cad::MakeSelectionSet({second, first, second}, ss), RTNORM);
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(acedSSFree(ss), RTNORM);

    // A set grown one entity at a time past a few dozen members still keeps each entity once, in
    // the order first added, and answers membership and deletion for early and late members alike.
    Ids many;
    for (int i = 0; i < 40; ++i)
        many.push_back(Line(d, i, 0, i, 1));
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, ss), RTNORM);
    for (int round = 0; round < 2; ++round)
        for (const AcDbObjectId& id : many) {
            ads_name e;
            acdbGetAdsName(e, id);
            EXPECT_EQ(acedSSAdd(e, ss, same), RTNORM);
        }
    // Every third member goes, the others answer as members still.
    Ids kept;
    for (std::size_t i = 0; i < many.size(); ++i) {
        ads_name e;
        acdbGetAdsName(e, many[i]);
        if (i % 3 == 0)
            EXPECT_EQ(acedSSDel(e, ss), RTNORM);
        else
            kept.push_back(many[i]);
    }
    for (std::size_t i = 0; i < many.size(); ++i) {
        ads_name e;
        acdbGetAdsName(e, many[i]);
        EXPECT_EQ(acedSSMemb(e, ss), i % 3 == 0 ? RTERROR : RTNORM) << i;
    }
    EXPECT_EQ(Members(ss), kept);

    // The cap on live sets: the host refuses a new one until one is freed.
    std::vector<std::array<std::int64_t, 2>> sets;
    while (platform::cad::LiveSelectionSetCount() < platform::cad::kMaxSelectionSets) {
        ads_name s;
        ASSERT_EQ(acedSSAdd(e1, nullptr, s), RTNORM);
        sets.push_back({s[0], s[1]});
    }
    EXPECT_EQ(acedSSAdd(e1, nullptr, ss), RTERROR);
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, ss), RTERROR);
    for (auto& s : sets)
        EXPECT_EQ(acedSSFree(s.data()), RTNORM);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), live);
}

TEST(View, WindowSetCurrentViewAndZoom)
{
    TestDrawing d;
    auto& view = ViewOf();
    view.screenWidth = 800;
    view.screenHeight = 400;
    view.center = AcGePoint3d(100, 50, 0);
    view.height = 20;
    AcDbExtents w = view.Window();
    EXPECT_DOUBLE_EQ(w.minPoint().x, 80);
    EXPECT_DOUBLE_EQ(w.minPoint().y, 40);
    EXPECT_DOUBLE_EQ(w.maxPoint().x, 120);
    EXPECT_DOUBLE_EQ(w.maxPoint().y, 60);

    AcDbViewTableRecord rec;
    rec.setCenterPoint(AcGePoint2d(10, 10));
    rec.setHeight(4);
    rec.setWidth(0);
    EXPECT_EQ(acedSetCurrentView(&rec, nullptr), Acad::eInvalidInput);
    EXPECT_DOUBLE_EQ(view.height, 20);  // unchanged
    EXPECT_EQ(acedSetCurrentView(nullptr, nullptr), Acad::eInvalidInput);
    // A window wider than the screen's proportions shows its whole width.
    rec.setWidth(40);
    rec.setFrontClipAtEye(false);
    ASSERT_EQ(acedSetCurrentView(&rec, nullptr), Acad::eOk);
    EXPECT_DOUBLE_EQ(view.height, 20);
    EXPECT_DOUBLE_EQ(view.center.x, 10);
    EXPECT_EQ(view.viewMode, 16);
    EXPECT_FALSE(platform::cad::ZoomWindow(AcGePoint3d(1, 1, 0), AcGePoint3d(5, 1, 0)));
    EXPECT_TRUE(platform::cad::ZoomWindow(AcGePoint3d(1, 1, 0), AcGePoint3d(5, 11, 0)));
    EXPECT_DOUBLE_EQ(view.height, 10);
    EXPECT_DOUBLE_EQ(view.center.y, 6);

    // Extents: empty drawing leaves the view; a frozen layer does not count.
    EXPECT_FALSE(platform::cad::ZoomExtents());
    Line(d, -10, 0, 10, 5);
    AddLayer(d, "FROZEN");
    auto* far = new AcDbCircle(AcGePoint3d(1000, 0, 0), AcGeVector3d(0, 0, 1), 1);
    far->setLayer("FROZEN");
    const AcDbObjectId farId = d.Add(far);
    AcDbLayerTableRecord* layer = nullptr;
    AcDbObjectId layerId;
    AcDbLayerTable* table = nullptr;
    d.db()->getLayerTable(table, AcDb::kForRead);
    table->getAt("FROZEN", layerId);
    table->close();
    ASSERT_EQ(acdbOpenObject(layer, layerId, AcDb::kForWrite), Acad::eOk);
    layer->setIsFrozen(true);
    layer->close();
    ASSERT_TRUE(platform::cad::ZoomExtents());
    EXPECT_DOUBLE_EQ(view.center.x, 0);
    EXPECT_DOUBLE_EQ(view.center.y, 2.5);
    EXPECT_DOUBLE_EQ(view.height, 10);  // 20 wide on a 2:1 screen

    // An entity counts by the layer it is on now: moved off the frozen layer, and back onto it while
    // still open.
    AcDbCircle* circle = nullptr;
    ASSERT_EQ(acdbOpenObject(circle, farId, AcDb::kForWrite), Acad::eOk);
    circle->setLayer("0");
    circle->close();
    ASSERT_TRUE(platform::cad::ZoomExtents());
    EXPECT_DOUBLE_EQ(view.center.x, 495.5);
    ASSERT_EQ(acdbOpenObject(circle, farId, AcDb::kForWrite), Acad::eOk);
    circle->setLayer("FROZEN");
    ASSERT_TRUE(platform::cad::ZoomExtents());
    EXPECT_DOUBLE_EQ(view.center.x, 0);
    circle->close();
}

TEST(Selection, LayerPatternsUseTheHostsWildCardsOnWholeCharacters)
{
    TestDrawing d;
    const char* names[] = {"A1", "B22", "房屋", "X#Y"};
    Ids ids;
    for (const char* name : names) {
        AddLayer(d, name);
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        line->setLayer(name);
        ids.push_back(d.Add(line));
    }
    auto on = [](const char* pattern) { return AllThrough(acutBuildList(8, pattern, 0)); };
    EXPECT_EQ(on("[a-b]#"), (Ids{ids[0]}));
    EXPECT_EQ(on("@##"), (Ids{ids[1]}));
    EXPECT_EQ(on("房?"), (Ids{ids[2]}));  // one "?" is one double-byte character
    EXPECT_EQ(on("?"), Ids{});  // layer "0" holds nothing
    EXPECT_EQ(on("x`#y"), (Ids{ids[3]}));
    EXPECT_EQ(on("~*[#]*"), (Ids{ids[0], ids[1], ids[2]}));
    // "." is any character that is neither letter nor digit: a Chinese one too.
    EXPECT_EQ(on("b*,.*"), (Ids{ids[1], ids[2]}));
}

// A heavy polyline is tested along the spans it shows: arcs where it bulges, the fitted spans of a
// spline rather than its frame, and a vertex moved while it is still open for write.
TEST(Selection, HeavyPolylinesAreTestedAlongTheSpansTheyShow)
{
    TestDrawing d;
    platform::cad::ZoomWindow(AcGePoint3d(-100, -100, 0), AcGePoint3d(100, 100, 0));
    auto heavy = [&d](AcDb::Poly2dType type, std::vector<AcGePoint2d> pts, bool closed) {
        AcGePoint3dArray points;
        for (const auto& p : pts)
            points.append(AcGePoint3d(p.x, p.y, 0));
        return d.Add(new AcDb2dPolyline(type, points, 0, closed));
    };
    // The half circle below the chord from (0, 0) to (10, 0) passes (5, -5).
    AcDbObjectId bulged = heavy(AcDb::k2dSimplePoly, {{0, 0}, {10, 0}}, false);
    AcDb2dPolyline* polyline = nullptr;
    ASSERT_EQ(acdbOpenObject(polyline, bulged, AcDb::kForRead), Acad::eOk);
    AcDbObjectIterator* walk = polyline->vertexIterator();
    walk->start();
    const AcDbObjectId firstVertex = walk->objectId();
    delete walk;
    polyline->close();
    AcDb2dVertex* vertex = nullptr;
    ASSERT_EQ(acdbOpenObject(vertex, firstVertex, AcDb::kForWrite), Acad::eOk);
    vertex->setBulge(1);
    vertex->close();
    EXPECT_EQ(Window("C", 4.5, -5.2, 5.5, -4.8), (Ids{bulged}));
    EXPECT_EQ(Window("C", 4.5, -0.2, 5.5, 0.2), Ids{});

    // The spline's frame runs through (10, 5); the fitted curve stays well below it.
    AcDbObjectId spline = heavy(AcDb::k2dQuadSplinePoly, {{0, 20}, {10, 25}, {20, 20}, {30, 25}}, false);
    EXPECT_EQ(Window("C", 9.9, 24.9, 10.1, 25.1), Ids{});
    EXPECT_EQ(Window("C", -0.1, 19.9, 0.1, 20.1), (Ids{spline}));

    // A square inside the polygon, whose corner is then moved far out and not yet closed.
    AcDbObjectId square = heavy(AcDb::k2dSimplePoly, {{42, 42}, {44, 42}, {44, 44}, {42, 44}}, true);
    const std::vector<AcGePoint2d> around{{40, 40}, {50, 40}, {50, 50}, {40, 50}};
    EXPECT_EQ(Polygon("WP", around), (Ids{square}));
    ASSERT_EQ(acdbOpenObject(polyline, square, AcDb::kForRead), Acad::eOk);
    walk = polyline->vertexIterator();
    walk->start();
    const AcDbObjectId corner = walk->objectId();
    delete walk;
    polyline->close();
    ASSERT_EQ(acdbOpenObject(vertex, corner, AcDb::kForWrite), Acad::eOk);
    vertex->setPosition(AcGePoint3d(60, 60, 0));
    EXPECT_EQ(Polygon("WP", around), Ids{});
    EXPECT_EQ(Polygon("CP", around), (Ids{square}));
    vertex->close();
    EXPECT_EQ(Polygon("WP", around), Ids{});
}
