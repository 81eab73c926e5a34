"""Compares drawings before and after the toolkit's parcel order, as ezdxf reads them.

check_parcel_order.py BEFORE AFTER AGAIN MARKED MARKED_AFTER BARE BARE_AFTER

AFTER must hold every parcel of BEFORE clockwise from its vertex of least x - y, with the same
segments (a reversed one with negated bulge) and each vertex's extended data at its position,
every other polyline on "JZD" as it was, and the marker record with 90 = 1. AGAIN (AFTER opened
and saved once more) must equal AFTER; MARKED_AFTER must keep the polylines and marker value of
MARKED; BARE_AFTER must keep BARE's entities and gain the marker.
"""
import sys

import ezdxf

TOL = 1e-9
problems = []


def problem(text):
    problems.append(text)


def xdata_of(entity):
    if not entity.xdata:
        return {}
    return {app.upper(): [(t.code, t.value) for t in tags if t.code != 1001]
            for app, tags in entity.xdata.data.items()}


def code_of(entity):
    for code, value in xdata_of(entity).get("MIRET", []):
        if code == 1000:
            return value
    return ""


def vertices(entity):
    """(x, y, start width, end width, bulge, xdata) of each vertex in order."""
    if entity.dxftype() == "LWPOLYLINE":
        return [(x, y, s, e, b, {}) for x, y, s, e, b in entity.get_points("xyseb")]
    return [(v.dxf.location.x, v.dxf.location.y, v.dxf.start_width, v.dxf.end_width, v.dxf.bulge,
             xdata_of(v)) for v in entity.vertices]


def polylines(doc):
    return {e.dxf.handle: e for e in doc.modelspace().query("POLYLINE LWPOLYLINE")
            if e.dxf.layer.upper() == "JZD"}


def is_parcel(entity):
    return code_of(entity) == "300000" and entity.is_closed and len(vertices(entity)) > 2


def key(x, y):
    return (round(x, 6), round(y, 6))


def segments(vs, closed):
    out = []
    n = len(vs)
    for i in range(n if closed else n - 1):
        a, b = vs[i], vs[(i + 1) % n]
        if key(a[0], a[1]) <= key(b[0], b[1]):
            out.append((key(a[0], a[1]), key(b[0], b[1]), round(a[4], 9), round(a[2], 9), round(a[3], 9)))
        else:
            out.append((key(b[0], b[1]), key(a[0], a[1]), round(-a[4], 9) + 0.0, round(a[3], 9), round(a[2], 9)))
    return sorted(out)


def data_by_position(vs):
    found = {}
    for v in vs:
        found.setdefault(key(v[0], v[1]), []).append(sorted(v[5].items()))
    return {k: sorted(v) for k, v in found.items()}


def clockwise(vs):
    n = len(vs)
    return sum((vs[(i + 1) % n][0] - vs[i][0]) * (vs[(i + 1) % n][1] + vs[i][1]) for i in range(n)) >= 0


def plain(vs):
    return [(key(v[0], v[1]), round(v[2], 9), round(v[3], 9), round(v[4], 9), sorted(v[5].items())) for v in vs]


def marker(doc):
    records = doc.rootdict.get("x_record")
    if records is None:
        return None
    record = records.get("hasdodeasil")
    if record is None:
        return None
    values = [value for code, value in record.tags if code == 90]
    return values[0] if values else "empty"


def compare_unchanged(name, before, after):
    b, a = polylines(before), polylines(after)
    if set(b) != set(a):
        problem("%s: polylines on JZD differ: %d before, %d after" % (name, len(b), len(a)))
    for handle in set(b) & set(a):
        if plain(vertices(b[handle])) != plain(vertices(a[handle])):
            problem("%s: %s changed" % (name, handle))


def main(paths):
    before, after, again, marked, marked_after, bare, bare_after = [ezdxf.readfile(p) for p in paths]
    auditor = after.audit()
    for error in auditor.errors:
        problem("audit: " + error.message)
    b, a = polylines(before), polylines(after)
    counts = {"parcels": 0, "lightweight": 0, "reversed": 0, "arcs": 0, "doubled": 0, "vertex data": 0, "others": 0}
    for handle, entity in b.items():
        if handle not in a:
            problem("%s is missing" % handle)
            continue
        old, new = vertices(entity), vertices(a[handle])
        if not is_parcel(entity):
            counts["others"] += 1
            if plain(old) != plain(new):
                problem("%s is no parcel but changed" % handle)
            continue
        counts["parcels"] += 1
        counts["lightweight"] += entity.dxftype() == "LWPOLYLINE"
        counts["reversed"] += not clockwise(old)
        counts["arcs"] += any(abs(v[4]) > 0 for v in old)
        counts["doubled"] += len({key(v[0], v[1]) for v in old}) < len(old)
        counts["vertex data"] += any(v[5] for v in old)
        if segments(old, True) != segments(new, True):
            problem("%s: segments changed" % handle)
        if data_by_position(old) != data_by_position(new):
            problem("%s: vertex data moved" % handle)
        if not clockwise(new):
            problem("%s: not clockwise" % handle)
        least = min(v[0] - v[1] for v in new)
        if new[0][0] - new[0][1] > least + TOL:
            problem("%s: starts at x - y = %f, least is %f" % (handle, new[0][0] - new[0][1], least))
    if marker(after) != 1:
        problem("marker after the first opening: %r" % (marker(after),))
    compare_unchanged("reopened", after, again)
    if marker(again) != 1:
        problem("marker after reopening: %r" % (marker(again),))
    compare_unchanged("marked", marked, marked_after)
    if marker(marked_after) != marker(marked) or marker(marked) is None:
        problem("marked drawing's marker %r became %r" % (marker(marked), marker(marked_after)))
    if len(bare_after.modelspace()) != len(bare.modelspace()) or marker(bare) is not None:
        problem("the drawing without parcels changed")
    if marker(bare_after) != 1:
        problem("marker of the drawing without parcels: %r" % (marker(bare_after),))
    print(" ".join("%s=%d" % (k.replace(" ", "_"), v) for k, v in counts.items()))
    for k, v in counts.items():
        if v == 0:
            problem("the drawing has no case of: " + k)
    for text in problems[:20]:
        print(text)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:8]))
