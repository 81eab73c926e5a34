// Properties of curves read by entity name: elevation, area, length and polyline width. Readers
// fail quietly with false and their output at its reset value.
#pragma once

#include "platform/cad/resbuf.h"

// The elevation of an entity whose class is exactly a lightweight or 2D polyline, or the z of the
// first control point of exactly a spline; false for any other class.
bool CurveElevation(const ads_name entity, double& elevation);
// Sets the elevation of exactly a lightweight or 2D polyline; other entities stay as they are.
void SetCurveElevation(const ads_name entity, double elevation);
// 0 first; the host's area of a curve that reports itself closed. False when the entity is not a
// curve, not closed or cannot be opened.
bool GetCurveArea(const ads_name entity, double& area);
// 0 first; the distance along a curve at its end parameter. False for anything else.
bool CurveLength(const ads_name entity, double& length);
// The first group 40 of a polyline's definition list: a lightweight polyline's first start width,
// a 2D polyline's default start width. False for other entities or a list without group 40.
bool GetPolylineWidth(const ads_name entity, double& width);
