#include "gisexchange/boundary_cutting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "drawingutil/curve_kinds.h"
#include "drawingutil/distances.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/handle_keys.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/selection_reach.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"
#include "boundary_geometry.h"
#include "gisexchange/shared_lines.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/selection.h"

namespace gisexchange {

namespace {

constexpr double kMeet = 1e-5;      // points this close are one meeting point or vertex
constexpr double kOnCurve = 0.0001;  // a point this close to a curve lies on it

using CurveHolder = drawingutil::Opened<AcDbCurve>;

AcGePoint3d Flat(const AcGePoint2d& p) { return {p.x, p.y, 0}; }

bool Closest(const AcDbCurve* curve, const AcGePoint2d& p, AcGePoint2d& closest)
{
    AcGePoint3d onCurve;
    if (curve == nullptr || curve->getClosestPointTo(Flat(p), onCurve) != Acad::eOk)
        return false;
    closest = AcGePoint2d(onCurve.x, onCurve.y);
    return true;
}

bool IsPointOnOpenCurve(const AcDbCurve* curve, const AcGePoint2d& point)
{
    AcGePoint2d closest;
    if (curve == nullptr || !Closest(curve, point, closest))
        return false;
    return PointDistanceXY(closest, point.x, point.y) <= kOnCurve;
}

AcGePoint2d Middle(const AcGePoint2d& a, const AcGePoint2d& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

}  // namespace

BoundaryCurveRecord LoadBoundaryCurve(const ads_name entity, bool cancelDuplicates)
{
    BoundaryCurveRecord record;
    {
        BoundaryGeometry geometry(entity, false);
        geometry.Points(record.vertices);
        const AcDbCurve* curve = geometry.Curve();
        if (curve != nullptr) {
            for (int j = 0; j < record.vertices.length(); ++j) {
                const AcGePoint2d& vertex = record.vertices[j];
                AcGePoint3d onCurve;
                double station = 0;
                if (curve->getClosestPointTo(Flat(vertex), onCurve) == Acad::eOk)
                    curve->getDistAtPoint(onCurve, station);
                record.stations.push_back(station);
                record.breaks.push_back(0);
            }
        }
    }
    if (entity != nullptr)
        std::memcpy(record.entity, entity, sizeof(ads_name));
    std::string code;
    GetEntityCode(entity, code);
    if (code.rfind("191", 0) == 0)
        record.classes[0] = '1';
    if (code == "333000")
        record.classes[1] = '1';
    if (code == "216100")
        record.classes[2] = '1';
    if (code == "311000")
        record.classes[3] = '1';
    record.cancelDuplicates = cancelDuplicates;
    return record;
}

namespace {

// The box of the curve's vertices, brought into sight: the host selects graphically, among what
// the view shows, so that the neighbours found do not depend on where the user has zoomed.
bool ShowCurveBox(const ads_name entity, AcGePoint3d& low, AcGePoint3d& high)
{
    AcGePoint2dArray vertices;
    GetCurvePoints(entity, vertices, 0);
    if (!GetPointsExtents(vertices, low, high, 0))
        return false;
    EnsurePointsVisible(vertices, 0);
    return true;
}

// The host's selection in the mode ("C" crossing, "W" window) over the box; false when it takes
// nothing.
bool HostSelection(const char* mode, const AcGePoint3d& low, const AcGePoint3d& high, ads_name selection,
                   const resbuf* filter)
{
    ads_point corner1 = {low.x, low.y, 0}, corner2 = {high.x, high.y, 0};
    return acedSSGet(mode, corner1, corner2, filter, selection) == RTNORM;
}

// The entities of the selection, the entity itself left out, in the selection's order.
std::vector<AcDbObjectId> MembersBut(const ads_name selection, const ads_name entity)
{
    std::vector<AcDbObjectId> taken;
    Adesk::Int32 count = 0;
    acedSSLength(selection, &count);
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name member{};
        AcDbObjectId id;
        if (acedSSName(selection, i, member) == RTNORM && !(member[0] == entity[0] && member[1] == entity[1]) &&
            drawingutil::IdOfName(member, id))
            taken.push_back(id);
    }
    return taken;
}

double Magnitude(const AcGePoint2d& low, const AcGePoint2d& high)
{
    return std::max({std::fabs(low.x), std::fabs(low.y), std::fabs(high.x), std::fabs(high.y)});
}

// Whether the entity lies clearly inside the window by its box, so that a window selection over
// it, in a view that clearly holds the window, takes it when the crossing did.
bool ClearlyWithin(AcDbObjectId id, const AcGePoint2d& low, const AcGePoint2d& high)
{
    drawingutil::Opened<AcDbEntity> object(id, AcDb::kForRead);
    AcDbExtents box;
    if (!object || object->getGeomExtents(box) != Acad::eOk || box.isEmpty())
        return false;
    const AcGePoint2d boxLow(box.minPoint().x, box.minPoint().y), boxHigh(box.maxPoint().x, box.maxPoint().y);
    const double margin = drawingutil::ClearMargin(std::max(Magnitude(low, high), Magnitude(boxLow, boxHigh)));
    return drawingutil::BoxClearlyInside(boxLow, boxHigh, low, high, margin);
}

// Whether the window lies clearly inside the current view, so that what the view shows of the
// window's surroundings cannot change a selection over it.
bool ClearlyInView(const AcGePoint2d& low, const AcGePoint2d& high)
{
    AcGePoint3d viewLow, viewHigh;
    if (!GetViewWindow(viewLow, viewHigh))
        return false;
    const AcGePoint2d shownLow(viewLow.x, viewLow.y), shownHigh(viewHigh.x, viewHigh.y);
    return drawingutil::BoxClearlyInside(low, high, shownLow, shownHigh,
                                         drawingutil::ClearMargin(Magnitude(shownLow, shownHigh)));
}

// The entities the crossing over the box took, those wholly inside the box (what a window
// selection over it takes) first, then the others, each in the crossing's order. When every box
// lies clearly inside the window, in a view that clearly holds it, all are inside; else the host's
// window selection, with the crossing's corners and filter, tells which, unless only one entity
// was taken and there is no order to settle.
std::vector<AcDbObjectId> WithinFirst(const std::vector<AcDbObjectId>& taken, const AcGePoint3d& low,
                                      const AcGePoint3d& high, const resbuf* filter)
{
    if (taken.size() < 2)
        return taken;
    const AcGePoint2d windowLow(low.x, low.y), windowHigh(high.x, high.y);
    if (std::all_of(taken.begin(), taken.end(),
                    [&](AcDbObjectId id) { return ClearlyWithin(id, windowLow, windowHigh); }) &&
        ClearlyInView(windowLow, windowHigh))
        return taken;
    std::unordered_set<std::uint64_t> inWindow;
    ads_name window{};
    if (HostSelection("W", low, high, window, filter)) {
        std::vector<AcDbObjectId> ids;
        drawingutil::AppendMemberIds(window, ids);
        acedSSFree(window);
        for (AcDbObjectId id : ids)
            inWindow.insert(drawingutil::HandleKey(id.handle()));
    }
    std::vector<AcDbObjectId> ordered, crossingOnly;
    for (AcDbObjectId id : taken)
        (inWindow.count(drawingutil::HandleKey(id.handle())) != 0 ? ordered : crossingOnly).push_back(id);
    ordered.insert(ordered.end(), crossingOnly.begin(), crossingOnly.end());
    return ordered;
}

}  // namespace

bool SelectBoundaryCurves(const ads_name entity, ads_name selection)
{
    AcGePoint3d low, high;
    ads_name crossing{};
    if (!ShowCurveBox(entity, low, high) || !HostSelection("C", low, high, crossing, nullptr)) {
        selection[0] = selection[1] = 0;
        return false;
    }
    const std::vector<AcDbObjectId> taken = MembersBut(crossing, entity);
    acedSSFree(crossing);
    acedSSAdd(nullptr, nullptr, selection);
    for (AcDbObjectId id : WithinFirst(taken, low, high, nullptr)) {
        ads_name member{};
        if (acdbGetAdsName(member, id) == Acad::eOk)
            acedSSAdd(member, selection, selection);
    }
    return true;
}

bool SelectBoundaryCurves(const ads_name entity, std::vector<AcDbObjectId>& selected, const resbuf* filter)
{
    selected.clear();
    AcGePoint3d low, high;
    ads_name crossing{};
    if (!ShowCurveBox(entity, low, high) || !HostSelection("C", low, high, crossing, filter))
        return false;
    const std::vector<AcDbObjectId> taken = MembersBut(crossing, entity);
    acedSSFree(crossing);
    selected = WithinFirst(taken, low, high, filter);
    return true;
}

void MarkCurveIntersections(BoundaryCurveRecord& record, const ads_name other)
{
    std::shared_ptr<AcDbPolyline> otherCopy;
    MarkCurveIntersections(record, other, otherCopy);
}

void MarkCurveIntersections(BoundaryCurveRecord& record, const ads_name other, std::shared_ptr<AcDbPolyline>& otherCopy)
{
    // A record whose entity is no curve has no stations to place meeting points by.
    if (record.stations.size() != static_cast<std::size_t>(record.vertices.length()) ||
        record.breaks.size() != record.stations.size())
        return;
    std::vector<unsigned char> work(record.breaks.size(), 0), onOther(record.breaks.size(), 0);
    // Both curves in the plane while their meeting points are worked out.
    BoundaryGeometry mineFlat(record.entity, record.flatCopy);
    BoundaryGeometry theirsFlat(other, otherCopy);
    AcGePoint2dArray v, w;
    mineFlat.Points(v);
    theirsFlat.Points(w);
    auto flag = [&](std::size_t k) { work[k] = onOther[k] = 1; };
    const AcDbCurve* mine = mineFlat.Curve();
    const AcDbCurve* theirs = theirsFlat.Curve();
    if (mine == nullptr || theirs == nullptr)
        return;
    {
        AcGePoint3dArray hits;
        mine->intersectWith(theirs, AcDb::kOnBothOperands, hits);
        AcGePoint2dArray meetings;
        for (int j = 0; j < hits.length(); ++j) {
            const AcGePoint3d& hit = hits[j];
            meetings.append(AcGePoint2d(hit.x, hit.y));
        }
        // An end of one curve lying on the other meets it too (a T-junction, a shared stretch).
        auto addEnd = [&](BoundaryGeometry& geometry, const AcGePoint2d& end) {
            AcGePoint2d closest;
            if (geometry.IsFartherThan(end, kMeet) || !Closest(geometry.Curve(), end, closest) ||
                !(Distance2d(closest, end) < kMeet))
                return;
            for (int i = 0; i < meetings.length(); ++i)
                if (Distance2d(meetings[i], closest) < kMeet)
                    return;
            meetings.append(closest);
        };
        if (!w.isEmpty()) {
            addEnd(mineFlat, w.first());
            addEnd(mineFlat, w.last());
        }
        if (!v.isEmpty()) {
            addEnd(theirsFlat, v.first());
            addEnd(theirsFlat, v.last());
        }
        for (int i = 0; i < meetings.length(); ++i) {
            const AcGePoint2d& x = meetings[i];
            AcGePoint2d l, m;
            if (!Closest(mine, x, l) || !Closest(theirs, x, m) || !(Distance2d(l, x) < kMeet) ||
                !(Distance2d(m, x) < kMeet))
                continue;
            double s = 0;
            mine->getDistAtPoint(Flat(l), s);
            AcGePoint2dArray& vertices = record.vertices;
            std::size_t n = static_cast<std::size_t>(vertices.length());
            if (s < kMeet && n > 1 && Distance2d(vertices.first(), vertices.last()) < kMeet &&
                Distance2d(l, vertices.first()) < kMeet) {
                flag(0);
                flag(n - 1);
            }
            bool placed = false;
            for (std::size_t k = 0; k < n && !placed; ++k) {
                if (Distance2d(vertices[static_cast<int>(k)], l) < kMeet) {
                    flag(k);
                    placed = true;
                } else if (std::abs(record.stations[k]) > s) {
                    vertices.insertAt(static_cast<int>(k), l);
                    record.stations.insert(record.stations.begin() + static_cast<std::ptrdiff_t>(k), s);
                    record.breaks.insert(record.breaks.begin() + static_cast<std::ptrdiff_t>(k), 0);
                    work.insert(work.begin() + static_cast<std::ptrdiff_t>(k), 1);
                    onOther.insert(onOther.begin() + static_cast<std::ptrdiff_t>(k), 1);
                    placed = true;
                }
            }
            if (!placed) {
                vertices.append(l);
                record.stations.push_back(s);
                record.breaks.push_back(0);
                work.push_back(1);
                onOther.push_back(1);
            }
        }
    }
    {
        // Vertices lying on the other curve without meeting it there (inside a shared stretch).
        for (std::size_t k = 0; k < work.size(); ++k) {
            AcGePoint2d closest;
            const AcGePoint2d& vertex = record.vertices[static_cast<int>(k)];
            if (work[k] == 0 && !theirsFlat.IsFartherThan(vertex, kMeet) && Closest(theirs, vertex, closest) &&
                Distance2d(closest, vertex) < kMeet)
                flag(k);
        }
    }
    // A vertex whose spans on both sides run along the other curve is inside a shared stretch,
    // not at an end of it.
    const AcGePoint2dArray& p = record.vertices;
    int n = p.length();
    auto on = [&](int k) { return onOther[static_cast<std::size_t>(k)] != 0; };
    auto along = [&](int a, int b, int c) {
        return IsPointOnOpenCurve(theirs, Middle(p[a], p[b])) && IsPointOnOpenCurve(theirs, Middle(p[b], p[c]));
    };
    for (int k = 1; k <= n - 2; ++k)
        if (on(k - 1) && on(k + 1) && along(k - 1, k, k + 1))
            work[static_cast<std::size_t>(k)] = 0;
    if (n > 2) {
        if (on(0) && on(1) && on(n - 1) && along(n - 1, 0, 1))
            work[0] = 0;
        if (on(n - 1) && on(n - 2) && on(0) && along(n - 2, n - 1, 0))
            work[static_cast<std::size_t>(n - 1)] = 0;
    }
    for (std::size_t k = 0; k < work.size(); ++k)
        record.breaks[k] = record.breaks[k] || work[k] ? 1 : 0;
}

void SplitCurveAtBreaks(BoundaryCurveRecord& record, SharedLineSet& set, int value)
{
    // A record without flags (its entity was no curve) is one piece.
    bool flags = record.breaks.size() == static_cast<std::size_t>(record.vertices.length());
    AcGePoint2dArray head, current;
    bool seen = false;
    auto store = [&](const AcGePoint2dArray& piece) { record.lineRefs.push_back(AddSharedLine(record, set, piece, value)); };
    for (int k = 0; k < record.vertices.length(); ++k) {
        const AcGePoint2d& v = record.vertices[k];
        if (flags && record.breaks[static_cast<std::size_t>(k)] != 0) {
            if (!seen)
                head.append(v);
            seen = true;
            current.append(v);
            if (current.length() > 1) {
                store(current);
                current.removeAll();
                current.append(v);
            }
        } else if (!seen) {
            head.append(v);
        } else {
            current.append(v);
        }
    }
    if (GetCurveKind(record.entity, 1) < kCurveClosedOffset) {
        const AcGePoint2dArray& p = record.vertices;
        bool ring = p.length() > 0 && Distance2d(p.first(), p.last()) < kMeet;
        if (!ring) {
            if (current.length() > 1)
                store(current);
            if (head.length() > 1)
                store(head);
            return;
        }
        // Ends where it starts: the repeated point goes, and the curve is finished as a ring.
        if (!head.isEmpty())
            head.removeFirst();
        else
            current.removeLast();
    }
    current.append(head);
    if (!seen && !current.isEmpty())
        current.append(current.first());
    if (current.length() > 1)
        store(current);
}

bool IsPointOnCurve(const ads_name entity, const AcGePoint2d& point)
{
    CurveHolder curve(entity, AcDb::kForRead);
    return IsPointOnOpenCurve(curve.get(), point);
}

}  // namespace gisexchange
