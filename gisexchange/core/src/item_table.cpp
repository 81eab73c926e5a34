#include "field_values.h"
#include "gisexchange/exchange_table.h"
#include "platform/cad/file_search.h"
#include "platform/cad/resbuf.h"
#include "platform/dao/dao_database.h"

namespace gisexchange {

void LoadItemTable(const char* table, std::vector<CString>& codes, std::vector<CString>& values)
{
    char path[260];
    if (acedFindFile("lstitems.mdb", path, sizeof path) != RTNORM)
        return;
    codes.clear();
    values.clear();
    if (table == nullptr)
        return;
    AfxGetModuleState()->m_dwVersion = 0x0601;
    try {
        CDaoDatabase db;
        db.Open(path, FALSE, TRUE, "");
        CDaoRecordset rs(&db);
        rs.Open(dbOpenDynaset, (CString("select * from ") + table).GetString());
        rs.MoveFirst();
        for (; !rs.IsEOF(); rs.MoveNext()) {
            CString code = TextOf(rs.GetFieldValue("code"));
            CString value = TextOf(rs.GetFieldValue("value"));
            codes.push_back(code);
            values.push_back(value);
        }
    } catch (CDaoException* e) {
        e->Delete();  // the pairs read before stand
    }
}

}  // namespace gisexchange
