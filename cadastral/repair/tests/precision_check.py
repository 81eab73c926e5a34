#!/usr/bin/python3
"""Checks a drawing after rounding to 3 decimals against the one before, with ezdxf: every
coordinate of a coded (MIRET) line, circle, point, block reference or polyline is on the
millimetre and within half of one of where it was; every other entity is unchanged; the audit is
clean. Prints what differs and exits 1 when anything does.

usage: precision_check.py BEFORE.dxf AFTER.dxf
"""
import sys

import ezdxf

ROUNDED = {"LINE", "CIRCLE", "POINT", "INSERT", "LWPOLYLINE", "POLYLINE"}


def coded(entity):
    return entity.has_xdata("MIRET") or entity.has_xdata("miret")


def planar(entity):
    kind = entity.dxftype()
    if kind == "LINE":
        points = [entity.dxf.start, entity.dxf.end]
    elif kind == "CIRCLE":
        points = [entity.dxf.center]
    elif kind == "POINT":
        points = [entity.dxf.location]
    elif kind == "INSERT":
        points = [entity.dxf.insert]
    elif kind == "LWPOLYLINE":
        points = list(entity.get_points("xy"))
    else:
        points = [v.dxf.location for v in entity.vertices]
    return [(p[0], p[1]) for p in points]


def fingerprint(entity):
    attributes = dict(entity.dxfattribs())
    attributes.pop("handle", None)
    attributes.pop("owner", None)
    extra = []
    if entity.dxftype() == "LWPOLYLINE":
        extra = list(entity.get_points())
    elif entity.dxftype() == "POLYLINE":
        extra = [dict(v.dxfattribs()) for v in entity.vertices]
    return repr(sorted(attributes.items(), key=lambda kv: kv[0])) + repr(extra)


def main():
    before = {e.dxf.handle: e for e in ezdxf.readfile(sys.argv[1]).modelspace()}
    doc = ezdxf.readfile(sys.argv[2])
    problems = [f"audit: {x}" for x in doc.audit().errors]
    rounded = 0
    for entity in doc.modelspace():
        old = before.get(entity.dxf.handle)
        if old is None:
            problems.append(f"{entity.dxf.handle}: new entity")
            continue
        if coded(entity) and entity.dxftype() in ROUNDED:
            rounded += 1
            for x, y in planar(entity):
                for value in (x, y):
                    if abs(value * 1000 - round(value * 1000)) > 1e-6:
                        problems.append(f"{entity.dxf.handle} {entity.dxftype()}: {value!r} is not on the millimetre")
            was = planar(old)
            now = planar(entity)
            if len(was) == len(now):
                for (x0, y0), (x1, y1) in zip(was, now):
                    if abs(x1 - x0) > 0.0005 + 1e-9 or abs(y1 - y0) > 0.0005 + 1e-9:
                        problems.append(f"{entity.dxf.handle}: moved from {(x0, y0)} to {(x1, y1)}")
        elif fingerprint(entity) != fingerprint(old):
            problems.append(f"{entity.dxf.handle} {entity.dxftype()}: changed")
    if rounded == 0:
        problems.append("no coded entity found")
    for line in problems[:40]:
        print(line)
    print(f"{rounded} coded entities checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
