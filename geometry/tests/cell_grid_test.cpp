// The cell grid: what a question is handed for boxes, points, wide boxes, and coordinates that are
// negative, huge or no number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "geometry/cell_grid.h"

namespace geometry {
namespace {

using Values = std::vector<std::uint32_t>;

Extents Box(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y1}};
}

Values Found(const CellGrid& grid, const Extents& box) {
    Values found{99};
    EXPECT_TRUE(grid.Find(box, found));
    return found;
}

TEST(CellGrid, BoxesPointsAndWideBoxes) {
    CellGrid grid(10.0, 16);
    grid.Add(Box(15, 15, 38, 38), 7);    // 3 x 3 cells
    grid.Add(Point2d{-0.5, -0.5}, 5);    // cell (-1, -1), not (0, 0)
    grid.Add(Box(-5, 0, 5, 9), 2);       // cells (-1, 0) and (0, 0)
    grid.Add(Box(0, 0, 169, 9), 9);      // 17 cells: wide, handed to every question
    grid.Add(Point2d{25, 25}, 2);        // a value filed twice is handed over once
    grid.Seal();

    EXPECT_EQ(Found(grid, Box(20, 20, 45, 45)), (Values{2, 7, 9}));  // ascending, each once
    EXPECT_EQ(Found(grid, Box(-3, -3, -1, -1)), (Values{5, 9}));
    EXPECT_EQ(Found(grid, Box(1, 1, 2, 2)), (Values{2, 9}));
    EXPECT_EQ(Found(grid, Box(500, 500, 501, 501)), (Values{9}));
    EXPECT_EQ(Found(grid, Box(25, 25, 5, 5)), (Values{9}));  // upside down: no cell
    // 4 x 5 cells are too many to ask about.
    Values found{1};
    EXPECT_FALSE(grid.Find(Box(0, 0, 35, 45), found));
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(Found(grid, Box(0, 0, 35, 35)).size(), 3u);
}

TEST(CellGrid, FarHugeAndNoNumberCoordinates) {
    constexpr double kHuge = 1e300, kInf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    CellGrid grid(1.0, 256);
    grid.Add(Point2d{0.5, 0.5}, 0);
    grid.Add(Point2d{65536.5, 0.5}, 1);  // shares cell (0, 0)'s key: handed over too
    grid.Add(Point2d{0.5, -65535.5}, 2);
    grid.Add(Point2d{3.5, 0.5}, 3);
    grid.Add(Point2d{kHuge, -kHuge}, 4);
    grid.Add(Point2d{nan, nan}, 5);
    grid.Add(Box(-kInf, -kInf, kInf, kInf), 6);  // wide
    grid.Seal();

    EXPECT_EQ(Found(grid, Box(0.2, 0.2, 0.8, 0.8)), (Values{0, 1, 2, 6}));
    // Beyond the farthest cells every coordinate is asked about in one cell: no refusal.
    const Values huge = Found(grid, Box(kHuge, -kInf, kInf, -kHuge));
    const Values none = Found(grid, Box(nan, nan, nan, nan));
    for (const Values& found : {huge, none}) {
        EXPECT_EQ(found.front(), 4u);
        EXPECT_EQ(found.back(), 6u);
    }
    EXPECT_TRUE(std::find(none.begin(), none.end(), 5u) != none.end());
    Values found;
    EXPECT_FALSE(grid.Find(Box(-kHuge, 0, kHuge, 0), found));
}

}  // namespace
}  // namespace geometry
