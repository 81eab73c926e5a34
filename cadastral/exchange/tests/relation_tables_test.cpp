// The relation tables written from parcels laid out by hand, read back with dbfread.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cadastral/attribute_data.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/relation_tables.h"
#include "../src/handle_table.h"
#include "dbf_readers.h"
#include "drawingutil/groups.h"
#include "drawingutil/selection_set.h"
#include "parcel_scene.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_text.h"
#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "platform/text/encoding.h"
#include "platform/win/root.h"
#include "testing/files.h"

namespace {

using cadastral::CRelationExport;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kQh = "330102";

class RelationTables : public ParcelSceneTest {
protected:
    void SetUp() override {
        ParcelSceneTest::SetUp();
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        cadastral::LoadConfigTables();
        ASSERT_TRUE(CreateDirectoryA("C:\\pkg", nullptr));
        context.packageFolder = "C:\\pkg\\";
    }

    static void Put(AcDbObjectId id, const char* app, const std::string& value, int kind = kXDataString) {
        ASSERT_TRUE(WriteEntityXData(id, app, value.c_str(), kind, -1, false, false, false)) << app;
    }
    static std::string Value(AcDbObjectId id, const char* app) {
        std::string text;
        ReadEntityXData(id, app, text, kXDataString, 0, true, false);
        return text;
    }
    static void Group(const std::vector<AcDbObjectId>& members) {
        AcDbObjectId groupId;
        ASSERT_TRUE(CreateEntityGroup(Name(members[0]), groupId));
        AcDbGroup* group = nullptr;
        ASSERT_EQ(acdbOpenObject(group, groupId, AcDb::kForWrite), Acad::eOk);
        for (std::size_t i = 1; i < members.size(); ++i) group->append(members[i]);
        group->close();
    }
    static AcDbObjectId Text(double x, double y, const char* code, const std::string& zjdm, const char* text = "t",
                             const char* layer = "JZD") {
        const AcDbObjectId id = Add(new AcDbText(AcGePoint3d(x, y, 0), text, AcDbObjectId::kNull, 1.0), layer,
                                    *code != '\0' ? code : nullptr);
        if (!zjdm.empty()) Put(id, "ZJDM", zjdm);
        return id;
    }
    // A line note at (x, y) naming the point (px, py) as its line's first point.
    static AcDbObjectId LineNote(double x, double y, double px, double py, const std::string& zjdm) {
        const AcDbObjectId id = Text(x, y, "302010", zjdm);
        cadastral::SetXDataReal(Name(id), "JZX_ZJ_X", px);
        cadastral::SetXDataReal(Name(id), "JZX_ZJ_Y", py);
        return id;
    }
    static AcDbObjectId House(const std::vector<AcGePoint2d>& points, const char* code, const std::string& zddm,
                              const std::string& fwdm, const std::string& zjdm) {
        auto* poly = new AcDbPolyline;
        for (std::size_t i = 0; i < points.size(); ++i) poly->addVertexAt(static_cast<unsigned>(i), points[i]);
        poly->setClosed(true);
        const AcDbObjectId id = Add(poly, "JMD", code);
        if (!zddm.empty()) Put(id, "ZDDM", zddm);
        Put(id, "FWDM", fwdm);
        Group({id, Text(points[0].x + 1, points[0].y + 1, (std::string(code) + "-1").c_str(), zjdm, "t", "JMD")});
        return id;
    }
    // The boundary point at the place, made on first use with its code "D<n>" and number n.
    AcDbObjectId Point(const AcGePoint2d& at) {
        auto [it, added] = points_.try_emplace({at.x, at.y});
        if (added) {
            const int n = static_cast<int>(points_.size());
            it->second = BoundaryPoint(at.x, at.y);
            Put(it->second, "MIRET", "J");
            Put(it->second, "MIRET", std::to_string(n), kXDataLong);
            Put(it->second, "JZDDM", "D" + std::to_string(n));
            Put(it->second, "JZDH", std::to_string(n), kXDataLong);
        }
        return it->second;
    }
    std::string PointCode(const AcGePoint2d& at) { return Value(Point(at), "JZDDM"); }
    // A parcel drawn clockwise through the points with a boundary point on each; line i runs from
    // point i to point i + 1 and, as coding leaves it on a clockwise outline, its code and number sit
    // on the vertex it ends at.
    AcDbObjectId CodedParcel(const std::vector<AcGePoint2d>& ring, const std::string& number,
                             const std::vector<std::string>& codes, std::vector<int> numbers = {}) {
        const AcDbObjectId id = Parcel(ring);
        Put(id, "MIRET", number);
        Put(id, "QHDM", kQh);
        for (const AcGePoint2d& p : ring) Point(p);
        AcDbObjectIdArray vertices;
        AcDb2dPolyline* outline = nullptr;
        EXPECT_EQ(acdbOpenObject(outline, id, AcDb::kForRead), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> it(outline->vertexIterator());
        for (; !it->done(); it->step()) vertices.append(it->objectId());
        outline->close();
        if (numbers.empty())
            for (std::size_t i = 0; i < codes.size(); ++i) numbers.push_back(static_cast<int>(i) + 1);
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const AcDbObjectId end = vertices[static_cast<int>((i + 1) % codes.size())];
            Put(end, "JZXDM", codes[i]);
            Put(end, "JZXH", std::to_string(numbers[i]), kXDataLong);
        }
        return id;
    }
    void Take(AcDbObjectId parcel, const std::string& number) {
        context.parcels.push_back({parcel, kQh + number});
        std::stable_sort(context.parcels.begin(), context.parcels.end(),
                         [](const auto& a, const auto& b) { return a.code < b.code; });
    }
    static Rows Read(const char* table) {
        const cadastral::ReadBackTable read = cadastral::ReadWithDbfread(Path(table));
        EXPECT_TRUE(read.ok) << table << " " << read.error;
        return read.rows;
    }
    static std::string Path(const char* table) {
        return (std::filesystem::path(platform::win::GetRoot()) / "c" / "pkg" / (std::string(table) + ".dbf")).string();
    }
    static bool Exists(const char* table) { return std::filesystem::exists(Path(table)); }
    static int CountSharedLines() {
        drawingutil::SelectionSet lines;
        int count = 0;
        if (cadastral::SelectByFilterAndCode(lines.Fill(), "lwpolyline,JZX", "303009")) count = lines.Length();
        else lines.Drop();
        return count;
    }

    CRelationExport context;
    std::map<std::pair<double, double>, AcDbObjectId> points_;
};

// Enclosed parcels add their lines under their ring number after the outer parcel's own lines,
// all but the lines that two of them share inside the ring.
TEST_F(RelationTables, AParcelListsItsLinesThenThoseOfItsInnerRings) {
    const AcDbObjectId a = CodedParcel({{0, 0}, {0, 30}, {40, 30}, {40, 0}}, "0010010001000", {"A1", "A2", "A3", "A4"});
    const AcDbObjectId triangle = CodedParcel({{10, 10}, {15, 20}, {20, 10}}, "0010019001000", {"T1", "T2", "T3"});
    Put(triangle, "HH", "2", kXDataLong);
    const AcDbObjectId b = CodedParcel({{50, 0}, {50, 30}, {90, 30}, {90, 0}}, "0010010002000", {"B1", "B2", "B3", "B4"});
    const AcDbObjectId s1 =
        CodedParcel({{60, 10}, {60, 20}, {70, 20}, {70, 10}}, "0010019002000", {"S11", "S12", "SS", "S14"});
    const AcDbObjectId s2 =
        CodedParcel({{70, 10}, {70, 20}, {80, 20}, {80, 10}}, "0010019003000", {"SS", "S22", "S23", "S24"});
    for (AcDbObjectId inner : {s1, s2}) Put(inner, "HH", "2", kXDataLong);
    Take(a, "0010010001000");
    Take(b, "0010010002000");
    const cadastral::BoundaryPointIndex index;
    ASSERT_EQ(cadastral::WriteZdReJzx(context, index), cadastral::TableOutcome::Written);

    const std::string ca = std::string(kQh) + "0010010001000", cb = std::string(kQh) + "0010010002000";
    Rows expected;
    int n = 0;
    for (const char* code : {"A1", "A2", "A3", "A4"}) expected.push_back({ca, code, std::to_string(++n), "1"});
    for (const char* code : {"T1", "T2", "T3"}) expected.push_back({ca, code, std::to_string(++n), "2"});
    n = 0;
    for (const char* code : {"B1", "B2", "B3", "B4"}) expected.push_back({cb, code, std::to_string(++n), "1"});
    for (const char* code : {"S11", "S12", "S14", "S22", "S23", "S24"})
        expected.push_back({cb, code, std::to_string(++n), "2"});
    cadastral::ExpectReadersSee(Path("zd_re_jzx"), {"ZDDM", "JZXDM", "SXH", "HH"}, expected);
    // The numbers are reals with three decimals, right-aligned.
    const std::string file = dero::testing::ReadFile(Path("zd_re_jzx"));
    EXPECT_NE(file.find("     7.000     2.000"), std::string::npos);
    EXPECT_NE(file.find("     1.000     1.000"), std::string::npos);
}

// Lines and their end points, once per code whatever its letter case, shared lines made once, and
// the line notes ordered by line number.
TEST_F(RelationTables, LinesAreWrittenOnceWithTheirPointsNotesAndSharedLines) {
    // P2's side on P1 carries P1's code in small letters; "JX" is the start of "JX01".
    const AcDbObjectId p1 =
        CodedParcel({{0, 0}, {0, 30}, {40, 30}, {40, 0}}, "0010010001000", {"JX01", "JX02", "JX", "JX04"}, {3, 1, 2, 4});
    const AcDbObjectId p2 = CodedParcel({{40, 0}, {40, 30}, {80, 30}, {80, 0}}, "0010010002000",
                                        {"jx", "JX06", "JX07", "JX08"}, {2, 5, 6, 7});
    // P1's notes name the first point of their line, P2's the last; each stands beside its line.
    Group({p1, LineNote(-1, 15, 0, 0, "Z0"), LineNote(20, 31, 0, 30, "Z1"), LineNote(39, 15, 40, 30, "Z2"),
           LineNote(20, -1, 40, 0, "Z3"), Text(5, 5, "302002", "N1")});
    Group({p2, LineNote(41, 15, 40, 30, "Z4"), LineNote(60, 31, 80, 30, "Z5"), LineNote(81, 15, 80, 0, "Z6"),
           LineNote(60, -1, 40, 0, "Z7")});
    Take(p2, "0010010002000");
    Take(p1, "0010010001000");
    const cadastral::BoundaryPointIndex index;
    ASSERT_TRUE(cadastral::WriteRelationTables(context, index)) << platform::cad::CommandLineText();

    auto d = [&](double x, double y) { return PointCode({x, y}); };
    EXPECT_EQ(Read("jzx_re_jzd"),
              (Rows{{"JX01", d(0, 0)}, {"JX01", d(0, 30)}, {"JX02", d(0, 30)}, {"JX02", d(40, 30)},
                    {"JX", d(40, 30)}, {"JX", d(40, 0)}, {"JX04", d(40, 0)}, {"JX04", d(0, 0)},
                    {"JX06", d(40, 30)}, {"JX06", d(80, 30)}, {"JX07", d(80, 30)}, {"JX07", d(80, 0)},
                    {"JX08", d(80, 0)}, {"JX08", d(40, 0)}}));
    EXPECT_EQ(Read("jzx_re_zj"), (Rows{{"JX02", "Z1"}, {"JX", "Z2"}, {"JX01", "Z0"}, {"JX04", "Z3"},
                                       {"JX06", "Z5"}, {"JX07", "Z6"}, {"JX08", "Z7"}}));
    EXPECT_EQ(context.lineNoteTexts.length(), 7);
    // One line per piece of outline, the shared side once, with its line's data and length.
    EXPECT_EQ(Read("jzx_re_gd"), (Rows{{"JX01", ""}, {"JX02", ""}, {"JX", ""}, {"JX04", ""},
                                       {"jx", ""}, {"JX06", ""}, {"JX07", ""}, {"JX08", ""}}));
    EXPECT_EQ(CountSharedLines(), 7);
    ASSERT_EQ(context.sharedLines.length(), 7);
    const AcDbObjectId shared = context.sharedLines[2];
    EXPECT_EQ(Value(shared, "JZXDM"), "JX");
    double length = 0;
    EXPECT_TRUE(cadastral::GetXDataReal(Name(shared), "JZXCD", length));
    EXPECT_DOUBLE_EQ(length, 30.0);
    EXPECT_EQ(Read("zd_re_zj"), (Rows{{std::string(kQh) + "0010010001000", "N1"}}));
}

// A grid of parcels: each side becomes one shared line however many parcels share it, made with
// the data of the first parcel's line, also where several sides start at one corner and when the
// lines made outgrow the first lookup.
TEST_F(RelationTables, EverySideOfAGridIsSharedOnce) {
    constexpr int kSide = 6;
    for (int row = 0; row < kSide; ++row)
        for (int column = 0; column < kSide; ++column) {
            const double x = 10.0 * column, y = 10.0 * row;
            const std::string cell = std::to_string(row) + std::to_string(column);
            const std::vector<std::string> codes = {"L" + cell + "a", "L" + cell + "b", "L" + cell + "c", "L" + cell + "d"};
            const std::string number = "00100100" + cell + "000";
            const AcDbObjectId parcel = CodedParcel({{x, y}, {x, y + 10}, {x + 10, y + 10}, {x + 10, y}}, number, codes);
            Take(parcel, number);
        }
    // Each line's shared-line code is its own code.
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        AcDb2dPolyline* outline = nullptr;
        ASSERT_EQ(acdbOpenObject(outline, parcel.id, AcDb::kForRead), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> it(outline->vertexIterator());
        std::vector<AcDbObjectId> vertices;
        for (; !it->done(); it->step()) vertices.push_back(it->objectId());
        outline->close();
        for (AcDbObjectId vertex : vertices) Put(vertex, "GDDM", Value(vertex, "JZXDM"));
    }
    const cadastral::BoundaryPointIndex index;
    // The parcels' notes (none) read first leave their lines to be read.
    ASSERT_EQ(cadastral::WriteZdReZj(context, index), cadastral::TableOutcome::Written);
    ASSERT_EQ(cadastral::WriteJzxReGd(context, index), cadastral::TableOutcome::Written);
    const Rows rows = Read("jzx_re_gd");
    ASSERT_EQ(rows.size(), 4u * kSide * kSide);
    int fromNeighbour = 0;
    for (const auto& row : rows) fromNeighbour += row[0] != row[1];
    EXPECT_EQ(fromNeighbour, 2 * kSide * (kSide - 1));
    EXPECT_EQ(CountSharedLines(), 2 * kSide * (kSide + 1));
}

// Notes of parcels, boundary points and houses, in the per-parcel scopes and the whole drawing.
TEST_F(RelationTables, NotesOfParcelsPointsAndHouses) {
    const AcDbObjectId q = CodedParcel({{0, 0}, {0, 30}, {40, 30}, {40, 0}}, "0010010001000", {"L1", "L2", "L3", "L4"});
    const std::string code = std::string(kQh) + "0010010001000";
    // Line notes and point labels in the parcel's group are not parcel notes; an uncoded text neither.
    Group({q, Text(20, 20, "302002", "N2"), Text(20, 18, "302010", "NX"), Text(1, 1, "301001", "NL", "J1", "JZP"),
           Text(20, 16, "", "NU"), Text(20, 14, "302004", "N4")});
    // Point 15 of the second kind goes with the label T15, point 16 with J16.
    const AcDbObjectId p15 = Point({0, 0});
    const AcDbObjectId p16 = Point({0, 30});
    Put(p15, "JZDLX", "21");
    Put(p16, "JZDLX", "1");
    for (auto [id, n] : {std::pair{p15, "15"}, std::pair{p16, "16"}}) {
        WriteEntityXData(id, "MIRET", n, kXDataLong, 2, false, true, false);
        WriteEntityXData(id, "JZDH", n, kXDataLong, 0, false, true, false);
    }
    for (const char* label : {"J15", "J16", "T15"})
        context.notes.push_back({label, Text(0, 0, "301001", std::string("Z") + label, label, "JZP")});
    context.boundaryPoints.append(p16);
    context.boundaryPoints.append(p15);
    // Houses: one inside, one of a kind left out per parcel, one built up to the parcel line, one of
    // another parcel and an outline of another class.
    House({{5, 5}, {15, 5}, {15, 12}, {5, 12}}, "141100", code, "F1", "H1");
    House({{5, 15}, {15, 15}, {15, 22}, {5, 22}}, "141200", code, "F2", "H2");
    House({{30, 5}, {40, 5}, {40, 12}, {30, 12}}, "141101", code, "F3", "H3");
    House({{20, 22}, {28, 22}, {28, 27}, {20, 27}}, "141100", kQh + std::string("0010010009000"), "F4", "H4");
    House({{30, 15}, {35, 15}, {35, 20}, {30, 20}}, "302002", code, "F5", "H5");
    Take(q, "0010010001000");
    const cadastral::BoundaryPointIndex index;

    ASSERT_EQ(cadastral::WriteZdReZj(context, index), cadastral::TableOutcome::Written);
    EXPECT_EQ(Read("zd_re_zj"), (Rows{{code, "N2"}, {code, "N4"}}));
    ASSERT_EQ(cadastral::WriteJzdReZj(context, index), cadastral::TableOutcome::Written);
    EXPECT_EQ(Read("jzd_re_zj"), (Rows{{Value(p15, "JZDDM"), "ZT15"}, {Value(p16, "JZDDM"), "ZJ16"}}));
    ASSERT_EQ(cadastral::WriteFwReZj(context, index), cadastral::TableOutcome::Written);
    EXPECT_EQ(Read("fw_re_zj"), (Rows{{"F1", "H1"}, {"F3", "H3"}}));
    const int listed = context.exportList.length();

    context.wholeDrawing = true;
    ASSERT_EQ(cadastral::WriteFwReZj(context, index), cadastral::TableOutcome::Written);
    EXPECT_EQ(Read("fw_re_zj"), (Rows{{"F1", "H1"}, {"F2", "H2"}, {"F3", "H3"}, {"F4", "H4"}}));
    ASSERT_EQ(cadastral::WriteZdReZj(context, index), cadastral::TableOutcome::Written);
    // The whole drawing is exported as it stands: nothing more is listed for it.
    EXPECT_EQ(context.exportList.length(), listed);
}

// Without line notes one table is refused and the rest written; a table that cannot be written
// stops the tables, and leaves no file of its own.
TEST_F(RelationTables, ARefusedTableLetsTheOthersBeWrittenAFailedOneStops) {
    const AcDbObjectId q = CodedParcel({{0, 0}, {0, 30}, {40, 30}, {40, 0}}, "0010010001000", {"L1", "L2", "L3", "L4"});
    Group({q, Text(20, 20, "302002", "N2"), Text(20, 18, "302010", "NX")});
    Take(q, "0010010001000");
    const cadastral::BoundaryPointIndex index;
    platform::cad::ClearCommandLine();
    EXPECT_TRUE(cadastral::WriteRelationTables(context, index));
    EXPECT_NE(platform::cad::CommandLineText().find("\n当前图上没有界址线注记"), std::string::npos);
    EXPECT_NE(platform::cad::CommandLineText().find("\n生成jzx_re_zj失败"), std::string::npos);
    EXPECT_EQ(platform::cad::CommandLineText().find("\n生成fw_re_zj"), std::string::npos);
    for (const char* table : {"jzx_re_gd", "zd_re_jzx", "jzx_re_jzd", "zd_re_zj", "jzd_re_zj", "fw_re_zj"})
        EXPECT_TRUE(Exists(table)) << table;
    EXPECT_FALSE(Exists("jzx_re_zj"));

    for (const auto& [kind, failing] : {std::pair{platform::win::FaultKind::Open, "zd_re_zj"},
                                        std::pair{platform::win::FaultKind::Close, "jzx_re_jzd"}}) {
        std::filesystem::remove_all(std::filesystem::path(Path("x")).parent_path());
        ASSERT_TRUE(CreateDirectoryA("C:\\pkg", nullptr));
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(kind, u"C:\\pkg\\" + platform::text::Utf8ToUtf16(failing) + u".dbf");
        platform::cad::ClearCommandLine();
        EXPECT_FALSE(cadastral::WriteRelationTables(context, index)) << failing;
        EXPECT_NE(platform::cad::CommandLineText().find("\n生成" + std::string(failing) + "失败"), std::string::npos);
        EXPECT_FALSE(Exists(failing));
        EXPECT_TRUE(Exists("jzx_re_gd"));
        EXPECT_FALSE(Exists("fw_re_zj"));
    }
}

// The tables the writers keep their lines, points and notes in: every key and value survives the
// table's growth, key 0 included, and texts differ by case.
TEST(RelationTableKeys, KeysAndValuesSurviveGrowth) {
    cadastral::HandleTable<std::uint64_t> table;
    for (std::uint64_t k = 0; k < 5000; ++k) {
        auto [value, made] = table.TryEmplace(k * 4096);
        ASSERT_TRUE(made);
        *value = k;
    }
    for (std::uint64_t k = 0; k < 5000; ++k) {
        auto [value, made] = table.TryEmplace(k * 4096);
        ASSERT_FALSE(made);
        ASSERT_EQ(*value, k);
        ASSERT_NE(table.Find(k * 4096), nullptr);
        ASSERT_EQ(table.Find(k * 4096 + 1), nullptr);
    }
    cadastral::TextSet texts;
    EXPECT_TRUE(texts.Insert("JX1"));
    EXPECT_FALSE(texts.Insert("JX1"));
    EXPECT_TRUE(texts.Contains("JX1"));
    EXPECT_FALSE(texts.Contains("jx1"));
}

}  // namespace
