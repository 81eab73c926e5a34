// Coded entities: an entity made in memory, given the feature code (when the code is not empty),
// put on the layer (created when missing; none given keeps the current layer), appended to the
// model space and, when a group open for write is given, appended to that group. Each returns the
// new entity's id, or the null id (false) when nothing was created.
#pragma once

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

class AcDbEntity;
class AcDbGroup;

// Polyline kinds of CreateCodedPolyline.
enum CodedPolylineType {
    kLightweightPolyline = 0,
    kFitCurvePolyline = 1,
    kQuadSplinePolyline = 2,
    kSimple2dPolyline = 3,
};

AcDbObjectId CreateCodedLine(const AcGePoint3d& start, const AcGePoint3d& end, const char* code, AcDbGroup* group,
                             const char* layer);
// A circle with the centre's x and y at z 0, normal (0, 0, 1).
AcDbObjectId CreateCodedCircle(const AcGePoint3d& centre, double radius, const char* code, AcDbGroup* group,
                               const char* layer);
// A polyline through the points, of a CodedPolylineType (any other type makes nothing), closed
// when `closed` is 1, with the width as every segment's start and end width when above 0 and
// linetype generation on. Callers that draw arcs pass a bulge per point (missing ones are 0), and
// callers that group pass the group.
AcDbObjectId CreateCodedPolyline(const AcGePoint2dArray& points, double elevation, int closed, const char* code,
                                 double width, int type, const char* layer,
                                 const AcGeDoubleArray* bulges = nullptr, AcDbGroup* group = nullptr);
// A reference to the block, read from its drawing file on the search path when the drawing lacks
// it; scale (scale, scale, 1), rotation in radians. False when the block cannot be had or the
// reference cannot be added.
bool CreateCodedBlockReference(const AcGePoint3d& position, const char* blockName, const char* code, double scale,
                               double rotation, AcDbGroup* group, const char* layer);

namespace drawingutil {
// The steps every coded entity shares after it is built: code, layer, model space, group. Takes
// ownership of the entity (deleted when it cannot be appended) and closes it.
AcDbObjectId FinishCodedEntity(AcDbEntity* entity, const char* code, const char* layer, AcDbGroup* group);
// Attaches the feature code to an entity not yet in a drawing; nothing for an empty code.
void AttachFeatureCode(AcDbEntity* entity, const char* code);
}  // namespace drawingutil
