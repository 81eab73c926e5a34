// The contents of a MapGIS file and of a project as values, with their on-disk form. The library's
// calls work on these; gisdump reads and writes them directly.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gis/bas60.h"
#include "platform/gis/mapprj60.h"

namespace platform::gis {

struct GisField {
    std::string name;  // GBK, at most 19 bytes
    std::uint8_t type = GIS_FIELD_TEXT;
    std::int16_t width = 0;
    std::int16_t decimals = 0;
    std::int16_t flag = 1;
};

// The values of one object or record, one per field, packed as the file keeps them: each a 16-bit
// length and its bytes in one buffer. Files of hundreds of thousands of objects then hold one small
// allocation per object instead of a string per field. Values are at most 255 bytes.
class GisValues {
public:
    GisValues() = default;
    GisValues(const std::vector<std::string>& values);  // NOLINT: a list of values converts freely
    GisValues(std::initializer_list<std::string_view> values);

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view operator[](std::size_t index) const;
    void push_back(std::string_view value);
    // Replaces value `index` (which must exist).
    void Set(std::size_t index, std::string_view value);
    std::vector<std::string> ToVector() const;
    // The packed bytes, exactly as the file stores them; FromPacked takes bytes already checked.
    std::string_view Packed() const { return packed_; }
    static GisValues FromPacked(std::string_view packed, std::size_t count);

    bool operator==(const GisValues& other) const = default;

private:
    // Where value `index` begins (at its length).
    std::size_t Offset(std::size_t index) const;

    std::string packed_;
    std::uint32_t count_ = 0;
};

struct GisPoint {
    D_DOT position{};
    std::string text;
    std::array<BYTE, GIS_POINT_PARAM_SIZE> params{};
    GisValues values;  // one per field
};

struct GisLine {
    std::vector<D_DOT> points;
    std::array<BYTE, GIS_LINE_PARAM_SIZE> params{};
    GisValues values;
};

struct GisArea {
    std::vector<LONG> lines;  // entry 0 is the count of the entries that follow
    std::array<BYTE, GIS_AREA_PARAM_SIZE> params{};
    GisValues values;
};

struct GisDocument {
    short kind = GIS_KIND_LINE;
    std::vector<GisField> fields;
    // Objects are only ever added at the end: deques keep the ones written from being moved again
    // as a file grows to hundreds of thousands of them.
    std::deque<GisPoint> points;
    std::deque<GisLine> lines;
    std::deque<GisArea> areas;
    std::vector<GisValues> rows;  // table records
};

struct GisProjectEntry {
    std::string path;  // as entered
    PRJ_ENTRY record{};
};

struct GisProject {
    std::vector<GisProjectEntry> entries;
};

bool IsGisKind(int kind);
// Coordinates are finite numbers; anything else is damage.
bool IsFinite(const D_DOT& point);
// The blank document of a new file: the "ID" field alone.
GisDocument NewGisDocument(short kind);
// The value a field starts with: "0" for numbers, empty otherwise.
std::string DefaultFieldValue(const GisField& field);
// The stored form of a value set as text; false when the field's type cannot take it.
bool NormalizeFieldValue(const GisField& field, std::string_view text, std::string* stored);
// Entry 0 must count the rest and every other nonzero entry name an existing line.
bool IsValidLineList(const std::vector<LONG>& list, std::size_t lineCount);

// Takes bytes in order; false stops the writing.
using ByteSink = std::function<bool(std::string_view)>;

std::string SerializeGisDocument(const GisDocument& document);
// The same bytes handed to the sink in chunks as they are made; false when the sink refused one.
bool SerializeGisDocument(const GisDocument& document, const ByteSink& sink);
// False with a reason (UTF-8) when the bytes are not a whole, undamaged file.
bool ParseGisDocument(std::string_view bytes, GisDocument* document, std::string* error);
std::string SerializeGisProject(const GisProject& project);
bool ParseGisProject(std::string_view bytes, GisProject* project, std::string* error);
// Tells a project from a file by its first bytes.
bool LooksLikeGisProject(std::string_view bytes);

// Whole files through the Windows file calls (GBK path in Windows form). A write goes to a
// temporary file beside the target and is renamed into place, so a failed write leaves nothing
// under the target's name. Reads fail with 0 (cannot open) or -1 (damaged).
int ReadFileBytes(const std::string& path, std::string* bytes);
int ReadFileBytes(const std::string& path, std::unique_ptr<char[]>* bytes, std::size_t* size);
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// The same, with the bytes made by `write` as it hands them to its sink.
bool WriteFileAtomically(const std::string& path, const std::function<bool(const ByteSink&)>& write);

}  // namespace platform::gis
