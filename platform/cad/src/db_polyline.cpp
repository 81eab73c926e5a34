#include "platform/cad/db_polyline.h"

#include <cmath>

#include "modify_guard.h"
#include "platform/cad/curve_path.h"
#include "platform/cad/db_2d_polyline.h"

DERO_RX_DEFINE_MEMBERS(AcDbPolyline, "LWPOLYLINE", AcDbCurve)

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge,
                                            double startWidth, double endWidth)
{
    if (index > vertices_.size())
        return Acad::eInvalidIndex;
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(bulge))
        return Acad::eInvalidInput;
    // A width of -1 means "no width of its own": the constant width.
    Vertex v{point, bulge, startWidth < 0 ? constantWidth_ : startWidth, endWidth < 0 ? constantWidth_ : endWidth};
    DERO_MODIFY(vertices_.insert(vertices_.begin() + index, v); forgetPath());
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index)
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    DERO_MODIFY(vertices_.erase(vertices_.begin() + index); forgetPath());
}

Acad::ErrorStatus AcDbPolyline::reset(bool reuse, unsigned int numVerts)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    if (!reuse)
        vertices_.clear();
    else if (numVerts < vertices_.size())
        vertices_.resize(numVerts);
    forgetPath();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& point) const
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    point = vertices_[index].point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& point) const
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    point.set(vertices_[index].point.x, vertices_[index].point.y, elevation_);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& point)
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    DERO_MODIFY(vertices_[index].point = point; forgetPath());
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    bulge = vertices_[index].bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge)
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    DERO_MODIFY(vertices_[index].bulge = bulge; forgetPath());
}

Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    startWidth = vertices_[index].startWidth;
    endWidth = vertices_[index].endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth)
{
    if (index >= vertices_.size())
        return Acad::eInvalidIndex;
    if (startWidth < 0 || endWidth < 0)
        return Acad::eInvalidInput;
    DERO_MODIFY((vertices_[index].startWidth = startWidth, vertices_[index].endWidth = endWidth));
}

Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const
{
    width = constantWidth_;
    for (const auto& v : vertices_)
        if (v.startWidth != vertices_.front().startWidth || v.endWidth != vertices_.front().startWidth)
            return Acad::eInvalidInput;
    if (!vertices_.empty())
        width = vertices_.front().startWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width)
{
    if (width < 0)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    constantWidth_ = width;
    for (auto& v : vertices_)
        v.startWidth = v.endWidth = width;
    return Acad::eOk;
}

void AcDbPolyline::setClosed(bool closed)
{
    if (beginModify()) {
        closed_ = closed;
        forgetPath();
    }
}

void AcDbPolyline::setPlinegen(bool on)
{
    if (beginModify())
        plinegen_ = on;
}

void AcDbPolyline::setElevation(double elevation)
{
    if (beginModify()) {
        elevation_ = elevation;
        forgetPath();
    }
}

Acad::ErrorStatus AcDbPolyline::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }

Acad::ErrorStatus AcDbPolyline::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal(); forgetPath());
}

bool AcDbPolyline::hasBulges() const
{
    for (const auto& v : vertices_)
        if (v.bulge != 0)
            return true;
    return false;
}

bool AcDbPolyline::hasWidth() const
{
    for (const auto& v : vertices_)
        if (v.startWidth != 0 || v.endWidth != 0)
            return true;
    return false;
}

bool AcDbPolyline::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    std::size_t n = vertices_.size();
    if (n == 0)
        return false;
    path.closed = closed_;
    if (n == 1) {
        AcGePoint3d p(vertices_[0].point.x, vertices_[0].point.y, elevation_);
        path.AddLine(p, p, 0, 0);
        path.FromEcs(normal_);
        return true;
    }
    std::size_t count = closed_ ? n : n - 1;
    path.segments.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Vertex& a = vertices_[i];
        const Vertex& b = vertices_[(i + 1) % n];
        path.AddBulge(AcGePoint3d(a.point.x, a.point.y, elevation_), AcGePoint3d(b.point.x, b.point.y, elevation_),
                      a.bulge, static_cast<double>(i), static_cast<double>(i + 1));
    }
    path.FromEcs(normal_);
    return true;
}

Acad::ErrorStatus AcDbPolyline::getGeomExtents(AcDbExtents& extents) const
{
    // The path of straight spans at an upward normal runs through the vertices and no farther.
    if (vertices_.empty() || !(normal_.x == 0 && normal_.y == 0 && normal_.z == 1) || hasBulges())
        return AcDbCurve::getGeomExtents(extents);
    AcDbExtents box;
    for (const Vertex& v : vertices_)
        box.addPoint(AcGePoint3d(v.point.x, v.point.y, elevation_));
    extents = box;
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

AcDbCurve* AcDbPolyline::curveFromPath(const platform::cad::CurvePath& piece) const
{
    // Pieces are in world coordinates: the new polyline lies flat with an upward normal.
    return AcDbCurve::curveFromPath(piece);
}

Acad::ErrorStatus AcDbPolyline::convertTo(AcDb2dPolyline*& result, bool transferId)
{
    result = nullptr;
    if (transferId && !isWriteEnabled())
        return Acad::eNotOpenForWrite;
    auto* p2d = new AcDb2dPolyline;
    p2d->closed_ = closed_;
    p2d->elevation_ = elevation_;
    p2d->normal_ = normal_;
    p2d->thickness_ = thickness_;
    p2d->plinegen_ = plinegen_;
    p2d->startWidth_ = p2d->endWidth_ = constantWidth_;
    for (const auto& v : vertices_) {
        auto* vertex = new AcDb2dVertex(AcGePoint3d(v.point.x, v.point.y, elevation_), v.bulge, v.startWidth, v.endWidth);
        vertex->setPropertiesFrom(this, false);
        p2d->appendVertex(vertex);
    }
    p2d->setPropertiesFrom(this, true);
    if (transferId && isDatabaseResident()) {
        // The 2D polyline takes this one's place: id, handle, XData, groups. The host reports that
        // the old object is now to be deleted.
        Acad::ErrorStatus es = handOverTo(p2d, true, true);
        if (es != Acad::eObjectToBeDeleted) {
            delete p2d;
            return es;
        }
        result = p2d;
        return Acad::eObjectToBeDeleted;
    }
    result = p2d;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::convertFrom(AcDbEntity*& source, bool transferId)
{
    auto* p2d = AcDb2dPolyline::cast(source);
    if (p2d == nullptr)
        return Acad::eIllegalEntityType;
    if (p2d->polyType() != AcDb::k2dSimplePoly)
        return Acad::eIllegalEntityType;
    if (isDatabaseResident())
        return Acad::eAlreadyInDb;
    vertices_.clear();
    forgetPath();
    for (const AcDb2dVertex* v : p2d->vertices())
        vertices_.push_back(Vertex{v->position().convert2d(), v->bulge(), v->startWidth(), v->endWidth()});
    closed_ = p2d->isClosed();
    elevation_ = p2d->elevation();
    normal_ = p2d->normal();
    thickness_ = p2d->thickness();
    plinegen_ = p2d->isLinetypeGenerationOn();
    setPropertiesFrom(p2d, false);
    if (transferId && p2d->isDatabaseResident()) {
        Acad::ErrorStatus es = p2d->handOverTo(this, true, true);
        if (es != Acad::eObjectToBeDeleted)
            return es;
        return Acad::eObjectToBeDeleted;
    }
    return Acad::eOk;
}

void AcDbPolyline::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDbPolyline");
    filer->writeInt(90, static_cast<std::int64_t>(vertices_.size()));
    filer->writeInt(70, (closed_ ? 1 : 0) | (plinegen_ ? 128 : 0));
    double width = 0;
    if (getConstantWidth(width) == Acad::eOk)
        filer->writeReal(43, width);
    filer->writeReal(38, elevation_);
    filer->writeReal(39, thickness_);
    for (const auto& v : vertices_) {
        filer->writePoint(10, AcGePoint3d(v.point.x, v.point.y, 0));
        filer->writeReal(40, v.startWidth);
        filer->writeReal(41, v.endWidth);
        filer->writeReal(42, v.bulge);
    }
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbPolyline::dxfInFields(const AcDbDxfFiler* filer)
{
    // Vertices: each 10 starts one; 40, 41 and 42 after it belong to it. The list replaces the
    // vertices only when it names any.
    std::vector<Vertex> vertices;
    double constant = constantWidth_;
    if (const auto* t = filer->find(43)) {
        if (t->real < 0)
            return Acad::eInvalidInput;
        constant = t->real;
    }
    for (const auto& tag : filer->tags()) {
        if (tag.code == 10) {
            vertices.push_back(Vertex{tag.point.convert2d(), 0, constant, constant});
        } else if (!vertices.empty() && (tag.code == 40 || tag.code == 41)) {
            if (tag.real < 0)
                return Acad::eInvalidInput;
            (tag.code == 40 ? vertices.back().startWidth : vertices.back().endWidth) = tag.real;
        } else if (!vertices.empty() && tag.code == 42) {
            if (!std::isfinite(tag.real))
                return Acad::eInvalidInput;
            vertices.back().bulge = tag.real;
        }
    }
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    constantWidth_ = constant;
    forgetPath();
    if (!vertices.empty())
        vertices_ = std::move(vertices);
    if (const auto* t = filer->find(70)) {
        closed_ = (t->integer & 1) != 0;
        plinegen_ = (t->integer & 128) != 0;
    }
    if (const auto* t = filer->find(38))
        elevation_ = t->real;
    if (const auto* t = filer->find(39))
        thickness_ = t->real;
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    return Acad::eOk;
}
