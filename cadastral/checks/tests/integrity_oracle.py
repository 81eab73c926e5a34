"""Reads a generated town with ezdxf and prints, one per line, what the integrity checks must
find: "bare <parcel handle>" for a parcel with a vertex that no boundary point or point of the
second class covers, and "twin <point> <point>" for two boundary points closer than 0.01 on a
vertex of the same parcel."""
import math
import sys

import ezdxf


def code(entity):
    for app in ("MIRET", "miret"):
        if entity.has_xdata(app):
            items = entity.get_xdata(app)
            return items[0].value if items else ""
    return ""


def main(path):
    doc = ezdxf.readfile(path)
    msp = doc.modelspace()
    points = []  # (x, y, handle, boundary)
    for circle in msp.query("CIRCLE"):
        layer = circle.dxf.layer.upper()
        c = code(circle)
        if (layer == "JZP" and c == "301000") or (layer == "GD" and c == "301100"):
            points.append((circle.dxf.center.x, circle.dxf.center.y, circle.dxf.handle, c == "301000"))
    cells = {}
    for p in points:
        cells.setdefault((math.floor(p[0]), math.floor(p[1])), []).append(p)

    def near(x, y, reach):
        found = []
        for i in (-1, 0, 1):
            for j in (-1, 0, 1):
                for p in cells.get((math.floor(x) + i, math.floor(y) + j), []):
                    if math.hypot(p[0] - x, p[1] - y) < reach:
                        found.append(p)
        return found

    for parcel in msp.query("POLYLINE LWPOLYLINE"):
        if parcel.dxf.layer.upper() != "JZD" or code(parcel) != "300000":
            continue
        if parcel.dxftype() == "LWPOLYLINE":
            vertices = [(p[0], p[1]) for p in parcel.get_points("xy")]
        else:
            vertices = [(v.dxf.location.x, v.dxf.location.y) for v in parcel.vertices]
        print("parcel", parcel.dxf.handle)
        if any(not near(x, y, 1e-6) for x, y in vertices):
            print("bare", parcel.dxf.handle)
        seen = []
        for x, y in vertices:
            for p in near(x, y, 0.01):
                if p[3] and p[2] not in [q[2] for q in seen]:
                    seen.append(p)
        for i in range(len(seen)):
            for j in range(i + 1, len(seen)):
                if math.hypot(seen[i][0] - seen[j][0], seen[i][1] - seen[j][1]) < 0.01:
                    print("twin", parcel.dxf.handle, *sorted([seen[i][2], seen[j][2]]))


if __name__ == "__main__":
    main(sys.argv[1])
