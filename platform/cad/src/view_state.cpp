#include "platform/cad/view_state.h"

#include <algorithm>
#include <cmath>

#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_view_record.h"
#include "drawing_services.h"

DERO_RX_DEFINE_MEMBERS(AcDbViewTableRecord, "VIEW", AcDbKeptSymbolTableRecord)

namespace platform::cad {

AcDbExtents ViewState::Window() const
{
    double w = Width();
    return AcDbExtents(AcGePoint3d(center.x - w / 2, center.y - height / 2, 0),
                       AcGePoint3d(center.x + w / 2, center.y + height / 2, 0));
}

bool ViewState::Show(const AcGePoint3d& newCenter, double width, double areaHeight)
{
    if (!(width > 0) || !(areaHeight > 0) || !std::isfinite(width) || !std::isfinite(areaHeight) ||
        !std::isfinite(newCenter.x) || !std::isfinite(newCenter.y))
        return false;
    center = AcGePoint3d(newCenter.x, newCenter.y, 0);
    height = std::max(areaHeight, width * screenHeight / screenWidth);
    return true;
}

AcDbExtents DrawingExtents(AcDbDatabase* database)
{
    if (database == nullptr)
        database = acdbHostApplicationServices()->workingDatabase();
    AcDbExtents extents;
    // Entities share a few layers: whether the last one asked is frozen is kept, so that the walk
    // reads only the index, not the entities and their layers.
    const ObjectStub* lastLayer = nullptr;
    bool lastFrozen = false;
    ServicesOf(database).index.ForEach([&](std::uint64_t /*slot*/, const Box2d& box, const ObjectStub* layerStub) {
        if (layerStub != lastLayer || lastLayer == nullptr) {
            auto* layer = layerStub != nullptr ? AcDbLayerTableRecord::cast(layerStub->object.get()) : nullptr;
            lastLayer = layerStub;
            lastFrozen = layer != nullptr && layer->isFrozen();
        }
        if (lastFrozen)
            return;
        extents.addPoint(AcGePoint3d(box.minX, box.minY, 0));
        extents.addPoint(AcGePoint3d(box.maxX, box.maxY, 0));
    });
    return extents;
}

bool ZoomExtents(AcDbDatabase* database)
{
    AcDbExtents extents = DrawingExtents(database);
    if (extents.isEmpty())
        return false;
    ViewState& view = ViewOf(database);
    AcGePoint3d lo = extents.minPoint(), hi = extents.maxPoint();
    AcGePoint3d mid((lo.x + hi.x) / 2, (lo.y + hi.y) / 2, 0);
    double w = hi.x - lo.x, h = hi.y - lo.y;
    // A drawing of one point, or of one horizontal or vertical line, keeps a visible size.
    if (w <= 0 && h <= 0) {
        view.center = mid;
        return true;
    }
    if (h <= 0)
        h = w * view.screenHeight / view.screenWidth;
    if (w <= 0)
        w = h * view.screenWidth / view.screenHeight;
    return view.Show(mid, w, h);
}

bool ZoomWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2, AcDbDatabase* database)
{
    AcGePoint3d mid((corner1.x + corner2.x) / 2, (corner1.y + corner2.y) / 2, 0);
    return ViewOf(database).Show(mid, std::fabs(corner1.x - corner2.x), std::fabs(corner1.y - corner2.y));
}

}  // namespace platform::cad

Acad::ErrorStatus acedSetCurrentView(AcDbViewTableRecord* view, AcDbViewport* /*viewport*/)
{
    if (view == nullptr)
        return Acad::eInvalidInput;
    platform::cad::ViewState& state = platform::cad::ViewOf();
    platform::cad::ViewState next = state;
    AcGePoint2d c = view->centerPoint();
    if (!next.Show(AcGePoint3d(c.x, c.y, 0), view->width(), view->height()))
        return Acad::eInvalidInput;
    next.target = view->target();
    next.direction = view->viewDirection();
    next.twist = view->viewTwist();
    next.lensLength = view->lensLength();
    next.frontZ = view->frontClipDistance();
    next.backZ = view->backClipDistance();
    next.viewMode = (view->perspectiveEnabled() ? 1 : 0) | (view->frontClipEnabled() ? 2 : 0) |
                    (view->backClipEnabled() ? 4 : 0) | (view->frontClipAtEye() ? 0 : 16);
    state = next;
    return Acad::eOk;
}
