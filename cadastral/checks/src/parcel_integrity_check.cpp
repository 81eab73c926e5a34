#include "cadastral/parcel_integrity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "browser_client/browser_client.h"
#include "cadastral/boundary_line_coding.h"
#include "cadastral/entity_selection.h"
#include "cadastral/feature_picking.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/region_selection.h"
#include "check_steps.h"
#include "drawingutil/handle_keys.h"
#include "entity_attributes.h"
#include "parcel_houses.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/message_pump.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/view_window.h"
#include "geometry/point2d.h"
#include "geometry/point_list_offset.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_text.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

using detail::EntityAttributes;
using detail::SelectionSet;

constexpr const char* kApp = "MIRET";
constexpr double kSamePlace = 0.01;
// Points of a selection's polygon or fence closer than this to the one before reach the host once;
// offsets below it count as none.
constexpr double kFenceGap = 0.001;
// How far the window that takes a parcel's houses is grown beyond its outline.
constexpr double kHouseReach = -1.0;
constexpr const char* kHouseFilter = "lwpolyline,JMD;polyline,JMD";
// The longest "<table>的<field>为空" finding, in bytes.
constexpr std::size_t kMaxEmptyFieldText = 159;
constexpr const char* kTitles[] = {kParcelTitle,        kNoteTitle,  kBoundaryLineTitle,
                                   kBoundaryPointTitle, kHouseTitle, kHouseParcelWarningTitle,
                                   kParcelWarningTitle};

std::uint64_t Key(AcDbObjectId id) { return id.isNull() ? 0 : drawingutil::HandleKey(id.handle()); }

bool IsSimpleHouseCode(const std::string& code) {
    return code == "141200" || code == "141300" || code == "141400";
}

// The members of the entity's group, when it has one.
bool GroupMembers(AcDbObjectId entity, AcDbObjectIdArray& members) {
    ads_name name;
    AcDbObjectId groupId;
    if (acdbGetAdsName(name, entity) != Acad::eOk || !FindEntityGroup(name, groupId))
        return false;
    AcDbGroup* group = nullptr;
    if (acdbOpenObject(group, groupId, AcDb::kForRead) != Acad::eOk)
        return false;
    group->allEntityIds(members);
    group->close();
    return true;
}

// Without the closing repeat of the first point.
AcGePoint2dArray OpenRing(const AcGePoint2dArray& ring) {
    AcGePoint2dArray open = ring;
    if (open.length() > 1 && open.first().isEqualTo(open.last()))
        open.removeLast();
    return open;
}

bool NearAnyVertex(const AcGePoint2dArray& vertices, const AcGePoint2d& point) {
    for (int i = 0; i < vertices.length(); ++i)
        if (point.distanceTo(vertices[i]) < kSamePlace)
            return true;
    return false;
}

// The points of a polygon or fence that the host is handed: each one not within kFenceGap of the
// one kept before.
AcGePoint2dArray HandedPoints(const AcGePoint2dArray& fence) {
    AcGePoint2dArray handed;
    for (int j = 0; j < fence.length(); ++j) {
        const AcGePoint2d& p = fence[j];
        if (!handed.isEmpty()) {
            const AcGePoint2d& last = handed.last();
            if (std::sqrt(geometry::SquaredDistance({last.x, last.y}, {p.x, p.y})) < kFenceGap)
                continue;
        }
        handed.append(p);
    }
    return handed;
}

// The error markers of earlier checks.
void EraseOldMarkers() {
    SelectionSet markers;
    if (SelectByFilter(markers.Fill(), "lwpolyline,ERROR", "", false)) {
        const int length = markers.Length();
        for (int i = 0; i < length; ++i) {
            ads_name entity;
            if (acedSSName(markers.Name(), i, entity) == RTNORM)
                acdbEntDel(entity);
        }
    } else {
        markers.Drop();
    }
}

}  // namespace

bool& RequireParcelAnnotations() {
    static bool require = true;
    return require;
}

const CheckGroup* FindCheckTable(const char* name) {
    for (const CheckGroup& group : Tables().checkGroups)
        if (platform::text::GbkEqualNoCase(group.name.c_str(), name))
            return &group;
    acutPrintf("\nAttributeCheck.def中没有这个表，表名 %s", name);
    return nullptr;
}

void ParcelIntegrityChecker::Report(const char* title, const std::string& text, AcDbObjectId id) {
    defect_ = true;
    ReportEntityIdToBrowser(title, text.c_str(), id);
}

void ParcelIntegrityChecker::UseDrawingReadings(const BoundaryPointIndex* index,
                                                std::vector<std::pair<std::string, AcDbObjectId>> labels) {
    givenIndex_ = index;
    labels_ = std::move(labels);
    labelsGiven_ = true;
}

void ParcelIntegrityChecker::BuildLabelIndex() {
    if (labelsGiven_) {
        if (labels_.empty())
            acutPrintf("\n图上没有界址点注记");
        return;
    }
    labels_.clear();
    SelectionSet texts;
    if (SelectByFilter(texts.Fill(), "TEXT,JZP", "", false)) {
        const int length = texts.Length();
        for (int i = 0; i < length; ++i) {
            ads_name entity;
            AcDbObjectId id;
            if (!texts.At(i, entity, id))
                continue;
            std::string code, label;
            GetEntityCode(entity, code);
            if (code != "301001")
                continue;
            AcDbText* text = nullptr;
            if (acdbOpenObject(text, id, AcDb::kForRead) != Acad::eOk)
                continue;
            label = text->textStringConst();
            text->close();
            labels_.emplace_back(std::move(label), id);
        }
    } else {
        texts.Drop();
    }
    // Sorted once: equal labels keep their drawing order, the first of them is the one found.
    std::stable_sort(labels_.begin(), labels_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (labels_.empty())
        acutPrintf("\n图上没有界址点注记");
}

int ParcelIntegrityChecker::FindLabel(const std::string& label) const {
    auto it = std::lower_bound(labels_.begin(), labels_.end(), label,
                               [](const auto& entry, const std::string& key) { return entry.first < key; });
    if (it == labels_.end() || it->first != label)
        return -1;
    return static_cast<int>(it - labels_.begin());
}

void ParcelIntegrityChecker::CheckSingleParcel() {
    acutPrintf("\n功能：单宗地数据关联关系完整性校验");
    ads_name picked;
    if (!PickEntityByCodePrefix("宗地", "30000", picked))
        return;
    AcDbObjectId id;
    if (acdbGetObjectId(id, picked) != Acad::eOk || id.isNull())
        return;
    parcels_.setLogicalLength(0);
    parcels_.append(id);
    BuildLabelIndex();
    EraseOldMarkers();
    CheckParcelAssociations();
}

bool ParcelIntegrityChecker::CheckParcelsForExport() {
    EraseOldMarkers();
    BuildLabelIndex();
    CheckParcelAssociations();
    return defect_;
}

void ParcelIntegrityChecker::CheckParcelAssociations() {
    detail::ZoomExtents();
    defect_ = false;
    houseWithoutNotes_ = false;
    for (const char* title : kTitles)
        ClearBrowserItem(title);
    const int count = parcels_.length();
    // The points are read once for the run, not once per parcel.
    std::optional<BoundaryPointIndex> own;
    index_ = givenIndex_ != nullptr ? givenIndex_ : &own.emplace();
    // So are the houses' outlines when there is more than one parcel: a parcel's window that
    // clearly takes no house or one is then answered from them instead of by a selection.
    std::optional<cadastral::WindowOutlines> houses;
    houses_ = count > 1 ? &houses.emplace(detail::ReadParcelHouses()) : nullptr;
    acedSetStatusBarProgressMeter("正在进行检查...", 0, count);
    ForgetReadings();
    labelMissing_.resize(labels_.size());
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        PumpMessages();
        CheckParcel(parcels_[i]);
    }
    houses_ = nullptr;
    ForgetReadings();
    index_ = nullptr;
    acedRestoreStatusBar();
    ShowBrowser();
}

void ParcelIntegrityChecker::CheckParcel(AcDbObjectId parcel) {
    current_ = parcel;
    // The parcel's data serve its notes' check too: it is one of its group's members.
    std::optional<EntityAttributes> parcelData;
    if (const CheckGroup* table = FindCheckTable("ZD"))
        CheckRequiredFields(parcel, parcelData.emplace(parcel), table);

    ads_name name;
    if (acdbGetAdsName(name, parcel) != Acad::eOk)
        return;
    std::vector<AcGePoint2dArray> lines;
    CollectBoundaryLines(name, lines, index_);
    if (lines.empty()) {
        acutPrintf("无法提到宗地的界址线");
        return;
    }
    // A boundary line's attributes sit on the vertex that starts it.
    if (const CheckGroup* table = FindCheckTable("JZX")) {
        for (const AcGePoint2dArray& line : lines) {
            AcDbObjectId vertex;
            if (line.isEmpty() || !FindVertexAtPoint(parcel, line.first(), vertex))
                vertex = AcDbObjectId();
            CheckRequiredFields(vertex, table);
        }
    }

    std::vector<BoundaryPoint> points;
    AcDbObjectIdArray houses;
    CollectContents(parcel, points, houses);

    const CheckGroup* pointTable = FindCheckTable("JZD");
    if (pointTable != nullptr) {
        for (const BoundaryPoint& point : points)
            ReportMissingFields(point.id, pointTable, ReadPoint(point, pointTable).missing);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            if (points[i].position.distanceTo(points[j].position) >= kSamePlace)
                continue;
            AcDbObjectIdArray pair;
            pair.append(points[i].id);
            pair.append(points[j].id);
            defect_ = true;
            ReportEntitiesToBrowser(kBoundaryPointTitle, "两个界址点重叠", pair);
        }
    }

    // A house is read once for its fields and its notes.
    std::vector<EntityAttributes> houseData;
    houseData.reserve(static_cast<std::size_t>(houses.length()));
    for (int k = 0; k < houses.length(); ++k) {
        AcDbObjectId house = houses[k];
        houseData.emplace_back(house);
    }
    if (const CheckGroup* table = FindCheckTable("FW")) {
        for (int i = 0; i < houses.length(); ++i)
            CheckRequiredFields(houses[i], houseData[static_cast<std::size_t>(i)], table);
    }
    const CheckGroup* notes = FindCheckTable("ZJ");
    if (notes != nullptr) {
        for (int i = 0; i < houses.length(); ++i)
            CheckHouseNotes(houses[i], houseData[static_cast<std::size_t>(i)], notes);
    }
    CheckParcelNotes(parcel, parcelData ? &*parcelData : nullptr, lines.size(), points, pointTable, notes);
}

void ParcelIntegrityChecker::CollectContents(AcDbObjectId parcel, std::vector<BoundaryPoint>& points,
                                             AcDbObjectIdArray& houses) {
    ads_name name;
    if (acdbGetAdsName(name, parcel) != Acad::eOk)
        return;
    AcGePoint2dArray ring;
    if (!ApproximateCurveArcs(name, ring, 6.0)) {
        acutPrintf("\n GetNodesHaveArc 失败");
        return;
    }
    const AcGePoint2dArray window = OpenRing(ring);
    AcGePoint2dArray fence = window;
    if (!fence.isEmpty())
        fence.append(fence.first());

    // A house built up to the parcel line would be lost by a window moved inwards; the window is
    // grown instead, which a neighbour's house cannot fit in.
    std::vector<AcDbObjectId> within;
    const bool answered = HousesWithin(window, within);
    SelectionSet inside;
    if (!answered && !SelectInPolygonByFilter(inside.Fill(), "WP", window, kHouseReach, kHouseFilter, "", false))
        inside.Drop();
    // The points come in the order the fence's selection gives them. Only a circle on one of the
    // vertices can be taken, so the code is read for those alone.
    std::vector<BoundaryPoint> candidates;
    SelectionSet along;
    if (!SelectInPolygonByFilter(along.Fill(), "F", fence, 0.0, "lwpolyline,JMD;polyline,JMD;circle,JZP", "",
                                 false)) {
        along.Drop();
        acutPrintf("\n ssAll error");
        return;
    }
    for (int i = 0, n = along.Length(); i < n; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!along.At(i, entity, id) || id == parcel)
            continue;
        PointRecord& met = RecordOf(id);
        if (!met.centreRead) {
            met.centreRead = true;
            met.circle = GetBoundaryPointCenter(entity, met.centre);
        }
        if (!met.circle || !NearAnyVertex(window, met.centre))
            continue;
        if (IsBoundaryPoint(met, entity))
            candidates.push_back({id, met.centre, &met});
    }
    for (AcDbObjectId id : within) {
        ads_name entity;
        if (id != parcel && acdbGetAdsName(entity, id) == Acad::eOk && detail::CodeOfClass(entity, "FW"))
            houses.append(id);
    }
    for (int i = 0, n = inside.Length(); i < n; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!inside.At(i, entity, id) || id == parcel || !detail::CodeOfClass(entity, "FW"))
            continue;
        houses.append(id);
    }
    // Each point once, at the first vertex it sits on: a closing or doubled vertex would
    // otherwise pair a point with itself.
    for (int k = 0; k < window.length(); ++k) {
        const AcGePoint2d& vertex = window[k];
        for (const BoundaryPoint& candidate : candidates) {
            if (candidate.position.distanceTo(vertex) >= kSamePlace)
                continue;
            const bool known = std::any_of(points.begin(), points.end(),
                                           [&](const BoundaryPoint& p) { return p.id == candidate.id; });
            if (!known)
                points.push_back(candidate);
        }
    }
}

bool ParcelIntegrityChecker::HousesWithin(const AcGePoint2dArray& window, std::vector<AcDbObjectId>& within) const {
    // The polygon the host would be handed: the window grown, without repeated points. Where
    // the window is too small or cannot be grown the host says so.
    if (houses_ == nullptr || window.length() < 3)
        return false;
    geometry::PointList ring;
    for (int j = 0; j < window.length(); ++j) {
        const AcGePoint2d& p = window[j];
        ring.push_back({p.x, p.y});
    }
    if (!geometry::OffsetPointList(ring, kHouseReach, kFenceGap, true))
        return false;
    AcGePoint2dArray grown;
    for (const geometry::Point2d& p : ring)
        grown.append(AcGePoint2d(p.x, p.y));
    AcGePoint3d viewLow, viewHigh;
    return GetViewWindow(viewLow, viewHigh) &&
           houses_->WindowPolygon(HandedPoints(grown), AcGePoint2d(viewLow.x, viewLow.y),
                                  AcGePoint2d(viewHigh.x, viewHigh.y), within);
}

ParcelIntegrityChecker::PointRecord& ParcelIntegrityChecker::RecordOf(AcDbObjectId id) {
    return records_[Key(id)];
}

bool ParcelIntegrityChecker::IsBoundaryPoint(PointRecord& record, const ads_name entity) {
    if (!record.boundaryPoint)
        record.boundaryPoint = detail::CodeOfClass(entity, "JZD");
    return *record.boundaryPoint;
}

const ParcelIntegrityChecker::PointRecord& ParcelIntegrityChecker::ReadPoint(const BoundaryPoint& point,
                                                                             const CheckGroup* pointTable) {
    PointRecord& record = *point.record;
    if (record.dataRead)
        return record;
    record.dataRead = true;
    const EntityAttributes data(point.id);
    if (pointTable != nullptr)
        record.missing = MissingFields(data, pointTable);
    record.label.number = data.Item(kApp, kXDataLong, 2);
    if (data.Item("JZDLX", kXDataString, 0).rfind('2', 0) == 0) {
        record.label.prefix = "T";
    } else {
        record.label.prefix = data.Item(kApp, kXDataString, 1);
        if (record.label.prefix.empty())
            record.label.prefix = "J";
    }
    return record;
}

void ParcelIntegrityChecker::CheckRequiredFields(AcDbObjectId entity, const CheckGroup* table) {
    if (table == nullptr)
        return;
    ReportMissingFields(entity, table, MissingFields(entity, table));
}

void ParcelIntegrityChecker::CheckRequiredFields(AcDbObjectId entity, const EntityAttributes& data,
                                                 const CheckGroup* table) {
    if (table == nullptr)
        return;
    ReportMissingFields(entity, table, MissingFields(data, table));
}

void ParcelIntegrityChecker::ReportMissingFields(AcDbObjectId entity, const CheckGroup* table,
                                                 const std::vector<const CheckField*>& missing) {
    const bool boundaryLine = platform::text::GbkEqualNoCase(table->name.c_str(), "JZX");
    for (const CheckField* field : missing) {
        // "<table>的<field>为空", held to the 159 bytes the message has always been cut to.
        std::string text = table->label.c_str();
        text += "的";
        text += field->text.c_str();
        text += "为空";
        if (text.size() > kMaxEmptyFieldText)
            text.resize(kMaxEmptyFieldText);
        Report(table->label.c_str(), text, boundaryLine || entity.isNull() ? current_ : entity);
    }
}

std::vector<const CheckField*> ParcelIntegrityChecker::MissingFields(AcDbObjectId entity, const CheckGroup* table) {
    // The entity is read in one opening and closed before the findings go out.
    return MissingFields(EntityAttributes(entity), table);
}

std::vector<const CheckField*> ParcelIntegrityChecker::MissingFields(const EntityAttributes& data,
                                                                     const CheckGroup* table) {
    std::vector<const CheckField*> missing;
    const bool parcelTable = platform::text::GbkEqualNoCase(table->name.c_str(), "ZD");
    const bool pointTable = platform::text::GbkEqualNoCase(table->name.c_str(), "JZD");
    {
        const std::string code = data.Code();
        for (const CheckField& field : table->fields) {
            if (field.type != 'M' && field.type != 'm')
                continue;
            const int kind = field.kind;
            std::string value;
            if (kind % 10 == 1) {
                if (kind == 91) {
                    value = data.Item(kApp, kXDataReal, 1);
                    if (value.empty() && code.rfind("141", 0) == 0)
                        value = "1";
                } else {
                    value = data.Item(field.name.c_str(), kXDataShort, 0);
                }
            } else if (kind % 10 == 2 || kind % 10 == 3) {
                value = data.Item(field.name.c_str(), kind % 10 == 2 ? kXDataLong : kXDataReal, 0);
            } else if (parcelTable && kind == 200) {
                value = data.Item(kApp, kXDataString, 1);
            } else if (pointTable && kind == 200) {
                value = data.Item(kApp, kXDataString, 1) + data.Item(kApp, kXDataLong, 2);
            } else if (kind == 220) {
                value = data.Item(kApp, kXDataString, 3);
            } else if (field.name == "FWJG" && (code == "141300" || code == "141400")) {
                continue;
            } else if (field.name == "FWBH" && data.Item("ZDDM", kXDataString, 0).size() != 19) {
                continue;
            } else {
                value = data.Item(field.name.c_str(), kXDataString, 0);
            }
            if (value.empty())
                missing.push_back(&field);
        }
    }
    return missing;
}

void ParcelIntegrityChecker::ForgetReadings() {
    records_.clear();
    labelMissing_.clear();
}

void ParcelIntegrityChecker::CheckHouseNotes(AcDbObjectId house, const EntityAttributes& data,
                                             const CheckGroup* notes) {
    if (IsSimpleHouseCode(data.Code()))
        return;
    const std::string storeyText = data.Item(kApp, kXDataReal, 1);
    const std::string structure = data.Item("FWJG", kXDataString, 0);
    const double storeys = storeyText.empty() ? 0.0 : std::atof(storeyText.c_str());
    const bool needStoreyNote = storeys >= 2.0;
    const bool needStructureNote = !(structure.empty() || structure == "9" || structure == "6");

    AcDbObjectIdArray members;
    if (GroupMembers(house, members)) {
        bool storeyNote = false, structureNote = false;
        // The notes' data as read here serve their own check too: nothing changes them meanwhile.
        std::vector<std::pair<AcDbObjectId, EntityAttributes>> remembered;
        for (int i = 0; i < members.length(); ++i) {
            AcDbObjectId member = members[i];
            // The house is a member of its own group, read already.
            if (member == house && !data.IsText())
                continue;
            EntityAttributes note(member);
            if (!note.IsText())
                continue;
            const std::string noteCode = note.Code();
            if (noteCode.empty())
                continue;
            if (noteCode.find("-1", 1) != std::string::npos)
                structureNote = true;
            else if (noteCode.find("-2", 1) != std::string::npos && storeys > 1.0)
                storeyNote = true;
            remembered.emplace_back(member, std::move(note));
        }
        if (needStoreyNote && !storeyNote)
            Report(kHouseTitle, "没有房屋层数文字注记", house);
        if (needStructureNote && !structureNote)
            Report(kHouseTitle, "没有房屋结构文字注记", house);
        for (const auto& [note, data] : remembered)
            CheckRequiredFields(note, data, notes);
        return;
    }
    if (!storeyText.empty()) {
        houseWithoutNotes_ = true;
        Report(kHouseTitle, "没有房屋层数文字注记", house);
    }
    if (needStructureNote) {
        houseWithoutNotes_ = true;
        Report(kHouseTitle, "没有房屋结构文字注记", house);
    }
}

void ParcelIntegrityChecker::CheckParcelNotes(AcDbObjectId parcel, const EntityAttributes* parcelData,
                                              std::size_t boundaryLines,
                                              const std::vector<BoundaryPoint>& points, const CheckGroup* pointTable,
                                              const CheckGroup* notes) {
    AcDbObjectIdArray members;
    if (!GroupMembers(parcel, members))
        return;
    bool fraction = false, number = false, owner = false, area = false, landClass = false;
    std::size_t lineNotes = 0;
    // The parcel's own notes, then the labels of its points, which its neighbours share.
    AcDbObjectIdArray remembered;
    std::vector<EntityAttributes> ownData;  // the own notes' data, read once for both uses
    for (int j = 0; j < members.length(); ++j) {
        AcDbObjectId member = members[j];
        // The parcel is a member of its own group, read already.
        if (member == parcel && parcelData != nullptr && !parcelData->IsText()) {
            if (parcelData->Code() == "302001")
                fraction = true;
            continue;
        }
        EntityAttributes note(member);
        const std::string code = note.Code();
        if (code == "302001")
            fraction = true;
        if (!note.IsText())
            continue;
        remembered.append(member);
        ownData.push_back(std::move(note));
        if (code == "302002")
            number = true;
        if (code == "302004")
            owner = true;
        if (code == "302005")
            area = true;
        if (code == "302003")
            landClass = true;
        if (code == "302010")
            ++lineNotes;
    }
    if (RequireParcelAnnotations()) {
        if (!number)
            Report(kParcelTitle, "没有宗地号注记", parcel);
        if (!owner)
            Report(kParcelTitle, "没有权利人注记", parcel);
        if (!area)
            Report(kParcelTitle, "没有面积注记", parcel);
        if (!landClass)
            Report(kParcelTitle, "没有地类注记", parcel);
        if (!fraction)
            Report(kParcelWarningTitle, "没有宗地号与地类之间的分数线", parcel);
    }
    if (lineNotes < boundaryLines) {
        char text[64];
        std::snprintf(text, sizeof text, "界址线注记缺少%d个", static_cast<int>(boundaryLines - lineNotes));
        Report(kParcelTitle, text, parcel);
    }
    std::vector<int> labels;  // positions in labels_
    for (const BoundaryPoint& point : points) {
        const PointLabel& key = ReadPoint(point, pointTable).label;
        const int label = FindLabel(key.prefix + key.number);
        if (label >= 0)
            labels.push_back(label);
        else if (!key.number.empty())
            Report(kBoundaryPointTitle, "没有界址点注记", point.id);
    }
    if (notes == nullptr)
        return;
    for (int i = 0; i < remembered.length(); ++i)
        CheckRequiredFields(remembered[i], ownData[static_cast<std::size_t>(i)], notes);
    // A label serves the parcels of its point: its fields are read once for the run.
    for (int label : labels) {
        const std::size_t at = static_cast<std::size_t>(label);
        const AcDbObjectId text = labels_[at].second;
        if (!labelMissing_[at])
            labelMissing_[at] = MissingFields(text, notes);
        ReportMissingFields(text, notes, *labelMissing_[at]);
    }
}

void CHECKSINGLEZD() {
    // The last run's markers go first, so that a cancelled pick leaves none behind.
    EraseOldMarkers();
    ParcelIntegrityChecker checker;
    checker.CheckSingleParcel();
}

void PELGARZDZJ() {
    int choice = 1;
    const int status = acedGetInt(
        "\n输出\"宗地与注记关联关系表（ZD_RE_ZJ）\"时，是否必须检查注记  (1)必须 (2)不用 <1>", &choice);
    if (status == RTNONE)
        choice = 1;
    else if (status != RTNORM)
        return;
    if (choice == 1)
        RequireParcelAnnotations() = true;
    else if (choice == 2)
        RequireParcelAnnotations() = false;
    else
        acutPrintf("\n您输入了错误的选项");
}

}  // namespace cadastral
