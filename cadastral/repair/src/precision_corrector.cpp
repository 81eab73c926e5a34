#include "cadastral/precision_corrector.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cadastral/config_tables.h"
#include "cadastral/main_app_services.h"
#include "cadastral/module_resources.h"
#include "cadastral/precision_dialog.h"
#include "drawingutil/document_lock.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_set.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/ads_units.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"
#include "platform/ui/resources.h"
#include "progress_scope.h"

namespace cadastral {

using drawingutil::Opened;

namespace {

constexpr const char* kMapPatchCode = "310000";
constexpr double kMoved = 1e-6;
constexpr double kOnEdge = 1e-6;
constexpr double kSearchHalfSide = 0.001;

// Decimals that a double of this size can still tell apart: a finer step would only echo noise
// back, so such a count changes nothing.
bool Resolvable(double value, int decimals)
{
    if (decimals < 0 || !std::isfinite(value))
        return false;
    const double scaled = std::abs(value) * std::pow(10.0, decimals);
    return std::isfinite(scaled) && scaled < 9007199254740992.0;  // 2^53
}

// Rounded as the C library prints a fixed-point number.
double RoundAsPrinted(double value, int decimals)
{
    if (!Resolvable(value, decimals))
        return value;
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (length <= 0)
        return value;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    return std::strtod(text.c_str(), nullptr);
}

bool Same(const char* a, const char* b) { return platform::text::GbkEqualNoCase(a, b); }

AcGePoint3d RoundXY(const AcGePoint3d& point, int decimals)
{
    return AcGePoint3d(PrecisionCorrector::RoundToDecimals(point.x, decimals),
                       PrecisionCorrector::RoundToDecimals(point.y, decimals), point.z);
}

// True (and counted) when rounding moved the point at all.
bool Changed(const AcGePoint3d& before, const AcGePoint3d& after, int& changes)
{
    if (before.x == after.x && before.y == after.y && before.z == after.z)
        return false;
    ++changes;
    return true;
}

bool IsDistrict(const ads_name entity)
{
    std::string code, featureClass;
    GetEntityCode(entity, code);
    return FindCodeRecord(code, featureClass) && Same(featureClass.c_str(), "XZQ");
}

// Within the tolerance of the straight segment between a and b (not of the line through them).
bool OnSegment(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::max(0.0, std::min(1.0, t));
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)) <= kOnEdge;
}

// Gives the district a vertex at p when p lies on one of its straight edges and none of its
// vertices is there already. An arc edge is left whole: a vertex on its chord would bend it.
void AddSharedVertex(const ads_name district, const AcGePoint2d& p)
{
    AcGePoint2dArray vertices;
    if (!GetCurvePoints(district, vertices, 0) || vertices.isEmpty())
        return;
    Opened<AcDbObject> object(district, AcDb::kForWrite);
    AcDbPolyline* polyline = AsPolyline(object.get());
    if (polyline == nullptr)
        return;
    const int count = vertices.length();
    for (int j = 0; j < count; ++j)
        if (std::abs(vertices[j].x - p.x) <= kOnEdge && std::abs(vertices[j].y - p.y) <= kOnEdge)
            return;
    auto straight = [&](int from) {
        double bulge = 0;
        polyline->getBulgeAt(static_cast<unsigned>(from), bulge);
        return bulge == 0;
    };
    for (int j = 1; j < count; ++j) {
        if (straight(j - 1) && OnSegment(p, vertices[j - 1], vertices[j])) {
            polyline->addVertexAt(static_cast<unsigned>(j), p, 0, -1, -1);
            return;
        }
    }
    if (polyline->isClosed() && count > 2 && straight(count - 1) && OnSegment(p, vertices[count - 1], vertices[0]))
        polyline->addVertexAt(static_cast<unsigned>(count), p, 0, -1, -1);
}

void ShareWithDistricts(const AcGePoint2d& p)
{
    AcGePoint2dArray square;
    square.append(AcGePoint2d(p.x - kSearchHalfSide, p.y - kSearchHalfSide));
    square.append(AcGePoint2d(p.x + kSearchHalfSide, p.y - kSearchHalfSide));
    square.append(AcGePoint2d(p.x + kSearchHalfSide, p.y + kSearchHalfSide));
    square.append(AcGePoint2d(p.x - kSearchHalfSide, p.y + kSearchHalfSide));
    drawingutil::SelectionSet found;
    if (!SelectByPolygon(square, found.Fill(), "cp", 0, 1)) {
        found.Drop();
        return;
    }
    const int length = found.Length();
    for (int k = 0; k < length; ++k) {
        ads_name entity;
        if (found.At(k, entity) && IsDistrict(entity))
            AddSharedVertex(entity, p);
    }
}

}  // namespace

double PrecisionCorrector::RoundToDecimals(double value, int decimals)
{
    if (!Resolvable(value, decimals))
        return value;
    // The host writes at most 8 decimals, rounding halves away from zero; below 1e15 steps the
    // text it writes reads back as the whole number of steps over the step count (no negative
    // zero), so that quotient is the answer without writing and reading the text. Each
    // coordinate of a whole drawing passes here.
    const int shown = std::min(decimals, 8);
    const double scale = std::pow(10.0, shown);
    const double steps = value * scale;
    if (std::abs(steps) < 1e15) {
        const double whole = std::round(steps);
        return whole == 0.0 ? 0.0 : whole / scale;
    }
    char text[64];
    if (acdbRToS(value, 2, decimals, text) != RTNORM)
        return value;
    return std::strtod(text, nullptr);
}

void PrecisionCorrector::RoundLightweightPolyline(AcDbObjectId id, int& changes) const
{
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    AcDbPolyline* polyline = AsPolyline(object.get());
    if (polyline == nullptr)
        return;
    for (unsigned i = 0; i < polyline->numVerts(); ++i) {
        AcGePoint3d point;
        polyline->getPointAt(i, point);
        const AcGePoint3d rounded = RoundXY(point, planarDecimals_);
        if (Changed(point, rounded, changes))
            polyline->setPointAt(i, AcGePoint2d(rounded.x, rounded.y));
    }
}

// Old-style polylines, 2D and 3D: their vertices are objects of their own, each rounded in place
// with its z kept.
void PrecisionCorrector::RoundOldPolyline(AcDbObjectId id, int& changes) const
{
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    std::unique_ptr<AcDbObjectIterator> it;
    if (AcDb2dPolyline* polyline = As2dPolyline(entity.get()))
        it.reset(polyline->vertexIterator());
    else if (auto* spatial = AcDb3dPolyline::cast(entity.get()))
        it.reset(spatial->vertexIterator());
    entity.close();
    if (!it)
        return;
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDbObject> object(it->objectId(), AcDb::kForWrite);
        if (AcDb2dVertex* vertex = As2dVertex(object.get())) {
            const AcGePoint3d point = vertex->position();
            const AcGePoint3d rounded = RoundXY(point, planarDecimals_);
            if (Changed(point, rounded, changes))
                vertex->setPosition(rounded);
        } else if (auto* vertex3d = AcDb3dPolylineVertex::cast(object.get())) {
            const AcGePoint3d point = vertex3d->position();
            const AcGePoint3d rounded = RoundXY(point, planarDecimals_);
            if (Changed(point, rounded, changes))
                vertex3d->setPosition(rounded);
        }
    }
}

void PrecisionCorrector::RoundCircle(AcDbObjectId id, int& changes) const
{
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    if (AcDbCircle* circle = AsCircle(object.get())) {
        const AcGePoint3d centre = circle->center();
        const AcGePoint3d rounded = RoundXY(centre, planarDecimals_);
        if (Changed(centre, rounded, changes))
            circle->setCenter(rounded);
    }
}

void PrecisionCorrector::RoundLine(AcDbObjectId id, int& changes) const
{
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    AcDbLine* line = AsLine(object.get());
    if (line == nullptr)
        return;
    const AcGePoint3d start = line->startPoint();
    const AcGePoint3d roundedStart = RoundXY(start, planarDecimals_);
    if (Changed(start, roundedStart, changes))
        line->setStartPoint(roundedStart);
    const AcGePoint3d end = line->endPoint();
    const AcGePoint3d roundedEnd = RoundXY(end, planarDecimals_);
    if (Changed(end, roundedEnd, changes))
        line->setEndPoint(roundedEnd);
}

void PrecisionCorrector::RoundBlockReference(AcDbObjectId id, int& changes, ads_name controlPoints) const
{
    AcDbBlockReference* reference = nullptr;
    if (OpenBlockReference(reference, id, AcDb::kForWrite) != Acad::eOk)
        return;
    const std::string layer = LayerNameOf(reference);
    const AcGePoint3d position = reference->position();
    AcGePoint3d rounded = RoundXY(position, planarDecimals_);
    if (Same(layer.c_str(), "GCD"))
        rounded.z = RoundToDecimals(position.z, elevationDecimals_);
    if (Changed(position, rounded, changes))
        reference->setPosition(rounded);
    reference->close();
    if (Same(layer.c_str(), "KZD")) {
        ads_name entity;
        if (acdbGetAdsName(entity, id) == Acad::eOk)
            acedSSAdd(entity, controlPoints, controlPoints);
    }
}

void PrecisionCorrector::RoundPoint(AcDbObjectId id, int& changes) const
{
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    if (auto* point = AcDbPoint::cast(object.get())) {
        const AcGePoint3d position = point->position();
        const AcGePoint3d rounded = RoundXY(position, planarDecimals_);
        if (Changed(position, rounded, changes))
            point->setPosition(rounded);
    }
}

// Each moved vertex is written and closed before the districts around it are looked for, so that
// the selection sees the patch where it now is.
void PrecisionCorrector::RoundMapPatch(AcDbObjectId id, int& changes) const
{
    AcGePoint2dArray vertices;
    {
        Opened<AcDbObject> object(id, AcDb::kForRead);
        AcDbPolyline* polyline = AsPolyline(object.get());
        if (polyline == nullptr)
            return;
        for (unsigned i = 0; i < polyline->numVerts(); ++i) {
            AcGePoint2d point;
            polyline->getPointAt(i, point);
            vertices.append(point);
        }
    }
    for (int i = 0; i < vertices.length(); ++i) {
        const AcGePoint2d p(RoundAsPrinted(vertices[i].x, planarDecimals_),
                            RoundAsPrinted(vertices[i].y, planarDecimals_));
        if (std::abs(p.x - vertices[i].x) <= kMoved && std::abs(p.y - vertices[i].y) <= kMoved)
            continue;
        {
            Opened<AcDbObject> object(id, AcDb::kForWrite);
            AcDbPolyline* polyline = AsPolyline(object.get());
            if (polyline == nullptr)
                return;
            polyline->setPointAt(static_cast<unsigned>(i), p);
            ++changes;
        }
        ShareWithDistricts(p);
    }
}

void PrecisionCorrector::RoundByType(AcDbObjectId id, const std::string& typeName, int& changes,
                                     ads_name controlPoints) const
{
    const char* type = typeName.c_str();
    if (Same(type, "lwpolyline"))
        RoundLightweightPolyline(id, changes);
    else if (Same(type, "polyline"))
        RoundOldPolyline(id, changes);
    else if (Same(type, "circle"))
        RoundCircle(id, changes);
    else if (Same(type, "line"))
        RoundLine(id, changes);
    else if (Same(type, "insert"))
        RoundBlockReference(id, changes, controlPoints);
    else if (Same(type, "point"))
        RoundPoint(id, changes);
}

void PrecisionCorrector::CorrectDrawingPrecision()
{
    drawingutil::SelectionSet selection;
    {
        drawingutil::Chain filter(acutBuildList(-3, 1001, "MIRET", RTNONE));
        if (!filter || acedSSGet("X", nullptr, nullptr, filter.get(), selection.Fill()) != RTNORM) {
            selection.Drop();
            return;
        }
    }
    const int length = selection.Length();
    drawingutil::SelectionSet controlPoints;
    if (acedSSAdd(nullptr, nullptr, controlPoints.Fill()) != RTNORM)
        controlPoints.Drop();
    int changes = 0;
    {
        ProgressScope progress("正在修正精度....", static_cast<int>(length));
        std::string typeName, code;
        for (Adesk::Int32 i = 0; i < length; ++i) {
            progress.Step(static_cast<int>(i));
            ads_name entity;
            AcDbObjectId id;
            if (!selection.At(i, entity, id) || !GetEntityTypeName(entity, typeName))
                continue;
            GetEntityCode(entity, code);
            if (Same(code.c_str(), kMapPatchCode))
                RoundMapPatch(id, changes);
            else
                RoundByType(id, typeName, changes, controlPoints.Name());
        }
        selection.Free();
    }
    acedCommand(RTSTR, "CMDECHO", RTSTR, "0", RTNONE);
    acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "KZD", RTSTR, "", RTNONE);
    acedCommand(RTSTR, "linetype", RTSTR, "s", RTSTR, "continuous", RTSTR, "", RTNONE);
    // The main application redraws each control point at its rounded place, on "KZD".
    for (Adesk::Int32 i = 0; i < controlPoints.Length(); ++i) {
        ads_name block;
        if (controlPoints.At(i, block))
            RunRedero(block);
    }
    controlPoints.Free();
    acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "0", RTSTR, "", RTNONE);
}

void RESETPRECISION()
{
    drawingutil::DocumentLock lock;
    int planar = kMinPlanarDecimals, elevation = kMinElevationDecimals;
    {
        platform::ui::ResourceScope resources(ModuleResources());
        CPrecisionDlg dialog(acedGetAcadFrame());
        if (dialog.DoModal() != IDOK)
            return;
        planar = dialog.m_planarDecimals;
        elevation = dialog.m_elevationDecimals;
    }
    PrecisionCorrector corrector(planar, elevation);
    corrector.CorrectDrawingPrecision();
}

}  // namespace cadastral
