// Vertices and bulges of polylines and simple curves as 2D point lists, and writing vertices back.
//
// 2D polylines carry generated vertices besides the user's: with `fit` 1 the points of the
// displayed curve are taken (simple, spline-fit and curve-fit vertices), with any other value the
// user's frame (simple and spline control vertices).
#pragma once

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"

class AcDbEntity;

// The 2D vertices of an open entity whose class is exactly a lightweight polyline (the list is set
// to exactly its vertices), a 2D polyline (the selected vertices appended), a circle (360 points,
// one per degree from the x axis, appended) or a line (both ends appended). Points of an entity
// whose normal is not the z axis are moved from its own (a line's: the world's) coordinate system
// into the user's. False for other
// classes, and for a 2D polyline one of whose vertices cannot be opened.
bool GetOpenCurvePoints(AcDbEntity* entity, AcGePoint2dArray& points, int fit);
// GetOpenCurvePoints for an entity name; false when it cannot be opened.
bool GetCurvePoints(const ads_name entity, AcGePoint2dArray& points, int fit);
// Appends one bulge per vertex of exactly a lightweight polyline or 2D polyline (the selected
// vertices), or two zeros for exactly a line. False for anything else, circles included.
bool GetPolylineBulges(AcDbEntity* entity, AcGeDoubleArray& bulges, int fit);
bool GetCurveBulges(const ads_name entity, AcGeDoubleArray& bulges, int fit);

// Gives a lightweight or 2D polyline the points as vertices. Vertices that stay keep their bulges
// and widths, and a 2D polyline's vertices their extended data; new ones are straight. A fitted 2D polyline is fitted again afterwards. Nothing
// happens for fewer than 2 points, an entity that is no polyline or one that cannot be written.
void SetPolylineVertices(const ads_name entity, const AcGePoint2dArray& points);

// Replaces a lightweight polyline by an equivalent 2D polyline under the same object id, and
// updates the name; a 2D polyline is left as it is. False for other entities, and with a message
// on the command line when the host cannot convert it (the polyline then stays unchanged).
bool ConvertTo2dPolyline(ads_name entity);
