"""Checks the parcel groups of a drawing: every parcel in exactly one group, with the boundary
points at its vertices (and only those) and their labels. Prints the problems; exit 1 with any."""
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()


def code(entity):
    if not entity.has_xdata("miret"):
        return ""
    items = entity.get_xdata("miret")
    return items[0].value if items else ""


def place(point):
    return (round(point[0], 6), round(point[1], 6))


problems = []
parcels = [e for e in msp if e.dxftype() in ("POLYLINE", "LWPOLYLINE") and code(e) == "300000"]
groups_of = {}
for name, group in doc.groups:
    for entity in group:
        groups_of.setdefault(entity.dxf.handle, []).append(name)
for parcel in parcels:
    names = groups_of.get(parcel.dxf.handle, [])
    if len(names) != 1:
        problems.append(f"parcel {parcel.dxf.handle} in {len(names)} groups")
        continue
    members = list(doc.groups.get(names[0]))
    if parcel.dxftype() == "POLYLINE":
        vertices = {place(v.dxf.location) for v in parcel.vertices}
    else:
        vertices = {place(p) for p in parcel.get_points("xy")}
    points = [m for m in members if m.dxftype() == "CIRCLE"]
    labels = [m for m in members if m.dxftype() == "TEXT"]
    found = {place(p.dxf.center) for p in points}
    if found != vertices:
        problems.append(f"parcel {parcel.dxf.handle}: points at {sorted(found - vertices)}, none at {sorted(vertices - found)}")
    if any(code(t) != "301001" for t in labels) or len(labels) > len(points):
        problems.append(f"parcel {parcel.dxf.handle}: labels {[code(t) for t in labels]}")
    if len(members) != 1 + len(points) + len(labels):
        problems.append(f"parcel {parcel.dxf.handle}: other members")
print(f"{len(parcels)} parcels, {len(problems)} problems")
for problem in problems[:20]:
    print(problem)
sys.exit(1 if problems or not parcels else 0)
