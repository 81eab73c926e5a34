#include <gtest/gtest.h>

#include <string>

#include "drawingutil/distances.h"
#include "drawingutil/text_fields.h"

namespace {

std::string First(const char* line)
{
    std::string field = "stale";
    CopyFirstField(line, field);
    return field;
}

TEST(TextFieldsTest, FirstFieldAndCommaCount)
{
    EXPECT_EQ(First("  AB X,Y"), "AB");
    EXPECT_EQ(First("XY,Z"), "XY");
    EXPECT_EQ(First(",XY"), "");
    EXPECT_EQ(First("房屋\n"), "房屋");
    EXPECT_EQ(First(""), "");
    EXPECT_EQ(First(nullptr), "");
    std::string longLine(5000, 'x');
    EXPECT_EQ(First((longLine + ",y").c_str()), longLine);

    EXPECT_EQ(CountCommas("a,,b,c"), 3);
    EXPECT_EQ(CountCommas("宗地,界址"), 1);
    EXPECT_EQ(CountCommas(""), 0);
    EXPECT_EQ(CountCommas(nullptr), 0);

    EXPECT_TRUE(StringEquals("JZD", "JZD"));
    EXPECT_FALSE(StringEquals("JZD", "jzd"));
    EXPECT_TRUE(StringDiffers("JZD", "jzd"));
}

TEST(TextFieldsTest, PlaneDistancesIgnoreHeight)
{
    EXPECT_DOUBLE_EQ(Distance2d(AcGePoint2d(0, 0), AcGePoint2d(3, 4)), 5.0);
    EXPECT_DOUBLE_EQ(PointDistance(AcGePoint3d(0, 0, 100), AcGePoint3d(3, 4, -7)), 5.0);
    EXPECT_DOUBLE_EQ(PointDistanceXY(AcGePoint2d(1, 1), 4, 5), 5.0);
}

}  // namespace
