#include "gisexchange/region_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "gisexchange/cell_index.h"

namespace gisexchange {

namespace {

// Points closer than this (squared) are one node; repeated end points of a piece are dropped.
constexpr double kSameNode = 1e-14;
// The piece just walked, taken backwards, is recognised by its second point within this.
constexpr double kSamePiece = 1e-6;
// Node cells are wider than the node tolerance, so a match lies in the point's cell or a neighbour.
constexpr double kCell = 1e-6;

double SquaredDistance(const AcGePoint2d& a, const AcGePoint2d& b)
{
    double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

void InsertByAngle(RegionNode& node, std::unique_ptr<RegionEdge> edge)
{
    auto at = std::find_if(node.edges.begin(), node.edges.end(),
                           [&](const std::unique_ptr<RegionEdge>& e) { return e->angle < edge->angle; });
    node.edges.insert(at, std::move(edge));
}

std::unique_ptr<RegionEdge> MakeEdge(RegionNode* from, RegionNode* to, const AcGePoint2dArray& points)
{
    auto edge = std::make_unique<RegionEdge>();
    edge->points = points;
    edge->direction = points[1] - points[0];
    edge->angle = edge->direction.angle();
    edge->from = from;
    edge->to = to;
    return edge;
}

std::unique_ptr<RegionEdge> TakeEdge(RegionNode& node, const RegionEdge* edge)
{
    for (auto it = node.edges.begin(); it != node.edges.end(); ++it) {
        if (it->get() == edge) {
            std::unique_ptr<RegionEdge> taken = std::move(*it);
            node.edges.erase(it);
            return taken;
        }
    }
    return nullptr;
}

// The walk of one face, from `first` (leaving `start`). It turns at each node to the first
// half-edge clockwise from the way it came in, and backs out of dead ends and of nodes already
// entered in this pass to try the next candidate. 1 when it came back to `start` clockwise, 0
// counter-clockwise, 2 when no ring closed. On 0 and 1 `parts` holds the half-edges of the ring
// and every half-edge of it but `first` has been moved from its node into `consumed`.
//
// Rings can run to many thousands of half-edges, so the walk keeps its own stack.
int TraceRing(RegionEdge* first, RegionNode* start, int pass, std::vector<const AcGePoint2dArray*>& parts,
              std::vector<std::unique_ptr<RegionEdge>>& consumed)
{
    struct Frame {
        RegionNode* node;
        RegionNode* previous;
        const AcGePoint2d* cameFrom;  // the second-to-last point of the incoming piece
        std::size_t k;                // first candidate: the first half-edge clockwise of the way back
        std::size_t tried;            // candidates given up so far
    };
    std::vector<Frame> stack;
    constexpr int kEntered = -1;

    auto enter = [&](RegionNode* node, RegionNode* previous, const AcGePoint2dArray& incoming) {
        parts.push_back(&incoming);
        if (node == start)
            return IsRingPartsClockwise(parts) ? 1 : 0;
        if (node->mark == pass) {
            parts.pop_back();
            return 2;
        }
        node->mark = pass;
        const AcGePoint2d& back = incoming[incoming.length() - 2];
        double backAngle = (back - node->position).angle();
        std::size_t k = 0;
        while (k < node->edges.size() && !(node->edges[k]->angle < backAngle))
            ++k;
        stack.push_back({node, previous, &back, k, 0});
        return kEntered;
    };

    int result = enter(first->to, start, first->points);
    while (!stack.empty()) {
        std::size_t top = stack.size() - 1;
        if (result == 0 || result == 1) {
            // The candidate being tried closed the ring: it is used up, and so is this node's part.
            Frame& frame = stack[top];
            std::size_t count = frame.node->edges.size();
            const RegionEdge* used = frame.node->edges[(frame.k + frame.tried) % count].get();
            consumed.push_back(TakeEdge(*frame.node, used));
            stack.pop_back();
            continue;
        }
        if (result == 2)
            ++stack[top].tried;
        result = 2;
        while (true) {
            Frame& frame = stack[top];
            std::size_t count = frame.node->edges.size();
            if (frame.tried >= count)
                break;
            RegionEdge* candidate = frame.node->edges[(frame.k + frame.tried) % count].get();
            if (candidate->to == frame.previous &&
                SquaredDistance(candidate->points[1], *frame.cameFrom) <= kSamePiece * kSamePiece) {
                ++frame.tried;
                continue;
            }
            result = enter(candidate->to, frame.node, candidate->points);
            if (result == 2) {
                ++stack[top].tried;
                continue;
            }
            break;
        }
        if (result == 2) {
            // Every candidate failed: back out of this node.
            parts.pop_back();
            stack.pop_back();
        }
    }
    return result;
}

}  // namespace

struct RegionBuilder::Cells {
    struct Key {
        std::int64_t x, y;
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull ^
                                              static_cast<std::uint64_t>(k.y));
        }
    };
    std::unordered_map<Key, std::vector<std::size_t>, Hash> map;
};

RegionNode* FindOrAddNode(RegionBuilder& builder, const AcGePoint2d& point)
{
    if (!builder.cells)
        builder.cells = std::make_shared<RegionBuilder::Cells>();
    std::int64_t cx = CellIndex(point.x, kCell), cy = CellIndex(point.y, kCell);
    std::size_t best = builder.nodes.size();
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            auto it = builder.cells->map.find({cx + dx, cy + dy});
            if (it == builder.cells->map.end())
                continue;
            for (std::size_t index : it->second)
                if (index < best && SquaredDistance(builder.nodes[index]->position, point) < kSameNode)
                    best = index;
        }
    }
    if (best < builder.nodes.size())
        return builder.nodes[best].get();
    auto node = std::make_unique<RegionNode>();
    node->position = point;
    builder.cells->map[{cx, cy}].push_back(builder.nodes.size());
    builder.nodes.push_back(std::move(node));
    return builder.nodes.back().get();
}

void AddPieces(RegionBuilder& builder, std::vector<AcGePoint2dArray>& pieces)
{
    for (AcGePoint2dArray& piece : pieces)
        AddPiece(builder, piece);
}

void AddPiece(RegionBuilder& builder, AcGePoint2dArray& points)
{
    if (points.length() < 2)
        return;
    while (points.length() >= 2 && SquaredDistance(points[0], points[1]) <= kSameNode)
        points.removeAt(0);
    if (points.length() < 2)
        return;
    while (points.length() >= 2 && SquaredDistance(points[points.length() - 2], points.last()) <= kSameNode)
        points.removeLast();
    if (points.length() < 2)
        return;
    int n = points.length();
    if (SquaredDistance(points[0], points[n - 1]) < kSameNode) {
        // A closed piece becomes two halves between its start and its middle vertex.
        AcGePoint2dArray first, second;
        for (int i = 0; i <= n / 2; ++i)
            first.append(points[i]);
        for (int i = n / 2; i < n; ++i)
            second.append(points[i]);
        AddPiece(builder, first);
        AddPiece(builder, second);
        return;
    }
    RegionNode* a = FindOrAddNode(builder, points[0]);
    RegionNode* b = FindOrAddNode(builder, points.last());
    InsertByAngle(*a, MakeEdge(a, b, points));
    ReversePoint2dArray(points);
    InsertByAngle(*b, MakeEdge(b, a, points));
}

void OrderNodesByDegree(RegionBuilder& builder)
{
    for (auto& list : builder.byDegree)
        list.clear();
    for (const auto& node : builder.nodes) {
        std::size_t degree = node->edges.size();
        if (degree >= 3)
            builder.byDegree[0].push_back(node.get());
        else if (degree == 2)
            builder.byDegree[1].push_back(node.get());
        else if (degree == 1)
            builder.byDegree[2].push_back(node.get());
    }
}

void AssembleRegions(RegionBuilder& builder)
{
    OrderNodesByDegree(builder);
    int pass = 0;
    std::vector<const AcGePoint2dArray*> parts;
    std::vector<std::unique_ptr<RegionEdge>> consumed;
    for (const auto& list : builder.byDegree) {
        for (RegionNode* node : list) {
            std::size_t c = 0;
            while (c < node->edges.size()) {
                RegionEdge* edge = node->edges[c].get();
                ++pass;
                parts.clear();
                consumed.clear();
                int r = TraceRing(edge, node, pass, parts, consumed);
                if (r == 2) {
                    ++c;
                    continue;
                }
                if (r == 0) {
                    AcGePoint2dArray ring;
                    for (const AcGePoint2dArray* part : parts)
                        for (int i = 0; i + 1 < part->length(); ++i)
                            ring.append((*part)[i]);
                    if (ring.length() > 2)
                        builder.rings.push_back(std::move(ring));
                }
                parts.clear();
                consumed.clear();
                node->edges.erase(node->edges.begin() + static_cast<std::ptrdiff_t>(c));
            }
        }
    }
}

double RingArea(const AcGePoint2dArray& points)
{
    double sum = 0;
    int n = points.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& p = points[i == 0 ? n - 1 : i - 1];
        const AcGePoint2d& q = points[i];
        sum += (q.x - p.x) * (q.y + p.y) / 2;
    }
    return -sum;
}

void ReversePoint2dArray(AcGePoint2dArray& points)
{
    int n = points.length();
    for (int i = 0; i < n / 2; ++i)
        std::swap(points[i], points[n - 1 - i]);
}

bool IsRingPartsClockwise(const std::vector<const AcGePoint2dArray*>& parts)
{
    double sum = 0;
    const AcGePoint2d* first = nullptr;
    const AcGePoint2d* last = nullptr;
    for (const AcGePoint2dArray* part : parts) {
        for (int i = 0; i < part->length(); ++i) {
            const AcGePoint2d& p = (*part)[i];
            if (last != nullptr)
                sum += (p.x - last->x) * (p.y + last->y) / 2;
            else
                first = &p;
            last = &p;
        }
    }
    if (first != nullptr)
        sum += (first->x - last->x) * (first->y + last->y) / 2;
    return sum >= 0;
}

}  // namespace gisexchange
