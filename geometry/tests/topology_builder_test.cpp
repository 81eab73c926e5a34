#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/topology_builder.h"

namespace geometry {
namespace {

PointList Box(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}

DoubleList Flat(const PointList& ring) { return DoubleList(ring.size(), 0.0); }

std::vector<TopoSegment> Cut(const std::vector<PointList>& rings, const std::vector<DoubleList>& bulges) {
    TopologyBuilder builder;
    for (size_t i = 0; i < rings.size(); ++i) builder.AddPolyline(rings[i], bulges[i]);
    builder.CutSegments();
    return builder.Pieces().Ordered();
}

double SignedArea(const PointList& ring) {
    double sum = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const Point2d& p = ring[i];
        const Point2d& q = ring[(i + 1) % ring.size()];
        sum += p.x * q.y - q.x * p.y;
    }
    return sum / 2;
}

TEST(TopologyBuilder, CutsRingsIntoSharedPieces) {
    // Two unit squares sharing a side, drawn in opposite directions: the side is one piece.
    const PointList left = Box(0, 0, 1, 1);
    const PointList right{{1, 0}, {1, 1}, {2, 1}, {2, 0}, {1, 0}};
    EXPECT_EQ(Cut({left, right}, {Flat(left), Flat(right)}).size(), 7u);

    // A square whose side is crossed by another square: both are cut at the two crossings.
    const PointList crossing = Box(0.5, 0.25, 1.5, 0.75);
    const std::vector<TopoSegment> pieces = Cut({left, crossing}, {Flat(left), Flat(crossing)});
    EXPECT_EQ(pieces.size(), 12u);
    int atCrossings = 0;
    for (const TopoSegment& piece : pieces) {
        for (const Point2d& end : {piece.start, piece.end}) {
            if (end == Point2d{1, 0.25} || end == Point2d{1, 0.75}) ++atCrossings;
        }
    }
    EXPECT_EQ(atCrossings, 8);  // each crossing ends two pieces of each ring

    // Cut parameters 5e-8 apart are one cut, the first in sorted order: a triangle touches the
    // bottom side of a large square at x = 500 and 5e-5 further on (5e-8 of that side).
    const PointList large = Box(0, 0, 1000, 1000);
    const PointList touching{{500, 0}, {500.00005, 0}, {500, -1}, {500, 0}};
    const std::vector<TopoSegment> near = Cut({large, touching}, {Flat(large), Flat(touching)});
    auto hasPiece = [&](const Point2d& p, const Point2d& q) {
        for (const TopoSegment& piece : near) {
            if ((piece.start == p && piece.end == q) || (piece.start == q && piece.end == p)) return true;
        }
        return false;
    };
    EXPECT_TRUE(hasPiece({0, 0}, {500, 0}));
    EXPECT_TRUE(hasPiece({500, 0}, {1000, 0}));
    EXPECT_FALSE(hasPiece({500.00005, 0}, {1000, 0}));
}

TEST(TopologyBuilder, ArcsKeepTheirCurvature) {
    // One arc segment closed by its chord, cut at its middle by a vertical line ring.
    const double b = 0.5;
    const PointList arc{{0, 0}, {2, 0}, {0, 0}};
    const DoubleList arcBulges{b, 0, 0};
    const Point2d middle{1, -b};  // the sagitta of bulge b over a half chord of 1
    const PointList post = Box(1, -2, 3, 2);
    const std::vector<TopoSegment> pieces = Cut({arc, post}, {arcBulges, Flat(post)});
    int halves = 0;
    for (const TopoSegment& piece : pieces) {
        if (std::fabs(piece.bulge) < 1e-12) continue;
        ++halves;
        EXPECT_NEAR(std::fabs(piece.bulge), std::tan(std::atan(b) * 0.5), 1e-12);
        const double toMiddle = std::min(SquaredDistance(piece.start, middle), SquaredDistance(piece.end, middle));
        EXPECT_LT(toMiddle, 1e-18);
    }
    EXPECT_EQ(halves, 2);

    // Two parcels sharing a curved side, each drawing it in its own direction, at survey
    // coordinates: the arc is one piece and the faces meet along its chord.
    for (const Point2d origin : {Point2d{0, 0}, Point2d{500000.123, 3000000.456}}) {
        auto at = [&](double x, double y) { return Point2d{origin.x + x, origin.y + y}; };
        const PointList south{at(0, 0), at(20, 0), at(20, -10), at(0, -10), at(0, 0)};
        const PointList north{at(20, 0), at(0, 0), at(0, 10), at(20, 10), at(20, 0)};
        const DoubleList southBulges{0.3, 0, 0, 0, 0};
        const DoubleList northBulges{-0.3, 0, 0, 0, 0};
        EXPECT_EQ(Cut({south, north}, {southBulges, northBulges}).size(), 7u);
        std::vector<PointList> faces;
        std::vector<DoubleList> faceBulges;
        ASSERT_TRUE(BuildRingFaces({south, north}, {southBulges, northBulges}, faces, faceBulges, true));
        ASSERT_EQ(faces.size(), 1u);
        EXPECT_EQ(faces[0].size(), 6u);
        ASSERT_TRUE(BuildRingFaces({south, north}, {southBulges, northBulges}, faces, faceBulges, false));
        EXPECT_EQ(faces.size(), 2u);
    }

    // Rings whose point boxes do not touch are never cut, even when an arc bulges across.
    const PointList bulging{{0, 0}, {2, 0}, {0, 0}};
    const DoubleList bulgingBulges{1, 0, 0};  // the half circle reaches down to y = -1
    const PointList below = Box(0.5, -0.9, 1.5, -0.5);
    EXPECT_EQ(Cut({bulging, below}, {bulgingBulges, Flat(below)}).size(), 2u + 4u);
}

class RecordingProgress : public ProgressSink {
public:
    void ShowProgressMeter(const char* label, int range) override {
        shown.push_back(std::string(label) + ":" + std::to_string(range));
    }
    void SetProgressPosition(int position) override { last = position; ++positions; }
    void RestoreStatusBar() override { ++restored; }
    void PumpMessages() override { pumpedAt.push_back(last); }

    std::vector<std::string> shown;
    int last = -1;
    int positions = 0;
    int restored = 0;
    std::vector<int> pumpedAt;
};

TEST(TopologyBuilder, ProgressAboveFourHundredRings) {
    for (int count : {400, 401}) {
        std::vector<PointList> rings;
        std::vector<DoubleList> bulges;
        for (int i = 0; i < count; ++i) {
            rings.push_back(Box(i * 2.0, 0, i * 2.0 + 1, 1));
            bulges.push_back(Flat(rings.back()));
        }
        RecordingProgress progress;
        std::vector<PointList> faces;
        std::vector<DoubleList> faceBulges;
        ASSERT_TRUE(BuildRingFaces(rings, bulges, faces, faceBulges, true, progress));
        EXPECT_EQ(faces.size(), static_cast<size_t>(count));
        if (count == 400) {
            EXPECT_TRUE(progress.shown.empty());
            EXPECT_EQ(progress.positions, 0);
            EXPECT_TRUE(progress.pumpedAt.empty());
            EXPECT_EQ(progress.restored, 0);
        } else {
            EXPECT_EQ(progress.shown, std::vector<std::string>{"正在切割...:401"});
            EXPECT_EQ(progress.positions, 401);
            ASSERT_EQ(progress.pumpedAt.size(), 21u);
            for (size_t k = 0; k < 21; ++k) EXPECT_EQ(progress.pumpedAt[k], static_cast<int>(k * 20));
            EXPECT_EQ(progress.restored, 1);
        }
    }
}

TEST(TopologyBuilder, BuildRingFaces) {
    std::vector<PointList> faces{{{9, 9}}};
    std::vector<DoubleList> faceBulges{{1}};
    EXPECT_TRUE(BuildRingFaces({}, {}, faces, faceBulges, true));
    EXPECT_TRUE(faces.empty());
    EXPECT_TRUE(faceBulges.empty());

    // Two squares sharing a side: one 6-point clockwise outline, or two counter-clockwise cells.
    const PointList left = Box(0, 0, 1, 1);
    const PointList right = Box(1, 0, 2, 1);
    ASSERT_TRUE(BuildRingFaces({left, right}, {Flat(left), Flat(right)}, faces, faceBulges, true));
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(faces[0].size(), 6u);
    EXPECT_DOUBLE_EQ(SignedArea(faces[0]), -2);
    EXPECT_TRUE(faceBulges.empty());
    ASSERT_TRUE(BuildRingFaces({left, right}, {Flat(left), Flat(right)}, faces, faceBulges, false));
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_DOUBLE_EQ(SignedArea(faces[0]), 1);
    EXPECT_DOUBLE_EQ(SignedArea(faces[1]), 1);

    // At survey coordinates.
    const PointList far = Box(500000.125, 3000000.25, 500010.125, 3000010.25);
    const PointList farRight = Box(500010.125, 3000000.25, 500020.125, 3000010.25);
    ASSERT_TRUE(BuildRingFaces({far, farRight}, {Flat(far), Flat(farRight)}, faces, faceBulges, true));
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_NEAR(SignedArea(faces[0]), -200, 1e-6);

    // A ring held by one corner inside a gap of its group is part of the group, not an outline of
    // its own: the outline walk closes around it separately, and that ring is left out.
    const PointList frame = Box(0, 0, 6, 6);
    const PointList shelf = Box(0, 2, 3, 3);
    const PointList island = Box(3, 1, 4, 2);
    ASSERT_TRUE(BuildRingFaces({frame, shelf, island}, {Flat(frame), Flat(shelf), Flat(island)}, faces, faceBulges,
                               true));
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_DOUBLE_EQ(SignedArea(faces[0]), -36);
    // Beside each other rather than inside, two outlines of one group both stay.
    const PointList corner = Box(6, 6, 7, 7);
    ASSERT_TRUE(BuildRingFaces({frame, corner}, {Flat(frame), Flat(corner)}, faces, faceBulges, true));
    EXPECT_EQ(faces.size(), 2u);

    // Unusable input is refused without output.
    EXPECT_FALSE(BuildRingFaces({left}, {}, faces, faceBulges, true));
    EXPECT_FALSE(BuildRingFaces({left}, {DoubleList{0, 0}}, faces, faceBulges, true));
    PointList broken = left;
    broken[2].x = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(BuildRingFaces({broken}, {Flat(broken)}, faces, faceBulges, true));
    DoubleList badBulges = Flat(left);
    badBulges[1] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(BuildRingFaces({left}, {badBulges}, faces, faceBulges, true));
    EXPECT_TRUE(faces.empty());

    // Degenerate rings (a point, a line back and forth) make no face and no trouble.
    ASSERT_TRUE(BuildRingFaces({PointList{{1, 1}}, PointList{{0, 0}, {5, 5}, {0, 0}}, PointList{}},
                               {DoubleList{0}, DoubleList{0, 0, 0}, DoubleList{}}, faces, faceBulges, false));
    EXPECT_TRUE(faces.empty());
}

TEST(TopologyBuilder, LongSelfCrossingRing) {
    // A zigzag ring of 800 vertices whose return stroke crosses every stroke of the zigzag: cut
    // against itself through the segment index, it makes a triangle above and below each tooth.
    PointList ring;
    const int teeth = 400;
    for (int k = 0; k <= 2 * teeth; ++k) ring.push_back({double(k), k % 2 == 0 ? 0.0 : 2.0});
    ring.push_back({double(2 * teeth), 1});
    ring.push_back({0, 1});
    ring.push_back({0, 0});
    std::vector<PointList> faces;
    std::vector<DoubleList> faceBulges;
    ASSERT_TRUE(BuildRingFaces({ring}, {Flat(ring)}, faces, faceBulges, false));
    EXPECT_EQ(faces.size(), static_cast<size_t>(2 * teeth + 1));
    double area = 0;
    for (const PointList& face : faces) {
        EXPECT_GT(SignedArea(face), 0);
        area += SignedArea(face);
    }
    EXPECT_NEAR(area, teeth, 1e-6);
}

}  // namespace
}  // namespace geometry
