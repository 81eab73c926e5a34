#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "geometry/face_tracer.h"

namespace geometry {
namespace {

double SignedArea(const PointList& ring) {
    double sum = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const Point2d& p = ring[i];
        const Point2d& q = ring[(i + 1) % ring.size()];
        sum += p.x * q.y - q.x * p.y;
    }
    return sum / 2;
}

std::vector<TopoFace> Trace(const std::vector<PointList>& edges, int flag) {
    FaceTracer tracer;
    tracer.AddEdges(edges, true);
    tracer.TraceFaces(flag);
    return tracer.Faces();
}

// Every side of a set of unit cells as its own two-point edge, shared sides once.
std::vector<PointList> CellEdges(const std::vector<std::pair<int, int>>& cells) {
    std::vector<PointList> edges;
    auto add = [&](double x0, double y0, double x1, double y1) {
        const PointList edge{{x0, y0}, {x1, y1}};
        const PointList reverse{{x1, y1}, {x0, y0}};
        if (std::find(edges.begin(), edges.end(), edge) == edges.end() &&
            std::find(edges.begin(), edges.end(), reverse) == edges.end()) {
            edges.push_back(edge);
        }
    };
    for (auto [x, y] : cells) {
        add(x, y, x + 1, y);
        add(x + 1, y, x + 1, y + 1);
        add(x + 1, y + 1, x, y + 1);
        add(x, y + 1, x, y);
    }
    return edges;
}

TEST(FaceTracer, CellsAndOutlines) {
    const std::vector<PointList> twoSquares = CellEdges({{0, 0}, {1, 0}});
    const std::vector<TopoFace> outline = Trace(twoSquares, 1);
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].points.size(), 6u);
    EXPECT_NEAR(SignedArea(outline[0].points), -2, 1e-12);
    const std::vector<TopoFace> cells = Trace(twoSquares, 0);
    ASSERT_EQ(cells.size(), 2u);
    for (const TopoFace& cell : cells) {
        EXPECT_EQ(cell.points.size(), 4u);
        EXPECT_NEAR(SignedArea(cell.points), 1, 1e-12);
    }
    // Any flag other than 1 traces cells.
    EXPECT_EQ(Trace(twoSquares, 7).size(), 2u);

    const std::vector<PointList> triangle{{{0, 0}, {4, 0}}, {{4, 0}, {0, 3}}, {{0, 3}, {0, 0}}};
    const std::vector<TopoFace> ccw = Trace(triangle, 0);
    const std::vector<TopoFace> cw = Trace(triangle, 1);
    ASSERT_EQ(ccw.size(), 1u);
    ASSERT_EQ(cw.size(), 1u);
    EXPECT_NEAR(SignedArea(ccw[0].points), 6, 1e-12);
    EXPECT_NEAR(SignedArea(cw[0].points), -6, 1e-12);
    EXPECT_EQ(ccw[0].points.size(), 3u);

    // A free-hanging edge from a corner is in no ring.
    std::vector<PointList> withTail = CellEdges({{0, 0}});
    withTail.push_back({{1, 1}, {3, 3}});
    for (int flag : {0, 1}) {
        const std::vector<TopoFace> faces = Trace(withTail, flag);
        ASSERT_EQ(faces.size(), 1u);
        EXPECT_EQ(faces[0].points.size(), 4u);
        for (const Point2d& p : faces[0].points) EXPECT_LE(p.x, 1);
    }

    // An arc and its chord, both given as chords, join the same two nodes and make no ring.
    EXPECT_TRUE(Trace({{{0, 0}, {2, 0}}, {{0, 0}, {2, 0}}}, 0).empty());
    EXPECT_TRUE(Trace({{{0, 0}, {2, 0}}, {{2, 0}, {0, 0}}}, 1).empty());
}

TEST(FaceTracer, EdgesAreTrimmedAndSplit) {
    FaceTracer tracer;
    // A closed edge is split at its middle point into two edges between two nodes.
    PointList closed{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    tracer.AddEdge(closed, true);
    ASSERT_EQ(tracer.Nodes().size(), 2u);
    EXPECT_EQ(tracer.Nodes()[0].edges.size(), 2u);
    EXPECT_EQ(tracer.Nodes()[1].point, (Point2d{1, 1}));

    // Repeated end points are trimmed; an edge whose points all coincide adds nothing.
    PointList repeated{{5, 5}, {5, 5 + 1e-8}, {6, 5}, {6, 5}};
    tracer.AddEdge(repeated, false);
    EXPECT_EQ(repeated, (PointList{{5, 5 + 1e-8}, {6, 5}}));
    PointList point{{7, 7}, {7, 7}, {7, 7 + 1e-8}};
    tracer.AddEdge(point, true);
    EXPECT_EQ(tracer.Nodes().size(), 4u);

    // Edges leaving a node in the same direction: a forward edge goes after those it ties with,
    // a reverse twin before them; otherwise the largest angle comes first.
    FaceTracer ties;
    PointList bent{{0, 0}, {1, 0}, {1, 1}};
    PointList straight{{0, 0}, {2, 0}};
    PointList up{{0, 0}, {0, 3}};
    PointList back{{3, 0}, {0, 0}};
    ties.AddEdge(bent, true);
    ties.AddEdge(straight, true);
    ties.AddEdge(up, true);
    ties.AddEdge(back, false);  // added reversed: its forward edge leaves (0, 0) along the x axis
    const std::vector<TopoEdge>& atOrigin = ties.Nodes()[0].edges;
    ASSERT_EQ(atOrigin.size(), 4u);
    EXPECT_EQ(atOrigin[0].toNode, ties.GetOrCreateNode({0, 3}));
    EXPECT_EQ(atOrigin[1].toNode, ties.GetOrCreateNode({3, 0}));
    EXPECT_EQ(atOrigin[2].toNode, ties.GetOrCreateNode({1, 1}));
    EXPECT_EQ(atOrigin[3].toNode, ties.GetOrCreateNode({2, 0}));

    tracer.TraceFaces(0);
    ASSERT_EQ(tracer.Faces().size(), 1u);
    EXPECT_EQ(tracer.Faces()[0].points.size(), 4u);
    EXPECT_NEAR(SignedArea(tracer.Faces()[0].points), 1, 1e-12);
    tracer.TraceFaces(0);  // traces once
    EXPECT_EQ(tracer.Faces().size(), 1u);
}

TEST(FaceTracer, FacesThroughOneNodeTwice) {
    // Two squares touching at a corner: the outline walk meets (1, 1) twice, backs out of the
    // second visit and ends with one outline per square.
    const std::vector<TopoFace> outlines = Trace(CellEdges({{0, 0}, {1, 1}}), 1);
    ASSERT_EQ(outlines.size(), 2u);
    for (const TopoFace& face : outlines) EXPECT_NEAR(SignedArea(face.points), -1, 1e-12);
    const std::vector<TopoFace> cells = Trace(CellEdges({{0, 0}, {1, 1}}), 0);
    ASSERT_EQ(cells.size(), 2u);
    for (const TopoFace& face : cells) EXPECT_NEAR(SignedArea(face.points), 1, 1e-12);
}

TEST(FaceTracer, LongChainsOfJunctionsNeedNoDeepRecursion) {
    // A strip of 10 000 cells: 20 000 junctions of three edges, all on one outline walk.
    std::vector<PointList> edges;
    const int n = 10000;
    for (int x = 0; x < n; ++x) {
        edges.push_back({{double(x), 0}, {double(x + 1), 0}});
        edges.push_back({{double(x), 1}, {double(x + 1), 1}});
    }
    for (int x = 0; x <= n; ++x) edges.push_back({{double(x), 0}, {double(x), 1}});
    const std::vector<TopoFace> outline = Trace(edges, 1);
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].points.size(), 2u * (n + 1));
    EXPECT_NEAR(SignedArea(outline[0].points), -n, 1e-6);
    EXPECT_EQ(Trace(edges, 0).size(), static_cast<size_t>(n));
}

}  // namespace
}  // namespace geometry
