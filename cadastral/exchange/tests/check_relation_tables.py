"""Recomputes the seven relation tables of an exchange package from the coded drawing and compares
them with the tables PELGARDBF wrote, row by row and in order.

usage: check_relation_tables.py CODED.dxf TABLES_FOLDER index.ini SCOPE [HANDLE | X0 Y0 X1 Y1]
SCOPE 3 is the whole drawing, 2 the parcels lying wholly in the window, 1 the parcel of the handle.
Prints what differs and exits 1; prints the row counts and exits 0 when every table agrees.
"""
import os
import sys

import dbfread
import ezdxf

problems = []


def fail(text):
    if len(problems) < 40:
        problems.append(text)


def xdata(entity):
    """Application name (upper case) -> list of (group, value)."""
    out = {}
    if entity.xdata is not None:
        for app, tags in entity.xdata.data.items():
            out[app.upper()] = [(t.code, t.value) for t in tags if t.code != 1001]
    return out


def first(entity, app, group=1000, default=''):
    for code, value in xdata(entity).get(app, []):
        if code == group:
            return value
    return default


def item(entity, app, index, default=None):
    items = xdata(entity).get(app, [])
    return items[index][1] if index < len(items) else default


def code_of(entity):
    return first(entity, 'MIRET')


def dist(a, b):
    return ((a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2) ** 0.5


def clockwise(ring):
    return sum(ring[i][0] * ring[(i + 1) % len(ring)][1] - ring[(i + 1) % len(ring)][0] * ring[i][1]
               for i in range(len(ring))) < 0


def seg_distance(p, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2))
    return ((p[0] - a[0] - t * dx) ** 2 + (p[1] - a[1] - t * dy) ** 2) ** 0.5


def inside(point, ring):
    x, y = point
    hit = False
    for i in range(len(ring)):
        (x1, y1), (x2, y2) = ring[i], ring[(i + 1) % len(ring)]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def on_ring(point, ring, tolerance=1e-6):
    return any(seg_distance(point, ring[i], ring[(i + 1) % len(ring)]) <= tolerance for i in range(len(ring)))


def crosses(a, b, c, d):
    def side(p, q, r):
        return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])
    return side(a, b, c) * side(a, b, d) < 0 and side(c, d, a) * side(c, d, b) < 0


def meets(house, ring):
    """The house lies in the ring or crosses it."""
    if any(inside(p, ring) or on_ring(p, ring) for p in house):
        return True
    return any(crosses(house[i], house[(i + 1) % len(house)], ring[j], ring[(j + 1) % len(ring)])
               for i in range(len(house)) for j in range(len(ring)))


def codes_table(path):
    classes = {}
    with open(path, 'rb') as f:
        for raw in f:
            line = raw.decode('gbk', 'replace').strip()
            if line[:3].upper() == 'END':
                break
            fields = line.split(',')
            if len(fields) >= 6 and fields[0] not in classes:
                classes[fields[0]] = fields[5].strip()
    return classes


drawing, folder, index_ini, scope = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
window = [float(v) for v in sys.argv[5:9]] if scope == 2 else None
doc = ezdxf.readfile(drawing)
msp = list(doc.modelspace())
classes = codes_table(index_ini)



def group_lists(path):
    """The members of each GROUP object of the file, in their stored order (read from the tags, as
    the library keeps them unordered)."""
    with open(path, 'rb') as f:
        lines = f.read().decode('gbk', 'replace').splitlines()
    groups, current = [], None
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == '0':
            current = [] if value == 'GROUP' else None
            if current is not None:
                groups.append(current)
        elif current is not None and code == '340':
            current.append(value.upper())
    return groups


# Each entity's first group, and each group's members in order.
group_of = {}
for handles in group_lists(drawing):
    for h in handles:
        group_of.setdefault(h, handles)
by_handle = {e.dxf.handle: e for e in msp}


def members(entity):
    return [by_handle[h] for h in group_of.get(entity.dxf.handle, []) if h in by_handle]


def layer_is(entity, name):
    return entity.dxf.layer.upper() == name


def vertices(entity):
    if entity.dxftype() == 'LWPOLYLINE':
        return [(p[0], p[1]) for p in entity.get_points('xy')], None
    frame = list(entity.vertices)
    return [(v.dxf.location[0], v.dxf.location[1]) for v in frame], frame


parcels = [e for e in msp if e.dxftype() in ('POLYLINE', 'LWPOLYLINE') and layer_is(e, 'JZD')
           and code_of(e) == '300000']
jzp = [e for e in msp if e.dxftype() == 'CIRCLE' and layer_is(e, 'JZP') and code_of(e) == '301000']
gd = [e for e in msp if e.dxftype() == 'CIRCLE' and layer_is(e, 'GD') and code_of(e) == '301100']


def point_at(circles, p):
    for c in circles:
        if dist((c.dxf.center[0], c.dxf.center[1]), p) <= 1e-6:
            return c
    return None


def parcel_code(e):
    return first(e, 'QHDM') + (item(e, 'MIRET', 1, '') or '')


def in_window(e):
    points, _ = vertices(e)
    x0, y0, x1, y1 = window
    return all(x0 <= x <= x1 and y0 <= y <= y1 for x, y in points)


if scope == 1:
    chosen = [e for e in parcels if e.dxf.handle == sys.argv[5].upper()]
else:
    chosen = [e for e in parcels if scope == 3 or in_window(e)]
chosen = [e for _, e in sorted(((parcel_code(e), i), e) for i, e in enumerate(chosen))]


def parcel_lines(e):
    """(lines, whole): each line (carrier vertex, start, piece) in the outline's order from its
    first boundary point; the codes of a line sit on the vertex that starts it counter-clockwise."""
    points, frame = vertices(e)
    if frame is None:
        return None, False
    on = [point_at(jzp, p) for p in points]
    centres = [(c.dxf.center[0], c.dxf.center[1]) for c in on if c is not None]
    start = next((i for i, p in enumerate(points) if any(dist(p, c) < 0.01 for c in centres)), None)
    if start is None:
        return None, False
    points = points[start:] + points[:start]
    frame = frame[start:] + frame[:start]
    boundary = [point_at(jzp, p) is not None for p in points]
    keep = [i for i, p in enumerate(points) if boundary[i] or point_at(gd, p) is None]
    kept = [points[i] for i in keep]
    cw = clockwise(kept)
    pieces = []
    for i in range(len(points)):
        if boundary[i]:
            piece = [points[i]]
            j = (i + 1) % len(points)
            while True:
                piece.append(points[j])
                if boundary[j]:
                    break
                j = (j + 1) % len(points)
            pieces.append(piece)
    lines = []
    for k, i in enumerate(keep):
        carrier = frame[keep[(k + 1) % len(keep)]] if cw else frame[i]
        piece = next((p for p in pieces if dist(p[0], points[i]) <= 1e-4), None)
        lines.append((carrier, points[i], piece))
    return lines, len(pieces) == len(keep)


expected = {}
lines_of = {e.dxf.handle: parcel_lines(e) for e in parcels}

# zd_re_jzx: the parcel's lines, then the lines of the parcels wholly inside it (0.3 from its
# outline), but not the lines two of those share.
rows = []
for e in chosen:
    lines, _ = lines_of[e.dxf.handle]
    if lines is None:
        continue
    code = parcel_code(e)
    seq = 0
    for carrier, _, _ in lines:
        seq += 1
        rows.append([code, first(carrier, 'JZXDM'), float(seq), 1.0])
    outline, _ = vertices(e)
    enclosed = [o for o in parcels if o is not e and all(
        inside(p, outline) and not on_ring(p, outline, 0.3) for p in vertices(o)[0])]
    pieces = {}
    for o in enclosed:
        for _, _, piece in (lines_of[o.dxf.handle][0] or []):
            if piece:
                key = frozenset((round(p[0], 4), round(p[1], 4)) for p in piece)
                pieces[key] = pieces.get(key, 0) + 1
    for o in enclosed:
        ring = float(item(o, 'HH', 0, 0) or 0)
        for carrier, _, piece in (lines_of[o.dxf.handle][0] or []):
            if piece and pieces[frozenset((round(p[0], 4), round(p[1], 4)) for p in piece)] > 1:
                continue
            seq += 1
            rows.append([code, first(carrier, 'JZXDM'), float(seq), ring])
expected['zd_re_jzx'] = rows

# jzx_re_gd: one line per piece of outline; a row per parcel line with the GDDM its line took over.
rows = []
for e in chosen:
    lines, whole = lines_of[e.dxf.handle]
    if lines is None or not whole:
        continue
    for carrier, _, piece in lines:
        if piece:
            rows.append([first(carrier, 'JZXDM'), first(carrier, 'GDDM')])
expected['jzx_re_gd'] = rows

# jzx_re_jzd and the line notes.
rows, written, pairs, paired_lines, paired_notes = [], set(), [], set(), set()
for e in chosen:
    notes = [m for m in members(e) if m.dxftype() == 'TEXT' and code_of(m) == '302010']
    lines, whole = lines_of[e.dxf.handle]
    if not notes or lines is None or not whole:
        continue
    for carrier, _, piece in lines:
        code = first(carrier, 'JZXDM')
        if code.upper() in written or not piece:
            continue
        a, b = point_at(jzp, piece[0]), point_at(jzp, piece[-1])
        if a is not None and b is not None:
            written.add(code.upper())
            rows += [[code, first(a, 'JZDDM')], [code, first(b, 'JZDDM')]]
        if carrier.dxf.handle in paired_lines:
            continue
        best, nearest = None, None
        for note in notes:
            x, y = first(note, 'JZX_ZJ_X', 1040, None), first(note, 'JZX_ZJ_Y', 1040, None)
            if x is None or y is None or note.dxf.handle in paired_notes:
                continue
            if not any(dist(v, (x, y)) <= 0.001 for v in piece):
                continue
            at = (note.dxf.insert[0], note.dxf.insert[1])
            d = min(seg_distance(at, piece[i], piece[i + 1]) for i in range(len(piece) - 1))
            if nearest is None or d < nearest:
                best, nearest = note, d
        if best is not None:
            paired_lines.add(carrier.dxf.handle)
            paired_notes.add(best.dxf.handle)
            pairs.append((carrier, best))
expected['jzx_re_jzd'] = rows
pairs.sort(key=lambda pair: item(pair[0], 'JZXH', 0, 0) or 0)
expected['jzx_re_zj'] = [[first(line, 'JZXDM'), first(note, 'ZJDM')] for line, note in pairs] if pairs else None

# zd_re_zj: the coded texts in the parcel's group but its line notes and point labels.
expected['zd_re_zj'] = [[parcel_code(e), first(m, 'ZJDM')] for e in chosen for m in members(e)
                        if m.dxftype() == 'TEXT' and code_of(m) not in ('', '302010', '301001')]

# jzd_re_zj: the points (all, or those on the chosen parcels' vertices) by number, with their labels.
if scope == 3:
    points = jzp
else:
    points, seen = [], set()
    for e in chosen:
        for p in vertices(e)[0]:
            c = point_at(jzp, p)
            if c is not None and c.dxf.handle not in seen:
                seen.add(c.dxf.handle)
                points.append(c)
points = sorted(points, key=lambda c: item(c, 'JZDH', 0, 0) or 0)
labels = {}
for t in msp:
    if t.dxftype() == 'TEXT' and layer_is(t, 'JZP') and code_of(t) == '301001':
        labels.setdefault(t.dxf.text, t)
rows = []
for c in points:
    key = ('T' if first(c, 'JZDLX').startswith('2') else 'J') + str(item(c, 'MIRET', 2, ''))
    if key in labels:
        rows.append([first(c, 'JZDDM'), first(labels[key], 'ZJDM')])
expected['jzd_re_zj'] = rows


# fw_re_zj: houses with their group's texts.
def house_rows(h):
    return [[first(h, 'FWDM'), first(m, 'ZJDM')] for m in members(h) if m.dxftype() == 'TEXT']


houses = [h for h in msp if 'POLYLINE' in h.dxftype() and layer_is(h, 'JMD')
          and classes.get(code_of(h), '').upper() == 'FW']
rows, on_line = [], 0
if scope == 3:
    for h in houses:
        if first(h, 'ZDDM'):
            rows += house_rows(h)
else:
    for e in chosen:
        outline, code = vertices(e)[0], parcel_code(e)
        for h in houses:
            if code_of(h) in ('141200', '141300', '141400') or first(h, 'ZDDM').upper() != code.upper():
                continue
            if meets(vertices(h)[0], outline):
                rows += house_rows(h)
                on_line += any(on_ring(p, outline, 1e-3) for p in vertices(h)[0])
expected['fw_re_zj'] = rows

counts = []
for name, want in expected.items():
    path = os.path.join(folder, name + '.dbf')
    if want is None:
        if os.path.exists(path):
            fail('%s: written, but the drawing has no line notes' % name)
        continue
    if not os.path.exists(path):
        fail('%s: missing' % name)
        continue
    got = [[v if not isinstance(v, str) else v.strip() for v in r.values()]
           for r in dbfread.DBF(path, encoding='gbk', char_decode_errors='strict')]
    want = [[v if not isinstance(v, str) else v.strip() for v in r] for r in want]
    if got != want:
        diff = next((i for i in range(max(len(got), len(want)))
                     if i >= len(got) or i >= len(want) or got[i] != want[i]), None)
        fail('%s: %d rows, %d expected; first difference at row %s: %r against %r' % (
            name, len(got), len(want), diff, got[diff] if diff < len(got) else None,
            want[diff] if diff < len(want) else None))
    counts.append('%s %d' % (name, len(got)))

if problems:
    print('\n'.join(problems))
    sys.exit(1)
print(' '.join(counts), 'houses_on_the_line %d' % on_line)
