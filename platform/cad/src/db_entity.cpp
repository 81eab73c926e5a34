#include "platform/cad/db_entity.h"

#include <cstdlib>

#include "platform/cad/curve_path.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/resbuf.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbEntity, "", AcDbObject)

void acutDelString(char*& text)
{
    std::free(text);
    text = nullptr;
}

void AcDbExtents::set(const AcGePoint3d& minPoint, const AcGePoint3d& maxPoint)
{
    min_ = minPoint;
    max_ = maxPoint;
    empty_ = false;
}

void AcDbExtents::addPoint(const AcGePoint3d& p)
{
    if (empty_) {
        min_ = max_ = p;
        empty_ = false;
        return;
    }
    min_.set(std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z));
    max_.set(std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z));
}

void AcDbExtents::addExt(const AcDbExtents& other)
{
    if (other.empty_)
        return;
    addPoint(other.min_);
    addPoint(other.max_);
}

namespace {
AcDbDatabase* DatabaseFor(const AcDbEntity* entity)
{
    return entity->database() != nullptr ? entity->database() : acdbHostApplicationServices()->workingDatabase();
}

std::string RecordName(AcDbObjectId id)
{
    auto* record = AcDbSymbolTableRecord::cast(PeekObject(id));
    return record != nullptr ? record->name() : std::string();
}
}  // namespace

template <typename F>
void AcDbEntity::applyToSubents(F&& change)
{
    AcDbObjectIdArray ids;
    subObjectIds(ids);
    for (const auto& id : ids) {
        AcDbEntity* sub = nullptr;
        if (acdbOpenObject(sub, id, AcDb::kForWrite, true) == Acad::eOk) {
            change(sub);
            sub->close();
        }
    }
    for (AcDbEntity* sub : pendingSubents())
        change(sub);
}

char* AcDbEntity::layer() const { return acutNewString(layerName().c_str()); }

std::string AcDbEntity::layerName() const { return RecordName(layer_); }

Acad::ErrorStatus AcDbEntity::setLayer(const char* name, bool doSubents)
{
    AcDbDatabase* db = DatabaseFor(this);
    auto* table = AcDbLayerTable::cast(PeekObject(db->layerTableId()));
    AcDbObjectId id;
    if (table == nullptr || name == nullptr || table->getAt(name, id) != Acad::eOk)
        return Acad::eKeyNotFound;
    return setLayer(id, doSubents);
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId layer, bool doSubents)
{
    if (AcDbLayerTableRecord::cast(PeekObject(layer)) == nullptr)
        return Acad::eInvalidLayer;
    if (database() != nullptr && layer.database() != database())
        return Acad::eWrongDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    layer_ = layer;
    if (doSubents)
        applyToSubents([&](AcDbEntity* sub) { sub->setLayer(layer, false); });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 index, bool doSubents)
{
    if (index > 256)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    color_ = index;
    if (doSubents)
        applyToSubents([&](AcDbEntity* sub) { sub->setColorIndex(index, false); });
    return Acad::eOk;
}

char* AcDbEntity::linetype() const { return acutNewString(linetypeName().c_str()); }

std::string AcDbEntity::linetypeName() const
{
    std::string name = RecordName(linetype_);
    return name.empty() ? std::string("ByLayer") : name;
}

Acad::ErrorStatus AcDbEntity::setLinetype(const char* name, bool doSubents)
{
    AcDbDatabase* db = DatabaseFor(this);
    auto* table = AcDbLinetypeTable::cast(PeekObject(db->linetypeTableId()));
    AcDbObjectId id;
    if (table == nullptr || name == nullptr || table->getAt(name, id) != Acad::eOk)
        return Acad::eKeyNotFound;
    return setLinetype(id, doSubents);
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId linetype, bool doSubents)
{
    if (AcDbLinetypeTableRecord::cast(PeekObject(linetype)) == nullptr)
        return Acad::eWrongObjectType;
    if (database() != nullptr && linetype.database() != database())
        return Acad::eWrongDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    linetype_ = linetype;
    if (doSubents)
        applyToSubents([&](AcDbEntity* sub) { sub->setLinetype(linetype, false); });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double scale, bool doSubents)
{
    if (!(scale > 0))
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    ltscale_ = scale;
    if (doSubents)
        applyToSubents([&](AcDbEntity* sub) { sub->setLinetypeScale(scale, false); });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility visibility, bool doSubents)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    visible_ = visibility == AcDb::kVisible;
    if (doSubents)
        applyToSubents([&](AcDbEntity* sub) { sub->setVisibility(visibility, false); });
    return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* database)
{
    AcDbDatabase* db = database != nullptr ? database : DatabaseFor(this);
    if (!beginModify())
        return;
    layer_ = db->clayer();
    linetype_ = db->celtype();
    color_ = AcDb::kColorByLayer;
    ltscale_ = 1.0;
}

void AcDbEntity::objectAppended()
{
    // A new entity without properties of this drawing takes the drawing's current ones.
    AcDbDatabase* db = database();
    if (layer_.isNull() || layer_.database() != db)
        layer_ = db->clayer();
    if (linetype_.isNull() || linetype_.database() != db)
        linetype_ = db->celtype();
}

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents& /*extents*/) const { return Acad::eInvalidExtents; }

Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                            std::intptr_t thisMarker, std::intptr_t otherMarker) const
{
    return intersectWith(other, type, AcGePlane::kXYPlane, points, thisMarker, otherMarker);
}

Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& /*projPlane*/,
                                            AcGePoint3dArray& points, std::intptr_t, std::intptr_t) const
{
    if (other == nullptr)
        return Acad::eNullEntityPointer;
    auto* a = AcDbCurve::cast(this);
    auto* b = AcDbCurve::cast(other);
    if (a == nullptr || b == nullptr)
        return Acad::eOk;  // no curve geometry: nothing crosses
    platform::cad::CurvePath pa, pb;
    if (!a->buildPath(pa) || !b->buildPath(pb))
        return Acad::eOk;
    bool extendThis = type == AcDb::kExtendThis || type == AcDb::kExtendBoth;
    bool extendOther = type == AcDb::kExtendArg || type == AcDb::kExtendBoth;
    for (const auto& p : pa.Intersect(pb, extendThis, extendOther))
        points.append(p);
    return Acad::eOk;
}

void AcDbEntity::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbObject::dxfOutFields(filer);
    filer->writeSubclass("AcDbEntity");
    AcDbDatabase* db = database();
    bool paper = db != nullptr && ownerId() == db->paperSpaceId();
    filer->writeInt(67, paper ? 1 : 0);
    // Every entity is on a layer for the reader: one made without a layer is on "0".
    std::string layer = layerName();
    filer->writeString(8, layer.empty() ? std::string("0") : layer);
    if (!linetype_.isNull() && (db == nullptr || linetype_ != db->byLayerLinetype()))
        filer->writeString(6, linetypeName());
    if (color_ != AcDb::kColorByLayer)
        filer->writeInt(62, color_);
    if (ltscale_ != 1.0)
        filer->writeReal(48, ltscale_);
    if (!visible_)
        filer->writeInt(60, 1);
}

Acad::ErrorStatus AcDbEntity::dxfInFields(const AcDbDxfFiler* filer)
{
    AcDbDatabase* db = DatabaseFor(this);
    AcDbObjectId layer = layer_, linetype = linetype_;
    const auto* layerTag = filer->find(8);
    if (layerTag != nullptr) {
        auto* table = AcDbLayerTable::cast(PeekObject(db->layerTableId()));
        if (table == nullptr)
            return Acad::eInvalidLayer;
        if (table->getAt(layerTag->text.c_str(), layer) != Acad::eOk)
            layer.setNull();  // created below, once everything else is known to be valid
    }
    if (const auto* t = filer->find(6)) {
        auto* table = AcDbLinetypeTable::cast(PeekObject(db->linetypeTableId()));
        if (table == nullptr || table->getAt(t->text.c_str(), linetype) != Acad::eOk)
            return Acad::eKeyNotFound;
    }
    const auto* color = filer->find(62);
    if (color != nullptr && (color->integer < 0 || color->integer > 256))
        return Acad::eInvalidInput;
    const auto* scale = filer->find(48);
    if (scale != nullptr && !(scale->real > 0))
        return Acad::eInvalidInput;
    if (layerTag != nullptr && layer.isNull()) {
        // A definition list may name a new layer: the host adds it, as entmake and entmod do.
        AcDbLayerTable* table = nullptr;
        if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk)
            return Acad::eInvalidLayer;
        auto* record = new AcDbLayerTableRecord;
        Acad::ErrorStatus es = record->setName(layerTag->text.c_str());
        if (es == Acad::eOk) {
            record->setLinetypeObjectId(db->continuousLinetype());
            es = table->add(layer, record);
        }
        if (es == Acad::eOk)
            record->close();
        else
            delete record;
        table->close();
        if (es != Acad::eOk)
            return Acad::eInvalidLayer;
    }
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    layer_ = layer;
    linetype_ = linetype;
    if (color != nullptr)
        color_ = static_cast<Adesk::UInt16>(color->integer);
    if (scale != nullptr)
        ltscale_ = scale->real;
    if (const auto* t = filer->find(60))
        visible_ = t->integer == 0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setPropertiesFrom(const AcDbEntity* other, bool doSubents)
{
    if (other == nullptr)
        return Acad::eNullEntityPointer;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    layer_ = other->layer_;
    linetype_ = other->linetype_;
    color_ = other->color_;
    ltscale_ = other->ltscale_;
    visible_ = other->visible_;
    if (doSubents)
        applyToSubents([&](AcDbEntity* sub) { sub->setPropertiesFrom(other, false); });
    return Acad::eOk;
}
