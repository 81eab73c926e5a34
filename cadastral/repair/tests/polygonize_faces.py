#!/usr/bin/python3
"""Checks a face list against GEOS: the faces are the polygons that polygonize makes of the
parcels' outlines, and each parcel's tag minus 2 names a face that holds the parcel.

usage: polygonize_faces.py FILE, whose lines are "parcel TAG x y x y ..." and "face 0 x y ..."
"""
import sys

from shapely.geometry import LineString, Polygon
from shapely.ops import polygonize


def ring(values):
    return [(float(values[i]), float(values[i + 1])) for i in range(0, len(values), 2)]


def main():
    parcels, faces = [], []
    for line in open(sys.argv[1]):
        kind, tag, *values = line.split()
        if kind == "parcel":
            parcels.append((int(tag), Polygon(ring(values))))
        else:
            faces.append(Polygon(ring(values)))
    outlines = [LineString(list(p.exterior.coords)) for _, p in parcels]
    expected = list(polygonize(outlines))
    faults = []
    if len(expected) != len(faces):
        faults.append("%d faces, GEOS makes %d" % (len(faces), len(expected)))
    for face in faces:
        if not any(face.symmetric_difference(e).area < 1e-9 for e in expected):
            faults.append("face %s is none of GEOS's" % face.wkt)
    for tag, parcel in parcels:
        index = tag - 2
        if not 0 <= index < len(faces) or not faces[index].buffer(1e-9).contains(parcel):
            faults.append("parcel %s tagged %d" % (parcel.wkt, tag))
    if faults:
        print("\n".join(faults))
        sys.exit(1)
    print("ok")


main()
