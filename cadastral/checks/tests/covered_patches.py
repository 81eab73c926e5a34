"""Reads "polygon x y x y ..." and "patch <handle> x y x y ..." lines and prints the handles of the
patches that GEOS finds covered by the polygon and not equal to it."""
import sys

from shapely.geometry import Polygon


def ring(numbers):
    values = [float(v) for v in numbers]
    return Polygon(list(zip(values[0::2], values[1::2])))


polygon = None
for line in open(sys.argv[1]):
    words = line.split()
    if not words:
        continue
    if words[0] == "polygon":
        polygon = ring(words[1:])
    elif words[0] == "patch":
        patch = ring(words[2:])
        if polygon.covers(patch) and not patch.equals(polygon):
            print(words[1])
