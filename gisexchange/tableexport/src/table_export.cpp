#include "gisexchange/table_export.h"

#include <cstring>
#include <utility>

#include "browser_client/browser_client.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/message_pump.h"
#include "gisexchange/browser_bridge.h"
#include "gisexchange/feature_records.h"
#include "gisexchange/feature_writers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/selection.h"
#include "platform/gis/mapprj60.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/win/files.h"

namespace gisexchange {
namespace {

using platform::text::Format;

// Asked for every feature against every output: the same bytes answer without any case mapping.
bool EqualsNoCase(const std::string& a, const std::string& b) { return a == b || platform::text::GbkEqualNoCase(a, b); }

std::vector<std::string> SplitTables(const std::string& names)
{
    std::vector<std::string> tables;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= names.size();) {
        if (at == names.size() || names[at] == '|') {
            tables.push_back(names.substr(start, at - start));
            start = at + 1;
            ++at;
            continue;
        }
        at += platform::text::GbkCharLength(names, at);
    }
    return tables;
}

// A progress meter over one pass, restored on every way out of it.
class ProgressScope {
public:
    ProgressScope(const std::string& label, std::size_t count)
    {
        acedSetStatusBarProgressMeter(label.c_str(), 0, static_cast<int>(count));
    }
    ~ProgressScope() { acedRestoreStatusBar(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
};

bool NameOf(AcDbObjectId id, ads_name name) { return acdbGetAdsName(name, id) == Acad::eOk; }

struct FileKind {
    const char* extension;
    short kind;
};

bool KindOfType(const std::string& type, FileKind& kind)
{
    switch (type.empty() ? '\0' : type[0]) {
    case '1':
    case '4':
        kind = {".wt", GIS_KIND_POINT};
        return true;
    case '2':
        kind = {".wl", GIS_KIND_LINE};
        return true;
    case '3':
        kind = {".wp", GIS_KIND_AREA};
        return true;
    case '9':
        kind = {".wb", GIS_KIND_TABLE};
        return true;
    default:
        return false;
    }
}

void AddField(short file, const std::string& name, unsigned char type, int width, int decimals)
{
    CFIELD_HEAD head{};
    const std::string kept = platform::text::TruncateGbk(name, sizeof head.name - 1);
    std::memcpy(head.name, kept.data(), kept.size());
    head.type = type;
    head.width = static_cast<short>(width);
    head.decimals = static_cast<short>(decimals);
    head.flag = 1;
    GisAddField(file, &head);
}

}  // namespace

TableExportState& ExportState()
{
    static TableExportState state;
    return state;
}

void ResetExportState()
{
    TableExportState& state = ExportState();
    state.points.clear();
    state.lines.clear();
    state.texts.clear();
    state.areaGroups.clear();
    state.islands.clear();
    state.entitiesByCode.clear();
    state.parcels = false;
}

TableExportSettings& ExportSettings()
{
    static TableExportSettings settings;
    return settings;
}

int TableExporter::FindOutput(const std::string& tableName) const
{
    for (std::size_t i = 0; i < outputs.size(); ++i)
        if (outputs[i].tmpl != nullptr && outputs[i].handles.file > 0 && EqualsNoCase(outputs[i].tmpl->name, tableName))
            return static_cast<int>(i);
    return -1;
}

int FindAreaGroup(const std::string& name)
{
    const std::vector<AreaGroup>& groups = ExportState().areaGroups;
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (groups[i].name == name)
            return static_cast<int>(i);
    return -1;
}

void AddToAreaGroups(ExportEntry entry)
{
    std::vector<AreaGroup>& groups = ExportState().areaGroups;
    // Copied into the groups of all its tables but the last, which takes the entry itself.
    const std::size_t count = entry.tables.size();
    for (std::size_t t = 0; t < count; ++t) {
        const std::string name = entry.tables[t];
        int index = FindAreaGroup(name);
        if (index < 0) {
            groups.push_back(AreaGroup{name, {}});
            index = static_cast<int>(groups.size()) - 1;
        }
        std::vector<ExportEntry>& entries = groups[static_cast<std::size_t>(index)].entries;
        if (t + 1 < count)
            entries.push_back(entry);
        else
            entries.push_back(std::move(entry));
    }
}

bool WriteGisAttributes(GisOutputFile& output, const char* folder, const AttributeTemplate& tmpl)
{
    output.tmpl = &tmpl;
    FileKind kind{};
    if (!KindOfType(tmpl.second, kind))
        return false;
    const std::string path = std::string(folder) + tmpl.name + kind.extension;
    if (path.size() >= sizeof output.handles.path)
        return false;
    std::memcpy(output.handles.path, path.c_str(), path.size() + 1);
    output.handles.workspace = GisNewWorkspace(0);
    output.handles.slot = GisGetFileSlot(output.handles.workspace, kind.kind);
    DeleteFileA(path.c_str());
    if (GisNewFile(output.handles.path, output.handles.slot, 0, 0, 0) <= 0)
        return false;
    output.handles.file = GisGetFileHandle(output.handles.workspace);
    if (output.handles.file <= 0)
        return false;
    if (kind.kind != GIS_KIND_TABLE) {
        AddField(output.handles.file, "实体编码", GIS_FIELD_TEXT, 10, 0);
        AddField(output.handles.file, "编组编码", GIS_FIELD_LONG, 10, 0);
    }
    for (const AttributeTemplateEntry& field : tmpl.entries) {
        const std::string& source = field.fields[1];
        int width = std::atoi(field.fields[2].c_str());
        unsigned char type = GIS_FIELD_TEXT;
        switch (source.empty() ? '0' : source.back()) {
        case '4': type = GIS_FIELD_DATE; break;
        case '1': type = GIS_FIELD_SHORT; break;
        case '2': type = GIS_FIELD_LONG; break;
        case '3': type = GIS_FIELD_DOUBLE; ++width; break;
        default: break;
        }
        AddField(output.handles.file, field.fields[0], type, width, std::atoi(field.fields[3].c_str()));
    }
    return true;
}

void WriteConversionReport()
{
    TableExportState& state = ExportState();
    ResetExportState();
    ClearBrowserItem(kExportReportTitle);
    ads_name all{};
    Adesk::Int32 count = 0;
    const bool selected = acedSSGet("X", nullptr, nullptr, nullptr, all) == RTNORM;
    if (selected)
        acedSSLength(all, &count);
    int line = 1, unconvertible = 0, areas = 0;
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name entity{};
        AcDbObjectId id;
        if (acedSSName(all, i, entity) != RTNORM || !drawingutil::IdOfName(entity, id))
            continue;
        const std::string type = EntityTypeName(entity);
        std::string code;
        GetEntityCode(entity, code);
        const bool text = type == "TEXT";
        std::string report;
        std::string fifth, sixth;
        int templateType = 0;
        if (!code.empty())
            state.entitiesByCode[code].push_back(id);
        if (code == "141910") {
            state.islands.push_back(id);
            continue;
        }
        if (code.empty() && !text) {
            report = Format("%d 发现一处没有编码的实体，类型为<%s>，该实体无法进行转换", line, type.c_str());
        } else if (!LookupIndexRecord(code, fifth, sixth) && !text) {
            if (code.size() != 6)
                continue;
            report = Format("%d 发现一个实体，该实体编码为<%s>，类型为<%s>，该实体编码在编码表中不存在，无法进行转换", line,
                            code.c_str(), type.c_str());
        } else if (fifth.empty() && !text) {
            report = Format("%d 发现一个实体，该实体编码为<%s>，类型为<%s>，未找到该实体编码对应的要素代码，无法进行转换", line,
                            code.c_str(), type.c_str());
        } else if (sixth.empty() && !text) {
            report = Format("%d 发现一个实体，该实体编码为<%s>，类型为<%s>，未找到该实体编码对应的MapGis转换表名，无法进行转换",
                            line, code.c_str(), type.c_str());
        } else if ((EqualsNoCase(sixth, "QSNBD") || EqualsNoCase(sixth, "TBNBD")) && !text) {
            report = Format("%d 发现一个实体，该实体编码为<%s>，类型为<%s>，该实体是临时实体，将不进行转换", line, code.c_str(),
                            type.c_str());
        } else if (!FindTemplateNumber(sixth, templateType) && !text) {
            report = Format("%d 发现一个实体，该实体编码为<%s>，对应的转换表为<%s>，没有找到该转换表，无法进行转换", line,
                            code.c_str(), sixth.c_str());
        } else {
            ExportEntry entry;
            entry.id = id;
            entry.code = fifth;
            entry.tables = SplitTables(sixth);
            const int kind = GetCurveKind(entity, 1);
            if (EqualsNoCase(type, "INSERT") && templateType == 1) {
                if (code == "202101")
                    state.texts.push_back(entry);
                state.points.push_back(std::move(entry));
            } else if (type == "CIRCLE" && templateType == 1) {
                state.points.push_back(std::move(entry));
            } else if ((kind >= kCurveClosedOffset || kind == kCurveCircle) && templateType == 3) {
                if (code == "300000")
                    state.parcels = true;
                if (code == "330000")
                    state.parcels = false;
                double area = 0;
                if (!GetCurveArea(entity, area))
                    area = 0;
                if (area > 0.001) {
                    AddToAreaGroups(std::move(entry));
                    ++areas;
                } else {
                    report = Format("%d 发现一个面，该实体编码为<%s>，该面的面积为<%.6f>，无法进行转换", line, code.c_str(), area);
                }
            } else if (kind >= kCurveLine && (templateType == 2 || templateType == 3)) {
                state.lines.push_back(std::move(entry));
                long mark = 0;
                if (GetXDataLong(entity, "MBBSM", mark) && mark > state.nextFeatureId)
                    state.nextFeatureId = mark;
            } else if (text) {
                state.texts.push_back(std::move(entry));
            } else {
                report = Format("%d 发现一个实体，该实体编码为<%s>，类型为<%s>，该实体无法进行转换", line, code.c_str(),
                                type.c_str());
            }
        }
        if (report.empty())
            continue;
        SendEntityToBrowser(kExportReportTitle, report.c_str(), entity);
        ++line;
        ++unconvertible;
    }
    if (selected)
        acedSSFree(all);
    ReportToBrowserPair(kExportReportTitle, "");
    ReportToBrowserPair(kExportReportTitle, Format("共处搜索到实体%d个", static_cast<int>(count)).c_str());
    ReportToBrowserPair(kExportReportTitle, Format("其中： 点实体%d个", static_cast<int>(state.points.size())).c_str());
    ReportToBrowserPair(kExportReportTitle, Format("其中： 线实体%d个", static_cast<int>(state.lines.size())).c_str());
    ReportToBrowserPair(kExportReportTitle, Format("其中： 面实体%d个", areas).c_str());
    ReportToBrowserPair(kExportReportTitle, Format("其中： 文字实体%d个", static_cast<int>(state.texts.size())).c_str());
    ReportToBrowserPair(kExportReportTitle, Format("其中： 不能处理实体%d个", unconvertible).c_str());
}

bool ExportDrawingToGis(const char* folder, const char* projectName, int force)
{
    TableExportState& state = ExportState();
    WriteConversionReport();
    const short project = PrjNew(0);
    const std::string projectPath = Format("%s%s.mpj", folder, projectName);

    TableExporter exporter;
    const std::vector<AttributeTemplate>& templates = Config().templates;
    exporter.outputs.resize(templates.size());
    for (std::size_t i = 0; i < templates.size(); ++i)
        if (!WriteGisAttributes(exporter.outputs[i], folder, templates[i]) && exporter.outputs[i].handles.path[0] != '\0' &&
            exporter.outputs[i].handles.file <= 0)
            ReportToBrowserPair(kExportReportTitle,
                                Format("文件<%s>无法建立，该表的实体没有转换", exporter.outputs[i].handles.path).c_str());

    // Points, lines and texts: the file of the table their code names; one without a file is left.
    auto writeEach = [&](const std::vector<ExportEntry>& entries, const char* label, short kind) {
        ProgressScope progress(label, entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            acedSetStatusBarProgressMeterPos(static_cast<int>(i));
            ads_name entity{};
            if (!NameOf(entries[i].id, entity))
                continue;
            std::string code, table;
            const bool indexed = LookupIndexRecordOfEntity(entity, code, table);
            const bool texts = &entries == &state.texts;
            if (!texts && kind == GIS_KIND_POINT && !indexed)
                continue;
            if (kind == GIS_KIND_LINE) {
                if (!indexed)
                    continue;
                int type = 0;
                if (FindTemplateNumber(table, type) && type == 3)
                    table = "XZDX";
            }
            if (texts && !indexed)
                table = "ZJ";
            const int index = exporter.FindOutput(table);
            if (index < 0)
                continue;
            GisOutputFile& output = exporter.outputs[static_cast<std::size_t>(index)];
            LONG number = -1;
            if (texts)
                number = ExportTextFeature(output, entity, *output.tmpl);
            else if (kind == GIS_KIND_POINT)
                number = ExportPointFeature(output, entity, *output.tmpl);
            else
                number = ExportCurveFeature(output, entity, *output.tmpl);
            if (number <= 0)
                continue;
            long id = 0;
            if (kind == GIS_KIND_LINE && GetXDataLong(entity, "MBBSM", id) && id >= 0) {
            } else {
                id = ++state.nextFeatureId;
            }
            WriteFeatureRecord(output, entity, *output.tmpl, number, kind == GIS_KIND_LINE ? GIS_KIND_LINE : GIS_KIND_POINT,
                               id, exporter, code, 0);
            PumpMessages();
        }
    };
    writeEach(state.points, "正在转换点......", GIS_KIND_POINT);
    writeEach(state.lines, "正在转换线......", GIS_KIND_LINE);

    SegmentLines segmentLines;
    const int sides = exporter.FindOutput("JZX");
    const int parcels = exporter.FindOutput("ZD");
    const int parcelGroup = FindAreaGroup("ZD");
    if (parcelGroup >= 0) {
        const AreaGroup& group = state.areaGroups[static_cast<std::size_t>(parcelGroup)];
        ProgressScope progress("正在转换界址线......", group.entries.size());
        ExportBoundarySegments(exporter, group, sides < 0 ? nullptr : &exporter.outputs[static_cast<std::size_t>(sides)],
                               parcels < 0 ? nullptr : &exporter.outputs[static_cast<std::size_t>(parcels)], segmentLines);
    }
    for (const AreaGroup& group : state.areaGroups) {
        const int index = exporter.FindOutput(group.name);
        if (index < 0)
            continue;
        GisOutputFile& output = exporter.outputs[static_cast<std::size_t>(index)];
        ProgressScope progress(Format("正在转换面(%s)......", group.name.c_str()), group.entries.size());
        if (group.name == "ZD" && state.parcels)
            ExportParcelAreas(exporter, group, output, segmentLines);
        else
            ExportAssembledAreas(exporter, group, output);
    }
    writeEach(state.texts, "正在转换文字......", GIS_KIND_POINT);

    for (GisOutputFile& output : exporter.outputs) {
        if (output.handles.file > 0) {
            const GisSaveResult saved = SaveGisFile(output.handles, force != 0);
            output.leftOut = saved != GIS_SAVE_DONE;
            if (saved == GIS_SAVE_FAILED)
                ReportToBrowserPair(kExportReportTitle, Format("文件<%s>无法写入", output.handles.path).c_str());
        }
        CloseGisFileB(output.handles);
    }
    for (std::size_t i = 0; i < exporter.outputs.size(); ++i) {
        const GisOutputFile& output = exporter.outputs[i];
        const std::string& type = templates[i].second;
        if (output.leftOut || !(type == "1" || type == "4" || type == "2" || type == "3"))
            continue;
        if (PrjEnterFile(project, static_cast<LONG>(i), output.handles.path, 0, 0) <= 0)
            continue;
        PRJ_ENTRY entry{};
        PrjGetEntry(project, 0, &entry);
        const std::string title = platform::text::TruncateGbk(templates[i].category, sizeof entry.title - 1);
        std::memset(entry.title, 0, sizeof entry.title);
        std::memcpy(entry.title, title.data(), title.size());
        PrjPutEntry(project, 0, &entry, 0);
    }
    const bool written = project > 0 && PrjWriteAs(project, projectPath.c_str()) > 0;
    if (!written)
        ReportToBrowserPair(kExportReportTitle, Format("工程文件<%s>无法写入", projectPath.c_str()).c_str());
    PrjFree(project);
    return written;
}

}  // namespace gisexchange
