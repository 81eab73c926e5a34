#include "gisexchange/batch_import.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "drawingutil/coded_entities.h"
#include "gisexchange/gis_import.h"
#include "gisexchange/import_tidy.h"
#include "platform/cad/db_database.h"
#include "platform/win/process_exit.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/gis/mapprj60.h"
#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

// A value of five characters or fewer cannot be a full path: it counts as unset.
std::string PathVariable(const char* name) {
    resbuf value{};
    if (acedGetVar(name, &value) != RTNORM || value.restype != RTSTR || value.resval.rstring == nullptr)
        return {};
    std::string text = value.resval.rstring;
    std::free(value.resval.rstring);
    return text.size() > 5 ? text : std::string();
}

struct FileLists {
    std::vector<std::string> points, lines, areas;
};

FileLists ReadProject(const std::string& path) {
    FileLists lists;
    const short project = PrjOpen(path.c_str(), 0, 0);
    if (project <= 0) {
        if (!path.empty())
            acutPrintf("\nGEOPORTX: 无法打开 MapGIS 工程 %s", path.c_str());
        return lists;
    }
    const LONG count = PrjGetCount(project);
    for (LONG i = 0; i < count; ++i) {
        const char* entry = PrjGetFilePath(project, i);
        if (entry == nullptr)
            continue;
        const std::string name = platform::text::GbkToLower(entry);
        const std::string_view tail = name.size() >= 3 ? std::string_view(name).substr(name.size() - 3) : "";
        if (tail == ".wt")
            lists.points.push_back(name);
        else if (tail == ".wl")
            lists.lines.push_back(name);
        else if (tail == ".wp")
            lists.areas.push_back(name);
    }
    PrjFree(project);
    return lists;
}

using Importer = void (*)(CGisWorkView&, int&, int&, const std::vector<AttributeTable>&,
                          const std::vector<std::string>&, ScaleSource);

void ImportFiles(const std::vector<std::string>& files, short kind, const char* extension, Importer import) {
    const std::vector<AttributeTable> noTables;
    for (const std::string& name : files) {
        CGisWorkView view;
        if (view.OpenGisFile(name.c_str(), kind) <= 0)
            acutPrintf("\nGEOPORTX: 无法读入文件 %s", name.c_str());
        std::vector<std::string> groupNames;
        ReadImportCodes(view, ImportCategoryName(name, extension).c_str(), noTables, groupNames);
        int recognised = 0, unrecognised = 0;
        import(view, recognised, unrecognised, noTables, groupNames, ScaleSource::kUnattended);
    }
}

}  // namespace

std::string ImportCategoryName(const std::string& path, const std::string& extension) {
    const std::size_t slash = platform::text::GbkFindLast(path, '\\');
    std::string title =
        platform::text::GbkToUpper(slash == std::string::npos ? path : path.substr(slash + 1));
    const std::string upper = platform::text::GbkToUpper(extension);
    if (upper.empty())
        return title;
    for (std::size_t at = title.find(upper); at != std::string::npos; at = title.find(upper, at)) {
        if (platform::text::IsGbkCharBoundary(title, at))
            title.erase(at, upper.size());
        else
            ++at;
    }
    return title;
}

void BatchImportCommand() {
    ClearCodeGroups();
    const std::string drawing = PathVariable("users5");
    const std::string project = PathVariable("users4");
    if (project.empty())
        acutPrintf("\nGEOPORTX: USERS4 未设置或太短, 没有读入 MapGIS 工程");
    const FileLists files = ReadProject(project);

    CreateCodedBlockReference(AcGePoint3d(0, 0, 0), "Dero2008", "", 1, 0, nullptr, nullptr);
    ImportFiles(files.points, GIS_KIND_POINT, ".wt", ImportPointFile);
    ImportFiles(files.lines, GIS_KIND_LINE, ".wl", ImportLineFile);
    ImportFiles(files.areas, GIS_KIND_AREA, ".wp", ImportAreaFile);
    ElevationLabelsCommand();
    TransferBoundaryPointData(false);

    // The caller learns of a failure only from the transcript: the exit code is always 1.
    if (drawing.empty()) {
        acutPrintf("\nGEOPORTX: USERS5 未设置或太短, 图形没有保存");
    } else {
        AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
        if (database == nullptr || database->saveAs(drawing.c_str()) != Acad::eOk)
            acutPrintf("\nGEOPORTX: 无法保存图形 %s", drawing.c_str());
    }
    ExitProcess(1);
}

}  // namespace gisexchange
