// Reading MapGIS point, line and area files into the drawing. Each object becomes a coded entity
// with its layer, symbol or linetype and attributes; objects that share a group code share a
// drawing group; an object whose code cannot be worked out is drawn on "ERROR" without a code and
// handed to the information browser.
#pragma once

#include <string>
#include <vector>

#include "gisexchange/attribute_table.h"
#include "gisexchange/work_view.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace gisexchange {

// How the importers read the drawing scale: an unattended run never asks, it takes 500 while the
// drawing's scale is unset.
enum class ScaleSource { kAsk, kUnattended };

// The mapping lists and default code of the category's template, and the names of the attribute
// tables that belong to it (those named after the template followed by "_").
void ReadImportCodes(CGisWorkView& view, const char* category, const std::vector<AttributeTable>& tables,
                     std::vector<std::string>& groupNames);

// Every object of the file open in the view. The counts start at 0; an object that cannot be read
// is counted in neither.
void ImportPointFile(CGisWorkView& view, int& recognised, int& unrecognised,
                     const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
                     ScaleSource scale = ScaleSource::kAsk);
void ImportLineFile(CGisWorkView& view, int& recognised, int& unrecognised,
                    const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
                    ScaleSource scale = ScaleSource::kAsk);
void ImportAreaFile(CGisWorkView& view, int& recognised, int& unrecognised,
                    const std::vector<AttributeTable>& tables, const std::vector<std::string>& groupNames,
                    ScaleSource scale = ScaleSource::kAsk);

// The object's mapped attribute values as the entity's extended data. Values under the feature
// code's application are added after the code, which they never replace.
void MapImportAttributes(const CGisWorkView& view, const CATT_STRU* structure, const ATT_VALUES* values,
                         AcDbObjectId entity, const std::vector<AttributeTable>& tables,
                         const std::vector<std::string>& groupNames, const char* code);

// Entities of one non-zero group code end in one group, across the files of a command run.
void AddToCodeGroup(AcDbObjectId entity, const std::string& groupCode);
// Forgets the groups of the previous run; the read commands call it when they start.
void ClearCodeGroups();

// The code of the first exchange row whose switched-on criteria all equal the object's graphic
// parameters; `code` stays as it was when none does.
void FindPointSymbol(const CGisWorkView& view, std::string& code, const BYTE* params);
void FindLineSymbol(const CGisWorkView& view, std::string& code, const BYTE* params);
void FindAreaSymbol(const CGisWorkView& view, std::string& code, const BYTE* params);

// A coded block reference of scale (scale, scale, 1); the null id when the block cannot be had.
AcDbObjectId InsertSymbolBlock(const AcGePoint3d& at, const char* block, const char* code, double scale,
                               double rotation, const char* layer, AcDbObjectId group);
// An open or closed lightweight polyline, linetype generation on.
AcDbObjectId CreateImportPolyline(const AcGePoint2dArray& points, double elevation, bool closed,
                                  const char* code, double width, const char* layer);
void AppendToGroup(AcDbObjectId group, AcDbObjectId entity);
// The pieces between separators, in order: "/12/34/" gives "", "12", "34", "".
std::vector<std::string> SplitText(const std::string& text, const std::string& separator);

}  // namespace gisexchange
