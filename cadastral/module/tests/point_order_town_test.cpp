// The host program opens a generated town with DeroPelgar loaded and saves it: ezdxf finds every
// parcel in the canonical order with its segments and vertex data kept, nothing else changed, the
// drawing marked; reopening, a marked drawing and one without parcels change nothing more.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "cadastral/dictionary_records.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

const std::string kSource = DERO_SOURCE_DIR;

// Codes a boundary-line coding would have left on the old-style parcels' vertices: a text and a
// number, both telling where the vertex stood.
void CodeParcelVertices(AcDbDatabase& db) {
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    const AcDbObjectIdArray ids = space->entityIds();
    space->close();
    long serial = 0;
    for (AcDbObjectId id : ids) {
        AcDb2dPolyline* poly = nullptr;
        if (acdbOpenObject(poly, id, AcDb::kForRead) != Acad::eOk) continue;
        std::vector<AcDbObjectId> vertices;
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step()) vertices.push_back(it->objectId());
        const bool parcel = poly->layerName() == "JZD";
        poly->close();
        if (!parcel) continue;
        for (AcDbObjectId v : vertices) {
            const std::string code = "33010200100" + std::to_string(++serial);
            WriteEntityXData(v, "JZXDM", code.c_str(), kXDataString, -1, false, false, false);
            WriteEntityXData(v, "JZXH", std::to_string(serial % 7).c_str(), kXDataLong, -1, false, false, false);
        }
    }
}

// Polylines on the parcel layer that are no parcels: another code, and an open outline.
void AddOtherPolylines() {
    AcGePoint2dArray ring;
    for (const AcGePoint2d& p : {AcGePoint2d(499990, 3399990), AcGePoint2d(499995, 3399990), AcGePoint2d(499995, 3399995)})
        ring.append(p);
    ASSERT_FALSE(CreateCodedPolyline(ring, 0, 1, "141100", 0, kLightweightPolyline, "JZD").isNull());
    ASSERT_FALSE(CreateCodedPolyline(ring, 0, 0, "300000", 0, kSimple2dPolyline, "JZD").isNull());
}

TEST(ParcelOrderTown, TheHostProgramOrdersEachParcelOnceKeepingSegmentsAndVertexData) {
    dero::testing::TempFolder folder("parcel_order_town");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/root");
    const std::string make = std::string(MAKEDRAWING_PATH) + " --out " + dir + "/town.dxf --parcels 150 --seed 11" +
                             " --doubled-vertices 0.2 --lightweight-parcels 0.3 --codes " + kSource +
                             "/samples/support/index.ini";
    ASSERT_EQ(std::system(make.c_str()), 0);
    {
        AcDbDatabase db(false, true);
        ASSERT_EQ(db.readDwgFile((dir + "/town.dxf").c_str()), Acad::eOk);
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        CodeParcelVertices(db);
        AddOtherPolylines();
        EXPECT_EQ(db.dxfOut((dir + "/input.dxf").c_str()), Acad::eOk);
        EXPECT_TRUE(cadastral::WriteDictionaryRecord("x_record", "hasdodeasil", 5));
        EXPECT_EQ(db.dxfOut((dir + "/marked.dxf").c_str()), Acad::eOk);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }
    {
        AcDbDatabase db;
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        CreateCodedCircle(AcGePoint3d(1, 1, 0), 0.25, "301000", nullptr, "JZP");
        EXPECT_EQ(db.dxfOut((dir + "/bare.dxf").c_str()), Acad::eOk);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }
    // The sanitizer's leak check at the program's end can trip over the thread-local storage of the
    // module the program unloaded before (depending on what the heap holds by then); the leaks of
    // the host program are checked by its own tests, so it is left out of these runs.
    auto open = [&](const std::string& in, const std::string& out) {
        const std::string command = "cd '" + dir + "' && env -u DERO_PLUGIN_DIR DERO_ROOT='" + dir +
                                    "/root' ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" CADHOST_PROGRAM "' " + in +
                                    " -o " + out + " --support '" + kSource + "/samples/support' > out.txt 2>&1 < /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << in << ": " << dero::testing::ReadFile(dir + "/out.txt");
    };
    open("input.dxf", "after.dxf");
    open("after.dxf", "again.dxf");
    open("marked.dxf", "marked_after.dxf");
    open("bare.dxf", "bare_after.dxf");

    const std::string check = "cd '" + dir + "' && /usr/bin/python3 " + kSource +
                              "/cadastral/module/tests/check_parcel_order.py input.dxf after.dxf again.dxf marked.dxf" +
                              " marked_after.dxf bare.dxf bare_after.dxf > check.txt 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(dir + "/check.txt");
}

}  // namespace
