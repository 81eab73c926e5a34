#include "gisexchange/category_export.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "drawingutil/browse_folder.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/message_pump.h"
#include "drawingutil/polyline_vertices.h"
#include "drawing_entities.h"
#include "gisexchange/area_ring_lines.h"
#include "gisexchange/param_blocks.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/file_search.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/gis/mapprj60.h"
#include "platform/text/gbk.h"
#include "platform/win/files.h"

namespace gisexchange {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

using Writer = bool (*)(CGisWorkView&, const char*);

struct Category {
    const char* folder;  // also the category name of its attribute template
    const char* templateFile;
    const char* extension;
    Writer writer;
};

// In the order of writing, which is also the order of the project's entries.
const Category kCategories[] = {
    {"注记", "ZHUJI.WT", ".wt", WriteAnnotationLayer},
    {"拐点", "GUAIDIAN.WT", ".wt", WriteBreakPoints},
    {"零星", "LINGXING.WT", ".wt", WriteScatteredPoints},
    {"图斑线", "TBX.WL", ".wl", WritePatchLines},
    {"线状", "XZ.WL", ".wl", WriteLinearFeatures},
    {"权属界线", "QSJX.WL", ".wl", WriteOwnershipLines},
    {"行政界线", "XZJX.WL", ".wl", WriteAdminLines},
    {"行政", "XZ.WP", ".wp", WriteAdminAreas},
    {"权属", "QS.WP", ".wp", WriteOwnershipAreas},
    {"图斑", "TB.WP", ".wp", WritePatchAreas},
};

using PointBlock = gisexchange::PointParams;
using LineBlock = gisexchange::LineParams;
using AreaBlock = gisexchange::AreaParams;

LineBlock MakeLineBlock(std::uint16_t style, std::uint32_t color, float width, float factor, std::uint16_t layer)
{
    LineBlock b;
    b.Put16(0, style);
    b.Put32(4, color);
    b.PutFloat(8, width);
    b.PutFloat(13, factor);
    b.PutFloat(17, factor);
    b.Put16(25, layer);
    return b;
}
const LineBlock kBoundaryLine = MakeLineBlock(155, 1, 5.0f, 80.0f, 5);
const LineBlock kLinearFeatureLine = MakeLineBlock(1, 2, 1.2f, 10.0f, 34);

std::string HandleText(const ads_name entity)
{
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk) return "?";
    char text[17];
    id.handle().getIntoAsciiBuffer(text, sizeof text);
    return text;
}

// What a writer does with one entity that passed its selection: write its object into the file.
struct EntityWriter {
    bool annotations = false;  // texts of any code
    std::function<bool(const std::string& type)> selectsType;
    std::function<bool(const std::string& type, const std::string& code)> selects;
    std::function<void(const ads_name entity, short file)> write;
};

// The steps every writer shares: the category's template and attribute mapping, the walk over the
// drawing and the write under the target's name.
bool RunWriter(CGisWorkView& view, const Category& category, short kind, const char* progress, const char* target,
               const EntityWriter* entities)
{
    SelectCategoryTemplate(view, category.folder);
    char found[260] = {};
    if (acedFindFile(category.templateFile, found, sizeof found) != RTNORM)
        return false;
    if (view.OpenGisFile(found, kind) <= 0) {
        view.CloseGisFile();
        return false;
    }
    const short file = GisGetFileHandle(view.m_workspace);
    if (entities == nullptr) {
        acedSetStatusBarProgressMeter(progress, 0, 0);
        acedRestoreStatusBar();
    } else {
        std::shared_ptr<DrawingEntities> drawing = view.m_entities;
        if (!drawing)
            drawing = std::make_shared<DrawingEntities>(DrawingEntities::SelectAll());
        acedSetStatusBarProgressMeter(progress, 0, drawing->selected());
        const std::string none;
        int position = 0;
        for (DrawingEntity& entity : drawing->entities()) {
            acedSetStatusBarProgressMeterPos(position++);
            PumpMessages();
            // The type is the cheaper test and rules most entities out before their code is read.
            if (!entities->selectsType(*entity.type))
                continue;
            const std::string& code = entities->annotations ? none : drawing->CodeOf(entity);
            if (entities->selects(*entity.type, code))
                entities->write(entity.name, file);
        }
        acedRestoreStatusBar();
    }
    const bool saved = GisSaveFile(file, target, GIS_SAVE_MODE, 0, 0, 0) > 0;
    if (!saved)
        acutPrintf("\n无法保存文件 %s", target);
    view.CloseGisFile();
    return saved;
}

AcDbObjectId IdOf(const ads_name entity)
{
    AcDbObjectId id;
    acdbGetObjectId(id, entity);
    return id;
}

// A point at the centre of a circle or the insertion point of a block reference, with the block
// and the category's attributes.
template <typename Entity>
void WriteMarkPoint(const CGisWorkView& view, const ads_name entity, short file, const PointBlock& block)
{
    Entity* object = nullptr;
    if (acdbOpenObject(object, IdOf(entity), AcDb::kForRead) != Acad::eOk || object == nullptr)
        return;
    AcGePoint3d at;
    if constexpr (std::is_same_v<Entity, AcDbCircle>)
        at = object->center();
    else
        at = object->position();
    object->close();
    const D_DOT position{at.x, at.y};
    LONG number = GisWritePoint(file, &position, "", 0, block.bytes, 0);
    if (number > 0)
        WriteObjectAttributes(view, entity, file, GIS_KIND_POINT, number);
}

// The entity's vertices as a line (arc spans as their chords); the line's number, 0 when none.
LONG WriteCurveLine(const ads_name entity, short file, const LineBlock& block)
{
    AcGePoint2dArray points;
    if (!GetCurvePoints(entity, points, 0))
        return 0;
    std::vector<D_DOT> dots;
    for (int i = 0; i < points.length(); ++i)
        dots.push_back({points[i].x, points[i].y});
    return GisWriteLine(file, dots.data(), static_cast<LONG>(dots.size()), block.bytes, 0);
}

bool IsPolyline(const std::string& type) { return type.find("POLYLINE") != std::string::npos; }

bool WriteLines(CGisWorkView& view, const char* target, int index, const char* progress, const char* code,
                const LineBlock& block)
{
    EntityWriter lines;
    lines.selectsType = IsPolyline;
    lines.selects = [code](const std::string& type, const std::string& c) { return IsPolyline(type) && c == code; };
    lines.write = [&](const ads_name entity, short file) {
        LONG number = WriteCurveLine(entity, file, block);
        if (number > 0)
            WriteObjectAttributes(view, entity, file, GIS_KIND_LINE, number);
    };
    return RunWriter(view, kCategories[index], GIS_KIND_LINE, progress, target, &lines);
}

const char* BoundaryName(const std::string& code)
{
    if (code == "191401")
        return "县界";
    if (code == "191501")
        return "乡界";
    if (code == "191600")
        return "村界";
    return nullptr;
}

}  // namespace

BOOL CreateFolderPath(const char* path)
{
    const std::string text = path == nullptr ? std::string() : std::string(path);
    // Separators are looked for character by character: a trail byte may look like a backslash.
    std::size_t at = text.empty() ? 0 : platform::text::GbkCharLength(text, 0);
    while (at < text.size()) {
        if (text[at] == '\\')
            CreateDirectoryA(text.substr(0, at).c_str(), nullptr);
        at += platform::text::GbkCharLength(text, at);
    }
    return CreateDirectoryA(text.c_str(), nullptr);
}

bool IsValidProjectName(std::string_view name)
{
    if (name.empty())
        return false;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = platform::text::GbkCharLength(name, at);
        if (length == 1) {
            const auto c = static_cast<unsigned char>(name[at]);
            if (c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr)
                return false;
        }
        at += length;
    }
    return true;
}

bool WriteProjectFile(CGisWorkView&, const char* folder, const char* name)
{
    char found[260] = {};
    if (acedFindFile("GongChen.mpj", found, sizeof found) != RTNORM)
        return false;
    const short project = PrjOpen(found, 0, 0);
    if (project <= 0)
        return false;
    const std::string base(folder);
    for (std::size_t i = 0; i < std::size(kCategories); ++i) {
        const std::string path = base + kCategories[i].folder + "\\" + name + kCategories[i].extension;
        PrjEnterFile(project, static_cast<LONG>(i), path.c_str(), 0, 0);
    }
    const std::string target = base + "工程\\" + name + ".mpj";
    const bool written = PrjWriteAs(project, target.c_str()) > 0;
    PrjFree(project);
    if (!written)
        acutPrintf("\n无法保存工程文件 %s", target.c_str());
    return written;
}

bool WriteAnnotationLayer(CGisWorkView& view, const char* target)
{
    EntityWriter texts;
    texts.annotations = true;
    texts.selectsType = [](const std::string& type) { return type == "TEXT"; };
    texts.selects = [](const std::string& type, const std::string&) { return type == "TEXT"; };
    texts.write = [&view](const ads_name entity, short file) {
        AcDbText* text = nullptr;
        if (acdbOpenObject(text, IdOf(entity), AcDb::kForRead) != Acad::eOk || text == nullptr)
            return;
        const AcGePoint3d at = text->position();
        const std::string string = text->textStringConst();
        PointBlock block;
        block.PutFloat(2, static_cast<float>(text->height()));
        block.PutFloat(6, static_cast<float>(text->height() * text->widthFactor()));
        block.PutFloat(14, static_cast<float>(text->rotation() * kDegreesPerRadian));
        text->close();
        const D_DOT position{at.x, at.y};
        // A point's text is counted in 16 bits; a longer one is cut on a character boundary.
        const std::size_t length = platform::text::GbkFitLength(string, 32767);
        const LONG number = GisWritePoint(file, &position, string.c_str(), static_cast<short>(length), block.bytes, 0);
        // Without a template of their own, texts carry nothing but themselves.
        if (number > 0 && !view.m_attributeNames.empty())
            WriteObjectAttributes(view, entity, file, GIS_KIND_POINT, number);
    };
    return RunWriter(view, kCategories[0], GIS_KIND_POINT, "正在保存(注记)......", target, &texts);
}

bool WriteBreakPoints(CGisWorkView& view, const char* target)
{
    PointBlock block;
    block.bytes[0] = 1;
    block.Put32(2, 328);
    block.PutFloat(6, 15.0f);
    block.PutFloat(10, 15.0f);
    block.Put32(22, 6);
    block.Put32(44, 3);
    block.Put16(52, 58);
    EntityWriter circles;
    circles.selectsType = [](const std::string& type) { return type == "CIRCLE"; };
    circles.selects = [](const std::string& type, const std::string& code) { return type == "CIRCLE" && code == "331000"; };
    circles.write = [&](const ads_name entity, short file) { WriteMarkPoint<AcDbCircle>(view, entity, file, block); };
    return RunWriter(view, kCategories[1], GIS_KIND_POINT, "正在保存(拐点)......", target, &circles);
}

bool WriteScatteredPoints(CGisWorkView& view, const char* target)
{
    PointBlock block;
    block.bytes[0] = 2;
    block.PutDouble(2, 0.1);
    block.Put32(10, 3);
    block.bytes[18] = 1;
    block.Put32(44, 1);
    EntityWriter symbols;
    symbols.selectsType = [](const std::string& type) { return type == "INSERT"; };
    symbols.selects = [](const std::string& type, const std::string& code) { return type == "INSERT" && code == "312000"; };
    symbols.write = [&](const ads_name entity, short file) {
        WriteMarkPoint<AcDbBlockReference>(view, entity, file, block);
    };
    return RunWriter(view, kCategories[2], GIS_KIND_POINT, "正在保存(零星)......", target, &symbols);
}

bool WritePatchLines(CGisWorkView& view, const char* target)
{
    return WriteLines(view, target, 3, "正在保存(图斑线)......", "216100", kBoundaryLine);
}

bool WriteLinearFeatures(CGisWorkView& view, const char* target)
{
    return WriteLines(view, target, 4, "正在保存(线状)......", "311000", kLinearFeatureLine);
}

bool WriteOwnershipLines(CGisWorkView& view, const char* target)
{
    return WriteLines(view, target, 5, "正在保存(权属界限)......", "333000", kBoundaryLine);
}

bool WriteAdminLines(CGisWorkView& view, const char* target)
{
    EntityWriter lines;
    lines.selectsType = IsPolyline;
    lines.selects = [](const std::string& type, const std::string& code) {
        return IsPolyline(type) && BoundaryName(code) != nullptr;
    };
    lines.write = [&](const ads_name entity, short file) {
        LONG number = WriteCurveLine(entity, file, kBoundaryLine);
        if (number <= 0)
            return;
        std::string code;
        GetEntityCode(entity, code);
        CATT_STRU* structure = nullptr;
        ATT_VALUES* values = nullptr;
        if (GisGetAttribute(file, GIS_KIND_LINE, number, &structure, &values) > 0 &&
            GisSetFieldText(structure, values, "JJMC", BoundaryName(code)) > 0)
            GisPutAttribute(file, GIS_KIND_LINE, number, structure, values);
        WriteObjectAttributes(view, entity, file, GIS_KIND_LINE, number);
    };
    return RunWriter(view, kCategories[6], GIS_KIND_LINE, "正在保存(行政界线)......", target, &lines);
}

bool WriteAdminAreas(CGisWorkView& view, const char* target)
{
    AreaBlock block;
    block.Put32(0, 9);
    block.Put32(14, 1);
    WrittenLines written;
    EntityWriter areas;
    areas.selectsType = IsPolyline;
    areas.selects = [](const std::string& type, const std::string& code) {
        return IsPolyline(type) && (code == "321000" || code == "322000" || code == "323000");
    };
    areas.write = [&](const ads_name entity, short file) {
        std::vector<LONG> ring;
        if (!BuildAreaRingLines(file, entity, written, ring)) {
            acutPrintf("\n行政区 %s 的边界线无法写入, 该区未转换", HandleText(entity).c_str());
            return;
        }
        std::vector<LONG> list;
        list.push_back(static_cast<LONG>(ring.size()));
        list.insert(list.end(), ring.begin(), ring.end());
        LONG number = GisBuildArea(file, list.data(), static_cast<LONG>(list.size()), block.bytes);
        if (number > 0)
            WriteObjectAttributes(view, entity, file, GIS_KIND_AREA, number);
    };
    return RunWriter(view, kCategories[7], GIS_KIND_AREA, "正在保存(行政)......", target, &areas);
}

bool WriteOwnershipAreas(CGisWorkView& view, const char* target)
{
    return RunWriter(view, kCategories[8], GIS_KIND_AREA, "正在保存(权属)......", target, nullptr);
}

bool WritePatchAreas(CGisWorkView& view, const char* target)
{
    return RunWriter(view, kCategories[9], GIS_KIND_AREA, "正在转换(图斑)......", target, nullptr);
}

void GeoportSaveDriver(CGisWorkView& view)
{
    std::string folder;
    if (!BrowseForFolder("选择目录", folder))
        return;
    char name[260] = {};
    if (acedGetString(1, "\n请输入工程名:  ", name, sizeof name) != RTNORM)
        return;
    const bool endsInSeparator = !folder.empty() && folder.back() == '\\' &&
                                 platform::text::IsGbkCharBoundary(folder, folder.size() - 1);
    if (!endsInSeparator)
        folder += '\\';
    if (name[0] == '\0')
        return;
    if (!IsValidProjectName(name)) {
        acutPrintf("\n工程名 %s 不能作文件名, 未保存", name);
        return;
    }
    // The writers only read the drawing: one selection serves them all.
    view.m_entities = std::make_shared<DrawingEntities>(DrawingEntities::SelectAll());
    for (const Category& category : kCategories) {
        CreateFolderPath((folder + category.folder).c_str());
        const std::string target = folder + category.folder + "\\" + name + category.extension;
        category.writer(view, target.c_str());
    }
    CreateFolderPath((folder + "工程").c_str());
    WriteProjectFile(view, folder.c_str(), name);
    view.m_entities.reset();
}

void ExportByCategory()
{
    CGisWorkView view;
    GeoportSaveDriver(view);
}

}  // namespace gisexchange
