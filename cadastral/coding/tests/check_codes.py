"""Checks the codes ADDCODEQZ left in a drawing, and that a second run changed nothing.

usage: check_codes.py CODED.dxf AGAIN.dxf
Prints what is wrong and exits 1; exits 0 when all holds.
"""
import sys
from collections import defaultdict

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


def first(data, app, group=1000):
    for code, value in data.get(app, []):
        if code == group:
            return value
    return None


def item(data, app, index):
    items = data.get(app, [])
    return items[index][1] if index < len(items) else None


def inside(point, ring):
    x, y = point
    hit = False
    for i in range(len(ring)):
        (x1, y1), (x2, y2) = ring[i], ring[(i + 1) % len(ring)]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def area(ring):
    return sum(ring[i][0] * ring[(i + 1) % len(ring)][1] - ring[(i + 1) % len(ring)][0] * ring[i][1]
               for i in range(len(ring))) / 2


def seg_distance(p, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2))
    return ((p[0] - a[0] - t * dx) ** 2 + (p[1] - a[1] - t * dy) ** 2) ** 0.5


def xy(v):
    return (v[0], v[1])


def key(p):
    return (round(p[0], 3), round(p[1], 3))


def check(path):
    doc = ezdxf.readfile(path)
    msp = doc.modelspace()
    districts = []
    for e in msp.query('LWPOLYLINE POLYLINE'):
        d = xdata(e)
        if e.dxf.layer.upper() == 'DJZQ' and first(d, 'MIRET') == '321000':
            districts.append(([tuple(p[:2]) for p in e.get_points('xy')] if e.dxftype() == 'LWPOLYLINE'
                              else [xy(v.dxf.location) for v in e.vertices], first(d, 'DJZQBM')))
    if not districts:
        fail('no district')

    def district_of(point):
        found = [code for ring, code in districts if inside(point, ring)]
        return found[-1] if found else None

    def final(code, district, number):
        if code is None or district is None or len(district) != 12:
            return False
        return len(code) == 21 and code[:12] == district and code[12:14].isdigit() and code[14:] == '%07d' % number

    # Annotations, boundary points, points of the second class.
    numbers = []
    for e in msp.query('TEXT'):
        d = xdata(e)
        if not first(d, 'MIRET'):
            if 'ZJDM' in d and first(d, 'ZJDM'):
                fail('text without code coded: %s' % e.dxf.handle)
            continue
        zjh = first(d, 'ZJH', 1071)
        numbers.append(zjh)
        if not final(first(d, 'ZJDM'), district_of(xy(e.dxf.insert)), zjh or -1):
            fail('text %s: ZJDM %r ZJH %r' % (e.dxf.handle, first(d, 'ZJDM'), zjh))
    if len(set(numbers)) != len(numbers):
        fail('ZJH repeated')
    for e in msp.query('CIRCLE'):
        d = xdata(e)
        code = first(d, 'MIRET')
        if code not in ('301000', '301100'):
            continue
        number = item(d, 'MIRET', 2)
        app, napp = ('JZDDM', 'JZDH') if code == '301000' else ('GDDM', 'GDH')
        if not final(first(d, app), district_of(xy(e.dxf.center)), number):
            fail('point %s: %s %r for number %r' % (e.dxf.handle, app, first(d, app), number))
        if first(d, napp, 1071) != number:
            fail('point %s: %s %r' % (e.dxf.handle, napp, first(d, napp, 1071)))

    # Parcels: serial number, the district's block, boundary-line codes.
    segments = defaultdict(set)  # undirected segment -> codes of the vertices starting it
    line_numbers = defaultdict(set)
    parcels = {}
    for e in msp.query('POLYLINE'):
        d = xdata(e)
        if e.dxf.layer.upper() != 'JZD' or first(d, 'MIRET') != '300000':
            continue
        ring = [xy(v.dxf.location) for v in e.vertices]
        number = item(d, 'MIRET', 1)
        district = district_of(ring[0]) or ''
        if first(d, 'ZDLSH', 1071) != int(number[6:10]):
            fail('parcel %s: ZDLSH %r for %s' % (e.dxf.handle, first(d, 'ZDLSH', 1071), number))
        if number[3:6] != district[9:12]:
            fail('parcel %s: number %s in district %s' % (e.dxf.handle, number, district))
        parcels[first(d, 'QHDM') + number] = ring
        ccw = area(ring) > 0
        n = len(ring)
        for i, v in enumerate(e.vertices):
            vd = xdata(v)
            code = first(vd, 'JZXDM')
            if 'JZXDM' in vd and code == '':
                fail('empty JZXDM on a vertex of %s' % e.dxf.handle)
            other = ring[(i + 1) % n] if ccw else ring[(i - 1) % n]
            seg = frozenset((key(ring[i]), key(other)))
            segments[seg].add(code)
            if code:
                jzxh = first(vd, 'JZXH', 1071)
                if code[:12] != first(d, 'QHDM') + number[:6] or code[14:] != '%07d' % jzxh:
                    fail('parcel %s: JZXDM %s JZXH %r' % (e.dxf.handle, code, jzxh))
                line_numbers[code[:12]].add(jzxh)
    for seg, codes in segments.items():
        if len(codes) != 1:
            fail('segment %s carries %s' % (sorted(seg), sorted(c or '' for c in codes)))
    coded = sum(1 for codes in segments.values() if None not in codes)
    if coded < 0.8 * len(segments):
        fail('only %d of %d segments coded' % (coded, len(segments)))
    for block, used in line_numbers.items():
        if used != set(range(1, len(used) + 1)):
            fail('boundary-line numbers of %s are not 1..n: %s' % (block, sorted(used)[:10]))

    # Points on parcel sides carry the code of the side they lie on.
    seg_list = [(tuple(s), next(iter(c))) for s, c in segments.items() if len(s) == 2]
    for e in msp.query('POINT'):
        if e.dxf.layer.upper() != 'GD':
            continue
        p = xy(e.dxf.location)
        near = {code for (a, b), code in seg_list if seg_distance(p, a, b) < 0.1 and code}
        got = first(xdata(e), 'JZXDM')
        if near and got not in near:
            fail('point %s on %s has %r' % (e.dxf.handle, sorted(near), got))

    # Houses: numbered per parcel from 001, the house code ends in its own number.
    by_parcel = defaultdict(list)
    for e in msp.query('LWPOLYLINE'):
        d = xdata(e)
        if e.dxf.layer.upper() != 'JMD' or 'FWBH' not in d:
            continue
        zddm, fwbh, fwdm = first(d, 'ZDDM'), first(d, 'FWBH'), first(d, 'FWDM')
        if len(zddm) != 19 or fwdm != zddm + fwbh:
            fail('house %s: ZDDM %r FWBH %r FWDM %r' % (e.dxf.handle, zddm, fwbh, fwdm))
        pts = [tuple(p[:2]) for p in e.get_points('xy')]
        centre = (sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts))
        if zddm not in parcels or not inside(centre, parcels[zddm]):
            fail('house %s is not in parcel %s' % (e.dxf.handle, zddm))
        by_parcel[zddm].append(fwbh)
    for zddm, numbers in by_parcel.items():
        if sorted(numbers) != ['%03d' % i for i in range(1, len(numbers) + 1)]:
            fail('houses of %s numbered %s' % (zddm, sorted(numbers)))
    houses = [e for e in msp.query('LWPOLYLINE') if e.dxf.layer.upper() == 'JMD' and e.closed]
    if sum(len(v) for v in by_parcel.values()) != len(houses):
        fail('%d of %d houses numbered' % (sum(len(v) for v in by_parcel.values()), len(houses)))
    return doc


def snapshot(doc):
    out = {}
    for e in doc.modelspace():
        out[e.dxf.handle] = xdata(e)
        if e.dxftype() == 'POLYLINE':
            for i, v in enumerate(e.vertices):
                out['%s/%d' % (e.dxf.handle, i)] = xdata(v)
    return out


first_doc = check(sys.argv[1])
second = snapshot(ezdxf.readfile(sys.argv[2]))
for handle, data in snapshot(first_doc).items():
    if second.get(handle) != data:
        fail('second run changed %s: %s -> %s' % (handle, data, second.get(handle)))
        break
if problems:
    print('\n'.join(problems))
    sys.exit(1)
print('ok')
