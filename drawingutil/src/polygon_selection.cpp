#include "drawingutil/polygon_selection.h"

#include <cmath>

#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

#include "drawingutil/host_settings.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

// Room around the polygon when the view is widened to it.
constexpr double kViewMargin = 3.0;
// Offsets and point gaps below this count as none.
constexpr double kMinOffset = 0.001;
constexpr double kMinGap = 0.001;

// The host's mode for one of ours; null for a mode we do not offer.
const char* HostMode(const char* mode)
{
    using platform::text::GbkEqualNoCase;
    const char* text = TextOrEmpty(mode);
    for (const char* known : {"WP", "CP", "F"}) {
        if (GbkEqualNoCase(text, known))
            return known;
    }
    return GbkEqualNoCase(text, "FX") ? "F" : nullptr;
}

// Each vertex moved by the offset along the bisector of its two edges, which for a clockwise ring
// points into it.
AcGePoint2dArray BisectorRing(const AcGePoint2dArray& ring, double offset)
{
    AcGePoint2dArray moved;
    int n = ring.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& v = ring[i];
        const AcGePoint2d& p = ring[(i + n - 1) % n];
        const AcGePoint2d& q = ring[(i + 1) % n];
        double a1 = std::atan2(p.y - v.y, p.x - v.x), a2 = std::atan2(q.y - v.y, q.x - v.x);
        double d = std::fmod(a2 - a1, 2 * M_PI);
        if (d < 0)
            d += 2 * M_PI;
        double a = a1 + d / 2;
        moved.append(AcGePoint2d(v.x + offset * std::cos(a), v.y + offset * std::sin(a)));
    }
    return moved;
}

AcGePoint2dArray InsetRing(AcGePoint2dArray ring, double offset)
{
    if (!IsRingClockwise(ring))
        ring.reverse();
    AcGePoint2dArray inset;
    OffsetPointRing(ring, offset, 1, inset);
    // The host's offset loses corners of narrow or self-touching rings; then each corner moves.
    if (inset.length() < 2 * ring.length() / 3)
        inset = BisectorRing(ring, offset);
    return inset;
}

// The polygon without points that repeat the one kept before.
AcGePoint2dArray WithoutRepeats(const AcGePoint2dArray& polygon) {
    AcGePoint2dArray kept;
    for (int i = 0; i < polygon.length(); ++i) {
        const AcGePoint2d& p = polygon[i];
        if (kept.length() > 0 && kept.last().distanceTo(p) < kMinGap)
            continue;
        kept.append(p);
    }
    return kept;
}

// The host's point list for the selection, z 0.
Chain PointChain(const AcGePoint2dArray& polygon)
{
    Chain chain;
    resbuf* last = nullptr;
    for (int i = 0; i < polygon.length(); ++i) {
        const AcGePoint2d& p = polygon[i];
        resbuf* item = acutNewRb(RTPOINT);
        item->resval.rpoint[0] = p.x;
        item->resval.rpoint[1] = p.y;
        item->resval.rpoint[2] = 0;
        if (last == nullptr)
            chain.reset(item);
        else
            last->rbnext = item;
        last = item;
    }
    return chain;
}

// The steps of every polygon selection: the view widened to the points, the pick style off, the
// polygon the host is handed made from the points, `select` run on it, then the pick style and,
// when asked, the view put back. What `select` returns.
template <typename Select>
bool AroundSelection(const AcGePoint2dArray& points, const char* hostMode, double offset, int restoreView,
                     Select select) {
    AcGePoint3d viewLow, viewHigh;
    bool remembered = restoreView == 1 && GetViewWindow(viewLow, viewHigh);
    EnsurePointsVisible(points, kViewMargin);
    // Group selection would pull in members outside the polygon; the user's setting comes back
    // once the host has selected.
    int pickStyle = DisablePickStyle();
    const bool inset = platform::text::GbkEqualNoCase(hostMode, "WP") && std::fabs(offset) > kMinOffset;
    bool selected = select(WithoutRepeats(inset ? InsetRing(points, offset) : points));
    RestorePickStyle(pickStyle);
    if (remembered)
        ZoomToWindow(viewLow, viewHigh);
    return selected;
}

}  // namespace

bool SelectByPolygon(AcGePoint2dArray points, ads_name selection, const char* mode, double offset,
                     int restoreView, const resbuf* filter) {
    const char* hostMode = HostMode(mode);
    if (hostMode == nullptr)
        return false;
    return AroundSelection(points, hostMode, offset, restoreView, [&](const AcGePoint2dArray& polygon) {
        Chain chain = PointChain(polygon);
        return acedSSGet(hostMode, chain.get(), nullptr, filter, selection) == RTNORM;
    });
}

bool SelectByPolygon(const AcGePoint2dArray& points, const char* mode, double offset, int restoreView,
                     const PolygonAnswer& answer, std::vector<AcDbObjectId>& selected) {
    selected.clear();
    const char* hostMode = HostMode(mode);
    if (hostMode == nullptr)
        return false;
    return AroundSelection(points, hostMode, offset, restoreView, [&](const AcGePoint2dArray& polygon) {
        AcGePoint3d viewLow, viewHigh;
        if (answer && GetViewWindow(viewLow, viewHigh) &&
            answer(polygon, AcGePoint2d(viewLow.x, viewLow.y), AcGePoint2d(viewHigh.x, viewHigh.y), selected))
            return !selected.empty();
        selected.clear();
        Chain chain = PointChain(polygon);
        ads_name set{};
        if (acedSSGet(hostMode, chain.get(), nullptr, nullptr, set) != RTNORM)
            return false;
        Adesk::Int32 count = 0;
        acedSSLength(set, &count);
        for (Adesk::Int32 i = 0; i < count; ++i) {
            ads_name member{};
            AcDbObjectId id;
            if (acedSSName(set, i, member) == RTNORM && acdbGetObjectId(id, member) == Acad::eOk)
                selected.push_back(id);
        }
        acedSSFree(set);
        return true;
    });
}
