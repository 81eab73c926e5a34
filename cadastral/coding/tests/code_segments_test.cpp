#include "cadastral/code_segments.h"

#include <gtest/gtest.h>

namespace {

using namespace cadastral;

TEST(CodeSegmentsTest, ParcelLayoutIsNineteenFixedCharactersAndRefusesOtherLengths) {
    CCodeSegments layout = BuildParcelCodeSegments();
    EXPECT_EQ(layout.Count(), 5);
    EXPECT_EQ(layout.Code(), std::string(19, '0'));
    EXPECT_EQ(layout.FixedWidth(), 19);
    EXPECT_EQ(layout.ElasticIndex(), -1);
    EXPECT_EQ(layout.SegmentLength(kDistrictSegment) + layout.SegmentLength(kStreetSegment) +
                  layout.SegmentLength(kBlockSegment),
              12);
    int first = -1, last = -1;
    ASSERT_TRUE(layout.SegmentRange(kBasicNumberSegment, first, last));
    EXPECT_EQ(first, 12);
    EXPECT_EQ(last, 15);
    EXPECT_FALSE(layout.SetCode(std::string(20, '1')));
    EXPECT_FALSE(layout.SetCode(std::string(18, '1')));
    EXPECT_EQ(layout.Code(), std::string(19, '0')) << "a refused code leaves the old one";
    EXPECT_TRUE(layout.SetCode(std::string(19, '1')));

    // Names are unique without regard to case; widths below -1 are refused.
    EXPECT_FALSE(layout.AddSegment("基本宗地号", 4));
    EXPECT_FALSE(layout.AddSegment("extra", -2));
    EXPECT_FALSE(layout.AddSegment("", 1));
    EXPECT_EQ(layout.Count(), 5);
    EXPECT_EQ(layout.SegmentLength(5), -1);
    EXPECT_FALSE(layout.SegmentRange(5, first, last));
}

TEST(CodeSegmentsTest, ElasticSegmentTakesWhatTheFixedOnesLeave) {
    CCodeSegments layout;
    ASSERT_TRUE(layout.AddSegment("head", 2));
    ASSERT_TRUE(layout.AddSegment("Body", -1));
    ASSERT_TRUE(layout.AddSegment("tail", 3));
    EXPECT_FALSE(layout.AddSegment("BODY", 1));
    EXPECT_FALSE(layout.SetCode("1234")) << "shorter than the fixed segments";
    ASSERT_TRUE(layout.SetCode("0123456789"));
    int first = -1, last = -1;
    ASSERT_TRUE(layout.SegmentRange(1, first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 6);
    ASSERT_TRUE(layout.SegmentRange(2, first, last));
    EXPECT_EQ(first, 7);
    EXPECT_EQ(last, 9);
    EXPECT_EQ(layout.SegmentLength(1), 5);
    EXPECT_EQ(layout.WidthSum(0, 2), 4) << "the elastic width counts as stored";
    EXPECT_EQ(layout.WidthSum(2, 1), 0);
    EXPECT_EQ(RepeatText("ab", 3), "ababab");
    EXPECT_EQ(RepeatText("ab", 0), "");
}

}  // namespace
