#include "platform/cad/db_2d_polyline.h"

#include <cmath>

#include "modify_guard.h"
#include "platform/cad/curve_path.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "polyline_fitting.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDb2dPolyline, "POLYLINE", AcDbCurve)

AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& points, double elevation, bool closed,
                               double defaultStartWidth, double defaultEndWidth, const AcGeDoubleArray* bulges)
    : closed_(closed), elevation_(elevation), startWidth_(defaultStartWidth), endWidth_(defaultEndWidth)
{
    for (int i = 0; i < points.length(); ++i) {
        double bulge = (bulges != nullptr && i < bulges->length()) ? (*bulges)[i] : 0.0;
        appendVertex(new AcDb2dVertex(AcGePoint3d(points[i].x, points[i].y, elevation), bulge, defaultStartWidth,
                                      defaultEndWidth));
    }
    if (type != AcDb::k2dSimplePoly)
        convertToPolyType(type);
}

namespace {
bool IsDisplayed(const AcDb2dVertex* v, AcDb::Poly2dType type)
{
    if (type == AcDb::k2dQuadSplinePoly || type == AcDb::k2dCubicSplinePoly)
        return v->vertexType() == AcDb::k2dSplineFitVertex;
    return v->vertexType() != AcDb::k2dSplineCtlVertex;
}

// Hands each shown vertex to visit in order while the spans from them run straight and visit
// agrees; false once either does not.
template <typename Visit>
bool EachStraightShown(const platform::cad::SubEntityList& vertices, AcDb::Poly2dType type, const Visit& visit)
{
    bool straight = true;
    vertices.ForEachEntity([&](const AcDbEntity* e) {
        auto* v = AcDb2dVertex::cast(e);
        if (straight && v != nullptr && IsDisplayed(v, type))
            straight = v->bulge() == 0 && visit(*v);
    });
    return straight;
}
}  // namespace

std::vector<const AcDb2dVertex*> AcDb2dPolyline::vertices() const
{
    std::vector<const AcDb2dVertex*> list;
    list.reserve(static_cast<std::size_t>(vertices_.Size()));
    vertices_.ForEachEntity([&list](const AcDbEntity* e) {
        if (auto* v = AcDb2dVertex::cast(e))
            list.push_back(v);
    });
    return list;
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDb2dVertex* vertex)
{
    AcDbObjectId id;
    Acad::ErrorStatus es = appendVertex(id, vertex);
    if (es == Acad::eOk && !id.isNull())
        vertex->close();
    return es;
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Insert(this, vertices_.Size(), vertex, id);
}

Acad::ErrorStatus AcDb2dPolyline::insertVertexAt(AcDbObjectId& newId, AcDbObjectId indexVertex, AcDb2dVertex* vertex)
{
    int pos = 0;
    if (!indexVertex.isNull()) {
        int at = vertices_.IndexOf(indexVertex);
        if (at < 0)
            return Acad::eInvalidInput;
        pos = at + 1;
    }
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Insert(this, pos, vertex, newId);
}

Acad::ErrorStatus AcDb2dPolyline::insertVertexAt(const AcDb2dVertex* indexVertex, AcDb2dVertex* vertex)
{
    int pos = 0;
    if (indexVertex != nullptr) {
        auto pending = vertices_.PendingEntities();
        pos = -1;
        for (std::size_t i = 0; i < pending.size(); ++i)
            if (pending[i] == indexVertex)
                pos = static_cast<int>(i) + 1;
        if (pos < 0 && indexVertex->isDatabaseResident()) {
            int at = vertices_.IndexOf(indexVertex->objectId());
            pos = at < 0 ? -1 : at + 1;
        }
        if (pos < 0)
            return Acad::eInvalidInput;
    }
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    AcDbObjectId id;
    Acad::ErrorStatus es = vertices_.Insert(this, pos, vertex, id);
    if (es == Acad::eOk && !id.isNull())
        vertex->close();
    return es;
}

AcDbObjectIterator* AcDb2dPolyline::vertexIterator() const
{
    return new AcDbObjectIterator(vertices_.Ids(true), vertices_.PendingEntities());
}

Acad::ErrorStatus AcDb2dPolyline::openSequenceEnd(AcDbSequenceEnd*& seqend, AcDb::OpenMode mode)
{
    seqend = nullptr;
    if (vertices_.SequenceEnd().isNull())
        return Acad::eNotInDatabase;
    return acdbOpenObject(seqend, vertices_.SequenceEnd(), mode);
}

AcGePoint3d AcDb2dPolyline::vertexPosition(const AcDb2dVertex& vertex) const
{
    AcGePoint3d p = vertex.position();
    p.z = elevation_;
    return p;
}

Acad::ErrorStatus AcDb2dPolyline::makeClosed() { DERO_MODIFY(closed_ = true); }
Acad::ErrorStatus AcDb2dPolyline::makeOpen() { DERO_MODIFY(closed_ = false); }
Acad::ErrorStatus AcDb2dPolyline::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }
Acad::ErrorStatus AcDb2dPolyline::setLinetypeGenerationOn() { DERO_MODIFY(plinegen_ = true); }
Acad::ErrorStatus AcDb2dPolyline::setLinetypeGenerationOff() { DERO_MODIFY(plinegen_ = false); }

Acad::ErrorStatus AcDb2dPolyline::setElevation(double elevation)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    elevation_ = elevation;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setDefaultStartWidth(double width)
{
    if (width < 0)
        return Acad::eInvalidInput;
    DERO_MODIFY(startWidth_ = width);
}

Acad::ErrorStatus AcDb2dPolyline::setDefaultEndWidth(double width)
{
    if (width < 0)
        return Acad::eInvalidInput;
    DERO_MODIFY(endWidth_ = width);
}

Acad::ErrorStatus AcDb2dPolyline::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

Acad::ErrorStatus AcDb2dPolyline::convertToPolyType(AcDb::Poly2dType type)
{
    if (type == AcDb::k2dSimplePoly && type_ == AcDb::k2dSimplePoly)
        return Acad::eOk;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    // The frame vertices (simple or spline control) stay the same objects, with their ids and
    // XData; the vertices an earlier fitting generated go.
    for (int pos = vertices_.Size() - 1; pos >= 0; --pos) {
        auto* v = AcDb2dVertex::cast(vertices_.At(pos));
        if (v != nullptr && (v->vertexType() == AcDb::k2dSplineFitVertex || v->vertexType() == AcDb::k2dCurveFitVertex))
            vertices_.Remove(pos);
    }
    bool wasFitted = type_ != AcDb::k2dSimplePoly;
    bool spline = type == AcDb::k2dQuadSplinePoly || type == AcDb::k2dCubicSplinePoly;
    std::vector<int> frame;
    std::vector<AcGePoint2d> points;
    for (int pos = 0; pos < vertices_.Size(); ++pos) {
        auto* v = AcDb2dVertex::cast(vertices_.At(pos));
        if (v == nullptr || v->isErased())
            continue;
        frame.push_back(pos);
        points.push_back(v->position().convert2d());
        vertices_.Modify(pos, [&](AcDbEntity* e) {
            auto* vertex = AcDb2dVertex::cast(e);
            vertex->setVertexType(spline ? AcDb::k2dSplineCtlVertex : AcDb::k2dVertex);
            // Straightening a fitted curve, or fitting anew, drops the arcs of the old fit.
            if (wasFitted || type != AcDb::k2dSimplePoly)
                vertex->setBulge(0);
            vertex->ignoreTangent();
        });
    }
    auto insertAt = [&](int pos, const AcGePoint2d& p, double bulge, AcDb::Vertex2dType kind) {
        auto* v = new AcDb2dVertex(AcGePoint3d(p.x, p.y, elevation_), bulge, startWidth_, endWidth_);
        v->setVertexType(kind);
        AcDbObjectId id;
        if (vertices_.Insert(this, pos, v, id) != Acad::eOk)
            delete v;
        else if (!id.isNull())
            v->close();
    };
    if (type == AcDb::k2dFitCurvePoly) {
        // Fitting gives each frame vertex a tangent and bulge and a generated vertex after it.
        // The generated vertices go in together: one by one into the middle, a long boundary
        // would move its vertices once for every vertex after them.
        std::vector<platform::cad::FitVertex> fit = platform::cad::CurveFit(points, closed_);
        std::vector<std::pair<int, AcDbEntity*>> generated;
        std::size_t k = 0;
        for (std::size_t i = 0; i < frame.size() && k < fit.size(); ++i) {
            const auto fv = fit[k++];
            vertices_.Modify(frame[i], [&](AcDbEntity* e) {
                auto* vertex = AcDb2dVertex::cast(e);
                vertex->setBulge(fv.bulge);
                vertex->setTangent(fv.tangent);
            });
            if (k < fit.size() && fit[k].generated) {
                auto* v = new AcDb2dVertex(AcGePoint3d(fit[k].point.x, fit[k].point.y, elevation_), fit[k].bulge,
                                           startWidth_, endWidth_);
                v->setVertexType(AcDb::k2dCurveFitVertex);
                generated.emplace_back(frame[i] + 1, v);
                ++k;
            }
        }
        std::vector<Acad::ErrorStatus> statuses;
        std::vector<AcDbObjectId> ids;
        vertices_.InsertEach(this, generated, statuses, ids);
        for (std::size_t g = 0; g < generated.size(); ++g) {
            if (statuses[g] != Acad::eOk)
                delete generated[g].second;
            else if (!ids[g].isNull())
                generated[g].second->close();
        }
    } else if (spline) {
        int degree = type == AcDb::k2dQuadSplinePoly ? 2 : 3;
        for (const auto& p : platform::cad::SplineFit(points, degree, closed_))
            insertAt(vertices_.Size(), p, 0, AcDb::k2dSplineFitVertex);
    }
    type_ = type;
    return Acad::eOk;
}

bool AcDb2dPolyline::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    std::vector<const AcDb2dVertex*> shown;
    shown.reserve(static_cast<std::size_t>(vertices_.Size()));
    vertices_.ForEachEntity([&](const AcDbEntity* e) {
        if (auto* v = AcDb2dVertex::cast(e); v != nullptr && IsDisplayed(v, type_))
            shown.push_back(v);
    });
    std::size_t n = shown.size();
    if (n == 0)
        return false;
    path.closed = closed_;
    if (n == 1) {
        AcGePoint3d p = vertexPosition(*shown[0]);
        path.AddLine(p, p, 0, 0);
        path.FromEcs(normal_);
        return true;
    }
    std::size_t count = closed_ ? n : n - 1;
    path.segments.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        path.AddBulge(vertexPosition(*shown[i]), vertexPosition(*shown[(i + 1) % n]), shown[i]->bulge(),
                      static_cast<double>(i), static_cast<double>(i + 1));
    path.FromEcs(normal_);
    return true;
}

Acad::ErrorStatus AcDb2dPolyline::getGeomExtents(AcDbExtents& extents) const
{
    // The path of straight spans at an upward normal runs through the shown vertices, all at the
    // elevation, and no farther.
    if (!(normal_.x == 0 && normal_.y == 0 && normal_.z == 1))
        return AcDbCurve::getGeomExtents(extents);
    AcDbExtents box;
    const bool straight = EachStraightShown(vertices_, type_, [&](const AcDb2dVertex& v) {
        box.addPoint(vertexPosition(v));
        return true;
    });
    if (!straight || box.isEmpty())
        return AcDbCurve::getGeomExtents(extents);
    extents = box;
    return Acad::eOk;
}

bool AcDb2dPolyline::flatStraightVertices(std::vector<AcGePoint2d>& points) const
{
    points.clear();
    if (!(normal_.x == 0 && normal_.y == 0 && normal_.z == 1))
        return false;
    const bool straight = EachStraightShown(vertices_, type_, [&](const AcDb2dVertex& v) {
        const AcGePoint3d p = vertexPosition(v);
        points.emplace_back(p.x, p.y);
        return !v.isWriteEnabled();
    });
    return straight && !points.empty();
}

AcDbCurve* AcDb2dPolyline::curveFromPath(const platform::cad::CurvePath& piece) const
{
    if (piece.segments.empty())
        return nullptr;
    // Pieces are in world coordinates: the new polyline lies flat with an upward normal.
    auto* p2d = new AcDb2dPolyline;
    double z = piece.segments.front().start.z;
    p2d->elevation_ = z;
    for (const auto& s : piece.segments)
        p2d->appendVertex(new AcDb2dVertex(AcGePoint3d(s.start.x, s.start.y, z), s.bulge()));
    if (piece.closed)
        p2d->closed_ = true;
    else
        p2d->appendVertex(new AcDb2dVertex(AcGePoint3d(piece.segments.back().end.x, piece.segments.back().end.y, z)));
    return p2d;
}

void AcDb2dPolyline::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDb2dPolyline");
    filer->writeInt(66, 1);
    filer->writePoint(10, AcGePoint3d(0, 0, elevation_));
    if (thickness_ != 0)
        filer->writeReal(39, thickness_);
    int flags = (closed_ ? 1 : 0) | (plinegen_ ? 128 : 0);
    if (type_ == AcDb::k2dFitCurvePoly)
        flags |= 2;
    else if (type_ != AcDb::k2dSimplePoly)
        flags |= 4;
    filer->writeInt(70, flags);
    filer->writeReal(40, startWidth_);
    filer->writeReal(41, endWidth_);
    int curveType = type_ == AcDb::k2dQuadSplinePoly ? 5 : type_ == AcDb::k2dCubicSplinePoly ? 6 : 0;
    if (curveType != 0)
        filer->writeInt(75, curveType);
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDb2dPolyline::dxfInFields(const AcDbDxfFiler* filer)
{
    const auto* sw = filer->find(40);
    const auto* ew = filer->find(41);
    if ((sw != nullptr && sw->real < 0) || (ew != nullptr && ew->real < 0))
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        elevation_ = t->point.z;
    if (sw != nullptr)
        startWidth_ = sw->real;
    if (ew != nullptr)
        endWidth_ = ew->real;
    if (const auto* t = filer->find(39))
        thickness_ = t->real;
    if (const auto* t = filer->find(70)) {
        // The kind is changed by convertToPolyType, which regenerates vertices; a definition list
        // changes only the closed flag and linetype generation.
        closed_ = (t->integer & 1) != 0;
        plinegen_ = (t->integer & 128) != 0;
    }
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    return Acad::eOk;
}

void AcDb2dPolyline::subObjectIds(AcDbObjectIdArray& ids) const
{
    ids.append(vertices_.Ids(true));
    if (!vertices_.SequenceEnd().isNull())
        ids.append(vertices_.SequenceEnd());
}

std::vector<AcDbEntity*> AcDb2dPolyline::pendingSubents() const { return vertices_.PendingEntities(); }

void AcDb2dPolyline::objectAppended()
{
    AcDbCurve::objectAppended();
    vertices_.MakeResident(this, true);
}

Acad::ErrorStatus AcDb2dPolyline::handOverTo(AcDbObject* newObject, bool keepXData, bool keepExtDict)
{
    // The new object brings its own geometry; this one's vertices leave the drawing with it.
    Acad::ErrorStatus es = AcDbCurve::handOverTo(newObject, keepXData, keepExtDict);
    if (es == Acad::eObjectToBeDeleted)
        vertices_.Clear(this);
    return es;
}

Acad::ErrorStatus AcDb2dPolyline::adoptSubEntity(AcDbObjectId id)
{
    if (!isDatabaseResident())
        return Acad::eNotInDatabase;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    return vertices_.Adopt(this, id);
}
