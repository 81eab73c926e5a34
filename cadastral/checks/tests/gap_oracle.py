#!/usr/bin/python3
"""The places a gap check must report on a generated town, from the drawing and the generator's
report: for each parcel with a moved corner (sliver or gap), the corner as drawn and how far it
lies from the corner its neighbours kept; for each parcel with a vertex its neighbour lacks, that
vertex.

With a checked drawing (the town saved after a gap check), also the centre of every circle on the
layer "error" of that drawing.

usage: gap_oracle.py TOWN.dxf FAULTS.json [CHECKED.dxf]
prints lines "near X Y MOVE", "missing X Y" and "marker X Y"
"""
import json
import math
import sys

import ezdxf


def feature_code(entity):
    if entity.xdata is None:
        return ""
    for app in entity.xdata.data:
        if app.upper() == "MIRET":
            for group, value in entity.xdata.get(app):
                if group == 1000:
                    return value
    return ""


def vertices(entity):
    if entity.dxftype() == "LWPOLYLINE":
        return [(p[0], p[1]) for p in entity.get_points("xy")]
    return [(v.dxf.location[0], v.dxf.location[1]) for v in entity.vertices]


def segment_distance(p, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2))
    return math.dist(p, (a[0] + t * dx, a[1] + t * dy))


def main():
    doc = ezdxf.readfile(sys.argv[1])
    report = json.load(open(sys.argv[2]))
    parcels = {}
    for e in doc.modelspace():
        if e.dxf.layer.upper() == "JZD" and e.dxftype() in ("LWPOLYLINE", "POLYLINE") and feature_code(e) == "300000":
            parcels[e.dxf.handle] = vertices(e)
    owners = {}
    for handle, points in parcels.items():
        for p in points:
            owners.setdefault((round(p[0], 6), round(p[1], 6)), set()).add(handle)

    def lonely(handle):
        # Once each: a doubled vertex repeats its point.
        points = {}
        for p in parcels[handle]:
            key = (round(p[0], 6), round(p[1], 6))
            if owners[key] == {handle}:
                points.setdefault(key, p)
        return list(points.values())

    # Every parcel vertex in cells of 1 unit, for the nearest vertex of another parcel.
    cells = {}
    for handle, points in parcels.items():
        for p in points:
            cells.setdefault((math.floor(p[0]), math.floor(p[1])), []).append((p, handle))

    def nearest_other(p, handle):
        cx, cy = math.floor(p[0]), math.floor(p[1])
        return min((math.dist(p, q) for i in (-1, 0, 1) for j in (-1, 0, 1)
                    for q, h in cells.get((cx + i, cy + j), []) if h != handle), default=1e9)

    def others(handle):
        near = set()
        for p in parcels[handle]:
            cx, cy = math.floor(p[0]), math.floor(p[1])
            for i in (-1, 0, 1):
                for j in (-1, 0, 1):
                    near.update(h for q, h in cells.get((cx + i, cy + j), []) if h != handle)
        return near

    for fault in report["faults"]:
        kind, handle = fault["kind"], fault["handle"]
        if kind in ("sliver", "gap"):
            # A sliver moves a corner less than 0.1, a gap two corners 0.2 to 0.8.
            limit = 0.1 if kind == "sliver" else 1.0
            for p in lonely(handle):
                best = nearest_other(p, handle)
                if best < limit:
                    print("near %.9f %.9f %.9f" % (p[0], p[1], best))
        elif kind == "extra_vertex":
            for p in lonely(handle):
                for h in others(handle):
                    ring = parcels[h]
                    if any(segment_distance(p, ring[i], ring[(i + 1) % len(ring)]) < 1e-6 for i in range(len(ring))):
                        print("missing %.9f %.9f" % p)
                        break
    if len(sys.argv) > 3:
        checked = ezdxf.readfile(sys.argv[3])
        for e in checked.modelspace().query("CIRCLE"):
            if e.dxf.layer.lower() == "error":
                print("marker %.9f %.9f" % (e.dxf.center[0], e.dxf.center[1]))


main()
