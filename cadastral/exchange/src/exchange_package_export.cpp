#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/exchange_package.h"
#include "cadastral/feature_picking.h"
#include "cadastral/folder_tree.h"
#include "cadastral/main_app_services.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/parcel_integrity.h"
#include "cadastral/relation_tables.h"
#include "cadastral/settings.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/handle_keys.h"
#include "handle_table.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_set.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_text.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"
#include "platform/win/files.h"

namespace cadastral {
namespace {

constexpr const char* kApp = "MIRET";
constexpr const char* kParcelCode = "300000";
constexpr const char* kPointNoteCode = "301001";

using Selection = drawingutil::SelectionSet;

std::string& RememberedBaseFolder() {
    static std::string folder = "..\\demo\\";
    return folder;
}

std::string Item(AcDbObjectId id, const char* application, int index) {
    std::string text;
    if (!ReadEntityXData(id, application, text, kXDataString, index, true, false)) return {};
    return text;
}

std::string CodeOf(const ads_name entity) {
    std::string code;
    GetEntityCode(entity, code);
    return code;
}

std::string TextOf(AcDbObjectId id) {
    std::string text;
    AcDbText* note = nullptr;
    if (acdbOpenObject(note, id, AcDb::kForRead) == Acad::eOk) {
        text = note->textStringConst();
        note->close();
    }
    return text;
}

bool IsPolyline(const ads_name entity, std::string& typeName) {
    GetEntityTypeName(entity, typeName);
    return typeName == "LWPOLYLINE" || typeName == "POLYLINE";
}

// The status bar shows what is analysed for as long as the holder lives.
class ProgressText {
public:
    explicit ProgressText(const char* label) : shown_(label != nullptr) {
        if (shown_) acedSetStatusBarProgressMeter(label, 0, 100);
    }
    ~ProgressText() {
        if (shown_) acedRestoreStatusBar();
    }
    ProgressText(const ProgressText&) = delete;
    ProgressText& operator=(const ProgressText&) = delete;

private:
    bool shown_;
};

// Runs the host's UNDO with the option; the group opened by "G" is always closed and rolled back
// by the holder, whatever path the export takes after it.
class UndoGroup {
public:
    UndoGroup() { acedCommand(RTSTR, "UNDO", RTSTR, "G", RTNONE); }
    ~UndoGroup() {
        acedCommand(RTSTR, "UNDO", RTSTR, "E", RTNONE);
        acedCommand(RTSTR, "UNDO", RTSTR, "1", RTNONE);
    }
    UndoGroup(const UndoGroup&) = delete;
    UndoGroup& operator=(const UndoGroup&) = delete;
};

bool AskName(const char* prompt, std::string& name) {
    char text[260] = "";
    if (acedGetString(1, prompt, text, sizeof text) != RTNORM) {
        name.clear();
        return false;
    }
    name = text;
    TrimSpaces(name);
    if (name.empty()) acutPrintf("\n输入的名字为空。");
    return !name.empty();
}

// The name of a package of the whole drawing, from its district polygons or asked of the user.
std::string PackageName() {
    Selection districts;
    std::vector<std::pair<std::string, AcDbObjectId>> found;
    if (SelectByFilter(districts.Fill(), "lwpolyline,DJZQ;polyline,DJZQ", "", false)) {
        for (int i = 0; i < districts.Length(); ++i) {
            ads_name entity;
            AcDbObjectId id;
            if (!districts.At(i, entity, id)) continue;
            const std::string code = CodeOf(entity);
            if (code == "323000" || code == "322000" || code == "321000") found.emplace_back(code, id);
        }
    } else {
        districts.Drop();
    }
    auto only = [&](const char* code, AcDbObjectId& id) {
        int count = 0;
        for (const auto& [c, i] : found)
            if (c == code) {
                ++count;
                id = i;
            }
        return count == 1;
    };
    std::string name;
    AcDbObjectId id;
    if (found.empty()) {
        AskName("\n没有图上没有行政区，请输入生成的ZIP的名字：", name);
    } else if (only("323000", id)) {
        name = Item(id, "XZQDM", 0);
    } else if (only("322000", id)) {
        name = Item(id, "DJQBM", 0);
    } else if (only("321000", id)) {
        std::string pair;
        ads_name boundary;
        AcGePoint2dArray ring;
        Selection inside;
        if (acdbGetAdsName(boundary, id) == Acad::eOk && GetCurvePoints(boundary, ring, 0) &&
            SelectByPolygon(ring, "WP", inside.Fill(), 0.0)) {
            for (int i = 0; i < inside.Length() && pair.empty(); ++i) {
                ads_name entity;
                AcDbObjectId parcel;
                if (!inside.At(i, entity, parcel) || CodeOf(entity) != kParcelCode) continue;
                const std::string number = Item(parcel, kApp, 1);
                if (number.size() == 13) pair = number.substr(6, 2);
            }
        } else {
            inside.Drop();
        }
        name = "G" + Item(id, "DJZQBM", 0) + pair;
    } else {
        AskName("\n地籍子区多余一个,请输入ZIP名称", name);
    }
    return name;
}

// Takes the parcels of the selection in code order; complains of a parcel that is no polyline.
void TakeParcels(Selection& selection, CRelationExport& context) {
    std::vector<std::pair<CRelationExport::Parcel, int>> taken;
    for (int i = 0; i < selection.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!selection.At(i, entity, id) || CodeOf(entity) != kParcelCode) continue;
        std::string typeName;
        const std::string number = Item(id, kApp, 1);
        if (!IsPolyline(entity, typeName)) {
            acutPrintf("\n存在非法宗地，类型: %s ,宗地号: %s", typeName.c_str(), number.c_str());
            continue;
        }
        taken.push_back({{id, Item(id, "QHDM", 0) + number}, i});
    }
    // A later parcel goes before an earlier one of the same code.
    std::sort(taken.begin(), taken.end(), [](const auto& a, const auto& b) {
        if (a.first.code != b.first.code) return a.first.code < b.first.code;
        return a.second > b.second;
    });
    for (auto& [parcel, order] : taken) context.parcels.push_back(std::move(parcel));
}

void CollectNotes(CRelationExport& context, bool verbose) {
    Selection texts;
    if (!SelectByFilterAndCode(texts.Fill(), "text,JZP", kPointNoteCode)) texts.Drop();
    for (int i = 0; i < texts.Length(); ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!texts.At(i, entity, id)) continue;
        context.notes.push_back({TextOf(id), id});
    }
    std::stable_sort(context.notes.begin(), context.notes.end(),
                     [](const auto& a, const auto& b) { return a.text < b.text; });
    if (context.notes.empty() && verbose) acutPrintf("\n图上没有界址点注记");
}

// The parcels' boundary points in vertex order, each once.
void CollectParcelPoints(CRelationExport& context, const BoundaryPointIndex& index) {
    context.parcelPoints.setLogicalLength(0);
    context.sharedLines.setLogicalLength(0);
    HandleSet seen;
    for (const CRelationExport::Parcel& parcel : context.parcels) {
        ads_name curve;
        if (acdbGetAdsName(curve, parcel.id) != Acad::eOk) continue;
        AcGePoint2dArray secondPoints, points;
        AcDbObjectIdArray secondIds, ids;
        FindBoundaryPointsOnCurve(curve, secondPoints, points, secondIds, ids, &index);
        for (int i = 0; i < ids.length(); ++i)
            if (seen.Insert(drawingutil::HandleKey(ids[i].handle()))) context.parcelPoints.append(ids[i]);
    }
}

// The notes of the parcels' boundary points go on the export list, each named on the command line.
void ExportPointNotes(CRelationExport& context) {
    for (int j = 0; j < context.parcelPoints.length(); ++j) {
        const AcDbObjectId& point = context.parcelPoints[j];
        const std::string key = Item(point, kApp, 1) + Item(point, kApp, 2);
        auto at = std::lower_bound(context.notes.begin(), context.notes.end(), key,
                                   [](const auto& note, const std::string& k) { return note.text < k; });
        if (at != context.notes.end() && at->text == key) {
            context.exportList.append(at->id);
            acutPrintf("\n%s\n", at->text.c_str());
        }
    }
}

}  // namespace

std::string BrowseForPackageFolderFrom(const std::string& start);

std::string BrowseForPackageFolder() { return BrowseForPackageFolderFrom(RememberedBaseFolder()); }

bool ExportExchangePackage(CRelationExport& context, std::string& folder) {
    std::string base = BrowseForPackageFolder();
    if (base.empty()) {
        acutPrintf("\n没有选择文件夹");
        return false;
    }
    if (WithoutTrailingBackslash(base) == base) base += "\\";

    int scope = 1;
    const int answer = acedGetInt("\n(1)选择一个宗地 (2)选择多个宗地 (3)批量输出当前图上原有实体并打包到ZIP <1>", &scope);
    if (answer == RTNONE) {
        scope = 1;
    } else if (answer != RTNORM) {
        acutPrintf("\n退出当前操作");
        return false;
    }
    if (scope < 1 || scope > 3) scope = 1;
    context.exportShp = true;

    std::string packageName;
    Selection parcels;
    if (scope == 1) {
        ads_name picked;
        if (PickEntityByCodePrefix("宗地:", "30000", picked)) {
            acedSSAdd(picked, nullptr, parcels.Fill());
        }
    } else if (scope == 2) {
        acutPrintf("\n请选择宗地：");
        if (!SelectByFilter(parcels.Fill(), "lwpolyline,JZD;polyline,JZD", "", true)) parcels.Drop();
    } else {
        int withoutCodes = 0;
        const int status = acedGetInt("\n是否输出无Dero编码实体, (0)不输出  (1)输出 <0>:", &withoutCodes);
        if (status == RTNORM && withoutCodes == 1) context.exportShp = false;
        context.wholeDrawing = true;
        if (!SelectByFilter(parcels.Fill(), "lwpolyline,JZD;polyline,JZD", "", false)) parcels.Drop();
        packageName = PackageName();
        if (packageName.empty()) return false;
    }

    const BoundaryPointIndex index;
    {
        ProgressText progress(scope == 1 ? nullptr : "正在分析图中宗地．．．");
        TakeParcels(parcels, context);
    }
    parcels.Free();
    {
        ProgressText progress(scope == 1 ? nullptr : "正在分析图中界址点...");
        if (scope == 3) {
            Selection points;
            if (!SelectByFilterAndCode(points.Fill(), "circle,JZP", kBoundaryPointCode)) points.Drop();
            for (int i = 0; i < points.Length(); ++i) {
                ads_name entity;
                AcDbObjectId id;
                if (points.At(i, entity, id)) context.boundaryPoints.append(id);
            }
        }
        CollectParcelPoints(context, index);
        if (scope != 3) context.boundaryPoints = context.parcelPoints;
        if (scope != 1 && context.boundaryPoints.isEmpty()) acutPrintf("\n图上没有符合要求的界址点");
    }
    {
        ProgressText progress(scope == 1 ? nullptr : "正在分析界址点注记...");
        CollectNotes(context, scope != 1);
    }
    ExportPointNotes(context);
    if (context.parcels.empty()) {
        acutPrintf("\n当前图上没有宗地");
        if (scope != 3) return false;
    }

    {
        ParcelIntegrityChecker checker;
        for (const CRelationExport::Parcel& parcel : context.parcels) checker.AddParcel(parcel.id);
        // The check reads the same points and labels as the export did; nothing has changed them.
        std::vector<std::pair<std::string, AcDbObjectId>> labels;
        labels.reserve(context.notes.size());
        for (const CRelationExport::Note& note : context.notes) labels.emplace_back(note.text, note.id);
        checker.UseDrawingReadings(&index, std::move(labels));
        if (!context.parcels.empty() && checker.CheckParcelsForExport()) return false;
    }

    // The folder is named before anything on disk changes, and a name that cannot be one is refused.
    std::string name = scope == 3                     ? packageName
                       : context.parcels.size() == 1 ? context.parcels.front().code
                                                     : context.parcels.front().code + "-" + context.parcels.back().code;
    const bool usable = scope == 3 || context.parcels.size() == 1
                            ? IsUsableFolderName(name)
                            : IsUsableFolderName(context.parcels.front().code) &&
                                  IsUsableFolderName(context.parcels.back().code);
    if (!usable) {
        acutPrintf("\n名字\"%s\"不能作为文件夹名", name.c_str());
        return false;
    }
    const std::string packageFolder = base + name + "\\";
    if (packageFolder.size() > kMaxPackageFolderLength) {
        acutPrintf("\n文件夹路径太长: %s", packageFolder.c_str());
        return false;
    }
    RememberedBaseFolder() = base;
    folder = base;

    if (GetFileAttributesA(packageFolder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Nothing is deleted unless all of it can be.
        if (!CanDeleteFolderTree(packageFolder) || !DeleteFolderTree(packageFolder)) {
            acutPrintf("\n文件夹不能被删除");
            return false;
        }
    }
    if (!CreateDirectoryA(WithoutTrailingBackslash(packageFolder).c_str(), nullptr)) {
        acutPrintf("\n文件夹创建失败");
        return false;
    }
    folder = packageFolder;
    context.packageFolder = packageFolder;

    bool tablesWritten = false;
    {
        // Everything the tables and the outside export add to the drawing goes with the group.
        UndoGroup undo;
        tablesWritten = WriteRelationTables(context, index);
        if (tablesWritten) {
            if (scope != 3)
                for (const CRelationExport::Parcel& parcel : context.parcels) context.exportList.append(parcel.id);
            std::vector<std::pair<long, AcDbObjectId>> numbered;
            for (int i = context.boundaryPoints.length() - 1; i >= 0; --i) {
                ads_name entity;
                long number = 0;
                if (acdbGetAdsName(entity, context.boundaryPoints[i]) == Acad::eOk) GetXDataLong(entity, "JZDH", number);
                numbered.emplace_back(static_cast<std::int32_t>(number), context.boundaryPoints[i]);
            }
            std::stable_sort(numbered.begin(), numbered.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& [number, id] : numbered) context.exportList.append(id);
            context.exportList.append(context.lineNoteTexts);
            context.exportList.append(context.sharedLines);
            context.exportList.append(context.parcelPoints);

            if (scope != 3) {
                Selection chosen;
                bool made = false;
                for (int i = 0; i < context.exportList.length(); ++i) {
                    const AcDbObjectId id = context.exportList[i];
                    ads_name entity;
                    AcDbEntity* object = nullptr;
                    if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) continue;
                    object->close();
                    // An entity listed twice stays once: the set keeps each member once.
                    if (acdbGetAdsName(entity, id) != Acad::eOk) continue;
                    if (!made) {
                        made = acedSSAdd(entity, nullptr, chosen.Fill()) == RTNORM;
                        if (!made) chosen.Drop();
                    } else {
                        acedSSAdd(entity, chosen.Name(), chosen.Name());
                    }
                }
                if (made) CallExportShp(chosen.Name(), packageFolder.c_str());
            } else {
                acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
                Selection all;
                acutPrintf("\n　正在选择实体...");
                if (acedSSGet("X", nullptr, nullptr, nullptr, all.Fill()) != RTNORM) {
                    all.Drop();
                    acutPrintf("\n当前图上没有实体");
                } else if (context.exportShp) {
                    // The whole drawing less the entities of the other classes, in the same order:
                    // those are taken out of the set, which is cheaper than adding the rest one by one.
                    std::vector<std::array<std::int64_t, 2>> others;
                    for (int i = 0; i < all.Length(); ++i) {
                        ads_name entity;
                        AcDbObjectId id;
                        if (!all.At(i, entity, id)) {
                            if (all.At(i, entity)) others.push_back({entity[0], entity[1]});
                            continue;
                        }
                        std::string featureClass;
                        if (FindCodeRecord(CodeOf(entity), featureClass) &&
                            (featureClass == "QTT" || featureClass == "QTD" || featureClass == "QTX" ||
                             featureClass == "QTM"))
                            others.push_back({entity[0], entity[1]});
                    }
                    for (const auto& other : others) {
                        const ads_name entity = {other[0], other[1]};
                        acedSSDel(entity, all.Name());
                    }
                    if (all.Length() > 0) CallExportShp(all.Name(), packageFolder.c_str());
                } else {
                    CallQwert(all.Name(), packageFolder.c_str());
                }
            }
        }
    }
    if (!tablesWritten) {
        // An incomplete package is never packed, nor left looking like a package.
        DeleteFolderTree(packageFolder);
        folder = base;
        return false;
    }
    acutPrintf("\n操作已完成。");
    return true;
}

}  // namespace cadastral
