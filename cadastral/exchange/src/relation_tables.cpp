#include "cadastral/relation_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "cadastral/attribute_data.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/feature_picking.h"
#include "handle_table.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/handle_keys.h"
#include "drawingutil/layers.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/xdata_items.h"
#include "drawingutil/zoom.h"
#include "geometry/box_index.h"
#include "geometry/extents.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

using Selection = drawingutil::SelectionSet;

constexpr const char* kApp = "MIRET";
constexpr const char* kLineNoteCode = "302010";
constexpr const char* kPointNoteCode = "301001";
constexpr const char* kSharedLineCode = "303009";
constexpr const char* kSharedLineLayer = "JZX";
constexpr const char* kLengthApp = "JZXCD";
constexpr double kSharedStartTolerance = 0.000001;
// A line note belongs to a line when the point it names lies this close to one of its vertices.
constexpr double kNotePointTolerance = 0.001;
// Cells of the lookup of the shared-boundary lines by their first point.
constexpr double kCell = 0.01;

std::string Attribute(AcDbObjectId id, const char* application) {
    std::string text;
    if (!ReadEntityXData(id, application, text, kXDataString, 0, true, false)) text.clear();
    return text;
}

// Attribute of an object the caller holds open.
std::string Attribute(const AcDbObject& object, const char* application) {
    resbuf* chain = object.xData(application);
    const std::string text = chain != nullptr && chain->rbnext != nullptr ? drawingutil::ItemText(chain->rbnext, "%.3f") : "";
    acutRelRb(chain);
    return text;
}

long LongAttribute(AcDbObjectId id, const char* application, int index = 0) {
    std::string text;
    if (!ReadEntityXData(id, application, text, kXDataLong, index, true, false)) return 0;
    return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

// Kinds of entity by their class: cheaper than reading the whole definition list for its type.
bool IsText(AcDbObjectId id) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool text = entity->isKindOf(AcDbText::desc());
    entity->close();
    return text;
}

// A polyline of either kind on the layer.
bool IsPolylineOn(AcDbObjectId id, const char* layer) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool wanted = (entity->isKindOf(AcDbPolyline::desc()) || entity->isKindOf(AcDb2dPolyline::desc())) &&
                        platform::text::GbkEqualNoCase(LayerNameOf(entity), layer);
    entity->close();
    return wanted;
}

// Whether the entity is a text, and then its feature code (empty without one), read in one opening.
bool ReadTextCode(AcDbObjectId id, std::string& code) {
    code.clear();
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool text = entity->isKindOf(AcDbText::desc());
    if (text) {
        resbuf* chain = entity->xData(kFeatureCodeApp);
        for (const resbuf* item = chain != nullptr ? chain->rbnext : nullptr; item != nullptr; item = item->rbnext)
            if (item->restype == 1000) {
                if (item->resval.rstring != nullptr) code = item->resval.rstring;
                break;
            }
        acutRelRb(chain);
    }
    entity->close();
    return text;
}

bool IsHouseCode(const std::string& code) {
    std::string featureClass;
    return FindCodeRecord(code, featureClass) && platform::text::GbkEqualNoCase(featureClass, "FW");
}

// The members of the entity's group, in the group's order; none when it is in no group.
AcDbObjectIdArray GroupMembers(AcDbObjectId id) {
    AcDbObjectIdArray members;
    ads_name name;
    AcDbObjectId groupId;
    if (acdbGetAdsName(name, id) != Acad::eOk || !FindEntityGroup(name, groupId)) return members;
    AcDbGroup* group = nullptr;
    if (acdbOpenObject(group, groupId, AcDb::kForRead) != Acad::eOk) return members;
    group->allEntityIds(members);
    group->close();
    return members;
}

std::uint64_t Key(AcDbObjectId id) { return drawingutil::HandleKey(id.handle()); }

// One table of the package: its fields, its file and the progress meter over its main list.
class RelationTable {
public:
    RelationTable(const CRelationExport& context, const char* name, const DbfFieldDef* fields, int count)
        : context_(context), name_(name), fields_(fields), count_(count) {}
    RelationTable(const RelationTable&) = delete;
    RelationTable& operator=(const RelationTable&) = delete;
    ~RelationTable() {
        if (metered_) acedRestoreStatusBar();
        writer.Close();
    }

    TableOutcome Create(int items) {
        std::vector<DbfFieldDescriptor> descriptors;
        try {
            descriptors.assign(static_cast<std::size_t>(count_), DbfFieldDescriptor{});
        } catch (const std::bad_alloc&) {
            return TableOutcome::Refused;
        }
        if (!BuildFieldDescriptors(descriptors.data(), fields_, count_)) return TableOutcome::Refused;
        if (!writer.Create(context_.packageFolder + name_ + ".dbf", descriptors.data(), count_))
            return TableOutcome::Failed;
        const std::string label = std::string("\n正在输出") + name_;
        metered_ = acedSetStatusBarProgressMeter(label.c_str(), 0, std::max(items, 0)) == 0;
        return TableOutcome::Written;
    }
    void Step(int item) {
        if (metered_) acedSetStatusBarProgressMeterPos(item);
    }
    void Row(std::initializer_list<std::pair<const char*, std::string>> texts) {
        for (const auto& [field, text] : texts) writer.SetFieldByName(field, text);
        writer.WriteRecord(true);
    }
    TableOutcome Close() {
        if (metered_) acedRestoreStatusBar();
        metered_ = false;
        return writer.Close() ? TableOutcome::Written : TableOutcome::Failed;
    }

    DbfTableWriter writer;

private:
    const CRelationExport& context_;
    const char* name_;
    const DbfFieldDef* fields_;
    int count_;
    bool metered_ = false;
};

// A boundary line of a parcel: the vertex that holds its codes, its first point and the piece of
// the outline it runs along (empty when no piece starts there).
struct ParcelLine {
    AcDbObjectId carrier;
    std::string code;  // its JZXDM
    AcGePoint2d start;
    AcGePoint2dArray piece;
};

// The parcel's boundary lines in the outline's own order from its first boundary point. The codes
// of a segment sit on the vertex that starts it counter-clockwise, so on a clockwise outline a
// line's codes are on its end vertex and on a counter-clockwise one on its start vertex. False
// when the parcel cannot be read; `whole` tells whether each line has its piece of the outline.
bool ReadParcelLinesOf(AcDbObjectId parcel, const BoundaryPointIndex& index, double pieceTolerance,
                       std::vector<ParcelLine>& lines, bool& whole) {
    lines.clear();
    whole = false;
    // Turned and read once for its lines, its turning sense and its vertices.
    TurnedParcel turned;
    if (!ReadTurnedParcel(parcel, index, turned)) return false;
    const std::vector<AcGePoint2dArray>& pieces = turned.lines;
    // The turning sense of the vertices the boundary keeps (those without a point of the second
    // class alone), so that the points come back in the outline's own order.
    AcGePoint2dArray kept;
    for (int i = 0; i < turned.outline.length(); ++i) {
        const AcGePoint2d& p = turned.outline[i];
        AcGePoint2d centre;
        AcDbObjectId id;
        if (!index.FindBoundaryPoint(p, centre, id) && index.FindSecondClassPoint(p, centre, id)) continue;
        kept.append(p);
    }
    const bool clockwise = IsRingClockwise(kept);
    AcDbObjectIdArray ids;
    AcGePoint2dArray points;
    AcGeDoubleArray lengths;
    if (!CollectTurnedParcelBoundary(parcel, turned.secondClassPoints, ids, points, lengths, clockwise ? 1 : 0))
        return false;
    const int m = points.length();
    if (ids.length() != m) return false;
    lines.reserve(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        ParcelLine line;
        // The id list starts with the vertex of the second point.
        line.carrier = clockwise ? ids[i] : ids[(i + m - 1) % m];
        line.code = Attribute(line.carrier, "JZXDM");
        line.start = points[i];
        for (const AcGePoint2dArray& piece : pieces)
            if (piece.length() >= 2 && piece[0].distanceTo(points[i]) <= pieceTolerance) {
                line.piece = piece;
                break;
            }
        lines.push_back(std::move(line));
    }
    whole = static_cast<int>(pieces.size()) == m;
    return true;
}

}  // namespace

// Three tables read the same parcels' lines and two the same parcels' notes, and nothing they do
// changes them.
struct ParcelLineCache {
    struct Entry {
        bool linesRead = false;
        bool read = false;
        bool whole = false;
        std::vector<ParcelLine> lines;
        bool notesRead = false;
        std::vector<AcDbObjectId> lineNotes;   // texts of the group coded as line notes, in its order
        std::vector<AcDbObjectId> otherNotes;  // its other coded texts but point labels, in its order
    };
    HandleTable<Entry> parcels;
    // The JZXDM of each line given a note, by the handle of the vertex that carries it.
    HandleTable<std::string> notedLineCodes;
};

namespace {

ParcelLineCache::Entry& CacheEntry(CRelationExport& context, AcDbObjectId parcel) {
    if (!context.parcelLines) context.parcelLines = std::make_shared<ParcelLineCache>();
    return *context.parcelLines->parcels.TryEmplace(Key(parcel)).first;
}

// The parcel's lines as read on the run's first request. Pieces and points are the same vertices,
// so one tolerance serves every table.
const std::vector<ParcelLine>* ReadParcelLines(CRelationExport& context, AcDbObjectId parcel,
                                               const BoundaryPointIndex& index, bool& whole) {
    ParcelLineCache::Entry& entry = CacheEntry(context, parcel);
    if (!entry.linesRead) {
        entry.linesRead = true;
        entry.read = ReadParcelLinesOf(parcel, index, kSharedStartTolerance, entry.lines, entry.whole);
    }
    whole = entry.whole;
    return entry.read ? &entry.lines : nullptr;
}

// The parcel's notes as read on the run's first request: the texts of its group by their code.
const ParcelLineCache::Entry& ReadParcelNotes(CRelationExport& context, AcDbObjectId parcel) {
    ParcelLineCache::Entry& entry = CacheEntry(context, parcel);
    if (entry.notesRead) return entry;
    entry.notesRead = true;
    std::string code;
    const AcDbObjectIdArray members = GroupMembers(parcel);
    for (int i = 0; i < members.length(); ++i) {
        const AcDbObjectId member = members[i];
        ads_name name;
        if (!ReadTextCode(member, code) || acdbGetAdsName(name, member) != Acad::eOk) continue;
        if (code == kLineNoteCode)
            entry.lineNotes.push_back(member);
        else if (!code.empty() && code != kPointNoteCode)
            entry.otherNotes.push_back(member);
    }
    return entry;
}

double PieceLength(const AcGePoint2dArray& piece) {
    double length = 0;
    for (int i = 0; i + 1 < piece.length(); ++i) length += piece[i].distanceTo(piece[i + 1]);
    return length;
}

double DistanceToPiece(const AcGePoint2d& p, const AcGePoint2dArray& piece) {
    double best = HUGE_VAL;
    for (int i = 0; i + 1 < piece.length(); ++i) {
        const AcGePoint2d& a = piece[i];
        const AcGePoint2d& b = piece[i + 1];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, p.distanceTo(AcGePoint2d(a.x + t * dx, a.y + t * dy)));
    }
    return best;
}

std::uint64_t CellKey(const AcGePoint2d& p, int dx, int dy) {
    const auto cx = static_cast<std::int64_t>(std::floor(p.x / kCell)) + dx;
    const auto cy = static_cast<std::int64_t>(std::floor(p.y / kCell)) + dy;
    return (static_cast<std::uint64_t>(cx) << 32) ^ static_cast<std::uint64_t>(cy & 0xffffffff);
}

// The first entry of each cell that has one: an open-addressed table, as most look-ups are of
// empty cells round a point.
class CellHeads {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t Find(std::uint64_t cell) const {
        if (slots_.empty()) return kNone;
        for (std::size_t i = Home(cell);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].head == kNone) return kNone;
            if (slots_[i].cell == cell) return slots_[i].head;
        }
    }
    // The cell's head, made `entry` when the cell had none.
    std::size_t Insert(std::uint64_t cell, std::size_t entry) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        std::size_t i = Home(cell);
        for (; slots_[i].head != kNone; i = (i + 1) & (slots_.size() - 1))
            if (slots_[i].cell == cell) return slots_[i].head;
        slots_[i] = {cell, entry};
        ++count_;
        return entry;
    }

private:
    struct Slot {
        std::uint64_t cell = 0;
        std::size_t head = kNone;
    };
    std::size_t Home(std::uint64_t cell) const {
        std::uint64_t h = cell * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
        return static_cast<std::size_t>(h) & (slots_.size() - 1);
    }
    void Grow() {
        std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old)
            if (slot.head != kNone) Insert(slot.cell, slot.head);
    }
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The shared-boundary lines made so far, found by their end points. Each keeps the piece it was
// made through where the run keeps the parcels' lines.
class SharedLines {
public:
    // The line through the same points, either way round, with its GDDM.
    const std::pair<AcDbObjectId, std::string>* Find(const AcGePoint2dArray& piece) const {
        for (int end : {0, piece.length() - 1})
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    for (std::size_t k = cells_.Find(CellKey(piece[end], dx, dy)); k != kNone;
                         k = lines_[k].nextInCell)
                        if (ArePointListsEqual(*lines_[k].points, piece)) return &lines_[k].made;
                }
        return nullptr;
    }
    // The piece must stay where it is while these lines are looked up.
    const std::pair<AcDbObjectId, std::string>* Add(AcDbObjectId id, std::string gddm, const AcGePoint2dArray& piece) {
        // Each cell's lines are chained in the order they were made.
        const std::size_t added = lines_.size();
        const std::size_t head = cells_.Insert(CellKey(piece[0], 0, 0), added);
        if (head != added) {
            std::size_t last = head;
            while (lines_[last].nextInCell != kNone) last = lines_[last].nextInCell;
            lines_[last].nextInCell = added;
        }
        lines_.push_back({{id, std::move(gddm)}, &piece, kNone});
        return &lines_.back().made;
    }

private:
    static constexpr std::size_t kNone = CellHeads::kNone;
    struct Line {
        std::pair<AcDbObjectId, std::string> made;
        const AcGePoint2dArray* points;
        std::size_t nextInCell;  // the next line made in the same cell, or kNone
    };
    std::deque<Line> lines_;  // stays where it is as it grows
    CellHeads cells_;  // each cell's first line
};

// A polyline through the piece with the shared-line code, the boundary line's data and its length.
// It gets all of them before it joins the drawing, so that no change of it need be recorded.
AcDbObjectId CreateSharedLine(const ParcelLine& line, std::string& gddm) {
    auto polyline = std::make_unique<AcDbPolyline>(static_cast<unsigned>(line.piece.length()));
    for (int i = 0; i < line.piece.length(); ++i)
        polyline->addVertexAt(static_cast<unsigned>(i), line.piece[i]);
    resbuf* copied = nullptr;
    {
        AcDbObject* carrier = nullptr;
        if (acdbOpenObject(carrier, line.carrier, AcDb::kForRead) == Acad::eOk) {
            copied = carrier->xData();
            carrier->close();
        }
    }
    // One chain, parsed once: the code, the line's data (whatever code it had gives way), the length
    // as SetXDataReal stores it (its "%f" text read back).
    resbuf* data = acutBuildList(1001, kFeatureCodeApp, 1000, kSharedLineCode, 0);
    resbuf* last = data->rbnext;
    gddm.clear();
    bool skipping = false;
    for (resbuf* item = copied; item != nullptr;) {
        resbuf* next = item->rbnext;
        item->rbnext = nullptr;
        if (item->restype == 1001) {
            skipping = platform::text::GbkEqualNoCase(item->resval.rstring, kFeatureCodeApp);
            if (platform::text::GbkEqualNoCase(item->resval.rstring, "GDDM") && next != nullptr &&
                next->restype == 1000)
                gddm = next->resval.rstring;
        }
        if (skipping) {
            acutRelRb(item);
        } else {
            last->rbnext = item;
            last = item;
        }
        item = next;
    }
    last->rbnext = acutBuildList(1001, kLengthApp, 1040, RealAtSixDecimals(PieceLength(line.piece)), 0);
    polyline->setXData(data);
    acutRelRb(data);
    return drawingutil::FinishCodedEntity(polyline.release(), nullptr, kSharedLineLayer, nullptr);
}

// The parcel's outline, for selecting what lies in it.
bool Outline(AcDbObjectId parcel, AcGePoint2dArray& points) {
    ads_name name;
    return acdbGetAdsName(name, parcel) == Acad::eOk && GetCurvePoints(name, points, 0) && points.length() >= 3;
}

// The inset of the enclosing selection window.
constexpr double kEnclosedInset = 0.3;
// The room a polygon selection makes around its points when it widens the view to them.
constexpr double kSelectionViewMargin = 3.0;

// The boxes of the polylines on the parcel layer, read once for a table. A polyline inside a
// parcel's inset outline lies within that outline's bounds, so a parcel whose bounds, widened
// beyond the inset's reach, hold none of these boxes whole needs no selection: it encloses none.
// Whatever may lie inside is the host's polygon selection to tell, in its order.
class ParcelLayerBoxes {
public:
    ParcelLayerBoxes() : index_(ReadBoxes(ids_, boxes_)) {}

    // Whether a box other than the parcel's lies inside the bounds of the outline, widened beyond
    // the reach of its inset; true also when those bounds cannot be told.
    bool MayEnclose(AcDbObjectId parcel, const AcGePoint2dArray& outline) const {
        double reach = 0;
        if (!InsetReach(outline, kEnclosedInset, reach)) return true;
        geometry::Extents bounds;
        for (int i = 0; i < outline.length(); ++i) bounds.Include(geometry::Point2d{outline[i].x, outline[i].y});
        bounds.Expand(reach);
        if (!std::isfinite(bounds.min.x) || !std::isfinite(bounds.min.y) || !std::isfinite(bounds.max.x) ||
            !std::isfinite(bounds.max.y))
            return true;
        std::vector<std::uint32_t> near;
        index_.Query(bounds, near);
        for (std::uint32_t k : near) {
            const geometry::Extents& box = boxes_[k];
            if (ids_[k] != parcel && box.min.x >= bounds.min.x && box.min.y >= bounds.min.y &&
                box.max.x <= bounds.max.x && box.max.y <= bounds.max.y)
                return true;
        }
        return false;
    }

private:
    // Fills the ids and boxes of the parcel layer's polylines; the boxes are returned for the index.
    static const std::vector<geometry::Extents>& ReadBoxes(std::vector<AcDbObjectId>& ids,
                                                           std::vector<geometry::Extents>& boxes) {
        Selection onLayer;
        if (!SelectByFilter(onLayer.Fill(), "lwpolyline,JZD;polyline,JZD", "", false)) {
            onLayer.Drop();
            return boxes;
        }
        for (int i = 0; i < onLayer.Length(); ++i) {
            ads_name entity;
            AcDbObjectId id;
            AcDbEntity* object = nullptr;
            if (!onLayer.At(i, entity, id) || acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) continue;
            AcDbExtents extents;
            if ((object->isKindOf(AcDbPolyline::desc()) || object->isKindOf(AcDb2dPolyline::desc())) &&
                object->getGeomExtents(extents) == Acad::eOk && !extents.isEmpty()) {
                geometry::Extents box;
                box.Include(geometry::Point2d{extents.minPoint().x, extents.minPoint().y});
                box.Include(geometry::Point2d{extents.maxPoint().x, extents.maxPoint().y});
                ids.push_back(id);
                boxes.push_back(box);
            }
            object->close();
        }
        return boxes;
    }
    // How far the inset of the ring can lie from its points: where the offsets of two edges meet,
    // d / sin(a / 2) from the vertex with a the angle between the edges. False for a ring with a
    // very short edge or a very sharp corner, whose inset cannot be bounded so.
    static bool InsetReach(const AcGePoint2dArray& ring, double distance, double& reach) {
        const int n = ring.length();
        if (n < 3) return false;
        reach = distance;
        for (int i = 0; i < n; ++i) {
            const AcGePoint2d& v = ring[i];
            const AcGeVector2d a = ring[(i + n - 1) % n] - v, b = ring[(i + 1) % n] - v;
            if (a.length() < kShortEdge || b.length() < kShortEdge) return false;
            const double cosine = std::clamp(a.dotProduct(b) / (a.length() * b.length()), -1.0, 1.0);
            const double halfSine = std::sqrt((1.0 - cosine) / 2.0);  // sin of half the angle
            if (halfSine < kSharpCorner) return false;
            reach = std::max(reach, distance / halfSine);
        }
        reach += kShortEdge;
        return true;
    }
    static constexpr double kShortEdge = 0.001;
    static constexpr double kSharpCorner = 0.05;

    // Declared before the index, which is built from them.
    std::vector<AcDbObjectId> ids_;
    std::vector<geometry::Extents> boxes_;
    geometry::BoxIndex index_;
};

// The parcels lying inside the parcel, in selection order, without itself.
std::vector<AcDbObjectId> EnclosedParcels(AcDbObjectId parcel, const ParcelLayerBoxes& boxes, Selection& found) {
    std::vector<AcDbObjectId> inside;
    AcGePoint2dArray outline;
    if (!Outline(parcel, outline)) return inside;
    if (!boxes.MayEnclose(parcel, outline)) {
        // The view moves as the selection would have moved it.
        EnsurePointsVisible(outline, kSelectionViewMargin);
        return inside;
    }
    Selection window;
    if (!SelectByPolygon(outline, "WP", window.Fill(), kEnclosedInset)) {
        window.Drop();
        return inside;
    }
    for (int i = 0; i < window.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!window.At(i, entity, id) || id == parcel || !IsPolylineOn(id, "JZD")) continue;
        std::string code;
        GetEntityCode(entity, code);
        if (code != kParcelCode) continue;
        inside.push_back(id);
        if (!found.Held()) {
            if (acedSSAdd(entity, nullptr, found.Fill()) != RTNORM) found.Drop();
        } else {
            found.Add(entity);
        }
    }
    return inside;
}

// The outlines of the groups the enclosed parcels form together.
std::vector<AcGePoint2dArray> EnclosedRings(const Selection& enclosed) {
    std::vector<geometry::PointList> rings;
    std::vector<geometry::DoubleList> bulges;
    BuildFacesFromSelection(enclosed.Name(), kParcelCode, rings, bulges);
    std::vector<AcGePoint2dArray> out;
    for (const geometry::PointList& ring : rings) {
        AcGePoint2dArray points;
        for (const geometry::Point2d& p : ring) points.append(AcGePoint2d(p.x, p.y));
        out.push_back(std::move(points));
    }
    return out;
}

// Attributes as read on their first request within one table, which changes none of them: a
// boundary point ends two lines, and each line gives two rows.
class AttributeReader {
public:
    const std::string& Read(AcDbObjectId id, const std::string& application) {
        auto [at, added] = read_.try_emplace(std::to_string(Key(id)) + '\0' + application);
        if (added) at->second = Attribute(id, application.c_str());
        return at->second;
    }

private:
    std::unordered_map<std::string, std::string> read_;
};

void BuildBoundaryLineCodesWith(AttributeReader& reader, DbfTableWriter& writer, const DbfFieldDef* fields,
                                int count, AcDbObjectId line, AcDbObjectId start, AcDbObjectId end, int number) {
    const AcDbObjectId point = number == 1 ? start : end;
    for (int i = 0; i < count; ++i) {
        const DbfFieldDef& field = fields[i];
        const std::string name(field.name, strnlen(field.name, sizeof(field.name)));
        if (name == "JZXDM") {
            writer.SetFieldByName(name, reader.Read(line, "JZXDM"));
        } else if (field.kind == 0 || field.kind == 20) {
            writer.SetFieldByName(name, reader.Read(point, name));
        } else if (field.kind == 10) {
            writer.SetFieldByName(name, reader.Read(line, name));
        }
    }
}

}  // namespace

void BuildBoundaryLineCodes(DbfTableWriter& writer, const DbfFieldDef* fields, int count, AcDbObjectId line,
                            AcDbObjectId start, AcDbObjectId end, int number) {
    AttributeReader reader;
    BuildBoundaryLineCodesWith(reader, writer, fields, count, line, start, end, number);
}

TableOutcome WriteJzxReGd(CRelationExport& context, const BoundaryPointIndex& index) {
    static const DbfFieldDef kFields[] = {{"JZXDM", 0, 30, 0}, {"GDDM", 0, 30, 0}};
    struct Pair {
        // JZXDM of the boundary line and GDDM of the shared line, where the run keeps them.
        const std::string* line;
        const std::string* shared;
    };
    // First the shared-boundary lines, one per piece of outline however many parcels share it.
    std::vector<Pair> pairs;
    SharedLines made;
    acdbRegApp(kLengthApp);
    acdbRegApp(kFeatureCodeApp);
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        bool whole = false;
        const std::vector<ParcelLine>* lines = ReadParcelLines(context, parcel.id, index, whole);
        if (lines == nullptr || !whole) continue;
        for (const ParcelLine& line : *lines) {
            if (line.piece.isEmpty()) continue;
            const std::pair<AcDbObjectId, std::string>* shared = made.Find(line.piece);
            if (shared == nullptr) {
                std::string gddm;
                const AcDbObjectId id = CreateSharedLine(line, gddm);
                if (id.isNull()) continue;
                shared = made.Add(id, std::move(gddm), line.piece);
                context.sharedLines.append(id);
            }
            pairs.push_back({&line.code, &shared->second});
        }
    }
    RelationTable table(context, "jzx_re_gd", kFields, 2);
    if (const TableOutcome created = table.Create(static_cast<int>(pairs.size())); created != TableOutcome::Written)
        return created;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        table.Step(static_cast<int>(i));
        table.writer.SetFieldByName("JZXDM", *pairs[i].line);
        table.writer.SetFieldByName("GDDM", *pairs[i].shared);
        table.writer.WriteRecord(true);
    }
    return table.Close();
}

TableOutcome WriteZdReJzx(CRelationExport& context, const BoundaryPointIndex& index) {
    static const DbfFieldDef kFields[] = {{"ZDDM", 900, 30, 0}, {"JZXDM", 0, 30, 0}, {"SXH", 2, 10, 0}, {"HH", 1, 10, 0}};
    RelationTable table(context, "zd_re_jzx", kFields, 4);
    if (const TableOutcome created = table.Create(static_cast<int>(context.parcels.size()));
        created != TableOutcome::Written)
        return created;
    const int sequenceField = table.writer.FindField("SXH");
    const int ringField = table.writer.FindField("HH");
    const ParcelLayerBoxes boxes;
    int item = 0;
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        table.Step(item++);
        bool whole = false;
        const std::vector<ParcelLine>* lines = ReadParcelLines(context, parcel.id, index, whole);
        if (lines == nullptr) continue;
        int sequence = 0;
        auto row = [&](const ParcelLine& line, long ring) {
            table.writer.SetFieldByName("ZDDM", parcel.code);
            table.writer.SetFieldByName("JZXDM", line.code);
            table.writer.SetFieldReal(sequenceField, ++sequence);
            table.writer.SetFieldReal(ringField, static_cast<double>(ring));
            table.writer.WriteRecord(true);
        };
        for (const ParcelLine& line : *lines) row(line, 1);
        // The inner rings: the lines of the parcels inside it, but not those between two of them.
        Selection enclosed;
        const std::vector<AcDbObjectId> inside = EnclosedParcels(parcel.id, boxes, enclosed);
        if (inside.empty()) continue;
        const std::vector<AcGePoint2dArray> rings = EnclosedRings(enclosed);
        for (AcDbObjectId inner : inside) {
            const long ring = LongAttribute(inner, "HH");
            const std::vector<ParcelLine>* innerLines = ReadParcelLines(context, inner, index, whole);
            if (innerLines == nullptr) continue;
            for (const ParcelLine& line : *innerLines)
                if (!IsPointInsideAnyRing(line.piece, rings)) row(line, ring);
        }
    }
    return table.Close();
}

TableOutcome WriteJzxReJzd(CRelationExport& context, const BoundaryPointIndex& index) {
    static const DbfFieldDef kFields[] = {{"JZXDM", 10, 30, 0}, {"JZDDM", 20, 30, 0}};
    RelationTable table(context, "jzx_re_jzd", kFields, 2);
    if (const TableOutcome created = table.Create(static_cast<int>(context.parcels.size()));
        created != TableOutcome::Written)
        return created;
    // Codes compare without letter case; a line shared by two parcels is written under the first.
    TextSet written;
    HandleSet pairedLines, pairedNotes;
    struct Note {
        AcDbObjectId id;
        AcGePoint2d position;
        bool named = false;  // it names the first point of its line
        AcGePoint2d named_at;
    };
    // A boundary point's JZDDM as read on its first request: a point ends two lines at least.
    HandleTable<std::string> pointCodes;
    auto pointCode = [&](AcDbObjectId point) -> const std::string& {
        auto [at, added] = pointCodes.TryEmplace(Key(point));
        if (added) *at = Attribute(point, "JZDDM");
        return *at;
    };
    int item = 0;
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        table.Step(item++);
        std::vector<Note> notes;
        for (AcDbObjectId member : ReadParcelNotes(context, parcel.id).lineNotes) {
            ads_name entity;
            if (acdbGetAdsName(entity, member) != Acad::eOk) continue;
            Note note;
            note.id = member;
            // Its place and the point it names, read while it is open.
            AcDbText* text = nullptr;
            if (acdbOpenObject(text, member, AcDb::kForRead) == Acad::eOk) {
                note.position = AcGePoint2d(text->position().x, text->position().y);
                double x = 0, y = 0;
                note.named = GetXDataReal(*text, "JZX_ZJ_X", x) && GetXDataReal(*text, "JZX_ZJ_Y", y);
                note.named_at = AcGePoint2d(x, y);
                text->close();
            }
            notes.push_back(note);
        }
        if (notes.empty()) continue;
        bool whole = false;
        const std::vector<ParcelLine>* lines = ReadParcelLines(context, parcel.id, index, whole);
        if (lines == nullptr || !whole) continue;
        for (const ParcelLine& line : *lines) {
            const std::string key = platform::text::GbkToUpper(line.code);
            if (written.Contains(key) || line.piece.isEmpty()) continue;
            AcGePoint2d centre;
            AcDbObjectId start, end;
            if (index.FindBoundaryPoint(line.piece[0], centre, start) &&
                index.FindBoundaryPoint(line.piece[line.piece.length() - 1], centre, end)) {
                written.Insert(key);
                // The line's JZXDM is its code as the run read it; then the point's JZDDM.
                for (AcDbObjectId point : {start, end}) {
                    table.writer.SetFieldByName("JZXDM", line.code);
                    table.writer.SetFieldByName("JZDDM", pointCode(point));
                    table.writer.WriteRecord(true);
                }
            }
            // Of the notes naming a point of the line, the one lying nearest to it.
            if (pairedLines.Contains(Key(line.carrier))) continue;
            const Note* chosen = nullptr;
            double nearest = HUGE_VAL;
            for (const Note& note : notes) {
                if (!note.named) continue;
                bool atVertex = false;
                for (int i = 0; i < line.piece.length(); ++i)
                    if (line.piece[i].distanceTo(note.named_at) <= kNotePointTolerance) atVertex = true;
                if (!atVertex || pairedNotes.Contains(Key(note.id))) continue;
                const double distance = DistanceToPiece(note.position, line.piece);
                if (distance < nearest) {
                    nearest = distance;
                    chosen = &note;
                }
            }
            if (chosen == nullptr) continue;
            pairedLines.Insert(Key(line.carrier));
            pairedNotes.Insert(Key(chosen->id));
            *context.parcelLines->notedLineCodes.TryEmplace(Key(line.carrier)).first = line.code;
            context.lineNoteLines.append(line.carrier);
            context.lineNoteTexts.append(chosen->id);
        }
    }
    return table.Close();
}

TableOutcome WriteZdReZj(CRelationExport& context, const BoundaryPointIndex&) {
    static const DbfFieldDef kFields[] = {{"ZDDM", 900, 30, 0}, {"ZJDM", 0, 30, 0}};
    RelationTable table(context, "zd_re_zj", kFields, 2);
    if (const TableOutcome created = table.Create(static_cast<int>(context.parcels.size()));
        created != TableOutcome::Written)
        return created;
    int item = 0;
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        table.Step(item++);
        for (AcDbObjectId member : ReadParcelNotes(context, parcel.id).otherNotes) {
            table.Row({{"ZDDM", parcel.code}, {"ZJDM", Attribute(member, "ZJDM")}});
            if (!context.wholeDrawing) context.exportList.append(member);
        }
    }
    return table.Close();
}

TableOutcome WriteJzdReZj(CRelationExport& context, const BoundaryPointIndex&) {
    static const DbfFieldDef kFields[] = {{"JZDDM", 0, 30, 0}, {"ZJDM", 0, 30, 0}};
    std::vector<std::pair<long, AcDbObjectId>> points;
    for (int i = 0; i < context.boundaryPoints.length(); ++i)
        points.emplace_back(LongAttribute(context.boundaryPoints[i], "JZDH"), context.boundaryPoints[i]);
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    RelationTable table(context, "jzd_re_zj", kFields, 2);
    if (const TableOutcome created = table.Create(static_cast<int>(points.size())); created != TableOutcome::Written)
        return created;
    int item = 0;
    for (const auto& [number, id] : points) {
        table.Step(item++);
        const std::string kind = Attribute(id, "JZDLX");
        std::string key = kind.rfind('2', 0) == 0 ? "T" : "J";
        std::string serial;
        if (ReadEntityXData(id, kApp, serial, kXDataLong, 2, true, false)) key += serial;
        auto at = std::lower_bound(context.notes.begin(), context.notes.end(), key,
                                   [](const CRelationExport::Note& note, const std::string& k) { return note.text < k; });
        if (at == context.notes.end() || at->text != key) continue;
        context.exportList.append(at->id);
        table.Row({{"JZDDM", Attribute(id, "JZDDM")}, {"ZJDM", Attribute(at->id, "ZJDM")}});
    }
    return table.Close();
}

TableOutcome WriteJzxReZj(CRelationExport& context, const BoundaryPointIndex&) {
    static const DbfFieldDef kFields[] = {{"JZXDM", 0, 30, 0}, {"ZJDM", 0, 30, 0}};
    const int count = std::min(context.lineNoteLines.length(), context.lineNoteTexts.length());
    if (count == 0) {
        acutPrintf("\n当前图上没有界址线注记");
        return TableOutcome::Refused;
    }
    std::vector<std::pair<long, int>> order;
    for (int i = 0; i < count; ++i) order.emplace_back(LongAttribute(context.lineNoteLines[i], "JZXH"), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    RelationTable table(context, "jzx_re_zj", kFields, 2);
    if (const TableOutcome created = table.Create(count); created != TableOutcome::Written) return created;
    int item = 0;
    for (const auto& [number, i] : order) {
        table.Step(item++);
        AcDbEntity* note = nullptr;
        if (acdbOpenObject(note, context.lineNoteTexts[i], AcDb::kForRead) != Acad::eOk) continue;
        const std::string noteCode = Attribute(*note, "ZJDM");
        note->close();
        // The line's code as the run read it with its lines, which nothing has changed since.
        const std::string* lineCode = context.parcelLines != nullptr
                                          ? context.parcelLines->notedLineCodes.Find(Key(context.lineNoteLines[i]))
                                          : nullptr;
        table.Row({{"JZXDM", lineCode != nullptr ? *lineCode : Attribute(context.lineNoteLines[i], "JZXDM")},
                   {"ZJDM", noteCode}});
    }
    return table.Close();
}

TableOutcome WriteFwReZj(CRelationExport& context, const BoundaryPointIndex&) {
    static const DbfFieldDef kFields[] = {{"FWDM", 0, 30, 0}, {"ZJDM", 0, 30, 0}};
    auto houseRows = [&](RelationTable& table, AcDbObjectId house) {
        const std::string code = Attribute(house, "FWDM");
        const AcDbObjectIdArray members = GroupMembers(house);
        for (int i = 0; i < members.length(); ++i) {
            const AcDbObjectId member = members[i];
            ads_name entity;
            if (!IsText(member) || acdbGetAdsName(entity, member) != Acad::eOk) continue;
            table.Row({{"FWDM", code}, {"ZJDM", Attribute(member, "ZJDM")}});
            if (!context.wholeDrawing) context.exportList.append(member);
        }
    };
    RelationTable table(context, "fw_re_zj", kFields, 2);
    if (context.wholeDrawing) {
        Selection houses;
        if (!SelectByFilter(houses.Fill(), "*polyline,jmd", "", false)) houses.Drop();
        if (const TableOutcome created = table.Create(houses.Length()); created != TableOutcome::Written)
            return created;
        for (int i = 0; i < houses.Length(); ++i) {
            table.Step(i);
            ads_name entity;
            AcDbObjectId id;
            if (!houses.At(i, entity, id)) continue;
            std::string code;
            GetEntityCode(entity, code);
            if (IsHouseCode(code) && !Attribute(id, "ZDDM").empty()) houseRows(table, id);
        }
        return table.Close();
    }
    if (const TableOutcome created = table.Create(static_cast<int>(context.parcels.size()));
        created != TableOutcome::Written)
        return created;
    int item = 0;
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        table.Step(item++);
        // Houses built up to the parcel line cross it; the parcel code tells whose they are.
        AcGePoint2dArray outline;
        Selection found;
        if (!Outline(parcel.id, outline) || !SelectByPolygon(outline, "CP", found.Fill(), 0.0)) {
            found.Drop();
            continue;
        }
        for (int i = 0; i < found.Length(); ++i) {
            ads_name entity;
            AcDbObjectId id;
            if (!found.At(i, entity, id) || !IsPolylineOn(id, "JMD")) continue;
            std::string code;
            GetEntityCode(entity, code);
            if (code == "141200" || code == "141300" || code == "141400" || !IsHouseCode(code)) continue;
            if (!platform::text::GbkEqualNoCase(Attribute(id, "ZDDM"), parcel.code)) continue;
            houseRows(table, id);
            context.exportList.append(id);
        }
    }
    return table.Close();
}

bool WriteRelationTables(CRelationExport& context, const BoundaryPointIndex& index) {
    struct Step {
        const char* name;
        TableOutcome (*write)(CRelationExport&, const BoundaryPointIndex&);
    };
    static const Step kSteps[] = {{"jzx_re_gd", WriteJzxReGd}, {"zd_re_jzx", WriteZdReJzx},
                                  {"jzx_re_jzd", WriteJzxReJzd}, {"zd_re_zj", WriteZdReZj},
                                  {"jzd_re_zj", WriteJzdReZj}, {"jzx_re_zj", WriteJzxReZj},
                                  {"fw_re_zj", WriteFwReZj}};
    for (const Step& step : kSteps) {
        const TableOutcome outcome = step.write(context, index);
        if (outcome == TableOutcome::Written) continue;
        acutPrintf("\n生成%s失败", step.name);
        if (outcome == TableOutcome::Failed) return false;
    }
    return true;
}

}  // namespace cadastral
