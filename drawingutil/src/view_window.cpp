#include "drawingutil/view_window.h"

#include <algorithm>

#include "platform/cad/ads_transform.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_view_record.h"
#include "platform/cad/system_variables.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

bool ReadPoint(const char* name, AcGePoint3d& point)
{
    resbuf value{};
    if (acedGetVar(name, &value) != RTNORM || (value.restype != RTPOINT && value.restype != RT3DPOINT))
        return false;
    point.set(value.resval.rpoint[0], value.resval.rpoint[1], value.restype == RT3DPOINT ? value.resval.rpoint[2] : 0);
    return true;
}

bool ReadReal(const char* name, double& real)
{
    resbuf value{};
    if (acedGetVar(name, &value) != RTNORM || value.restype != RTREAL)
        return false;
    real = value.resval.rreal;
    return true;
}

int ReadShort(const char* name)
{
    resbuf value{};
    if (acedGetVar(name, &value) != RTNORM || value.restype != RTSHORT)
        return 0;
    return value.resval.rint;
}

// User coordinates into world ones; a point (or, with `vector`, a direction) the host cannot
// move keeps its value. This host shows plan views only, whose display coordinates are the
// world's, so this also takes user coordinates to display ones.
AcGePoint3d UserToWorld(const AcGePoint3d& point, bool vector)
{
    ads_point from = {point.x, point.y, point.z}, to = {0, 0, 0};
    if (acdbUcs2Wcs(from, to, vector) != RTNORM)
        return point;
    return AcGePoint3d(to[0], to[1], to[2]);
}

}  // namespace

bool GetViewWindow(AcGePoint3d& lowerLeft, AcGePoint3d& upperRight)
{
    AcGePoint3d screen, centre;
    double height = 0;
    if (!ReadPoint("SCREENSIZE", screen) || !ReadPoint("VIEWCTR", centre) || !ReadReal("VIEWSIZE", height) ||
        !(screen.y > 0))
        return false;
    double width = height * screen.x / screen.y;
    lowerLeft.set(centre.x - width / 2, centre.y - height / 2, 0);
    upperRight.set(centre.x + width / 2, centre.y + height / 2, 0);
    return true;
}

bool SaveViewState(AcDbViewTableRecord& view)
{
    int mode = ReadShort("VIEWMODE");
    view.setPerspectiveEnabled((mode & 1) != 0);
    view.setFrontClipEnabled((mode & 2) != 0);
    view.setBackClipEnabled((mode & 4) != 0);
    view.setFrontClipAtEye((mode & 16) == 0);
    double real = 0;
    AcGePoint3d point;
    if (ReadReal("BACKZ", real))
        view.setBackClipDistance(real);
    if (ReadPoint("VIEWCTR", point)) {
        AcGePoint3d display = UserToWorld(point, false);
        view.setCenterPoint(AcGePoint2d(display.x, display.y));
    }
    if (ReadReal("FRONTZ", real))
        view.setFrontClipDistance(real);
    if (ReadReal("LENSLENGTH", real))
        view.setLensLength(real);
    if (ReadPoint("TARGET", point))
        view.setTarget(UserToWorld(point, false));
    if (ReadPoint("VIEWDIR", point)) {
        AcGePoint3d direction = UserToWorld(point, true);
        view.setViewDirection(AcGeVector3d(direction.x, direction.y, direction.z));
    }
    double height = 0;
    if (ReadReal("VIEWSIZE", height))
        view.setHeight(height);
    if (ReadReal("VIEWTWIST", real))
        view.setViewTwist(real);
    // The drawing view's client area is the screen the view variables describe.
    AcGePoint3d client;
    if (!ReadPoint("SCREENSIZE", client) || !(client.y > 0))
        return false;
    view.setWidth(height * client.x / client.y);
    return true;
}

bool GetPointsExtents(const AcGePoint2dArray& points, AcGePoint3d& lowerLeft, AcGePoint3d& upperRight, double margin)
{
    if (points.isEmpty())
        return false;
    double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
    for (int i = 0; i < points.length(); ++i) {
        const AcGePoint2d& p = points[i];
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    lowerLeft.set(minX - margin, minY - margin, 0);
    upperRight.set(maxX + margin, maxY + margin, 0);
    return true;
}

bool EntityExtents(const ads_name entity, AcGePoint3d& lowerLeft, AcGePoint3d& upperRight, double margin)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    AcDbExtents extents;
    if (!object || object->getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
        return false;
    lowerLeft.set(extents.minPoint().x - margin, extents.minPoint().y - margin, 0);
    upperRight.set(extents.maxPoint().x + margin, extents.maxPoint().y + margin, 0);
    return true;
}
