#include "platform/dao/dao_database.h"

#include <cctype>

#include "engine.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"
#include "platform/win/file_handles.h"
#include "platform/win/last_error.h"

namespace {

AFX_MODULE_STATE moduleState;

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

// The whole file through the Windows file calls, so that the mapped root and injected faults apply.
std::string ReadDatabaseFile(const char* name)
{
    HANDLE file = ::CreateFileA(name, ::GENERIC_READ, ::FILE_SHARE_READ, nullptr, ::OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            AfxThrowDaoException(kDaoFileNotFound, platform::text::Format("Could not find file '%s'.", name));
        AfxThrowDaoException(kDaoCannotOpenFile,
                             platform::text::Format("Could not use '%s'; file already in use.", name));
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
            ::CloseHandle(file);
            AfxThrowDaoException(kDaoCannotOpenFile, platform::text::Format("Disk or network error reading '%s'.", name));
        }
        if (read == 0)
            break;
        bytes.append(buffer, read);
    }
    ::CloseHandle(file);
    return bytes;
}

// "select * from <table>" with any case and spacing, the table optionally in brackets and a
// closing semicolon; the table name, or "" for any other text.
std::string TableOfQuery(std::string_view sql)
{
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < sql.size() && std::isspace(static_cast<unsigned char>(sql[pos])))
            ++pos;
    };
    auto word = [&](std::string_view expected, bool needsBlank) {
        skipBlanks();
        if (sql.size() - pos < expected.size() ||
            !platform::text::GbkEqualNoCase(sql.substr(pos, expected.size()), expected))
            return false;
        pos += expected.size();
        return !needsBlank || (pos < sql.size() && std::isspace(static_cast<unsigned char>(sql[pos])));
    };
    if (!word("select", false) || !word("*", false) || !word("from", true))
        return {};
    skipBlanks();
    std::string rest(sql.substr(pos));
    while (!rest.empty() && (std::isspace(static_cast<unsigned char>(rest.back())) || rest.back() == ';'))
        rest.pop_back();
    if (rest.size() >= 2 && rest.front() == '[' && rest.back() == ']')
        return rest.substr(1, rest.size() - 2);
    // A bare name is one word: anything after it (a where clause, a join) is more than we read.
    for (std::size_t i = 0; i < rest.size(); i += platform::text::GbkCharLength(rest, i)) {
        unsigned char c = static_cast<unsigned char>(rest[i]);
        if (c < 0x80 && !std::isalnum(c) && c != '_')
            return {};
    }
    return rest;
}

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState()
{
    return &moduleState;
}

CDaoDatabase::CDaoDatabase() = default;

CDaoDatabase::~CDaoDatabase()
{
    Close();
}

void CDaoDatabase::Open(LPCSTR name, BOOL exclusive, BOOL readOnly, LPCSTR connect)
{
    Close();
    std::string path = name ? name : "";
    platform::ui::AppendTranscript(platform::text::Format("dao open %s%s%s engine 0x%04x connect %s", Quote(path),
                                                          exclusive ? " exclusive" : " shared",
                                                          readOnly ? " read-only" : " writable",
                                                          static_cast<unsigned>(moduleState.m_dwVersion),
                                                          Quote(connect ? connect : "")));
    if (path.empty())
        AfxThrowDaoException(kDaoFileNotFound, "Could not find file ''.");
    db_ = platform::dao::OpenDatabase(ReadDatabaseFile(path.c_str()), path);
    name_ = path;
}

void CDaoDatabase::Close()
{
    db_.reset();
    name_.Empty();
}

BOOL CDaoDatabase::IsOpen() const
{
    return db_ != nullptr;
}

CString CDaoDatabase::GetName() const
{
    return name_;
}

CDaoRecordset::CDaoRecordset(CDaoDatabase* database) : m_pDatabase(database) {}

CDaoRecordset::~CDaoRecordset()
{
    Close();
}

void CDaoRecordset::Open(int openType, LPCSTR sql, int)
{
    Close();
    std::string text = sql ? sql : "";
    platform::ui::AppendTranscript("dao query " + Quote(text));
    if (m_pDatabase == nullptr || !m_pDatabase->IsOpen())
        AfxThrowDaoException(kDaoObjectClosed, "Object invalid or no longer set.");
    if (openType != AFX_DAO_USE_DEFAULT_TYPE && openType != dbOpenDynaset && openType != dbOpenSnapshot &&
        openType != dbOpenTable)
        AfxThrowDaoException(kDaoNotSupported, "Invalid argument.");
    // A table-type recordset takes the bare table name.
    std::string table = openType == dbOpenTable ? text : TableOfQuery(text);
    if (table.empty())
        AfxThrowDaoException(kDaoNotSupported, "Operation is not supported for this type of object.");
    table_ = m_pDatabase->Engine()->ReadTable(table);
    position_ = 0;
}

void CDaoRecordset::Close()
{
    table_.reset();
    position_ = -1;
}

BOOL CDaoRecordset::IsOpen() const
{
    return table_ != nullptr;
}

void CDaoRecordset::RequireOpen() const
{
    if (!table_)
        AfxThrowDaoException(kDaoObjectClosed, "Object invalid or no longer set.");
}

void CDaoRecordset::RequireRecord() const
{
    RequireOpen();
    if (position_ < 0 || position_ >= static_cast<long>(table_->rows.size()))
        AfxThrowDaoException(kDaoNoCurrentRecord, "No current record.");
}

BOOL CDaoRecordset::IsBOF() const
{
    RequireOpen();
    return position_ < 0 || table_->rows.empty();
}

BOOL CDaoRecordset::IsEOF() const
{
    RequireOpen();
    return position_ >= static_cast<long>(table_->rows.size());
}

void CDaoRecordset::MoveFirst()
{
    RequireOpen();
    if (table_->rows.empty())
        AfxThrowDaoException(kDaoNoCurrentRecord, "No current record.");
    position_ = 0;
}

void CDaoRecordset::MoveNext()
{
    RequireRecord();
    ++position_;
}

long CDaoRecordset::GetRecordCount() const
{
    RequireOpen();
    return static_cast<long>(table_->rows.size());
}

void CDaoRecordset::GetFieldValue(LPCSTR name, COleVariant& value)
{
    RequireOpen();
    int index = table_->FieldIndex(name ? name : "");
    if (index < 0)
        AfxThrowDaoException(kDaoItemNotFound, "Item not found in this collection.");
    GetFieldValue(index, value);
}

COleVariant CDaoRecordset::GetFieldValue(LPCSTR name)
{
    COleVariant value;
    GetFieldValue(name, value);
    return value;
}

void CDaoRecordset::GetFieldValue(int index, COleVariant& value)
{
    RequireOpen();
    if (index < 0 || index >= static_cast<int>(table_->fields.size()))
        AfxThrowDaoException(kDaoItemNotFound, "Item not found in this collection.");
    RequireRecord();
    value = table_->rows[static_cast<std::size_t>(position_)][static_cast<std::size_t>(index)];
}

COleVariant CDaoRecordset::GetFieldValue(int index)
{
    COleVariant value;
    GetFieldValue(index, value);
    return value;
}

short CDaoRecordset::GetFieldCount() const
{
    RequireOpen();
    return static_cast<short>(table_->fields.size());
}
