#include "cadastral/annotation_coder.h"

#include <gtest/gtest.h>

#include <map>

#include "cadastral/config_tables.h"
#include "coding_scene.h"
#include "platform/cad/selection.h"
#include "platform/ui/answer_source.h"
#include "testing/files.h"

namespace {

using namespace cadastral;

constexpr const char* kDistrict = "440101001002";

class AnnotationCoderTest : public CodingSceneTest {
protected:
    void SetUp() override {
        CodingSceneTest::SetUp();
        WriteSupportFile("index.ini", dero::testing::ReadFile(DERO_SOURCE_DIR "/samples/support/index.ini"));
        LoadConfigTables();
    }
    static AcDbObjectId Text(double x, double y, const char* code) {
        return Add(new AcDbText(AcGePoint3d(x, y, 0), "t", AcDbObjectId(), 1.0, 0), "ZJ", code);
    }
    static AcDbObjectId House(double x0, double y0, double x1, double y1) {
        auto* poly = new AcDbPolyline;
        poly->addVertexAt(0, AcGePoint2d(x0, y0));
        poly->addVertexAt(1, AcGePoint2d(x1, y0));
        poly->addVertexAt(2, AcGePoint2d(x1, y1));
        poly->addVertexAt(3, AcGePoint2d(x0, y1));
        poly->setClosed(true);
        return Add(poly, "JMD", "141100");
    }
    static std::vector<AcGePoint2d> Box(double x0, double y0, double x1, double y1) {
        return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    }
    // Every value the coder writes, by entity, for comparing two runs.
    static std::map<std::string, std::string> Snapshot(const std::vector<AcDbObjectId>& ids) {
        std::map<std::string, std::string> values;
        for (AcDbObjectId id : ids) {
            for (const char* app : {"ZJDM", "JZDDM", "GDDM", "ZDLSH", "FWBH", "FWDM", "ZDDM", "JZXDM"})
                values[std::to_string(id.handle().value()) + app] =
                    Value(id, app) + Value(id, app, kXDataLong);
            values[std::to_string(id.handle().value()) + "MIRET"] = Value(id, "MIRET", kXDataString, 1);
            for (const std::string& code : VertexCodes(id))
                values[std::to_string(id.handle().value()) + "v"] += code + ";";
        }
        return values;
    }
};

TEST_F(AnnotationCoderTest, CodesEveryFeatureOfTheDistrictInItsFinalFormAndASecondRunChangesNothing) {
    District(Box(-5, -5, 45, 25), kDistrict, "甲");
    AcDbObjectId a = CodedParcel(Box(0, 0, 10, 10), "0010010123456");
    AcDbObjectId b = CodedParcel(Box(10, 0, 20, 10), "0010010124000", true);
    AcDbObjectId noNumber = Parcel(Box(30, 0, 40, 10));
    std::vector<AcDbObjectId> points;
    long n = 1;
    for (auto [x, y] :
         std::vector<std::pair<double, double>>{{0, 0}, {10, 0}, {20, 0}, {20, 10}, {10, 10}, {0, 10}})
        points.push_back(NumberedPoint(x, y, n++));
    AcDbObjectId second = NumberedPoint(5, 20, 8, "301100");
    AcDbObjectId overlong = NumberedPoint(25, 20, 12345678);
    AcDbObjectId unnumbered = BoundaryPoint(26, 20);
    AcDbObjectId text = Text(2, 2, "171000"), blank = Text(3, 3, nullptr);
    AcDbObjectId outside = NumberedPoint(100, 100, 9);
    AcDbObjectId inner = House(2, 2, 4, 4), onLine = House(0, 6, 3, 9), neighbours = House(12, 2, 14, 4);
    AcDbObjectId linePoint = LinePoint(10, 5);

    AnnotationCoder coder;
    ASSERT_TRUE(coder.Run());
    const std::string head = std::string(kDistrict) + "01";
    EXPECT_EQ(Value(text, "ZJDM"), head + "0000001");
    EXPECT_EQ(Value(text, "ZJH", kXDataLong), "1");
    EXPECT_EQ(Value(blank, "ZJDM"), "");
    EXPECT_EQ(Value(points[4], "JZDDM"), head + "0000005");
    EXPECT_EQ(Value(points[4], "JZDH", kXDataLong), "5");
    EXPECT_EQ(Value(second, "GDDM"), head + "0000008");
    EXPECT_EQ(Value(second, "GDH", kXDataLong), "8");
    EXPECT_EQ(Value(overlong, "JZDDM"), "0000000000012345678") << "its tail would be another point's number";
    EXPECT_NE(CommandLine().find("1个地物的编号超过7位"), std::string::npos);
    EXPECT_EQ(Value(unnumbered, "JZDDM"), "");
    EXPECT_EQ(Value(outside, "JZDDM"), head + "0000009") << "one district: no question";

    EXPECT_EQ(Value(a, "ZDLSH", kXDataLong), "123");
    EXPECT_EQ(Value(a, "MIRET", kXDataString, 1), "0010020123456") << "the block is the district's";
    EXPECT_EQ(Value(b, "MIRET", kXDataString, 1), "0010020124000");
    EXPECT_EQ(Value(noNumber, "ZDLSH", kXDataLong), "");
    // Seven lines in all, the shared one coded once on both sides.
    std::vector<std::string> codesA = VertexCodes(a), codesB = VertexCodes(b);
    ASSERT_EQ(codesB.size(), 4u) << "the lightweight parcel was converted and coded";
    std::set<std::string> lines(codesA.begin(), codesA.end());
    lines.insert(codesB.begin(), codesB.end());
    EXPECT_EQ(lines.size(), 7u);
    EXPECT_EQ(codesA[1].substr(0, 14), "44010100100201") << "the block the parcel's number gets";
    EXPECT_EQ(Value(linePoint, "JZXDM"), codesA[1]);

    // Houses: numbered within their parcel, one on the parcel's line too, the neighbour's not.
    const std::string zddm = "4401010010020123456";
    EXPECT_EQ(Value(inner, "ZDDM"), zddm);
    std::set<std::string> numbers = {Value(inner, "FWBH"), Value(onLine, "FWBH")};
    EXPECT_EQ(numbers, (std::set<std::string>{"001", "002"}));
    EXPECT_EQ(Value(onLine, "FWDM"), zddm + Value(onLine, "FWBH"));
    EXPECT_EQ(Value(neighbours, "FWBH"), "001");
    EXPECT_EQ(Value(neighbours, "ZDDM"), "4401010010020124000");

    std::vector<AcDbObjectId> all = {a,       b,     text,   second,     overlong,
                                     outside, inner, onLine, neighbours, linePoint};
    all.insert(all.end(), points.begin(), points.end());
    auto first = Snapshot(all);
    AnnotationCoder again;
    ASSERT_TRUE(again.Run());
    EXPECT_EQ(Snapshot(all), first);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

TEST_F(AnnotationCoderTest, WhatTheHostSelectsInAParcelIsNumberedOnlyIfItIsAHouse) {
    District(Box(-5, -5, 45, 25), kDistrict, "甲");
    AcDbObjectId parcel = CodedParcel(Box(0, 0, 10, 10), "0010010123456");
    AcDbObjectId text = Text(6, 6, "171000");
    AcDbObjectId inner = House(2, 2, 4, 4);
    // On the edge of the parcel's reach: the houses cannot tell, the host selects.
    House(-0.1, 6, 1, 8);
    AnnotationCoder coder;
    ASSERT_TRUE(coder.Run());
    EXPECT_EQ(Value(text, "FWBH"), "");
    EXPECT_EQ(Value(inner, "FWBH"), "001");
    EXPECT_EQ(Value(inner, "ZDDM"), "4401010010020123456");
    EXPECT_NE(Value(parcel, "ZDLSH", kXDataLong), "");
}

// Two houses in a parcel: the host selects them, and they are numbered in the order it gives,
// the drawing's order, whatever their places.
TEST_F(AnnotationCoderTest, TwoHousesInAParcelAreNumberedInTheOrderTheHostSelectsThem) {
    District(Box(-5, -5, 45, 25), kDistrict, "甲");
    CodedParcel(Box(0, 0, 10, 10), "0010010123456");
    AcDbObjectId east = House(6, 2, 8, 4), west = House(2, 2, 4, 4), north = House(2, 6, 4, 8);
    AnnotationCoder coder;
    ASSERT_TRUE(coder.Run());
    EXPECT_EQ(Value(east, "FWBH"), "001");
    EXPECT_EQ(Value(west, "FWBH"), "002");
    EXPECT_EQ(Value(north, "FWBH"), "003");
    EXPECT_EQ(Value(north, "FWDM"), "4401010010020123456003");
}

TEST_F(AnnotationCoderTest, OutsideFeaturesGoToThePickedDistrictAndShortCodesStayLong) {
    District(Box(0, 0, 10, 10), kDistrict, "甲");
    District(Box(20, 0, 30, 10), "440101003004", "乙");
    District(Box(40, 0, 50, 10), "4401", "丙");
    AcDbObjectId inShort = NumberedPoint(45, 5, 3);
    std::vector<std::string> expected = {"4401010030040000001", kDistrict + std::string("0000002"),
                                         kDistrict + std::string("0000003")};
    std::vector<const char*> answers = {"1", "99", nullptr};
    for (std::size_t i = 0; i < answers.size(); ++i) {
        AcDbObjectId outside = NumberedPoint(100 + 10.0 * i, 100, static_cast<long>(i + 1));
        auto queue = platform::ui::UseAnswerQueue();
        if (answers[i] != nullptr)
            queue->Push(platform::ui::PromptAnswer(answers[i]));
        platform::cad::ClearCommandLine();
        AnnotationCoder coder;
        ASSERT_TRUE(coder.Run());
        EXPECT_EQ(Value(outside, "JZDDM").substr(0, 12), expected[i].substr(0, 12)) << "answer " << i;
        EXPECT_NE(CommandLine().find("(1) 社区名称:乙, 社区代码:440101003004,"), std::string::npos);
        EXPECT_EQ(Value(inShort, "JZDDM"), "0000000000000000003") << "a district code not of 12 characters";
        ClearXData(Name(outside), "JZDDM");
        EntityName name = Name(outside);
        acdbEntDel(name);
    }
}

TEST_F(AnnotationCoderTest, WithoutADistrictNothingIsCoded) {
    AcDbObjectId point = NumberedPoint(0, 0, 1);
    AnnotationCoder coder;
    EXPECT_FALSE(coder.Run());
    EXPECT_NE(CommandLine().find("当前图上没有社区，将不能添加注记编码"), std::string::npos);
    EXPECT_EQ(Value(point, "JZDDM"), "");
}

// A code table cut short (no end line) or without a record is said, and nothing is coded from it.
TEST_F(AnnotationCoderTest, ADamagedCodeTableIsSaidAndNothingIsCoded) {
    District(Box(-5, -5, 45, 25), kDistrict, "甲");
    CodedParcel(Box(0, 0, 10, 10), "0010010123456");
    AcDbObjectId point = NumberedPoint(0, 0, 1);
    AcDbObjectId house = House(2, 2, 4, 4);
    const std::string whole = dero::testing::ReadFile(DERO_SOURCE_DIR "/samples/support/index.ini");
    for (const std::string& table : {whole.substr(0, whole.find("END")), whole.substr(0, 300), std::string(),
                                     std::string("END\r\n")}) {
        SCOPED_TRACE(table.size());
        WriteSupportFile("index.ini", table);
        LoadConfigTables();
        EXPECT_NE(CommandLine().find("模板数据 index.ini 有错"), std::string::npos);
        platform::cad::ClearCommandLine();
        ADDCODEQZ();
        EXPECT_NE(CommandLine().find("模板数据 index.ini 有错"), std::string::npos);
        EXPECT_EQ(Value(point, "JZDDM"), "");
        EXPECT_EQ(Value(house, "FWBH"), "");
    }
    // The whole table says nothing and codes.
    WriteSupportFile("index.ini", whole);
    platform::cad::ClearCommandLine();
    LoadConfigTables();
    EXPECT_EQ(CommandLine().find("有错"), std::string::npos);
    ADDCODEQZ();
    EXPECT_EQ(Value(house, "FWBH"), "001");
}

}  // namespace
