// Reads an ASCII DXF drawing (R12 to R2018, any code page) into a database.
#pragma once

#include <string>
#include <string_view>

class AcDbDatabase;

namespace platform::cad {

// Builds the drawing of the text into db, which the caller made for the purpose (its own bare
// tables are replaced by the file's). False with error naming the line when the text is not a
// whole, sound drawing; db is then to be thrown away.
bool ReadDxf(std::string_view text, AcDbDatabase& db, std::string& error);

}  // namespace platform::cad
