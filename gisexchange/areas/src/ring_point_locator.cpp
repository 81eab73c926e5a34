#include "gisexchange/ring_point_locator.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "drawingutil/point_rings.h"

namespace gisexchange {

namespace {

constexpr double kSamePoint = 1e-6;  // consecutive ring points closer than this are one
constexpr double kOnLine = 1e-6;     // the side band, of the cross product or of the distance
constexpr double kShortPiece = 1e-7;  // cut pieces this short or shorter are dropped
constexpr double kProjection = 1e-14;

double SquaredDistance(const AcGePoint2d& a, const AcGePoint2d& b)
{
    double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// The end of the segment nearer the point (ties take the end), the other one after it.
std::pair<AcGePoint2d, AcGePoint2d> BaseAndOther(const BoundarySegment& segment, const AcGePoint2d& point)
{
    if (SquaredDistance(point, segment.end) > SquaredDistance(point, segment.start))
        return {segment.start, segment.end};
    return {segment.end, segment.start};
}

double Cross(const AcGeVector2d& a, const AcGeVector2d& b) { return a.x * b.y - a.y * b.x; }

// A splitter with its unit direction worked out once per tree node. Classifying is the inner loop
// of the build (quadratic for convex rings), so it works on plain numbers.
struct Splitter {
    double sx, sy, ex, ey, ux, uy;
    Splitter(const BoundarySegment& s, const AcGeVector2d& unit)
        : sx(s.start.x), sy(s.start.y), ex(s.end.x), ey(s.end.y), ux(unit.x), uy(unit.y)
    {
    }
    // Signed distance from the line, measured from the splitter's end nearer the point.
    double Distance(const AcGePoint2d& p) const
    {
        double fx = p.x - sx, fy = p.y - sy, tx = p.x - ex, ty = p.y - ey;
        if (tx * tx + ty * ty > fx * fx + fy * fy)
            return fx * uy - fy * ux;
        return tx * uy - ty * ux;
    }
};

int ClassifyAgainst(const Splitter& splitter, const BoundarySegment& segment, BoundarySegment& front,
                    BoundarySegment& back)
{
    double ds = splitter.Distance(segment.start);
    double de = splitter.Distance(segment.end);
    if (std::abs(ds) < kOnLine && std::abs(de) < kOnLine)
        return 0;
    if (std::abs(ds) >= kOnLine && std::abs(de) >= kOnLine && (ds > 0) != (de > 0)) {
        double t = ds / (ds - de);
        AcGePoint2d cut = segment.start + (segment.end - segment.start) * t;
        BoundarySegment first = MakeBoundarySegment(segment.start, cut);
        BoundarySegment second = MakeBoundarySegment(cut, segment.end);
        front = ds > 0 ? first : second;
        back = ds > 0 ? second : first;
        return 2;
    }
    // An end within the band counts as on the line, whatever the sign of its rounding: it goes
    // with the other end.
    if (std::abs(ds) < kOnLine)
        ds = 0;
    if (std::abs(de) < kOnLine)
        de = 0;
    return ds > 0 || de > 0 ? 1 : -1;
}

}  // namespace

BoundarySegment MakeBoundarySegment(const AcGePoint2d& start, const AcGePoint2d& end)
{
    return {start, end, start.distanceTo(end)};
}

SegmentBspNode::~SegmentBspNode()
{
    std::vector<std::unique_ptr<SegmentBspNode>> pending;
    if (front)
        pending.push_back(std::move(front));
    if (back)
        pending.push_back(std::move(back));
    while (!pending.empty()) {
        std::unique_ptr<SegmentBspNode> node = std::move(pending.back());
        pending.pop_back();
        if (node->front)
            pending.push_back(std::move(node->front));
        if (node->back)
            pending.push_back(std::move(node->back));
    }
}

std::vector<BoundarySegment> BuildRingSegments(AcGePoint2dArray& ring)
{
    std::vector<BoundarySegment> segments;
    if (ring.length() < 2)
        return segments;
    if (ring.first().distanceTo(ring.last()) > kSamePoint)
        ring.append(ring.first());
    bool clockwise = IsRingClockwise(ring);
    // Consecutive duplicates are squeezed out in one sweep rather than one removal at a time.
    AcGePoint2dArray kept;
    kept.setPhysicalLength(ring.length());
    kept.append(ring[0]);
    for (int i = 1; i < ring.length(); ++i) {
        if (kept.last().distanceTo(ring[i]) <= kSamePoint)
            continue;
        const AcGePoint2d& from = kept.last();
        segments.push_back(clockwise ? MakeBoundarySegment(ring[i], from) : MakeBoundarySegment(from, ring[i]));
        kept.append(ring[i]);
    }
    kept.removeLast();
    ring = kept;
    return segments;
}

int SideOfSegment(const BoundarySegment& segment, const AcGePoint2d& point)
{
    AcGePoint2d base = BaseAndOther(segment, point).first;
    double v = Cross(point - base, segment.end - segment.start);
    if (std::abs(v) < kOnLine)
        return 0;
    return v > 0 ? 1 : -1;
}

bool IsPointOnSegment(const BoundarySegment& segment, const AcGePoint2d& point)
{
    auto [base, other] = BaseAndOther(segment, point);
    AcGeVector2d along = other - base;
    double d = along.dotProduct(point - base);
    if (d < -kProjection)
        return false;
    return d <= along.dotProduct(along) + kProjection;
}

int ClassifySegment(const BoundarySegment& splitter, const BoundarySegment& segment, BoundarySegment& front,
                    BoundarySegment& back)
{
    return ClassifyAgainst(Splitter(splitter, (splitter.end - splitter.start).normal()), segment, front, back);
}

void InsertByLength(std::vector<BoundarySegment>& list, const BoundarySegment& segment)
{
    // Segments mostly arrive longest first: then they simply go at the end.
    if (list.empty() || !(list.back().length < segment.length)) {
        list.push_back(segment);
        return;
    }
    auto at = std::upper_bound(list.begin(), list.end(), segment,
                               [](const BoundarySegment& s, const BoundarySegment& e) { return s.length > e.length; });
    list.insert(at, segment);
}

void BuildBspNode(SegmentBspNode& root, std::vector<BoundarySegment> list)
{
    // A ring of many vertices can make a tree as deep as it has edges: the pending subtrees wait
    // on a list of our own rather than on the call stack.
    std::vector<std::pair<SegmentBspNode*, std::vector<BoundarySegment>>> work;
    work.emplace_back(&root, std::move(list));
    auto longestFirst = [](const BoundarySegment& a, const BoundarySegment& b) { return a.length > b.length; };
    while (!work.empty()) {
        SegmentBspNode* node = work.back().first;
        std::vector<BoundarySegment> segments = std::move(work.back().second);
        work.pop_back();
        node->front.reset();
        node->back.reset();
        node->splitter = segments.front();
        node->coincident.assign(1, segments.front());
        const Splitter splitter(node->splitter, (node->splitter.end - node->splitter.start).normal());
        // The back list takes over the node's own list in place (in a deep tree nearly every
        // segment goes the same way); both lists receive segments in arrival order and are put in
        // decreasing length afterwards, equal lengths in arrival order, as inserting each by its
        // length would leave them.
        std::vector<BoundarySegment> frontList;
        std::size_t kept = 0;
        for (std::size_t i = 1; i < segments.size(); ++i) {
            BoundarySegment frontPiece, backPiece;
            switch (ClassifyAgainst(splitter, segments[i], frontPiece, backPiece)) {
            case -1:
                segments[kept++] = segments[i];
                break;
            case 1:
                frontList.push_back(segments[i]);
                break;
            case 0:
                node->coincident.push_back(segments[i]);
                break;
            default:
                if (frontPiece.length > kShortPiece)
                    frontList.push_back(frontPiece);
                if (backPiece.length > kShortPiece)
                    segments[kept++] = backPiece;
                break;
            }
        }
        segments.resize(kept);
        for (std::vector<BoundarySegment>* side : {&frontList, &segments})
            if (!std::is_sorted(side->begin(), side->end(), longestFirst))
                std::stable_sort(side->begin(), side->end(), longestFirst);
        if (!frontList.empty()) {
            node->front = std::make_unique<SegmentBspNode>();
            work.emplace_back(node->front.get(), std::move(frontList));
        }
        if (!segments.empty()) {
            node->back = std::make_unique<SegmentBspNode>();
            work.emplace_back(node->back.get(), std::move(segments));
        }
    }
}

int LocateInBspNode(const SegmentBspNode& start, const AcGePoint2d& point)
{
    // Nodes whose splitter line holds the point ask their front subtree first and, unless that
    // finds the point on the boundary, answer as their back subtree does; they wait here.
    std::vector<const SegmentBspNode*> waiting;
    const SegmentBspNode* node = &start;
    while (true) {
        int answer = 0;
        int side = SideOfSegment(node->splitter, point);
        if (side == 1) {
            if (node->front) {
                node = node->front.get();
                continue;
            }
            answer = 1;
        } else if (side == -1) {
            if (node->back) {
                node = node->back.get();
                continue;
            }
            answer = -1;
        } else {
            bool on = std::any_of(node->coincident.begin(), node->coincident.end(),
                                  [&](const BoundarySegment& s) { return IsPointOnSegment(s, point); });
            if (on) {
                answer = 0;
            } else if (node->front) {
                waiting.push_back(node);
                node = node->front.get();
                continue;
            } else if (node->back) {
                node = node->back.get();
                continue;
            } else {
                answer = 1;
            }
        }
        const SegmentBspNode* next = nullptr;
        while (next == nullptr && !waiting.empty()) {
            const SegmentBspNode* parent = waiting.back();
            waiting.pop_back();
            if (answer != 0 && parent->back)
                next = parent->back.get();
        }
        if (next == nullptr)
            return answer;
        node = next;
    }
}

RingPointLocator::RingPointLocator(AcGePoint2dArray& ring) : segments(BuildRingSegments(ring))
{
    std::stable_sort(segments.begin(), segments.end(),
                     [](const BoundarySegment& a, const BoundarySegment& b) { return a.length > b.length; });
    if (!segments.empty()) {
        root = std::make_unique<SegmentBspNode>();
        BuildBspNode(*root, segments);
    }
}

int LocatePoint(const RingPointLocator& locator, const AcGePoint2d& point)
{
    return locator.root ? LocateInBspNode(*locator.root, point) : 1;
}

}  // namespace gisexchange
