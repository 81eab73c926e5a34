#include "platform/cad/db_curve.h"

#include <algorithm>
#include <cmath>

#include "platform/cad/curve_path.h"
#include "platform/cad/db_polyline.h"

using platform::cad::CurvePath;

DERO_RX_DEFINE_MEMBERS(AcDbCurve, "", AcDbEntity)

AcDbCurve::AcDbCurve(const AcDbCurve& other) : AcDbEntity(other) {}

AcDbCurve::~AcDbCurve() = default;

const CurvePath* AcDbCurve::pathForQuestions(CurvePath& scratch) const
{
    if (keptPath_)
        return keptPath_.get();
    if (!buildPath(scratch))
        return nullptr;
    if (!keepsPath() || isDatabaseResident())
        return &scratch;
    keptPath_ = std::make_unique<CurvePath>(std::move(scratch));
    return keptPath_.get();
}

bool AcDbCurve::isClosed() const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return false;
    return path->closed;
}

Acad::ErrorStatus AcDbCurve::getStartParam(double& param) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    param = path->StartParam();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getEndParam(double& param) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    param = path->EndParam();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d& point) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    point = path->segments.front().start;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d& point) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    point = path->segments.back().end;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getPointAtParam(double param, AcGePoint3d& point) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    return path->PointAtParam(param, point) ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d& point, double& param) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    return path->ParamAtPoint(point, param) ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getDistAtParam(double param, double& dist) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    return path->DistAtParam(param, dist) ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getParamAtDist(double dist, double& param) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    return path->ParamAtDist(dist, param) ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getDistAtPoint(const AcGePoint3d& point, double& dist) const
{
    double param = 0;
    Acad::ErrorStatus es = getParamAtPoint(point, param);
    return es == Acad::eOk ? getDistAtParam(param, dist) : es;
}

Acad::ErrorStatus AcDbCurve::getPointAtDist(double dist, AcGePoint3d& point) const
{
    double param = 0;
    Acad::ErrorStatus es = getParamAtDist(dist, param);
    return es == Acad::eOk ? getPointAtParam(param, point) : es;
}

Acad::ErrorStatus AcDbCurve::getFirstDeriv(double param, AcGeVector3d& deriv) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    return path->DerivativeAtParam(param, deriv) ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest, bool extend) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    if (extend && path->segments.size() == 1 && !path->segments.front().arc) {
        // The whole line through the segment.
        const auto& s = path->segments.front();
        AcGeVector3d d = s.end - s.start;
        double len2 = d.dotProduct(d);
        if (len2 > 0) {
            closest = s.start + d * ((given - s.start).dotProduct(d) / len2);
            return Acad::eOk;
        }
    }
    closest = path->ClosestPoint(given);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getArea(double& area) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    area = std::abs(path->SignedArea());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getGeomExtents(AcDbExtents& extents) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eInvalidExtents;
    extents = path->Extents();
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& projPlane,
                                           AcGePoint3dArray& points, std::intptr_t thisMarker,
                                           std::intptr_t otherMarker) const
{
    const auto* curve = AcDbCurve::cast(other);
    if (curve == nullptr)
        return AcDbEntity::intersectWith(other, type, projPlane, points, thisMarker, otherMarker);
    CurvePath mineScratch, theirsScratch;
    const CurvePath* mine = pathForQuestions(mineScratch);
    const CurvePath* theirs = curve->pathForQuestions(theirsScratch);
    if (mine == nullptr || theirs == nullptr)
        return Acad::eOk;
    bool extendThis = type == AcDb::kExtendThis || type == AcDb::kExtendBoth;
    bool extendOther = type == AcDb::kExtendArg || type == AcDb::kExtendBoth;
    for (const auto& p : mine->Intersect(*theirs, extendThis, extendOther))
        points.append(p);
    return Acad::eOk;
}

void AcDbCurve::objectAppended()
{
    AcDbEntity::objectAppended();
    // A drawing's curves build their paths per question: they are many.
    forgetPath();
}

AcDbCurve* AcDbCurve::curveFromPath(const CurvePath& piece) const
{
    // The general answer is a lightweight polyline through the piece.
    if (piece.segments.empty())
        return nullptr;
    auto* pline = new AcDbPolyline;
    unsigned int n = 0;
    for (const auto& s : piece.segments)
        pline->addVertexAt(n++, s.start.convert2d(), s.bulge());
    if (piece.closed) {
        pline->setClosed(true);
    } else {
        pline->addVertexAt(n, piece.segments.back().end.convert2d(), 0);
    }
    pline->setElevation(piece.segments.front().start.z);
    return pline;
}

Acad::ErrorStatus AcDbCurve::getOffsetCurves(double distance, AcDbVoidPtrArray& curves) const
{
    CurvePath scratch, offset;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    if (distance == 0)
        return Acad::eInvalidInput;
    if (!path->Offset(distance * offsetDirection(), offset))
        return Acad::eDegenerateGeometry;
    AcDbCurve* curve = curveFromPath(offset);
    if (curve == nullptr)
        return Acad::eDegenerateGeometry;
    curve->setPropertiesFrom(this);
    curves.append(curve);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getSplitCurves(const AcGeDoubleArray& params, AcDbVoidPtrArray& curves) const
{
    CurvePath scratch;
    const CurvePath* path = pathForQuestions(scratch);
    if (path == nullptr)
        return Acad::eDegenerateGeometry;
    double start = path->StartParam(), end = path->EndParam();
    double eps = 1e-12 * std::max(1.0, std::abs(end));
    std::vector<double> cuts;
    for (double p : params) {
        if (p < start - eps || p > end + eps)
            return Acad::eInvalidInput;
        cuts.push_back(std::clamp(p, start, end));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end(), [&](double a, double b) { return b - a <= eps; }), cuts.end());
    std::vector<std::pair<double, double>> ranges;
    if (path->closed) {
        if (cuts.empty())
            return Acad::eInvalidInput;
        for (std::size_t i = 0; i + 1 < cuts.size(); ++i)
            ranges.push_back({cuts[i], cuts[i + 1]});
        ranges.push_back({cuts.back(), cuts.front() + (end - start)});
    } else {
        double from = start;
        for (double c : cuts) {
            if (c - from > eps)
                ranges.push_back({from, c});
            from = c;
        }
        if (end - from > eps)
            ranges.push_back({from, end});
    }
    for (const auto& [a, b] : ranges) {
        CurvePath piece = path->Piece(a, b);
        if (piece.segments.empty())
            continue;
        AcDbCurve* curve = curveFromPath(piece);
        if (curve == nullptr)
            continue;
        curve->setPropertiesFrom(this);
        curves.append(curve);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getSplitCurves(const AcGePoint3dArray& points, AcDbVoidPtrArray& curves) const
{
    AcGeDoubleArray params;
    for (const auto& p : points) {
        double param = 0;
        Acad::ErrorStatus es = getParamAtPoint(p, param);
        if (es != Acad::eOk)
            return es;
        params.append(param);
    }
    return getSplitCurves(params, curves);
}
