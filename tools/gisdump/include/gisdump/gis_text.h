// MapGIS files and projects as text (UTF-8), and back.
#pragma once

#include <string>
#include <string_view>

#include "platform/gis/gis_document.h"

namespace gisdump {

std::string DumpDocument(const platform::gis::GisDocument& document);
std::string DumpProject(const platform::gis::GisProject& project);
// The geometry as WKT, one object a line: points, lines, then areas assembled from their lines.
// False with a message when an area names a line that is not there.
bool DumpWkt(const platform::gis::GisDocument& document, std::string* text, std::string* error);

// Reads dump text; exactly one of the two results is filled (isProject tells which). False with
// a message naming the line when the text is not a dump.
bool ParseDump(std::string_view text, platform::gis::GisDocument* document, platform::gis::GisProject* project,
               bool* isProject, std::string* error);

}  // namespace gisdump
