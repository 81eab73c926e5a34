// Groups other programs write that the host writes otherwise or not at all: XData item codes in
// xrecords, xrecords without their subclass marker, leader offset points and XData points of R12
// exports. Each opens, and each comes back unchanged after saving.
#include <gtest/gtest.h>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/cad/resbuf.h"

namespace {

using platform::cad::DxfTag;
using platform::cad::DxfTagList;
using platform::cad::PeekObject;

const char kForeignDrawing[] =
    "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nAPPID\n  0\nAPPID\n  2\nR12APP\n 70\n0\n  0\nENDTAB\n"
    "  0\nENDSEC\n"
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\nLINE\n  5\n2A\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n1.0\n"
    "1001\nR12APP\n1000\nsurvey\n"
    "1011\n1.5\n1021\n2.5\n1031\n0.0\n1021\n3.5\n1031\n0.5\n1021\n4.5\n1031\n0.75\n"
    "1012\n0.1\n1022\n0.2\n1032\n0.3\n1022\n0.4\n1032\n0.5\n"
    "1013\n1.0\n1023\n0.0\n1033\n0.0\n1023\n0.5\n1033\n0.25\n"
    "  0\nLEADER\n  5\n2B\n100\nAcDbEntity\n  8\n0\n100\nAcDbLeader\n  3\nStandard\n 76\n2\n"
    " 10\n0.0\n 20\n0.0\n 30\n0.0\n 10\n5.0\n 20\n5.0\n 30\n0.0\n"
    "211\n1.0\n221\n0.0\n231\n0.0\n212\n0.25\n222\n0.5\n232\n0.0\n213\n0.75\n223\n-0.5\n233\n0.0\n"
    "  0\nENDSEC\n"
    "  0\nSECTION\n  2\nOBJECTS\n"
    "  0\nDICTIONARY\n  5\nC\n  3\nMARKED\n350\nD\n  3\nPLAIN\n350\nE\n"
    "  0\nXRECORD\n  5\nD\n330\nC\n100\nAcDbXrecord\n280\n1\n  1\nheader\n"
    "1000\nparcel 12\n1071\n123456\n1070\n7\n1040\n0.5\n1010\n1.0\n1020\n2.0\n1030\n3.0\n1005\n2A\n"
    "  0\nXRECORD\n  5\nE\n330\nC\n  1\nplain text\n 70\n7\n 40\n2.5\n1000\nafter\n"
    "  0\nENDSEC\n  0\nEOF\n";

AcDbObject* ByHandle(AcDbDatabase& db, const char* handle) {
    AcDbObjectId id;
    db.getAcDbObjectId(id, false, AcDbHandle(handle));
    return PeekObject(id);
}

DxfTagList XrecordData(AcDbDatabase& db, const char* handle) {
    auto* record = AcDbXrecord::cast(ByHandle(db, handle));
    return record != nullptr ? record->data() : DxfTagList();
}

DxfTagList LineXData(AcDbDatabase& db) {
    AcDbObject* line = ByHandle(db, "2A");
    if (line == nullptr || line->xdataApps().size() != 1)
        return {};
    return line->xdataApps()[0].items;
}

TEST(DxfForeignGroups, OpenAndComeBackUnchanged) {
    AcDbDatabase db(false, true);
    std::string error;
    ASSERT_TRUE(platform::cad::ReadDxf(kForeignDrawing, db, error)) << error;

    // XData points, each followed by further y and z groups of its own kind.
    const DxfTagList xdata = LineXData(db);
    ASSERT_EQ(xdata.size(), 12u);
    EXPECT_EQ(xdata[1], DxfTag::Point(1011, AcGePoint3d(1.5, 2.5, 0)));
    EXPECT_EQ(xdata[2], DxfTag::Real(1021, 3.5));
    EXPECT_EQ(xdata[3], DxfTag::Real(1031, 0.5));
    EXPECT_EQ(xdata[6], DxfTag::Point(1012, AcGePoint3d(0.1, 0.2, 0.3)));
    EXPECT_EQ(xdata[9], DxfTag::Point(1013, AcGePoint3d(1, 0, 0)));
    EXPECT_EQ(xdata[11], DxfTag::Real(1033, 0.25));

    // XData item codes are data in an xrecord; an xrecord without its marker keeps its data.
    const DxfTagList marked = XrecordData(db, "D");
    ASSERT_EQ(marked.size(), 7u);
    EXPECT_EQ(marked[1], DxfTag::String(1000, "parcel 12"));
    EXPECT_EQ(marked[2], DxfTag::Integer(1071, 123456));
    EXPECT_EQ(marked[5], DxfTag::Point(1010, AcGePoint3d(1, 2, 3)));
    EXPECT_EQ(marked[6].code, 1005);
    const DxfTagList plain = XrecordData(db, "E");
    ASSERT_EQ(plain.size(), 4u);
    EXPECT_EQ(plain[0], DxfTag::String(1, "plain text"));
    EXPECT_EQ(plain[3], DxfTag::String(1000, "after"));

    // Saved and read again: the same groups in the same order; the leader keeps its offsets.
    const std::string saved = platform::cad::WriteDxf(db);
    EXPECT_NE(saved.find("211\n1.0\n221\n0.0\n231\n0.0\n"), std::string::npos);
    EXPECT_NE(saved.find("213\n0.75\n223\n-0.5\n233\n0.0\n"), std::string::npos);
    AcDbDatabase again(false, true);
    ASSERT_TRUE(platform::cad::ReadDxf(saved, again, error)) << error;
    EXPECT_EQ(LineXData(again), xdata);
    EXPECT_EQ(XrecordData(again, "D"), marked);
    EXPECT_EQ(XrecordData(again, "E"), plain);

    // Through the xrecord's list calls as well: XData codes go in, a second application name
    // (which would start extended data in a file) does not.
    AcDbObject* opened = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(opened, ByHandle(again, "E")->objectId(), AcDb::kForWrite), Acad::eOk);
    auto* record = AcDbXrecord::cast(opened);
    ASSERT_NE(record, nullptr);
    resbuf* chain = acutNewRb(1070);
    chain->resval.rint = 12;
    chain->rbnext = acutNewRb(1001);
    chain->rbnext->resval.rstring = acutNewString("R12APP");
    EXPECT_EQ(record->setFromRbChain(*chain), Acad::eInvalidResBuf);
    acutRelRb(chain->rbnext);
    chain->rbnext = nullptr;
    EXPECT_EQ(record->setFromRbChain(*chain), Acad::eOk);
    acutRelRb(chain);
    record->close();
    EXPECT_EQ(XrecordData(again, "E"), DxfTagList{DxfTag::Integer(1070, 12)});

    // A lone y group is still a fault outside extended data.
    std::string lone = kForeignDrawing;
    lone.replace(lone.find(" 11\n1.0\n"), 8, "");
    AcDbDatabase refused(false, true);
    EXPECT_FALSE(platform::cad::ReadDxf(lone, refused, error));
    EXPECT_NE(error.find("coordinate group 21 without its x value"), std::string::npos) << error;
}

// Releases before R11 wrote a record's x groups first, then its y groups, then its z groups.
TEST(DxfForeignGroups, PointsWithInterleavedCoordinatesOfOldReleases) {
    const std::string drawing =
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLINE\n  5\n2A\n  8\n0\n 10\n1.5\n 11\n2.0\n 20\n-3.0\n 21\n4.0\n 30\n0.5\n 31\n0.25\n"
        "  0\nLINE\n  5\n2B\n  8\n0\n 10\n7.0\n 11\n8.0\n 20\n9.0\n 21\n10.0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false, true);
    std::string error;
    ASSERT_TRUE(platform::cad::ReadDxf(drawing, db, error)) << error;
    auto* spatial = AcDbLine::cast(ByHandle(db, "2A"));
    auto* flat = AcDbLine::cast(ByHandle(db, "2B"));
    ASSERT_NE(spatial, nullptr);
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(spatial->startPoint(), AcGePoint3d(1.5, -3.0, 0.5));
    EXPECT_EQ(spatial->endPoint(), AcGePoint3d(2.0, 4.0, 0.25));
    EXPECT_EQ(flat->startPoint(), AcGePoint3d(7.0, 9.0, 0));
    EXPECT_EQ(flat->endPoint(), AcGePoint3d(8.0, 10.0, 0));

    // An x group whose y never comes is still refused.
    std::string cut = drawing;
    cut.replace(cut.find(" 21\n10.0\n"), 10, "");
    AcDbDatabase refused(false, true);
    EXPECT_FALSE(platform::cad::ReadDxf(cut, refused, error));
    EXPECT_NE(error.find("point group 11 without its y value"), std::string::npos) << error;
}

}  // namespace
