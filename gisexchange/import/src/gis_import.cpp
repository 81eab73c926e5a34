#include "gisexchange/gis_import.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "drawingutil/blocks.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/colors.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/linetypes.h"
#include "drawingutil/message_pump.h"
#include "drawingutil/text_entities.h"
#include "drawingutil/view_window.h"
#include "gisexchange/browser_bridge.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/date_text.h"
#include "gisexchange/exchange_table.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/system_variables.h"
#include "platform/gis/w60area.h"
#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

using drawingutil::Opened;

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kJoinTolerance = 0.00001;
constexpr const char* kParcelCode = "300000";
constexpr const char* kElevationCode = "202101";

// The match switches of the work view, in their order.
enum Switch {
    kPointSubSymbol,
    kPointWidth,
    kPointLayer,
    kPointHeight,
    kPointColour,
    kAreaFillColour,
    kAreaLayer,
    kAreaPatternColour,
    kAreaPatternHeight,
    kAreaPatternWidth,
    kLineAuxColour,
    kLineAuxType,
    kLineLayer,
    kLineColour,
    kLineType,
    kLineWidth,
    kLineXFactor,
    kLineYFactor,
};

// Parameter blocks are little-endian whatever the machine.
std::int32_t Get32(const BYTE* p, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[at + i];
    return static_cast<std::int32_t>(v);
}
std::int16_t Get16(const BYTE* p, int at) {
    return static_cast<std::int16_t>(p[at] | (p[at + 1] << 8));
}
float GetFloat(const BYTE* p, int at) {
    const std::uint32_t bits = static_cast<std::uint32_t>(Get32(p, at));
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}
double GetDouble(const BYTE* p, int at) {
    const std::uint64_t bits =
        static_cast<std::uint32_t>(Get32(p, at)) |
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(Get32(p, at + 4))) << 32);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

// A size or angle that draws: a damaged block's NaN or infinity counts as 0.
double Drawable(double value) {
    return std::isfinite(value) ? value : 0.0;
}

// The groups made for group codes during one command run.
std::unordered_map<std::string, AcDbObjectId>& CodeGroups() {
    static std::unordered_map<std::string, AcDbObjectId> groups;
    return groups;
}

double ScaleFactor(ScaleSource source) {
    double scale = 0;
    if (source == ScaleSource::kAsk) {
        GetDrawingScale(scale);
    } else {
        resbuf value{};
        if (acedGetVar("userr1", &value) == RTNORM && value.restype == RTREAL)
            scale = value.resval.rreal;
        if (scale < 3)
            scale = 500;
    }
    return scale * 0.001;
}

std::string FieldText(const CATT_STRU* structure, const ATT_VALUES* values, short position) {
    char buffer[256] = {};
    if (GisGetFieldText(structure, values, position, buffer, sizeof buffer, 0, 0) <= 0)
        return {};
    return buffer;
}

const IndexRecord* FindIndexRecord(const std::string& code) {
    for (const IndexRecord& record : Config().index)
        if (record.code == code)
            return &record;
    return nullptr;
}

const ExchangeRow* FindRow(const std::string& code) {
    for (const ExchangeRow& row : ExchangeRows())
        if (row.code == code.c_str())
            return &row;
    return nullptr;
}

std::string LayerOf(const std::string& code) {
    const ExchangeRow* row = FindRow(code);
    return row != nullptr ? std::string(row->layer.GetString()) : std::string("0");
}

// What the importers of one file kind say about objects they do not recognise.
struct KindTexts {
    const char* title;
    const char* cadastral;    // for "dj_error"
    const char* topographic;  // for "dx_error"
};
const KindTexts kPointTexts = {"点实体错误", "未能识别的地籍点实体，请检查要素代码",
                               "未能识别的地形点实体，请检查MapGis实体参数"};
const KindTexts kLineTexts = {"线实体错误", "未能识别的地籍线实体，请检查要素代码",
                              "未能识别的地形线实体，请检查MapGis实体参数"};
const KindTexts kAreaTexts = {"面实体错误", "未能识别的地籍面实体，请检查要素代码",
                              "未能识别的地形面实体，请检查MapGis实体参数"};

// The codes of one object, with the placeholder it started from.
struct ObjectCodes {
    std::string code;
    std::string groupCode;
    const char* placeholder = "";
    bool Unrecognised() const { return code == placeholder; }
};

using SymbolLookup = void (*)(const CGisWorkView&, std::string&, const BYTE*);

ObjectCodes WorkOutCodes(const CGisWorkView& view, const CATT_STRU* structure, const ATT_VALUES* values,
                         const BYTE* params, SymbolLookup lookup) {
    ObjectCodes codes;
    const bool mapped = !view.m_attributeNames.empty();
    codes.placeholder = mapped ? "dj_error" : "dx_error";
    bool hasCode = false;
    for (short i = 0; i < structure->fieldCount; ++i) {
        const char* name = structure->fields[i].name;
        if (std::strcmp(name, "实体编码") == 0) {
            hasCode = true;
            codes.code = FieldText(structure, values, i);
            if (codes.code.empty())
                codes.code = view.m_defaultCode;
        } else if (std::strcmp(name, "编组编码") == 0) {
            codes.groupCode = FieldText(structure, values, i);
        }
    }
    if (hasCode)
        return codes;
    codes.code = codes.placeholder;
    if (mapped) {
        for (short i = 0; i < structure->fieldCount; ++i) {
            const char* name = structure->fields[i].name;
            if (std::strcmp(name, "要素代码") != 0 && std::strcmp(name, "YSDM") != 0)
                continue;
            const std::string value = FieldText(structure, values, i);
            for (const ExchangeRow& row : ExchangeRows()) {
                if (row.mapgisCode == value.c_str()) {
                    codes.code = row.code.GetString();
                    break;
                }
            }
            break;
        }
    } else {
        lookup(view, codes.code, params);
    }
    return codes;
}

// Counts one entity of an object and, when the object was not recognised, moves it to "ERROR"
// without a code and reports it. An object that yielded no entity is only counted.
void Settle(AcDbObjectId id, const ObjectCodes& codes, const KindTexts& texts, int& recognised,
            int& unrecognised) {
    if (!codes.Unrecognised()) {
        ++recognised;
        return;
    }
    ++unrecognised;
    ads_name entity{};
    if (id.isNull() || acdbGetAdsName(entity, id) != Acad::eOk)
        return;
    SendEntityIdToBrowser(
        texts.title, std::strcmp(codes.placeholder, "dj_error") == 0 ? texts.cadastral : texts.topographic,
        id);
    SetEntityCode(entity, "");
    SetEntityLayer(entity, "ERROR");
}

// The steps every importer shares: the walk over the objects with the progress meter.
template <typename Body>
void WalkObjects(CGisWorkView& view, const char* progress, LONG (*current)(short), Body body) {
    const LONG count = GisGetObjectCount(view.m_workspace);
    const short file = GisGetFileHandle(view.m_workspace);
    if (count > 0) {
        acedSetStatusBarProgressMeter(progress, 0, static_cast<int>(count));
        for (LONG step = 0; step < count; ++step) {
            acedSetStatusBarProgressMeterPos(static_cast<int>(step));
            PumpMessages();
            const LONG number = current(file);
            if (number > 0)
                body(file, number);
            GisNextObject(view.m_workspace);
        }
        acedRestoreStatusBar();
    }
    GisFreeSlot(view.m_workspace);
    GisFreeRecords(view.m_workspace);
}

void Finish(const CGisWorkView& view, AcDbObjectId id, const CATT_STRU* structure, const ATT_VALUES* values,
            const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
            const ObjectCodes& codes, const char* attributeCode) {
    if (id.isNull())
        return;
    MapImportAttributes(view, structure, values, id, tables, groupNames, attributeCode);
    AddToCodeGroup(id, codes.groupCode);
}

// Where the text holds the separator, searched on character boundaries only, never inside a
// double-byte character; npos when nowhere.
std::size_t FindText(const std::string& text, const std::string& separator, std::size_t from = 0) {
    for (std::size_t at = from; at < text.size();
         at += std::max<std::size_t>(1, platform::text::GbkCharLength(text, at)))
        if (text.compare(at, separator.size(), separator) == 0)
            return at;
    return std::string::npos;
}

// Texts of one annotation: pieces cut at "#=", each with an optional raised ("#+") or lowered
// ("#-") half-height tail.
std::vector<AcDbObjectId> PlaceAnnotationText(const std::string& text, const AcGePoint3d& at, double height,
                                              double width, double angle, const char* justification,
                                              const std::string& code, const std::string& layer) {
    std::vector<AcDbObjectId> ids;
    const double rotation = angle * kRadiansPerDegree;
    const double widthFactor = height > 0 ? width / height : 0;
    double y = at.y;
    auto draw = [&](const std::string& part, double x, double partHeight) {
        if (part.empty())
            return AcDbObjectId();
        const AcDbObjectId id = CreateText(AcGePoint3d(x, y, 0), part.c_str(), justification, code.c_str(),
                                           partHeight, layer.c_str(), rotation, widthFactor, nullptr);
        if (!id.isNull())
            ids.push_back(id);
        return id;
    };
    for (const std::string& piece : SplitText(text, "#=")) {
        const std::size_t raised = FindText(piece, "#+");
        const std::size_t lowered = FindText(piece, "#-");
        const std::size_t marker = std::min(raised, lowered);
        if (marker == std::string::npos) {
            draw(piece, at.x, height);
            continue;
        }
        double x = at.x;
        const AcDbObjectId normal = draw(piece.substr(0, marker), x, height);
        ads_name entity{};
        AcGePoint3d low, high;
        if (!normal.isNull() && acdbGetAdsName(entity, normal) == Acad::eOk &&
            EntityExtents(entity, low, high, 0))
            x += high.x - low.x;
        y += marker == raised ? 0.75 * height : -0.25 * height;
        draw(piece.substr(marker + 2), x, 0.5 * height);
    }
    return ids;
}

void ImportPoint(CGisWorkView& view, short file, LONG number, double factor, int& recognised,
                 int& unrecognised, const std::vector<AttributeTable>& tables,
                 const std::vector<std::string>& groupNames) {
    D_DOT position{};
    const char* text = nullptr;
    BYTE params[GIS_POINT_PARAM_SIZE] = {};
    if (GisGetPoint(file, number, &position, &text, params) <= 0)
        return;
    const std::string label = text != nullptr ? text : "";
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    if (GisGetAttribute(file, GIS_KIND_POINT, number, &structure, &values) <= 0 || structure == nullptr)
        return;
    ObjectCodes codes = WorkOutCodes(view, structure, values, params, FindPointSymbol);
    const IndexRecord* index = FindIndexRecord(codes.code);
    const std::string symbol = index != nullptr ? index->symbol : std::string("gc200");
    const std::string layer = LayerOf(codes.code);
    const AcGePoint3d at(position.x, position.y, 0);
    auto one = [&](AcDbObjectId id, const char* attributeCode) {
        Finish(view, id, structure, values, tables, groupNames, codes, attributeCode);
        Settle(id, codes, kPointTexts, recognised, unrecognised);
    };

    switch (params[0]) {
        case 2: {
            const double radius = Drawable(GetDouble(params, 2));
            one(radius > 0 ? CreateCodedCircle(at, radius, codes.code.c_str(), nullptr, layer.c_str())
                           : AcDbObjectId(),
                codes.code.c_str());
            break;
        }
        case 1: {
            short elevationField = -1;
            for (short i = 0; i < structure->fieldCount; ++i)
                if (std::strcmp(structure->fields[i].name, "标示高程") == 0)
                    elevationField = i;
            if (elevationField >= 0) {
                codes.code = kElevationCode;
                const double z = std::atof(FieldText(structure, values, elevationField).c_str());
                const AcDbObjectId id = InsertSymbolBlock(AcGePoint3d(position.x, position.y, z), "gc200",
                                                          kElevationCode, factor, 0, "GCD", AcDbObjectId());
                ads_name entity{};
                if (!id.isNull() && acdbGetAdsName(entity, id) == Acad::eOk)
                    SetEntityColorIndex(entity, 3);
                one(id, kElevationCode);
            } else if (symbol == "continuous") {
                one(CreateCodedCircle(at, factor * 0.5, codes.code.c_str(), nullptr, layer.c_str()),
                    codes.code.c_str());
            } else {
                one(InsertSymbolBlock(at, symbol.c_str(), codes.code.c_str(), factor,
                                      Drawable(GetFloat(params, 14)) * kRadiansPerDegree, layer.c_str(),
                                      AcDbObjectId()),
                    codes.code.c_str());
            }
            break;
        }
        case 0: {
            const double h = Drawable(GetFloat(params, 2));
            const double w = Drawable(GetFloat(params, 6));
            const double a = Drawable(GetFloat(params, 14));
            const std::vector<std::string> pieces = SplitText(label, "/");
            std::vector<AcDbObjectId> ids;
            if (label.size() >= 2 && label.front() == '/' && label.back() == '/' && pieces.size() == 4) {
                const AcGePoint3d middle(position.x + w * factor * 0.05, position.y + h * factor * 0.01, 0);
                for (const AcDbObjectId id :
                     PlaceAnnotationText(pieces[1], middle, h, w, a, "BC", codes.code, layer))
                    ids.push_back(id);
                for (const AcDbObjectId id :
                     PlaceAnnotationText(pieces[2], middle, h, w, a, "TC", codes.code, layer))
                    ids.push_back(id);
                ids.push_back(CreateCodedLine(AcGePoint3d(position.x - w, position.y, 0),
                                              AcGePoint3d(position.x + 2 * w, position.y, 0), "310003",
                                              nullptr, "ZJ"));
            } else {
                ids = PlaceAnnotationText(label, at, h, w, a, "L", codes.code, layer);
            }
            for (const AcDbObjectId id : ids)
                one(id, codes.code.c_str());
            // An annotation that draws nothing (no text, no height) still counts once.
            if (ids.empty())
                one(AcDbObjectId(), codes.code.c_str());
            break;
        }
        default:
            break;
    }
}

void ImportLine(CGisWorkView& view, short file, LONG number, double factor, int& recognised,
                int& unrecognised, const std::vector<AttributeTable>& tables,
                const std::vector<std::string>& groupNames) {
    const D_DOT* points = nullptr;
    LONG count = 0;
    BYTE params[GIS_LINE_PARAM_SIZE] = {};
    if (GisGetLine(file, number, &points, &count, params) <= 0)
        return;
    AcGePoint2dArray vertices;
    for (LONG i = 0; i < count; ++i)
        vertices.append(AcGePoint2d(std::isfinite(points[i].x) ? points[i].x : 0,
                                    std::isfinite(points[i].y) ? points[i].y : 0));
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    if (GisGetAttribute(file, GIS_KIND_LINE, number, &structure, &values) <= 0 || structure == nullptr)
        return;
    const ObjectCodes codes = WorkOutCodes(view, structure, values, params, FindLineSymbol);
    const IndexRecord* index = FindIndexRecord(codes.code);
    const std::string linetype = index != nullptr ? index->symbol : std::string("continuous");
    const double width = index != nullptr ? index->factor * factor : 0;
    const ExchangeRow* row = FindRow(codes.code);
    if (row != nullptr && row->reverse == 1)
        vertices.reverse();
    const AcDbObjectId id =
        CreateImportPolyline(vertices, 0, false, codes.code.c_str(), width, LayerOf(codes.code).c_str());
    ads_name entity{};
    if (!id.isNull() && acdbGetAdsName(entity, id) == Acad::eOk) {
        if (codes.code == "144301") {
            char text[64];
            std::snprintf(text, sizeof text, "%f", 0.05 * Drawable(GetFloat(params, 17)));
            WriteEntityXData(id, "MIRET", text, kXDataReal, 1, false, true, false);
        } else if (codes.code == "201102") {
            SetEntityColorIndex(entity, 2);
        }
        EnsureLinetype(entity, linetype.c_str());
    }
    Finish(view, id, structure, values, tables, groupNames, codes, codes.code.c_str());
    Settle(id, codes, kLineTexts, recognised, unrecognised);
}

double Distance(const AcGePoint2d& a, const AcGePoint2d& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

void CloseRing(std::vector<AcGePoint2d>& ring) {
    if (ring.size() > 2 && Distance(ring.back(), ring.front()) <= kJoinTolerance)
        ring.pop_back();
}

// The rings of an area from its signed line list; only the first one unless every ring is asked.
std::vector<std::vector<AcGePoint2d>> AreaRings(short file, const std::vector<LONG>& list, bool everyRing) {
    std::vector<std::vector<AcGePoint2d>> rings(1);
    for (std::size_t i = 1; i < list.size(); ++i) {
        const LONG entry = list[i];
        if (entry == 0) {
            if (!everyRing)
                break;
            CloseRing(rings.back());
            rings.emplace_back();
            continue;
        }
        const D_DOT* points = nullptr;
        LONG count = 0;
        if (GisGetLine(file, entry < 0 ? -entry : entry, &points, &count, nullptr) <= 0 || count <= 0)
            continue;
        std::vector<AcGePoint2d> line;
        for (LONG k = 0; k < count; ++k)
            line.emplace_back(std::isfinite(points[k].x) ? points[k].x : 0,
                              std::isfinite(points[k].y) ? points[k].y : 0);
        if (entry < 0)
            std::reverse(line.begin(), line.end());
        std::vector<AcGePoint2d>& ring = rings.back();
        if (!ring.empty() && Distance(ring.back(), line.front()) <= kJoinTolerance)
            ring.pop_back();
        ring.insert(ring.end(), line.begin(), line.end());
    }
    CloseRing(rings.back());
    return rings;
}

AcGePoint2dArray AsArray(const std::vector<AcGePoint2d>& ring) {
    AcGePoint2dArray points;
    for (const AcGePoint2d& p : ring)
        points.append(p);
    return points;
}

void ImportArea(CGisWorkView& view, short file, LONG number, double factor, int& recognised,
                int& unrecognised, const std::vector<AttributeTable>& tables,
                const std::vector<std::string>& groupNames) {
    const LONG* entries = nullptr;
    LONG length = 0;
    BYTE params[GIS_AREA_PARAM_SIZE] = {};
    if (GisGetArea(file, number, &entries, &length, params) <= 0)
        return;
    const std::vector<LONG> list(entries, entries + (entries != nullptr && length > 0 ? length : 0));
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    if (GisGetAttribute(file, GIS_KIND_AREA, number, &structure, &values) <= 0 || structure == nullptr)
        return;
    const ObjectCodes codes = WorkOutCodes(view, structure, values, params, FindAreaSymbol);
    const IndexRecord* index = FindIndexRecord(codes.code);
    const std::string linetype = index != nullptr ? index->symbol : std::string("continuous");
    const double width = index != nullptr ? index->factor * factor : 0;
    const std::string layer = LayerOf(codes.code);
    const bool everyRing = view.m_areaText.find("房屋") != std::string::npos;
    std::vector<std::vector<AcGePoint2d>> rings = AreaRings(file, list, everyRing);

    const bool parcel = codes.code == kParcelCode;
    int type = kSimple2dPolyline;
    if (!parcel) {
        const ExchangeRow* row = FindRow(codes.code);
        if (row != nullptr && row->reverse == 1)
            std::reverse(rings.front().begin(), rings.front().end());
        type = Get32(params, 14);
        // A type the polyline maker does not know would leave the area undrawn.
        if (type < kLightweightPolyline || type > kSimple2dPolyline)
            type = kLightweightPolyline;
    }
    const AcDbObjectId id =
        CreateCodedPolyline(AsArray(rings.front()), 0, 1, codes.code.c_str(), width, type, layer.c_str());
    Finish(view, id, structure, values, tables, groupNames, codes, codes.code.c_str());
    ads_name entity{};
    if (!id.isNull() && acdbGetAdsName(entity, id) == Acad::eOk)
        EnsureLinetype(entity, linetype.c_str());
    if (everyRing && !parcel) {
        for (std::size_t r = 1; r < rings.size(); ++r) {
            const AcDbObjectId island =
                CreateCodedPolyline(AsArray(rings[r]), 0, 1, "141910", width, type, layer.c_str());
            ads_name islandName{};
            if (!island.isNull() && acdbGetAdsName(islandName, island) == Acad::eOk)
                EnsureLinetype(islandName, "X5");
        }
    }
    Settle(id, codes, kAreaTexts, recognised, unrecognised);
}

// The first n characters, or the last n, of a GBK text; a shorter text is the whole text.
std::string FirstChars(const std::string& text, std::size_t n) {
    std::size_t at = 0;
    for (std::size_t k = 0; k < n && at < text.size(); ++k)
        at += std::max<std::size_t>(1, platform::text::GbkCharLength(text, at));
    return text.substr(0, std::min(at, text.size()));
}
std::string LastChars(const std::string& text, std::size_t n) {
    const std::size_t count = platform::text::GbkCharCount(text);
    if (count <= n)
        return text;
    return text.substr(FirstChars(text, count - n).size());
}

std::string LongText(const std::string& text) {
    return std::to_string(std::strtol(text.c_str(), nullptr, 10));
}

// A value under the feature code's application goes after the code, which stays: a text that
// is the code itself, or empty, adds nothing.
void AddCodeItem(AcDbObjectId id, const char* code, int kind, const std::string& value) {
    if (kind == kXDataString && (value.empty() || value == code))
        return;
    WriteEntityXData(id, kFeatureCodeApp, value.c_str(), kind, -1, false, false, false);
}

}  // namespace

void ReadImportCodes(CGisWorkView& view, const char* category, const std::vector<AttributeTable>& tables,
                     std::vector<std::string>& groupNames) {
    groupNames.clear();
    std::memset(view.m_defaultCode, 0, sizeof view.m_defaultCode);
    SelectCategoryTemplate(view, category);
    for (const AttributeTemplate& candidate : Config().templates) {
        if (candidate.category != category)
            continue;
        const std::string prefix = candidate.name + "_";
        for (const AttributeTable& table : tables)
            if (table.Name().starts_with(prefix))
                groupNames.push_back(table.Name());
        return;
    }
}

void ImportPointFile(CGisWorkView& view, int& recognised, int& unrecognised,
                     const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
                     ScaleSource scale) {
    recognised = unrecognised = 0;
    const double factor = ScaleFactor(scale);
    WalkObjects(view, "正在导入点文件......", GisCurrentPoint, [&](short file, LONG number) {
        ImportPoint(view, file, number, factor, recognised, unrecognised, tables, groupNames);
    });
}

void ImportLineFile(CGisWorkView& view, int& recognised, int& unrecognised,
                    const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
                    ScaleSource scale) {
    recognised = unrecognised = 0;
    const double factor = ScaleFactor(scale);
    WalkObjects(view, "正在导入线文件......", GisCurrentLine, [&](short file, LONG number) {
        ImportLine(view, file, number, factor, recognised, unrecognised, tables, groupNames);
    });
}

void ImportAreaFile(CGisWorkView& view, int& recognised, int& unrecognised,
                    const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
                    ScaleSource scale) {
    recognised = unrecognised = 0;
    const double factor = ScaleFactor(scale);
    WalkObjects(view, "正在导入面文件......", GisCurrentArea, [&](short file, LONG number) {
        ImportArea(view, file, number, factor, recognised, unrecognised, tables, groupNames);
    });
}

void MapImportAttributes(const CGisWorkView& view, const CATT_STRU* structure, const ATT_VALUES* values,
                         AcDbObjectId id, const std::vector<AttributeTable>& tables,
                         const std::vector<std::string>& groupNames, const char* code) {
    ads_name entity{};
    if (structure == nullptr || id.isNull() || acdbGetAdsName(entity, id) != Acad::eOk)
        return;
    const bool parcel = std::strcmp(code, kParcelCode) == 0;
    if (parcel)
        for (int i = 0; i < 3; ++i)
            WriteEntityXData(id, "MIRET", "", kXDataString, -1, false, false, false);
    std::string groupKey;
    bool keyed = false;
    for (short i = 0; i < structure->fieldCount; ++i) {
        std::string application;
        int kind = 0;
        if (!LookupAttributeSource(view, structure->fields[i].name, application, kind))
            continue;
        std::string value = FieldText(structure, values, i);
        switch (kind) {
            case 0:
            case 1:
            case 2:
            case 3:
                if (platform::text::GbkEqualNoCase(application, kFeatureCodeApp))
                    AddCodeItem(id, code, kind, value);
                else
                    SetXData(entity, application.c_str(), kind, value.c_str());
                break;
            case 4:
                SetXData(entity, application.c_str(), kind, EightDigitDate(value).value_or(value).c_str());
                break;
            case 12:
                groupKey = value;
                keyed = true;
                break;
            case 91: {
                char text[64];
                std::snprintf(text, sizeof text, "%f", Drawable(std::atof(value.c_str())));
                WriteEntityXData(id, "MIRET", text, kXDataReal, 1, false, true, false);
                break;
            }
            case 220:
                WriteEntityXData(id, "MIRET", value.c_str(), kXDataString, 3, false, true, false);
                break;
            case 200:
                if (parcel) {
                    SetXData(entity, "QHDM", kXDataString, FirstChars(value, 6).c_str());
                    WriteEntityXData(id, "MIRET", LastChars(value, 13).c_str(), kXDataString, 1, false, true,
                                     false);
                } else {
                    if (value.empty())
                        value = "0";
                    const auto first = static_cast<unsigned char>(value[0]);
                    std::string head = "0", rest = value;
                    if (!(first >= '0' && first <= '9')) {
                        head = FirstChars(value, 1);
                        rest = value.substr(head.size());
                    }
                    WriteEntityXData(id, "MIRET", head.c_str(), kXDataString, 1, false, true, false);
                    WriteEntityXData(id, "MIRET", LongText(rest).c_str(), kXDataLong, 2, false, true, false);
                }
                break;
            default:
                break;
        }
    }
    if (!keyed)
        return;
    for (const std::string& name : groupNames)
        for (const AttributeTable& table : tables)
            if (table.Name() == name) {
                table.WriteRowAsXData(entity, groupKey);
                break;
            }
}

void AddToCodeGroup(AcDbObjectId id, const std::string& groupCode) {
    if (groupCode.empty() || groupCode == "0" || id.isNull())
        return;
    auto& groups = CodeGroups();
    const auto found = groups.find(groupCode);
    if (found != groups.end()) {
        AppendToGroup(found->second, id);
        return;
    }
    ads_name entity{};
    AcDbObjectId group;
    if (acdbGetAdsName(entity, id) == Acad::eOk && CreateEntityGroup(entity, group))
        groups.emplace(groupCode, group);
}

void ClearCodeGroups() {
    CodeGroups().clear();
}

void FindPointSymbol(const CGisWorkView& view, std::string& code, const BYTE* params) {
    const int* on = view.m_match;
    for (const ExchangeRow& row : ExchangeRows()) {
        if ((!on[kPointSubSymbol] || row.i1 == Get32(params, 2)) &&
            (!on[kPointWidth] || static_cast<double>(row.i3) == GetFloat(params, 10)) &&
            (!on[kPointHeight] || static_cast<double>(row.i4) == GetFloat(params, 6)) &&
            (!on[kPointColour] || row.i6 == Get32(params, 44)) &&
            (!on[kPointLayer] || row.i8 == Get16(params, 52))) {
            code = row.code.GetString();
            return;
        }
    }
}

void FindLineSymbol(const CGisWorkView& view, std::string& code, const BYTE* params) {
    const int* on = view.m_match;
    for (const ExchangeRow& row : ExchangeRows()) {
        if ((!on[kLineType] || row.i1 == Get16(params, 0)) && (!on[kLineAuxType] || row.i2 == params[2]) &&
            (!on[kLineXFactor] || static_cast<double>(row.i3) == GetFloat(params, 13)) &&
            (!on[kLineYFactor] || static_cast<double>(row.i4) == GetFloat(params, 17)) &&
            (!on[kLineWidth] || static_cast<double>(row.i5) == GetFloat(params, 8)) &&
            (!on[kLineColour] || row.i6 == Get32(params, 4)) &&
            (!on[kLineAuxColour] || row.i7 == Get32(params, 21)) &&
            (!on[kLineLayer] || row.i8 == Get16(params, 25))) {
            code = row.code.GetString();
            return;
        }
    }
}

void FindAreaSymbol(const CGisWorkView& view, std::string& code, const BYTE* params) {
    const int* on = view.m_match;
    for (const ExchangeRow& row : ExchangeRows()) {
        if ((!on[kAreaFillColour] || row.i6 == Get32(params, 0)) &&
            (!on[kAreaPatternHeight] || static_cast<double>(row.i4) == GetFloat(params, 6)) &&
            (!on[kAreaPatternWidth] || static_cast<double>(row.i3) == GetFloat(params, 10)) &&
            (!on[kAreaPatternColour] || row.i7 == Get16(params, 4)) &&
            (!on[kAreaLayer] || row.i8 == Get16(params, 21))) {
            code = row.code.GetString();
            return;
        }
    }
}

AcDbObjectId InsertSymbolBlock(const AcGePoint3d& at, const char* block, const char* code, double scale,
                               double rotation, const char* layer, AcDbObjectId group) {
    if (!InsertBlockFromFile(block))
        return AcDbObjectId();
    AcDbObjectId blockId;
    {
        Opened<AcDbBlockTable> table(acdbHostApplicationServices()->workingDatabase()->blockTableId(),
                                     AcDb::kForRead);
        if (!table || table->getAt(block, blockId) != Acad::eOk)
            return AcDbObjectId();
    }
    auto reference = std::make_unique<AcDbBlockReference>(at, blockId);
    if (reference->setScaleFactors(AcGeScale3d(scale, scale, 1)) != Acad::eOk)
        return AcDbObjectId();
    reference->setRotation(rotation);
    Opened<AcDbGroup> opened;
    if (!group.isNull())
        opened.openObject(group, AcDb::kForWrite);
    return drawingutil::FinishCodedEntity(reference.release(), code, layer, opened.get());
}

AcDbObjectId CreateImportPolyline(const AcGePoint2dArray& points, double elevation, bool closed,
                                  const char* code, double width, const char* layer) {
    return CreateCodedPolyline(points, elevation, closed ? 1 : 0, code, width, kLightweightPolyline, layer);
}

void AppendToGroup(AcDbObjectId group, AcDbObjectId entity) {
    Opened<AcDbGroup> opened(group, AcDb::kForWrite);
    if (opened)
        opened->append(entity);
}

std::vector<std::string> SplitText(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (separator.empty())
        return {text};
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = FindText(text, separator, from);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(from));
            return pieces;
        }
        pieces.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
}

}  // namespace gisexchange
