"""What ezdxf sees in a drawing after an unattended read: one line per entity in drawing order
(type, feature code, layer), then each parcel's ring with the boundary-line class of each vertex,
each elevation point's attributes, and the drawing variables the read was given. With "data" after
the drawing, also every entity's "miret" items as group:value."""
import sys

import ezdxf


def first_string(entity, application):
    for name in (application, application.upper(), application.lower()):
        if entity.has_xdata(name):
            for code, value in entity.get_xdata(name):
                if code == 1000:
                    return value
    return ""


doc = ezdxf.readfile(sys.argv[1])
for e in doc.modelspace():
    code = first_string(e, "miret")
    print("ENTITY", e.dxftype(), code or "-", e.dxf.layer)
    for name in ("miret", "MIRET") if sys.argv[2:] == ["data"] else ():
        if e.has_xdata(name):
            print("MIRET", " ".join("%d:%s" % (c, v) for c, v in e.get_xdata(name) if c != 1001))
            break
    if e.dxftype() == "POLYLINE" and code == "300000":
        print("PARCEL", "closed" if e.is_closed else "open", first_string(e, "QHDM"))
        for v in e.vertices:
            x, y = v.dxf.location[0], v.dxf.location[1]
            print("VERTEX %g %g %s" % (x, y, first_string(v, "JZXLB") or "-"))
    if e.dxftype() == "INSERT":
        print("BLOCK", e.dxf.name, "%g %g %g" % tuple(e.dxf.insert))
        for a in e.attribs:
            print("ATTRIB", a.dxf.tag, a.dxf.text)
