// Whether parcels and what belongs to them are complete: the parcel's attributes, its boundary
// lines, its boundary points, its houses, and the notes of the parcel and its houses, as the
// required fields of "attributeCheck.def" ask. Each defect becomes a browser item.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cadastral/config_tables.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

class WindowOutlines;
class BoundaryPointIndex;
namespace detail {
class EntityAttributes;
}

// Whether the export of the registry relation between parcels and notes requires the parcel's
// notes; on at load, switched by PELGARZDZJ.
bool& RequireParcelAnnotations();

inline constexpr const char* kParcelTitle = "宗地";
inline constexpr const char* kBoundaryLineTitle = "界址线";
inline constexpr const char* kBoundaryPointTitle = "界址点";
inline constexpr const char* kHouseTitle = "房屋";
inline constexpr const char* kNoteTitle = "注记";
inline constexpr const char* kHouseParcelWarningTitle = "警告:房屋与宗地";
inline constexpr const char* kParcelWarningTitle = "警告:宗地";

class ParcelIntegrityChecker {
public:
    void AddParcel(AcDbObjectId parcel) { parcels_.append(parcel); }
    // Hands on what a command has read of the drawing already, so that the check does not read it
    // again: its boundary points, and the boundary-point labels ("301001" texts on "JZP") sorted
    // byte-wise, equal ones in drawing order. The index must outlive the check, and neither may
    // have changed since it was read.
    void UseDrawingReadings(const BoundaryPointIndex* index, std::vector<std::pair<std::string, AcDbObjectId>> labels);

    // Lets the user pick one parcel and checks it.
    void CheckSingleParcel();
    // Checks the parcels added; true when a defect was found.
    bool CheckParcelsForExport();
    // Set when a house without a group lacks a note it needs.
    bool HouseWithoutNotes() const { return houseWithoutNotes_; }

private:
    // A boundary point's label text comes from its kind, class letter and number.
    struct PointLabel {
        std::string number;
        std::string prefix;
    };
    // What a run has read of a circle on the points' layer that a parcel's fence meets: its
    // centre, whether it is a boundary point (read only for circles on a vertex), and for a
    // boundary point the required fields it lacks and its label, read in one opening.
    struct PointRecord {
        bool centreRead = false;
        bool circle = false;
        AcGePoint2d centre;
        std::optional<bool> boundaryPoint;
        bool dataRead = false;
        std::vector<const CheckField*> missing;
        PointLabel label;
    };
    struct BoundaryPoint {
        AcDbObjectId id;
        AcGePoint2d position;
        PointRecord* record;
    };

    void BuildLabelIndex();
    // The position of the first label of that text in labels_, or -1.
    int FindLabel(const std::string& label) const;
    void CheckParcelAssociations();
    void CheckParcel(AcDbObjectId parcel);
    void CollectContents(AcDbObjectId parcel, std::vector<BoundaryPoint>& points, AcDbObjectIdArray& houses);
    // The house outline that the window grown from the parcel's outline takes, none or one, from
    // the outlines read for the run; false when only the host's selection can tell.
    bool HousesWithin(const AcGePoint2dArray& window, std::vector<AcDbObjectId>& within) const;
    // Reports the required fields of the table that the entity lacks.
    void CheckRequiredFields(AcDbObjectId entity, const CheckGroup* table);
    // The same for an entity whose data the caller has read already.
    void CheckRequiredFields(AcDbObjectId entity, const detail::EntityAttributes& data, const CheckGroup* table);
    void ReportMissingFields(AcDbObjectId entity, const CheckGroup* table,
                             const std::vector<const CheckField*>& missing);
    std::vector<const CheckField*> MissingFields(AcDbObjectId entity, const CheckGroup* table);
    std::vector<const CheckField*> MissingFields(const detail::EntityAttributes& data, const CheckGroup* table);
    PointRecord& RecordOf(AcDbObjectId id);
    bool IsBoundaryPoint(PointRecord& record, const ads_name entity);
    // The boundary point's missing fields (of the points' table, when there is one) and label.
    const PointRecord& ReadPoint(const BoundaryPoint& point, const CheckGroup* pointTable);
    void ForgetReadings();
    void CheckHouseNotes(AcDbObjectId house, const detail::EntityAttributes& data, const CheckGroup* notes);
    // The parcel's data, when read already, are not read again.
    void CheckParcelNotes(AcDbObjectId parcel, const detail::EntityAttributes* parcelData, std::size_t boundaryLines,
                          const std::vector<BoundaryPoint>& points, const CheckGroup* pointTable,
                          const CheckGroup* notes);
    void Report(const char* title, const std::string& text, AcDbObjectId id);

    AcDbObjectIdArray parcels_;
    const BoundaryPointIndex* index_ = nullptr;
    // Set by UseDrawingReadings: the index and labels_ are not read by the check.
    const BoundaryPointIndex* givenIndex_ = nullptr;
    bool labelsGiven_ = false;
    AcDbObjectId current_;
    bool defect_ = false;
    bool houseWithoutNotes_ = false;
    // The houses' outlines read for a run of more than one parcel.
    const cadastral::WindowOutlines* houses_ = nullptr;
    // Boundary points and their labels belong to several parcels: what one run has read of them
    // is kept for the run, which changes none of them, by handle.
    std::unordered_map<std::uint64_t, PointRecord> records_;
    // Boundary-point labels sorted byte-wise (equal labels in drawing order) with their texts, and
    // the note fields each lacks once read.
    std::vector<std::pair<std::string, AcDbObjectId>> labels_;
    std::vector<std::optional<std::vector<const CheckField*>>> labelMissing_;
};

// The table of "attributeCheck.def" of that name (any letter case); null with a message when
// there is none.
const CheckGroup* FindCheckTable(const char* name);

// The command CHECKSINGLEZD.
void CHECKSINGLEZD();
// The command PELGARZDZJ.
void PELGARZDZJ();

}  // namespace cadastral
