#include "cadastral/merge_commands.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cadastral/attribute_data.h"
#include "cadastral/edge_lengths.h"
#include "cadastral/format_real.h"
#include "cadastral/gap_fusion.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/region_selection.h"
#include "cadastral/settings.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/polyline_vertices.h"
#include "geometry/point_in_polygon.h"
#include "platform/cad/db_group.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/ui/afx_wnd.h"

namespace cadastral {
namespace {

constexpr const char* kAbandoned = "\n操作被放弃!";
constexpr const char* kFaceTagApp = "HH";

struct Dialogue {
    std::string prompt;
    const char* rangeMessage;
    double largest;
    std::string question;  // holds "%f" for the distance
};

// Asks for the distance (Enter keeps min_dist), checks its range and asks for confirmation.
// False when the user cancelled, gave a distance out of range or said No.
bool AskDistance(const Dialogue& dialogue, double& distance) {
    distance = Settings().min_dist;
    double answer = 0.0;
    const int status = acedGetReal(dialogue.prompt.c_str(), &answer);
    if (status == RTNORM)
        distance = answer;
    else if (status != RTNONE)
        return false;
    if (!(distance > 0.0 && distance <= dialogue.largest)) {
        acutPrintf("%s", dialogue.rangeMessage);
        return false;
    }
    char question[512];
    std::snprintf(question, sizeof question, dialogue.question.c_str(), distance);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        acutPrintf("%s", kAbandoned);
        return false;
    }
    return true;
}

std::string WithDefault(const char* format, const std::string& value) {
    char text[256];
    std::snprintf(text, sizeof text, format, value.c_str());
    return text;
}

// The prompt and question of the commands that name their class.
Dialogue NamedDialogue(const char* className) {
    char prompt[256];
    std::snprintf(prompt, sizeof prompt, "\n请输入 %s 融合的最小距离,<%s米>:", className,
                  FormatReal(Settings().min_dist).c_str());
    // The class name goes in now; "%f" stays for the distance.
    const std::string question = std::string("您确定要把距离小于 %f 米的 ") + className + " 顶点融合吗?";
    return {prompt, "\n融合的最小距离不能大于1米,也不能小于0米.", 1.0, question};
}

void RenewEdgeLengths(AcDbObjectId id, double h) {
    ads_name parcel;
    if (acdbGetAdsName(parcel, id) != Acad::eOk) return;
    AcDbObjectId groupId;
    const bool hadGroup = FindEntityGroup(parcel, groupId);
    if (!hadGroup && !CreateEntityGroup(parcel, groupId)) return;
    AcDbGroup* group = nullptr;
    if (OpenGroup(group, groupId, AcDb::kForWrite) != Acad::eOk || group == nullptr) return;
    if (hadGroup) EraseGroupEdgeLengths(group);
    AcGePoint2dArray ring;
    if (GetCurvePoints(parcel, ring, 0)) AnnotateRingEdgeLengths(ring, h, kEdgeLengthCode, group);
    group->close();
}

}  // namespace

void CombineTB() {
    const Dialogue dialogue{WithDefault("\n请输入图斑融合的最小距离,<%s米>:", FormatReal(Settings().min_dist)),
                            "\n整合的最小距离不能大于1米,也不能小于0米.", 1.0,
                            "您确定要把距离小于 %f 米的图斑顶点融合吗?"};
    double distance = 0.0;
    if (!AskDistance(dialogue, distance)) return;
    AcDbObjectIdArray modified;
    FuseBoundaryPointGaps("*polyline,", "310000", modified, 3, distance);
}

void CombineZD() {
    const Dialogue dialogue{WithDefault("\n请输入界址点融合的最小距离,<%s米>:", FormatReal(Settings().min_dist)),
                            "\n界址点融合的距离不能大于0.1米,也不能小于0米!", 0.1,
                            "您确定要把距离小于 %f 米的界址点融合吗?"};
    double distance = 0.0;
    if (!AskDistance(dialogue, distance)) return;
    AcDbObjectIdArray modified;
    std::optional<std::vector<AcDbObjectId>> parcels;
    FuseBoundaryPointGaps("*polyline,", kParcelCode, modified, 3, distance, parcels);
    double scale = 500.0;
    GetDrawingScale(scale);
    const double h = scale * 0.001;
    // The parcels the fusion selected are the ones the points go onto.
    if (parcels)
        SnapPointsToLines("circle,jzp", kBoundaryPointCode, *parcels, h * 0.5);
    else
        SnapPointsToLines("circle,jzp", kBoundaryPointCode, "*polyline,", kParcelCode, h * 0.5);
    // A parcel named twice is renewed twice; the second run replaces the texts of the first.
    for (int i = 0; i < modified.length(); ++i) RenewEdgeLengths(modified[i], h);
    acutPrintf("\n操作完成!");
}

void Combinetbxzq() {
    double distance = 0.0;
    if (!AskDistance(NamedDialogue("图斑、行政区"), distance)) return;
    AcDbObjectIdArray modified;
    FusePatchDistrictGaps("*polyline,dlj", "310000", "*polyline,xzq", "321000", modified, 3, distance);
}

void CombinePoly() {
    int choice = 1;
    if (acedGetInt(nullptr, &choice) != RTNORM) choice = 1;
    const char* filterText = nullptr;
    const char* codes = nullptr;
    const char* className = nullptr;
    if (choice == 1) {
        filterText = "*polyline,dlj";
        codes = "310000";
        className = "图斑";
    } else if (choice == 2) {
        filterText = "*polyline,jmd";
        codes = "141???";
        className = "房屋";
    } else {
        return;
    }
    double distance = 0.0;
    if (!AskDistance(NamedDialogue(className), distance)) return;
    AcDbObjectIdArray modified;
    FuseBoundaryPointGaps(filterText, codes, modified, 3, distance);
}

void testqzj() {
    ads_name picked;
    ads_point at;
    if (acedEntSel("选择宗地", picked, at) != RTNORM) return;
    AcGePoint2dArray outline;
    if (!GetCurvePoints(picked, outline, 0) || outline.length() < 3) return;
    ads_name selection;
    if (!SelectInPolygonByFilter(selection, "WP", outline, 1.0, "*POLYLINE,JZD", "", true)) return;
    std::vector<geometry::PointList> faces;
    CheckParcelBoundaryPoints(selection, faces);
    acedSSFree(selection);
}

void CheckParcelBoundaryPoints(const ads_name selection, std::vector<geometry::PointList>& faces) {
    faces.clear();
    Adesk::Int32 count = 0;
    if (acedSSLength(selection, &count) != RTNORM || count == 0) return;
    std::vector<geometry::DoubleList> bulges;
    BuildFacesFromSelection(selection, kParcelCode, faces, bulges);

    struct Inside {
        ads_name entity;
        AcGePoint2d point;
    };
    std::vector<Inside> parcels;
    std::string code;
    for (Adesk::Int32 i = 0; i < count; ++i) {
        Inside parcel{};
        if (acedSSName(selection, i, parcel.entity) != RTNORM) continue;
        GetEntityCode(parcel.entity, code);
        if (code != kParcelCode) continue;
        AcGePoint2dArray ring;
        // Without a point inside, the parcel's face is unknown: it stays untagged.
        if (!GetCurvePoints(parcel.entity, ring, 0) || !FindInteriorPoint(ring, parcel.point)) continue;
        parcels.push_back(parcel);
    }
    for (std::size_t face = 0; face < faces.size(); ++face) {
        for (const Inside& parcel : parcels) {
            if (geometry::PointInPolygon(faces[face], parcel.point.x, parcel.point.y) == -1)
                SetXDataLong(parcel.entity, kFaceTagApp, static_cast<long>(face) + 2);
        }
    }
}

}  // namespace cadastral
