// The commands that write the drawing out as MapGIS files: by category, by the exchange tables
// with the folder and project asked for, and unattended from two system variables.
#pragma once

#include <string>
#include <string_view>

namespace gisexchange {

void MapGisSave();
void MapGisSaveT();
void MapGisSaveX();

// The folder chooser of the save commands; the chosen path ends with a backslash.
bool ChooseFolder(const char* title, std::string& path);
// The last component of a path, upper-cased, without the extension at its end.
std::string FileTitleUpper(std::string_view path, std::string_view extension);

}  // namespace gisexchange
