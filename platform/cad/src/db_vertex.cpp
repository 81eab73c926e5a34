#include "platform/cad/db_vertex.h"

#include "modify_guard.h"

DERO_RX_DEFINE_MEMBERS(AcDbVertex, "", AcDbEntity)
DERO_RX_DEFINE_MEMBERS(AcDb2dVertex, "VERTEX", AcDbVertex)
DERO_RX_DEFINE_MEMBERS(AcDb3dPolylineVertex, "VERTEX", AcDbVertex)
DERO_RX_DEFINE_MEMBERS(AcDbSequenceEnd, "SEQEND", AcDbEntity)

AcDb2dVertex::AcDb2dVertex(const AcGePoint3d& position, double bulge, double startWidth, double endWidth, double tangent)
    : position_(position), bulge_(bulge), startWidth_(startWidth), endWidth_(endWidth), tangent_(tangent)
{
}

Acad::ErrorStatus AcDb2dVertex::setVertexType(AcDb::Vertex2dType type) { DERO_MODIFY(type_ = type); }
Acad::ErrorStatus AcDb2dVertex::setPosition(const AcGePoint3d& position) { DERO_MODIFY(position_ = position); }
Acad::ErrorStatus AcDb2dVertex::setBulge(double bulge) { DERO_MODIFY(bulge_ = bulge); }
Acad::ErrorStatus AcDb2dVertex::setTangent(double tangent) { DERO_MODIFY((tangent_ = tangent, tangentUsed_ = true)); }
Acad::ErrorStatus AcDb2dVertex::useTangent() { DERO_MODIFY(tangentUsed_ = true); }
Acad::ErrorStatus AcDb2dVertex::ignoreTangent() { DERO_MODIFY(tangentUsed_ = false); }

Acad::ErrorStatus AcDb2dVertex::setStartWidth(double width)
{
    if (width < 0)
        return Acad::eInvalidInput;
    DERO_MODIFY(startWidth_ = width);
}

Acad::ErrorStatus AcDb2dVertex::setEndWidth(double width)
{
    if (width < 0)
        return Acad::eInvalidInput;
    DERO_MODIFY(endWidth_ = width);
}

Acad::ErrorStatus AcDb2dVertex::getGeomExtents(AcDbExtents& extents) const
{
    extents.set(position_, position_);
    return Acad::eOk;
}

namespace {
int VertexFlags(AcDb::Vertex2dType type, bool tangentUsed)
{
    int flags = tangentUsed ? 2 : 0;
    switch (type) {
    case AcDb::k2dCurveFitVertex:
        return flags | 1;
    case AcDb::k2dSplineFitVertex:
        return flags | 8;
    case AcDb::k2dSplineCtlVertex:
        return flags | 16;
    default:
        return flags;
    }
}
}  // namespace

void AcDb2dVertex::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbVertex::dxfOutFields(filer);
    filer->writeSubclass("AcDbVertex");
    filer->writeSubclass("AcDb2dVertex");
    filer->writePoint(10, position_);
    filer->writeReal(40, startWidth_);
    filer->writeReal(41, endWidth_);
    filer->writeReal(42, bulge_);
    filer->writeInt(70, VertexFlags(type_, tangentUsed_));
    filer->writeAngle(50, tangent_);
}

Acad::ErrorStatus AcDb2dVertex::dxfInFields(const AcDbDxfFiler* filer)
{
    const auto* sw = filer->find(40);
    const auto* ew = filer->find(41);
    if ((sw != nullptr && sw->real < 0) || (ew != nullptr && ew->real < 0))
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbVertex::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        position_ = t->point;
    if (sw != nullptr)
        startWidth_ = sw->real;
    if (ew != nullptr)
        endWidth_ = ew->real;
    if (const auto* t = filer->find(42))
        bulge_ = t->real;
    if (const auto* t = filer->find(50))
        tangent_ = filer->angleOf(*t);
    if (const auto* t = filer->find(70)) {
        int flags = static_cast<int>(t->integer);
        tangentUsed_ = (flags & 2) != 0;
        type_ = (flags & 16)  ? AcDb::k2dSplineCtlVertex
                : (flags & 8) ? AcDb::k2dSplineFitVertex
                : (flags & 1) ? AcDb::k2dCurveFitVertex
                              : AcDb::k2dVertex;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolylineVertex::setVertexType(AcDb::Vertex3dType type) { DERO_MODIFY(type_ = type); }
Acad::ErrorStatus AcDb3dPolylineVertex::setPosition(const AcGePoint3d& position) { DERO_MODIFY(position_ = position); }

Acad::ErrorStatus AcDb3dPolylineVertex::getGeomExtents(AcDbExtents& extents) const
{
    extents.set(position_, position_);
    return Acad::eOk;
}

void AcDb3dPolylineVertex::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbVertex::dxfOutFields(filer);
    filer->writeSubclass("AcDbVertex");
    filer->writeSubclass("AcDb3dPolylineVertex");
    filer->writePoint(10, position_);
    int flags = 32 | (type_ == AcDb::k3dControlVertex ? 16 : 0) | (type_ == AcDb::k3dFitVertex ? 8 : 0);
    filer->writeInt(70, flags);
}

Acad::ErrorStatus AcDb3dPolylineVertex::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbVertex::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        position_ = t->point;
    if (const auto* t = filer->find(70))
        type_ = (t->integer & 16) ? AcDb::k3dControlVertex : (t->integer & 8) ? AcDb::k3dFitVertex : AcDb::k3dSimpleVertex;
    return Acad::eOk;
}

void AcDbSequenceEnd::dxfOutFields(AcDbDxfFiler* filer) const { AcDbEntity::dxfOutFields(filer); }
