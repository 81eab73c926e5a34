// The unattended read: a script sets USERS4 (the MapGIS project) and USERS5 (the drawing to
// write), runs GEOPORTX, and gets every point, line and area file of the project read into the
// drawing, the drawing saved and the host ended with the code 1.
#pragma once

#include <string>

namespace gisexchange {

void BatchImportCommand();

// The last backslash-separated part of the path, upper-cased, with every occurrence of the
// upper-cased extension taken out: D:\A\proj1.mpj with ".mpj" gives PROJ1.
std::string ImportCategoryName(const std::string& path, const std::string& extension);

}  // namespace gisexchange
