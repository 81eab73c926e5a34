#include "drawingutil/curve_measures.h"

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"

#include "drawingutil/curve_kinds.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

bool CurveElevation(const ads_name entity, double& elevation)
{
    Opened<AcDbEntity> object(entity, AcDb::kForRead);
    if (!object)
        return false;
    const AcRxClass* cls = object->isA();
    if (cls == AcDbPolyline::desc()) {
        elevation = static_cast<AcDbPolyline*>(object.get())->elevation();
        return true;
    }
    if (cls == AcDb2dPolyline::desc()) {
        elevation = static_cast<AcDb2dPolyline*>(object.get())->elevation();
        return true;
    }
    if (cls == AcDbSpline::desc()) {
        AcGePoint3d first;
        if (static_cast<AcDbSpline*>(object.get())->getControlPointAt(0, first) != Acad::eOk)
            return false;
        elevation = first.z;
        return true;
    }
    return false;
}

void SetCurveElevation(const ads_name entity, double elevation)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return;
    Opened<AcDbEntity> object(id, AcDb::kForWrite);
    if (!object)
        return;
    const AcRxClass* cls = object->isA();
    if (cls == AcDbPolyline::desc())
        static_cast<AcDbPolyline*>(object.get())->setElevation(elevation);
    else if (cls == AcDb2dPolyline::desc())
        static_cast<AcDb2dPolyline*>(object.get())->setElevation(elevation);
}

bool GetCurveArea(const ads_name entity, double& area)
{
    area = 0;
    Opened<AcDbCurve> curve(entity, AcDb::kForRead);
    if (!curve || !curve->isClosed())
        return false;
    double value = 0;
    if (curve->getArea(value) != Acad::eOk)
        return false;
    area = value;
    return true;
}

bool CurveLength(const ads_name entity, double& length)
{
    length = 0;
    Opened<AcDbCurve> curve(entity, AcDb::kForRead);
    if (!curve)
        return false;
    double end = 0, distance = 0;
    if (curve->getEndParam(end) != Acad::eOk || curve->getDistAtParam(end, distance) != Acad::eOk)
        return false;
    length = distance;
    return true;
}

bool GetPolylineWidth(const ads_name entity, double& width)
{
    if (GetCurveKind(entity, 0) < 0)
        return false;
    Chain list(acdbEntGet(entity));
    for (const resbuf* item = list.get(); item != nullptr; item = item->rbnext) {
        if (item->restype == 40) {
            width = item->resval.rreal;
            return true;
        }
    }
    return false;
}
