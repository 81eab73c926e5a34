// Files cut short or garbled are refused with the line at fault, and the drawing they were to
// replace stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dxf_sample_drawing.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"

namespace {

namespace fs = std::filesystem;

TEST(DxfBadInput, CutOrGarbledDrawingsAreRefusedCleanly) {
    TestDrawing d;
    dxftest::BuildSample(d);
    const std::string text = platform::cad::WriteDxf(*d.db());

    // Cut every few hundred bytes: never read as a drawing, never a crash or a leak.
    for (std::size_t cut = 0; cut < text.size(); cut += 97) {
        AcDbDatabase db(false, true);
        std::string error;
        EXPECT_FALSE(platform::cad::ReadDxf(text.substr(0, cut), db, error)) << "cut at " << cut;
        EXPECT_FALSE(error.empty());
    }

    // Bytes overwritten here and there: refused or read, but always cleanly.
    for (std::size_t at = 5; at < text.size(); at += 131) {
        std::string garbled = text;
        for (std::size_t k = at; k < std::min(garbled.size(), at + 4); ++k)
            garbled[k] = static_cast<char>("\x81Z\n-9"[k % 5]);
        AcDbDatabase db(false, true);
        std::string error;
        if (!platform::cad::ReadDxf(garbled, db, error)) {
            EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
        }
    }
}

TEST(DxfBadInput, ErrorsNameTheLineAndLeaveTheDrawingAlone) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"  0\nSECTION\n  2\nENTITIES\nxyz\nLINE\n", "line 5: a group code was expected"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  5\n20\n 10\n1.5\n 20\nabc\n  0\nENDSEC\n  0\nEOF\n",
         "line 11: \"abc\" is not a number"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 20\n1\n  0\nENDSEC\n  0\nEOF\n",
         "line 7: coordinate group 20"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nVERTEX\n  0\nENDSEC\n  0\nEOF\n",
         "line 5: a VERTEX outside a POLYLINE"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n1001\nNOAPP\n1002\n{\n  0\nENDSEC\n  0\nEOF\n",
         "line 7: the extended data of the LINE cannot be kept"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  0\nENDSEC\n", "the file ends before its EOF marker"},
        {"AutoCAD Binary DXF\r\n", "binary DXF"},
    };
    for (const Case& c : cases) {
        AcDbDatabase db(false, true);
        std::string error;
        EXPECT_FALSE(platform::cad::ReadDxf(c.text, db, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }

    // Through the database: the open drawing keeps its objects and ids when a read fails.
    fs::path file = fs::temp_directory_path() / ("bad_" + std::to_string(::getpid()) + ".dxf");
    std::ofstream(file) << cases[1].text;
    TestDrawing d;
    dxftest::SampleIds ids = dxftest::BuildSample(d);
    EXPECT_EQ(d.db()->readDwgFile(file.string().c_str()), Acad::eInvalidDxfCode);
    EXPECT_NE(platform::cad::LastDrawingFileError().find("line 11"), std::string::npos);
    EXPECT_FALSE(ids.line.isErased());
    EXPECT_EQ(d.db()->userr1(), 500);
    fs::remove(file);

    // A small R12 drawing without handles, tables or block records is still a whole drawing.
    AcDbDatabase db(false, true);
    std::string error;
    ASSERT_TRUE(platform::cad::ReadDxf(
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\nWALL\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
        "  0\nENDSEC\n  0\nEOF\n",
        db, error))
        << error;
    auto* ms = AcDbBlockTableRecord::cast(platform::cad::PeekObject(db.modelSpaceId()));
    ASSERT_NE(ms, nullptr);
    ASSERT_EQ(ms->entityIds().length(), 1);
    EXPECT_EQ(AcDbEntity::cast(platform::cad::PeekObject(ms->entityIds()[0]))->layerName(), "WALL");
    EXPECT_FALSE(db.clayer().isNull());
}

}  // namespace
