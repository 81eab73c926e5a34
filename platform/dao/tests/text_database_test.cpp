// The readable text form: typed fields, GBK at the edge, the one query, and the engine's errors for
// anything else.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/dao/dao_database.h"
#include "platform/ui/answer_source.h"
#include "platform/win/fault_injection.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

long ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (CDaoException* e) {
        long n = e->m_pErrorInfo->m_lErrorCode;
        e->Delete();
        return n;
    }
    return 0;
}

// Written as UTF-8, as the files are: u8 literals keep their bytes.
const std::string kTables = reinterpret_cast<const char*>(
    u8"# sample\n"
    "[deromgis]\n"
    "code:TEXT\ttype:I2\tsize:R4\tcount:I4\tratio:R8\t图式上的编号:TEXT\r\n"
    "1000A\t1\t2.5\t70000\t0.1\t图一\n"
    "\\N\t\t0.1\t-3\t1e300\ta\\tb\\\\c\\nd\n"
    "\n"
    "[Empty]\n"
    "x:I2\n");

TEST(TextDatabase, ReadsTypedRowsInTheHostsCodePage)
{
    dero::testing::TempFolder folder("dao_text");
    std::string path = folder / "cvtExchange.mdb";
    dero::testing::WriteFile(path, kTables);
    AfxGetModuleState()->m_dwVersion = 0x0601;
    platform::ui::ClearTranscript();

    CDaoDatabase db;
    db.Open(path.c_str(), TRUE, TRUE, ";pwd=");
    ASSERT_TRUE(db.IsOpen());
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "  SeLeCt   *   FROM   DEROMGIS ; ");
    ASSERT_FALSE(rs.IsEOF());
    COleVariant v;
    rs.GetFieldValue("CODE", v);
    ASSERT_EQ(v.vt, VT_BSTR);
    EXPECT_STREQ(V_BSTRT(&v), "1000A");
    EXPECT_EQ(rs.GetFieldValue("type").iVal, 1);
    EXPECT_EQ(rs.GetFieldValue("type").vt, VT_I2);
    EXPECT_EQ(rs.GetFieldValue("size").vt, VT_R4);
    EXPECT_EQ(rs.GetFieldValue("size").fltVal, 2.5f);
    EXPECT_EQ(rs.GetFieldValue("count").lVal, 70000);
    EXPECT_EQ(rs.GetFieldValue("ratio").dblVal, 0.1);
    // Field names and texts in the file are UTF-8; the program sees GBK.
    EXPECT_STREQ(rs.GetFieldValue("图式上的编号").bstrVal, "图一");
    rs.MoveNext();
    EXPECT_EQ(rs.GetFieldValue("code").vt, VT_NULL);
    EXPECT_EQ(rs.GetFieldValue("type").vt, VT_NULL);
    EXPECT_EQ(rs.GetFieldValue("size").fltVal, 0.1f);
    EXPECT_STREQ(rs.GetFieldValue("图式上的编号").bstrVal, "a\tb\\c\nd");
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), kDaoNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.GetFieldValue("code"); }), kDaoNoCurrentRecord);

    rs.Open(dbOpenDynaset, "select * from [empty]");
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), kDaoNoCurrentRecord);

    // The one query the engine is asked; anything else, and anything missing, is its error.
    EXPECT_EQ(ErrorOf([&] { rs.Open(dbOpenDynaset, "select * from deromgis where code = '' or '1'='1'"); }),
              kDaoNotSupported);
    EXPECT_EQ(ErrorOf([&] { rs.Open(dbOpenDynaset, "select code from deromgis"); }), kDaoNotSupported);
    EXPECT_EQ(ErrorOf([&] { rs.Open(dbOpenDynaset, "select * from dilei"); }), kDaoTableNotFound);
    rs.Open(dbOpenDynaset, "select * from deromgis");
    EXPECT_EQ(ErrorOf([&] { rs.GetFieldValue("remark"); }), kDaoItemNotFound);
    rs.Close();
    db.Close();
    EXPECT_EQ(ErrorOf([&] { rs.Open(dbOpenDynaset, "select * from deromgis"); }), kDaoObjectClosed);

    // The open is recorded with its mode and the engine version asked for; the file is untouched.
    auto lines = platform::ui::TranscriptLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("exclusive read-only engine 0x0601 connect \";pwd=\""), std::string::npos) << lines[0];
    EXPECT_EQ(dero::testing::ReadFile(path), kTables);

    // A file the system refuses to open or read is the engine's "cannot use the file".
    for (auto kind : {platform::win::FaultKind::Open, platform::win::FaultKind::Read}) {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(kind, u"*cvtExchange.mdb");
        EXPECT_EQ(ErrorOf([&] { db.Open(path.c_str(), TRUE, TRUE); }), kDaoCannotOpenFile);
        EXPECT_FALSE(db.IsOpen());
    }
}

TEST(TextDatabase, MalformedFilesRaiseTheEnginesException)
{
    dero::testing::TempFolder folder("dao_text_bad");
    std::string path = folder / "bad.mdb";
    const char* const bad[] = {
        "[t]\na:I2\tb:TEXT\n1\n",          // a short row
        "[t]\na:I2\n1\t2\n",               // a long row
        "[t]\na:MONEY\n1\n",               // an unknown type
        "[t]\na:I2\n40000\n",              // out of range
        "[t]\na:R4\n1.5x\n",               // not a number
        "[t]\na:I2\n[u]\n",                // a table without fields
        "1\t2\n",                          // a row before any table
        "[t]\na:TEXT\nab\\q\n",            // an unknown escape
        "[t]\na:I2\na:I4\n",               // a field twice (as a row of a bad number)
        "[t]\na:I2\tA:I2\n",               // a field twice
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        dero::testing::WriteFile(path, text);
        CDaoDatabase db;
        EXPECT_EQ(ErrorOf([&] { db.Open(path.c_str(), FALSE, TRUE); }), kDaoUnrecognizedFormat);
        EXPECT_FALSE(db.IsOpen());
    }
    CDaoDatabase db;
    EXPECT_EQ(ErrorOf([&] { db.Open((folder / "none.mdb").c_str()); }), kDaoFileNotFound);

    // Text that would not come back as it was written: \N inside a value, and bytes that are not
    // UTF-8 (GBK, a cut character), in a value, a name or a comment. The message names the line.
    const std::pair<const char*, const char*> unread[] = {
        {"[t]\na:TEXT\nab\\Ncd\n", "Line 3:"},
        {"[t]\na:TEXT\tb:I2\n\\Nx\t1\n", "Line 3:"},
        {"[t]\na:TEXT\tb:I2\nx\\N\t1\n", "Line 3:"},
        {"[t]\na:TEXT\n\xD6\xD0\xCE\xC4\n", "Line 3:"},
        {"[t]\na:TEXT\nok\n\xE4\xB8\n", "Line 4:"},
        {"[\xB1\xED]\na:TEXT\n", "Line 1:"},
        {"# \xD6\xD0\n[t]\na:TEXT\n", "Line 1:"},
    };
    for (const auto& [text, where] : unread) {
        SCOPED_TRACE(text);
        dero::testing::WriteFile(path, text);
        try {
            db.Open(path.c_str(), FALSE, TRUE);
            ADD_FAILURE() << "opened";
        } catch (CDaoException* e) {
            EXPECT_EQ(e->m_pErrorInfo->m_lErrorCode, kDaoUnrecognizedFormat);
            EXPECT_NE(e->m_pErrorInfo->m_strDescription.str().find(where), std::string::npos)
                << e->m_pErrorInfo->m_strDescription.str();
            e->Delete();
        }
        EXPECT_FALSE(db.IsOpen());
    }
    // \N alone is a null, beside a tab or at either end of the line.
    dero::testing::WriteFile(path, "[t]\na:TEXT\tb:TEXT\tc:TEXT\n\\N\t\\N\t\\N\n");
    db.Open(path.c_str(), FALSE, TRUE);
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "select * from t");
    for (const char* field : {"a", "b", "c"})
        EXPECT_EQ(rs.GetFieldValue(field).vt, VT_NULL) << field;
}

}  // namespace
