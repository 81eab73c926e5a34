// Writes a database as an ASCII DXF drawing of R2004 (AC1018) in the host's code page.
#pragma once

#include <string>

class AcDbDatabase;

namespace platform::cad {

// The DXF text of the drawing: header, tables, blocks, entities and objects, with
// $DWGCODEPAGE ANSI_936. Text is written as the GBK it is held in.
std::string WriteDxf(const AcDbDatabase& db);

}  // namespace platform::cad
