#include "platform/cad/db_block_reference.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "block_extents_walk.h"
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
using platform::cad::ObjectStub;

// The blocks whose contents are being walked, outermost first, and the boxes (in block
// coordinates) of the contents of each block measured in this walk. A block that inserts itself,
// directly or through others, is drawn once and not again inside itself; nesting deeper than any
// drawing needs is cut off too, so that a hostile file cannot exhaust the stack.
struct WalkState {
    static constexpr std::size_t kDeepest = 256;

    std::vector<ObjectStub*> path;
    std::unordered_map<ObjectStub*, std::vector<AcDbExtents>> contents;
    int walks = 0;
};

WalkState& State()
{
    thread_local WalkState state;
    return state;
}

// The boxes of the entities of a block, each measured once per walk. None for a block already
// being walked or nested too deep.
const std::vector<AcDbExtents>& ContentBoxes(const AcDbBlockTableRecord& block)
{
    static const std::vector<AcDbExtents> kNone;
    WalkState& state = State();
    ObjectStub* key = block.objectId().stub();
    if (auto found = state.contents.find(key); found != state.contents.end())
        return found->second;
    if (state.path.size() >= WalkState::kDeepest ||
        std::find(state.path.begin(), state.path.end(), key) != state.path.end())
        return kNone;
    state.path.push_back(key);
    std::vector<AcDbExtents> boxes;
    for (const auto& id : block.entityIds()) {
        auto* entity = AcDbEntity::cast(PeekObject(id));
        AcDbExtents inner;
        // Attribute definitions are templates: they show through the attributes.
        if (entity == nullptr || AcDbAttributeDefinition::cast(entity) != nullptr ||
            entity->getGeomExtents(inner) != Acad::eOk)
            continue;
        boxes.push_back(inner);
    }
    state.path.pop_back();
    // References stay valid as the map grows.
    return state.contents.emplace(key, std::move(boxes)).first->second;
}
}  // namespace

platform::cad::BlockExtentsWalk::BlockExtentsWalk() { ++State().walks; }

platform::cad::BlockExtentsWalk::~BlockExtentsWalk()
{
    if (--State().walks == 0)
        State().contents.clear();
}

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const
{
    extents = AcDbExtents();
    auto* block = AcDbBlockTableRecord::cast(PeekObject(block_));
    if (block == nullptr)
        return Acad::eInvalidExtents;
    // A reference measured on its own is a walk of its own.
    platform::cad::BlockExtentsWalk walk;
    for (const AcDbExtents& inner : ContentBoxes(*block)) {
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
    filer->writeAngle(50, rotation_);
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
        rotation_ = filer->angleOf(*t);
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
