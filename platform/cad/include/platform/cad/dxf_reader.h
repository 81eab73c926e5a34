// Reads an ASCII DXF drawing (R12 to R2018, any code page) into a database.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class AcDbDatabase;

namespace platform::cad {

// Builds the drawing of the text into db, which the caller made for the purpose (its own bare
// tables are replaced by the file's). False with error naming the line when the text is not a
// whole, sound drawing; db is then to be thrown away. A record the reader mends as a host's audit
// does (a zero scale factor, a name the host refuses, a handle used twice...) adds a line naming
// it to notes, when given.
bool ReadDxf(std::string_view text, AcDbDatabase& db, std::string& error,
             std::vector<std::string>* notes = nullptr);

}  // namespace platform::cad
