#!/usr/bin/python3
"""Where the houses of a drawing reach across parcel boundaries, told by ezdxf and shapely.

usage: overlap_oracle.py DRAWING INDEX_INI
Prints one line per parcel a house reaches into: "<parcel handle> <house handle> <common area>",
for closed parcels (code 300000 on JZD) and closed houses (a code of class FW on JMD) whose
interiors overlap without either holding the other, the common area at least 0.01.
"""
import sys

import ezdxf
from ezdxf import path as dxfpath
from shapely.geometry import Polygon


def house_codes(index):
    codes = set()
    with open(index, encoding="gbk") as f:
        for line in f:
            fields = [x.strip() for x in line.split(",")]
            if fields[0].upper().startswith("END"):
                break
            if len(fields) >= 6 and fields[5].upper() == "FW":
                codes.add(fields[0])
    return codes


def code_of(entity):
    """The feature code: the first string under the application MIRET (any letter case)."""
    if entity.xdata is None:
        return ""
    for name, tags in entity.xdata.data.items():
        if name.upper() == "MIRET":
            for tag in tags:
                if tag.code == 1000:
                    return tag.value
    return ""


def outline(entity):
    """The closed outline with its arcs as chords of at most 1e-6 sagitta, or None."""
    if not entity.is_closed:
        return None
    points = [(v.x, v.y) for v in dxfpath.make_path(entity).flattening(1e-6)]
    if len(points) < 4:
        return None
    polygon = Polygon(points)
    return polygon if polygon.is_valid and polygon.area > 0 else None


def main():
    doc = ezdxf.readfile(sys.argv[1])
    fw = house_codes(sys.argv[2])
    parcels, houses = [], []
    for e in doc.modelspace().query("LWPOLYLINE POLYLINE"):
        layer, code = e.dxf.layer.upper(), code_of(e)
        if layer == "JZD" and code == "300000":
            parcels.append(e)
        elif layer == "JMD" and code in fw:
            houses.append(e)
    # Parcels by the 50 m cells their boxes cover.
    cells = {}
    for parcel in parcels:
        shape = outline(parcel)
        if shape is None:
            continue
        x0, y0, x1, y1 = shape.bounds
        for cx in range(int(x0 // 50), int(x1 // 50) + 1):
            for cy in range(int(y0 // 50), int(y1 // 50) + 1):
                cells.setdefault((cx, cy), []).append((parcel.dxf.handle, shape))
    for house in houses:
        h = outline(house)
        if h is None:
            continue
        x0, y0, x1, y1 = h.bounds
        seen = set()
        for cx in range(int(x0 // 50), int(x1 // 50) + 1):
            for cy in range(int(y0 // 50), int(y1 // 50) + 1):
                for handle, parcel in cells.get((cx, cy), ()):
                    if handle in seen:
                        continue
                    seen.add(handle)
                    if parcel.overlaps(h):
                        area = parcel.intersection(h).area
                        if area >= 0.01:
                            print(handle, house.dxf.handle, repr(area))
    return 0


if __name__ == "__main__":
    sys.exit(main())
