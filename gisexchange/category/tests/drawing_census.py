"""What an outside reader (ezdxf) sees in a drawing, for the export tests: entity counts by type
and feature code, the codes of the district boundary lines and the deduction of the ownership
lines in drawing order, and the outline of every district."""
import sys

import ezdxf


def first_string(entity, application):
    for name in (application, application.upper(), application.lower()):
        if entity.has_xdata(name):
            for code, value in entity.get_xdata(name):
                if code == 1000:
                    return value
    return ""


def main(path):
    doc = ezdxf.readfile(path)
    counts = {}
    for e in doc.modelspace():
        code = first_string(e, "miret")
        key = (e.dxftype(), code)
        counts[key] = counts.get(key, 0) + 1
        polyline = "POLYLINE" in e.dxftype()
        if polyline and code in ("191401", "191501", "191600"):
            print("ADMIN", code)
        if polyline and code == "333000":
            print("XKCFS", first_string(e, "XKCFS"))
        if polyline and code == "321000":
            points = [p[:2] for p in e.get_points("xy")]
            print("DISTRICT", " ".join("%r %r" % (x, y) for x, y in points))
    for (kind, code), n in sorted(counts.items()):
        print("COUNT", kind, code or "-", n)


main(sys.argv[1])
