# Prints a dBASE table as dbfread reads it (text decoded as GBK), for the table writer's tests.
# Output in UTF-8: "count <records in the header>", one "field <name> <type>" line per field, then
# one "row" line per record with its values, each after a tab; a blank value prints as nothing.
import sys

import dbfread

table = dbfread.DBF(sys.argv[1], encoding="gbk", char_decode_errors="strict",
                    recfactory=lambda items: [value for _, value in items])
print("count", table.header.numrecords)
for field in table.fields:
    print("field", field.name, field.type)
for record in table:
    cells = []
    for value in record:
        if value is None:
            cells.append("")
        elif hasattr(value, "strftime"):
            cells.append(value.strftime("%Y%m%d"))
        else:
            cells.append(str(value))
    print("\t".join(["row"] + cells))
