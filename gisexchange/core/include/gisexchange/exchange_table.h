// The exchange table: for each drawing feature code, how its features are written to and read
// from MapGIS. Read once from the table "deromgis" of "cvtExchange.mdb" when the module loads;
// the two lookups below ask their databases at the moment they are called.
#pragma once

#include <vector>

#include "platform/ui/afx_string.h"

namespace gisexchange {

struct ExchangeRow {
    CString code;  // lower case
    short type = 0;
    short i1 = 0, i2 = 0;
    float i3 = 0, i4 = 0, i5 = 0;  // sizes
    short i6 = 0, i7 = 0, i8 = 0, i9 = 0;
    short reverse = 0;  // 1: the point order is reversed between the drawing and MapGIS
    CString mapgisCode;    // "MAPGIS编码"
    CString legendNumber;  // "图式上的编号"
    CString remark;
    CString layer;  // "Clayer"
};

// The rows, in table order; the module owns them while it is loaded.
std::vector<ExchangeRow>& ExchangeRows();

// Fills the rows from "cvtExchange.mdb" on the host's search path. A missing file leaves them
// empty; a failure keeps the rows read before it, with a message for the failures a user can mend.
void LoadExchangeTable();

// Index of the first row whose code is exactly the given one, -1 when none.
int FindTableIndex(const char* code);

// The colour components ("R2", "G2", "B2") of the code in a table of "cvtexchange.mdb"; the last
// matching row wins. False, with the outputs unchanged, when no row matches or the table cannot
// be read.
bool LookupExchangeCode(const char* table, const char* code, int& red, int& green, int& blue);

// The code and value pairs of a table of "lstitems.mdb", in row order. When the database is not
// found the lists stay as they were; otherwise they are emptied first. A database, table or field
// that cannot be read keeps the pairs read before and is reported on the command line.
void LoadItemTable(const char* table, std::vector<CString>& codes, std::vector<CString>& values);

}  // namespace gisexchange
