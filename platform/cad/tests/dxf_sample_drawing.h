// A drawing with something of everything the DXF files carry, for the reader and writer tests.
#pragma once

#include <string>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace dxftest {

using platform::cad::DxfTag;

inline AcDbObjectId AddRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* record, const char* name) {
    record->setName(name);
    AcDbSymbolTable* table = nullptr;
    AcDbObjectId id;
    acdbOpenObject(table, tableId, AcDb::kForWrite);
    table->add(id, record);
    record->close();
    table->close();
    return id;
}

// XData of the application "MIRET": a GBK code, the kinds of items product code stores.
inline void Code(AcDbObject* object, const std::string& code) {
    platform::cad::XDataApp app;
    app.app = "MIRET";
    app.items = {DxfTag::String(1000, code), DxfTag::Integer(1070, 7), DxfTag::Integer(1071, 123456),
                 DxfTag::Real(1040, 0.1), DxfTag::Point(1010, AcGePoint3d(1.5, -2.25, 0))};
    object->setXDataApps({app});
}

struct SampleIds {
    AcDbObjectId line, polyline, vertex, block, reference, group, xrecord;
};

inline SampleIds BuildSample(TestDrawing& d) {
    AcDbDatabase* db = d.db();
    SampleIds ids;
    AddRecord(db->regAppTableId(), new AcDbRegAppTableRecord, "MIRET");
    auto* layer = new AcDbLayerTableRecord;
    AcCmColor red;
    red.setColorIndex(1);
    layer->setColor(red);
    AddRecord(db->layerTableId(), layer, "房屋");
    db->setUserr1(500);

    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0.1, 0));
    line->setLayer("房屋");
    Code(line, "141101");
    ids.line = d.Add(line);
    d.Add(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 2.5));
    d.Add(new AcDbArc(AcGePoint3d(1, 2, 0), 3, 0.25, 2.5));
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0), 0.5);
    lw->addVertexAt(1, AcGePoint2d(10, 0));
    lw->addVertexAt(2, AcGePoint2d(10, 10));
    lw->setClosed(true);
    Code(lw, "房屋编码");
    d.Add(lw);
    d.Add(new AcDbText(AcGePoint3d(3, 4, 0), "宗地号 12", AcDbObjectId::kNull, 2.5, 0.5));

    AcGePoint3dArray points;
    points.append(AcGePoint3d(0, 0, 0));
    points.append(AcGePoint3d(5, 0, 0));
    points.append(AcGePoint3d(5, 5, 0));
    ids.polyline = d.Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, points, 0, true));
    AcDb2dPolyline* pline = nullptr;
    acdbOpenObject(pline, ids.polyline, AcDb::kForWrite);
    auto* vertex = new AcDb2dVertex(AcGePoint3d(2, 7, 0));
    pline->appendVertex(ids.vertex, vertex);
    Code(vertex, "vertex");
    vertex->close();
    pline->close();
    d.Add(new AcDb3dPolyline(AcDb::k3dSimplePoly, points));

    // A block with an entity, and a reference to it carrying an attribute.
    auto* block = new AcDbBlockTableRecord;
    ids.block = AddRecord(db->blockTableId(), block, "JZD");
    AcDbBlockTableRecord* open = nullptr;
    acdbOpenObject(open, ids.block, AcDb::kForWrite);
    open->setOrigin(AcGePoint3d(1, 1, 0));
    auto* inner = new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, 1), 0.5);
    open->appendAcDbEntity(inner);
    inner->close();
    open->close();
    auto* ref = new AcDbBlockReference(AcGePoint3d(20, 20, 0), ids.block);
    ids.reference = d.Add(ref);
    acdbOpenObject(ref, ids.reference, AcDb::kForWrite);
    auto* attribute = new AcDbAttribute(AcGePoint3d(20, 21, 0), "界址点", "JZDH");
    ref->appendAttribute(attribute);
    attribute->close();
    ref->close();

    // An anonymous group of three members, in an order unlike the drawing's.
    AcDbDictionary* groups = nullptr;
    db->getGroupDictionary(groups, AcDb::kForWrite);
    auto* group = new AcDbGroup("界址线", true);
    groups->setAt("*", group, ids.group);
    group->append(ids.polyline);
    group->append(ids.line);
    group->append(ids.reference);
    group->close();
    groups->close();

    // A named dictionary holding an xrecord, and an extension dictionary on the line.
    AcDbDictionary* nod = nullptr;
    db->getNamedObjectsDictionary(nod, AcDb::kForWrite);
    auto* store = new AcDbDictionary;
    AcDbObjectId storeId;
    nod->setAt("QV_INDEX", store, storeId);
    auto* xrecord = new AcDbXrecord;
    resbuf* data = acutNewRb(1);
    data->resval.rstring = acutNewString("检查结果");
    data->rbnext = acutNewRb(70);
    data->rbnext->resval.rint = 3;
    data->rbnext->rbnext = acutNewRb(40);
    data->rbnext->rbnext->resval.rreal = 2.5;
    resbuf* link = acutNewRb(330);
    acdbGetAdsName(link->resval.rlname, ids.line);
    data->rbnext->rbnext->rbnext = link;
    xrecord->setFromRbChain(*data);
    acutRelRb(data);
    store->setAt("Item1", xrecord, ids.xrecord);
    xrecord->close();
    store->close();
    nod->close();
    AcDbObject* lineObject = nullptr;
    acdbOpenAcDbObject(lineObject, ids.line, AcDb::kForWrite);
    lineObject->createExtensionDictionary();
    lineObject->close();
    return ids;
}

}  // namespace dxftest
