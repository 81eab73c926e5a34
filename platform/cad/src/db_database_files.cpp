#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/cad/db_database.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/text/gbk.h"
#include "platform/win/path_mapping.h"

namespace platform::cad {
namespace {
thread_local std::string lastError;

bool EndsWithNoCase(const std::string& text, const char* ending) {
    std::size_t n = std::char_traits<char>::length(ending);
    return text.size() >= n &&
           platform::text::GbkEqualNoCase(std::string_view(text).substr(text.size() - n), ending);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file a drawing name stands for on this machine: the name itself, or for "x.dwg" the x.dxf
// that holds the drawing here. Empty when neither exists.
std::string FindDrawing(const std::string& gbkName) {
    std::string path = platform::win::MapToLinux(std::string_view(gbkName));
    if (IsFile(path))
        return path;
    if (EndsWithNoCase(gbkName, ".dwg")) {
        std::string dxf = platform::win::MapToLinux(gbkName.substr(0, gbkName.size() - 4) + ".dxf");
        if (IsFile(dxf))
            return dxf;
    }
    return {};
}

Acad::ErrorStatus Fail(Acad::ErrorStatus es, const std::string& message) {
    lastError = message;
    return es;
}

Acad::ErrorStatus Read(AcDbDatabase& target, const char* fileName) {
    lastError.clear();
    std::string name = fileName != nullptr ? fileName : "";
    std::string path = FindDrawing(name);
    if (path.empty())
        return Fail(Acad::eFileNotFound, "drawing file not found: " + name);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.good() && !in.eof())
        return Fail(Acad::eFileNotFound, "drawing file cannot be read: " + name);
    if (!target.openObjectIds().isEmpty())
        return Fail(Acad::eWasOpenForWrite, "the drawing has objects open; it cannot be replaced by " + name);
    // The file is read into a drawing of its own first, so that a bad file leaves this one whole.
    auto read = std::make_unique<AcDbDatabase>(false, true);
    std::string error;
    if (!ReadDxf(text.str(), *read, error))
        return Fail(Acad::eInvalidDxfCode, name + ": " + error);
    target.objects().Absorb(read->objects());
    target.setRootIds(read->blockTableId(), read->layerTableId(), read->linetypeTableId(),
                      read->textStyleTableId(), read->regAppTableId(), read->namedObjectsDictionaryId());
    target.setKeptTableIds(read->viewportTableId(), read->dimStyleTableId());
    target.setClayer(read->clayer());
    target.setTextstyle(read->textstyle());
    target.setCeltype(read->celtype());
    target.setUserr1(read->userr1());
    target.setLtscale(read->ltscale());
    target.setExtmin(read->extmin());
    target.setExtmax(read->extmax());
    return Acad::eOk;
}

Acad::ErrorStatus Write(const AcDbDatabase& db, const char* fileName, bool dwgAsDxf) {
    lastError.clear();
    std::string name = fileName != nullptr ? fileName : "";
    // A drawing saved as "x.dwg" is kept as x.dxf, where a later look-up of x.dwg finds it.
    if (dwgAsDxf && EndsWithNoCase(name, ".dwg"))
        name = name.substr(0, name.size() - 4) + ".dxf";
    LONG mapError = 0;
    std::string path = platform::win::MapToLinux(std::string_view(name), &mapError);
    if (path.empty())
        return Fail(Acad::eInvalidInput, "no file can be written under the name \"" + name + "\"");
    std::string text = WriteDxf(db);
    // Written beside the target and renamed, so that a failed save never leaves half a drawing.
    std::string temporary = path + ".saving";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr)
        return Fail(Acad::eFileNotFound, "cannot create " + name);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return Fail(Acad::eFileNotFound, "cannot write " + name);
    }
    return Acad::eOk;
}
}  // namespace

const std::string& LastDrawingFileError() {
    return lastError;
}

}  // namespace platform::cad

Acad::ErrorStatus AcDbDatabase::readDwgFile(const char* fileName) {
    return platform::cad::Read(*this, fileName);
}
Acad::ErrorStatus AcDbDatabase::dxfIn(const char* fileName) {
    return platform::cad::Read(*this, fileName);
}
Acad::ErrorStatus AcDbDatabase::dxfOut(const char* fileName) {
    return platform::cad::Write(*this, fileName, false);
}
Acad::ErrorStatus AcDbDatabase::saveAs(const char* fileName) {
    return platform::cad::Write(*this, fileName, true);
}
