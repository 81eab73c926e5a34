#include "gisexchange/feature_records.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "drawingutil/curve_measures.h"
#include "drawingutil/entity_positions.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/text_entities.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/feature_writers.h"
#include "gisexchange/parcel_measures.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/gis/bas60.h"
#include "platform/text/fixed_text.h"
#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

using platform::text::FixedText;

AcDbObjectId IdOf(const ads_name entity)
{
    AcDbObjectId id;
    drawingutil::IdOfName(entity, id);
    return id;
}

// The first value of a DXF group of the entity's listing.
const resbuf* FindGroup(const resbuf* chain, int code)
{
    for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == code)
            return rb;
    return nullptr;
}

// The entity's listing, made once for all the fields of one record that read it.
const resbuf* Listing(const ads_name entity, ExportLookups& lookups)
{
    const AcDbObjectId id = IdOf(entity);
    if (!lookups.listing || lookups.listedEntity != id) {
        lookups.listing.reset(acdbEntGet(entity));
        lookups.listedEntity = id;
    }
    return lookups.listing.get();
}

// A TEXT's listing spells out every field of the text where a record reads one or two: its
// groups 40, 41, 50, 51 and 7 are taken from the text as the listing gives them (angles in
// radians, the style by name). Unknown for any other entity, or a text whose style cannot be
// opened: those are listed.
const ExportLookups::TextGroups& TextGroupsOf(const ads_name entity, ExportLookups& lookups)
{
    const AcDbObjectId id = IdOf(entity);
    if (lookups.textEntity == id && !id.isNull())
        return lookups.textGroups;
    lookups.textEntity = id;
    ExportLookups::TextGroups& groups = lookups.textGroups;
    groups = {};
    drawingutil::Opened<AcDbEntity> object(id, AcDb::kForRead);
    if (!object || object->isA() != AcDbText::desc())
        return groups;
    const auto* text = static_cast<const AcDbText*>(object.get());
    drawingutil::Opened<AcDbTextStyleTableRecord> style(text->textStyle(), AcDb::kForRead);
    const char* name = nullptr;
    if (!style || style->getName(name) != Acad::eOk || name == nullptr)
        return groups;
    groups.known = true;
    groups.height = text->height();
    groups.widthFactor = text->widthFactor();
    groups.rotation = text->rotation();
    groups.oblique = text->oblique();
    groups.style = name;
    return groups;
}

bool TextGroupReal(const ExportLookups::TextGroups& text, int code, double& value)
{
    switch (code) {
    case 40: value = text.height; return true;
    case 41: value = text.widthFactor; return true;
    case 50: value = text.rotation; return true;
    case 51: value = text.oblique; return true;
    default: return false;
    }
}

bool GroupReal(const ads_name entity, int code, double& value, ExportLookups& lookups)
{
    const ExportLookups::TextGroups& text = TextGroupsOf(entity, lookups);
    if (text.known && TextGroupReal(text, code, value))
        return true;
    const resbuf* rb = FindGroup(Listing(entity, lookups), code);
    if (rb == nullptr)
        return false;
    value = rb->resval.rreal;
    return true;
}

bool GroupText(const ads_name entity, int code, std::string& value, ExportLookups& lookups)
{
    const ExportLookups::TextGroups& text = TextGroupsOf(entity, lookups);
    if (text.known && code == 7) {
        value = text.style;
        return true;
    }
    const resbuf* rb = FindGroup(Listing(entity, lookups), code);
    if (rb == nullptr || rb->resval.rstring == nullptr)
        return false;
    value = rb->resval.rstring;
    return true;
}

// The entity's extended data, read once for all the fields and related rows of one record.
const XDataSnapshot& XDataOf(const ads_name entity, ExportLookups& lookups)
{
    const AcDbObjectId id = IdOf(entity);
    if (!lookups.xdata.read() || lookups.xdata.object() != id)
        lookups.xdata.Read(id);
    return lookups.xdata;
}

// Item `index` of the feature data, converted to the kind asked for.
bool CodeItem(const XDataSnapshot& xdata, int index, int kind, std::string& text)
{
    return xdata.Item("MIRET", index, kind, true, text);
}

double CodeItemReal(const XDataSnapshot& xdata, int index)
{
    std::string text;
    return CodeItem(xdata, index, 3, text) ? std::atof(text.c_str()) : 0;
}

// The floors a feature counts: its second item taken whole, 1 when it has none.
double Floors(const XDataSnapshot& xdata)
{
    if (xdata.Count("MIRET") < 2)
        return 1;
    return std::trunc(CodeItemReal(xdata, 1));
}

bool PointOf(const ads_name entity, AcGePoint3d& point)
{
    return GetBlockPosition(entity, point) || GetCircleCenter(entity, point);
}

bool MeasuredParcel(const ads_name entity, ParcelCheckContext& context)
{
    AcGePoint2dArray points;
    return MeasureParcel(context, entity, points);
}

}  // namespace

std::string EntityTypeName(const ads_name entity)
{
    drawingutil::Opened<AcDbEntity> object(entity, AcDb::kForRead);
    if (!object)
        return {};
    const char* name = object->isA() != nullptr ? object->isA()->dxfName() : nullptr;
    std::string type = name != nullptr ? name : "";
    object.close();
    // An entity of a class the host keeps as raw data is listed.
    if (type.empty())
        GetEntityTypeName(entity, type);
    return type;
}

std::string CutToWidth(std::string_view text, int width)
{
    if (width < 0)
        width = 0;
    return std::string(text.substr(0, platform::text::GbkFitLength(text, static_cast<std::size_t>(width))));
}

void InsertInString(std::string& text, std::size_t position, std::string_view insert)
{
    if (position <= text.size())
        text.insert(position, insert);
}

void ReplaceInString(std::string& text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

long GroupNumber(AcDbObjectId group)
{
    return static_cast<long>(group.handle().low());
}

bool EvaluateFieldSource(const GisOutputFile& output, const ads_name entity, const std::string& application, int source,
                         std::string& out, long featureId, TableExporter& exporter)
{
    out.clear();
    // The data is read at the first field that asks for it.
    auto xdata = [&]() -> const XDataSnapshot& { return XDataOf(entity, exporter.lookups); };
    // The code is read only by the sources that need it: most fields never look at it.
    std::string code;
    auto readCode = [&] { xdata().Code(code); };
    double value = 0;
    AcGePoint3d point;
    switch (source) {
    case 0: case 1: case 2: case 3: case 5: case 6: case 7: case 8: case 9:
        return xdata().FirstOfKind(application, source, out);
    case 4:
        if (!xdata().FirstOfKind(application, 4, out))
            return false;
        InsertInString(out, 6, "-");
        InsertInString(out, 4, "-");
        return true;
    case 12:
        out = std::to_string(featureId);
        return true;
    case 13:
        if (GetBlockPosition(entity, point))
            value = point.z;
        else if (!CurveElevation(entity, value))
            return false;
        out = FixedText(value, 2);
        return true;
    case 20:
        GetTextString(entity, out);
        return true;
    case 23:
        if (!GroupReal(entity, 50, value, exporter.lookups))
            return false;
        out = FixedText(value, 6);
        return true;
    case 30:
        return GroupText(entity, 7, out, exporter.lookups);
    case 33:
        if (!GroupReal(entity, 40, value, exporter.lookups))
            return false;
        out = FixedText(value, 1);
        return true;
    case 43:
    case 53:
        if (!PointOf(entity, point))
            return false;
        out = FixedText(source == 43 ? point.y : point.x, 3);
        return true;
    case 63:
        if (!GetCurveArea(entity, value))
            return false;
        out = FixedText(value, 3);
        return true;
    case 73:
        if (!CurveLength(entity, value))
            return false;
        out = FixedText(value, 4);
        return true;
    case 83: {
        double factor = 1;
        if (!GroupReal(entity, 40, value, exporter.lookups))
            return false;
        GroupReal(entity, 41, factor, exporter.lookups);
        out = FixedText(value * factor, 1);
        return true;
    }
    case 91:
        out = FixedText(Floors(xdata()), 0);
        return true;
    case 100: {
        std::string fifth, sixth;
        readCode();
        if (code.empty() && EntityTypeName(entity) == "VERTEX")
            code = "303000";
        LookupIndexRecord(code, fifth, sixth);
        out = fifth;
        return true;
    }
    case 120:
        return xdata().Item("miret", 1, 0, true, out);
    case 130:
    case 140:
    case 150: {
        readCode();
        const int row = FindTableIndex(code.c_str());
        if (row < 0)
            return false;
        const ExchangeRow& r = ExchangeRows()[static_cast<std::size_t>(row)];
        const CString& text = source == 130 ? r.legendNumber : source == 140 ? r.remark : r.mapgisCode;
        out = static_cast<const char*>(text);
        return true;
    }
    case 200: {
        readCode();
        const int items = xdata().Count("MIRET");
        std::string second, third;
        if (code.rfind("30000", 0) == 0) {
            // A parcel's data is its code and its number: the number follows the district code.
            xdata().FirstOfKind("QHDM", 0, out);
            if (items >= 2 && CodeItem(xdata(), 1, 0, second))
                out += second;
            return true;
        }
        if (items < 3) {
            out = "0";
            return true;
        }
        CodeItem(xdata(), 1, 0, second);
        CodeItem(xdata(), 2, 2, third);
        out = second + third;
        return true;
    }
    case 220:
        return CodeItem(xdata(), 3, 0, out);
    case 223:
        out = FixedText(output.segmentLength, 3);
        return true;
    case 233:
    case 243: {
        // Both ratios come from one measure of the parcel.
        ExportLookups& lookups = exporter.lookups;
        const AcDbObjectId id = IdOf(entity);
        if (lookups.measuredParcel != id || id.isNull()) {
            ParcelCheckContext context;
            // Houses are selected around for courtyards only where one may lie.
            context.mayHoldCourtyards = [&exporter](const AcGePoint2dArray& ring) {
                return CodeMayLieWithin(exporter, "145000", ring);
            };
            lookups.measuredParcel = id;
            lookups.measured = MeasuredParcel(entity, context);
            lookups.coverageRatio = context.coverageRatio;
            lookups.floorAreaRatio = context.floorAreaRatio;
        }
        if (!lookups.measured)
            return false;
        out = FixedText(source == 233 ? lookups.coverageRatio : lookups.floorAreaRatio, 6);
        return true;
    }
    case 263:
        if (!GetCurveArea(entity, value))
            return false;
        out = FixedText(value * Floors(xdata()), 6);
        return true;
    case 300:
        out = "0";
        return true;
    case 301:
        out = "400";
        return true;
    case 302:
        if (!CurveElevation(entity, value))
            return false;
        out = FixedText(value, 0);
        return true;
    case 310: {
        const double pi = 3.14159265358979323846;
        out = "0";
        if (GroupReal(entity, 51, value, exporter.lookups))
            out = value > 0 && value < pi ? "2" : value > pi && value < 2 * pi ? "1" : "0";
        return true;
    }
    case 320:
        out = "F";
        return true;
    case 330: {
        ExportLookups& lookups = exporter.lookups;
        if (!lookups.landUseLoaded) {
            LoadItemTable("TBL_TDYT", lookups.landUseCodes, lookups.landUseValues);
            lookups.landUseLoaded = true;
        }
        std::string landClass;
        xdata().FirstOfKind("DLBM", 0, landClass);
        for (std::size_t i = 0; i < lookups.landUseCodes.size() && i < lookups.landUseValues.size(); ++i)
            if (landClass == static_cast<const char*>(lookups.landUseCodes[i])) {
                out = static_cast<const char*>(lookups.landUseValues[i]);
                break;
            }
        return true;
    }
    case 403:
        if (!CurveElevation(entity, value))
            value = 12.5;
        out = FixedText(value, 3);
        return true;
    default:
        if (source > 300 && source < 400 && source % 10 == 3)
            return xdata().FirstOfKind(application, 3, out);
        return false;
    }
}

void WriteFeatureRecord(GisOutputFile& output, const ads_name entity, const AttributeTemplate& tmpl, LONG featureNumber,
                        short kind, long featureId, TableExporter& exporter, const std::string& code, long groupNumber)
{
    const short file = output.handles.file;
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    if (file <= 0 || GisGetAttribute(file, kind, featureNumber, &structure, &values) <= 0)
        return;
    // A listing or data kept from another record may be out of date.
    exporter.lookups.listing.reset();
    exporter.lookups.textEntity = AcDbObjectId();
    exporter.lookups.xdata.Clear();
    GisSetFieldText(structure, values, "实体编码", code.c_str());
    if (groupNumber == 0) {
        AcDbObjectId group;
        if (FindEntityGroup(entity, group))
            groupNumber = GroupNumber(group);
    }
    if (groupNumber != 0)
        GisSetFieldText(structure, values, "编组编码", std::to_string(groupNumber).c_str());
    for (const AttributeTemplateEntry& field : tmpl.entries) {
        const std::string& application = field.fields[4];
        const std::string& sourceText = field.fields[1];
        if (application.empty() || sourceText.empty())
            continue;
        std::string value;
        if (!EvaluateFieldSource(output, entity, application, std::atoi(sourceText.c_str()), value, featureId, exporter))
            continue;
        if (sourceText.back() == '0')
            value = CutToWidth(value, std::atoi(field.fields[2].c_str()));
        GisSetFieldText(structure, values, field.fields[0].c_str(), value.c_str());
    }
    GisPutAttribute(file, kind, featureNumber, structure, values);

    // Rows of the related tables ("<table>_<suffix>"), one per item of their applications.
    const std::string prefix = tmpl.name + "_";
    const std::vector<AttributeTemplate>& templates = Config().templates;
    const XDataSnapshot& xdata = XDataOf(entity, exporter.lookups);
    for (std::size_t t = 0; t < templates.size() && t < exporter.outputs.size(); ++t) {
        const AttributeTemplate& related = templates[t];
        if (related.name.rfind(prefix, 0) != 0 || related.entries.empty())
            continue;
        GisOutputFile& table = exporter.outputs[t];
        if (table.handles.file <= 0)
            continue;
        const std::string suffix = related.name.substr(prefix.size());
        const std::string counted = suffix + "_" + related.entries.back().fields[4];
        const int rows = xdata.Count(counted);
        for (int r = 0; r < rows; ++r) {
            CATT_STRU* rowStructure = nullptr;
            ATT_VALUES* rowValues = nullptr;
            if (GisNewTableRow(table.handles.file, GIS_KIND_TABLE, &rowStructure, &rowValues) <= 0)
                break;
            ++table.rowNumber;
            GisSetFieldNumber(rowStructure, rowValues, 0, table.rowNumber);
            for (std::size_t k = 1; k <= related.entries.size(); ++k) {
                const AttributeTemplateEntry& field = related.entries[k - 1];
                const std::string application = suffix + "_" + field.fields[4];
                const std::string& sourceText = field.fields[1];
                const char type = sourceText.empty() ? '0' : sourceText.back();
                std::string value;
                if (type == '2' && sourceText == "12") {
                    GisSetFieldNumber(rowStructure, rowValues, static_cast<short>(k), static_cast<double>(featureId));
                    continue;
                }
                if (type == '0' && sourceText == "900") {
                    xdata.FirstOfKind("QHDM", 0, value);
                    std::string second;
                    if (xdata.Count("MIRET") > 2 && CodeItem(xdata, 1, 0, second))
                        value += second;
                } else {
                    const int kind = type == '4' ? 0 : type - '0';
                    if (kind < 0 || kind > 3 || !xdata.Item(application, r, kind, true, value))
                        continue;
                    if (type == '4') {
                        InsertInString(value, 6, "-");
                        InsertInString(value, 4, "-");
                    }
                }
                GisSetFieldValue(rowStructure, rowValues, static_cast<short>(k), value.c_str());
            }
            GisAppendTableRow(table.handles.file, rowStructure, rowValues);
        }
    }
}

}  // namespace gisexchange
