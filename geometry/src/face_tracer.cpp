#include "geometry/face_tracer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace geometry {

namespace {

constexpr double kRepeatedPoint = 1e-14;  // squared distance of end points trimmed from an edge
constexpr double kAngleTie = 1e-7;
constexpr double kRetrace = 1e-12;  // squared distance: a turn that goes straight back

// Sum over the parts as one closed sequence, taken relative to the first point so that large
// survey coordinates do not swamp small faces.
template <typename PartOf>
bool PartsClockwise(size_t count, PartOf partOf) {
    const Point2d* origin = nullptr;
    const Point2d* previous = nullptr;
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        for (const Point2d& p : partOf(i)) {
            if (!origin) origin = &p;
            if (previous) {
                sum += (p.x - previous->x) * ((p.y - origin->y) + (previous->y - origin->y));
            }
            previous = &p;
        }
    }
    if (origin && previous) sum += (origin->x - previous->x) * (previous->y - origin->y);
    return sum >= 0.0;
}

}  // namespace

bool IsPartsClockwise(const std::vector<PointList>& parts) {
    return PartsClockwise(parts.size(), [&](size_t i) -> const PointList& { return parts[i]; });
}

FaceTracer::FaceTracer() : clusters_(kPointTolerance) {}

void FaceTracer::AddEdges(const std::vector<PointList>& edges, bool forward) {
    for (const PointList& edge : edges) {
        PointList copy = edge;
        AddEdge(copy, forward);
    }
}

uint32_t FaceTracer::GetOrCreateNode(const Point2d& p) {
    bool created = false;
    const uint32_t id = clusters_.Insert(p, &created);
    if (created) {
        TopoNode node;
        node.point = p;
        nodes_.push_back(std::move(node));
    }
    return id;
}

void FaceTracer::AddEdge(PointList& points, bool forward) {
    size_t first = 0;
    while (points.size() - first >= 2 && SquaredDistance(points[first], points[first + 1]) <= kRepeatedPoint) ++first;
    if (points.size() - first < 2) return;
    points.erase(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(first));
    while (SquaredDistance(points[points.size() - 2], points.back()) <= kRepeatedPoint) {
        if (points.size() - 1 < 2) return;
        points.pop_back();
    }
    if (!forward) std::reverse(points.begin(), points.end());

    const size_t n = points.size();
    if (SquaredDistance(points.front(), points.back()) < kRepeatedPoint) {
        // A closed edge has one node at both ends; split it so each half joins two nodes.
        PointList firstHalf(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(n / 2 + 1));
        PointList secondHalf(points.begin() + static_cast<std::ptrdiff_t>(n / 2), points.end());
        AddEdge(firstHalf, true);
        AddEdge(secondHalf, true);
        return;
    }

    const uint32_t s = GetOrCreateNode(points.front());
    const uint32_t e = GetOrCreateNode(points.back());
    TopoEdge edge;
    edge.direction = 0;
    edge.firstDirection = {points[1].x - points[0].x, points[1].y - points[0].y};
    edge.angle = VectorAngle(edge.firstDirection.x, edge.firstDirection.y);
    edge.fromNode = s;
    edge.toNode = e;
    edge.points = points;
    InsertEdge(s, std::move(edge), forward);

    std::reverse(points.begin(), points.end());
    TopoEdge twin;
    twin.direction = 1;
    twin.firstDirection = {points[1].x - points[0].x, points[1].y - points[0].y};
    twin.angle = VectorAngle(twin.firstDirection.x, twin.firstDirection.y);
    twin.fromNode = e;
    twin.toNode = s;
    twin.points = points;
    InsertEdge(e, std::move(twin), forward);
}

void FaceTracer::InsertEdge(uint32_t node, TopoEdge edge, bool forward) {
    std::vector<TopoEdge>& edges = nodes_[node].edges;
    const bool beforeTies = edge.direction != (forward ? 0 : 1);
    size_t i = 0;
    for (; i < edges.size(); ++i) {
        const double listed = edges[i].angle;
        if ((beforeTies && std::fabs(listed - edge.angle) < kAngleTie) || listed < edge.angle) break;
    }
    edges.insert(edges.begin() + static_cast<std::ptrdiff_t>(i), std::move(edge));
}

void FaceTracer::PrepareNodes() {
    std::vector<uint32_t> byPoint(nodes_.size());
    for (uint32_t i = 0; i < byPoint.size(); ++i) byPoint[i] = i;
    std::sort(byPoint.begin(), byPoint.end(), [&](uint32_t a, uint32_t b) { return clusters_.Before(a, b); });

    std::vector<uint32_t> ones;
    std::vector<uint32_t> twos;
    std::vector<uint32_t> more;
    for (uint32_t id : byPoint) {
        const size_t degree = nodes_[id].edges.size();
        if (degree == 1) ones.push_back(id);
        if (degree == 2) twos.push_back(id);
        if (degree > 2) more.push_back(id);
    }

    // Chains of two-edge nodes become single long edges, so walks only stop where three or more
    // edges meet. The joins are decided first on the node links alone; the points of each long
    // edge are then gathered once along its chain, because concatenating at every join would copy
    // a long chain once per node on it.
    std::vector<size_t> firstEdge(nodes_.size() + 1, 0);
    for (size_t i = 0; i < nodes_.size(); ++i) firstEdge[i + 1] = firstEdge[i] + nodes_[i].edges.size();
    std::vector<uint32_t> originalTo(firstEdge.back());
    for (size_t i = 0; i < nodes_.size(); ++i) {
        for (size_t k = 0; k < nodes_[i].edges.size(); ++k) originalTo[firstEdge[i] + k] = nodes_[i].edges[k].toNode;
    }
    std::vector<char> joined(nodes_.size(), 0);
    std::vector<uint32_t> kept;
    for (uint32_t n : twos) {
        const uint32_t a = nodes_[n].edges[0].toNode;
        const uint32_t b = nodes_[n].edges[1].toNode;
        if (a == b) {
            kept.push_back(n);
            continue;
        }
        auto redirect = [&](uint32_t from, uint32_t to) {
            for (TopoEdge& edge : nodes_[from].edges) {
                if (edge.toNode == n) {
                    edge.toNode = to;
                    return;
                }
            }
        };
        redirect(a, b);
        redirect(b, a);
        joined[n] = 1;
    }
    for (uint32_t k = 0; k < nodes_.size(); ++k) {
        if (joined[k]) continue;
        for (size_t i = 0; i < nodes_[k].edges.size(); ++i) {
            uint32_t next = originalTo[firstEdge[k] + i];
            if (!joined[next]) continue;
            // Each edge along the chain gives its points but the last, which the next one repeats.
            TopoEdge& edge = nodes_[k].edges[i];
            PointList points(edge.points.begin(), edge.points.end() - 1);
            uint32_t previous = k;
            const PointList* last = &edge.points;
            // Every chain ends at a node that was kept, at the latest after all nodes.
            for (size_t steps = 0; joined[next] && steps < nodes_.size(); ++steps) {
                const uint32_t n = next;
                const size_t onward = originalTo[firstEdge[n]] == previous ? 1 : 0;
                last = &nodes_[n].edges[onward].points;
                points.insert(points.end(), last->begin(), last->end() - 1);
                previous = n;
                next = originalTo[firstEdge[n] + onward];
            }
            points.push_back(last->back());
            edge.points = std::move(points);
        }
    }

    walkOrder_ = std::move(more);
    walkOrder_.insert(walkOrder_.end(), kept.begin(), kept.end());
    walkOrder_.insert(walkOrder_.end(), ones.begin(), ones.end());
}

int FaceTracer::WalkFace(uint32_t start, size_t edgeIndex, int walk, bool counterClockwise) {
    // The walk is a depth-first search over turns, kept on an explicit stack: a path may pass
    // thousands of junctions. parts[0] leaves the start node and parts[k + 1] leaves path[k].node,
    // so the face is read off the stack when the walk closes.
    struct Step {
        uint32_t node;
        uint32_t previous;
        const TopoEdge* incoming;
        size_t firstCandidate;
        size_t tried;
        size_t chosen;
    };
    std::vector<Step> path;
    std::vector<const TopoEdge*> parts;

    auto enter = [&](const TopoEdge* incoming, uint32_t previous) {
        const uint32_t n = incoming->toNode;
        TopoNode& node = nodes_[n];
        node.visitMark = walk;
        // The direction back along the incoming edge; candidates are tried clockwise from it, so
        // the first is the sharpest left turn.
        const Point2d& back = incoming->points[incoming->points.size() - 2];
        const double alpha = VectorAngle(back.x - node.point.x, back.y - node.point.y);
        size_t first = 0;
        while (first < node.edges.size() && !(node.edges[first].angle < alpha)) ++first;
        path.push_back({n, previous, incoming, first, 0, 0});
    };

    const TopoEdge* startEdge = &nodes_[start].edges[edgeIndex];
    parts.push_back(startEdge);
    // An edge from the start node back to itself closes the walk at once.
    bool closed = startEdge->toNode == start;
    if (!closed) enter(startEdge, start);
    while (!closed) {
        if (path.empty()) return 2;
        Step& step = path.back();
        const std::vector<TopoEdge>& edges = nodes_[step.node].edges;
        if (step.tried == edges.size()) {
            // Dead end: back out to the node before and try its next turn.
            path.pop_back();
            parts.pop_back();
            continue;
        }
        const size_t index = (step.firstCandidate + step.tried) % edges.size();
        ++step.tried;
        const TopoEdge& candidate = edges[index];
        const Point2d& back = step.incoming->points[step.incoming->points.size() - 2];
        if (candidate.toNode == step.previous && SquaredDistance(candidate.points[1], back) < kRetrace) continue;
        if (candidate.toNode != start && nodes_[candidate.toNode].visitMark == walk) continue;
        step.chosen = index;
        parts.push_back(&candidate);
        if (candidate.toNode == start) {
            closed = true;
        } else {
            enter(&candidate, step.node);
        }
    }

    const bool clockwise =
        PartsClockwise(parts.size(), [&](size_t i) -> const PointList& { return parts[i]->points; });
    const int result = clockwise == counterClockwise ? 1 : 0;
    if (result == 0) {
        TopoFace face;
        for (const TopoEdge* part : parts) face.points.insert(face.points.end(), part->points.begin(), part->points.end() - 1);
        if (face.points.size() > 2) faces_.push_back(std::move(face));
    }

    // Every edge of a closed walk is used up, the face kept or not.
    for (auto step = path.rbegin(); step != path.rend(); ++step) {
        std::vector<TopoEdge>& edges = nodes_[step->node].edges;
        edges.erase(edges.begin() + static_cast<std::ptrdiff_t>(step->chosen));
    }
    std::vector<TopoEdge>& startEdges = nodes_[start].edges;
    startEdges.erase(startEdges.begin() + static_cast<std::ptrdiff_t>(edgeIndex));
    return result;
}

void FaceTracer::TraceFaces(int flag) {
    if (traced_) return;
    traced_ = true;
    PrepareNodes();
    const bool counterClockwise = flag != 1;
    int walk = 0;
    for (uint32_t n : walkOrder_) {
        size_t k = 0;
        while (k < nodes_[n].edges.size()) {
            ++walk;
            if (WalkFace(n, k, walk, counterClockwise) == 2) ++k;
        }
    }
}

}  // namespace geometry
