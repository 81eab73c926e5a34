#include "drawingutil/curve_kinds.h"

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

int KindOfOpen(AcDbEntity* entity)
{
    if (AsPolyline(entity) != nullptr)
        return kCurveLightweight;
    if (IsKindOfClass(entity, AcDbArc::desc()))
        return kCurveArc;
    if (AsCircle(entity) != nullptr)
        return kCurveCircle;
    if (AsLine(entity) != nullptr)
        return kCurveLine;
    if (const AcDb2dPolyline* poly = As2dPolyline(entity)) {
        switch (poly->polyType()) {
        case AcDb::k2dSimplePoly: return kCurveSimple2d;
        case AcDb::k2dFitCurvePoly: return kCurveFit2d;
        case AcDb::k2dQuadSplinePoly: return kCurveQuadSpline2d;
        case AcDb::k2dCubicSplinePoly: return kCurveCubicSpline2d;
        }
    }
    return kCurveOther;
}

// The closed bit as the definition list shows it (group 70 bit 1), read from the object: listing
// a long polyline only for its flags costs a copy of every vertex.
bool SaysClosed(AcDbEntity* entity)
{
    if (const AcDbPolyline* poly = AsPolyline(entity))
        return poly->isClosed();
    if (const AcDb2dPolyline* poly = As2dPolyline(entity))
        return poly->isClosed();
    return false;
}

}  // namespace

int GetCurveKind(const ads_name entity, int closure)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return kCurveOther;
    int kind = kCurveOther;
    {
        Opened<AcDbEntity> object(id, AcDb::kForRead);
        if (!object)
            return kCurveOther;
        kind = KindOfOpen(object.get());
        if (closure == 1 && kind >= kCurveLightweight && SaysClosed(object.get()))
            kind += kCurveClosedOffset;
    }
    return kind;
}
