#include "platform/cad/db_database.h"

namespace platform::cad {
namespace {
thread_local std::string lastError;
}  // namespace

const std::string& LastDrawingFileError() { return lastError; }

}  // namespace platform::cad

// The drawing-file reader and writer come with the DXF support; until then every call says so.
Acad::ErrorStatus AcDbDatabase::readDwgFile(const char*) { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbDatabase::dxfIn(const char*) { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbDatabase::dxfOut(const char*) { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbDatabase::saveAs(const char*) { return Acad::eNotImplementedYet; }
