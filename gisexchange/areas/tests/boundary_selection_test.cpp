// Selection inside a boundary: the host's polygon selection, and the fallback of window-polygon
// mode that keeps linear and point features inside the boundary.
#include "gisexchange/boundary_selection.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "area_drawing.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_symbol_table.h"

namespace {

using namespace gisexchange;

class BoundarySelection : public AreaDrawingTest {
protected:
    // A reference to a small block, coded.
    AcDbObjectId Marker(double x, double y, const char* code)
    {
        if (block_.isNull()) {
            AcDbBlockTable* blocks = nullptr;
            acdbHostApplicationServices()->workingDatabase()->getBlockTable(blocks, AcDb::kForWrite);
            auto* record = new AcDbBlockTableRecord;
            record->setName("mark");
            blocks->add(block_, record);
            record->appendAcDbEntity(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 0.02));
            record->close();
            blocks->close();
        }
        AcDbBlockTableRecord* model = nullptr;
        acdbOpenObject(model, acdbHostApplicationServices()->workingDatabase()->modelSpaceId(), AcDb::kForWrite);
        AcDbObjectId id;
        auto* reference = new AcDbBlockReference(AcGePoint3d(x, y, 0), block_);
        model->appendAcDbEntity(id, reference);
        reference->close();
        model->close();
        SetEntityCode(NameOf(id), code);
        return id;
    }

private:
    AcDbObjectId block_;
};

TEST_F(BoundarySelection, PolygonModesAndTheirFailures)
{
    AcGePoint2dArray square = Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    AcDbObjectId boundary = Polyline(square, true, "300000");
    ads_name result{};
    EXPECT_FALSE(SelectCodedEntitiesInBoundary(NameOf(boundary), Points({{0, 0}, {10, 0}}), result, "wp", 1.0, 0));
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
    // Nothing to cross: "CP" gives up.
    AcGePoint2dArray empty = Points({{100, 100}, {110, 100}, {110, 110}});
    EXPECT_FALSE(SelectCodedEntitiesInBoundary(NameOf(boundary), empty, result, "CP", 0, 0));
    // Something wholly inside: the host's answer, from any view.
    AcDbObjectId inside = Polyline(Points({{3, 3}, {6, 6}}), false, "321000");
    ASSERT_TRUE(SelectCodedEntitiesInBoundary(NameOf(boundary), square, result, "WP", 1.0, 0));
    EXPECT_EQ(Members(result), std::vector<AcDbObjectId>{inside});
}

TEST_F(BoundarySelection, WindowFallbackKeepsFeaturesInside)
{
    // Everything hugs the boundary, so the polygon drawn one unit inside finds nothing.
    AcGePoint2dArray square = Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    AcDbObjectId boundary = Polyline(square, true, "300000");
    AcGePoint2dArray hugging = Points({{0.5, 0.5}, {9.5, 0.5}, {9.5, 5}});
    AcDbObjectId road = Polyline(hugging, false, "311000");
    AcGePoint2dArray leaving = Points({{0.5, 9.5}, {9.5, 9.5}, {9.5, 6}, {10.05, 6}});
    AcDbObjectId leaves = Polyline(leaving, false, "311000");   // its end lies outside
    Polyline(hugging, false, "321000");                         // open, not of code 311000
    AcDbObjectId ring = Polyline(Points({{0.2, 0.2}, {0.8, 0.2}, {0.8, 0.8}}), true, "321000");
    Polyline(Points({{0.2, 9}, {0.8, 9}, {0.8, 9.6}}), true, "141100");  // not of the families
    AcDbObjectId marker = Marker(0.5, 5, "312000");
    Marker(0, 5, "312000");  // on the boundary
    ads_name result{};
    ASSERT_TRUE(SelectCodedEntitiesInBoundary(NameOf(boundary), square, result, "wp", 1.0, 0));
    std::vector<AcDbObjectId> found = Members(result);
    std::sort(found.begin(), found.end());
    std::vector<AcDbObjectId> expected{road, ring, marker};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(std::count(found.begin(), found.end(), leaves), 0);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);

    // Other modes have no fallback.
    EXPECT_FALSE(SelectCodedEntitiesInBoundary(NameOf(boundary), Points({{20, 20}, {30, 20}, {30, 30}}), result,
                                               "CP", 0, 0));
}

}  // namespace
