#include <gtest/gtest.h>

#include <string>

#include "platform/cad/db_line.h"

#include "drawing_fixture.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"

namespace {

class EntityXDataTest : public DrawingTest {
protected:
    AcDbObjectId NewLine() { return Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0))); }
    std::string Read(AcDbObjectId id, const char* app, int kind, int index, bool force = false)
    {
        std::string text = "stale";
        if (!ReadEntityXData(id, app, text, kind, index, force, false))
            return "<false>";
        return text;
    }
};

TEST_F(EntityXDataTest, FeatureCodeIsTheFirstStringUnderEitherSpelling)
{
    AcDbObjectId id = NewLine();
    std::string code = "stale";
    GetEntityCode(NameOf(id), code);
    EXPECT_EQ(code, "");
    EXPECT_EQ(GetCodeXData(NameOf(id)), nullptr);

    SetChain(id, "MIRET", acutBuildList(1070, 5, 1000, "300000", 1000, "second", 0));
    GetEntityCode(NameOf(id), code);
    EXPECT_EQ(code, "300000");
    resbuf* chain = GetCodeXData(NameOf(id));
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->restype, 1001);
    acutRelRb(chain);

    // The code replaces everything under the application; other applications keep theirs.
    SetChain(id, "ZDDM", acutBuildList(1000, "kept", 0));
    SetEntityCode(NameOf(id), "301000");
    GetEntityCode(NameOf(id), code);
    EXPECT_EQ(code, "301000");
    EXPECT_EQ(Groups(id, "miret"), std::vector<int>{1000});
    EXPECT_EQ(Read(id, "ZDDM", 0, 0), "kept");
}

TEST_F(EntityXDataTest, SetEntityCodeRegistersTheApplication)
{
    AcDbObjectId id = NewLine();
    SetEntityCode(NameOf(id), "444400");
    std::string code;
    GetEntityCode(NameOf(id), code);
    EXPECT_EQ(code, "444400");
}

TEST_F(EntityXDataTest, ReadEntityXDataByKindIndexAndForce)
{
    AcDbObjectId id = NewLine();
    SetChain(id, "APP", acutBuildList(1000, "12", 1070, 7, 1071, 70000L, 1040, 12.34567, 0));
    EXPECT_EQ(Read(id, "APP", 0, 0), "12");
    EXPECT_EQ(Read(id, "APP", 4, 0), "12");
    EXPECT_EQ(Read(id, "APP", 1, 1), "7");
    EXPECT_EQ(Read(id, "APP", 2, 2), "70000");
    EXPECT_EQ(Read(id, "APP", 3, 3), "12.346");
    EXPECT_EQ(Read(id, "APP", 3, -1), "12.346");
    EXPECT_EQ(Read(id, "app", 0, 0), "12");
    // A mismatching item: true and empty, or its own text with force.
    EXPECT_EQ(Read(id, "APP", 1, 0), "");
    EXPECT_EQ(Read(id, "APP", 1, 0, true), "12");
    EXPECT_EQ(Read(id, "APP", 0, 3, true), "12.346");
    // Past the end, other negative indexes, missing data, bad arguments.
    EXPECT_EQ(Read(id, "APP", 0, 4), "<false>");
    EXPECT_EQ(Read(id, "APP", 0, -2), "<false>");
    EXPECT_EQ(Read(id, "NONE", 0, 0), "<false>");
    EXPECT_EQ(Read(id, "APP", 5, 0), "<false>");
    EXPECT_EQ(Read(id, "", 0, 0), "<false>");
    EXPECT_EQ(Read(AcDbObjectId(), "APP", 0, 0), "<false>");
    std::string untouched = "kept";
    EXPECT_FALSE(ReadEntityXData(id, nullptr, untouched, 0, 0, false, true));
    EXPECT_EQ(untouched, "kept");

    // Index -1 on data that holds only the name finds the head.
    SetChain(id, "EMPTY", nullptr);
    EXPECT_EQ(Read(id, "EMPTY", 0, -1), "");
    EXPECT_EQ(Read(id, "EMPTY", 0, -1, true), "");
    EXPECT_EQ(Read(id, "EMPTY", 0, 0), "<false>");
}

TEST_F(EntityXDataTest, GetXDataAsTextFindsTheFirstItemOfTheKind)
{
    AcDbObjectId id = NewLine();
    SetChain(id, "APP", acutBuildList(1070, 3, 1040, 12.34567, 1000, "a", 1071, -5L, 1000, "b", 0));
    std::string text;
    EXPECT_TRUE(GetXDataAsText(NameOf(id), "APP", 3, text));
    EXPECT_EQ(text, "12.345670");
    EXPECT_TRUE(GetXDataAsText(NameOf(id), "APP", 4, text));
    EXPECT_EQ(text, "a");
    EXPECT_TRUE(GetXDataAsText(NameOf(id), "APP", 1, text));
    EXPECT_EQ(text, "3");
    EXPECT_FALSE(GetXDataAsText(NameOf(id), "APP", 7, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(GetXDataAsText(NameOf(id), "NONE", 0, text));

    long value = 99;
    EXPECT_TRUE(GetXDataLong(NameOf(id), "APP", value));
    EXPECT_EQ(value, -5);
    value = 99;
    EXPECT_FALSE(GetXDataLong(NameOf(id), "NONE", value));
    EXPECT_EQ(value, 99);
}

TEST_F(EntityXDataTest, SetClearAndCountReplaceWholeData)
{
    AcDbObjectId id = NewLine();
    EXPECT_EQ(CountXDataItems(NameOf(id), "FWJG"), -1);
    SetXData(NameOf(id), "FWJG", 4, "砖混");
    EXPECT_EQ(Groups(id, "FWJG"), std::vector<int>{1000});
    SetXData(NameOf(id), "FWJG", 7, "x");
    EXPECT_EQ(Groups(id, "FWJG"), std::vector<int>{1000});
    SetXData(NameOf(id), "FWJG", 1, "70000");  // kept in 16 bits, as the host stores it
    EXPECT_EQ(Read(id, "FWJG", 1, 0), "4464");
    SetXData(NameOf(id), "FWJG", 3, "2.5x");
    EXPECT_EQ(Read(id, "FWJG", 3, 0), "2.500");
    SetXDataLong(NameOf(id), "JZDH", 12);
    EXPECT_EQ(Groups(id, "JZDH"), std::vector<int>{1071});
    EXPECT_EQ(Read(id, "JZDH", 2, 0), "12");

    WriteEntityXData(id, "JZDH", "13", 2, -1, false, false, false);
    EXPECT_EQ(CountXDataItems(NameOf(id), "JZDH"), 2);
    ClearXData(NameOf(id), "JZDH");
    EXPECT_EQ(CountXDataItems(NameOf(id), "JZDH"), 0);
    ClearXData(NameOf(id), "NONE");
    EXPECT_EQ(CountXDataItems(NameOf(id), "NONE"), -1);
}

TEST_F(EntityXDataTest, WriteEntityXDataPlacesAndRetypesItems)
{
    AcDbObjectId id = NewLine();
    // No data yet: registered and started.
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "a", 0, 0, false, false, false));
    EXPECT_EQ(Read(id, "NEWAPP", 0, 0), "a");
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "b", 0, 5, false, false, false));
    EXPECT_EQ(CountXDataItems(NameOf(id), "NEWAPP"), 2);

    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "c", 0, 1, true, false, false));
    EXPECT_EQ(Read(id, "NEWAPP", 0, 1), "c");
    EXPECT_EQ(Read(id, "NEWAPP", 0, 2), "b");
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "d", 0, 1, false, false, false));
    EXPECT_EQ(Read(id, "NEWAPP", 0, 1), "d");
    EXPECT_EQ(CountXDataItems(NameOf(id), "NEWAPP"), 3);
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "e", 0, -1, true, false, false));
    EXPECT_EQ(Read(id, "NEWAPP", 0, -1), "e");

    // A kind mismatch: left alone without force, retyped with it.
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "42", 2, 0, false, false, false));
    EXPECT_EQ(Read(id, "NEWAPP", 0, 0), "a");
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "42", 2, 0, false, true, false));
    EXPECT_EQ(Groups(id, "NEWAPP")[0], 1071);
    EXPECT_EQ(Read(id, "NEWAPP", 2, 0), "42");
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "back", 4, 0, false, true, false));
    EXPECT_EQ(Read(id, "NEWAPP", 0, 0), "back");
    EXPECT_TRUE(WriteEntityXData(id, "NEWAPP", "1.5", 3, 0, false, true, false));
    EXPECT_EQ(Read(id, "NEWAPP", 3, 0), "1.500");

    // Bad arguments and objects that cannot be written.
    EXPECT_FALSE(WriteEntityXData(id, "", "x", 0, 0, false, false, false));
    EXPECT_FALSE(WriteEntityXData(id, "NEWAPP", "x", 5, 0, false, false, false));
    EXPECT_FALSE(WriteEntityXData(id, "NEWAPP", nullptr, 0, 0, false, false, false));
    EXPECT_FALSE(WriteEntityXData(AcDbObjectId(), "NEWAPP", "x", 0, 0, false, false, false));
    EXPECT_FALSE(WriteEntityXData(id, "BAD NAME?", "x", 0, 0, false, false, false));
}

TEST_F(EntityXDataTest, LongStringsAreCutTo255BytesOnACharacterBoundary)
{
    AcDbObjectId id = NewLine();
    std::string exact(255, 'a');
    EXPECT_TRUE(WriteEntityXData(id, "APP", exact.c_str(), 0, -1, false, false, false));
    EXPECT_EQ(Read(id, "APP", 0, 0), exact);
    EXPECT_TRUE(WriteEntityXData(id, "APP", std::string(300, 'b').c_str(), 0, -1, false, false, false));
    EXPECT_EQ(Read(id, "APP", 0, 1), std::string(255, 'b'));
    // 254 single bytes then a double-byte character: the character does not fit and is dropped.
    std::string mixed = std::string(254, 'c') + "宗地";
    SetXData(NameOf(id), "OTHER", 0, mixed.c_str());
    EXPECT_EQ(Read(id, "OTHER", 0, 0), std::string(254, 'c'));
    SetEntityCode(NameOf(id), std::string(256, '3').c_str());
    std::string code;
    GetEntityCode(NameOf(id), code);
    EXPECT_EQ(code, std::string(255, '3'));
}

}  // namespace
