// Region assembly: rings from pieces that meet at their ends, on hand-made cases and against the
// faces GEOS polygonize finds in noded random rings.
#include "gisexchange/region_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "grid_rings.h"

namespace {

using namespace gisexchange;

AcGePoint2dArray Points(std::initializer_list<AcGePoint2d> list)
{
    AcGePoint2dArray points;
    for (const AcGePoint2d& p : list)
        points.append(p);
    return points;
}

std::vector<AcGePoint2dArray> Assemble(std::vector<AcGePoint2dArray> pieces)
{
    RegionBuilder builder;
    AddPieces(builder, pieces);
    AssembleRegions(builder);
    return builder.rings;
}

std::vector<double> SortedAreas(const std::vector<AcGePoint2dArray>& rings)
{
    std::vector<double> areas;
    for (const AcGePoint2dArray& ring : rings)
        areas.push_back(RingArea(ring));
    std::sort(areas.begin(), areas.end());
    return areas;
}

TEST(RegionAssembly, SquaresSharedSidesAndClosedPieces)
{
    // Four sides of a square, in any direction: one counter-clockwise ring; the outside is dropped.
    auto square = Assemble({Points({{0, 0}, {2, 0}}), Points({{2, 2}, {2, 0}}), Points({{2, 2}, {0, 2}}),
                            Points({{0, 0}, {0, 2}})});
    ASSERT_EQ(square.size(), 1u);
    EXPECT_EQ(square[0].length(), 4);
    EXPECT_DOUBLE_EQ(RingArea(square[0]), 4.0);

    // One closed piece is split in two halves between two nodes and still gives its ring.
    auto closed = Assemble({Points({{0, 0}, {3, 0}, {3, 1}, {0, 1}, {0, 0}})});
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_DOUBLE_EQ(RingArea(closed[0]), 3.0);

    // Two squares sharing a side: two rings, the side walked once each way.
    auto pair = Assemble({Points({{0, 0}, {1, 0}}), Points({{1, 0}, {2, 0}, {2, 1}, {1, 1}}),
                          Points({{1, 1}, {0, 1}, {0, 0}}), Points({{1, 0}, {1, 1}})});
    EXPECT_EQ(SortedAreas(pair), (std::vector<double>{1.0, 1.0}));

    // A closed outline inside a face, not touching it: its own ring; the face keeps its outline only.
    auto island = Assemble({Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}),
                            Points({{4, 4}, {6, 4}, {6, 6}, {4, 6}, {4, 4}})});
    EXPECT_EQ(SortedAreas(island), (std::vector<double>{4.0, 100.0}));

    // A dangling piece off a corner and one into the face are never part of a ring.
    auto dangling = Assemble({Points({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}), Points({{1, 1}, {3, 3}}),
                              Points({{0, 0}, {0.5, 0.5}})});
    EXPECT_EQ(SortedAreas(dangling), (std::vector<double>{1.0}));

    // Ends closer than 1e-7 meet; leading and trailing repeats are dropped first.
    auto near = Assemble({Points({{0, 0}, {0, 0}, {1, 0}}), Points({{1, 5e-8}, {1, 1}, {1, 1}}),
                          Points({{1, 1}, {0, 1}, {0, 4e-8}})});
    ASSERT_EQ(near.size(), 1u);
    EXPECT_NEAR(RingArea(near[0]), 1.0, 1e-6);

    // A closed three-point piece is two equal two-point pieces: no ring of two vertices comes out.
    EXPECT_TRUE(Assemble({Points({{0, 0}, {1, 0}, {0, 0}})}).empty());
    // Degenerate pieces are ignored.
    EXPECT_TRUE(Assemble({Points({{0, 0}}), Points({{1, 1}, {1, 1}}), {}}).empty());
}

TEST(RegionAssembly, LongRingOfSinglePiecesKeepsToItsOwnStack)
{
    // Twenty thousand two-point pieces around a circle, given in scattered order.
    const int n = 20000;
    std::vector<AcGePoint2dArray> pieces;
    for (int i = 0; i < n; ++i) {
        int k = (i * 7919) % n;
        double a0 = 2 * std::numbers::pi * k / n, a1 = 2 * std::numbers::pi * (k + 1) / n;
        pieces.push_back(Points({{1000 * std::cos(a0), 1000 * std::sin(a0)}, {1000 * std::cos(a1), 1000 * std::sin(a1)}}));
    }
    auto rings = Assemble(pieces);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0].length(), n);
    EXPECT_NEAR(RingArea(rings[0]), std::numbers::pi * 1e6, 100.0);
}

TEST(RegionAssembly, MatchesGeosPolygonizeOnNodedRandomRings)
{
    std::mt19937 random(36);
    for (int round = 0; round < 40; ++round) {
        std::vector<AcGePoint2dArray> rings;
        int count = 1 + round % 4;
        for (int i = 0; i < count; ++i)
            rings.push_back(reference::RandomGridRing(random, 20.0 * (i % 2), 15.0 * (i / 2), 18.0, 9));
        std::vector<AcGePoint2dArray> pieces = reference::GeosNodedLines(rings, true);
        std::vector<double> expected = reference::GeosPolygonizeAreas(pieces);
        std::vector<double> ours = SortedAreas(Assemble(pieces));
        ASSERT_EQ(ours.size(), expected.size()) << "round " << round;
        for (std::size_t i = 0; i < ours.size(); ++i)
            EXPECT_NEAR(ours[i], expected[i], 1e-6 * std::max(1.0, expected[i])) << "round " << round;
    }
}

}  // namespace
