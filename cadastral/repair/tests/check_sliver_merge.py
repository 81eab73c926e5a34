#!/usr/bin/python3
"""Checks a sliver town after the parcel merge: every moved corner that the gap oracle lists
meets its neighbours' corners again, every boundary point sits on a parcel vertex, and every
parcel that gained a vertex has one length text per edge in its group and none of the texts it had
before.

usage: check_sliver_merge.py NEAR.txt ANNOTATED.dxf MERGED.dxf
NEAR.txt holds the gap oracle's lines "near X Y MOVE" for the town before the merge.
prints "ok CORNERS PARCELS" or the faults, exiting 1
"""
import math
import sys

import ezdxf

from town_entities import feature_code, vertices


def parcels(doc):
    return {e.dxf.handle: vertices(e) for e in doc.modelspace()
            if e.dxftype() in ("LWPOLYLINE", "POLYLINE") and feature_code(e) == "300000"}


def length_texts_by_group(doc):
    texts = {t.dxf.handle for t in doc.modelspace().query("TEXT") if feature_code(t) == "302010"}
    groups = {}
    for name, group in doc.groups:
        handles = [m.dxf.handle for m in group]
        groups[name] = handles
    return texts, groups


def main():
    near = [tuple(float(v) for v in line.split()[1:]) for line in open(sys.argv[1]) if line.startswith("near ")]
    before = ezdxf.readfile(sys.argv[2])
    after = ezdxf.readfile(sys.argv[3])
    old, new = parcels(before), parcels(after)
    faults = []

    # Every corner within reach of a moved one is now one point.
    cells = {}
    for handle, ring in new.items():
        for p in ring:
            cells.setdefault((math.floor(p[0]), math.floor(p[1])), []).append(p)
    for x, y, move in near:
        around = [p for i in (-1, 0, 1) for j in (-1, 0, 1)
                  for p in cells.get((math.floor(x) + i, math.floor(y) + j), []) if math.dist(p, (x, y)) <= move + 0.05]
        if len(around) < 2 or max(math.dist(p, around[0]) for p in around) > 1e-9:
            faults.append("corner near %.3f %.3f: %s" % (x, y, around))

    for c in after.modelspace().query("CIRCLE"):
        if feature_code(c) != "301000":
            continue
        centre = (c.dxf.center[0], c.dxf.center[1])
        cx, cy = math.floor(centre[0]), math.floor(centre[1])
        if not any(math.dist(centre, p) <= 1e-6 for i in (-1, 0, 1) for j in (-1, 0, 1)
                   for p in cells.get((cx + i, cy + j), [])):
            faults.append("boundary point %s on no vertex" % (centre,))

    old_texts, old_groups = length_texts_by_group(before)
    new_texts, new_groups = length_texts_by_group(after)
    gained = [h for h in new if h in old and len(new[h]) > len(old[h])]
    for handle in gained:
        group = next((members for members in new_groups.values() if handle in members), None)
        if group is None:
            faults.append("%s gained a vertex and has no group" % handle)
            continue
        ring = new[handle]
        edges = len(ring) - (1 if math.dist(ring[0], ring[-1]) <= 1e-10 else 0)
        texts = [m for m in group if m in new_texts]
        if len(texts) != edges:
            faults.append("%s: %d texts for %d edges" % (handle, len(texts), edges))
        stale = [m for m in texts if m in old_texts]
        if stale:
            faults.append("%s keeps its old texts %s" % (handle, stale))
    if not near or not gained:
        faults.append("nothing to check: %d corners, %d parcels gained a vertex" % (len(near), len(gained)))
    if faults:
        print("\n".join(faults[:30]))
        sys.exit(1)
    print("ok %d %d" % (len(near), len(gained)))


main()
