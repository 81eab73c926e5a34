# Writes the expected dBASE files of the table writer's tests, byte by byte from the dBASE III
# layout, independently of the writer. Run from this folder: /usr/bin/python3 make_expected_tables.py
import struct


def gbk(text):
    return text.encode("gbk")


def table(name, fields, records):
    """fields: (name, type, width, decimals); records: lists of field images, already padded."""
    record_length = 1 + sum(f[2] for f in fields)
    header = struct.pack("<B3BIHH20x", 3, 95, 7, 26, len(records), 32 * len(fields) + 33, record_length)
    offset = 1
    for field_name, kind, width, decimals in fields:
        header += struct.pack("<11scHH2BH12x", field_name.encode(), kind.encode(), offset, 0, width,
                              decimals, 0)
        offset += width
    data = header + b"\r"
    for record in records:
        image = b" " + b"".join(record)
        assert len(image) == record_length, (name, len(image))
        data += image
    if records:
        data += b"\x1a"
    with open(name, "wb") as out:
        out.write(data)


def left(text, width):
    return text.ljust(width, b" ")


def right(text, width):
    return text.rjust(width, b" ")


relation = [("ZDDM", "C", 30, 0), ("ZJDM", "C", 30, 0)]
table("empty.dbf", relation, [])

parcel, line1, line2 = b"110101001001GB00001", b"110101001001JX0000001", b"110101001001JX0000002"
cut = "a" + "界址线" * 5  # 31 bytes: the last character does not fit 30
table("offsets.dbf", [("ZDDM", "C", 30, 0), ("JZXDM", "C", 30, 0), ("BZ", "C", 20, 0)], [
    [left(parcel, 30), left(line1, 30), left(gbk("宗地界址"), 20)],
    [left(parcel, 30), left(gbk(cut)[:29], 30), gbk("一二三四五六七八九十")],
])

table("kinds.dbf", [("MC", "C", 254, 0), ("RQ", "D", 8, 0), ("MJ", "N", 12, 2), ("SXH", "N", 10, 0),
                    ("HH", "N", 5, 0), ("ZDDM", "C", 30, 0)], [
    [gbk("界" * 127), b"19950726", right(b"1234.500", 12), right(b"12", 10), right(b"7", 5),
     left(b"G001", 30)],
])

table("align.dbf", [("A", "N", 5, 0), ("B", "C", 5, 0), ("C", "N", 10, 3), ("E", "F", 8, 3)], [
    [right(b"12", 5), left(b"12", 5), right(b"2.500", 10), right(b"-0.250", 8)],
    [b"12345", left(gbk("ab房"), 5), right(b"0.000", 10), right(b"-0.250", 8)],
])

jzx = [("ZDDM", "C", 30, 0), ("JZXDM", "C", 30, 0), ("SXH", "N", 10, 0), ("HH", "N", 10, 0)]
parcel2 = b"110101001001GB00002"
table("keep_blank.dbf", jzx, [
    [left(parcel, 30), left(line1, 30), right(b"1.000", 10), right(b"1.000", 10)],
    [left(parcel, 30), left(line2, 30), right(b"2.000", 10), right(b"1.000", 10)],
    [b" " * 30, b" " * 30, b" " * 10, b" " * 10],
    [left(parcel2, 30), b" " * 30, b" " * 10, b" " * 10],
])

table("duplicate.dbf", [("ZJDM", "C", 10, 0), ("ZJDM", "C", 10, 0), ("FWDM", "C", 10, 0)], [
    [left(b"Z1", 10), b" " * 10, left(gbk("房1"), 10)],
])
