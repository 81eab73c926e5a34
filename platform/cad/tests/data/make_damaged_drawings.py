#!/usr/bin/python3
"""Makes the small damaged drawings of this folder: each is what ezdxf writes, with the one fault
another program's drawing had put in by hand. Run once; the drawings are kept as made.

usage: make_damaged_drawings.py [FOLDER [NAME...]]
"""
import os
import sys

import ezdxf


def records(path):
    """The file as a list of records, each a list of (code, value) pairs from its 0 group on."""
    lines = open(path, encoding="cp1252").read().split("\n")
    out = []
    for i in range(0, len(lines) - 1, 2):
        pair = (lines[i].strip(), lines[i + 1])
        if pair[0] == "0":
            out.append([pair])
        else:
            out[-1].append(pair)
    return out


def save(recs, path):
    with open(path, "w", encoding="cp1252", newline="\n") as f:
        for rec in recs:
            for code, value in rec:
                f.write("%3s\n%s\n" % (code, value))


def value(rec, code):
    for c, v in rec:
        if c == str(code):
            return v
    return None


def of_type(recs, kind):
    return [r for r in recs if r[0][1] == kind]


def insert_zero_scale(path):
    # A table drawn as an anonymous block, inserted at scale 0, 0, 0 as a DXF library writes it.
    doc = ezdxf.new("R2000")
    table = doc.blocks.new_anonymous_block("T")
    table.add_line((0, 0), (10, 0))
    table.add_text("cell", dxfattribs={"height": 2})
    doc.modelspace().add_blockref(table.name, (5, 5))
    doc.modelspace().add_circle((0, 0), 1)
    doc.saveas(path)
    recs = records(path)
    insert = of_type(recs, "INSERT")[0]
    insert.extend([("41", "0.0"), ("42", "0.0"), ("43", "0.0")])
    save(recs, path)


def layer_names_refused(path):
    # Layer names whose writer lost their letters to '?', and names with '<' and '*'.
    names = {"QUESTION": "????????? ???? ?????????? ESK", "LESS": "A<B", "STAR": "A*B"}
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    for stand_in in names:
        doc.layers.add(stand_in)
    msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "QUESTION"})
    msp.add_line((0, 0), (2, 1), dxfattribs={"layer": "LESS"})
    msp.add_text("x", dxfattribs={"layer": "STAR"})
    doc.saveas(path)
    recs = records(path)
    for rec in recs:
        for i, (code, text) in enumerate(rec):
            if code in ("2", "8") and text in names:
                rec[i] = (code, names[text])
    save(recs, path)


def layout_without_block_record(path):
    # A second layout whose block record the file lacks; its block and viewport are there.
    doc = ezdxf.new("R2000")
    sheet = doc.layouts.new("Sheet 2")
    sheet.add_viewport(center=(100, 100), size=(150, 100), view_center_point=(15, 20), view_height=60)
    sheet.add_line((0, 0), (1, 1))
    doc.modelspace().add_line((0, 0), (5, 5))
    doc.layouts.get("Layout1").add_text("sheet 1")
    record = sheet.block_record_handle
    doc.saveas(path)
    recs = [r for r in records(path) if not (r[0][1] == "BLOCK_RECORD" and value(r, 5) == record)]
    save(recs, path)


def polyface_without_seqend(path):
    # R14: a polyface mesh followed directly by a solid, its end marker left out; a 2D polyline
    # whose end marker comes after the solid that follows it.
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_polyface().append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
    msp.add_solid([(2, 0), (3, 0), (2, 1)])
    msp.add_polyline2d([(0, 0), (1, 0), (1, 1)])
    msp.add_solid([(4, 0), (5, 0), (4, 1)])
    doc.saveas(path)
    recs, out, held, polylines = records(path), [], None, 0
    for rec in recs:
        if rec[0][1] == "POLYLINE":
            polylines += 1
        if rec[0][1] == "SEQEND":
            if polylines == 2:
                held = rec
            continue
        out.append(rec)
        if held is not None and rec[0][1] == "SOLID":
            out.append(held)
            held = None
    for rec in out:
        for i in range(len(rec) - 1):
            if rec[i] == ("9", "$ACADVER"):
                rec[i + 1] = ("1", "AC1014")
    save(out, path)


def dimensions_r12(path):
    # R12 dimensions of every kind, each naming its picture block (*D1...) in group 2.
    doc = ezdxf.new("R12", setup=True)
    msp = doc.modelspace()
    msp.add_linear_dim(base=(0, -5), p1=(0, 0), p2=(30, 0)).render()
    msp.add_radius_dim(center=(0, 0), radius=3, angle=45).render()
    msp.add_diameter_dim(center=(0, 0), radius=3, angle=45).render()
    msp.add_angular_dim_2l(base=(5, 5), line1=((0, 0), (10, 0)), line2=((0, 0), (10, 10))).render()
    doc.saveas(path)


def dictionary_without_owner(path):
    # A dictionary of the named-objects dictionary that names no owner.
    doc = ezdxf.new("R2000")
    index = doc.rootdict.add_new_dict("SURVEY_INDEX")
    index.add_xrecord("Parcel1").reset([(1, "J1"), (40, 12.5)])
    doc.modelspace().add_line((0, 0), (1, 1))
    doc.saveas(path)
    recs = records(path)
    for rec in of_type(recs, "DICTIONARY"):
        if value(rec, 5) == index.dxf.handle:
            rec[:] = [pair for pair in rec if pair[0] != "330"]
    save(recs, path)


def handle_used_twice(path):
    # Two lines of one handle.
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    first = msp.add_line((0, 0), (1, 1))
    msp.add_line((2, 2), (3, 3))
    doc.saveas(path)
    recs = records(path)
    second = of_type(recs, "LINE")[1]
    second[:] = [("5", first.dxf.handle) if code == "5" else (code, text) for code, text in second]
    save(recs, path)


def views_and_coordinate_systems(path):
    # Saved views and coordinate systems, and the dimension style table's list of its styles.
    doc = ezdxf.new("R2000", setup=True)
    doc.views.new("Parcel 12", dxfattribs={"center": (50, 40), "height": 30, "width": 45})
    doc.views.new("Whole sheet", dxfattribs={"center": (0, 0), "height": 300, "width": 420})
    doc.ucs.new("Survey grid", dxfattribs={"origin": (1000, 2000, 0), "xaxis": (0, 1, 0), "yaxis": (-1, 0, 0)})
    doc.modelspace().add_line((0, 0), (1, 1))
    doc.saveas(path)
    recs = records(path)
    styles = [value(r, 105) for r in of_type(recs, "DIMSTYLE")]
    for rec in of_type(recs, "TABLE"):
        if value(rec, 2) == "DIMSTYLE":
            rec.extend([("71", str(len(styles)))] + [("340", handle) for handle in styles])
    save(recs, path)


def ellipse_ratio_above_one(path):
    # Ellipses whose axis ratio a program wrote a hair above 1: a whole one and an arc.
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_ellipse((0, 0), major_axis=(10, 0), ratio=0.5)
    msp.add_ellipse((30, 0), major_axis=(0, 5), ratio=0.5, start_param=0.5, end_param=2.5)
    msp.add_line((0, 0), (1, 1))
    doc.saveas(path)
    recs = records(path)
    for rec, ratio in zip(of_type(recs, "ELLIPSE"), ("1.0095", "1.0000001")):
        rec[:] = [(code, ratio) if code == "40" else (code, text) for code, text in rec]
    save(recs, path)


def group_member_missing(path):
    # A group of three lines, one of which the file lacks.
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    lines = [msp.add_line((i, 0), (i, 1)) for i in range(3)]
    msp.add_circle((0, 0), 1)
    doc.groups.new("PARCEL", description="parcel 1").extend(lines)
    gone = lines[1].dxf.handle
    doc.saveas(path)
    recs = [r for r in records(path) if not (r[0][1] == "LINE" and value(r, 5) == gone)]
    save(recs, path)


def model_space_as_u(path):
    # The model space's block record named "*U" with its true name in extended data, as
    # LibreDWG writes R2000 drawings.
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_line((0, 0), (1, 1))
    msp.add_circle((0, 0), 1)
    msp.add_text("J1")
    record = msp.block_record_handle
    doc.saveas(path)
    recs = records(path)
    for rec in of_type(recs, "BLOCK_RECORD"):
        if value(rec, 5) == record:
            rec[:] = [(code, "*U") if code == "2" else (code, text) for code, text in rec]
            rec.extend([("1001", "ACDBDYNAMICBLOCKTRUENAME2"), ("1000", "*MODEL_SPACE")])
    for rec in of_type(recs, "BLOCK") + of_type(recs, "ENDBLK"):
        if value(rec, 330) == record:
            rec[:] = [(code, "*U") if code in ("2", "3") else (code, text) for code, text in rec]
    for rec in of_type(recs, "APPID")[:1]:
        index = recs.index(rec)
        recs.insert(index, [("0", "APPID"), ("5", "FFF0"), ("330", value(rec, 330)), ("100", "AcDbSymbolTableRecord"),
                            ("100", "AcDbRegAppTableRecord"), ("2", "ACDBDYNAMICBLOCKTRUENAME2"), ("70", "0")])
    save(recs, path)


MAKERS = {
    "insert_zero_scale.dxf": insert_zero_scale,
    "layer_names_refused.dxf": layer_names_refused,
    "layout_without_block_record.dxf": layout_without_block_record,
    "polyface_without_seqend_r14.dxf": polyface_without_seqend,
    "dimensions_r12.dxf": dimensions_r12,
    "dictionary_without_owner.dxf": dictionary_without_owner,
    "handle_used_twice.dxf": handle_used_twice,
    "views_and_coordinate_systems.dxf": views_and_coordinate_systems,
    "ellipse_ratio_above_one.dxf": ellipse_ratio_above_one,
    "group_member_missing.dxf": group_member_missing,
    "model_space_as_u.dxf": model_space_as_u,
}

if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    only = sys.argv[2:]  # names of the drawings to make; none: all
    for name, make in MAKERS.items():
        if not only or name in only:
            make(os.path.join(folder, name))
