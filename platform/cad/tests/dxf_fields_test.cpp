// Every class writes its definition as tags and reads the same tags back: the contract that
// acdbEntGet/acdbEntMod use now and the drawing reader and writer build on.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dimension.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

std::string Describe(const platform::cad::DxfTagList& tags)
{
    std::string out;
    for (const auto& t : tags) {
        out += "(" + std::to_string(t.code);
        switch (t.kind()) {
        case platform::cad::GroupValueKind::String:
            out += " " + t.text;
            break;
        case platform::cad::GroupValueKind::Real:
            out += " " + std::to_string(t.real);
            break;
        case platform::cad::GroupValueKind::Point:
            out += " " + std::to_string(t.point.x) + "," + std::to_string(t.point.y) + "," + std::to_string(t.point.z);
            break;
        case platform::cad::GroupValueKind::Binary:
            out += " [" + std::to_string(t.bytes.size()) + "]";
            break;
        default:
            out += " " + std::to_string(t.integer);
        }
        out += ")";
    }
    return out;
}

struct Sample {
    std::string name;
    std::function<AcDbObject*()> filled;
    std::function<AcDbObject*()> empty;
};

TEST(CadDxfFields, EveryClassReadsBackWhatItWrites)
{
    TestDrawing drawing;
    AcDbBlockTable* blocks = nullptr;
    drawing.db()->getBlockTable(blocks, AcDb::kForWrite);
    auto* block = new AcDbBlockTableRecord;
    block->setName("MARK");
    blocks->add(block);
    block->close();
    AcDbObjectId blockId;
    blocks->getAt("MARK", blockId);
    blocks->close();
    auto onLayer = [](AcDbEntity* e) {
        e->setLayer("0");
        e->setColorIndex(5);
        return e;
    };
    std::vector<Sample> samples = {
        {"line", [&] { return onLayer(new AcDbLine(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6))); },
         [] { return new AcDbLine; }},
        {"circle", [&] { return onLayer(new AcDbCircle(AcGePoint3d(3400000, 500000, 1), AcGeVector3d::kZAxis, 7)); },
         [] { return new AcDbCircle; }},
        {"arc", [&] { return onLayer(new AcDbArc(AcGePoint3d(1, 1, 0), 2, 0.5, 4)); }, [] { return new AcDbArc; }},
        {"point", [&] { return onLayer(new AcDbPoint(AcGePoint3d(9, 8, 7))); }, [] { return new AcDbPoint; }},
        {"lwpolyline",
         [&] {
             auto* p = new AcDbPolyline;
             p->addVertexAt(0, AcGePoint2d(0, 0), 0.5, 1, 2);
             p->addVertexAt(1, AcGePoint2d(5, 0), -0.25);
             p->addVertexAt(2, AcGePoint2d(5, 5));
             p->setClosed(true);
             p->setPlinegen(true);
             p->setElevation(3);
             return onLayer(p);
         },
         [] { return new AcDbPolyline; }},
        {"text",
         [&] {
             auto* t = new AcDbText(AcGePoint3d(1, 1, 0), "房屋 12", AcDbObjectId(), 2.5, 0.3);
             t->setTextStyle(drawing.db()->textstyle());
             t->setHorizontalMode(AcDb::kTextRight);
             t->setVerticalMode(AcDb::kTextTop);
             t->setAlignmentPoint(AcGePoint3d(10, 10, 0));
             t->setWidthFactor(0.8);
             t->adjustAlignment();  // the position follows the alignment point
             return onLayer(t);
         },
         [] { return new AcDbText; }},
        {"attribute",
         [&] {
             auto* a = new AcDbAttribute(AcGePoint3d(1, 1, 0), "J12", "JZDH", drawing.db()->textstyle());
             a->setHeight(2);
             a->setInvisible(true);
             return onLayer(a);
         },
         [] { return new AcDbAttribute; }},
        {"insert",
         [&] {
             auto* r = new AcDbBlockReference(AcGePoint3d(3, 4, 0), blockId);
             r->setScaleFactors(AcGeScale3d(2, 2, 1));
             r->setRotation(1.25);
             return onLayer(r);
         },
         [] { return new AcDbBlockReference; }},
        {"ellipse",
         [&] {
             return onLayer(new AcDbEllipse(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5, 0.2, 2));
         },
         [] { return new AcDbEllipse; }},
        {"spline",
         [&] {
             AcGePoint3dArray cps;
             for (int i = 0; i < 5; ++i)
                 cps.append(AcGePoint3d(i, i % 2, 0));
             return onLayer(new AcDbSpline(3, false, false, false, cps, AcGeDoubleArray(), AcGeDoubleArray()));
         },
         [] { return new AcDbSpline; }},
        {"aligned",
         [&] {
             return onLayer(new AcDbAlignedDimension(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0), AcGePoint3d(0, 2, 0), "x"));
         },
         [] { return new AcDbAlignedDimension; }},
        {"rotated",
         [&] {
             return onLayer(
                 new AcDbRotatedDimension(0.5, AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0), AcGePoint3d(0, 2, 0)));
         },
         [] { return new AcDbRotatedDimension; }},
        {"hatch",
         [&] {
             auto* h = new AcDbHatch;
             AcGePoint2dArray v;
             v.append(AcGePoint2d(0, 0));
             v.append(AcGePoint2d(4, 0));
             v.append(AcGePoint2d(4, 4));
             AcGeDoubleArray b;
             b.append(0);
             b.append(0.5);
             b.append(0);
             h->appendLoop(AcDbHatch::kExternal, v, b);
             h->setPattern(AcDbHatch::kPreDefined, "ANSI31");
             h->setPatternScale(2);
             return onLayer(h);
         },
         [] { return new AcDbHatch; }},
        {"polyline2d",
         [&] {
             AcGePoint3dArray pts;
             auto* p = new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 4, true, 0.5, 0.25);
             return onLayer(p);
         },
         [] { return new AcDb2dPolyline; }},
        {"vertex2d",
         [&] {
             auto* v = new AcDb2dVertex(AcGePoint3d(1, 2, 0), 0.3, 0.1, 0.2);
             v->setVertexType(AcDb::k2dSplineCtlVertex);
             v->setTangent(0.7);
             return onLayer(v);
         },
         [] { return new AcDb2dVertex; }},
        {"xrecord",
         [&] {
             auto* x = new AcDbXrecord;
             char bytes[4] = {1, 2, 3, 4};
             ads_binary chunk{4, bytes};
             resbuf* data = acutBuildList(90, 4L, 310, &chunk, 1, "文本", 40, 2.5, 0);
             x->setFromRbChain(*data);
             acutRelRb(data);
             return x;
         },
         [] { return new AcDbXrecord; }},
        {"layer",
         [&] {
             auto* l = new AcDbLayerTableRecord;
             l->setName("JZD");
             AcCmColor c;
             c.setColorIndex(3);
             l->setColor(c);
             l->setIsOff(true);
             l->setIsLocked(true);
             l->setLinetypeObjectId(drawing.db()->continuousLinetype());
             return l;
         },
         [] { return new AcDbLayerTableRecord; }},
        {"style",
         [&] {
             auto* s = new AcDbTextStyleTableRecord;
             s->setName("HZ");
             s->setFileName("txt.shx");
             s->setBigFontFileName("hztxt.shx");
             s->setXScale(0.8);
             return s;
         },
         [] { return new AcDbTextStyleTableRecord; }},
    };
    for (const Sample& sample : samples) {
        std::unique_ptr<AcDbObject> filled(sample.filled());
        std::unique_ptr<AcDbObject> empty(sample.empty());
        AcDbDxfFiler out;
        filled->dxfOutFields(&out);
        ASSERT_EQ(empty->dxfInFields(&out), Acad::eOk) << sample.name;
        AcDbDxfFiler back;
        empty->dxfOutFields(&back);
        EXPECT_EQ(Describe(back.tags()), Describe(out.tags())) << sample.name;
        EXPECT_STREQ(empty->dxfTypeName(), filled->dxfTypeName());
    }
}

}  // namespace
