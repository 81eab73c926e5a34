#include "browser/info_item.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "browser/byte_stream.h"

namespace {

// Smallest encodings, used to refuse counts that cannot fit in what is left of an image.
constexpr std::size_t kCountBytes = 4;
constexpr std::size_t kPointBytes = 16;

bool SerializeCount(CByteStream& stream, std::size_t& count, std::size_t minElementBytes) {
    std::uint32_t value = static_cast<std::uint32_t>(count);
    bool ok = stream.IsWriting() ? stream.ReadWriteU32(value) : stream.ReadCount(value, minElementBytes);
    count = value;
    return ok;
}

bool SerializePoint(CByteStream& stream, InfoPoint& point) {
    return stream.ReadWriteReal(point.x) && stream.ReadWriteReal(point.y);
}

bool SerializePoints(CByteStream& stream, InfoPointList& points) {
    std::size_t count = points.size();
    if (!SerializeCount(stream, count, kPointBytes)) return false;
    if (!stream.IsWriting()) points.resize(count);
    for (InfoPoint& point : points) {
        if (!SerializePoint(stream, point)) return false;
    }
    return true;
}

bool SerializeInts(CByteStream& stream, std::vector<std::int32_t>& values) {
    std::size_t count = values.size();
    if (!SerializeCount(stream, count, sizeof(std::int32_t))) return false;
    if (!stream.IsWriting()) values.resize(count);
    for (std::int32_t& value : values) {
        if (!stream.ReadWriteI32(value)) return false;
    }
    return true;
}

// A list of lists, each element of which knows how to serialize itself.
template <typename T, typename Each>
bool SerializeLists(CByteStream& stream, std::vector<T>& lists, std::size_t minElementBytes, Each each) {
    std::size_t count = lists.size();
    if (!SerializeCount(stream, count, minElementBytes)) return false;
    if (!stream.IsWriting()) lists.resize(count);
    for (T& list : lists) {
        if (!each(stream, list)) return false;
    }
    return true;
}

bool SerializeStrings(CByteStream& stream, std::vector<std::string>& strings) {
    return SerializeLists(stream, strings, kCountBytes,
                          [](CByteStream& s, std::string& text) { return s.ReadWriteString(text); });
}

bool SerializeRings(CByteStream& stream, std::vector<InfoPointList>& rings) {
    return SerializeLists(stream, rings, kCountBytes, SerializePoints);
}

bool AllFinite(const InfoPointList& points) {
    return std::all_of(points.begin(), points.end(),
                       [](const InfoPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

bool AllFinite(const std::vector<InfoPointList>& lists) {
    return std::all_of(lists.begin(), lists.end(), [](const InfoPointList& list) { return AllFinite(list); });
}

bool AllFinite(const std::vector<std::vector<InfoPointList>>& regions) {
    return std::all_of(regions.begin(), regions.end(),
                       [](const std::vector<InfoPointList>& rings) { return AllFinite(rings); });
}

// The length of the text that AppendItemText builds for entries of these spans: each entry is its
// text and a two-byte line break, and the break is left out while the text is still empty.
bool SpannedTextLength(const std::vector<std::int32_t>& positions, std::int64_t& length) {
    length = 0;
    for (std::size_t k = 1; k < positions.size(); ++k) {
        const std::int64_t span = std::int64_t{positions[k]} - positions[k - 1];
        if (span < 2) return false;
        length += length == 0 ? span - 2 : span;
    }
    return true;
}

}  // namespace

void CInfoItem::AppendItemText(const std::string& text) {
    m_kinds.push_back(kText);
    if (m_textPositions.empty()) m_textPositions.push_back(0);
    m_textPositions.push_back(m_textPositions.back() + static_cast<std::int32_t>(text.size()) + 2);
    m_handleLists.emplace_back();
    m_lineStarts.emplace_back();
    m_lineEnds.emplace_back();
    m_points.emplace_back();
    m_polylines.emplace_back();
    m_regions.emplace_back();
    if (m_text.empty()) {
        m_text = text;
    } else {
        m_text += "\r\n";
        m_text += text;
    }
}

void CInfoItem::AddObjectLinks(const std::vector<std::string>& handles) {
    if (m_handleLists.empty()) return;
    m_handleLists.back() = handles;
    m_kinds.back() = kObjects;
}

void CInfoItem::AddLineLink(const InfoPoint& start, const InfoPoint& end) {
    if (m_lineStarts.empty()) return;
    m_lineStarts.back() = start;
    m_lineEnds.back() = end;
    m_kinds.back() = kLine;
}

void CInfoItem::AddPointLink(const InfoPoint& point) {
    if (m_points.empty()) return;
    m_points.back() = point;
    m_kinds.back() = kPoint;
}

void CInfoItem::AddPolylineLink(const InfoPointList& points) {
    if (m_polylines.empty()) return;
    m_polylines.back() = points;
    m_kinds.back() = kPolyline;
}

void CInfoItem::AddRegionLink(const std::vector<InfoPointList>& rings) {
    if (m_regions.empty()) return;
    m_regions.back() = rings;
    m_kinds.back() = kRegion;
}

void CInfoItem::Clear() {
    m_text.clear();
    m_kinds.clear();
    m_textPositions.clear();
    m_handleLists.clear();
    m_lineStarts.clear();
    m_lineEnds.clear();
    m_points.clear();
    m_polylines.clear();
    m_regions.clear();
}

bool CInfoItem::ReadWriteFields(CByteStream& stream) {
    return stream.ReadWriteString(m_title) && stream.ReadWriteString(m_text) && SerializeInts(stream, m_kinds) &&
           SerializeInts(stream, m_textPositions) &&
           SerializeLists(stream, m_handleLists, kCountBytes, SerializeStrings) &&
           SerializePoints(stream, m_lineStarts) && SerializePoints(stream, m_lineEnds) &&
           SerializePoints(stream, m_points) && SerializeLists(stream, m_polylines, kCountBytes, SerializePoints) &&
           SerializeLists(stream, m_regions, kCountBytes, SerializeRings);
}

bool CInfoItem::IsConsistent() const {
    const std::size_t n = m_kinds.size();
    if (m_handleLists.size() != n || m_lineStarts.size() != n || m_lineEnds.size() != n || m_points.size() != n ||
        m_polylines.size() != n || m_regions.size() != n) {
        return false;
    }
    if (m_textPositions.size() != (n == 0 ? 0 : n + 1)) return false;
    // Link lookup walks the positions in order; they start at 0, every entry takes at least its
    // line break, and no entry lies past the end of the text.
    if (n > 0 && m_textPositions.front() != 0) return false;
    std::int64_t spanned = 0;
    if (!SpannedTextLength(m_textPositions, spanned) || spanned > static_cast<std::int64_t>(m_text.size())) {
        return false;
    }
    if (!std::all_of(m_kinds.begin(), m_kinds.end(), [](std::int32_t kind) { return kind >= kText && kind <= kRegion; })) {
        return false;
    }
    return AllFinite(m_lineStarts) && AllFinite(m_lineEnds) && AllFinite(m_points) && AllFinite(m_polylines) &&
           AllFinite(m_regions);
}

bool CInfoItem::InfoItemSerialize(CByteStream& stream) {
    if (stream.IsWriting()) return ReadWriteFields(stream);
    CInfoItem read;
    if (!read.ReadWriteFields(stream) || !read.IsConsistent()) {
        stream.Fail();
        return false;
    }
    *this = std::move(read);
    return true;
}

bool CInfoItem::Write(CByteStream& stream) const {
    // Writing only reads the fields; the shared code takes them by reference for both directions.
    return stream.IsWriting() && const_cast<CInfoItem*>(this)->ReadWriteFields(stream);
}

bool CInfoItem::operator==(const CInfoItem& other) const {
    return m_title == other.m_title && m_text == other.m_text && m_kinds == other.m_kinds &&
           m_textPositions == other.m_textPositions && m_handleLists == other.m_handleLists &&
           m_lineStarts == other.m_lineStarts && m_lineEnds == other.m_lineEnds && m_points == other.m_points &&
           m_polylines == other.m_polylines && m_regions == other.m_regions;
}

bool WriteInfoItems(CByteStream& stream, const std::vector<CInfoItem>& items) {
    std::size_t count = items.size();
    SerializeCount(stream, count, 0);
    for (const CInfoItem& item : items) {
        if (!item.Write(stream)) return false;
    }
    return true;
}

bool ReadInfoItems(CByteStream& stream, std::vector<CInfoItem>& items) {
    std::size_t count = 0;
    // An item takes at least ten counts or lengths.
    if (!SerializeCount(stream, count, 10 * kCountBytes)) return false;
    std::vector<CInfoItem> read(count);
    for (CInfoItem& item : read) {
        if (!item.InfoItemSerialize(stream)) return false;
    }
    // Nothing follows the last item: bytes left over mean a count or a length that was damaged.
    if (!stream.AtEnd()) {
        stream.Fail();
        return false;
    }
    items = std::move(read);
    return true;
}
