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
    struct BoundaryPoint {
        AcDbObjectId id;
        AcGePoint2d position;
    };
    // What a run has read of an entity the fence of a parcel meets: a circle's centre, and whether
    // it is a boundary point (read only for circles on a vertex).
    struct FenceEntity {
        bool circle = false;
        AcGePoint2d centre;
        std::optional<bool> boundaryPoint;
    };
    // A boundary point's label text comes from its kind, class letter and number.
    struct PointLabel {
        std::string number;
        std::string prefix;
    };

    void BuildLabelIndex();
    bool FindLabel(const std::string& label, AcDbObjectId& text) const;
    void CheckParcelAssociations();
    void CheckParcel(AcDbObjectId parcel);
    void CollectContents(AcDbObjectId parcel, std::vector<BoundaryPoint>& points, AcDbObjectIdArray& houses);
    // Reports the required fields of the table that the entity lacks; what is found of a shared
    // entity is kept for the run.
    void CheckRequiredFields(AcDbObjectId entity, const CheckGroup* table, bool shared = false);
    // The same for an entity whose data the caller has read already.
    void CheckRequiredFields(AcDbObjectId entity, const detail::EntityAttributes& data, const CheckGroup* table);
    void ReportMissingFields(AcDbObjectId entity, const CheckGroup* table,
                             const std::vector<const CheckField*>& missing);
    std::vector<const CheckField*> MissingFields(AcDbObjectId entity, const CheckGroup* table);
    std::vector<const CheckField*> MissingFields(const detail::EntityAttributes& data, const CheckGroup* table);
    FenceEntity& ReadFenceEntity(const ads_name entity, AcDbObjectId id);
    const PointLabel& ReadPointLabel(AcDbObjectId point);
    void ForgetReadings();
    void CheckHouseNotes(AcDbObjectId house, const CheckGroup* notes);
    void CheckParcelNotes(AcDbObjectId parcel, std::size_t boundaryLines,
                          const std::vector<BoundaryPoint>& points, const CheckGroup* notes);
    void Report(const char* title, const std::string& text, AcDbObjectId id);

    AcDbObjectIdArray parcels_;
    const BoundaryPointIndex* index_ = nullptr;
    // Set by UseDrawingReadings: the index and labels_ are not read by the check.
    const BoundaryPointIndex* givenIndex_ = nullptr;
    bool labelsGiven_ = false;
    AcDbObjectId current_;
    bool defect_ = false;
    bool houseWithoutNotes_ = false;
    // Boundary points, their labels and circles belong to several parcels: what one run has read of
    // them is kept for the run, which changes none of them.
    std::unordered_map<const CheckGroup*, std::unordered_map<std::uint64_t, std::vector<const CheckField*>>> missing_;
    std::unordered_map<std::uint64_t, FenceEntity> fenceEntities_;
    std::unordered_map<std::uint64_t, PointLabel> pointLabels_;
    // Boundary-point labels sorted byte-wise (equal labels in drawing order) with their texts.
    std::vector<std::pair<std::string, AcDbObjectId>> labels_;
};

// The table of "attributeCheck.def" of that name (any letter case); null with a message when
// there is none.
const CheckGroup* FindCheckTable(const char* name);

// The command CHECKSINGLEZD.
void CHECKSINGLEZD();
// The command PELGARZDZJ.
void PELGARZDZJ();

}  // namespace cadastral
