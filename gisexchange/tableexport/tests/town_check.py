#!/usr/bin/python3
"""Checks a town exported by the table-driven export against the drawing, read independently with
ezdxf and compared with shapely (GEOS).

usage: town_check.py DRAWING.dxf GISDUMP OUTPUT_FOLDER
Prints one line per finding and exits 1 when there is any."""
import subprocess
import sys
from collections import Counter, defaultdict

import ezdxf
from shapely import wkt
from shapely.geometry import Polygon

drawing, gisdump, folder = sys.argv[1:4]
findings = []


def code_of(entity):
    if not entity.has_xdata("miret"):
        return ""
    for group, value in entity.get_xdata("miret"):
        if group == 1000:
            return value
    return ""


def ring_of(entity):
    if entity.dxftype() == "LWPOLYLINE":
        return [(p[0], p[1]) for p in entity.get_points("xy")]
    return [(v.dxf.location.x, v.dxf.location.y) for v in entity.vertices]


def dump(name, *options):
    return subprocess.run([gisdump, *options, f"{folder}/{name}"], check=True, capture_output=True,
                          text=True).stdout


def parse(text):
    """Objects of a gisdump text as dicts: kind, points, text, lines (area list), values."""
    fields, objects = [], []
    for line in text.splitlines():
        words = line.split()
        if not words:
            continue
        if words[0] == "FIELD":
            fields.append(line.split('"')[1])
        elif words[0] in ("POINT", "LINE", "AREA"):
            current = {"kind": words[0], "points": [], "lines": [], "text": ""}
            if words[0] == "POINT":
                current["points"].append((float(words[1]), float(words[2])))
                current["text"] = line.split('"')[1]
            if words[0] == "AREA":
                current["lines"] = [int(w) for w in words[2:]]
            objects.append(current)
        elif words[0] == "XY":
            objects[-1]["points"].append((float(words[1]), float(words[2])))
        elif words[0] == "VALUES":
            values = line.split('"')[1::2]
            objects[-1]["values"] = dict(zip(fields, values))
    return objects


def side_key(a, b):
    ka = (round(a[0], 4), round(a[1], 4))
    kb = (round(b[0], 4), round(b[1], 4))
    return (ka, kb) if ka <= kb else (kb, ka)


msp = ezdxf.readfile(drawing).modelspace()
parcels, courtyards, elevations = [], [], []
for e in msp:
    code = code_of(e)
    if code == "300000" and e.dxftype() in ("LWPOLYLINE", "POLYLINE"):
        parcels.append(ring_of(e))
    elif code == "141910":
        courtyards.append(Polygon(ring_of(e)))
    elif code == "202101" and e.dxftype() == "INSERT":
        heights = [a.dxf.text for a in e.attribs if a.dxf.tag.upper() == "HEIGHT"]
        elevations.append(((e.dxf.insert.x, e.dxf.insert.y), heights))

sides = {}
for ring in parcels:
    for i, a in enumerate(ring):
        b = ring[(i + 1) % len(ring)]
        sides[side_key(a, b)] = ((a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2) ** 0.5

# Every side once in JZX and once among the lines of ZD, with its length.
for name in ("JZX.wl", "ZD.wp"):
    lines = [o for o in parse(dump(name)) if o["kind"] == "LINE"]
    seen = Counter(side_key(o["points"][0], o["points"][-1]) for o in lines)
    for key in sides:
        if seen[key] != 1:
            findings.append(f"{name}: side {key} written {seen[key]} times")
    if len(lines) != len(sides):
        findings.append(f"{name}: {len(lines)} lines for {len(sides)} sides")
    if name == "JZX.wl":
        for o in lines:
            key = side_key(o["points"][0], o["points"][-1])
            if key in sides and abs(float(o["values"]["JZXCD"]) - sides[key]) > 0.01:
                findings.append(f"JZX.wl: side {key} length {o['values']['JZXCD']}, drawn {sides[key]:.3f}")

# Every parcel area equals its parcel; a shared side is +n in one parcel and -n in the other.
areas = [o for o in parse(dump("ZD.wp")) if o["kind"] == "AREA"]
polygons = [wkt.loads(line) for line in dump("ZD.wp", "--wkt").splitlines() if line.startswith("POLYGON")]
if len(polygons) != len(parcels) or len(areas) != len(parcels):
    findings.append(f"ZD.wp: {len(polygons)} polygons, {len(areas)} areas for {len(parcels)} parcels")
for ring, polygon in zip(parcels, polygons):
    difference = polygon.symmetric_difference(Polygon(ring)).area
    if difference > 1e-6:
        findings.append(f"ZD.wp: area differs from its parcel by {difference}")
uses = defaultdict(list)
for area in areas:
    for n in area["lines"][1:]:
        if n != 0:
            uses[abs(n)].append(n)
for n, signs in uses.items():
    if len(signs) > 2 or (len(signs) == 2 and signs[0] != -signs[1]):
        findings.append(f"ZD.wp: line {n} used as {signs}")
if not any(len(s) == 2 for s in uses.values()):
    findings.append("ZD.wp: no side shared by two parcels")

# Courtyards are holes of the house areas.
holes = []
for line in dump("FW.wp", "--wkt").splitlines():
    if line.startswith("POLYGON"):
        holes.extend(Polygon(interior) for interior in wkt.loads(line).interiors)
for courtyard in courtyards:
    if not any(courtyard.symmetric_difference(hole).area < 1e-6 for hole in holes):
        findings.append(f"FW.wp: courtyard at {courtyard.centroid} is no hole")
if len(holes) != len(courtyards):
    findings.append(f"FW.wp: {len(holes)} holes for {len(courtyards)} courtyards")

# An elevation point gives a point and its annotation, both of one group.
points = [o for o in parse(dump("GCD.wt")) if o["kind"] == "POINT"]
for at, heights in elevations:
    mark = [o for o in points if o["text"] == "" and abs(o["points"][0][0] - at[0]) < 1e-6
            and abs(o["points"][0][1] - at[1]) < 1e-6]
    if len(mark) != 1:
        findings.append(f"GCD.wt: {len(mark)} points at {at}")
        continue
    group = mark[0]["values"]["编组编码"]
    notes = [o for o in points if o["text"] in heights and o["values"]["编组编码"] == group]
    if group in ("", "0") or len(notes) != len(heights):
        findings.append(f"GCD.wt: elevation point at {at}: group {group!r}, {len(notes)} annotations")
if not elevations:
    findings.append("the drawing has no elevation point")

print(f"{len(parcels)} parcels, {len(sides)} sides, {len(courtyards)} courtyards, {len(elevations)} elevation points")
for finding in findings:
    print(finding)
sys.exit(1 if findings else 0)
