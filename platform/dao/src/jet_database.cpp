// Access (Jet 3 and Jet 4) files through libmdb. Texts come from libmdb as UTF-8 and are converted
// to the host's code page here; numbers and dates are taken from the row's stored bytes, so that a
// Single comes back as the same 4-byte real and a date as the same day count.
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <glib.h>
#include <mdbtools.h>

#include "engine.h"
#include "platform/text/encoding.h"
#include "platform/text/gbk.h"

namespace platform::dao {
namespace {

// Room for a text libmdb hands over, as UTF-8. libmdb allocates this much for every text it
// converts, so it is kept to what a memo of the exchange tables needs: longer memos are cut.
constexpr std::size_t kBindSize = 65536;

// The page of the definition of the catalog's own table (MSysObjects) in every Jet file.
constexpr guint32 kCatalogPage = 2;
// The first byte of a page that holds a table's definition.
constexpr unsigned char kTableDefinitionPage = 0x02;

template <typename T>
T Stored(const MdbHandle* mdb, const MdbColumn* col)
{
    T value{};
    if (col->cur_value_start >= 0 && static_cast<std::size_t>(col->cur_value_start) + sizeof(T) <= sizeof mdb->pg_buf &&
        static_cast<std::size_t>(col->cur_value_len) >= sizeof(T))
        std::memcpy(&value, mdb->pg_buf + col->cur_value_start, sizeof(T));
    return value;
}

class JetDatabase : public Database {
public:
    JetDatabase(std::string bytes, const std::string& path) : bytes_(std::move(bytes)), path_(path)
    {
        mdb_ = mdb_open_buffer(bytes_.data(), bytes_.size(), MDB_NOFLAGS);
        if (mdb_ == nullptr)
            ThrowUnrecognized(path_, "");
        // A file cut short ends inside a page; one cut at a page boundary lacks pages the catalog
        // or a table points to, which the reads below find.
        if (mdb_->fmt == nullptr || mdb_->fmt->pg_size == 0 || bytes_.size() % mdb_->fmt->pg_size != 0) {
            Release();
            ThrowUnrecognized(path_, "The file is cut short.");
        }
        if (mdb_read_catalog(mdb_, MDB_TABLE) == nullptr) {
            Release();
            ThrowUnrecognized(path_, "Its catalog cannot be read.");
        }
        if (!TablePagesWithinFile()) {
            Release();
            ThrowUnrecognized(path_, "The file is cut short.");
        }
        mdb_set_bind_size(mdb_, kBindSize);
    }

    ~JetDatabase() override { Release(); }

    // Every table the catalog names, read in full; what a damaged file would make libmdb do, it
    // does here.
    void ReadEveryTable()
    {
        std::vector<std::string> names;
        for (guint i = 0; mdb_->catalog != nullptr && i < mdb_->catalog->len; ++i) {
            auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (e->object_type == MDB_TABLE && !mdb_is_system_table(e))
                names.push_back(text::Utf8ToGbk(e->object_name));
        }
        for (const std::string& name : names)
            ReadTable(name);
    }

    std::shared_ptr<const Table> ReadTable(const std::string& name) override
    {
        MdbCatalogEntry* entry = nullptr;
        for (guint i = 0; mdb_->catalog != nullptr && i < mdb_->catalog->len; ++i) {
            auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (e->object_type == MDB_TABLE && !mdb_is_system_table(e) &&
                text::GbkEqualNoCase(text::Utf8ToGbk(e->object_name), name)) {
                entry = e;
                break;
            }
        }
        if (entry == nullptr)
            ThrowTableNotFound(name);
        MdbTableDef* def = mdb_read_table(entry);
        if (def == nullptr)
            ThrowUnrecognized(path_, "A table cannot be read.");
        auto table = std::make_shared<Table>();
        table->name = text::Utf8ToGbk(entry->object_name);
        bool ok = Read(def, *table);
        mdb_free_tabledef(def);
        if (!ok)
            ThrowUnrecognized(path_, "A table cannot be read.");
        return table;
    }

private:
    // A file cut at a page boundary reads without a short page, and the catalog then simply lacks
    // the tables whose rows were on the lost pages. Every table names the pages of its rows, the
    // catalog's own table too; a page past the end of the file means the file lost it.
    bool TablePagesWithinFile()
    {
        const auto pageCount = static_cast<guint32>(bytes_.size() / mdb_->fmt->pg_size);
        MdbCatalogEntry catalogTable{};
        catalogTable.mdb = mdb_;
        catalogTable.object_type = MDB_TABLE;
        catalogTable.table_pg = kCatalogPage;
        if (!PagesWithin(&catalogTable, pageCount))
            return false;
        for (guint i = 0; mdb_->catalog != nullptr && i < mdb_->catalog->len; ++i) {
            auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (e->object_type == MDB_TABLE && e->table_pg != kCatalogPage && !PagesWithin(e, pageCount))
                return false;
        }
        return true;
    }

    // False when the table's definition, the rows holding its page maps, or a page its row map
    // names lies at or past pageCount. A definition that cannot be read is left to the read of the
    // table, which refuses it.
    bool PagesWithin(MdbCatalogEntry* entry, guint32 pageCount)
    {
        if (entry->table_pg >= pageCount)
            return false;
        const std::size_t definition = entry->table_pg * static_cast<std::size_t>(mdb_->fmt->pg_size);
        if (static_cast<unsigned char>(bytes_[definition]) == kTableDefinitionPage) {
            for (guint16 offset : {mdb_->fmt->tab_usage_map_offset, mdb_->fmt->tab_free_map_offset}) {
                // A row pointer: the page number above the row number's byte.
                guint32 pointer = 0;
                std::memcpy(&pointer, bytes_.data() + definition + offset, sizeof pointer);
                if ((pointer >> 8) >= pageCount)
                    return false;
            }
        }
        MdbTableDef* def = mdb_read_table(entry);
        if (def == nullptr)
            return true;
        bool within = true;
        if (def->usage_map != nullptr && def->map_sz > 0) {
            // Each page found lies after the one before, so the walk ends.
            for (gint32 page = 0; (page = mdb_map_find_next(mdb_, def->usage_map, def->map_sz, page)) != 0;) {
                if (page < 0 || static_cast<guint32>(page) >= pageCount) {
                    within = false;
                    break;
                }
            }
        }
        mdb_free_tabledef(def);
        return within;
    }

    bool Read(MdbTableDef* def, Table& table)
    {
        if (mdb_read_columns(def) == nullptr || def->columns == nullptr)
            return false;
        std::size_t count = def->columns->len;
        std::vector<std::vector<char>> bound(count, std::vector<char>(kBindSize));
        std::vector<int> lengths(count, 0);
        for (std::size_t i = 0; i < count; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
            table.fields.push_back(text::Utf8ToGbk(col->name));
            mdb_bind_column(def, static_cast<int>(i) + 1, bound[i].data(), &lengths[i]);
        }
        mdb_rewind_table(def);
        while (mdb_fetch_row(def)) {
            std::vector<COleVariant> row;
            row.reserve(count);
            for (std::size_t i = 0; i < count; ++i) {
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
                row.push_back(Value(col, bound[i].data(), lengths[i]));
            }
            table.rows.push_back(std::move(row));
        }
        // Rows the table's header counts but the pages do not hold: the file lost pages.
        return table.rows.size() >= def->num_rows;
    }

    COleVariant Value(MdbColumn* col, const char* bound, int length)
    {
        switch (col->col_type) {
        case MDB_BOOL:
            return COleVariant::Bool(length > 0 && std::strcmp(bound, "1") == 0);
        case MDB_TEXT:
        case MDB_MEMO:
            // libmdb gives an empty text and a null alike.
            if (length <= 0)
                return COleVariant::Null();
            return COleVariant::Text(text::Utf8ToGbk(std::string_view(bound, std::strlen(bound))));
        case MDB_OLE: {
            if (length <= 0)
                return COleVariant::Null();
            std::size_t size = 0;
            void* data = mdb_ole_read_full(mdb_, col, &size);
            COleVariant v = COleVariant::Bytes(std::string_view(static_cast<const char*>(data), data ? size : 0));
            g_free(data);
            return v;
        }
        default:
            break;
        }
        if (col->cur_value_len <= 0)
            return COleVariant::Null();
        switch (col->col_type) {
        case MDB_BYTE: return COleVariant::Byte(Stored<BYTE>(mdb_, col));
        case MDB_INT: return COleVariant(Stored<SHORT>(mdb_, col));
        case MDB_LONGINT: return COleVariant(Stored<LONG>(mdb_, col));
        case MDB_MONEY: return COleVariant::Currency(Stored<LONGLONG>(mdb_, col));
        case MDB_FLOAT: return COleVariant(Stored<float>(mdb_, col));
        case MDB_DOUBLE: return COleVariant(Stored<double>(mdb_, col));
        case MDB_DATETIME: return COleVariant::Date(Stored<double>(mdb_, col));
        default:
            // Replication ids and decimals: as the text libmdb writes them.
            return COleVariant::Text(text::Utf8ToGbk(std::string_view(bound, std::strlen(bound))));
        }
    }

    void Release()
    {
        if (mdb_ != nullptr)
            mdb_close(mdb_);
        mdb_ = nullptr;
    }

    std::string bytes_;  // libmdb reads from this buffer for as long as the handle lives
    std::string path_;
    MdbHandle* mdb_ = nullptr;
};

// How long the trial read of a file may take; a sound exchange database reads in a fraction of it.
constexpr int kTrialMilliseconds = 5000;

// libmdb trusts the page numbers and maps it finds: some damaged files make it read far outside
// its buffer or allocate until memory runs out. The file is therefore read once, in full, by a
// process of its own; only a file that process read to its end, or refused in the ordinary way, is
// opened here. libmdb reads a buffer the same way every time, so what read there reads here.
bool TrialReadSucceeds(const std::string& bytes, const std::string& windowsPath)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return true;  // no process to spare: read as before
    pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return true;
    }
    if (child == 0) {
        close(pipeEnds[0]);
#ifndef __SANITIZE_ADDRESS__
        // A file that makes libmdb allocate without end stops at a bound far above what it needs.
        rlim_t bound = (rlim_t{1} << 30) + static_cast<rlim_t>(bytes.size()) * 64;
        rlimit limit{bound, bound};
        setrlimit(RLIMIT_AS, &limit);
#endif
        char done = 1;
        try {
            JetDatabase db(bytes, windowsPath);
            db.ReadEveryTable();
        } catch (...) {
            // Refused in the ordinary way: the open below refuses it again with its own message.
        }
        ssize_t written = write(pipeEnds[1], &done, 1);
        _exit(written == 1 ? 0 : 1);
    }
    close(pipeEnds[1]);
    pollfd wait{pipeEnds[0], POLLIN, 0};
    int ready = 0;
    do
        ready = poll(&wait, 1, kTrialMilliseconds);
    while (ready < 0 && errno == EINTR);
    char done = 0;
    bool answered = ready > 0 && read(pipeEnds[0], &done, 1) == 1 && done == 1;
    close(pipeEnds[0]);
    if (!answered)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return answered && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::shared_ptr<Database> OpenJetDatabase(std::string bytes, const std::string& windowsPath)
{
    if (!TrialReadSucceeds(bytes, windowsPath))
        ThrowUnrecognized(windowsPath, "Its pages cannot be read.");
    return std::make_shared<JetDatabase>(std::move(bytes), windowsPath);
}

}  // namespace platform::dao
