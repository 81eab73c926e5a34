// The attribute record of a feature written by the table-driven export: each template field names
// the source of its value with a number, so that one writer serves every table.
#pragma once

#include <string>
#include <string_view>

#include "gisexchange/table_export.h"

namespace gisexchange {

// kind: GIS_KIND_LINE, GIS_KIND_POINT or GIS_KIND_AREA. A group number of 0 is looked up.
void WriteFeatureRecord(GisOutputFile& output, const ads_name entity, const AttributeTemplate& tmpl, LONG featureNumber,
                        short kind, long featureId, TableExporter& exporter, const std::string& code, long groupNumber);
// The value of one field; false when the field gets none.
bool EvaluateFieldSource(const GisOutputFile& output, const ads_name entity, const std::string& application, int source,
                         std::string& out, long featureId, TableExporter& exporter);
// The DXF type name of the entity, from its class.
std::string EntityTypeName(const ads_name entity);
// A text cut to at most `width` bytes without splitting a character.
std::string CutToWidth(std::string_view text, int width);
void InsertInString(std::string& text, std::size_t position, std::string_view insert);
void ReplaceInString(std::string& text, std::string_view from, std::string_view to);
// The number of a group as the records carry it.
long GroupNumber(AcDbObjectId group);

}  // namespace gisexchange
