// Close-vertex removal on a generated town whose parcels have doubled vertices: exactly the
// reported doubles go, and the saved drawing passes ezdxf's audit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "geometry/curve_vertex_editing.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace geometry {
namespace {

// Handle and number of doubles of each parcel the generator's report names.
std::map<std::string, int> ReportedDoubles(const std::string& report) {
    std::map<std::string, int> doubles;
    const std::string kind = "\"kind\": \"doubled_vertex\", \"handle\": \"";
    for (std::size_t at = report.find(kind); at != std::string::npos; at = report.find(kind, at + 1)) {
        const std::size_t begin = at + kind.size();
        ++doubles[report.substr(begin, report.find('"', begin) - begin)];
    }
    return doubles;
}

TEST(CloseVerticesTown, RemovesExactlyTheReportedDoubles) {
    dero::testing::TempFolder dir("close_vertices_town");
    ASSERT_FALSE(dir.path().empty());
    const std::string command = std::string(MAKEDRAWING_PATH) + " --out " + (dir / "town.dxf") + " --report " +
                                (dir / "town.json") + " --parcels 200 --seed 5 --doubled-vertices 0.2 --codes " + DERO_SOURCE_DIR +
                                "/samples/support/index.ini";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::map<std::string, int> reported = ReportedDoubles(dero::testing::ReadFile(dir / "town.json"));
    ASSERT_GT(reported.size(), 10u);

    std::map<std::string, int> removed;
    {
        AcDbDatabase db(false, true);
        ASSERT_EQ(db.readDwgFile((dir / "town.dxf").c_str()), Acad::eOk);
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
        const AcDbObjectIdArray ids = ms->entityIds();
        ms->close();
        for (int i = 0; i < ids.length(); ++i) {
            AcDbEntity* entity = nullptr;
            if (acdbOpenObject(entity, ids[i], AcDb::kForRead) != Acad::eOk) continue;
            const bool polyline = entity->isA() == AcDbPolyline::desc() || entity->isA() == AcDb2dPolyline::desc();
            const std::string handle = entity->objectHandle().text();
            entity->close();
            if (!polyline) continue;
            int count = 0;
            ASSERT_TRUE(RemoveCloseVertices(ids[i], 0.001, &count));
            if (count > 0) removed[handle] = count;
        }
        ASSERT_EQ(db.dxfOut((dir / "clean.dxf").c_str()), Acad::eOk);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }
    EXPECT_EQ(removed, reported);

    dero::testing::WriteFile(dir / "audit.py",
                             "import sys, ezdxf\n"
                             "doc = ezdxf.readfile(sys.argv[1])\n"
                             "auditor = doc.audit()\n"
                             "for e in auditor.errors: print(e.message)\n"
                             "left = 0\n"
                             "for e in doc.modelspace().query('POLYLINE LWPOLYLINE'):\n"
                             "    pts = [tuple(v.dxf.location)[:2] for v in e.vertices] if e.dxftype() == 'POLYLINE' "
                             "else [tuple(p)[:2] for p in e.get_points('xy')]\n"
                             "    pairs = zip(pts, pts[1:] + (pts[:1] if e.is_closed else []))\n"
                             "    left += sum(1 for a, b in pairs if ezdxf.math.Vec2(a).distance(ezdxf.math.Vec2(b)) < 0.001)\n"
                             "print('doubles left', left)\n"
                             "sys.exit(1 if auditor.has_errors or left else 0)\n");
    const std::string audit = "/usr/bin/python3 " + (dir / "audit.py") + " " + (dir / "clean.dxf");
    EXPECT_EQ(std::system(audit.c_str()), 0);
}

}  // namespace
}  // namespace geometry
