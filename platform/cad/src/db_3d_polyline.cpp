#include "modify_guard.h"
#include "platform/cad/curve_path.h"
#include "platform/cad/db_2d_polyline.h"

DERO_RX_DEFINE_MEMBERS(AcDb3dPolyline, "POLYLINE", AcDbCurve)

AcDb3dPolyline::AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& points, bool closed)
    : type_(type), closed_(closed)
{
    for (const auto& p : points)
        appendVertex(new AcDb3dPolylineVertex(p));
}

Acad::ErrorStatus AcDb3dPolyline::makeClosed() { DERO_MODIFY(closed_ = true); }
Acad::ErrorStatus AcDb3dPolyline::makeOpen() { DERO_MODIFY(closed_ = false); }

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDb3dPolylineVertex* vertex)
{
    AcDbObjectId id;
    Acad::ErrorStatus es = appendVertex(id, vertex);
    if (es == Acad::eOk && !id.isNull())
        vertex->close();
    return es;
}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Insert(this, vertices_.Size(), vertex, id);
}

AcDbObjectIterator* AcDb3dPolyline::vertexIterator() const
{
    return new AcDbObjectIterator(vertices_.Ids(true), vertices_.PendingEntities());
}

std::vector<const AcDb3dPolylineVertex*> AcDb3dPolyline::vertices() const
{
    std::vector<const AcDb3dPolylineVertex*> list;
    for (const AcDbEntity* e : vertices_.Entities())
        if (auto* v = AcDb3dPolylineVertex::cast(e))
            list.push_back(v);
    return list;
}

bool AcDb3dPolyline::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    std::vector<AcGePoint3d> points;
    for (const auto* v : vertices())
        if (v->vertexType() != AcDb::k3dControlVertex)
            points.push_back(v->position());
    std::size_t n = points.size();
    if (n == 0)
        return false;
    path.closed = closed_;
    if (n == 1) {
        path.AddLine(points[0], points[0], 0, 0);
        return true;
    }
    std::size_t count = closed_ ? n : n - 1;
    for (std::size_t i = 0; i < count; ++i)
        path.AddLine(points[i], points[(i + 1) % n], static_cast<double>(i), static_cast<double>(i + 1));
    return true;
}

void AcDb3dPolyline::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDb3dPolyline");
    filer->writeInt(66, 1);
    filer->writePoint(10, AcGePoint3d());
    int flags = 8 | (closed_ ? 1 : 0) | (type_ != AcDb::k3dSimplePoly ? 4 : 0);
    filer->writeInt(70, flags);
    if (type_ != AcDb::k3dSimplePoly)
        filer->writeInt(75, type_ == AcDb::k3dQuadSplinePoly ? 5 : 6);
}

Acad::ErrorStatus AcDb3dPolyline::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(70))
        closed_ = (t->integer & 1) != 0;
    return Acad::eOk;
}

void AcDb3dPolyline::subObjectIds(AcDbObjectIdArray& ids) const
{
    ids.append(vertices_.Ids(true));
    if (!vertices_.SequenceEnd().isNull())
        ids.append(vertices_.SequenceEnd());
}

std::vector<AcDbEntity*> AcDb3dPolyline::pendingSubents() const { return vertices_.PendingEntities(); }

void AcDb3dPolyline::objectAppended()
{
    AcDbCurve::objectAppended();
    vertices_.MakeResident(this, true);
}

Acad::ErrorStatus AcDb3dPolyline::adoptSubEntity(AcDbObjectId id)
{
    if (!isDatabaseResident())
        return Acad::eNotInDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Adopt(this, id);
}
