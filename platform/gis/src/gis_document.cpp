#include "platform/gis/gis_document.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/text/gbk.h"

namespace platform::gis {

static_assert(std::endian::native == std::endian::little, "the file format is little-endian");

namespace {

constexpr char kFileMagic[4] = {'D', 'G', 'I', 'S'};
constexpr char kProjectMagic[4] = {'D', 'P', 'R', 'J'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kMaxValueBytes = 255;
constexpr std::size_t kMaxFields = 1024;

// Gathers a file's bytes and their check sum. With a sink, the bytes go out in chunks as they are
// made, so that a large file is never held whole in memory; without one they are kept for Finish.
class Writer {
public:
    Writer() = default;
    explicit Writer(const ByteSink& sink) : sink_(&sink) { bytes_.reserve(kChunk); }

    template <typename T>
    void Put(T value) { Append(&value, sizeof value); }
    void Append(const void* data, std::size_t size)
    {
        if (size == 0) return;
        bytes_.append(static_cast<const char*>(data), size);
        if (sink_ != nullptr && bytes_.size() >= kChunk) Flush();
    }
    void PutText(std::string_view text)
    {
        Put(static_cast<std::uint32_t>(text.size()));
        Append(text.data(), text.size());
    }
    void Reserve(std::size_t size) { bytes_.reserve(size); }
    std::string Finish()
    {
        PutCheckSum();
        return std::move(bytes_);
    }
    // The last bytes and the check sum go to the sink; false when the sink refused any chunk.
    bool FinishToSink()
    {
        PutCheckSum();
        Flush();
        return ok_;
    }

private:
    static constexpr std::size_t kChunk = std::size_t{1} << 20;

    void Flush()
    {
        Sum();
        ok_ = ok_ && (*sink_)(bytes_);
        bytes_.clear();
    }
    void Sum()
    {
        crc_ = crc32_z(crc_, reinterpret_cast<const Bytef*>(bytes_.data()) + summed_, bytes_.size() - summed_);
        summed_ = 0;
    }
    void PutCheckSum()
    {
        Sum();
        const auto crc = static_cast<std::uint32_t>(crc_);
        bytes_.append(reinterpret_cast<const char*>(&crc), sizeof crc);
        summed_ = bytes_.size();
    }

    const ByteSink* sink_ = nullptr;
    std::string bytes_;
    uLong crc_ = 0;
    std::size_t summed_ = 0;  // bytes at the start of bytes_ already in crc_
    bool ok_ = true;
};

// Every read is checked against what is left, so no count or length can reach past the end.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    template <typename T>
    bool Get(T* value)
    {
        if (left() < sizeof(T)) return false;
        std::memcpy(value, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }
    bool GetBytes(void* out, std::size_t size)
    {
        if (left() < size) return false;
        if (size == 0) return true;
        std::memcpy(out, bytes_.data() + pos_, size);
        pos_ += size;
        return true;
    }
    bool GetText(std::string* text, std::size_t maxSize)
    {
        std::uint32_t size = 0;
        if (!Get(&size) || size > maxSize || size > left()) return false;
        text->assign(bytes_.data() + pos_, size);
        pos_ += size;
        return true;
    }
    // A count of items of at least minSize bytes each that can still be in the file.
    bool GetCount(std::uint32_t* count, std::size_t minSize)
    {
        return Get(count) && static_cast<std::uint64_t>(*count) * minSize <= left();
    }
    bool Skip(std::size_t size)
    {
        if (left() < size) return false;
        pos_ += size;
        return true;
    }
    std::size_t left() const { return bytes_.size() - pos_; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// The body between the magic and the checksum, or false when the checksum does not match.
bool CheckFrame(std::string_view bytes, const char (&magic)[4], std::string_view* body, std::string* error)
{
    if (bytes.size() < 4 + 2 + 4 || std::memcmp(bytes.data(), magic, 4) != 0) {
        *error = "not a file of this kind";
        return false;
    }
    std::uint32_t stored = 0;
    std::memcpy(&stored, bytes.data() + bytes.size() - 4, 4);
    const auto crc = static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size() - 4));
    if (crc != stored) {
        *error = "checksum mismatch: the file is damaged or cut short";
        return false;
    }
    std::uint16_t version = 0;
    std::memcpy(&version, bytes.data() + 4, 2);
    if (version != kVersion) {
        *error = "unknown format version " + std::to_string(version);
        return false;
    }
    *body = bytes.substr(6, bytes.size() - 10);
    return true;
}

void PutValues(Writer& out, const GisValues& values) { out.Append(values.Packed().data(), values.Packed().size()); }

// The values are checked in place and taken as one block.
bool GetValues(Reader& in, std::string_view body, std::size_t count, GisValues* values)
{
    const std::size_t begin = body.size() - in.left();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t size = 0;
        if (!in.Get(&size) || size > kMaxValueBytes || size > in.left()) return false;
        if (!in.Skip(size)) return false;
    }
    *values = GisValues::FromPacked(body.substr(begin, body.size() - in.left() - begin), count);
    return true;
}

}  // namespace

GisValues::GisValues(const std::vector<std::string>& values)
{
    std::size_t size = 0;
    for (const auto& value : values) size += sizeof(std::uint16_t) + std::min<std::size_t>(value.size(), UINT16_MAX);
    packed_.reserve(size);
    for (const auto& value : values) push_back(value);
}

GisValues::GisValues(std::initializer_list<std::string_view> values)
{
    for (std::string_view value : values) push_back(value);
}

GisValues GisValues::FromPacked(std::string_view packed, std::size_t count)
{
    GisValues values;
    values.packed_.assign(packed);
    values.count_ = static_cast<std::uint32_t>(count);
    return values;
}

std::size_t GisValues::Offset(std::size_t index) const
{
    std::size_t at = 0;
    for (std::size_t i = 0; i < index; ++i) {
        std::uint16_t size = 0;
        std::memcpy(&size, packed_.data() + at, sizeof size);
        at += sizeof size + size;
    }
    return at;
}

std::string_view GisValues::operator[](std::size_t index) const
{
    const std::size_t at = Offset(index);
    std::uint16_t size = 0;
    std::memcpy(&size, packed_.data() + at, sizeof size);
    return std::string_view(packed_).substr(at + sizeof size, size);
}

namespace {

// A value as it is packed: its length in two bytes, then as many of its bytes.
std::string PackedValue(std::string_view value)
{
    const auto size = static_cast<std::uint16_t>(value.size());
    std::string packed(sizeof size, '\0');
    std::memcpy(packed.data(), &size, sizeof size);
    packed.append(value.data(), size);
    return packed;
}

}  // namespace

void GisValues::push_back(std::string_view value)
{
    // A value taken from these values is copied before the room it lies in can move.
    if (!value.empty() && value.data() >= packed_.data() && value.data() < packed_.data() + packed_.size()) {
        const std::string copy(value);
        push_back(copy);
        return;
    }
    const auto size = static_cast<std::uint16_t>(value.size());
    char length[sizeof size];
    std::memcpy(length, &size, sizeof size);
    packed_.append(length, sizeof size);
    packed_.append(value.data(), size);
    ++count_;
}

void GisValues::Set(std::size_t index, std::string_view value)
{
    const std::size_t at = Offset(index);
    std::uint16_t size = 0;
    std::memcpy(&size, packed_.data() + at, sizeof size);
    packed_.replace(at, sizeof size + size, PackedValue(value));
}

std::vector<std::string> GisValues::ToVector() const
{
    std::vector<std::string> values;
    values.reserve(count_);
    for (std::size_t i = 0, at = 0; i < count_; ++i) {
        std::uint16_t size = 0;
        std::memcpy(&size, packed_.data() + at, sizeof size);
        values.emplace_back(packed_.data() + at + sizeof size, size);
        at += sizeof size + size;
    }
    return values;
}

bool IsFinite(const D_DOT& point) { return std::isfinite(point.x) && std::isfinite(point.y); }

bool IsGisKind(int kind)
{
    return kind == GIS_KIND_LINE || kind == GIS_KIND_POINT || kind == GIS_KIND_AREA || kind == GIS_KIND_TABLE;
}

GisDocument NewGisDocument(short kind)
{
    GisDocument document;
    document.kind = kind;
    document.fields.push_back(GisField{"ID", GIS_FIELD_LONG, 10, 0, 1});
    return document;
}

std::string DefaultFieldValue(const GisField& field)
{
    switch (field.type) {
    case GIS_FIELD_TEXT:
    case GIS_FIELD_DATE:
    case GIS_FIELD_TIME: return {};
    default: return "0";
    }
}

namespace {

// A sign, at most 19 digits and a point among or after them ("-12.340", "7"): the numbers written
// into most fields. Such a number neither overflows nor underflows, and std::from_chars reads it
// as strtod does (both round to the nearest double), without the C library's locale and parsing.
bool IsPlainDecimal(std::string_view text)
{
    if (text.size() > 20) return false;
    std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        if (text[at] >= '0' && text[at] <= '9') {
            ++digits;
        } else if (text[at] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

// The number the whole text reads as, as strtod reads it; false when it is none, or not finite.
bool ReadNumber(const std::string& number, double& value)
{
    const char* const last = number.data() + number.size();
    if (IsPlainDecimal(number)) {
        const std::from_chars_result read = std::from_chars(number.data(), last, value);
        if (read.ec == std::errc() && read.ptr == last) return true;
    }
    char* stop = nullptr;
    errno = 0;
    value = std::strtod(number.c_str(), &stop);
    return stop != number.c_str() && *stop == '\0' && errno != ERANGE && std::isfinite(value);
}

}  // namespace

bool NormalizeFieldValue(const GisField& field, std::string_view text, std::string* stored)
{
    switch (field.type) {
    case GIS_FIELD_TEXT:
    case GIS_FIELD_DATE:
    case GIS_FIELD_TIME: {
        // Text is cut to the field's width (or the value limit) on a character boundary.
        const std::size_t limit = field.width > 0 ? std::min<std::size_t>(field.width, kMaxValueBytes) : kMaxValueBytes;
        // Assigned in place (the text may be the stored value itself), so that its room is reused.
        stored->assign(text.substr(0, platform::text::GbkFitLength(text, limit)));
        return true;
    }
    default: break;
    }
    std::size_t begin = text.find_first_not_of(' ');
    std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string_view::npos) {
        *stored = "0";
        return true;
    }
    const std::string number(text.substr(begin, end - begin + 1));
    double value = 0;
    if (!ReadNumber(number, value)) return false;
    const bool integral = field.type == GIS_FIELD_BYTE || field.type == GIS_FIELD_SHORT || field.type == GIS_FIELD_LONG ||
                          field.type == GIS_FIELD_INT64;
    if (integral) {
        if (value != std::trunc(value) || std::fabs(value) > 9.2e18) return false;
        *stored = std::to_string(static_cast<long long>(value));
    } else {
        *stored = platform::text::TruncateGbk(number, kMaxValueBytes);
    }
    return true;
}

bool IsValidLineList(const std::vector<LONG>& list, std::size_t lineCount)
{
    if (list.size() < 2 || list[0] != static_cast<LONG>(list.size() - 1)) return false;
    for (std::size_t i = 1; i < list.size(); ++i) {
        const LONG entry = list[i];
        if (entry == 0) continue;
        if (entry == INT32_MIN || static_cast<std::size_t>(entry < 0 ? -entry : entry) > lineCount) return false;
    }
    return list[1] != 0;
}

namespace {

// The bytes PutValues writes.
std::size_t ValuesSize(const GisValues& values) { return values.Packed().size(); }

// The size of the serialized document, so that its bytes are gathered without moving them again.
std::size_t SerializedSize(const GisDocument& document)
{
    std::size_t size = 4 + 2 + 2 + 4;
    for (const auto& field : document.fields)
        size += 4 + field.name.size() + sizeof field.type + sizeof field.width + sizeof field.decimals + sizeof field.flag;
    size += 4;
    for (const auto& point : document.points)
        size += sizeof point.position + 4 + point.text.size() + point.params.size() + ValuesSize(point.values);
    size += 4;
    for (const auto& line : document.lines)
        size += 4 + line.points.size() * sizeof(D_DOT) + line.params.size() + ValuesSize(line.values);
    size += 4;
    for (const auto& area : document.areas)
        size += 4 + area.lines.size() * sizeof(LONG) + area.params.size() + ValuesSize(area.values);
    size += 4;
    for (const auto& row : document.rows) size += ValuesSize(row);
    return size + 4;  // the check sum
}

}  // namespace

namespace {

void WriteDocument(Writer& out, const GisDocument& document)
{
    out.Append(kFileMagic, 4);
    out.Put(kVersion);
    out.Put(static_cast<std::uint16_t>(document.kind));
    out.Put(static_cast<std::uint32_t>(document.fields.size()));
    for (const auto& field : document.fields) {
        out.PutText(field.name);
        out.Put(field.type);
        out.Put(field.width);
        out.Put(field.decimals);
        out.Put(field.flag);
    }
    out.Put(static_cast<std::uint32_t>(document.points.size()));
    for (const auto& point : document.points) {
        out.Put(point.position);
        out.PutText(point.text);
        out.Append(point.params.data(), point.params.size());
        PutValues(out, point.values);
    }
    out.Put(static_cast<std::uint32_t>(document.lines.size()));
    for (const auto& line : document.lines) {
        out.Put(static_cast<std::uint32_t>(line.points.size()));
        out.Append(line.points.data(), line.points.size() * sizeof(D_DOT));
        out.Append(line.params.data(), line.params.size());
        PutValues(out, line.values);
    }
    out.Put(static_cast<std::uint32_t>(document.areas.size()));
    for (const auto& area : document.areas) {
        out.Put(static_cast<std::uint32_t>(area.lines.size()));
        out.Append(area.lines.data(), area.lines.size() * sizeof(LONG));
        out.Append(area.params.data(), area.params.size());
        PutValues(out, area.values);
    }
    out.Put(static_cast<std::uint32_t>(document.rows.size()));
    for (const auto& row : document.rows) PutValues(out, row);
}

}  // namespace

std::string SerializeGisDocument(const GisDocument& document)
{
    Writer out;
    out.Reserve(SerializedSize(document));
    WriteDocument(out, document);
    return out.Finish();
}

bool SerializeGisDocument(const GisDocument& document, const ByteSink& sink)
{
    Writer out(sink);
    WriteDocument(out, document);
    return out.FinishToSink();
}

bool ParseGisDocument(std::string_view bytes, GisDocument* document, std::string* error)
{
    std::string_view body;
    if (!CheckFrame(bytes, kFileMagic, &body, error)) return false;
    Reader in(body);
    GisDocument result;
    std::uint16_t kind = 0;
    std::uint32_t count = 0;
    auto fail = [&](const char* what) {
        *error = std::string("damaged ") + what;
        return false;
    };
    if (!in.Get(&kind) || !IsGisKind(kind)) return fail("file kind");
    result.kind = static_cast<short>(kind);
    if (!in.GetCount(&count, 11) || count == 0 || count > kMaxFields) return fail("field list");
    result.fields.resize(count);
    for (auto& field : result.fields) {
        if (!in.GetText(&field.name, 19) || field.name.empty() || !in.Get(&field.type) || field.type > GIS_FIELD_INT64 ||
            !in.Get(&field.width) || !in.Get(&field.decimals) || !in.Get(&field.flag))
            return fail("field");
    }
    const std::size_t fieldCount = result.fields.size();
    const std::size_t valuesSize = fieldCount * 2;
    if (!in.GetCount(&count, 16 + 4 + GIS_POINT_PARAM_SIZE + valuesSize)) return fail("point count");
    // Built one by one rather than cleared in a pass first: large files touch each element once.
    for (std::uint32_t i = 0; i < count; ++i) {
        GisPoint& point = result.points.emplace_back();
        if (!in.Get(&point.position) || !IsFinite(point.position) || !in.GetText(&point.text, 65535) ||
            !in.GetBytes(point.params.data(), point.params.size()) || !GetValues(in, body, fieldCount, &point.values))
            return fail("point");
    }
    if (!in.GetCount(&count, 4 + GIS_LINE_PARAM_SIZE + valuesSize)) return fail("line count");
    for (std::uint32_t i = 0; i < count; ++i) {
        GisLine& line = result.lines.emplace_back();
        std::uint32_t points = 0;
        if (!in.GetCount(&points, sizeof(D_DOT)) || points < 2) return fail("line");
        line.points.resize(points);
        if (!in.GetBytes(line.points.data(), points * sizeof(D_DOT)) ||
            !std::all_of(line.points.begin(), line.points.end(), IsFinite) ||
            !in.GetBytes(line.params.data(), line.params.size()) || !GetValues(in, body, fieldCount, &line.values))
            return fail("line");
    }
    if (!in.GetCount(&count, 4 + GIS_AREA_PARAM_SIZE + valuesSize)) return fail("area count");
    for (std::uint32_t i = 0; i < count; ++i) {
        GisArea& area = result.areas.emplace_back();
        std::uint32_t entries = 0;
        if (!in.GetCount(&entries, sizeof(LONG))) return fail("area");
        area.lines.resize(entries);
        if (!in.GetBytes(area.lines.data(), entries * sizeof(LONG)) ||
            !IsValidLineList(area.lines, result.lines.size()) ||
            !in.GetBytes(area.params.data(), area.params.size()) || !GetValues(in, body, fieldCount, &area.values))
            return fail("area");
    }
    if (!in.GetCount(&count, valuesSize)) return fail("record count");
    result.rows.resize(count);
    for (auto& row : result.rows)
        if (!GetValues(in, body, fieldCount, &row)) return fail("record");
    if (in.left() != 0) return fail("file end");
    *document = std::move(result);
    return true;
}

std::string SerializeGisProject(const GisProject& project)
{
    Writer out;
    out.Append(kProjectMagic, 4);
    out.Put(kVersion);
    out.Put(static_cast<std::uint32_t>(project.entries.size()));
    for (const auto& entry : project.entries) {
        out.PutText(entry.path);
        out.Append(&entry.record, sizeof entry.record);
    }
    return out.Finish();
}

bool ParseGisProject(std::string_view bytes, GisProject* project, std::string* error)
{
    std::string_view body;
    if (!CheckFrame(bytes, kProjectMagic, &body, error)) return false;
    Reader in(body);
    GisProject result;
    std::uint32_t count = 0;
    if (!in.GetCount(&count, 4 + sizeof(PRJ_ENTRY))) {
        *error = "damaged entry count";
        return false;
    }
    result.entries.resize(count);
    for (auto& entry : result.entries) {
        if (!in.GetText(&entry.path, 259) || !in.GetBytes(&entry.record, sizeof entry.record)) {
            *error = "damaged entry";
            return false;
        }
    }
    if (in.left() != 0) {
        *error = "damaged file end";
        return false;
    }
    *project = std::move(result);
    return true;
}

bool LooksLikeGisProject(std::string_view bytes)
{
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kProjectMagic, 4) == 0;
}

}  // namespace platform::gis
