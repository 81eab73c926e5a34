#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "gis_test_root.h"
#include "platform/gis/bas60.h"
#include "platform/gis/gis_document.h"
#include "platform/gis/mapdsp60.h"
#include "platform/gis/w60area.h"

namespace fs = std::filesystem;
using platform::win::FaultKind;
using platform::win::InjectFault;

namespace {

class GisFilesTest : public GisTestRoot {
protected:
    // A new file of the kind with a text field of width 8 and a long field.
    static short NewFile(short kind, short* workspace, const char* name = "C:\\data\\new")
    {
        *workspace = GisNewWorkspace(0);
        const short slot = GisGetFileSlot(*workspace, kind);
        EXPECT_GT(GisNewFile(name, slot, 0, 0, 0), 0);
        CFIELD_HEAD text{};
        std::strcpy(text.name, "名称");
        text.type = GIS_FIELD_TEXT;
        text.width = 8;
        text.flag = 1;
        EXPECT_EQ(GisAddField(GisGetFileHandle(*workspace), &text), 1);
        CFIELD_HEAD number{};
        std::strcpy(number.name, "编组编码");
        number.type = GIS_FIELD_LONG;
        number.width = 10;
        EXPECT_EQ(GisAddField(GisGetFileHandle(*workspace), &number), 2);
        return GisGetFileHandle(*workspace);
    }

    static std::string FieldText(const CATT_STRU* structure, const ATT_VALUES* values, short position, short size = 256)
    {
        char buffer[256] = {};
        if (GisGetFieldText(structure, values, position, buffer, size, 0, 0) <= 0) return "<fail>";
        return buffer;
    }

    static void End(short workspace, short slot)
    {
        if (GisSlotHasFile(slot)) {
            GisCloseFile(slot, 0);
            GisFreeSlot(slot);
        }
        GisFreeWorkspace(workspace);
    }
};

std::vector<BYTE> Params(std::size_t size, BYTE seed)
{
    std::vector<BYTE> params(size);
    for (std::size_t i = 0; i < size; ++i) params[i] = static_cast<BYTE>(seed + i * 7);
    return params;
}

TEST_F(GisFilesTest, LineFileKeepsGeometryParametersAndGbkValues)
{
    short workspace = 0;
    const short file = NewFile(GIS_KIND_LINE, &workspace);
    EXPECT_NE(GisIsEmpty(file), 0);
    const auto params = Params(GIS_LINE_PARAM_SIZE, 3);
    const D_DOT first[] = {{0, 0}, {10.5, -2.25}};
    const D_DOT second[] = {{1, 1}, {2, 2}, {3, 1e300}};
    EXPECT_EQ(GisWriteLine(file, first, 2, params.data(), 2), 1);
    EXPECT_EQ(GisWriteLine(file, second, 3, nullptr, 2), 2);
    EXPECT_EQ(GisWriteLine(file, second, 1, nullptr, 2), 0) << "a line has two points at least";
    const D_DOT notANumber[] = {{0, 0}, {0, std::numeric_limits<double>::quiet_NaN()}};
    EXPECT_EQ(GisWriteLine(file, notANumber, 2, nullptr, 2), 0);
    EXPECT_EQ(GisWritePoint(file, &notANumber[1], nullptr, 0, nullptr, 2), 0);
    EXPECT_EQ(GisIsEmpty(file), 0);

    // Values set by name: text is cut to the width on a character boundary, numbers are checked.
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    ASSERT_GT(GisGetAttribute(file, GIS_KIND_LINE, 1, &structure, &values), 0);
    ASSERT_EQ(structure->fieldCount, 3);
    EXPECT_STREQ(structure->fields[0].name, "ID");
    EXPECT_EQ(GisSetFieldText(structure, values, "名称", "乗昇乗昇乗"), 1);  // 10 bytes into 8
    EXPECT_EQ(GisSetFieldText(structure, values, "编组编码", "12"), 1);
    EXPECT_EQ(GisSetFieldText(structure, values, "编组编码", "twelve"), 0);
    EXPECT_EQ(GisSetFieldText(structure, values, "没有", "x"), 0);
    EXPECT_EQ(GisPutAttribute(file, GIS_KIND_LINE, 1, structure, values), 1);
    EXPECT_EQ(GisPutAttribute(file, GIS_KIND_LINE, 3, structure, values), 0);
    ASSERT_GT(GisSaveFile(file, "C:\\data\\roads.wl", GIS_SAVE_MODE, 0, 0, 0), 0);
    End(workspace, file);

    const short loaded = GisNewWorkspace(0);
    const short slot = GisGetFileSlot(loaded, GIS_KIND_LINE);
    ASSERT_GT(GisLoadFile("c:/DATA/Roads.wl", slot, 0, 0, 0), 0);
    ASSERT_EQ(GisGetObjectCount(loaded), 2);
    // Stepping: 14 starts, 15 advances, 175 names the current line.
    short handle = GisGetFileHandle(loaded);
    std::vector<LONG> numbers;
    for (LONG i = 0; i < GisGetObjectCount(loaded); ++i, handle = GisNextObject(loaded))
        numbers.push_back(GisCurrentLine(handle));
    EXPECT_EQ(numbers, (std::vector<LONG>{1, 2}));
    EXPECT_EQ(GisCurrentLine(handle), 0);

    const D_DOT* points = nullptr;
    LONG count = 0;
    BYTE read[GIS_LINE_PARAM_SIZE];
    ASSERT_GT(GisGetLine(handle, 1, &points, &count, read), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(points[1].x, 10.5);
    EXPECT_EQ(points[1].y, -2.25);
    EXPECT_EQ(std::vector<BYTE>(read, read + GIS_LINE_PARAM_SIZE), params);
    ASSERT_GT(GisGetLine(handle, 2, &points, &count, read), 0);
    EXPECT_EQ(points[2].y, 1e300);
    EXPECT_EQ(GisGetLine(handle, 3, &points, &count, read), 0);

    ASSERT_GT(GisGetAttribute(handle, GIS_KIND_LINE, 1, &structure, &values), 0);
    EXPECT_EQ(FieldText(structure, values, 1), "乗昇乗昇");
    EXPECT_EQ(FieldText(structure, values, 2), "12");
    EXPECT_EQ(FieldText(structure, values, 1, 4), "乗") << "a short buffer never splits a character";
    EXPECT_EQ(FieldText(structure, values, 1, 2), "");
    EXPECT_EQ(FieldText(structure, values, 3), "<fail>");
    ASSERT_GT(GisGetAttribute(handle, GIS_KIND_LINE, 2, &structure, &values), 0);
    EXPECT_EQ(FieldText(structure, values, 1), "");
    EXPECT_EQ(FieldText(structure, values, 2), "0");
    End(loaded, slot);
}

TEST_F(GisFilesTest, PointsAreasAndTables)
{
    short workspace = 0;
    const short points = NewFile(GIS_KIND_POINT, &workspace);
    const auto pointParams = Params(GIS_POINT_PARAM_SIZE, 9);
    const D_DOT at{5, 6};
    const char text[] = "乗\\/a";
    EXPECT_EQ(GisWritePoint(points, &at, text, static_cast<short>(std::strlen(text)), pointParams.data(), 2), 1);
    EXPECT_EQ(GisWritePoint(points, &at, nullptr, 0, nullptr, 2), 2);
    D_DOT position{};
    const char* readText = nullptr;
    BYTE readParams[GIS_POINT_PARAM_SIZE];
    ASSERT_GT(GisGetPoint(points, 1, &position, &readText, readParams), 0);
    EXPECT_EQ(position.x, 5);
    EXPECT_STREQ(readText, text);
    EXPECT_EQ(std::vector<BYTE>(readParams, readParams + GIS_POINT_PARAM_SIZE), pointParams);
    End(workspace, points);

    // An area file holds its own boundary lines; the area lists them, rings split by 0.
    const short areas = NewFile(GIS_KIND_AREA, &workspace);
    const D_DOT a[] = {{0, 0}, {10, 0}, {10, 10}};
    const D_DOT b[] = {{0, 0}, {0, 10}, {10, 10}};
    ASSERT_EQ(GisWriteLine(areas, a, 3, nullptr, 2), 1);
    ASSERT_EQ(GisWriteLine(areas, b, 3, nullptr, 2), 2);
    const auto areaParams = Params(GIS_AREA_PARAM_SIZE, 1);
    const LONG list[] = {2, 1, -2};
    EXPECT_EQ(GisBuildArea(areas, list, 3, areaParams.data()), 1);
    const LONG unknownLine[] = {2, 1, 3};
    const LONG wrongCount[] = {3, 1, -2};
    const LONG islandOnly[] = {2, 0, 1};
    EXPECT_EQ(GisBuildArea(areas, unknownLine, 3, nullptr), 0);
    EXPECT_EQ(GisBuildArea(areas, wrongCount, 3, nullptr), 0);
    EXPECT_EQ(GisBuildArea(areas, islandOnly, 3, nullptr), 0);
    const LONG* readList = nullptr;
    LONG length = 0;
    BYTE readArea[GIS_AREA_PARAM_SIZE];
    ASSERT_GT(GisGetArea(areas, 1, &readList, &length, readArea), 0);
    EXPECT_EQ(std::vector<LONG>(readList, readList + length), (std::vector<LONG>{2, 1, -2}));
    EXPECT_EQ(std::vector<BYTE>(readArea, readArea + GIS_AREA_PARAM_SIZE), areaParams);
    EXPECT_EQ(GisGetArea(areas, 2, &readList, &length, readArea), 0);
    End(workspace, areas);

    // Table rows: field 0 is the running number, the others are set by position.
    const short table = NewFile(GIS_KIND_TABLE, &workspace);
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    EXPECT_EQ(GisNewTableRow(table, GIS_KIND_LINE, &structure, &values), 0);
    for (int row = 1; row <= 2; ++row) {
        ASSERT_GT(GisNewTableRow(table, GIS_KIND_TABLE, &structure, &values), 0);
        EXPECT_EQ(GisSetFieldNumber(structure, values, 0, row), 1);
        EXPECT_EQ(GisSetFieldValue(structure, values, 1, row == 1 ? "昇" : "b"), 1);
        EXPECT_EQ(GisSetFieldNumber(structure, values, 2, 1.5), 0) << "a long field takes whole numbers";
        EXPECT_EQ(GisSetFieldValue(structure, values, 3, "x"), 0);
        EXPECT_EQ(GisAppendTableRow(table, structure, values), row);
    }
    ASSERT_GT(GisSaveFile(table, "C:\\data\\t.wb", GIS_SAVE_MODE, 0, 0, 0), 0);
    End(workspace, table);
    workspace = GisNewWorkspace(0);
    const short slot = GisGetFileSlot(workspace, GIS_KIND_TABLE);
    ASSERT_GT(GisLoadFile("C:\\data\\t.wb", slot, 0, 0, 0), 0);
    EXPECT_EQ(GisGetObjectCount(workspace), 2);
    const short handle = GisGetFileHandle(workspace);
    ASSERT_GT(GisGetAttribute(handle, GIS_KIND_TABLE, 0, &structure, &values), 0);
    EXPECT_EQ(FieldText(structure, values, 1), "") << "record 0 is the blank record";
    ASSERT_GT(GisGetAttribute(handle, GIS_KIND_TABLE, 1, &structure, &values), 0);
    EXPECT_EQ(FieldText(structure, values, 0), "1");
    EXPECT_EQ(FieldText(structure, values, 1), "昇");
    ASSERT_GT(GisGetAttribute(handle, GIS_KIND_TABLE, 2, &structure, &values), 0);
    EXPECT_EQ(FieldText(structure, values, 1), "b");
    End(workspace, slot);

    // The colour table answers the nearest colour.
    EXPECT_EQ(GisColorNumber(250, 10, 5), 2);
    EXPECT_EQ(GisColorNumber(0, 0, 0), 1);
    EXPECT_EQ(GisColorNumber(200, 190, 185), 16);
}

TEST_F(GisFilesTest, DamagedMissingAndForeignFilesDoNotLoad)
{
    short workspace = 0;
    const short file = NewFile(GIS_KIND_AREA, &workspace);
    const D_DOT ring[] = {{0, 0}, {4, 0}, {4, 4}, {0, 0}};
    ASSERT_EQ(GisWriteLine(file, ring, 4, nullptr, 2), 1);
    const LONG list[] = {1, 1};
    ASSERT_EQ(GisBuildArea(file, list, 2, nullptr), 1);
    ASSERT_GT(GisSaveFile(file, "C:\\data\\a.wp", GIS_SAVE_MODE, 0, 0, 0), 0);
    End(workspace, file);
    const std::string good = dero::testing::ReadFile(OnC("data/a.wp"));
    ASSERT_FALSE(good.empty());

    workspace = GisNewWorkspace(0);
    const short slot = GisGetFileSlot(workspace, GIS_KIND_AREA);
    auto load = [&](const std::string& bytes) {
        dero::testing::WriteFile(OnC("data/b.wp"), bytes);
        return GisLoadFile("C:\\data\\b.wp", slot, 0, 0, 0);
    };
    EXPECT_GT(load(good), 0);
    for (std::size_t size = 0; size < good.size(); size += 37) EXPECT_LT(load(good.substr(0, size)), 0) << size;
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x41);
        EXPECT_LT(load(flipped), 0) << at;
    }
    // With the checksum made right again, the structure checks alone must refuse or take the bytes
    // whole: whatever they take is a file that writes back to the same bytes.
    for (std::size_t at = 0; at + 4 < good.size(); ++at) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string changed = good;
            changed[at] = static_cast<char>(changed[at] ^ mask);
            const auto crc = static_cast<std::uint32_t>(
                crc32_z(0, reinterpret_cast<const Bytef*>(changed.data()), changed.size() - 4));
            std::memcpy(changed.data() + changed.size() - 4, &crc, 4);
            platform::gis::GisDocument document;
            std::string error;
            if (platform::gis::ParseGisDocument(changed, &document, &error))
                EXPECT_EQ(platform::gis::SerializeGisDocument(document), changed) << at;
            else
                EXPECT_FALSE(error.empty());
        }
    }
    EXPECT_EQ(GisLoadFile("C:\\data\\missing.wp", slot, 0, 0, 0), 0);
    // A file of another kind is refused by the slot.
    const short lineSlot = GisGetFileSlot(workspace, GIS_KIND_LINE);
    EXPECT_LT(GisLoadFile("C:\\data\\a.wp", lineSlot, 0, 0, 0), 0);
    EXPECT_EQ(GisGetFileSlot(workspace, 5), 0);
    GisFreeWorkspace(workspace);

    // Every call on a handle that names nothing answers 0.
    EXPECT_EQ(GisSlotHasFile(slot), 0);
    EXPECT_EQ(GisCloseFile(slot, 0), 0);
    EXPECT_EQ(GisFreeSlot(slot), 0);
    EXPECT_EQ(GisFreeWorkspace(workspace), 0);
    EXPECT_EQ(GisFreeRecords(-3), 0);
    EXPECT_EQ(GisGetObjectCount(0), 0);
    EXPECT_EQ(GisIsEmpty(slot), 0);
    EXPECT_EQ(GisSaveFile(slot, "C:\\data\\c.wp", GIS_SAVE_MODE, 0, 0, 0), 0);
}

TEST_F(GisFilesTest, FailedWritesLeaveNothingUnderTheTargetName)
{
    short workspace = 0;
    const short file = NewFile(GIS_KIND_LINE, &workspace);
    const D_DOT line[] = {{0, 0}, {1, 1}};
    ASSERT_EQ(GisWriteLine(file, line, 2, nullptr, 2), 1);
    EXPECT_EQ(GisSaveFile(file, "C:\\nowhere\\x.wl", GIS_SAVE_MODE, 0, 0, 0), 0);
    EXPECT_FALSE(fs::exists(OnC("nowhere")));

    fs::create_directories(OnC("out"));
    {
        platform::win::ScopedFaults faults;
        InjectFault(FaultKind::Write, u"C:\\out\\x.wl*", ERROR_DISK_FULL);
        EXPECT_EQ(GisSaveFile(file, "C:\\out\\x.wl", GIS_SAVE_MODE, 0, 0, 0), 0);
        EXPECT_TRUE(fs::is_empty(OnC("out")));
    }
    // A failed rewrite keeps the earlier file whole.
    ASSERT_GT(GisSaveFile(file, "C:\\out\\x.wl", GIS_SAVE_MODE, 0, 0, 0), 0);
    const std::string before = dero::testing::ReadFile(OnC("out/x.wl"));
    ASSERT_EQ(GisWriteLine(file, line, 2, nullptr, 2), 2);
    {
        platform::win::ScopedFaults faults;
        InjectFault(FaultKind::Write, u"C:\\out\\x.wl*", ERROR_DISK_FULL);
        EXPECT_EQ(GisSaveFile(file, "C:\\out\\x.wl", GIS_SAVE_MODE, 0, 0, 0), 0);
    }
    EXPECT_EQ(dero::testing::ReadFile(OnC("out/x.wl")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(OnC("out")), fs::directory_iterator()), 1);
    End(workspace, file);
}

TEST(GisValuesTest, ValuesAreReplacedInPlaceAndPackedAsTheFileStoresThem)
{
    platform::gis::GisValues values{"0", "乗昇", ""};
    values.Set(1, "a much longer value than before");
    values.Set(0, "");
    values.Set(2, "z");
    EXPECT_EQ(values.ToVector(), (std::vector<std::string>{"", "a much longer value than before", "z"}));
    values.Set(1, "b");
    EXPECT_EQ(values[1], "b");
    EXPECT_EQ(values[2], "z");
    EXPECT_EQ(values.Packed(), std::string("\0\0\1\0b\1\0z", 8));
    values.push_back("乗");
    EXPECT_EQ(values.size(), 4u);
    EXPECT_EQ(values, platform::gis::GisValues(std::vector<std::string>{"", "b", "z", "乗"}));
    for (int i = 0; i < 40; ++i) values.push_back(values[3]);  // a value of its own, while its room grows
    EXPECT_EQ(values[43], "乗");
}

// Numbers are stored as the C library reads them: plain decimals, which are read without it, give
// what strtod gives, in integer fields (a fraction refused, a value rounded to a whole number taken)
// and real ones (kept as written), beside texts only strtod takes or nothing does.
TEST(GisValuesTest, NumbersAreStoredAsTheCLibraryReadsThem)
{
    auto expected = [](const platform::gis::GisField& field, const std::string& text, std::string* stored) {
        const std::size_t begin = text.find_first_not_of(' ');
        if (begin == std::string::npos) return *stored = "0", true;
        const std::string number = text.substr(begin, text.find_last_not_of(' ') - begin + 1);
        char* stop = nullptr;
        errno = 0;
        const double value = std::strtod(number.c_str(), &stop);
        if (stop == number.c_str() || *stop != '\0' || errno == ERANGE || !std::isfinite(value)) return false;
        if (field.type == GIS_FIELD_DOUBLE) return *stored = number, true;
        if (value != std::trunc(value) || std::fabs(value) > 9.2e18) return false;
        return *stored = std::to_string(static_cast<long long>(value)), true;
    };
    std::vector<std::string> texts = {"0", "-0", "007", "5.", ".5", "-.5", "-", ".", "", "  ", " 12 ", "1.5.2", "--1",
                                      "+3", "1e3", "0x10", "inf", "nan", "1e400", "12345678901234567.5",
                                      "9007199254740993", "99999999999999999999", "999999999999999999999",
                                      "-9223372036854775808", ".00000000000000000001", "4.000", "12.3456"};
    std::uint64_t bits = 12345;
    for (int i = 0; i < 3000; ++i) {
        bits = bits * 6364136223846793005ull + 1442695040888963407ull;
        std::string digits = std::to_string(bits >> (bits % 48));
        digits.insert(bits % (digits.size() + 1), ".");
        texts.push_back((bits & 1 ? "-" : "") + digits.substr(0, 1 + (bits >> 7) % 20));
    }
    for (std::uint8_t type : {std::uint8_t(GIS_FIELD_LONG), std::uint8_t(GIS_FIELD_DOUBLE)}) {
        const platform::gis::GisField field{"N", type, 20, 3, 1};
        for (const std::string& text : texts) {
            std::string stored = "old", want = "old";
            ASSERT_EQ(platform::gis::NormalizeFieldValue(field, text, &stored), expected(field, text, &want)) << text;
            ASSERT_EQ(stored, want) << text;
        }
    }
}

TEST(GisStreamTest, AFileStreamedInChunksHasTheBytesOfTheWholeFile)
{
    platform::gis::GisDocument document = platform::gis::NewGisDocument(GIS_KIND_POINT);
    for (int i = 0; i < 20000; ++i) {
        platform::gis::GisPoint& point = document.points.emplace_back();
        point.position = {i * 0.5, -i * 0.25};
        point.text = "乗" + std::to_string(i);
        point.values = {std::to_string(i)};
    }
    std::string streamed;
    int chunks = 0;
    EXPECT_TRUE(platform::gis::SerializeGisDocument(document, [&](std::string_view bytes) {
        streamed += bytes;
        return ++chunks > 0;
    }));
    EXPECT_GT(chunks, 1);
    EXPECT_EQ(streamed, platform::gis::SerializeGisDocument(document)) << "the check sum runs across chunks";
    chunks = 0;
    EXPECT_FALSE(platform::gis::SerializeGisDocument(document, [&](std::string_view) { return ++chunks < 2; }));
}

}  // namespace
