#!/usr/bin/python3
"""Counts the faults of a generated drawing from the DXF alone, with ezdxf, and compares them with
the generator's side report. Prints the differences and exits 1 when there are any; exits 2 when
ezdxf's audit of the drawing is not clean.

usage: count_faults.py DRAWING.dxf REPORT.json index.ini
"""
import json
import math
import sys
from collections import defaultdict

import ezdxf

NEAR = 1e-6


def code_table_houses(path):
    codes = set()
    with open(path, encoding="gbk") as f:
        for line in f:
            if line[:3].upper() == "END":
                break
            fields = [x.strip() for x in line.split(",")]
            if len(fields) >= 6 and fields[5].upper() == "FW":
                codes.add(fields[0])
    return codes


def miret(entity):
    return [t.value for t in entity.get_xdata("miret")] if entity.has_xdata("miret") else []


def ring_of(entity):
    if entity.dxftype() == "LWPOLYLINE":
        return [(p[0], p[1]) for p in entity.get_points("xy")], bool(entity.closed)
    points = [(v.dxf.location.x, v.dxf.location.y) for v in entity.vertices]
    return points, bool(entity.is_closed)


def dedupe(points):
    out = []
    for p in points:
        if not out or math.dist(out[-1], p) > NEAR:
            out.append(p)
    while len(out) > 1 and math.dist(out[0], out[-1]) <= NEAR:
        out.pop()
    return out


def signed_area(poly):
    return sum(poly[i][0] * poly[i - 1][1] - poly[i - 1][0] * poly[i][1] for i in range(len(poly))) / -2.0


def clip_area(subject, clip):
    """Area of subject inside the convex polygon clip (Sutherland-Hodgman)."""
    if signed_area(clip) < 0:
        clip = clip[::-1]
    out = subject
    for i in range(len(clip)):
        a, b = clip[i - 1], clip[i]
        side = lambda p: (b[0] - a[0]) * (p[1] - a[1]) - (b[1] - a[1]) * (p[0] - a[0])
        src, out = out, []
        for j in range(len(src)):
            p, q = src[j - 1], src[j]
            sp, sq = side(p), side(q)
            if sq >= 0:
                if sp < 0:
                    out.append(cross(p, q, sp, sq))
                out.append(q)
            elif sp >= 0:
                out.append(cross(p, q, sp, sq))
        if not out:
            return 0.0
    return abs(signed_area(out))


def cross(p, q, sp, sq):
    t = sp / (sp - sq)
    return (p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t)


def bbox(poly):
    xs, ys = [p[0] for p in poly], [p[1] for p in poly]
    return min(xs), min(ys), max(xs), max(ys)


def boxes_meet(a, b):
    return a[0] <= b[2] and b[0] <= a[2] and a[1] <= b[3] and b[1] <= a[3]


class Grid:
    """Points by 10 m cells, for nearest look-ups."""

    def __init__(self, points):
        self.cells = defaultdict(list)
        for p in points:
            self.cells[(int(p[0] // 10), int(p[1] // 10))].append(p)

    def nearest(self, p):
        cx, cy = int(p[0] // 10), int(p[1] // 10)
        best = math.inf
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for q in self.cells.get((cx + dx, cy + dy), ()):
                    best = min(best, math.dist(p, q))
        return best


def overlapping_pairs(polys):
    """Pairs (i, j), i < j, whose areas overlap by more than 0.01; polys are (poly, box, convex)."""
    order = sorted(range(len(polys)), key=lambda i: polys[i][1][0])
    pairs = []
    for n, i in enumerate(order):
        for j in order[n + 1:]:
            if polys[j][1][0] > polys[i][1][2]:
                break
            if not boxes_meet(polys[i][1], polys[j][1]):
                continue
            a, b = polys[i], polys[j]
            if not a[2] and not b[2]:
                continue  # two moved outlines are never neighbours
            area = clip_area(a[0], b[0]) if b[2] else clip_area(b[0], a[0])
            if area > 0.01:
                pairs.append((min(i, j), max(i, j)))
    return pairs


def on_boundary(p, poly):
    for i in range(len(poly)):
        a, b = poly[i - 1], poly[i]
        length = math.dist(a, b)
        if length == 0:
            continue
        t = ((p[0] - a[0]) * (b[0] - a[0]) + (p[1] - a[1]) * (b[1] - a[1])) / (length * length)
        if -NEAR <= t <= 1 + NEAR and abs((b[0] - a[0]) * (p[1] - a[1]) - (b[1] - a[1]) * (p[0] - a[0])) / length < NEAR:
            return True
    return False


def count(doc, house_codes):
    found = defaultdict(set)
    msp = doc.modelspace()
    houses, parcels, points, labels = [], [], [], defaultdict(int)
    patches = []
    centres = []
    for e in msp:
        layer, kind, items = e.dxf.layer.upper(), e.dxftype(), miret(e)
        code = items[0] if items else ""
        if kind in ("LWPOLYLINE", "POLYLINE") and layer == "JMD" and code in house_codes:
            houses.append(e)
        elif kind in ("LWPOLYLINE", "POLYLINE") and layer == "JZD" and code == "300000":
            parcels.append(e)
        elif kind == "CIRCLE" and (layer, code) in (("JZP", "301000"), ("GD", "301100")):
            centres.append((e.dxf.center.x, e.dxf.center.y))
            if code == "301000":
                points.append((e, int(items[2])))
        elif kind == "TEXT" and layer == "JZP" and code == "301001":
            labels[e.dxf.text] += 1
        elif kind == "LWPOLYLINE" and layer == "DLJ" and code == "310000":
            patches.append(e)

    # Houses: the closed flag, then overlaps; the later of two overlapping houses is the fault.
    rings = []
    for h in houses:
        ring, closed = ring_of(h)
        if not closed:
            found["open_house"].add(h.dxf.handle)
        poly = dedupe(ring)
        rings.append((poly, bbox(poly), True))
    for i, j in overlapping_pairs(rings):
        earlier, later = sorted((houses[i].dxf.handle, houses[j].dxf.handle), key=lambda x: int(x, 16))
        found["overlapping_house"].add((later, earlier))

    # Houses over a side of their parcel: no parcel holds the whole of one.
    parcel_polys = []
    for p in parcels:
        poly = dedupe(ring_of(p)[0])
        parcel_polys.append((poly, bbox(poly)))
    for h, (poly, box, _) in zip(houses, rings):
        area = abs(signed_area(poly))
        held = max((clip_area(poly, q) for q, qbox in parcel_polys if boxes_meet(box, qbox)), default=0.0)
        if area > 0.01 and held < area - 0.01:
            found["house_across_boundary"].add(h.dxf.handle)

    # Parcels: doubled vertices, and vertices that no point circle marks (moved off their node).
    grid = Grid(centres)
    outlines, moved = [], {}
    for n, p in enumerate(parcels):
        ring, closed = ring_of(p)
        steps = range(len(ring)) if closed else range(1, len(ring))
        if any(math.dist(ring[i - 1], ring[i]) <= 1e-9 for i in steps):
            found["doubled_vertex"].add(p.dxf.handle)
        offsets = [d for d in (grid.nearest(v) for v in ring) if d > NEAR]
        if offsets:
            moved[n] = max(offsets)
        poly = dedupe(ring)
        outlines.append((poly, bbox(poly), n not in moved))
    over = {i for pair in overlapping_pairs(outlines) for i in pair if i in moved}
    for n, offset in moved.items():
        kind = "overlapping_parcel" if n in over else "gap" if offset >= 0.1 else "sliver"
        found[kind].add(parcels[n].dxf.handle)

    # Patches over patches, and islands on their patch's side.
    patch_rings = []
    for p in patches:
        poly = dedupe(ring_of(p)[0])
        patch_rings.append((poly, bbox(poly), True))
    for i, j in overlapping_pairs(patch_rings):
        a, b = patch_rings[i][0], patch_rings[j][0]
        common = clip_area(a, b)
        later, earlier = sorted((patches[i].dxf.handle, patches[j].dxf.handle), key=lambda x: int(x, 16))[::-1]
        small, large = (i, j) if abs(signed_area(a)) < abs(signed_area(b)) else (j, i)
        if common < abs(signed_area(patch_rings[small][0])) - 0.01:
            found["overlapping_patch"].add((later, earlier))
        elif any(on_boundary(v, patch_rings[large][0]) for v in patch_rings[small][0]):
            found["island_patch"].add((patches[small].dxf.handle, patches[large].dxf.handle))

    # Boundary-point labels and numbers.
    by_number = defaultdict(list)
    for e, number in points:
        by_number[number].append(e.dxf.handle)
        if labels.get("J%d" % number, 0) == 0:
            found["missing_label"].add(e.dxf.handle)
    for number, handles in by_number.items():
        if len(handles) > 1 and labels.get("J%d" % number, 0) >= len(handles):
            handles = sorted(handles, key=lambda x: int(x, 16))
            found["duplicate_label"].update((h, handles[0]) for h in handles[1:])
    top = max(by_number, default=0)
    for number in range(1, top + 1):
        if number not in by_number and number + 1 in by_number:
            found["numbering_gap"].add(by_number[number + 1][0])
    return found


def main():
    drawing, report_path, index = sys.argv[1:4]
    doc = ezdxf.readfile(drawing)
    auditor = doc.audit()
    if auditor.has_errors or auditor.has_fixes:
        for line in auditor.errors + auditor.fixes:
            print("audit:", line)
        return 2
    with open(report_path, encoding="utf-8") as f:
        report = json.load(f)
    # Faults that name a second entity are compared as (handle, related) pairs.
    reported = defaultdict(set)
    for fault in report["faults"]:
        reported[fault["kind"]].add((fault["handle"], fault["related"]) if "related" in fault else fault["handle"])
    found = count(doc, code_table_houses(index))
    bad = 0
    for kind in sorted(set(report["counts"]) | set(found)):
        if reported[kind] != found[kind] or report["counts"].get(kind) != len(found[kind]):
            bad += 1
            print("%s: reported %s, found %s" % (kind, sorted(reported[kind]), sorted(found[kind])))
    print(json.dumps({k: len(found[k]) for k in sorted(report["counts"])}))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
