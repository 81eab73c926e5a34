#!/usr/bin/python3
"""Checks the boundary points of a town with gaps after the parcel merge: their number is kept, and
every one that stood on a parcel vertex moved no farther than the merge moved that vertex (to the
parcel's nearest vertex afterwards) and stayed within the snapping square.

usage: check_snapped_points.py BEFORE.dxf AFTER.dxf HALF_SIDE
prints "ok POINTS ON_VERTICES" or the faults, exiting 1
"""
import math
import sys

import ezdxf

from town_entities import feature_code, vertices


def read(name):
    doc = ezdxf.readfile(name)
    parcels = {e.dxf.handle: vertices(e) for e in doc.modelspace()
               if e.dxftype() in ("LWPOLYLINE", "POLYLINE") and feature_code(e) == "300000"}
    points = {c.dxf.handle: (c.dxf.center[0], c.dxf.center[1]) for c in doc.modelspace().query("CIRCLE")
              if feature_code(c) == "301000"}
    return parcels, points


def main():
    half = float(sys.argv[3])
    old_parcels, old_points = read(sys.argv[1])
    new_parcels, new_points = read(sys.argv[2])
    cells = {}
    for handle, ring in old_parcels.items():
        for p in ring:
            cells.setdefault((math.floor(p[0]), math.floor(p[1])), []).append((handle, p))
    faults = []
    if len(new_points) != len(old_points):
        faults.append("%d boundary points before, %d after" % (len(old_points), len(new_points)))
    on_vertices = 0
    for handle, at in old_points.items():
        cx, cy = math.floor(at[0]), math.floor(at[1])
        owners = {h for i in (-1, 0, 1) for j in (-1, 0, 1) for h, p in cells.get((cx + i, cy + j), [])
                  if math.dist(p, at) <= 1e-9}
        if not owners or handle not in new_points:
            continue
        on_vertices += 1
        # How far the merge moved the vertex, in each parcel that had it.
        moved = max(min(math.dist(at, q) for q in new_parcels[h]) for h in owners if new_parcels.get(h))
        now = new_points[handle]
        if math.dist(at, now) > moved + 1e-9:
            faults.append("point %s at %.4f %.4f moved %.4f, its vertex %.4f" % (handle, at[0], at[1],
                                                                               math.dist(at, now), moved))
        if abs(now[0] - at[0]) > half or abs(now[1] - at[1]) > half:
            faults.append("point %s at %.4f %.4f left the square" % (handle, at[0], at[1]))
    if on_vertices == 0:
        faults.append("nothing to check")
    if faults:
        print("\n".join(faults[:30]))
        sys.exit(1)
    print("ok %d %d" % (len(old_points), on_vertices))


main()
