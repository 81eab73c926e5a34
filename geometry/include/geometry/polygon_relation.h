#pragma once
// How two closed curves of the drawing lie to each other, in the codes of RingRelation.
#include "geometry/ring_relation.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_object_id.h"

namespace geometry {

// kRelationNotClosed when either curve is open; kRelationApart when their extents are apart, before
// any vertex is read; the unreadable codes when a curve's vertices cannot be read.
int PolygonRelation(const AcDbCurve* first, const AcDbCurve* second);
// kRelationFirstUnreadable also when either curve cannot be opened.
int PolygonRelationById(AcDbObjectId first, AcDbObjectId second);
int PolygonRelationByName(const ads_name first, const ads_name second);

}  // namespace geometry
