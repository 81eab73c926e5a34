#include "gisexchange/exchange_table.h"

#include "field_values.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/resbuf.h"
#include "platform/dao/dao_database.h"
#include "platform/text/gbk.h"
#include "platform/ui/afx_wnd.h"

namespace gisexchange {
namespace {

// The database engine the exchange databases are written for (3.6).
constexpr DWORD kEngineVersion = 0x0601;

// A field the table lacks: the message box for it, or null for the graphic parameters, whose
// absence stops the loading without a word.
struct Field {
    const char* name;
    const char* missing;
};

// The field's value; false when it cannot be read, after the message its absence calls for. Any
// other failure of the engine is passed on.
bool ReadField(CDaoRecordset& rs, const Field& field, COleVariant& value)
{
    try {
        rs.GetFieldValue(field.name, value);
        return true;
    } catch (CDaoException* e) {
        long number = e->m_pErrorInfo->m_lErrorCode;
        if (number != kDaoItemNotFound)
            throw;
        e->Delete();
    }
    if (field.missing != nullptr)
        AfxMessageBox(field.missing);
    return false;
}

// Reads the rows of an open recordset until the end or the first failure.
void ReadRows(CDaoRecordset& rs, std::vector<ExchangeRow>& rows)
{
    static const Field code{"code", "转换对照表中没有找到code字段"};
    static const Field type{"type", "转换对照表中没有找到type字段"};
    static const Field graphic[9] = {{"i1", nullptr}, {"i2", nullptr}, {"i3", nullptr},
                                     {"i4", nullptr}, {"i5", nullptr}, {"i6", nullptr},
                                     {"i7", nullptr}, {"i8", nullptr}, {"i9", nullptr}};
    static const Field reverse{"reverse", "转换对照表中没有找到reverse字段"};
    static const Field mapgis{"MAPGIS编码", "转换对照表中没有找到MAPGIS编码字段"};
    static const Field legend{"图式上的编号", "转换对照表中没有找到 图式上的编号 字段"};
    static const Field remark{"remark", "转换对照表中没有找到remark字段"};
    static const Field layer{"Clayer", "转换对照表中没有找到Clayer字段"};

    rs.MoveFirst();
    while (!rs.IsEOF()) {
        ExchangeRow row;
        COleVariant v;
        if (!ReadField(rs, code, v))
            return;
        const CString text = TextOf(v);
        const std::string lower = platform::text::GbkToLower(std::string_view(text.GetString(), text.GetLength()));
        row.code = CString(lower.data(), static_cast<int>(lower.size()));
        if (!ReadField(rs, type, v))
            return;
        row.type = ShortOf(v);
        COleVariant g[9];
        for (int i = 0; i < 9; ++i)
            if (!ReadField(rs, graphic[i], g[i]))
                return;
        row.i1 = ShortOf(g[0]);
        row.i2 = ShortOf(g[1]);
        row.i3 = SingleOf(g[2]);
        row.i4 = SingleOf(g[3]);
        row.i5 = SingleOf(g[4]);
        row.i6 = ShortOf(g[5]);
        row.i7 = ShortOf(g[6]);
        row.i8 = ShortOf(g[7]);
        row.i9 = ShortOf(g[8]);
        if (!ReadField(rs, reverse, v))
            return;
        row.reverse = ShortOf(v);
        if (!ReadField(rs, mapgis, v))
            return;
        row.mapgisCode = TextOf(v);
        if (!ReadField(rs, legend, v))
            return;
        row.legendNumber = TextOf(v);
        if (!ReadField(rs, remark, v))
            return;
        row.remark = TextOf(v);
        if (!ReadField(rs, layer, v))
            return;
        row.layer = TextOf(v);
        rs.MoveNext();
        rows.push_back(std::move(row));
    }
}

}  // namespace

std::vector<ExchangeRow>& ExchangeRows()
{
    static std::vector<ExchangeRow> rows;
    return rows;
}

void LoadExchangeTable()
{
    std::vector<ExchangeRow>& rows = ExchangeRows();
    rows.clear();
    char path[260];
    if (acedFindFile("cvtExchange.mdb", path, sizeof path) != RTNORM)
        return;
    AfxGetModuleState()->m_dwVersion = kEngineVersion;
    CDaoDatabase db;
    try {
        db.Open(path, TRUE, TRUE, ";pwd=");
    } catch (CDaoException* e) {
        e->Delete();
        acedAlert("数据库打开异常");
        return;
    }
    CDaoRecordset rs(&db);
    try {
        rs.Open(dbOpenDynaset, "select * from deromgis");
    } catch (CDaoException* e) {
        e->Delete();
        acedAlert("记录集打开异常");
        return;
    }
    try {
        ReadRows(rs, rows);
    } catch (CDaoException* e) {
        e->Delete();  // an empty table or a damaged row ends the reading
    }
}

int FindTableIndex(const char* code)
{
    const std::vector<ExchangeRow>& rows = ExchangeRows();
    std::string wanted = code ? code : "";
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (std::string_view(rows[i].code.GetString(), rows[i].code.GetLength()) == wanted)
            return static_cast<int>(i);
    return -1;
}

bool LookupExchangeCode(const char* table, const char* code, int& red, int& green, int& blue)
{
    char path[260];
    if (table == nullptr || code == nullptr || acedFindFile("cvtexchange.mdb", path, sizeof path) != RTNORM)
        return false;
    AfxGetModuleState()->m_dwVersion = kEngineVersion;
    bool found = false;
    try {
        CDaoDatabase db;
        db.Open(path, FALSE, TRUE, "");
        CDaoRecordset rs(&db);
        // The whole table is read and the code compared here, so that no drawing text ever
        // becomes part of a query. The engine compares texts without case; so do we.
        rs.Open(dbOpenDynaset, (CString("select * from ") + table).GetString());
        rs.MoveFirst();
        for (; !rs.IsEOF(); rs.MoveNext()) {
            const CString text = TextOf(rs.GetFieldValue("code"));
            if (!platform::text::GbkEqualNoCase(std::string_view(text.GetString(), text.GetLength()), code))
                continue;
            COleVariant r = rs.GetFieldValue("R2");
            COleVariant g = rs.GetFieldValue("G2");
            COleVariant b = rs.GetFieldValue("B2");
            red = IntegerOf(r);
            green = IntegerOf(g);
            blue = IntegerOf(b);
            found = true;
        }
    } catch (CDaoException* e) {
        e->Delete();  // the values of the rows read before stand
    }
    return found;
}

}  // namespace gisexchange
