#include <gtest/gtest.h>

#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_view_record.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"
#include "platform/cad/view_state.h"

#include "drawing_fixture.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"

namespace {

using platform::cad::ViewOf;

class ViewSelectionTest : public DrawingTest {
protected:
    ViewSelectionTest() { Show(100, 50, 20); }
    // A screen of 800 x 400 pixels showing a window of the height around the centre.
    static void Show(double x, double y, double height)
    {
        auto& view = ViewOf();
        view.screenWidth = 800;
        view.screenHeight = 400;
        view.center = AcGePoint3d(x, y, 0);
        view.height = height;
    }
    static AcGePoint2dArray Ring(std::initializer_list<AcGePoint2d> points)
    {
        AcGePoint2dArray ring;
        for (const AcGePoint2d& p : points)
            ring.append(p);
        return ring;
    }
    AcDbObjectId Circle(double x, double y, double r) const
    {
        return Add(new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, r));
    }
    static std::vector<AcDbObjectId> Members(const ads_name ss)
    {
        std::vector<AcDbObjectId> ids;
        Adesk::Int32 n = 0;
        acedSSLength(ss, &n);
        for (Adesk::Int32 i = 0; i < n; ++i) {
            ads_name e;
            AcDbObjectId id;
            acedSSName(ss, i, e);
            acdbGetObjectId(id, e);
            ids.push_back(id);
        }
        acedSSFree(ss);
        return ids;
    }
    static void ExpectWindow(double x1, double y1, double x2, double y2)
    {
        AcGePoint3d lo, hi;
        ASSERT_TRUE(GetViewWindow(lo, hi));
        EXPECT_NEAR(lo.x, x1, 1e-9);
        EXPECT_NEAR(lo.y, y1, 1e-9);
        EXPECT_NEAR(hi.x, x2, 1e-9);
        EXPECT_NEAR(hi.y, y2, 1e-9);
    }
};

TEST_F(ViewSelectionTest, ViewWindowAndSavedView)
{
    ExpectWindow(80, 40, 120, 60);
    ViewOf().viewMode = 2 | 16;
    ViewOf().twist = 0.25;
    AcDbViewTableRecord saved;
    ASSERT_TRUE(SaveViewState(saved));
    EXPECT_EQ(saved.centerPoint(), AcGePoint2d(100, 50));
    EXPECT_EQ(saved.height(), 20);
    EXPECT_EQ(saved.width(), 40);
    EXPECT_TRUE(saved.frontClipEnabled());
    EXPECT_FALSE(saved.frontClipAtEye());
    EXPECT_FALSE(saved.perspectiveEnabled());
    EXPECT_EQ(saved.viewTwist(), 0.25);

    Show(0, 0, 500);
    ViewOf().viewMode = 0;
    ASSERT_EQ(acedSetCurrentView(&saved, nullptr), Acad::eOk);
    ExpectWindow(80, 40, 120, 60);
    EXPECT_EQ(ViewOf().viewMode, 2 | 16);
}

TEST_F(ViewSelectionTest, ZoomToWindowNeverMakesAnEmptyView)
{
    ASSERT_TRUE(ZoomToWindow(AcGePoint3d(40, 10, 0), AcGePoint3d(0, 0, 0)));
    ExpectWindow(0, -5, 40, 15);  // wider than the screen: the height grows
    ASSERT_TRUE(ZoomToWindow(AcGePoint3d(5, 5, 0), AcGePoint3d(5, 5, 0)));
    ExpectWindow(4, 4.5, 6, 5.5);
    ASSERT_TRUE(ZoomToWindow(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
    ExpectWindow(0, -2.5, 10, 2.5);
    ASSERT_TRUE(ZoomToWindow(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 8, 0)));
    ExpectWindow(-8, 0, 8, 8);
    ASSERT_TRUE(ZoomToWindow(AcGePoint3d(0, 0, 0), AcGePoint3d(0.1, 0.01, 0)));
    EXPECT_EQ(ViewOf().height, kMinZoomHeight);
    EXPECT_FALSE(ZoomToWindow(AcGePoint3d(0, 0, 0), AcGePoint3d(NAN, 1, 0)));
    EXPECT_EQ(ViewOf().height, kMinZoomHeight);
}

TEST_F(ViewSelectionTest, ExtentsAndEnsurePointsVisible)
{
    AcGePoint3d lo(7, 7, 7), hi(7, 7, 7);
    EXPECT_FALSE(GetPointsExtents(AcGePoint2dArray(), lo, hi, 1));
    EXPECT_EQ(lo, AcGePoint3d(7, 7, 7));
    ASSERT_TRUE(GetPointsExtents(Ring({{3, 4}, {-1, 9}, {2, 2}}), lo, hi, 0.5));
    EXPECT_EQ(lo, AcGePoint3d(-1.5, 1.5, 0));
    EXPECT_EQ(hi, AcGePoint3d(3.5, 9.5, 0));
    AcDbObjectId line = Add(new AcDbLine(AcGePoint3d(1, 2, 5), AcGePoint3d(4, -3, 5)));
    ASSERT_TRUE(EntityExtents(NameOf(line), lo, hi, 1));
    EXPECT_EQ(lo, AcGePoint3d(0, -4, 0));
    EXPECT_EQ(hi, AcGePoint3d(5, 3, 0));

    EXPECT_FALSE(EnsurePointsVisible(Ring({{90, 45}, {110, 55}}), 1));
    ExpectWindow(80, 40, 120, 60);
    EXPECT_FALSE(EnsurePointsVisible(AcGePoint2dArray(), 1));
    // A point on the left edge is not inside: the view widens to the left.
    ASSERT_TRUE(EnsurePointsVisible(Ring({{80, 50}}), 2));
    AcGePoint3d viewLo, viewHi;
    ASSERT_TRUE(GetViewWindow(viewLo, viewHi));
    EXPECT_NEAR(viewLo.x, 78, 1e-9);
    EXPECT_NEAR(viewHi.x, 120, 1e-9);
    EXPECT_LE(viewLo.y, 40);
    EXPECT_GE(viewHi.y, 60);
}

TEST_F(ViewSelectionTest, PolygonSelectionWidensTheViewFirst)
{
    AcDbObjectId far = Circle(1000, 1000, 1);
    AcDbObjectId near = Circle(1000, 1004, 0.8);  // 0.2 below the polygon's top edge
    const AcGePoint2dArray square = Ring({{995, 995}, {1005, 995}, {1005, 1005}, {995, 1005}});
    ads_point corners[4] = {{995, 995, 0}, {1005, 995, 0}, {1005, 1005, 0}, {995, 1005, 0}};
    resbuf* chain = acutBuildList(RTPOINT, corners[0], RTPOINT, corners[1], RTPOINT, corners[2], RTPOINT,
                                  corners[3], 0);
    ads_name ss;
    EXPECT_EQ(acedSSGet("WP", chain, nullptr, nullptr, ss), RTERROR);  // off the screen
    acutRelRb(chain);

    resbuf style{};
    style.restype = RTSHORT;
    style.resval.rint = 2;
    ASSERT_EQ(acedSetVar("PICKSTYLE", &style), RTNORM);
    EXPECT_FALSE(SelectByPolygon(square, ss, "W", 0, 1));
    ExpectWindow(80, 40, 120, 60);

    ASSERT_TRUE(SelectByPolygon(square, ss, "wp", 0.0005, 1));
    EXPECT_EQ(Members(ss), (std::vector<AcDbObjectId>{far, near}));
    ExpectWindow(80, 40, 120, 60);  // restored
    ASSERT_EQ(acedGetVar("PICKSTYLE", &style), RTNORM);
    EXPECT_EQ(style.resval.rint, 2);

    // Inset by 0.5: the counter-clockwise ring is turned clockwise first, so that it shrinks.
    ASSERT_TRUE(SelectByPolygon(square, ss, "WP", 0.5, 0));
    EXPECT_EQ(Members(ss), (std::vector<AcDbObjectId>{far}));
    AcGePoint3d lo, hi;
    ASSERT_TRUE(GetViewWindow(lo, hi));
    EXPECT_LT(lo.x, 995);  // the view stays widened
    EXPECT_GT(hi.y, 1005);

    // The host's offset drops the repeated corners, leaving too few points: each corner then
    // moves along its bisector instead.
    AcDbObjectId centre = Circle(1000, 1000, 0.2);
    AcGePoint2dArray doubled;
    for (const AcGePoint2d& p : square) {
        doubled.append(p);
        doubled.append(p);
    }
    ASSERT_TRUE(SelectByPolygon(doubled, "WP", ss, 0.5));
    EXPECT_EQ(Members(ss), (std::vector<AcDbObjectId>{far, centre}));

    // Repeated points reach the host once: a triangle with two equal corners is no polygon.
    EXPECT_FALSE(SelectByPolygon(Ring({{990, 990}, {1010, 1010}, {1010, 1010.0005}}), ss, "CP", 0, 0));
    ASSERT_TRUE(SelectByPolygon(Ring({{990, 990}, {1010, 1010}, {1010, 990}}), ss, "cp", 0, 0));
    EXPECT_EQ(Members(ss), (std::vector<AcDbObjectId>{far, centre}));  // crossed by the diagonal
    ASSERT_TRUE(SelectByPolygon(Ring({{990, 1004}, {1010, 1004}}), "FX", ss, 0));
    EXPECT_EQ(Members(ss), (std::vector<AcDbObjectId>{near}));
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

}  // namespace
