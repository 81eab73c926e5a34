// Drawings made to hurt: handles at the end of the range, hatch values outside their kinds, blocks
// that insert themselves. Each is refused with the line at fault or opens and works.
#include <gtest/gtest.h>

#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/cad/view_state.h"
#include "platform/win/root.h"
#include "test_drawing.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

std::string Entities(const std::string& body) {
    return "  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n";
}

// A block B and, in model space, a reference to it followed by the groups given.
std::string ReferenceTo(const std::string& after) {
    return "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n  0\nENDBLK\n  0\nENDSEC\n" +
           Entities("  0\nINSERT\n  8\n0\n  2\nB\n 66\n1\n 10\n0\n 20\n0\n" + after);
}

TEST(DxfHostileInput, MalformedDrawingsAreRefusedNamingTheLine) {
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {Entities("  0\nLINE\n  5\nFFFFFFFFFFFFFFFF\n"),
         "line 7: handle FFFFFFFFFFFFFFFF is out of range (the largest is FFFFFFFFFFFFFFFE)"},
        {Entities("  0\nLINE\n  5\n10000000000000000\n"), "line 7: handle 10000000000000000 is out of range"},
        {"  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n 10\n0\n 20\n0\n  0\nENDBLK\n  0\nENDSEC\n  0\nEOF\n",
         "line 5: the block \"\" cannot be defined"},
        {Entities("  0\nINSERT\n  8\n0\n 10\n0\n 20\n0\n"), "line 5: the INSERT cannot be read"},
        {ReferenceTo("  0\nATTRIB\n  8\n0\n 10\n0\n 20\n0\n 40\n1\n  1\nx\n  0\nSEQEND\n  8\n0\n"),
         "line 33: the ATTRIB cannot be read"},
        {Entities("  0\nHATCH\n  8\n0\n  2\nSOLID\n 70\n1\n 75\n7\n"), "line 5: the HATCH cannot be read"},
        {Entities("  0\nHATCH\n  8\n0\n  2\nSOLID\n 70\n1\n 76\n-1\n"), "line 5: the HATCH cannot be read"},
    };
    for (const Case& c : cases) {
        AcDbDatabase db(false, true);
        std::string error;
        EXPECT_FALSE(platform::cad::ReadDxf(c.text, db, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }

    // A reference that announces attributes and has none keeps its sequence end.
    {
        AcDbDatabase db(false, true), again(false, true);
        std::string error;
        ASSERT_TRUE(platform::cad::ReadDxf(ReferenceTo("  0\nSEQEND\n  8\n0\n"), db, error)) << error;
        EXPECT_TRUE(platform::cad::ReadDxf(platform::cad::WriteDxf(db), again, error)) << error;
    }

    // The largest handle is kept. The objects made beside it, by the reader, the writer and
    // later on, take the free handles below it; a seed past the end of the range is passed over.
    const std::string top = "  0\nSECTION\n  2\nHEADER\n  9\n$HANDSEED\n  5\nFFFFFFFFFFFFFFFF\n  0\nENDSEC\n" +
                            Entities("  0\nLINE\n  5\nFFFFFFFFFFFFFFFE\n  8\n0\n");
    AcDbDatabase db(false, true);
    std::string error;
    ASSERT_TRUE(platform::cad::ReadDxf(top, db, error)) << error;
    AcDbObjectId line, added;
    EXPECT_EQ(db.getAcDbObjectId(line, false, AcDbHandle("FFFFFFFFFFFFFFFE")), Acad::eOk);
    auto* record = new AcDbXrecord;
    ASSERT_EQ(db.addAcDbObject(added, record), Acad::eOk);
    record->close();
    EXPECT_NE(added.handle().value(), 0u);
    AcDbDatabase again(false, true);
    ASSERT_TRUE(platform::cad::ReadDxf(platform::cad::WriteDxf(db), again, error)) << error;
    EXPECT_EQ(again.getAcDbObjectId(line, false, AcDbHandle("FFFFFFFFFFFFFFFE")), Acad::eOk);
    EXPECT_EQ(again.getAcDbObjectId(line, false, added.handle()), Acad::eOk);
}

TEST(DxfHostileInput, BlocksThatInsertThemselvesOpenZoomAndShowOnce) {
    // SELF inserts itself; PING and PONG insert each other.
    const std::string text =
        "  0\nSECTION\n  2\nBLOCKS\n"
        "  0\nBLOCK\n  8\n0\n  2\nSELF\n 70\n0\n 10\n0.0\n 20\n0.0\n"
        "  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n1.0\n"
        "  0\nINSERT\n  8\n0\n  2\nSELF\n 10\n2.0\n 20\n0.0\n"
        "  0\nENDBLK\n  8\n0\n"
        "  0\nBLOCK\n  8\n0\n  2\nPING\n 70\n0\n 10\n0.0\n 20\n0.0\n"
        "  0\nCIRCLE\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n1.0\n"
        "  0\nINSERT\n  8\n0\n  2\nPONG\n 10\n5.0\n 20\n0.0\n"
        "  0\nENDBLK\n  8\n0\n"
        "  0\nBLOCK\n  8\n0\n  2\nPONG\n 70\n0\n 10\n0.0\n 20\n0.0\n"
        "  0\nCIRCLE\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n1.0\n"
        "  0\nINSERT\n  8\n0\n  2\nPING\n 10\n0.0\n 20\n5.0\n"
        "  0\nENDBLK\n  8\n0\n"
        "  0\nENDSEC\n" +
        Entities("  0\nINSERT\n  8\n0\n  2\nSELF\n 10\n10.0\n 20\n10.0\n"
                 "  0\nINSERT\n  8\n0\n  2\nPING\n 10\n20.0\n 20\n20.0\n");
    dero::testing::TempFolder folder("dxf_cycle");
    ASSERT_FALSE(folder.path().empty());
    const std::string oldRoot = platform::win::GetRoot();
    platform::win::SetRoot(folder.path());
    dero::testing::WriteFile(folder / "c/cycle.dxf", text);

    TestDrawing d;
    ASSERT_EQ(d.db()->readDwgFile("C:\\cycle.dxf"), Acad::eOk) << platform::cad::LastDrawingFileError();
    ASSERT_EQ(acedCommand(RTSTR, "ZOOM", RTSTR, "E", RTNONE), RTNORM);
    // Each block's contents once: SELF's line, PING's circle and PONG's circle inside PING.
    AcDbExtents extents = platform::cad::DrawingExtents(d.db());
    EXPECT_EQ(extents.minPoint().x, 10);
    EXPECT_EQ(extents.minPoint().y, 10);
    EXPECT_EQ(extents.maxPoint().x, 26);
    EXPECT_EQ(extents.maxPoint().y, 21);
    EXPECT_EQ(acedCommand(RTSTR, "MSLIDE", RTSTR, "C:\\cycle.sld", RTNONE), RTNORM);
    EXPECT_NE(dero::testing::ReadFile(folder / "c/cycle.sld").find(" INSERT "), std::string::npos);

    AcDbDatabase again(false, true);
    std::string error;
    EXPECT_TRUE(platform::cad::ReadDxf(platform::cad::WriteDxf(*d.db()), again, error)) << error;
    platform::win::SetRoot(oldRoot);
}

TEST(DxfHostileInput, BlocksNestedDeepAndWideOpenAndZoomAtOnce) {
    // Each of 300 blocks holds a unit line and two references to the next, at (1,0) and (0,1):
    // 2^300 paths, each block measured once. Nesting is cut off below the first 256 levels.
    std::string blocks = "  0\nSECTION\n  2\nBLOCKS\n";
    for (int i = 0; i < 300; ++i) {
        const std::string next = std::to_string(i + 1);
        blocks += "  0\nBLOCK\n  8\n0\n  2\nB" + std::to_string(i) + "\n 70\n0\n 10\n0.0\n 20\n0.0\n"
                  "  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n1.0\n";
        if (i + 1 < 300)
            blocks += "  0\nINSERT\n  8\n0\n  2\nB" + next + "\n 10\n1.0\n 20\n0.0\n"
                      "  0\nINSERT\n  8\n0\n  2\nB" + next + "\n 10\n0.0\n 20\n1.0\n";
        blocks += "  0\nENDBLK\n  8\n0\n";
    }
    const std::string text = blocks + "  0\nENDSEC\n" +
                             Entities("  0\nINSERT\n  8\n0\n  2\nB0\n 10\n10.0\n 20\n10.0\n"
                                      "  0\nINSERT\n  8\n0\n  2\nB298\n 10\n-10.0\n 20\n-10.0\n");
    dero::testing::TempFolder folder("dxf_nested");
    ASSERT_FALSE(folder.path().empty());
    const std::string oldRoot = platform::win::GetRoot();
    platform::win::SetRoot(folder.path());
    dero::testing::WriteFile(folder / "c/nested.dxf", text);

    TestDrawing d;
    ASSERT_EQ(d.db()->readDwgFile("C:\\nested.dxf"), Acad::eOk) << platform::cad::LastDrawingFileError();
    ASSERT_EQ(acedCommand(RTSTR, "ZOOM", RTSTR, "E", RTNONE), RTNORM);
    // B0..B255 show, each one unit beyond the next; B298 at the bottom shows B299 whole.
    AcDbExtents extents = platform::cad::DrawingExtents(d.db());
    EXPECT_EQ(extents.minPoint().x, -10);
    EXPECT_EQ(extents.minPoint().y, -10);
    EXPECT_EQ(extents.maxPoint().x, 10 + 256);
    EXPECT_EQ(extents.maxPoint().y, 10 + 256);
    EXPECT_EQ(acedCommand(RTSTR, "MSLIDE", RTSTR, "C:\\nested.sld", RTNONE), RTNORM);
    EXPECT_NE(dero::testing::ReadFile(folder / "c/nested.sld").find(" INSERT "), std::string::npos);
    platform::win::SetRoot(oldRoot);
}

}  // namespace
