#include "cadastral/house_annotation_conversion.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cadastral/config_file.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/region_selection.h"
#include "cadastral/string_helpers.h"
#include "cadastral/text_strings.h"
#include "cadastral/toolkit_text.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/view_window.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_view_record.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"
#include "progress_scope.h"

namespace cadastral {

using drawingutil::Opened;

namespace {

constexpr const char* kTableName = "Convert_FWZJ.DEF";
constexpr const char* kHouseLayer = "JMD";
constexpr const char* kMiret = "MIRET";
constexpr const char* kUnknownStructure = "9";
constexpr const char* kPlainHouseStructure = "6";
constexpr const char* kPlainHouseCode = "141200";

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The suffix "-1" (structure) or "-2" (floors) on an eight-character code; 0 for any other code.
int AnnotationKind(const std::string& code)
{
    if (code.size() != 8 || code[6] != '-')
        return 0;
    return code[7] == '1' ? 1 : code[7] == '2' ? 2 : 0;
}

bool IsHouse(const std::string& code)
{
    if (code.size() != 6 || code.compare(0, 3, "141") != 0)
        return false;
    std::string featureClass;
    if (!FindCodeRecord(code, featureClass))
        return false;
    return platform::text::GbkEqualNoCase(featureClass, "FW") || platform::text::GbkEqualNoCase(featureClass, "TFW");
}

const StructureWord* FindWord(const std::vector<StructureWord>& table, const std::string& text)
{
    for (const StructureWord& line : table)
        if (platform::text::GbkEqualNoCase(line.word, text))
            return &line;
    return nullptr;
}

// Item 0 of the entity's feature data only: the floor count after it must stay.
void Recode(AcDbObjectId id, const std::string& code)
{
    WriteEntityXData(id, kMiret, code.c_str(), kXDataString, 0, false, true, false);
}

bool ReadFloorCount(AcDbObjectId house, std::string& text)
{
    return ReadEntityXData(house, kMiret, text, kXDataReal, 1, false, false);
}

void WriteFloorCount(AcDbObjectId house, const std::string& floors)
{
    WriteEntityXData(house, kMiret, floors.c_str(), kXDataReal, 1, false, true, false);
}

void WriteStructure(const ads_name house, const std::string& structureCode)
{
    SetXData(house, "FWJG", kXDataString, structureCode.c_str());
}

AcGePoint3d Centroid(const AcGePoint2dArray& points)
{
    double x = 0, y = 0;
    for (int i = 0; i < points.length(); ++i) {
        x += points[i].x;
        y += points[i].y;
    }
    const double n = points.isEmpty() ? 1.0 : points.length();
    return AcGePoint3d(x / n, y / n, 0);
}

// The view of the start, put back on every way out of the command.
class ViewKeeper {
public:
    ViewKeeper() : saved_(SaveViewState(view_)) {}
    ~ViewKeeper()
    {
        if (saved_)
            acedSetCurrentView(&view_, nullptr);
    }
    ViewKeeper(const ViewKeeper&) = delete;
    ViewKeeper& operator=(const ViewKeeper&) = delete;

private:
    AcDbViewTableRecord view_;
    bool saved_;
};

// What one house's texts say, from its group or from inside its outline. Every house is looked at
// before any is changed: a selection after each change would have the host index the drawing anew.
struct HousePlan {
    AcDbObjectId id;
    std::string code;
    AcDbObjectId group;  // null: the house has none yet
    bool structureInGroup = false;
    std::string groupStructureCode;
    bool floorsInGroup = false;
    std::string groupFloors;
    AcDbObjectId structureText;
    std::string structureCode;
    const StructureWord* matched = nullptr;
    AcDbObjectId floorText;
    std::string floors;
    AcGePoint2dArray outline;
};

void ScanGroup(const AcDbGroup* group, const std::vector<StructureWord>& table, HousePlan& plan)
{
    AcDbObjectIdArray members;
    group->allEntityIds(members);
    std::string code, text;
    for (int i = 0; i < members.length(); ++i) {
        ads_name member;
        if (members[i] == plan.id || acdbGetAdsName(member, members[i]) != Acad::eOk)
            continue;
        GetEntityCode(member, code);
        const int kind = AnnotationKind(code);
        if (kind == 1 && !plan.structureInGroup) {
            plan.structureInGroup = true;
            GetEntityTextString(member, text);
            const StructureWord* line = FindWord(table, text);
            plan.groupStructureCode = line != nullptr ? line->structureCode : kUnknownStructure;
        } else if (kind == 2 && !plan.floorsInGroup) {
            plan.floorsInGroup = true;
            GetEntityTextString(member, plan.groupFloors);
        }
    }
}

// The texts on the house layer inside the outline that the group does not already give.
void SearchOutline(const AcDbGroup* group, const std::vector<StructureWord>& table, HousePlan& plan)
{
    drawingutil::SelectionSet inside;
    if (plan.outline.length() < 3)
        return;
    if (!SelectInPolygonByFilter(inside.Fill(), "WP", plan.outline, 0, "text,JMD", "", false)) {
        inside.Drop();
        return;
    }
    AcDbObjectIdArray members;
    if (group != nullptr)
        group->allEntityIds(members);
    const Adesk::Int32 length = inside.Length();
    std::string text;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!inside.At(i, entity, id) || members.contains(id))
            continue;
        if (!GetEntityTextString(entity, text) || text.empty() || text == "—")
            continue;
        if (IsAllDigits(text)) {
            if (!plan.floorsInGroup && plan.floorText.isNull()) {
                plan.floorText = id;
                plan.floors = text;
            }
        } else if (!plan.structureInGroup && plan.structureText.isNull()) {
            plan.structureText = id;
            plan.matched = FindWord(table, text);
            if (plan.matched != nullptr)
                plan.structureCode = plan.matched->structureCode;
            else
                plan.structureCode = plan.code == kPlainHouseCode ? kPlainHouseStructure : kUnknownStructure;
        }
    }
}

HousePlan Survey(const ads_name house, AcDbObjectId id, const std::string& code,
                 const std::vector<StructureWord>& table)
{
    HousePlan plan;
    plan.id = id;
    plan.code = code;
    Opened<AcDbGroup> group;
    if (FindEntityGroup(house, plan.group)) {
        group.openObject(plan.group, AcDb::kForRead);
        if (group)
            ScanGroup(group.get(), table, plan);
        if (plan.structureInGroup && plan.floorsInGroup)
            return plan;
    }
    GetCurvePoints(house, plan.outline, 0);
    SearchOutline(group.get(), table, plan);
    return plan;
}

void AddToGroup(AcDbGroup* group, AcDbObjectId id)
{
    AcDbObjectIdArray members;
    group->allEntityIds(members);
    if (!members.contains(id))
        group->append(id);
}

// False when the house's group can be neither found nor made.
bool ConvertHouse(const HousePlan& plan, double h)
{
    ads_name house;
    if (acdbGetAdsName(house, plan.id) != Acad::eOk)
        return true;
    AcDbObjectId groupId = plan.group;
    if (groupId.isNull() && !CreateEntityGroup(house, groupId))
        return false;
    Opened<AcDbGroup> group(groupId, AcDb::kForWrite);
    if (!group)
        return false;

    if (plan.structureInGroup)
        WriteStructure(house, plan.groupStructureCode);
    if (plan.floorsInGroup) {
        std::string stored;
        if (!ReadFloorCount(plan.id, stored) && !plan.groupFloors.empty())
            WriteFloorCount(plan.id, plan.groupFloors);
    }
    if (plan.structureInGroup && plan.floorsInGroup)
        return true;

    std::string ownCode = plan.code;
    if (plan.matched != nullptr && !plan.matched->houseCode.empty()) {
        ownCode = plan.matched->houseCode;
        if (ownCode != plan.code)
            Recode(plan.id, ownCode);
    }
    const AcGePoint3d centre = Centroid(plan.outline);
    if (!plan.structureInGroup) {
        if (!plan.structureText.isNull()) {
            WriteStructure(house, plan.structureCode);
            AddToGroup(group.get(), plan.structureText);
            Recode(plan.structureText, ownCode + "-1");
        } else {
            std::string structure;
            if (!GetXDataAsText(house, "FWJG", kXDataString, structure) || structure.empty())
                structure = kUnknownStructure;
            WriteStructure(house, structure);
            CreateStructureText(structure.c_str(), centre, h, (ownCode + "-1").c_str(), group.get());
        }
    }
    if (!plan.floorsInGroup) {
        if (!plan.floorText.isNull()) {
            WriteFloorCount(plan.id, plan.floors);
            AddToGroup(group.get(), plan.floorText);
            Recode(plan.floorText, ownCode + "-2");
        } else {
            std::string floors;
            ReadFloorCount(plan.id, floors);
            const std::size_t dot = floors.rfind('.');
            if (dot != std::string::npos)
                floors.erase(dot);
            if (!floors.empty() && floors != "1") {
                const AcDbObjectId text = CreateText(AcGePoint3d(centre.x + 6 * h, centre.y, 0), floors.c_str(),
                                                     "m", (ownCode + "-2").c_str(), 3 * h, 0, -1);
                if (!text.isNull()) PlaceText(text, kHouseLayer, group.get());
            }
        }
    }
    return true;
}

}  // namespace

std::vector<StructureWord> ParseStructureWords(const std::vector<std::string>& lines)
{
    std::vector<StructureWord> table;
    std::vector<std::string> fields;
    for (const std::string& line : lines) {
        if (line.compare(0, 2, "//") == 0)
            continue;
        fields.clear();
        SplitString(line, ",", fields);
        if (fields.size() < 2)
            continue;
        StructureWord entry;
        entry.word = Trimmed(fields[0]);
        entry.structureCode = Trimmed(fields[1]);
        if (fields.size() >= 3)
            entry.houseCode = Trimmed(fields[2]);
        table.push_back(std::move(entry));
    }
    return table;
}

AcDbObjectId CreateStructureText(const char* structureCode, const AcGePoint3d& position, double h, const char* code,
                                 AcDbGroup* group)
{
    const std::string value = Trimmed(drawingutil::TextOrEmpty(structureCode));
    const char* text = value == "1" || value == "2" ? "钢"
                       : value == "3"               ? "砼"
                       : value == "4"               ? "混"
                       : value == "5"               ? "砖"
                                                    : "";
    const AcDbObjectId id = CreateText(position, text, "m", code, 3 * h, 0, -1);
    if (!id.isNull()) PlaceText(id, kHouseLayer, group);
    return id;
}

bool EraseDegenerateCurve(AcDbObjectId id)
{
    Opened<AcDbCurve> curve(id, AcDb::kForWrite);
    double end = 0;
    if (!curve || curve->getEndParam(end) != Acad::eOk || !(end < 3))
        return false;
    return curve->erase() == Acad::eOk;
}

bool IsAllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

void CONVERTFWZJ_QZ()
{
    acutPrintf("\n本功能根据System文件夹下的 Convert_FWZJ.DEF 文件,将旧版本中房屋与注记关联在一起,并填写相应的房屋结构层数属性");
    char answer[133] = {};
    acedGetString(0, "\n请按空格键继续...", answer, sizeof answer);

    std::vector<std::string> lines;
    ReadConfigFile(kTableName, lines);
    const std::vector<StructureWord> table = ParseStructureWords(lines);
    double scale = 500;
    GetDrawingScale(scale);
    const double h = scale * 0.001;

    drawingutil::Chain filter(BuildEntityFilter("line,JMD;lwpolyline,JMD;polyline,JMD"));
    int mode = 0;
    const int asked = acedGetInt("\n选择房屋, (0)全部, (1)手动选择 :", &mode);
    if (asked == RTCAN)
        return;
    if (asked != RTNORM)
        mode = 0;
    drawingutil::SelectionSet houses;
    if (mode == 1)
        acutPrintf("\n请拉框选择房屋:");
    if (acedSSGet(mode == 1 ? nullptr : "X", nullptr, nullptr, filter.get(), houses.Fill()) != RTNORM) {
        houses.Drop();
        return;
    }

    ViewKeeper view;
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    const Adesk::Int32 length = houses.Length();
    {
        ProgressScope progress("正在转换房屋注记", static_cast<int>(length));
        std::vector<HousePlan> plans;
        std::string code;
        for (Adesk::Int32 i = 0; i < length; ++i) {
            progress.Step(static_cast<int>(i));
            ads_name house;
            AcDbObjectId id;
            if (!houses.At(i, house, id))
                continue;
            GetEntityCode(house, code);
            if (!IsHouse(code) || EraseDegenerateCurve(id))
                continue;
            plans.push_back(Survey(house, id, code, table));
        }
        houses.Free();
        for (const HousePlan& plan : plans) {
            if (!ConvertHouse(plan, h)) {
                acutPrintf("\n创建编组失败");
                return;
            }
        }
    }
    acutPrintf("\n操作完成.");
}

}  // namespace cadastral
