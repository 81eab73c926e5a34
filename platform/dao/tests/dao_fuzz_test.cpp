// Seeded mutations of exchange databases, Access files and the text form: each one opens and reads
// in full, or is refused with the engine's exception; the process never goes down. A failure names
// the mutation, so that one case can be run again alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/dao/dao_database.h"
#include "platform/dao/dao_exception.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

std::string FixtureFolder()
{
    const char* source = std::getenv("DERO_SOURCE_DIR");
    std::filesystem::path folder = source ? source : DERO_SOURCE_DIR;
    for (auto p = folder; p.has_relative_path(); p = p.parent_path())
        if (std::filesystem::exists(p.parent_path() / "shared/fixtures/mdb"))
            return (p.parent_path() / "shared/fixtures/mdb").string();
    return (folder.parent_path() / "shared/fixtures/mdb").string();
}

// Opens the file and reads every field of every row of the tables named; 0 when all of it read,
// otherwise the engine's error.
long ReadAll(const std::string& path, std::initializer_list<const char*> tables)
{
    try {
        CDaoDatabase db;
        db.Open(path.c_str(), FALSE, TRUE);
        for (const char* table : tables) {
            CDaoRecordset rs(&db);
            try {
                rs.Open(dbOpenDynaset, (std::string("select * from ") + table).c_str());
            } catch (CDaoException* e) {
                // A mutated name is a table the file no longer holds, not a damaged file.
                const bool missing = e->m_pErrorInfo->m_lErrorCode == kDaoTableNotFound;
                if (!missing)
                    throw;
                e->Delete();
                continue;
            }
            for (; !rs.IsEOF(); rs.MoveNext())
                for (short i = 0; i < rs.GetFieldCount(); ++i)
                    rs.GetFieldValue(i);
        }
    } catch (CDaoException* e) {
        long number = e->m_pErrorInfo->m_lErrorCode;
        e->Delete();
        return number;
    }
    return 0;
}

TEST(DaoFuzz, MutatedAccessFilesReadOrAreRefused)
{
    dero::testing::TempFolder folder("dao_fuzz");
    const std::string bytes = dero::testing::ReadFile(FixtureFolder() + "/DateTestDatabase.mdb");
    ASSERT_GT(bytes.size(), 8u * 4096);
    const std::string path = folder / "cvtExchange.mdb";
    std::mt19937 random(68);
    // Every byte of the head of the catalog's definition (its counts and page pointers, which
    // libmdb follows first) set to 0xff; then seeded changes, most of them on the first pages,
    // and cuts at page boundaries. Every case is a process's work, so they are few.
    constexpr int kHeadBytes = 64;
    for (int n = 0; n < kHeadBytes + 30; ++n) {
        std::string damaged = bytes;
        std::string change;
        if (n < kHeadBytes) {
            damaged[2 * 4096 + n] = '\xff';
            change = std::to_string(2 * 4096 + n);
        } else if (n % 6 == 5) {
            damaged.resize(4096 * (1 + random() % (bytes.size() / 4096 - 1)));
            change = "cut to " + std::to_string(damaged.size());
        } else {
            const std::size_t span = n % 3 == 2 ? bytes.size() : 4 * 4096;
            for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k) {
                const std::size_t at = random() % span;
                damaged[at] = static_cast<char>(random() % 2 ? 0xff : random());
                change += std::to_string(at) + " ";
            }
        }
        SCOPED_TRACE("mutation " + std::to_string(n) + ": " + change);
        dero::testing::WriteFile(path, damaged);
        const long number = ReadAll(path, {"DateTest"});
        EXPECT_TRUE(number == 0 || number == kDaoUnrecognizedFormat) << number;
    }
}

TEST(DaoFuzz, MutatedTextFormsReadOrAreRefused)
{
    dero::testing::TempFolder folder("dao_fuzz_text");
    const std::string text = reinterpret_cast<const char*>(
        u8"# exchange\n"
        "[deromgis]\n"
        "code:TEXT\ttype:I2\tsize:R4\tcount:I4\tratio:R8\t编号:TEXT\r\n"
        "1000A\t1\t2.5\t70000\t0.1\t图一\n"
        "\\N\t\t0.1\t-3\t1e300\ta\\tb\\\\c\\nd\n"
        "\n"
        "[Empty]\n"
        "x:I2\n");
    const std::string path = folder / "cvtExchange.mdb";
    const std::string alphabet = "\t\n\r:[]\\#N0-.eI2R4TEXT\xff\xa1";
    std::mt19937 random(6868);
    for (int n = 0; n < 400; ++n) {
        std::string damaged = text;
        for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
            const std::size_t at = random() % damaged.size();
            switch (random() % 4) {
            case 0: damaged[at] = alphabet[random() % alphabet.size()]; break;
            case 1: damaged.insert(at, 1, alphabet[random() % alphabet.size()]); break;
            case 2: damaged.erase(at, 1 + random() % 8); break;
            default: damaged.resize(at); break;
            }
            if (damaged.empty())
                break;
        }
        SCOPED_TRACE("mutation " + std::to_string(n));
        dero::testing::WriteFile(path, damaged);
        const long number = ReadAll(path, {"deromgis", "Empty"});
        EXPECT_TRUE(number == 0 || number == kDaoUnrecognizedFormat) << number;
    }
}

}  // namespace
