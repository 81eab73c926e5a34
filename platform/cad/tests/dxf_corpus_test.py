#!/usr/bin/python3
"""Drawings written by other programs open in cadhost and are saved without loss.

Every drawing of the corpus folder that ezdxf reads, a drawing that ogr2ogr makes here from a
GeoJSON with Chinese layer names and texts, and drawings ezdxf makes here in three releases, is
opened by the cadhost program and saved as a new file. ezdxf then reads both and compares:
entities of each layout, block contents, dimensions, layer names, texts, extended-data
applications and dimension styles with their values; and its audit finds no more problems in the
saved drawing than in the one read.

A drawing with a record the host mends on reading (see data/make_damaged_drawings.py) prints one
line for each such record, and only such drawings print any. A drawing ezdxf itself cannot read
must still open, and save to a drawing ezdxf reads and audits clean.

Prints one line per drawing and failed check; exits 1 when a drawing fails a check that is not
listed for it below, or passes one that is (take it off the list).

usage: dxf_corpus_test.py CADHOST CORPUS_FOLDER
"""
import json
import os
import re
import subprocess
import sys
import tempfile
from collections import Counter

import ezdxf
from ezdxf import recover

# Drawings that still come out damaged: the checks each fails, and why. Any other check failing, or
# one of these passing, is reported; take checks off as the reader and writer learn them.
OPENS = "opens and saves"
KNOWN_FAILING = {}

# The lines cadhost prints for the records it mends on reading, by drawing.
MENDED = {
    "insert_zero_scale.dxf": 1,
    "layer_names_refused.dxf": 3,
    "layout_without_block_record.dxf": 1,
    "ellipse_ratio_above_one.dxf": 2,
    "group_member_missing.dxf": 1,
    "model_space_as_u.dxf": 1,
    "polyface_without_seqend_r14.dxf": 1,
    "handle_used_twice.dxf": 1,
}

# Drawings ezdxf reads otherwise than a host does, compared only as saved: ezdxf takes the model
# space's record named "*U" for an anonymous block and sees an empty model space.
MISREAD = {"model_space_as_u.dxf"}

# Feature classes for ogr2ogr: layer names and texts outside any single-byte code page, as Chinese
# GIS data is.
GEOJSON = {
    "type": "FeatureCollection",
    "features": [
        {"type": "Feature", "properties": {"Layer": "宗地"},
         "geometry": {"type": "Polygon", "coordinates": [[[0, 0], [10, 0], [10, 10], [0, 10], [0, 0]]]}},
        {"type": "Feature", "properties": {"Layer": "界址线"},
         "geometry": {"type": "LineString", "coordinates": [[0, 0], [10, 0], [10, 10]]}},
        {"type": "Feature", "properties": {"Layer": "注记", "Text": "张三的房屋"},
         "geometry": {"type": "Point", "coordinates": [5, 5]}},
        {"type": "Feature", "properties": {"Layer": "注记", "Text": "界址点 J1"},
         "geometry": {"type": "Point", "coordinates": [0, 0]}},
        {"type": "Feature", "properties": {"Layer": "Straße"},
         "geometry": {"type": "MultiLineString", "coordinates": [[[0, 0], [5, 5]], [[5, 5], [9, 1]]]}},
    ],
}

LAYOUT_BLOCKS = ("*model_space", "*paper_space")
UNICODE_ESCAPE = re.compile(r"\\U\+([0-9A-Fa-f]{4})")
UNDECODED = re.compile("[\udc80-\udcff\ufffd]")
ESCAPED_NAME = re.compile(r"Invalid (layer name|value) .*\\U\+[0-9A-Fa-f]{4}")


def undecoded(match):
    # A byte the code page cannot decode is read as its code page 1252 character, as the host
    # reads it; what ezdxf itself replaced is lost either way.
    c = match.group(0)
    if c == "\ufffd":
        return c
    return bytes([ord(c) - 0xDC00]).decode("cp1252", "replace")


def plain(text):
    """A name or text as a reader shows it: \\U+XXXX escapes decoded, and bytes the code page
    could not decode as the host reads them."""
    text = UNICODE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text or "")
    return UNDECODED.sub(undecoded, text)


def key(name):
    # Names compare without case, as the host compares them.
    return plain(name).casefold()


def make_ogr_drawing(folder):
    features = []
    for feature in GEOJSON["features"]:
        feature = json.loads(json.dumps(feature))
        text = feature["properties"].get("Text")
        if text:
            # GDAL writes a point with a label style as a text entity.
            feature["properties"]["OGR_STYLE"] = 'LABEL(t:"%s",s:2g)' % text
        features.append(feature)
    source = os.path.join(folder, "features.geojson")
    with open(source, "w", encoding="utf-8") as f:
        json.dump({"type": "FeatureCollection", "features": features}, f, ensure_ascii=False)
    drawing = os.path.join(folder, "ogr2ogr_chinese.dxf")
    run = subprocess.run(["ogr2ogr", "-f", "DXF", drawing, source], capture_output=True, text=True)
    if run.returncode != 0 or not os.path.exists(drawing):
        raise RuntimeError("ogr2ogr failed: " + run.stderr)
    return drawing


def make_ezdxf_drawings(folder):
    """Drawings as ezdxf writes them, in three releases: layouts with viewports, dimensions with
    their blocks and styles, a leader, a patterned hatch, extended data and an xrecord."""
    made = []
    for version in ("R12", "R2000", "R2018"):
        doc = ezdxf.new(version, setup=True)
        doc.appids.new("SURVEY")
        # A name GBK lacks, from a cp1252 file; the later releases keep to GBK's characters.
        road = "Straße" if version == "R12" else "道路"
        doc.layers.add(road)
        doc.layers.add("界址点")
        msp = doc.modelspace()
        line = msp.add_line((0, 0), (30, 40), dxfattribs={"layer": road})
        line.set_xdata("SURVEY", [(1000, "J1"), (1070, 7), (1040, 2.5), (1010, (1, 2, 3)),
                                  (1011, (4, 5, 6)), (1041, 12.5)])
        msp.add_text("界址点 J1", dxfattribs={"layer": "界址点", "height": 2.5}).set_pos((0, 0))
        block = doc.blocks.new("MARK")
        block.add_circle((0, 0), 0.5)
        block.add_attdef("CODE", (0.6, 0), dxfattribs={"height": 0.5})
        msp.add_blockref("MARK", (30, 40)).add_attrib("CODE", "J2", (30.6, 40))
        msp.add_linear_dim(base=(0, -5), p1=(0, 0), p2=(30, 0), dimstyle="EZDXF").render()
        msp.add_aligned_dim(p1=(0, 0), p2=(30, 40), distance=3).render()
        if version != "R12":
            msp.add_leader([(30, 40), (40, 50), (45, 50)])
            hatch = msp.add_hatch(color=3)
            hatch.set_pattern_fill("ANSI31", scale=0.5)
            hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
            msp.add_mtext("宗地 第1号\\P面积 120.5", dxfattribs={"char_height": 2})
            xrecord = doc.rootdict.add_new_dict("SURVEY_INDEX").add_xrecord("Parcel1")
            xrecord.reset([(1, "宗地"), (40, 120.5), (330, line.dxf.handle), (1000, "note"), (1071, 9)])
            for sheet in ("Sheet 1", "Sheet 2"):
                layout = doc.layouts.get("Layout1") if sheet == "Sheet 1" else doc.layouts.new(sheet)
                layout.add_viewport(center=(100, 100), size=(150, 100), view_center_point=(15, 20), view_height=60)
                layout.add_text(sheet, dxfattribs={"height": 5}).set_pos((20, 20))
        path = os.path.join(folder, "ezdxf_%s.dxf" % version)
        doc.saveas(path)
        made.append(path)
    return made


def read(path, folder):
    """The drawing as ezdxf reads it, or None. Text is decoded as the host decodes it: a file
    whose text is well-formed UTF-8 as UTF-8, as GDAL and others write it whatever code page they
    declare; a file of an older release that declares no code page in the host's, GBK. A file
    ezdxf finds damaged is read through its recovery."""
    data = open(path, "rb").read()
    encoding = None
    if any(b > 127 for b in data):
        try:
            data.decode("utf-8")
            encoding = "utf-8"
        except UnicodeDecodeError:
            if b"$DWGCODEPAGE" not in data:
                encoding = "gbk"
    header = b""
    if encoding == "gbk":
        # ezdxf's recovery takes no code page but the drawing's own.
        header += b"  9\n$DWGCODEPAGE\n  3\nANSI_936\n"
    if b"$ACADVER" not in data and b"AcDbEntity" in data:
        # Without a header ezdxf takes a drawing for R12 and loses what follows the subclass
        # markers; the markers say it is R2000 or later.
        header += b"  9\n$ACADVER\n  1\nAC1015\n"
    if header:
        at = re.search(rb"\n\s*2\r?\nHEADER\r?\n", data)
        if at:
            data = data[:at.end()] + header + data[at.end():]
        else:
            data = b"  0\nSECTION\n  2\nHEADER\n" + header + b"  0\nENDSEC\n" + data
        path = os.path.join(folder, "headed_" + os.path.basename(path))
        with open(path, "wb") as f:
            f.write(data)
    try:
        return ezdxf.readfile(path, encoding=encoding) if encoding else ezdxf.readfile(path)
    except Exception:
        pass
    try:
        doc, _ = recover.readfile(path)
        return doc
    except Exception:
        return None


def texts_of(entity):
    kind = entity.dxftype()
    if kind in ("TEXT", "ATTRIB", "ATTDEF"):
        yield entity.dxf.get("text", "")
    elif kind == "MTEXT":
        yield entity.text
    elif kind == "DIMENSION":
        text = entity.dxf.get("text", "")
        if text not in ("", "<>"):
            yield text
    if kind == "INSERT":
        for attrib in entity.attribs:
            yield attrib.dxf.get("text", "")


def facts(doc, path):
    """What must survive a save, as plain values. Blocks ezdxf makes on reading (arrow heads of
    dimension styles) are not the drawing's: only blocks named in the file count."""
    written = open(path, "rb").read().decode(doc.encoding or "utf-8", "replace").replace("\r", "").split("\n")
    written = {line.strip().casefold() for line in written}
    layouts, blocks, anonymous = {}, {}, Counter()
    texts, apps, dimensions = Counter(), Counter(), Counter()

    def note(entity):
        if entity.dxftype() == "DIMENSION":
            # Its kind and flags (group 70) and whether it names a block the drawing has (group 2):
            # a name without its block is dropped on saving, as an audit drops it.
            block = entity.dxf.get("geometry", "")
            dimensions[(entity.dxf.get("dimtype", 0), bool(block) and block in doc.blocks)] += 1
        for text in texts_of(entity):
            texts[plain(text)] += 1
        if entity.xdata is not None:
            for app in entity.xdata.data:
                apps[key(app)] += 1

    for layout in doc.layouts:
        kinds = Counter()
        for entity in layout:
            kinds[entity.dxftype()] += 1
            note(entity)
        layouts[key(layout.name)] = kinds
    for block in doc.blocks:
        name = key(block.name)
        if name.startswith(LAYOUT_BLOCKS) or block.name.casefold() not in written:
            continue
        kinds = Counter()
        for entity in block:
            kinds[entity.dxftype()] += 1
            note(entity)
        contents = tuple(sorted(kinds.items()))
        # An anonymous block may be renumbered on saving: only its kind and contents count.
        if name.startswith("*"):
            anonymous[(name[:2], contents)] += 1
        else:
            blocks[name] = contents

    dimstyles = {}
    for style in doc.dimstyles:
        values = {k: v for k, v in style.dxfattribs().items()
                  if isinstance(v, (int, float)) and not isinstance(v, bool)}
        dimstyles[key(style.dxf.name)] = values
    return {
        "layouts": layouts,
        "blocks": blocks,
        "anonymous blocks": anonymous,
        "layers": {key(layer.dxf.name) for layer in doc.layers},
        "views": {key(view.dxf.name): (view.dxf.center, view.dxf.height, view.dxf.width) for view in doc.views},
        "coordinate systems": {key(ucs.dxf.name): (ucs.dxf.origin, ucs.dxf.xaxis) for ucs in doc.ucs},
        "texts": texts,
        "xdata": apps,
        "dimensions": dimensions,
        "dimstyles": dimstyles,
    }


def differences(before, after):
    """(check, detail) for each thing the saved drawing lost or changed."""
    found = []
    for name, kinds in before["layouts"].items():
        if name not in after["layouts"]:
            found.append(("entities per layout", "layout %r missing" % name))
        elif after["layouts"][name] != kinds:
            found.append(("entities per layout", "%s: %s became %s" % (
                name, dict(kinds), dict(after["layouts"][name]))))
    extra = set(after["layouts"]) - set(before["layouts"])
    if extra:
        found.append(("entities per layout", "new layouts %s" % sorted(extra)))

    for name, contents in before["blocks"].items():
        if name not in after["blocks"]:
            found.append(("block contents", "block %r missing" % name))
        elif after["blocks"][name] != contents:
            found.append(("block contents", "%s: %s became %s" % (name, dict(contents), dict(after["blocks"][name]))))
    extra = set(after["blocks"]) - set(before["blocks"])
    if extra:
        found.append(("block contents", "new blocks %s" % sorted(extra)))
    if before["anonymous blocks"] != after["anonymous blocks"]:
        lost = before["anonymous blocks"] - after["anonymous blocks"]
        gained = after["anonymous blocks"] - before["anonymous blocks"]
        found.append(("block contents", "anonymous blocks lost %s, gained %s" % (dict(lost), dict(gained))))

    missing = before["layers"] - after["layers"]
    if missing:
        found.append(("layer names", "missing %s; saved %s" % (sorted(missing), sorted(after["layers"]))))

    for what in ("views", "coordinate systems"):
        if before[what] != after[what]:
            found.append((what, "%s became %s" % (before[what], after[what])))

    if before["texts"] != after["texts"]:
        found.append(("texts", "lost %s, gained %s" % (
            dict(before["texts"] - after["texts"]), dict(after["texts"] - before["texts"]))))

    if before["xdata"] != after["xdata"]:
        found.append(("xdata applications", "%s became %s" % (dict(before["xdata"]), dict(after["xdata"]))))

    if before["dimensions"] != after["dimensions"]:
        found.append(("dimensions", "(flags, names its block): %s became %s" % (
            dict(before["dimensions"]), dict(after["dimensions"]))))

    for name, values in before["dimstyles"].items():
        if name not in after["dimstyles"]:
            found.append(("dimension styles", "style %r missing" % name))
            continue
        saved = after["dimstyles"][name]
        changed = {k: (v, saved.get(k)) for k, v in values.items()
                   if saved.get(k) is None or abs(saved[k] - v) > 1e-9 * max(1.0, abs(v))}
        if changed:
            found.append(("dimension styles", "%s: %s" % (name, changed)))
    return found


def audit_count(doc):
    # Names holding \U+XXXX escapes are valid names to a host, though not to ezdxf's audit.
    return sum(1 for e in doc.audit().errors if not ESCAPED_NAME.search(e.message))


def check(cadhost, drawing, folder):
    """The failures of one drawing: [(check, detail)], and whether ezdxf reads the drawing."""
    before_doc = read(drawing, folder) if os.path.basename(drawing) not in MISREAD else None
    saved = os.path.join(folder, "saved_" + os.path.basename(drawing))
    env = dict(os.environ, DERO_ROOT=os.path.join(folder, "root"))
    env.pop("DERO_PLUGIN_DIR", None)
    try:
        run = subprocess.run([cadhost, drawing, "-o", saved, "--no-default-modules"], env=env, cwd=folder,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        return [("opens and saves", "cadhost did not finish")], before_doc is not None
    if run.returncode != 0 or not os.path.exists(saved):
        said = (run.stdout + run.stderr).decode("utf-8", "replace").strip().replace("\n", " | ")
        return [("opens and saves", "exit %d: %s" % (run.returncode, said[:400]))], before_doc is not None
    found = []
    name = os.path.basename(drawing)
    mended = [line for line in run.stdout.decode("utf-8", "replace").split("\n")
              if (name + ": line ") in line]
    if len(mended) != MENDED.get(name, 0):
        found.append(("mending lines", "%d printed, %d expected: %s" % (len(mended), MENDED.get(name, 0), mended)))
    try:
        after_doc = ezdxf.readfile(saved)
    except Exception as e:
        # ezdxf's strict reading refuses names with \U+XXXX escapes, which hosts write for
        # characters outside the drawing's code page; its recovery reads them.
        if not ESCAPED_NAME.search(str(e)):
            return found + [("saved drawing reads", "%s: %s" % (type(e).__name__, e))], before_doc is not None
        after_doc, _ = recover.readfile(saved)

    if before_doc is not None:
        found += differences(facts(before_doc, drawing), facts(after_doc, saved))
    # Only the named-objects dictionary has no owner; an audit deletes any other that says 0.
    root = after_doc.rootdict.dxf.handle
    unowned = [d.dxf.handle for d in after_doc.objects.query("DICTIONARY")
               if d.dxf.handle != root and d.dxf.get("owner", "0") == "0"]
    if unowned:
        found.append(("dictionary owners", "owner 0 for %s" % unowned))
    problems_before = audit_count(before_doc) if before_doc is not None else 0
    problems_after = audit_count(after_doc)
    if problems_after > problems_before:
        codes = Counter(e.message.split(":")[0][:60] for e in after_doc.audit().errors)
        found.append(("audit", "%d problems, %d before: %s" % (problems_after, problems_before, dict(codes))))
    return found, before_doc is not None


def main():
    cadhost, corpus = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory(prefix="dxf_corpus_") as folder:
        drawings = sorted(os.path.join(corpus, n) for n in os.listdir(corpus) if n.lower().endswith(".dxf"))
        drawings.append(make_ogr_drawing(folder))
        drawings.extend(make_ezdxf_drawings(folder))
        unexpected = []
        for drawing in drawings:
            name = os.path.basename(drawing)
            failures, compared = check(cadhost, drawing, folder)
            if not compared:
                print("%s: not read by ezdxf; only its saved drawing is checked" % name)
            for what, detail in failures:
                print("%s: FAIL %s: %s" % (name, what, detail))
            known, why = KNOWN_FAILING.get(name, (set(), ""))
            failed = {what for what, _ in failures}
            if failed - known:
                unexpected.append(name)
            if known - failed:
                print("%s: passes %s now: take it off KNOWN_FAILING" % (name, ", ".join(sorted(known - failed))))
                unexpected.append(name)
            if failed and failed <= known:
                print("%s: known to fail (%s)" % (name, why))
            elif not failed:
                print("%s: ok" % name)
        if unexpected:
            print("unexpected results: %s" % ", ".join(unexpected))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
