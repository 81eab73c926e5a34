// The framework's data-access classes over the exchange databases.
//
// A database is an Access (Jet) file, read through libmdb, or any other file in the readable text
// form described in platform/dao/README.md. Nothing here writes a database: an open for writing is
// accepted as the engine accepts it, and the file is left as it was.
// The only query understood is "select * from <table>"; any other raises 3251.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/dao/dao_exception.h"
#include "platform/dao/ole_variant.h"
#include "platform/ui/afx_string.h"
#include "platform/win/win_types.h"

// The engine version the framework asks for: AfxGetModuleState()->m_dwVersion = 0x0601 selects
// engine 3.6. Accepted and recorded with every open.
struct AFX_MODULE_STATE {
    DWORD m_dwVersion = 0x0700;
};
AFX_MODULE_STATE* AfxGetModuleState();

constexpr int dbOpenTable = 1;
constexpr int dbOpenDynaset = 2;
constexpr int dbOpenSnapshot = 4;
constexpr int AFX_DAO_USE_DEFAULT_TYPE = -1;

namespace platform::dao {
class Database;
class Table;
}  // namespace platform::dao

class CDaoDatabase {
public:
    CDaoDatabase();
    virtual ~CDaoDatabase();
    CDaoDatabase(const CDaoDatabase&) = delete;
    CDaoDatabase& operator=(const CDaoDatabase&) = delete;

    // name: the file, a Windows path on the mapped root (GBK). Raises 3024 when it does not exist,
    // 3051 when it cannot be read, 3343 when its content is not a database.
    virtual void Open(LPCSTR name, BOOL exclusive = FALSE, BOOL readOnly = FALSE, LPCSTR connect = "");
    virtual void Close();
    BOOL IsOpen() const;
    CString GetName() const;

    // The open database, for the recordsets on it.
    platform::dao::Database* Engine() const { return db_.get(); }

private:
    std::shared_ptr<platform::dao::Database> db_;
    CString name_;
};

class CDaoRecordset {
public:
    explicit CDaoRecordset(CDaoDatabase* database = nullptr);
    virtual ~CDaoRecordset();
    CDaoRecordset(const CDaoRecordset&) = delete;
    CDaoRecordset& operator=(const CDaoRecordset&) = delete;

    // sql: "select * from <table>" in any case. Raises 3251 for any other text, 3078 when the
    // table does not exist, 3420 when the database is not open.
    virtual void Open(int openType = AFX_DAO_USE_DEFAULT_TYPE, LPCSTR sql = nullptr, int options = 0);
    virtual void Close();
    BOOL IsOpen() const;

    BOOL IsBOF() const;
    BOOL IsEOF() const;
    // Raise 3021 when there is no record to move to.
    void MoveFirst();
    void MoveNext();
    long GetRecordCount() const;

    // Raises 3265 for a field the table lacks (names compare without case), 3021 without a
    // current record.
    void GetFieldValue(LPCSTR name, COleVariant& value);
    COleVariant GetFieldValue(LPCSTR name);
    void GetFieldValue(int index, COleVariant& value);
    COleVariant GetFieldValue(int index);
    short GetFieldCount() const;

    CDaoDatabase* m_pDatabase;

private:
    void RequireOpen() const;
    void RequireRecord() const;

    std::shared_ptr<const platform::dao::Table> table_;  // read whole when the recordset opens
    long position_ = -1;  // size() at EOF
};
