// The gap fusion and the snapping of boundary points where a crossing window takes two features
// or more: which point goes to a corner and the order of the reports follow the order the host's
// window gives. A real host promises none, so here the host's crossing windows answer last drawn
// first.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <strings.h>

#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "cadastral/gap_fusion.h"
#include "drawingutil/coded_entities.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/selection.h"
#include "toolkit_fixture.h"

namespace {

bool reverseWindows = false;

using SelectionCall = int (*)(const char*, const void*, const void*, const resbuf*, ads_name);

SelectionCall HostSelection() {
    static const auto call = reinterpret_cast<SelectionCall>(dlsym(RTLD_NEXT, "_Z9acedSSGetPKcPKvS2_PK6resbufPl"));
    return call;
}

}  // namespace

// The host's selection, its crossing windows turned round while a test asks for it.
int acedSSGet(const char* mode, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss) {
    const int status = HostSelection()(mode, pt1, pt2, filter, ss);
    if (status != RTNORM || !reverseWindows || mode == nullptr || strcasecmp(mode, "c") != 0) return status;
    Adesk::Int32 count = 0;
    acedSSLength(ss, &count);
    std::vector<AcDbObjectId> ids;
    for (Adesk::Int32 i = count - 1; i >= 0; --i) {
        ads_name entity;
        AcDbObjectId id;
        if (acedSSName(ss, i, entity) == RTNORM && acdbGetObjectId(id, entity) == Acad::eOk) ids.push_back(id);
    }
    acedSSFree(ss);
    return platform::cad::MakeSelectionSet(ids, ss);
}

namespace {

using namespace cadastral;
using geometry::Point2d;
using geometry::PointList;

class WindowOrder : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(NewDrawingWith({TALLYVIEW_MODULE}));
        ASSERT_NE(HostSelection(), nullptr);
        reverseWindows = true;
    }
    void TearDown() override {
        reverseWindows = false;
        ToolkitTest::TearDown();
    }
    static AcDbObjectId Outline(const PointList& points, const char* code, const char* layer) {
        AcGePoint2dArray host;
        for (const Point2d& p : points) host.append(AcGePoint2d(p.x, p.y));
        return CreateCodedPolyline(host, 0.0, 1, code, 0.0, kLightweightPolyline, layer);
    }
    static Point2d Centre(AcDbObjectId id) {
        AcDbCircle* circle = nullptr;
        if (acdbOpenObject(circle, id, AcDb::kForRead) != Acad::eOk) return {-1, -1};
        const Point2d c{circle->center().x, circle->center().y};
        circle->close();
        return c;
    }
};

TEST_F(WindowOrder, TheFirstOfEqualPointsIsTheWindowsFirst) {
    Outline({{0, 0}, {20, 0}, {20, 20}, {0, 20}}, "300000", "JZD");
    // Another class far round it, so that every circle is well in sight.
    Outline({{-100, -100}, {200, -100}, {200, 200}, {-100, 200}}, "300001", "JZD");
    auto circle = [](Point2d at) {
        return CreateCodedCircle(AcGePoint3d(at.x, at.y, 0), 0.05, "301000", nullptr, "JZP");
    };
    // Both well inside the corner's window and as near as each other.
    const AcDbObjectId first = circle({20.1, 20});
    const AcDbObjectId second = circle({19.9, 20});
    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300000", 0.25));
    EXPECT_EQ(Centre(second), (Point2d{20, 20}));
    EXPECT_EQ(Centre(first), (Point2d{-1, -1}));  // left off every corner, it went
}

TEST_F(WindowOrder, TwoNeighboursAreReportedInTheWindowsOrder) {
    Outline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, "300000", "JZD");
    Outline({{-0.03, 0}, {-10, 0}, {-10, 10}}, "300000", "JZD");
    Outline({{0, -0.02}, {10, -10}, {0, -10}}, "300000", "JZD");
    Outline({{-100, -100}, {200, -100}, {200, 200}, {-100, 200}}, "300001", "JZD");
    AcDbObjectIdArray modified;
    FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 3, 0.05);
    const std::vector<browser_testing::BrowserLine> lines =
        browser_testing::ExportedBrowserLines(*answers)[kBoundaryFusionTitle];
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "成功融合 X:0.000 Y:-0.020 处 0.02 空隙");
    EXPECT_EQ(lines[1].text, "成功融合 X:-0.030 Y:0.000 处 0.03 空隙");
}

}  // namespace
