#!/usr/bin/python3
"""A town exported to MapGIS and read back, compared with the town by ezdxf.

usage: round_trip_check.py mark TOWN.dxf
           gives every parcel vertex boundary-line data of its own, so that the read-back vertices
           can be told apart
       round_trip_check.py compare TOWN.dxf BACK.dxf CODE_TABLE
           CODE_TABLE is the export's code list (cvtIndex.ini): the codes it names are exported.
       round_trip_check.py category TOWN.dxf BACK.dxf
           the export by category read back: what it exports comes back on its layers with its
           codes, and nothing on "ERROR"
Prints one line per finding and exits 1 when there is any."""
import sys
from collections import Counter, defaultdict

import ezdxf

LINE_DATA = ("JZXLB", "JZXWZ")


def items(entity, application):
    """The values under an application (any case), or None without data under it."""
    for name in (application, application.upper(), application.lower()):
        if entity.has_xdata(name):
            return [value for code, value in entity.get_xdata(name) if code != 1001]
    return None


def code_of(entity):
    values = items(entity, "miret")
    return str(values[0]) if values else ""


def ring_of(parcel):
    return [(v.dxf.location.x, v.dxf.location.y) for v in parcel.vertices]


def mark(path):
    doc = ezdxf.readfile(path)
    for application in LINE_DATA:
        if application not in doc.appids:
            doc.appids.new(application)
    n = 0
    for e in doc.modelspace():
        if e.dxftype() == "POLYLINE" and code_of(e) == "300000":
            for v in e.vertices:
                n += 1
                v.set_xdata("JZXLB", [(1000, str(n % 9 + 1))])
                v.set_xdata("JZXWZ", [(1000, str(n % 7 % 3 + 1))])
    doc.saveas(path)


def exported_codes(table):
    with open(table, encoding="gbk") as f:
        return {line.split(",")[0].strip() for line in f if "," in line}


def trimmed(values):
    values = list(values or [])
    while values and values[-1] == "":
        values.pop()
    return values


def attributes(entity):
    """Every application's values, the feature code's trailing empty items left out (the read
    fills the items the table names)."""
    found = {}
    for application, tags in (entity.xdata.data.items() if entity.xdata else []):
        values = [tag.value for tag in tags if tag.code != 1001]
        found[application.upper()] = trimmed(values) if application.upper() == "MIRET" else values
    return found


def compare(original_path, back_path, table):
    findings = []
    original = ezdxf.readfile(original_path).modelspace()
    back_doc = ezdxf.readfile(back_path)
    back = back_doc.modelspace()
    exported = exported_codes(table)

    # Counts and layers per exported code; nothing else comes back but the read's own block.
    def census(space):
        counts, layers = Counter(), defaultdict(set)
        for e in space:
            code = code_of(e)
            counts[code] += 1
            layers[code].add(e.dxf.layer.upper())
        return counts, layers

    (counts, layers), (back_counts, back_layers) = census(original), census(back)
    for code in sorted(c for c in counts if c in exported):
        if counts[code] != back_counts[code] or layers[code] != back_layers[code]:
            findings.append(f"code {code}: {counts[code]} on {sorted(layers[code])} drawn, "
                            f"{back_counts[code]} on {sorted(back_layers[code])} read back")
    for code in sorted(set(back_counts) - {c for c in counts if c in exported}):
        if code == "303000":
            findings.append(f"{back_counts[code]} boundary lines left")
        elif code != "" or back_counts[code] != 1:
            findings.append(f"code {code!r}: {back_counts[code]} read back, none exported")
    on_error = [e.dxftype() for e in back if e.dxf.layer.upper() == "ERROR"]
    if on_error:
        findings.append(f"ERROR holds {len(on_error)} entities: {Counter(on_error)}")

    # Parcels by their number: closed 2D polylines of straight sides with the drawn ring and data.
    def parcels(space):
        found = {}
        for e in space:
            if code_of(e) == "300000" and e.dxftype() in ("POLYLINE", "LWPOLYLINE"):
                found[str(items(e, "miret")[1]) if len(items(e, "miret")) > 1 else e.dxf.handle] = e
        return found

    drawn, read = parcels(original), parcels(back)
    if set(drawn) != set(read):
        findings.append(f"parcels {sorted(set(drawn) ^ set(read))} not on both sides")
    with_data = {}
    for number in sorted(set(drawn) & set(read)):
        a, b = drawn[number], read[number]
        if b.dxftype() != "POLYLINE" or not b.is_2d_polyline or not b.is_closed:
            findings.append(f"parcel {number}: {b.dxftype()} flags {b.dxf.flags}, not a closed 2D polyline")
            continue
        ring, back_ring = ring_of(a), ring_of(b)
        if len(ring) != len(back_ring) or any(
                abs(p[0] - q[0]) > 1e-6 or abs(p[1] - q[1]) > 1e-6 for p, q in zip(ring, back_ring)):
            findings.append(f"parcel {number}: ring {back_ring} read back for {ring}")
            continue
        if any(v.dxf.bulge != 0 for v in b.vertices):
            findings.append(f"parcel {number}: an arc read back")
        if attributes(a) != attributes(b):
            findings.append(f"parcel {number}: data {attributes(b)} read back for {attributes(a)}")
        for j, (va, vb) in enumerate(zip(a.vertices, b.vertices)):
            start, end = ring[j], ring[(j + 1) % len(ring)]
            key = (round(start[0], 4), round(start[1], 4), round(end[0], 4), round(end[1], 4))
            data = {application: items(vb, application) for application in ("miret", *LINE_DATA)}
            if data["miret"] is None:
                continue
            drawn_data = {application: items(va, application) for application in LINE_DATA}
            if code_of(vb) != "303000" or any(data[k] != drawn_data[k] for k in LINE_DATA):
                findings.append(f"parcel {number} vertex {j}: {data} read back for {drawn_data}")
            if key in with_data:
                findings.append(f"parcel {number} vertex {j}: side also carried by parcel {with_data[key]}")
            with_data[key] = number
    # A vertex without data lies at a side that its neighbour carries, run the other way.
    for number in sorted(set(drawn) & set(read)):
        ring = ring_of(read[number])
        for j, v in enumerate(read[number].vertices):
            start, end = ring[j], ring[(j + 1) % len(ring)]
            if items(v, "miret") is None and (round(end[0], 4), round(end[1], 4), round(start[0], 4),
                                              round(start[1], 4)) not in with_data:
                findings.append(f"parcel {number} vertex {j}: no data, and no neighbour carries the side")

    # Elevation points: their heights as attributes, their labels gone.
    def elevations(space):
        return {(round(e.dxf.insert.x, 6), round(e.dxf.insert.y, 6)):
                sorted(a.dxf.text for a in e.attribs if a.dxf.tag.upper() == "HEIGHT")
                for e in space if e.dxftype() == "INSERT" and code_of(e) == "202101"}

    heights, back_heights = elevations(original), elevations(back)
    if not heights:
        findings.append("the town has no elevation point")
    if heights != back_heights:
        findings.append(f"elevation points {back_heights} read back for {heights}")
    for e in back:
        if e.dxftype() in ("TEXT", "MTEXT"):
            at = e.dxf.insert
            for (x, y), texts in back_heights.items():
                if abs(at.x - x) < 3 and abs(at.y - y) < 3 and e.plain_text() in texts:
                    findings.append(f"label {e.plain_text()} left at ({at.x}, {at.y})")

    carried = sum(1 for p in read.values() for v in p.vertices if items(v, "miret") is not None)
    print(f"{len(read)} parcels, {carried} sides carried, {len(back_heights)} elevation points, "
          f"{sum(back_counts.values())} entities")
    return findings


# What the export by category takes: every text, and entities of its codes by their type.
CATEGORY_CODES = {"CIRCLE": {"331000"}, "INSERT": {"312000"},
                  "POLYLINE": {"216100", "311000", "333000", "191401", "191501", "191600", "321000", "322000",
                               "323000"}}


def category(original_path, back_path):
    findings = []

    def census(space, exported):
        found = Counter()
        for e in space:
            kind = "POLYLINE" if "POLYLINE" in e.dxftype() else e.dxftype()
            if not exported or kind == "TEXT" or code_of(e) in CATEGORY_CODES.get(kind, ()):
                found[(kind, code_of(e), e.dxf.layer.upper())] += 1
        return found

    drawn = census(ezdxf.readfile(original_path).modelspace(), True)
    back = census(ezdxf.readfile(back_path).modelspace(), False)
    back[("INSERT", "", "0")] -= 1  # the read's own mark
    for key in sorted(set(drawn) | set(back)):
        if drawn[key] != back[key]:
            findings.append(f"{key}: {drawn[key]} exported, {back[key]} read back")
    print(f"{sum(drawn.values())} exported, {sum(back.values())} read back")
    return findings


if __name__ == "__main__":
    if sys.argv[1] == "mark":
        mark(sys.argv[2])
        sys.exit(0)
    problems = compare(*sys.argv[2:5]) if sys.argv[1] == "compare" else category(*sys.argv[2:4])
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)
