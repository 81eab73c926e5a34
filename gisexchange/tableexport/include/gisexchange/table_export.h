// The export driven by the exchange tables: every coded entity of the drawing goes into the MapGIS
// file of the attribute template its code's index record names, and the point, line and area files
// are entered into one project. What cannot be converted is listed in the information browser.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "drawingutil/host_objects.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/gis_file.h"
#include "gisexchange/xdata_snapshot.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"
#include "platform/ui/afx_string.h"

namespace gisexchange {

constexpr const char* kExportReportTitle = "Dero转MapGis报告";

struct ExportEntry {
    AcDbObjectId id;
    long value = 0;
    std::string code;                // the MapGIS feature code of the index record
    std::vector<std::string> tables;  // the record's table name split at "|"
};

struct AreaGroup {
    std::string name;
    std::vector<ExportEntry> entries;
};

// What the collection pass gathers; kept between exports. The feature number only ever rises, so
// that features of several exports in one session never share a number.
struct TableExportState {
    std::vector<ExportEntry> points, lines, texts;
    std::vector<AreaGroup> areaGroups;
    std::vector<AcDbObjectId> islands;  // courtyards ("141910")
    // Every coded entity the pass met, by code: where the islands of an area can come from.
    std::unordered_map<std::string, std::vector<AcDbObjectId>> entitiesByCode;
    bool parcels = false;
    long nextFeatureId = 0;
};

TableExportState& ExportState();
// Empties the lists; the feature number stays.
void ResetExportState();

// Set by the save commands before they export.
struct TableExportSettings {
    int arcStepDegrees = 0;
    double sizeFactor = 1.0;
};
TableExportSettings& ExportSettings();

// One output file per attribute template, in template order.
class EntityBoxes;

struct GisOutputFile {
    const AttributeTemplate* tmpl = nullptr;
    double segmentLength = 0;
    GisOutputHandles handles;
    short rowNumber = 0;  // running number of the rows of a related table
    bool leftOut = true;  // not entered into the project
};

// Read once per export rather than once per feature.
struct ExportLookups {
    bool landUseLoaded = false;
    std::vector<CString> landUseCodes, landUseValues;  // "TBL_TDYT" of lstitems.mdb
    std::map<std::string, int> landClassColors;         // "dilei" colour numbers, -1 when absent
    // The last parcel measured, whose two ratios go into two fields.
    AcDbObjectId measuredParcel;
    bool measured = false;
    double coverageRatio = 0, floorAreaRatio = 0;
    // The listing of the entity whose record is being written.
    AcDbObjectId listedEntity;
    drawingutil::Chain listing;
    // For a TEXT, the groups of its listing the fields read, taken from the text itself.
    struct TextGroups {
        bool known = false;
        double height = 0, widthFactor = 0, rotation = 0, oblique = 0;
        std::string style;
    };
    AcDbObjectId textEntity;
    TextGroups textGroups;
    // The extended data of the entity whose record is being written, read once for all its fields
    // and the rows of its related tables.
    XDataSnapshot xdata;
    // The extents of the entities of a code, measured the first time islands of the code are
    // looked for.
    std::map<std::string, std::shared_ptr<const EntityBoxes>> boxesByCode;
};

struct TableExporter {
    std::vector<GisOutputFile> outputs;
    ExportLookups lookups;
    // Index of the output file whose template's whole name equals the name without regard to
    // case; -1 when none has a file.
    int FindOutput(const std::string& tableName) const;
};

// True when the project was written.
bool ExportDrawingToGis(const char* folder, const char* projectName, int force);
// The collection pass, with the report of what cannot be converted.
void WriteConversionReport();
// Creates the template's empty file with its fields; false when the type has no file kind or the
// file could not be made.
bool WriteGisAttributes(GisOutputFile& output, const char* folder, const AttributeTemplate& tmpl);
int FindAreaGroup(const std::string& name);
void AddToAreaGroups(ExportEntry entry);

}  // namespace gisexchange
