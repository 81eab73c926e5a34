#include "cadastral/region_selection.h"

#include <cmath>
#include <string>

#include "cadastral/entity_selection.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/zoom.h"
#include "geometry/point_list_offset.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

using drawingutil::Chain;

constexpr double kMinGap = 0.001;
constexpr double kViewMargin = 3.0;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The host's point chain: each point that is not within 0.001 of the last one taken, each put in
// front, so the host sees them in reverse order (the polygon is the same). Null when memory ran out.
Chain PointChain(const geometry::PointList& points) {
    Chain chain;
    const geometry::Point2d* last = nullptr;
    for (const geometry::Point2d& p : points) {
        if (last != nullptr && std::sqrt(geometry::SquaredDistance(*last, p)) < kMinGap) continue;
        resbuf* item = acutNewRb(RTPOINT);
        if (item == nullptr) return nullptr;
        item->resval.rpoint[0] = p.x;
        item->resval.rpoint[1] = p.y;
        item->resval.rpoint[2] = 0.0;
        item->rbnext = chain.release();
        chain.reset(item);
        last = &p;
    }
    return chain;
}

}  // namespace

bool SelectByMode(ads_name selection, std::string_view mode, const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                  const resbuf* filter, std::string_view codePattern, bool zoom) {
    const std::string lower = Lower(mode);
    if (lower != "c" && lower != "w") return false;
    if (zoom) ZoomToWindow(corner1, corner2);
    const ads_point p1 = {corner1.x, corner1.y, corner1.z};
    const ads_point p2 = {corner2.x, corner2.y, corner2.z};
    return SelectWithCodePattern(lower.c_str(), p1, p2, filter, codePattern, selection);
}

bool SSGetFromPolygon(ads_name selection, std::string_view mode, const AcGePoint2dArray& points, double offset,
                      const resbuf* filter, std::string_view codePattern, bool zoom) {
    const std::string lower = Lower(mode);
    const bool fence = lower == "f";
    if (!fence && lower != "cp" && lower != "wp") return false;
    if (!fence && points.length() < 3) {
        acutPrintf("\n节点太少,不能构成面");
        return false;
    }
    // A fence needs two points; the host would only refuse fewer.
    if (fence && points.length() < 2) return false;
    if (zoom) EnsurePointsVisible(points, kViewMargin);

    geometry::PointList ring;
    for (int i = 0; i < points.length(); ++i) ring.push_back({points[i].x, points[i].y});
    if (std::fabs(offset) > kMinGap && !geometry::OffsetPointList(ring, offset, kMinGap, true)) {
        acutPrintf("\n CSelectionGet::SSGetFromPolygon 中 Offset 失败.");
        return false;
    }
    const Chain chain = PointChain(ring);
    if (!chain) return false;
    return SelectWithCodePattern(lower.c_str(), chain.get(), nullptr, filter, codePattern, selection);
}

bool SelectInPolygonByFilter(ads_name selection, std::string_view mode, const AcGePoint2dArray& points,
                             double offset, std::string_view filterText, std::string_view codePattern, bool zoom) {
    const Chain filter(BuildEntityFilter(filterText));
    return SSGetFromPolygon(selection, mode, points, offset, filter.get(), codePattern, zoom);
}

}  // namespace cadastral
