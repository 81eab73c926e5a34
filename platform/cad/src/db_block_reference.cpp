#include "platform/cad/db_block_reference.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "modify_guard.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_text.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbBlockReference, "INSERT", AcDbEntity)

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId block)
{
    if (AcDbBlockTableRecord::cast(PeekObject(block)) == nullptr)
        return Acad::eWrongObjectType;
    DERO_MODIFY(block_ = block);
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& position) { DERO_MODIFY(position_ = position); }
Acad::ErrorStatus AcDbBlockReference::setRotation(double rotation) { DERO_MODIFY(rotation_ = rotation); }

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& scale)
{
    if (scale.sx == 0 || scale.sy == 0 || scale.sz == 0)
        return Acad::eInvalidInput;
    DERO_MODIFY(scale_ = scale);
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attribute)
{
    AcDbObjectId id;
    Acad::ErrorStatus es = appendAttribute(id, attribute);
    if (es == Acad::eOk && !id.isNull())
        attribute->close();
    return es;
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Insert(this, vertices_.Size(), attribute, id);
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const
{
    return new AcDbObjectIterator(vertices_.Ids(true), vertices_.PendingEntities());
}

Acad::ErrorStatus AcDbBlockReference::openSequenceEnd(AcDbSequenceEnd*& seqend, AcDb::OpenMode mode)
{
    seqend = nullptr;
    if (vertices_.SequenceEnd().isNull())
        return Acad::eNotInDatabase;
    return acdbOpenObject(seqend, vertices_.SequenceEnd(), mode);
}

AcGePoint3d AcDbBlockReference::toWorld(const AcGePoint3d& p, const AcGePoint3d& base) const
{
    double x = (p.x - base.x) * scale_.sx, y = (p.y - base.y) * scale_.sy, z = (p.z - base.z) * scale_.sz;
    double c = std::cos(rotation_), s = std::sin(rotation_);
    return AcGePoint3d(position_.x + x * c - y * s, position_.y + x * s + y * c, position_.z + z);
}

namespace {
// The blocks whose contents are being walked, outermost first. A block that inserts itself,
// directly or through others, is drawn once and not again inside itself; nesting deeper than any
// drawing needs is cut off too, so that a hostile file cannot exhaust the stack.
class BlockWalk {
public:
    static constexpr std::size_t kDeepest = 256;

    explicit BlockWalk(AcDbObjectId block)
    {
        entered_ = Path().size() < kDeepest && std::find(Path().begin(), Path().end(), block) == Path().end();
        if (entered_)
            Path().push_back(block);
    }
    ~BlockWalk()
    {
        if (entered_)
            Path().pop_back();
    }
    BlockWalk(const BlockWalk&) = delete;
    BlockWalk& operator=(const BlockWalk&) = delete;

    bool entered() const { return entered_; }

private:
    static std::vector<AcDbObjectId>& Path()
    {
        thread_local std::vector<AcDbObjectId> path;
        return path;
    }

    bool entered_ = false;
};
}  // namespace

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const
{
    extents = AcDbExtents();
    auto* block = AcDbBlockTableRecord::cast(PeekObject(block_));
    if (block == nullptr)
        return Acad::eInvalidExtents;
    BlockWalk walk(block_);
    AcDbObjectIdArray contents;
    if (walk.entered())
        contents = block->entityIds();
    for (const auto& id : contents) {
        auto* entity = AcDbEntity::cast(PeekObject(id));
        AcDbExtents inner;
        // Attribute definitions are templates: they show through the attributes.
        if (entity == nullptr || AcDbAttributeDefinition::cast(entity) != nullptr ||
            entity->getGeomExtents(inner) != Acad::eOk)
            continue;
        const AcGePoint3d& a = inner.minPoint();
        const AcGePoint3d& b = inner.maxPoint();
        for (int k = 0; k < 8; ++k)
            extents.addPoint(toWorld(AcGePoint3d((k & 1) ? b.x : a.x, (k & 2) ? b.y : a.y, (k & 4) ? b.z : a.z),
                                     block->origin()));
    }
    for (const AcDbEntity* attribute : vertices_.Entities()) {
        AcDbExtents inner;
        if (attribute->getGeomExtents(inner) == Acad::eOk)
            extents.addExt(inner);
    }
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

void AcDbBlockReference::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    filer->writeSubclass("AcDbBlockReference");
    // A sequence end read without attributes before it is still written after the reference.
    if (vertices_.Size() > 0 || !vertices_.SequenceEnd().isNull())
        filer->writeInt(66, 1);
    auto* block = AcDbBlockTableRecord::cast(PeekObject(block_));
    filer->writeString(2, block != nullptr ? block->name() : "");
    filer->writePoint(10, position_);
    filer->writeReal(41, scale_.sx);
    filer->writeReal(42, scale_.sy);
    filer->writeReal(43, scale_.sz);
    filer->writeReal(50, rotation_);
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbBlockReference::dxfInFields(const AcDbDxfFiler* filer)
{
    AcDbObjectId block = block_;
    if (const auto* t = filer->find(2)) {
        AcDbDatabase* db = database() != nullptr ? database() : acdbHostApplicationServices()->workingDatabase();
        auto* table = AcDbBlockTable::cast(PeekObject(db->blockTableId()));
        if (table == nullptr || table->getAt(t->text.c_str(), block) != Acad::eOk)
            return Acad::eKeyNotFound;
    }
    // A reference read without the name of its block could not be written.
    if (block.isNull())
        return Acad::eKeyNotFound;
    AcGeScale3d scale = scale_;
    if (const auto* t = filer->find(41))
        scale.sx = t->real;
    if (const auto* t = filer->find(42))
        scale.sy = t->real;
    if (const auto* t = filer->find(43))
        scale.sz = t->real;
    if (scale.sx == 0 || scale.sy == 0 || scale.sz == 0)
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    block_ = block;
    scale_ = scale;
    if (const auto* t = filer->find(10))
        position_ = t->point;
    if (const auto* t = filer->find(50))
        rotation_ = t->real;
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    return Acad::eOk;
}

void AcDbBlockReference::subObjectIds(AcDbObjectIdArray& ids) const
{
    ids.append(vertices_.Ids(true));
    if (!vertices_.SequenceEnd().isNull())
        ids.append(vertices_.SequenceEnd());
}

std::vector<AcDbEntity*> AcDbBlockReference::pendingSubents() const { return vertices_.PendingEntities(); }

void AcDbBlockReference::objectAppended()
{
    AcDbEntity::objectAppended();
    vertices_.MakeResident(this, vertices_.Size() > 0);
}

Acad::ErrorStatus AcDbBlockReference::adoptSubEntity(AcDbObjectId id)
{
    if (!isDatabaseResident())
        return Acad::eNotInDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Adopt(this, id);
}
