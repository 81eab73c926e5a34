// The shared line set: matching pieces against stored lines, bearings and collinear points, and
// the sorted id set.
#include "gisexchange/shared_lines.h"

#include <gtest/gtest.h>

#include <random>

#include "gisexchange/boundary_cutting.h"

namespace {

using namespace gisexchange;

AcGePoint2dArray Points(std::initializer_list<AcGePoint2d> list)
{
    AcGePoint2dArray points;
    for (const AcGePoint2d& p : list)
        points.append(p);
    return points;
}

TEST(SharedLines, BearingsAndCollinearPoints)
{
    EXPECT_DOUBLE_EQ(Bearing(0, 0, 0, 1), 0);
    EXPECT_DOUBLE_EQ(Bearing(0, 0, 1, 0), 90);
    EXPECT_DOUBLE_EQ(Bearing(0, 0, 0, -1), 180);
    EXPECT_DOUBLE_EQ(Bearing(0, 0, -1, 0), 270);
    EXPECT_NEAR(Bearing(0, 0, 1, 1), 45, 1e-12);

    // Due north, with the middle vertex a hair west: the bearings are 0 and 359.99999..., the same.
    AcGePoint2dArray north = Points({{0, 0}, {-1e-9, 5}, {0, 10}});
    RemoveCollinearPoints(north);
    EXPECT_EQ(north.length(), 2);
    AcGePoint2dArray bent = Points({{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 1}});
    RemoveCollinearPoints(bent);
    EXPECT_EQ(bent.length(), 3);

    // Extra collinear vertices do not keep two pieces apart; direction gives the sign.
    AcGePoint2dArray a = Points({{0, 0}, {5, 0}, {10, 0}, {10, 5}});
    AcGePoint2dArray b = Points({{0, 0}, {10, 0}, {10, 2}, {10, 5}});
    EXPECT_EQ(CompareLinePoints(a, b), 2);
    b.reverse();
    EXPECT_EQ(CompareLinePoints(a, b), -2);
    EXPECT_EQ(CompareLinePoints(a, Points({{0, 0}, {10, 1}, {10, 5}})), 1);
    EXPECT_EQ(CompareLinePoints(a, Points({{0, 0}, {10, 5}})), 1);
}

TEST(SharedLines, StoringReplacingAndCancelling)
{
    BoundaryCurveRecord keep, cancel;
    cancel.cancelDuplicates = true;
    SharedLineSet set;
    EXPECT_EQ(AddSharedLine(keep, set, Points({{0, 0}, {10, 0}}), 7), 1);
    // An equal piece with more vertices, backwards: it replaces the line in the stored direction.
    EXPECT_EQ(AddSharedLine(keep, set, Points({{10, 0}, {5, 0}, {0, 0}}), 0), -1);
    ASSERT_EQ(set.lines[0].length(), 3);
    EXPECT_DOUBLE_EQ(set.lines[0].first().x, 0);
    EXPECT_EQ(set.values[0], 7) << "a value of 0 keeps the stored one";

    EXPECT_EQ(AddSharedLine(keep, set, Points({{0, 0}, {0, 10}}), 0), 2);
    EXPECT_EQ(AddSharedLine(keep, set, Points({{0, 10}, {10, 10}}), 3), 3);
    // The second line is cancelled with all it carried; the third keeps its own number.
    EXPECT_EQ(AddSharedLine(cancel, set, Points({{0, 10}, {0, 0}}), 0), 0);
    ASSERT_EQ(set.lines.size(), 2u);
    EXPECT_EQ(set.numbers, (std::vector<int>{1, 3}));
    EXPECT_EQ(set.values, (std::vector<int>{7, 3}));
    EXPECT_EQ(AddSharedLine(keep, set, Points({{10, 10}, {0, 10}}), 0), -3);
    EXPECT_EQ(AddSharedLine(keep, set, Points({{0, 0}, {10.000001, 0}}), 0), 1) << "ends within 1e-5 match";
}

TEST(SharedLines, IndexFindsTheSameLinesAsAWalkThroughAll)
{
    // Many pieces over a small grid, half of them repeats in either direction; the points shaken
    // by less than the matching distance, so that equal ends fall on both sides of cell borders.
    std::mt19937 random(141);
    std::uniform_int_distribution<int> grid(0, 6);
    std::uniform_real_distribution<double> shake(-4e-6, 4e-6);
    auto coordinate = [&](std::mt19937& r) { return grid(r) + shake(r); };
    BoundaryCurveRecord record;
    SharedLineSet set;
    std::vector<AcGePoint2dArray> stored;
    for (int i = 0; i < 400; ++i) {
        AcGePoint2dArray piece;
        int n = 2 + i % 3;
        for (int k = 0; k < n; ++k)
            piece.append(AcGePoint2d(coordinate(random), coordinate(random)));
        int expected = 0;
        for (std::size_t j = 0; j < stored.size() && expected == 0; ++j) {
            int c = CompareLinePoints(stored[j], piece);
            if (c == 2 || c == -2)
                expected = c == 2 ? static_cast<int>(j) + 1 : -static_cast<int>(j) - 1;
        }
        if (expected == 0)
            stored.push_back(piece);
        else if (stored[static_cast<std::size_t>(std::abs(expected) - 1)].length() < piece.length()) {
            stored[static_cast<std::size_t>(std::abs(expected) - 1)] = piece;
            if (expected < 0)
                stored[static_cast<std::size_t>(-expected - 1)].reverse();
        }
        int got = AddSharedLine(record, set, piece, 0);
        ASSERT_EQ(got, expected == 0 ? static_cast<int>(stored.size()) : expected) << "piece " << i;
    }
    EXPECT_EQ(set.lines.size(), stored.size());
}

}  // namespace
