#!/usr/bin/python3
"""Compares the polylines of two drawings read with ezdxf: prints JSON with the audit findings of
the second, the vertices each polyline lost (by handle, only those that changed) and the largest
change of area among the closed ones (arcs counted exactly).

usage: polyline_changes.py BEFORE.dxf AFTER.dxf
"""
import json
import math
import sys

import ezdxf


def vertices(entity):
    if entity.dxftype() == "LWPOLYLINE":
        return [(p[0], p[1], p[4]) for p in entity.get_points("xyseb")], bool(entity.closed)
    if not entity.is_2d_polyline:
        return None, False
    return [(v.dxf.location.x, v.dxf.location.y, v.dxf.bulge) for v in entity.vertices], bool(entity.is_closed)


def area(points):
    total = 0.0
    for i, (x1, y1, bulge) in enumerate(points):
        x2, y2, _ = points[(i + 1) % len(points)]
        total += (x1 * y2 - x2 * y1) / 2.0
        if bulge:
            chord = math.hypot(x2 - x1, y2 - y1)
            theta = 4.0 * math.atan(bulge)
            if chord > 0:
                radius = chord / (2.0 * math.sin(theta / 2.0))
                total += radius * radius / 2.0 * (theta - math.sin(theta))
    return abs(total)


def census(path):
    doc = ezdxf.readfile(path)
    found = {}
    for entity in doc.modelspace().query("LWPOLYLINE POLYLINE"):
        points, closed = vertices(entity)
        if points is not None:
            found[entity.dxf.handle] = (len(points), area(points) if closed else None)
    return doc, found


def main():
    _, before = census(sys.argv[1])
    doc, after = census(sys.argv[2])
    auditor = doc.audit()
    changed, drift = {}, 0.0
    for handle, (count, old_area) in before.items():
        new_count, new_area = after.get(handle, (0, None))
        if new_count != count:
            changed[handle] = count - new_count
        if old_area is not None and new_area is not None:
            # Relative: opening the drawing may start a parcel at another vertex, which changes the
            # rounding of its area sum but never the area.
            drift = max(drift, abs(new_area - old_area) / max(1.0, abs(old_area)))
    audit = [str(x) for x in auditor.errors + auditor.fixes]
    print(json.dumps({"audit": audit, "changed": changed, "drift": drift}))


if __name__ == "__main__":
    main()
