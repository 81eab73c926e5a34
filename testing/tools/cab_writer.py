#!/usr/bin/env python3
"""Writes a set of stored (uncompressed) cabinets from a JSON description on standard input.

{"dir": out folder, "set_id": n,
 "cabinets": [{"name": "a.cab", "next": optional override (null: none), "prev": optional override}],
 "split": [offsets in the members' joined data where each following cabinet begins],
 "files": [{"name": text or "name_hex": raw bytes, "data": text or "size": n (a byte pattern),
            "attribs": n, "date": n, "time": n}]}

Members that start in one cabinet share a folder; a member crossing a split continues its folder
into the next cabinet, as packers do. Names are stored as given, so tests can write names no
packer would.
"""
import json
import struct
import sys

layout = json.load(sys.stdin)
files = []
for f in layout["files"]:
    name = bytes.fromhex(f["name_hex"]) if "name_hex" in f else f["name"].encode("utf-8")
    data = f["data"].encode("utf-8") if "data" in f else bytes((i * 7 + len(files)) & 0xFF
                                                               for i in range(f.get("size", 0)))
    attribs = f.get("attribs", 0x20)
    if "name_hex" not in f and any(b > 127 for b in name):
        attribs |= 0x80
    files.append(dict(name=name, data=data, attribs=attribs,
                      date=f.get("date", (2020 - 1980) << 9 | 5 << 5 | 17),
                      time=f.get("time", 13 << 11 | 45 << 5 | 10)))

cabs = layout["cabinets"]
stream = b"".join(f["data"] for f in files)
bounds = [0] + layout.get("split", []) + [len(stream)]
assert len(bounds) == len(cabs) + 1


def cabinet_of(offset, empty):
    for k in range(len(cabs)):
        if bounds[k] <= offset < bounds[k + 1]:
            return k
    return len(cabs) - 1


# Folders: one per cabinet, holding the members that start there.
folders = []
at = 0
for f in files:
    f["start"], f["end"] = at, at + len(f["data"])
    k = cabinet_of(at, not f["data"])
    if not folders or folders[-1]["home"] != k:
        folders.append(dict(home=k, start=at, end=at, files=[]))
    folders[-1]["files"].append(f)
    folders[-1]["end"] = f["end"]
    f["folder"] = folders[-1]
    at = f["end"]

for k, cab in enumerate(cabs):
    lo, hi = bounds[k], bounds[k + 1]
    prev = cab.get("prev", cabs[k - 1]["name"] if k > 0 else None)
    nxt = cab.get("next", cabs[k + 1]["name"] if k + 1 < len(cabs) else None)
    flags = (1 if prev else 0) | (2 if nxt else 0)
    names = b""
    if prev:
        names += prev.encode() + b"\0" + b"disk\0"
    if nxt:
        names += nxt.encode() + b"\0" + b"disk\0"
    here = [fo for fo in folders if fo["home"] == k or (fo["start"] < lo < fo["end"])]
    entries = b""
    count = 0
    for index, fo in enumerate(here):
        for f in fo["files"]:
            if f["data"]:
                inside = f["start"] < hi and f["end"] > lo
            else:
                inside = fo["home"] == k
            if not inside:
                continue
            from_prev, to_next = f["start"] < lo, f["end"] > hi
            where = 0xFFFF if from_prev and to_next else 0xFFFD if from_prev else 0xFFFE if to_next else index
            entries += struct.pack("<IIHHHH", len(f["data"]), f["start"] - fo["start"], where, f["date"], f["time"],
                                   f["attribs"]) + f["name"] + b"\0"
            count += 1
    # Each folder's data in blocks of 32 KiB; a block crossing into the next cabinet is split, its
    # first part marked by an uncompressed size of 0.
    folder_blocks = []
    for fo in here:
        pieces = []
        for bs in range(fo["start"], max(fo["end"], fo["start"] + 1), 32768):
            be = min(bs + 32768, fo["end"])
            a, b = max(bs, lo), min(be, hi)
            if a < b or fo["start"] == fo["end"]:
                pieces.append((stream[a:b], be - bs if be <= hi else 0))
        folder_blocks.append(pieces)
    header_size = 36 + len(names)
    files_at = header_size + 8 * len(here)
    data_at = files_at + len(entries)
    folder_table = b""
    data = b""
    for pieces in folder_blocks:
        folder_table += struct.pack("<IHH", data_at + len(data), len(pieces), 0)
        data += b"".join(struct.pack("<IHH", 0, len(p), size) + p for p, size in pieces)
    total = data_at + len(data)
    out = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, files_at, 0, 3, 1, len(here), count, flags,
                      layout.get("set_id", 1234), k)
    out += names + folder_table + entries + data
    with open(layout["dir"] + "/" + cab["name"], "wb") as handle:
        handle.write(out)
