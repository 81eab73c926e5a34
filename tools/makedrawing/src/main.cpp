// makedrawing: writes a coded cadastral drawing of a generated town, with faults at given rates,
// and a side report of those faults.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "makedrawing/category_features.h"
#include "makedrawing/export_features.h"
#include "makedrawing/fault_report.h"
#include "makedrawing/house_codes.h"
#include "makedrawing/options.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/text/encoding.h"


using namespace makedrawing;

namespace {

bool WriteFile(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".writing";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "makedrawing: %s\n%s", error.c_str(), Usage());
        return 2;
    }
    if (options.help) {
        std::fputs(Usage(), stdout);
        return 0;
    }
    std::vector<std::string> houseCodes;
    std::vector<std::string> otherCodes;
    if (!ReadHouseCodes(options.codeTable, houseCodes, error, &otherCodes)) {
        std::fprintf(stderr, "makedrawing: %s\n", error.c_str());
        return 1;
    }
    TownPlan plan = PlanTown(options, houseCodes, otherCodes);
    auto db = std::make_unique<AcDbDatabase>();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    std::vector<DrawnFault> faults = DrawTown(plan, options);
    if (options.categoryFeatures)
        DrawCategoryFeatures(plan, options.seed);
    const FaultRates& r = options.rates;
    if (options.elevationPoints || options.courtyards || r.uncoded > 0 || r.unknownCodes > 0 || r.tinyAreas > 0)
        DrawExportFeatures(plan, options, faults);
    // The host takes file names in its code page; the command line gives UTF-8.
    Acad::ErrorStatus es = db->saveAs(platform::text::Utf8ToGbk(options.output).c_str());
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    if (es != Acad::eOk) {
        std::fprintf(stderr, "makedrawing: %s\n", platform::text::GbkToUtf8(platform::cad::LastDrawingFileError()).c_str());
        return 1;
    }
    if (!options.report.empty() && !WriteFile(options.report, FaultReport(options, faults))) {
        std::fprintf(stderr, "makedrawing: cannot write the report %s\n", options.report.c_str());
        return 1;
    }
    return 0;
}
