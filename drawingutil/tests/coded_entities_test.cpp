#include <gtest/gtest.h>

#include <string>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"

#include "drawing_fixture.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/colors.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/layers.h"
#include "drawingutil/text_entities.h"

namespace {

class CodedEntitiesTest : public DrawingTest {
protected:
    std::string Code(AcDbObjectId id)
    {
        std::string code;
        GetEntityCode(NameOf(id), code);
        return code;
    }
    std::string Layer(AcDbObjectId id)
    {
        AcDbEntity* entity = nullptr;
        EXPECT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
        std::string name = entity->layerName();
        entity->close();
        return name;
    }
    template <typename T, typename F>
    void With(AcDbObjectId id, F&& check)
    {
        T* object = nullptr;
        ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForRead), Acad::eOk);
        check(object);
        object->close();
    }
    // A new group filed in the group dictionary, open for write.
    AcDbGroup* NewGroup(AcDbObjectId& id)
    {
        AcDbDictionary* groups = nullptr;
        EXPECT_EQ(acdbOpenObject(groups, db()->groupDictionaryId(), AcDb::kForWrite), Acad::eOk);
        auto* group = new AcDbGroup("", true);
        EXPECT_EQ(groups->setAt("*", group, id), Acad::eOk);
        groups->close();
        return group;
    }
    int TextStyleCount()
    {
        AcDbTextStyleTable* table = nullptr;
        EXPECT_EQ(db()->getTextStyleTable(table, AcDb::kForRead), Acad::eOk);
        int count = table->recordIds().length();
        table->close();
        return count;
    }
    AcGePoint2dArray Square()
    {
        AcGePoint2dArray points;
        points.append(AcGePoint2d(0, 0));
        points.append(AcGePoint2d(10, 0));
        points.append(AcGePoint2d(10, 10));
        return points;
    }
};

TEST_F(CodedEntitiesTest, LinesAndCirclesTakeCodeLayerAndGroup)
{
    AcDbObjectId plain = CreateCodedLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0), "", nullptr, "");
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(Code(plain), "");
    EXPECT_EQ(Layer(plain), "0");
    EXPECT_EQ(GetCodeXData(NameOf(plain)), nullptr);

    AcDbObjectId groupId;
    AcDbGroup* group = NewGroup(groupId);
    AcDbObjectId line = CreateCodedLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0), "444400", group, "ERROR");
    AcDbObjectId circle = CreateCodedCircle(AcGePoint3d(5, 6, 7), 0.5, "301000", group, "JZP");
    EXPECT_EQ(group->numEntities(), 2u);
    group->close();
    EXPECT_EQ(Code(line), "444400");
    EXPECT_EQ(Layer(line), "ERROR");
    EXPECT_EQ(Layer(circle), "JZP");
    With<AcDbCircle>(circle, [](AcDbCircle* c) {
        EXPECT_EQ(c->center().z, 0.0);
        EXPECT_EQ(c->center().x, 5.0);
        EXPECT_EQ(c->radius(), 0.5);
    });
    AcDbObjectId found;
    EXPECT_TRUE(FindEntityGroup(NameOf(circle), found));
    EXPECT_EQ(found, groupId);

    // A second entity on an existing layer adds no layer; a radius the host refuses makes nothing.
    CreateCodedLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 2, 0), "", nullptr, "error");
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db()->getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(layers->recordIds().length(), 3);
    layers->close();
    EXPECT_TRUE(CreateCodedCircle(AcGePoint3d(0, 0, 0), 0, "301000", nullptr, "JZP").isNull());
}

TEST_F(CodedEntitiesTest, PolylineTypesWidthsAndBulges)
{
    AcDbObjectId lw = CreateCodedPolyline(Square(), 3.0, 1, "300000", 0, 0, "JZD");
    With<AcDbPolyline>(lw, [](AcDbPolyline* p) {
        EXPECT_EQ(p->numVerts(), 3u);
        EXPECT_TRUE(p->isClosed());
        EXPECT_EQ(p->elevation(), 3.0);
        EXPECT_TRUE(p->hasPlinegen());
        EXPECT_FALSE(p->hasWidth());
    });
    EXPECT_EQ(Code(lw), "300000");

    AcGeDoubleArray bulges;
    bulges.append(0.5);
    AcDbObjectId groupId;
    AcDbGroup* group = NewGroup(groupId);
    AcDbObjectId wide = CreateCodedPolyline(Square(), 0, 0, "", 0.5, 0, "", &bulges, group);
    EXPECT_TRUE(group->has(wide));
    group->close();
    With<AcDbPolyline>(wide, [](AcDbPolyline* p) {
        EXPECT_FALSE(p->isClosed());
        for (unsigned i = 0; i < p->numVerts(); ++i) {
            double start = 0, end = 0, bulge = 0;
            p->getWidthsAt(i, start, end);
            p->getBulgeAt(i, bulge);
            EXPECT_EQ(start, 0.5);
            EXPECT_EQ(end, 0.5);
            EXPECT_EQ(bulge, i == 0 ? 0.5 : 0.0);
        }
    });

    const AcDb::Poly2dType kinds[] = {AcDb::k2dFitCurvePoly, AcDb::k2dQuadSplinePoly, AcDb::k2dSimplePoly};
    for (int type = 1; type <= 3; ++type) {
        AcDbObjectId id = CreateCodedPolyline(Square(), 2.0, 1, "141200", 0.25, type, "JMD");
        With<AcDb2dPolyline>(id, [&](AcDb2dPolyline* p) {
            EXPECT_EQ(p->polyType(), kinds[type - 1]);
            EXPECT_TRUE(p->isClosed());
            EXPECT_EQ(p->elevation(), 2.0);
            EXPECT_EQ(p->defaultStartWidth(), 0.25);
            EXPECT_TRUE(p->isLinetypeGenerationOn());
        });
        EXPECT_EQ(Code(id), "141200");
    }
    EXPECT_TRUE(CreateCodedPolyline(Square(), 0, 0, "", 0, 4, "").isNull());
    EXPECT_FALSE(CreateCodedPolyline(AcGePoint2dArray(), 0, 0, "", 0, 0, "").isNull());
}

TEST_F(CodedEntitiesTest, TextJustificationWidthAndFontStyle)
{
    AcGePoint3d at(1, 2, 0);
    struct Case {
        const char* code;
        AcDb::TextHorzMode h;
        AcDb::TextVertMode v;
        bool centreCode;
    };
    const Case cases[] = {
        {"M", AcDb::kTextMid, AcDb::kTextBase, false},     {"tl", AcDb::kTextLeft, AcDb::kTextTop, false},
        {"TC", AcDb::kTextCenter, AcDb::kTextTop, false},  {"TR", AcDb::kTextRight, AcDb::kTextTop, false},
        {"ML", AcDb::kTextLeft, AcDb::kTextVertMid, false}, {"MR", AcDb::kTextRight, AcDb::kTextVertMid, false},
        {"BL", AcDb::kTextLeft, AcDb::kTextBottom, false}, {"BC", AcDb::kTextCenter, AcDb::kTextBottom, false},
        {"BR", AcDb::kTextRight, AcDb::kTextBottom, false}, {"r", AcDb::kTextRight, AcDb::kTextBottom, false},
        {"C", AcDb::kTextLeft, AcDb::kTextBase, false},    {"c", AcDb::kTextCenter, AcDb::kTextBase, true},
        {"", AcDb::kTextLeft, AcDb::kTextBase, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TextOptions options;
        options.centreCode = c.centreCode;
        AcDbObjectId id = CreateText(at, "宗地", c.code, "", 2.0, "", 0.5, 0, nullptr, options);
        With<AcDbText>(id, [&](AcDbText* t) {
            EXPECT_EQ(t->horizontalMode(), c.h);
            EXPECT_EQ(t->verticalMode(), c.v);
            AcGePoint3d placed = t->isDefaultAlignment() ? t->position() : t->alignmentPoint();
            EXPECT_EQ(placed.x, 1.0);
            EXPECT_EQ(placed.y, 2.0);
            EXPECT_EQ(t->widthFactor(), 0.8);
            EXPECT_EQ(t->rotation(), 0.5);
        });
    }

    EXPECT_TRUE(CreateText(at, "a", "M", "", 0, "", 0, 1, nullptr).isNull());
    EXPECT_TRUE(CreateText(at, "", "M", "", 1, "", 0, 1, nullptr).isNull());

    // The toolkit's default width factor; code and layer.
    TextOptions options;
    options.defaultWidthFactor = 0.7;
    AcDbObjectId coded = CreateText(at, "1", "", "301001", 1.0, "JZP", 0, -1, "", options);
    EXPECT_EQ(Code(coded), "301001");
    EXPECT_EQ(Layer(coded), "JZP");
    With<AcDbText>(coded, [](AcDbText* t) { EXPECT_EQ(t->widthFactor(), 0.7); });

    // A font gives one style named after it, reused by later texts; no font adds no style.
    int styles = TextStyleCount();
    AcDbObjectId first = CreateText(at, "a", "", "", 1.0, "", 0, 1, "宋体");
    AcDbObjectId second = CreateText(at, "b", "", "", 1.0, "", 0, 1, "宋体");
    CreateText(at, "c", "", "", 1.0, "", 0, 1, "");
    EXPECT_EQ(TextStyleCount(), styles + 1);
    AcDbObjectId style;
    With<AcDbText>(first, [&](AcDbText* t) { style = t->textStyle(); });
    With<AcDbText>(second, [&](AcDbText* t) { EXPECT_EQ(t->textStyle(), style); });
    With<AcDbTextStyleTableRecord>(style, [](AcDbTextStyleTableRecord* r) {
        EXPECT_EQ(r->name(), "宋体");
        EXPECT_STREQ(r->fileNameConst(), "FONRS");
        EXPECT_STREQ(r->typefaceConst(), "宋体");
    });
}

TEST_F(CodedEntitiesTest, GroupsLayersAndColoursByName)
{
    AcDbObjectId line = CreateCodedLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0), "", nullptr, "");
    AcDbObjectId none;
    EXPECT_FALSE(FindEntityGroup(NameOf(line), none));
    AcDbObjectId first, again;
    EXPECT_TRUE(CreateEntityGroup(NameOf(line), first));
    EXPECT_TRUE(CreateEntityGroup(NameOf(line), again));
    EXPECT_EQ(first, again);
    With<AcDbGroup>(first, [&](AcDbGroup* g) {
        EXPECT_TRUE(g->isAnonymous());
        EXPECT_TRUE(g->isSelectable());
        EXPECT_TRUE(g->has(line));
    });
    ads_name missing = {0, 0};
    EXPECT_FALSE(CreateEntityGroup(missing, again));

    // In two named groups filed in the order "B", "A" and joined in the order "A", "B": the
    // dictionary's first, "B", answers; once the entity leaves it, "A" does; then none.
    AcDbObjectId circle = CreateCodedCircle(AcGePoint3d(9, 9, 0), 1, "", nullptr, "");
    AcDbObjectId named[2];
    for (int i = 0; i < 2; ++i) {
        AcDbDictionary* groups = nullptr;
        ASSERT_EQ(acdbOpenObject(groups, db()->groupDictionaryId(), AcDb::kForWrite), Acad::eOk);
        auto* group = new AcDbGroup("", true);
        EXPECT_EQ(groups->setAt(i == 0 ? "B" : "A", group, named[i]), Acad::eOk);
        groups->close();
        group->close();
    }
    for (int i : {1, 0}) {
        AcDbGroup* g = nullptr;
        ASSERT_EQ(acdbOpenObject(g, named[i], AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(g->append(circle), Acad::eOk);
        g->close();
    }
    AcDbObjectId found;
    EXPECT_TRUE(FindEntityGroup(NameOf(circle), found));
    EXPECT_EQ(found, named[0]);
    {
        AcDbGroup* g = nullptr;
        ASSERT_EQ(acdbOpenObject(g, named[0], AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(g->remove(circle), Acad::eOk);
        g->close();
    }
    EXPECT_TRUE(FindEntityGroup(NameOf(circle), found));
    EXPECT_EQ(found, named[1]);
    {
        AcDbGroup* g = nullptr;
        ASSERT_EQ(acdbOpenObject(g, named[1], AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(g->remove(circle), Acad::eOk);
        g->close();
    }
    EXPECT_FALSE(FindEntityGroup(NameOf(circle), found));

    SetEntityLayer(NameOf(line), "DLJ");
    EXPECT_EQ(Layer(line), "DLJ");
    SetEntityLayer(NameOf(line), "");
    EXPECT_EQ(Layer(line), "DLJ");
    SetEntityColorIndex(NameOf(line), 3);
    With<AcDbEntity>(line, [](AcDbEntity* e) { EXPECT_EQ(e->colorIndex(), 3); });
    EXPECT_EQ(EnsureLayer(nullptr, ""), Acad::eOk);

    int r = -1, g = -1, b = -1;
    EXPECT_EQ(ColorIndexToRgb(1, r, g, b), 255);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 0);
    r = g = b = -1;
    EXPECT_EQ(ColorIndexToRgb(256, r, g, b), 0);
    EXPECT_EQ(ColorIndexToRgb(-1, r, g, b), 0);
    EXPECT_EQ(r, -1);
}

}  // namespace
