// One tab of the information browser: a title, a text of entries separated by "\r\n", and for each
// entry an optional link to drawing geometry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CByteStream;

struct InfoPoint {
    double x = 0;
    double y = 0;
    bool operator==(const InfoPoint&) const = default;
};

using InfoPointList = std::vector<InfoPoint>;

class CInfoItem {
public:
    // What an entry links to.
    enum Kind : std::int32_t { kText = 0, kObjects = 1, kLine = 2, kPoint = 3, kPolyline = 4, kRegion = 5 };

    CInfoItem() = default;
    CInfoItem(const CInfoItem&) = default;
    CInfoItem& operator=(const CInfoItem&) = default;
    virtual ~CInfoItem() = default;

    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }
    const std::string& Text() const { return m_text; }
    std::size_t EntryCount() const { return m_kinds.size(); }

    const std::vector<std::int32_t>& Kinds() const { return m_kinds; }
    // 0, then for each entry the byte offset at which the next entry would begin.
    const std::vector<std::int32_t>& TextPositions() const { return m_textPositions; }
    const std::vector<std::vector<std::string>>& HandleLists() const { return m_handleLists; }
    const InfoPointList& LineStarts() const { return m_lineStarts; }
    const InfoPointList& LineEnds() const { return m_lineEnds; }
    const InfoPointList& Points() const { return m_points; }
    const std::vector<InfoPointList>& Polylines() const { return m_polylines; }
    const std::vector<std::vector<InfoPointList>>& Regions() const { return m_regions; }

    // Opens a new entry holding text, without a link.
    void AppendItemText(const std::string& text);
    // Each links the last entry; none does anything while the item has no entry.
    void AddObjectLinks(const std::vector<std::string>& handles);
    void AddLineLink(const InfoPoint& start, const InfoPoint& end);
    void AddPointLink(const InfoPoint& point);
    void AddPolylineLink(const InfoPointList& points);
    void AddRegionLink(const std::vector<InfoPointList>& rings);
    // Empties the text and every entry; the title stays.
    void Clear();

    // Writes the item, or reads it in place of this one. A damaged image (cut short, counts beyond
    // what is left, per-entry arrays of different lengths, unknown link kinds, points that are not
    // finite, entries past the end of the text) is refused and leaves this item unchanged.
    bool InfoItemSerialize(CByteStream& stream);
    // The write half of InfoItemSerialize, for items that are only being saved.
    bool Write(CByteStream& stream) const;

    bool operator==(const CInfoItem& other) const;

private:
    bool ReadWriteFields(CByteStream& stream);
    bool IsConsistent() const;

    std::string m_title;
    std::string m_text;
    std::vector<std::int32_t> m_kinds;
    std::vector<std::int32_t> m_textPositions;
    std::vector<std::vector<std::string>> m_handleLists;
    InfoPointList m_lineStarts;
    InfoPointList m_lineEnds;
    InfoPointList m_points;
    std::vector<InfoPointList> m_polylines;
    std::vector<std::vector<InfoPointList>> m_regions;
};

// A whole item list: u32 count, then the items in order.
bool WriteInfoItems(CByteStream& stream, const std::vector<CInfoItem>& items);
// Reads a whole list, which must end the image; on a damaged image returns false and leaves items
// unchanged.
bool ReadInfoItems(CByteStream& stream, std::vector<CInfoItem>& items);
