// The real module puts each drawing's parcels into the canonical order once, when the drawing
// first becomes active, and marks it; every activation zooms to the drawing's extents.
#include <gtest/gtest.h>

#include <string>

#include "cadastral/dictionary_records.h"
#include "drawingutil/view_window.h"
#include "parcel_scene.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"

namespace {

using cadastral::ReadDictionaryRecord;

using Coords = std::vector<std::pair<double, double>>;
Coords Of(const AcGePoint2dArray& points) {
    Coords out;
    for (const AcGePoint2d& p : points) out.emplace_back(p.x, p.y);
    return out;
}

using cadastral::WriteDictionaryRecord;

class PointOrderTest : public ParcelSceneTest {
protected:
    static bool Load() { return acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false); }
    static void Activate(AcApDocument* doc) { ASSERT_EQ(acDocManager->activateDocument(doc), Acad::eOk); }
    static int Marker() {
        int value = -1;
        return ReadDictionaryRecord("x_record", "hasdodeasil", value) ? value : -1;
    }
    static AcGePoint2dArray Bulges(AcDbObjectId id) {
        AcGeDoubleArray bulges;
        EXPECT_TRUE(GetCurveBulges(Name(id), bulges, 0));
        AcGePoint2dArray out;  // (bulge, 0) pairs, to compare with the same helpers
        for (double b : bulges) out.append(AcGePoint2d(b, 0));
        return out;
    }
    // The view shows the box (with some room to spare).
    static bool ViewShows(const AcGePoint2d& low, const AcGePoint2d& high) {
        AcGePoint3d a, b;
        return GetViewWindow(a, b) && a.x <= low.x && a.y <= low.y && b.x >= high.x && b.y >= high.y &&
               (b.x - a.x < 3 * (high.x - low.x) || b.y - a.y < 3 * (high.y - low.y));
    }
    static void LookAway() { acedCommand(RTSTR, "zoom", RTSTR, "w", RTSTR, "900,900", RTSTR, "901,901", RTNONE); }
    static AcDbObjectId LightweightParcel() {
        auto* poly = new AcDbPolyline;
        const AcGePoint2d corners[] = {{40, 0}, {50, 0}, {50, 10}, {40, 10}};
        const double bulges[] = {0.2, 0, -0.3, 0};
        for (unsigned i = 0; i < 4; ++i) poly->addVertexAt(i, corners[i], bulges[i]);
        poly->setClosed(true);
        return Add(poly, "JZD", "300000");
    }
};

TEST_F(PointOrderTest, ParcelsAreOrderedOnceClockwiseFromTheirStartCornerAndTheDrawingMarked) {
    // Counter-clockwise, its start corner (least x - y) the third vertex.
    AcDbObjectId square = Parcel({{10, 0}, {10, 10}, {0, 10}, {0, 0}});
    AcDbObjectId arcs = LightweightParcel();
    AcDbObjectId other = Parcel({{10, 0}, {10, 10}, {0, 10}, {0, 0}}, false, "141100");
    auto* open = new AcDbPolyline;
    open->addVertexAt(0, AcGePoint2d(0, 0));
    open->addVertexAt(1, AcGePoint2d(5, 0));
    open->addVertexAt(2, AcGePoint2d(5, 5));
    AcDbObjectId line = Add(open, "JZD", "300000");
    LookAway();
    ASSERT_TRUE(Load()) << platform::cad::LastModuleError();
    EXPECT_EQ(Marker(), -1) << "loading alone changes nothing";
    Activate(curDoc());

    EXPECT_EQ(Of(Points(square)), Of(List({{0, 10}, {10, 10}, {10, 0}, {0, 0}})));
    // The arcs stay on their sides, run the other way.
    EXPECT_EQ(Of(Points(arcs)), Of(List({{40, 10}, {50, 10}, {50, 0}, {40, 0}})));
    EXPECT_EQ(Of(Bulges(arcs)), Of(List({{0.3, 0}, {0, 0}, {-0.2, 0}, {0, 0}})));
    EXPECT_EQ(Of(Points(other)), Of(List({{10, 0}, {10, 10}, {0, 10}, {0, 0}})));
    EXPECT_EQ(Of(Points(line)), Of(List({{0, 0}, {5, 0}, {5, 5}})));
    EXPECT_EQ(Marker(), 1);
    EXPECT_TRUE(ViewShows(AcGePoint2d(0, 0), AcGePoint2d(50, 10)));

    // The second activation only zooms.
    SetPolylineVertices(Name(square), List({{10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    LookAway();
    Activate(curDoc());
    EXPECT_EQ(Of(Points(square)), Of(List({{10, 0}, {10, 10}, {0, 10}, {0, 0}})));
    EXPECT_TRUE(ViewShows(AcGePoint2d(0, 0), AcGePoint2d(50, 10)));

    // Unloaded, the module no longer hears activations.
    ASSERT_TRUE(acrxDynamicLinker->unloadModule("DeroPelgar", false));
    LookAway();
    Activate(curDoc());
    EXPECT_FALSE(ViewShows(AcGePoint2d(0, 0), AcGePoint2d(50, 10)));
}

TEST_F(PointOrderTest, MarkedDrawingsStayAndEachDrawingIsOrderedOnce) {
    AcApDocument* first = curDoc();
    AcDbObjectId marked = Parcel({{10, 0}, {10, 10}, {0, 10}, {0, 0}});
    ASSERT_TRUE(WriteDictionaryRecord("x_record", "hasdodeasil", 7));
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    AcApDocument* second = curDoc();
    AcDbObjectId parcel = Parcel({{10, 0}, {10, 10}, {0, 10}, {0, 0}});
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    AcApDocument* empty = curDoc();
    ASSERT_TRUE(Load()) << platform::cad::LastModuleError();

    Activate(first);
    EXPECT_EQ(Of(Points(marked)), Of(List({{10, 0}, {10, 10}, {0, 10}, {0, 0}})));
    EXPECT_EQ(Marker(), 7);
    EXPECT_TRUE(ViewShows(AcGePoint2d(0, 0), AcGePoint2d(10, 10)));

    Activate(second);
    EXPECT_EQ(Of(Points(parcel)), Of(List({{0, 10}, {10, 10}, {10, 0}, {0, 0}})));
    EXPECT_EQ(Marker(), 1);
    SetPolylineVertices(Name(parcel), List({{10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    Activate(first);
    Activate(second);
    EXPECT_EQ(Of(Points(parcel)), Of(List({{10, 0}, {10, 10}, {0, 10}, {0, 0}})));

    // Without parcels: only the marker.
    Activate(empty);
    EXPECT_EQ(Marker(), 1);
}

TEST_F(PointOrderTest, RecordsAreMadeReplacedAndRefusedWhereTheNameIsTaken) {
    int value = -1;
    EXPECT_FALSE(ReadDictionaryRecord("x_record", "hasdodeasil", value));
    ASSERT_TRUE(WriteDictionaryRecord("x_record", "hasdodeasil", 3));
    ASSERT_TRUE(WriteDictionaryRecord("x_record", "hasdodeasil", 5));
    ASSERT_TRUE(ReadDictionaryRecord("x_record", "hasdodeasil", value));
    EXPECT_EQ(value, 5);
    EXPECT_FALSE(ReadDictionaryRecord("x_record", "other", value));

    // A name taken by something else than a dictionary: refused, and what is there stays.
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(db->getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* record = new AcDbXrecord;
    AcDbObjectId id;
    ASSERT_EQ(nod->setAt("taken", record, id), Acad::eOk);
    record->close();
    nod->close();
    EXPECT_FALSE(WriteDictionaryRecord("taken", "hasdodeasil", 1));
    EXPECT_FALSE(ReadDictionaryRecord("taken", "hasdodeasil", value));
    AcDbXrecord* kept = nullptr;
    EXPECT_EQ(acdbOpenObject(kept, id, AcDb::kForRead), Acad::eOk);
    if (kept != nullptr) kept->close();
}

}  // namespace
