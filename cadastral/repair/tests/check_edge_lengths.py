#!/usr/bin/python3
"""Recomputes the length texts of every parcel of an annotated drawing from the parcel's vertices
and boundary points, and compares them with the texts the drawing holds in the parcel's group.

A parcel starts at a boundary point and runs clockwise; each pair of consecutive boundary points
gives one text 1.5 text heights outside the middle edge of the line between them, reading the
length along the line, never upside down, keeping the line's first point, at the width factor the
user's settings give texts.

usage: check_edge_lengths.py ANNOTATED.dxf [SCALE [WIDTH]]
prints "ok N" (N texts checked) or the faults, exiting 1
"""
import math
import sys

import ezdxf


def xdata_values(entity, application, group_code):
    if entity.xdata is None:
        return []
    for app in entity.xdata.data:
        if app.upper() == application.upper():
            return [value for group, value in entity.xdata.get(app) if group == group_code]
    return []


def feature_code(entity):
    values = xdata_values(entity, "MIRET", 1000)
    return values[0] if values else ""


def vertices(entity):
    if entity.dxftype() == "LWPOLYLINE":
        return [(p[0], p[1]) for p in entity.get_points("xy")]
    return [(v.dxf.location[0], v.dxf.location[1]) for v in entity.vertices]


def upright(angle):
    r = math.fmod(angle, 2 * math.pi)
    if r < 0:
        r += 2 * math.pi
    if math.pi / 2 < r < 3 * math.pi / 2:
        r -= math.pi
    return r % (2 * math.pi)


def expected_texts(ring, circles, height):
    points = []
    for v in ring:
        hit = next((c for c in circles if math.dist(c, v) <= 1e-6), None)
        if hit is not None:
            points.append(hit)
    if not points:
        return []
    points.append(points[0])
    verts = ring + [ring[0]]
    taken = set()
    at = []
    for p in points:
        index = next((i for i, v in enumerate(verts) if i not in taken and math.dist(p, v) <= 1e-4), None)
        if index is not None:
            taken.add(index)
        at.append(index)
    texts = []
    for k in range(len(points) - 1):
        if at[k] is None or at[k + 1] is None:
            break
        d = at[k + 1] - at[k]
        if d <= 0:
            continue
        length = sum(math.dist(verts[i], verts[i + 1]) for i in range(at[k], at[k + 1]))
        edge = at[k] + (d // 2 - 1 if d % 2 == 0 else (d - 1) // 2)
        a, b = verts[edge], verts[edge + 1]
        # Walking clockwise, the outside lies to the left of a -> b.
        alpha = math.atan2(a[1] - b[1], a[0] - b[0])
        side = alpha - math.pi / 2
        position = ((a[0] + b[0]) / 2 + 1.5 * height * math.cos(side), (a[1] + b[1]) / 2 + 1.5 * height * math.sin(side))
        texts.append({"position": position, "rotation": upright(alpha - math.pi), "text": "%.2f" % length,
                      "first": points[k]})
    return texts


def area2(ring):
    return sum(ring[i][0] * ring[(i + 1) % len(ring)][1] - ring[(i + 1) % len(ring)][0] * ring[i][1]
               for i in range(len(ring)))


def main():
    doc = ezdxf.readfile(sys.argv[1])
    scale = float(sys.argv[2]) if len(sys.argv) > 2 else 500.0
    height = 2 * scale / 1000
    width = float(sys.argv[3]) if len(sys.argv) > 3 else 0.8
    msp = doc.modelspace()
    circles = [(c.dxf.center[0], c.dxf.center[1]) for c in msp.query("CIRCLE")
               if c.dxf.layer.upper() == "JZP" and feature_code(c) == "301000"]
    texts = {t.dxf.handle: t for t in msp.query("TEXT") if feature_code(t) == "302010"}
    group_of = {}
    for name, group in doc.groups:
        for member in group:
            group_of.setdefault(member.dxf.handle, name)
    faults = []
    checked = 0
    seen = set()
    for parcel in msp:
        if parcel.dxftype() not in ("LWPOLYLINE", "POLYLINE") or parcel.dxf.layer.upper() != "JZD":
            continue
        if feature_code(parcel) != "300000":
            continue
        ring = vertices(parcel)
        if len(ring) > 1 and math.dist(ring[0], ring[-1]) <= 1e-10:
            ring = ring[:-1]
        handle = parcel.dxf.handle
        want = expected_texts(ring, circles, height)
        if not want:
            continue
        if not any(math.dist(ring[0], c) < 0.01 for c in circles):
            faults.append("%s does not start at a boundary point" % handle)
        if area2(ring) > 0:
            faults.append("%s does not run clockwise" % handle)
        group = group_of.get(handle)
        have = [t for h, t in texts.items() if group is not None and group_of.get(h) == group]
        if len(have) != len(want):
            faults.append("%s: %d texts in its group, %d expected" % (handle, len(have), len(want)))
        for w in want:
            match = [t for t in have if math.dist((t.dxf.align_point[0], t.dxf.align_point[1]), w["position"]) < 1e-6]
            if len(match) != 1:
                faults.append("%s: %d texts at %s" % (handle, len(match), w["position"]))
                continue
            t = match[0]
            seen.add(t.dxf.handle)
            rotation = math.radians(t.dxf.rotation)
            turn = abs(math.remainder(rotation - w["rotation"], 2 * math.pi))
            first = (xdata_values(t, "JZX_ZJ_X", 1040) or [None])[0], (xdata_values(t, "JZX_ZJ_Y", 1040) or [None])[0]
            if t.dxf.text != w["text"] or turn > 1e-6 or abs(t.dxf.height - height) > 1e-9 or \
                    None in first or math.dist(first, w["first"]) > 1e-6 or t.dxf.halign != 4 or t.dxf.valign != 0 or \
                    abs(t.dxf.width - width) > 1e-9:
                faults.append("%s: text %s at %s, rotation %.6f, first point %s, width %g; expected %s, %.6f, %s, %g" % (
                    handle, t.dxf.text, w["position"], rotation, first, t.dxf.width, w["text"], w["rotation"],
                    w["first"], width))
            checked += 1
    stray = set(texts) - seen
    if stray:
        faults.append("%d length texts belong to no parcel's lines" % len(stray))
    if checked == 0:
        faults.append("no text checked")
    if faults:
        print("\n".join(faults[:30]))
        sys.exit(1)
    print("ok %d" % checked)


main()
