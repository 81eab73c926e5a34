#include "cadastral/dbf_table_writer.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "dbf_readers.h"
#include "platform/win/fault_injection.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace cadastral {
namespace {

namespace fs = std::filesystem;

// Expected files come from tests/data/make_expected_tables.py, which knows nothing of the writer.
std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ExpectFileMatches(const std::string& path, const std::string& expectedName) {
    const std::string actual = ReadBytes(path);
    const std::string expected =
        ReadBytes(std::string(DERO_SOURCE_DIR) + "/cadastral/exchange/tests/data/" + expectedName);
    ASSERT_FALSE(expected.empty()) << expectedName;
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    EXPECT_TRUE(actual == expected) << expectedName << ": first difference at byte " << at << " of "
                                    << actual.size() << " (expected " << expected.size() << ")";
}

DbfFieldDescriptor Field(const char* name, char type, int width, int decimals = 0) {
    DbfFieldDescriptor field{};
    std::strncpy(field.name, name, sizeof(field.name) - 1);
    field.type = type;
    field.width = static_cast<std::uint8_t>(width);
    field.decimals = static_cast<std::uint8_t>(decimals);
    return field;
}

DbfFieldDef Def(const char* name, int kind, int width, int decimals = 0) {
    DbfFieldDef def{};
    std::strncpy(def.name, name, sizeof(def.name) - 1);
    def.kind = kind;
    def.width = width;
    def.decimals = decimals;
    return def;
}

class DbfTableWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_dir.empty()); }
    std::string PathOf(const std::string& name) const { return m_dir + "/" + name; }

    dero::testing::TempFolder m_folder{"dbf_writer"};
    const std::string& m_dir = m_folder.path();
};

const std::string kParcel = "110101001001GB00001";
const std::string kLine1 = "110101001001JX0000001";
const std::string kLine2 = "110101001001JX0000002";

TEST_F(DbfTableWriterTest, TableWithoutRecordsUnderAGbkName) {
    const DbfFieldDef defs[] = {Def("ZDDM", 900, 30), Def("ZJDM", 0, 30)};
    DbfFieldDescriptor fields[2] = {};
    ASSERT_TRUE(BuildFieldDescriptors(fields, defs, 2));
    DbfTableWriter writer;
    // The name reaches the writer in the host's code page and lands on disk in UTF-8.
    ASSERT_TRUE(writer.Create(m_dir + "/宗地.dbf", fields, 2));
    EXPECT_TRUE(writer.Close());
    const std::string path = (fs::path(m_dir) / fs::path(u8"宗地.dbf")).string();
    ExpectFileMatches(path, "empty.dbf");
    ExpectReadersSee(path, {"ZDDM", "ZJDM"}, {});
}

TEST_F(DbfTableWriterTest, WindowsPathsLandOnTheMachineRoot) {
    platform::win::SetRoot(m_dir);
    fs::create_directories(fs::path(m_dir) / "c" / "Out");
    const DbfFieldDef defs[] = {Def("ZDDM", 900, 30)};
    DbfFieldDescriptor fields[1] = {};
    ASSERT_TRUE(BuildFieldDescriptors(fields, defs, 1));
    DbfTableWriter writer;
    // An existing folder is found without regard to case.
    ASSERT_TRUE(writer.Create("C:\\OUT\\ZD.dbf", fields, 1));
    EXPECT_TRUE(writer.Close());
    EXPECT_TRUE(fs::exists(fs::path(m_dir) / "c" / "Out" / "ZD.dbf"));
    // A missing folder is an error, not a file somewhere else.
    EXPECT_FALSE(writer.Create("C:\\missing\\ZD.dbf", fields, 1));
    EXPECT_EQ(writer.ErrorState(), DbfError::CannotOpen);
    platform::win::SetRoot("");
}

TEST_F(DbfTableWriterTest, FieldOffsetsAndTextsCutAtTheFieldWidth) {
    const DbfFieldDescriptor fields[] = {Field("ZDDM", 'C', 30), Field("JZXDM", 'C', 30), Field("BZ", 'C', 20)};
    DbfTableWriter writer;
    ASSERT_TRUE(writer.Create(PathOf("offsets.dbf"), fields, 3));
    writer.SetFieldByName("ZDDM", kParcel);
    writer.SetFieldByName("JZXDM", kLine1);
    writer.SetFieldByName("BZ", "宗地界址");
    EXPECT_EQ(writer.WriteRecord(true), 1u);
    // 31 bytes whose last character would be split by the width, then a text 2 bytes too long:
    // neither may reach into the field after it.
    writer.SetFieldByName("JZXDM", "a界址线界址线界址线界址线界址线");
    writer.SetFieldByName("BZ", "一二三四五六七八九十ab");
    EXPECT_EQ(writer.WriteRecord(true), 2u);
    EXPECT_TRUE(writer.Close());
    ExpectFileMatches(PathOf("offsets.dbf"), "offsets.dbf");
    ExpectReadersSee(PathOf("offsets.dbf"), {"ZDDM", "JZXDM", "BZ"},
                     {{kParcel, kLine1, "宗地界址"},
                      {kParcel, "a界址线界址线界址线界址线界址", "一二三四五六七八九十"}});
}

TEST_F(DbfTableWriterTest, FieldsBuiltFromEveryKind) {
    const DbfFieldDef defs[] = {Def("MC", 0, 300),     Def("RQ", 4, 3),  Def("MJ", 13, 12, 2),
                                Def("SXH", 2, 10, 5),  Def("HH", 901, 5), Def("ZDDM", 900, 30)};
    DbfFieldDescriptor fields[6] = {};
    ASSERT_TRUE(BuildFieldDescriptors(fields, defs, 6));
    DbfTableWriter writer;
    ASSERT_TRUE(writer.Create(PathOf("kinds.dbf"), fields, 6));
    std::string longText;
    for (int i = 0; i < 130; ++i) longText += "界";
    writer.SetFieldByName("MC", longText);
    writer.SetFieldByName("RQ", "19950726");
    writer.SetFieldReal(writer.FindField("MJ"), 1234.5);
    writer.SetFieldByName("SXH", "12");
    writer.SetFieldByName("HH", "7");
    writer.SetFieldByName("ZDDM", "G001");
    writer.WriteRecord(true);
    EXPECT_TRUE(writer.Close());
    ExpectFileMatches(PathOf("kinds.dbf"), "kinds.dbf");
    ExpectReadersSee(PathOf("kinds.dbf"), {"MC", "RQ", "MJ", "SXH", "HH", "ZDDM"},
                     {{longText.substr(0, 254), "19950726", "1234.5", "12", "7", "G001"}});
}

TEST(BuildFieldDescriptors, RefusesDefinitionsNoReaderAccepts) {
    DbfFieldDescriptor fields[2] = {};
    const DbfFieldDescriptor blank{};
    for (const DbfFieldDef& bad : {Def("A", 5, 10), Def("A", 9, 10), Def("A", -1, 10), Def("ABCDEFGHIJK", 0, 10),
                                   Def("A", 0, 0), Def("A", 3, 10, 10), Def("A", 3, 10, -1)}) {
        const DbfFieldDef defs[] = {Def("OK", 0, 5), bad};
        EXPECT_FALSE(BuildFieldDescriptors(fields, defs, 2)) << bad.name << " " << bad.kind;
        EXPECT_EQ(std::memcmp(&fields[1], &blank, sizeof(blank)), 0);
    }
}

TEST_F(DbfTableWriterTest, AlignmentOfTextsAndNumbers) {
    const DbfFieldDescriptor fields[] = {Field("A", 'N', 5), Field("B", 'C', 5), Field("C", 'N', 10, 3),
                                         Field("E", 'F', 8, 3)};
    DbfTableWriter writer;
    ASSERT_TRUE(writer.Create(PathOf("align.dbf"), fields, 4));
    writer.SetFieldByName("A", "12");
    writer.SetFieldByName("B", "12");
    writer.SetFieldReal(writer.FindField("C"), 2.5);
    writer.SetFieldReal(writer.FindField("E"), -0.25);
    writer.WriteRecord(true);
    writer.SetFieldByName("A", "1234567");
    writer.SetFieldByName("B", "ab房屋");
    writer.SetFieldReal(writer.FindField("C"), 0.0);
    writer.WriteRecord(true);
    EXPECT_TRUE(writer.Close());
    ExpectFileMatches(PathOf("align.dbf"), "align.dbf");
    ExpectReadersSee(PathOf("align.dbf"), {"A", "B", "C", "E"},
                     {{"12", "12", "2.5", "-0.25"}, {"12345", "ab房", "0", "-0.25"}});
}

TEST_F(DbfTableWriterTest, RecordsKeptOrBlankedAndTheCountWrittenAtClose) {
    const DbfFieldDef defs[] = {Def("ZDDM", 900, 30), Def("JZXDM", 0, 30), Def("SXH", 2, 10), Def("HH", 1, 10)};
    DbfFieldDescriptor fields[4] = {};
    ASSERT_TRUE(BuildFieldDescriptors(fields, defs, 4));
    DbfTableWriter writer;
    ASSERT_TRUE(writer.Create(PathOf("keep_blank.dbf"), fields, 4));
    writer.SetFieldByName("ZDDM", kParcel);
    writer.SetFieldByName("JZXDM", kLine1);
    writer.SetFieldReal(writer.FindField("SXH"), 1);
    writer.SetFieldReal(writer.FindField("HH"), 1);
    EXPECT_EQ(writer.WriteRecord(true), 1u);
    writer.SetFieldByName("JZXDM", kLine2);
    writer.SetFieldReal(writer.FindField("SXH"), 2);
    // Names and numbers the table lacks change nothing.
    writer.SetFieldByName("XX", "junk");
    writer.SetFieldByName("zddm", "junk");
    writer.SetField(kDbfNoField, "junk");
    writer.SetField(-1, "junk");
    writer.SetField(4, "junk");
    writer.SetFieldReal(kDbfNoField, 9);
    EXPECT_EQ(writer.WriteRecord(true), 2u);
    EXPECT_EQ(writer.WriteRecord(false), 3u);
    writer.SetFieldByName("ZDDM", "110101001001GB00002");
    EXPECT_EQ(writer.WriteRecord(true), 4u);
    EXPECT_TRUE(writer.Close());
    ExpectFileMatches(PathOf("keep_blank.dbf"), "keep_blank.dbf");
    // A second Close changes nothing and still reports the table as complete.
    EXPECT_TRUE(writer.Close());
    ExpectFileMatches(PathOf("keep_blank.dbf"), "keep_blank.dbf");
    ExpectReadersSee(PathOf("keep_blank.dbf"), {"ZDDM", "JZXDM", "SXH", "HH"},
                     {{kParcel, kLine1, "1", "1"},
                      {kParcel, kLine2, "2", "1"},
                      {"", "", "", ""},
                      {"110101001001GB00002", "", "", ""}});
}

TEST_F(DbfTableWriterTest, NumbersFollowNamesAndASecondFieldOfOneNameStaysBlank) {
    const DbfFieldDescriptor fields[] = {Field("ZJDM", 'C', 10), Field("ZJDM", 'C', 10), Field("FWDM", 'C', 10)};
    DbfTableWriter writer;
    ASSERT_TRUE(writer.Create(PathOf("duplicate.dbf"), fields, 3));
    EXPECT_EQ(writer.FindField("FWDM"), 0);
    EXPECT_EQ(writer.FindField("ZJDM"), 1);
    EXPECT_EQ(writer.FindField("ZJD"), kDbfNoField);
    writer.SetFieldByName("ZJDM", "Z1");
    writer.SetField(0, "房1");
    writer.SetField(2, "junk");
    writer.WriteRecord(true);
    EXPECT_TRUE(writer.Close());
    ExpectFileMatches(PathOf("duplicate.dbf"), "duplicate.dbf");
    ExpectReadersSee(PathOf("duplicate.dbf"), {"ZJDM", "ZJDM", "FWDM"}, {{"Z1", "", "房1"}});
}

TEST_F(DbfTableWriterTest, TablesThatCannotBeCreatedAreReported) {
    const DbfFieldDescriptor good[] = {Field("ZDDM", 'C', 30)};
    DbfTableWriter writer;
    EXPECT_FALSE(writer.Create(PathOf("none.dbf"), nullptr, 1));
    EXPECT_EQ(writer.ErrorState(), DbfError::NoFields);
    EXPECT_FALSE(writer.Create(PathOf("none.dbf"), good, 0));
    EXPECT_EQ(writer.ErrorState(), DbfError::NoFields);

    // Fields a reader would choke on, or a header or record too long for its 16-bit length.
    const std::vector<DbfFieldDescriptor> many(2047, Field("A", 'C', 1));
    const std::vector<DbfFieldDescriptor> wide(259, Field("A", 'C', 254));
    for (const std::vector<DbfFieldDescriptor>& bad :
         {std::vector{Field("A", 'C', 0)}, std::vector{Field("A", 'X', 5)}, many, wide}) {
        EXPECT_FALSE(writer.Create(PathOf("none.dbf"), bad.data(), static_cast<int>(bad.size())));
        EXPECT_EQ(writer.ErrorState(), DbfError::BadFields);
    }
    EXPECT_FALSE(fs::exists(PathOf("none.dbf")));

    EXPECT_FALSE(writer.Create(PathOf("missing/zd.dbf"), good, 1));
    EXPECT_EQ(writer.ErrorState(), DbfError::CannotOpen);
    writer.SetFieldByName("ZDDM", "x");
    EXPECT_EQ(writer.WriteRecord(true), 0u);
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(writer.Create("", good, 1));

    // A later Create starts afresh, and Create closes the table before it with its count patched.
    ASSERT_TRUE(writer.Create(PathOf("first.dbf"), good, 1));
    EXPECT_EQ(writer.ErrorState(), DbfError::None);
    writer.WriteRecord(true);
    ASSERT_TRUE(writer.Create(PathOf("second.dbf"), good, 1));
    EXPECT_EQ(ReadBytes(PathOf("first.dbf"))[4], 1);
    EXPECT_TRUE(writer.Close());
}

TEST_F(DbfTableWriterTest, LongTablesAreWholeAndAWriteThatFailsFailsTheTable) {
    const DbfFieldDescriptor fields[] = {Field("ZDDM", 'C', 30), Field("JZXDM", 'C', 30), Field("BZ", 'C', 20)};
    constexpr int kRecords = 2000;  // header 129, records of 81: far more than one block of writing
    auto writeAll = [&](DbfTableWriter& writer) {
        std::vector<std::uint32_t> counts;
        for (int i = 1; i <= kRecords; ++i) {
            writer.SetFieldByName("BZ", std::to_string(i));
            counts.push_back(writer.WriteRecord(true));
        }
        return counts;
    };
    DbfTableWriter writer;
    ASSERT_TRUE(writer.Create(PathOf("long.dbf"), fields, 3));
    EXPECT_EQ(writeAll(writer).back(), static_cast<std::uint32_t>(kRecords));
    EXPECT_TRUE(writer.Close());
    const std::string bytes = ReadBytes(PathOf("long.dbf"));
    ASSERT_EQ(bytes.size(), 129u + 81u * kRecords + 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]) | static_cast<unsigned char>(bytes[5]) << 8, kRecords);
    int misplaced = 0;
    for (int i = 1; i <= kRecords; ++i) {
        std::string expected = std::to_string(i);
        expected.resize(20, ' ');
        if (bytes.compare(129 + 81 * static_cast<std::size_t>(i - 1), 61, std::string(61, ' ')) != 0 ||
            bytes.compare(129 + 81 * static_cast<std::size_t>(i - 1) + 61, 20, expected) != 0)
            ++misplaced;
    }
    EXPECT_EQ(misplaced, 0);

    // The file may not grow past 300 bytes: the first block of records cannot be written, and
    // from then on the count stays.
    ASSERT_TRUE(writer.Create(PathOf("full.dbf"), fields, 3));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 300;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::vector<std::uint32_t> counts = writeAll(writer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(writer.ErrorState(), DbfError::RecordWrite);
    EXPECT_LT(counts.back(), static_cast<std::uint32_t>(kRecords));
    EXPECT_EQ(counts.back(), counts[counts.back()]);
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(fs::exists(PathOf("full.dbf")));
}

TEST_F(DbfTableWriterTest, FailedWritesAndClosesLeaveNoTableBehind) {
    using platform::win::FaultKind;
    using platform::win::InjectFault;
    platform::win::SetRoot(m_dir);
    platform::win::ScopedFaults faults;
    const fs::path out = fs::path(m_dir) / "c" / "Out";
    fs::create_directories(out);
    const DbfFieldDescriptor fields[] = {Field("ZDDM", 'C', 30)};
    DbfTableWriter writer;

    InjectFault(FaultKind::Write, u"C:\\Out\\header.dbf", ERROR_WRITE_FAULT);
    EXPECT_FALSE(writer.Create("C:\\Out\\header.dbf", fields, 1));
    EXPECT_EQ(writer.ErrorState(), DbfError::HeaderWrite);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(fs::exists(out / "header.dbf"));

    // The disk fills after the header: the records, written at Close, fail and the table goes.
    ASSERT_TRUE(writer.Create("C:\\Out\\ZD.dbf", fields, 1));
    writer.SetFieldByName("ZDDM", kParcel);
    EXPECT_EQ(writer.WriteRecord(true), 1u);
    InjectFault(FaultKind::Write, u"C:\\Out\\ZD.dbf", ERROR_DISK_FULL);
    EXPECT_EQ(writer.WriteRecord(true), 2u);
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.ErrorState(), DbfError::RecordWrite);
    EXPECT_FALSE(fs::exists(out / "ZD.dbf"));
    platform::win::ClearFaults();

    // Every write went through, but the close did not.
    ASSERT_TRUE(writer.Create("C:\\Out\\ZD.dbf", fields, 1));
    EXPECT_EQ(writer.WriteRecord(true), 1u);
    InjectFault(FaultKind::Close, u"C:\\Out\\ZD.dbf", ERROR_WRITE_FAULT);
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.ErrorState(), DbfError::CloseFailed);
    EXPECT_FALSE(fs::exists(out / "ZD.dbf"));
    platform::win::ClearFaults();

    // A table being written cannot be written by another writer, whose failure costs it nothing.
    ASSERT_TRUE(writer.Create("C:\\Out\\ZD.dbf", fields, 1));
    EXPECT_EQ(writer.WriteRecord(true), 1u);
    DbfTableWriter other;
    EXPECT_FALSE(other.Create("C:\\OUT\\zd.DBF", fields, 1));
    EXPECT_EQ(other.ErrorState(), DbfError::CannotOpen);
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadBytes((out / "ZD.dbf").string())[4], 1);
    platform::win::SetRoot("");
}

}  // namespace
}  // namespace cadastral
