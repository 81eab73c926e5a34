// GEOPORT: MapGIS point, line and area files, with their attribute tables, read into the current
// drawing after the surveyor chose and sorted them in the file list dialog.
#pragma once

#include "gisexchange/attribute_table.h"

namespace gisexchange {

void GeoportCommand();

// The records of a MapGIS table file appended to the table: a column per field after the ID field,
// a row per record. False, with the table unchanged, when the file cannot be loaded.
bool ReadGisTable(const char* path, AttributeTable& table);

}  // namespace gisexchange
