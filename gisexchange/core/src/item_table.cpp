#include "field_values.h"
#include "gisexchange/exchange_table.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
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
        // The pairs read before stand. A table without rows is no fault; any other failure leaves
        // the caller without codes the configuration names, so the user is told which table and why.
        if (e->m_pErrorInfo->m_lErrorCode != kDaoNoCurrentRecord)
            acutPrintf("\n无法读取 lstitems.mdb 的表 %s: %s", table, e->m_pErrorInfo->m_strDescription.GetString());
        e->Delete();
    }
}

}  // namespace gisexchange
