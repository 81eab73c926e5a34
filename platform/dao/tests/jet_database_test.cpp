// Access files as offices have them, read through the data-access classes and compared with what
// mdbtools' own exporter reads from the same file.
#include <gtest/gtest.h>
#include <mdbtools.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "platform/dao/dao_database.h"
#include "platform/text/encoding.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

const char* const kDateFormat = "%Y-%m-%d %H:%M:%S";
const char kSeparator = '\x1f';

// The shared fixtures lie beside the checkout (or beside the folder that holds it).
std::string FixtureFolder()
{
    const char* source = std::getenv("DERO_SOURCE_DIR");
    std::filesystem::path folder = source ? source : DERO_SOURCE_DIR;
    for (auto p = folder; p.has_relative_path(); p = p.parent_path())
        if (std::filesystem::exists(p.parent_path() / "shared/fixtures/mdb"))
            return (p.parent_path() / "shared/fixtures/mdb").string();
    return (folder.parent_path() / "shared/fixtures/mdb").string();
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        out.append(buffer, n);
    return out;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// mdb-export's escaped text back to the GBK the reader gives.
std::string ExportedText(const std::string& field)
{
    std::string plain;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            char c = field[++i];
            plain += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            plain += field[i];
        }
    }
    return platform::text::Utf8ToGbk(plain);
}

// The variant written as mdb-export writes the field, texts left in GBK.
std::string AsExported(const COleVariant& v)
{
    char buffer[64];
    switch (v.vt) {
    case VT_NULL: return "";
    case VT_BSTR: return std::string(v.bstrVal, v.TextLength());
    case VT_I2: return std::to_string(v.iVal);
    case VT_I4: return std::to_string(v.lVal);
    case VT_UI1: return std::to_string(v.bVal);
    case VT_BOOL: return v.boolVal ? "1" : "0";
    case VT_CY: {
        std::int64_t units = v.cyVal.int64;
        std::snprintf(buffer, sizeof buffer, "%s%" PRId64 ".%04d", units < 0 ? "-" : "", (units < 0 ? -units : units) / 10000,
                      static_cast<int>((units < 0 ? -units : units) % 10000));
        return buffer;
    }
    case VT_DATE: {
        struct tm t {};
        mdb_date_to_tm(v.date, &t);
        std::strftime(buffer, sizeof buffer, kDateFormat, &t);
        return buffer;
    }
    case VT_ARRAY | VT_UI1: {
        std::string hex;
        const auto* bytes = static_cast<const unsigned char*>(v.parray->pvData);
        for (ULONG i = 0; i < v.parray->rgsabound[0].cElements; ++i) {
            std::snprintf(buffer, sizeof buffer, "%02X", bytes[i]);
            hex += buffer;
        }
        return hex;
    }
    default: return "?";
    }
}

// A Single or Double is compared as the number mdb-export's text stands for.
bool SameValue(const COleVariant& v, const std::string& exported)
{
    if (v.vt == VT_R4)
        return std::strtof(exported.c_str(), nullptr) == v.fltVal;
    if (v.vt == VT_R8)
        return std::strtod(exported.c_str(), nullptr) == v.dblVal;
    if (v.vt == VT_BSTR)
        return AsExported(v) == ExportedText(exported);
    return AsExported(v) == exported;
}

TEST(JetDatabase, EveryTableOfTheFixturesReadsAsMdbExportReadsIt)
{
    for (const char* file : {"nwind.mdb", "DateTestDatabase.mdb"}) {
        std::string path = FixtureFolder() + "/" + file;
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        std::vector<std::string> tables = Split(RunCommand("mdb-tables -1 " + Quoted(path)), '\n');
        tables.erase(std::remove(tables.begin(), tables.end(), std::string()), tables.end());
        ASSERT_FALSE(tables.empty()) << "mdbtools missing?";
        CDaoDatabase db;
        db.Open(path.c_str(), FALSE, TRUE);
        for (const auto& utf8Table : tables) {
            SCOPED_TRACE(std::string(file) + " " + utf8Table);
            std::string exported = RunCommand(std::string("mdb-export -H -Q -e -b hex -d \"$(printf '\\037')\" -T '") + kDateFormat + "' " +
                                       Quoted(path) + " " + Quoted(utf8Table));
            std::vector<std::string> lines = Split(exported, '\n');
            if (!lines.empty() && lines.back().empty())
                lines.pop_back();
            CDaoRecordset rs(&db);
            rs.Open(dbOpenDynaset, ("select * from [" + platform::text::Utf8ToGbk(utf8Table) + "]").c_str());
            std::size_t row = 0;
            int mismatches = 0;
            for (; !rs.IsEOF(); rs.MoveNext(), ++row) {
                ASSERT_LT(row, lines.size());
                std::vector<std::string> fields = Split(lines[row], kSeparator);
                ASSERT_EQ(fields.size(), static_cast<std::size_t>(rs.GetFieldCount()));
                for (int i = 0; i < rs.GetFieldCount(); ++i) {
                    COleVariant v;
                    rs.GetFieldValue(i, v);
                    if (!SameValue(v, fields[static_cast<std::size_t>(i)]) && ++mismatches < 5)
                        ADD_FAILURE() << "row " << row << " field " << i << ": "
                                      << platform::text::GbkToUtf8(AsExported(v)) << " vs " << fields[static_cast<std::size_t>(i)];
                }
            }
            EXPECT_EQ(row, lines.size());
            EXPECT_EQ(mismatches, 0);
        }
    }
}

TEST(JetDatabase, NamesTypesAndTheEnginesErrors)
{
    std::string path = FixtureFolder() + "/nwind.mdb";
    CDaoDatabase db;
    db.Open(path.c_str(), TRUE, TRUE, ";pwd=");
    CDaoRecordset rs(&db);
    // Table names and field names compare without case; non-ASCII names arrive in GBK.
    rs.Open(dbOpenDynaset, "SELECT * FROM customers");
    COleVariant v = rs.GetFieldValue("companyname");
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(rs.GetRecordCount(), 91);
    rs.Open(dbOpenDynaset, ("select * from [" + platform::text::Utf8ToGbk("Ums\xc3\xa4tze") + "]").c_str());
    EXPECT_GT(rs.GetRecordCount(), 0);

    rs.Open(dbOpenDynaset, "select * from [Order Details]");
    EXPECT_EQ(rs.GetFieldValue("Discount").vt, VT_R4);
    EXPECT_EQ(rs.GetFieldValue("UnitPrice").vt, VT_CY);
    EXPECT_EQ(rs.GetFieldValue("Quantity").vt, VT_I2);
    EXPECT_EQ(rs.GetFieldValue("OrderID").vt, VT_I4);
    rs.Open(dbOpenDynaset, "select * from Employees");
    EXPECT_EQ(rs.GetFieldValue("BirthDate").vt, VT_DATE);
    EXPECT_EQ(rs.GetFieldValue("Photo").vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(rs.GetFieldValue("Notes").vt, VT_BSTR);
    rs.Open(dbOpenDynaset, "select * from Products");
    EXPECT_EQ(rs.GetFieldValue("Discontinued").vt, VT_BOOL);

    auto code = [&](auto action) -> long {
        try {
            action();
        } catch (CDaoException* e) {
            long n = e->m_pErrorInfo->m_lErrorCode;
            e->Delete();
            return n;
        }
        return 0;
    };
    EXPECT_EQ(code([&] { rs.GetFieldValue("NoSuchField"); }), kDaoItemNotFound);
    EXPECT_EQ(code([&] { rs.Open(dbOpenDynaset, "select * from NoSuchTable"); }), kDaoTableNotFound);
    EXPECT_EQ(code([&] { rs.Open(dbOpenDynaset, "select * from Customers where Country = 'UK'"); }), kDaoNotSupported);
    EXPECT_EQ(code([&] { rs.Open(dbOpenDynaset, "delete from Customers"); }), kDaoNotSupported);
    CDaoDatabase missing;
    EXPECT_EQ(code([&] { missing.Open((FixtureFolder() + "/none.mdb").c_str()); }), kDaoFileNotFound);
    EXPECT_FALSE(missing.IsOpen());
}

// A file cut anywhere, or with a page of garbage, is refused by the engine's exception and never
// brings the process down.
TEST(JetDatabase, DamagedFilesRaiseTheEnginesException)
{
    dero::testing::TempFolder folder("dao_jet");
    std::string bytes = dero::testing::ReadFile(FixtureFolder() + "/DateTestDatabase.mdb");
    ASSERT_FALSE(bytes.empty());
    std::string cut = folder / "cut.mdb";
    // Cut inside a page, and cut at page boundaries (before the catalog's rows, after them, and
    // then across the tables' definitions, rows and page maps, the last pages too): a file shorter
    // than its pages say is damaged, never a database that lacks some tables or rows.
    std::vector<std::size_t> sizes{100, 5000, bytes.size() / 2 + 1, bytes.size() - 1};
    for (std::size_t pages : {1, 6, 17, 18, 20, 25, 40, 64, 65, 66})
        sizes.push_back(pages * 4096);
    for (std::size_t size : sizes) {
        SCOPED_TRACE(size);
        dero::testing::WriteFile(cut, bytes.substr(0, size));
        long number = 0;
        try {
            CDaoDatabase db;
            db.Open(cut.c_str(), FALSE, TRUE);
            CDaoRecordset rs(&db);
            rs.Open(dbOpenDynaset, "select * from DateTest");
            for (; !rs.IsEOF(); rs.MoveNext())
                rs.GetFieldValue("LongTextCol");
        } catch (CDaoException* e) {
            number = e->m_pErrorInfo->m_lErrorCode;
            e->Delete();
        }
        EXPECT_EQ(number, kDaoUnrecognizedFormat);
    }

    // One byte of the catalog's page-map pointer, which libmdb follows outside the file.
    std::string oneByte = bytes;
    oneByte[2 * 4096 + 55] = '\xff';
    dero::testing::WriteFile(cut, oneByte);
    long number = 0;
    try {
        CDaoDatabase db;
        db.Open(cut.c_str(), FALSE, TRUE);
    } catch (CDaoException* e) {
        number = e->m_pErrorInfo->m_lErrorCode;
        e->Delete();
    }
    EXPECT_EQ(number, kDaoUnrecognizedFormat);

    // Bytes overwritten at random (seeded): read in full or refused, never a crash.
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 40; ++round) {
        std::string damaged = bytes;
        for (int n = 1 + static_cast<int>(next() % 50); n > 0; --n)
            damaged[(next() >> 4) % damaged.size()] = static_cast<char>(next() >> 8);
        dero::testing::WriteFile(cut, damaged);
        try {
            CDaoDatabase db;
            db.Open(cut.c_str(), FALSE, TRUE);
            CDaoRecordset rs(&db);
            rs.Open(dbOpenDynaset, "select * from DateTest");
            for (; !rs.IsEOF(); rs.MoveNext())
                for (int i = 0; i < rs.GetFieldCount(); ++i)
                    rs.GetFieldValue(i);
        } catch (CDaoException* e) {
            e->Delete();
        }
    }
}

}  // namespace
