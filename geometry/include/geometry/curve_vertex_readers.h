#pragma once
// The engine's vertex lists read from drawing curves: lightweight, 2D and 3D polylines (the points
// a user sees: spline control vertices are left out) and circles, which come out as two half
// circles. Classes are matched exactly. The readers only append (a lightweight polyline sets the
// lists' length); on false the lists hold what was read so far and callers discard them.
#include "geometry/point2d.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

class AcDb3dPolyline;
class AcRxObject;

namespace geometry {

// The same open object when it is a 3D polyline or derived from one, else null.
AcDb3dPolyline* As3dPolyline(AcRxObject* object);
const AcDb3dPolyline* As3dPolyline(const AcRxObject* object);

bool ReadCurveVertices(const AcDbEntity* entity, PointList& vertices, DoubleList& bulges);
// Polylines only: false for circles.
bool ReadCurvePoints(const AcDbEntity* entity, PointList& vertices);

// The same on an entity opened for reading and closed again; false when it cannot be opened.
bool ReadEntityVertices(AcDbObjectId id, PointList& vertices, DoubleList& bulges);
bool ReadEntityPoints(AcDbObjectId id, PointList& vertices);
bool ReadEntityVerticesByName(const ads_name entity, PointList& vertices, DoubleList& bulges);
bool ReadEntityPointsByName(const ads_name entity, PointList& vertices);

}  // namespace geometry
