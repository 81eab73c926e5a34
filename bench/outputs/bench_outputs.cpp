// bench_outputs <parcels> <folder>: runs the heaviest commands on the benchmarks' towns of the given
// size with the answers the benchmarks give, and keeps what they write under <folder> (the machine
// root): D:\annotation.dxf, D:\out\bench.zip, D:\mapgis\*, D:\merges.dxf, D:\category\*,
// D:\gaps.dxf, D:\precision.dxf, D:\parcel_checks.dxf with D:\parcel_checks.txt.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_towns.h"
#include "cadastral/annotation_coder.h"
#include "cadastral/config_tables.h"
#include "cadastral/edge_lengths.h"
#include "cadastral/entity_selection.h"
#include "cadastral/exchange_package.h"
#include "cadastral/gap_checks.h"
#include "cadastral/gap_fusion.h"
#include "cadastral/merge_commands.h"
#include "cadastral/parcel_integrity.h"
#include "cadastral/precision_corrector.h"
#include "gisexchange/category_export.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/save_commands.h"
#include "makedrawing/category_features.h"
#include "makedrawing/export_features.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/win/root.h"

namespace {

namespace fs = std::filesystem;

void SetText(const char* name, const std::string& value) {
    resbuf rb{};
    rb.restype = RTSTR;
    std::string text = value;
    rb.resval.rstring = text.data();
    acedSetVar(name, &rb);
}

void SetReal(const char* name, double value) {
    resbuf rb{};
    rb.restype = RTREAL;
    rb.resval.rreal = value;
    acedSetVar(name, &rb);
}

void SaveCurrent(const char* name) { acdbHostApplicationServices()->workingDatabase()->saveAs(name); }

void AnnotationCoding(int parcels) {
    cadastral::LoadConfigTables();
    acDocManager->appContextNewDocument(nullptr);
    makedrawing::DrawTown(
        makedrawing::PlanTown(bench_towns::CodingTown(parcels), bench_towns::kHouseCodesOfThreeClasses));
    cadastral::AnnotationCoder coder;
    coder.Run();
    SaveCurrent("D:\\annotation.dxf");
    acDocManager->closeAll();
}

void ExchangePackage(int parcels, platform::ui::AnswerQueue& answers) {
    cadastral::LoadConfigTables();
    acDocManager->appContextNewDocument(nullptr);
    const makedrawing::Options options = bench_towns::PackageTown(parcels);
    makedrawing::DrawTown(makedrawing::PlanTown(options, bench_towns::kHouseCodesOfOneClass), options);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    cadastral::AnnotationCoder().Run();
    answers.Push(platform::ui::PromptAnswer("0"));
    answers.Push(platform::ui::FolderAnswer("D:\\out"));
    answers.Push(platform::ui::PromptAnswer("3"));
    answers.Push(platform::ui::PromptAnswer("0"));
    answers.Push(platform::ui::PromptAnswer("bench"));
    cadastral::PELGARDBF();
    SaveCurrent("D:\\package.dxf");
    acDocManager->closeAll();
}

void TableExport(int parcels) {
    fs::create_directories(fs::path(platform::win::GetRoot()) / "d" / "in");
    fs::create_directories(fs::path(platform::win::GetRoot()) / "d" / "mapgis");
    const std::string town = "D:\\in\\town.dxf";
    bench_towns::SaveExportTown(parcels, town);
    gisexchange::LoadTemplateData();
    gisexchange::LoadIndexTable();
    gisexchange::LoadExchangeTable();
    auto db = std::make_unique<AcDbDatabase>();
    db->setUserr1(500);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    SetText("USERS5", town);
    SetText("USERS4", "D:\\mapgis\\TOWN.mpj");
    gisexchange::MapGisSaveX();
    platform::cad::ClearHostExit();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

void Merges(int parcels, platform::ui::AnswerQueue& answers) {
    cadastral::LoadConfigTables();
    acDocManager->appContextNewDocument(nullptr);
    SetReal("USERR1", 500);
    makedrawing::DrawTown(
        makedrawing::PlanTown(bench_towns::MergesTown(parcels), bench_towns::kHouseCodesOfOneClass));
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    answers.Push(platform::ui::PromptAnswer("1"));
    cadastral::drawzdlen();
    answers.Push(platform::ui::PromptAnswer("0.1"));
    answers.Push(platform::ui::BoxAnswer(IDYES));
    cadastral::CombineZD();
    SaveCurrent("D:\\merges.dxf");
    acDocManager->closeAll();
}

void CategoryExport(int parcels, platform::ui::AnswerQueue& answers) {
    fs::create_directories(fs::path(platform::win::GetRoot()) / "d" / "category");
    gisexchange::LoadTemplateData();
    AcDbDatabase db;
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    makedrawing::Options options;
    options.parcels = parcels;
    const makedrawing::TownPlan plan = makedrawing::PlanTown(options, {"141100", "141200", "141300"});
    makedrawing::DrawTown(plan);
    makedrawing::DrawCategoryFeatures(plan, options.seed);
    answers.Push(platform::ui::FolderAnswer("D:\\category"));
    answers.Push(platform::ui::PromptAnswer("TOWN"));
    gisexchange::ExportByCategory();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

// The gap check's markers and then the gap fusion, on the gap benchmark's town.
void GapChecks(int parcels) {
    cadastral::LoadConfigTables();
    acDocManager->appContextNewDocument(nullptr);
    makedrawing::DrawTown(
        makedrawing::PlanTown(bench_towns::GapsTown(parcels), bench_towns::kHouseCodesOfOneClass));
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    cadastral::CheckGaps("*polyline,jzd", "300000", "界址点", 0.1, 0);
    AcDbObjectIdArray modified;
    cadastral::FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 3, 0.1);
    SaveCurrent("D:\\gaps.dxf");
    acDocManager->closeAll();
}

// RESETPRECISION's run on the cleanup benchmark's town.
void ResetPrecision(int parcels) {
    cadastral::LoadConfigTables();
    acDocManager->appContextNewDocument(nullptr);
    makedrawing::Options options;
    options.parcels = parcels;
    options.rates.doubledVertices = 0.05;
    makedrawing::DrawTown(makedrawing::PlanTown(options, {"141100", "141200", "141300"}));
    SetReal("USERR1", 500);
    cadastral::PrecisionCorrector(3, 2).CorrectDrawingPrecision();
    SaveCurrent("D:\\precision.dxf");
    acDocManager->closeAll();
}

// What the checks send to the browser, one line per call: the browser is not loaded, so a receiver
// of our own takes its place and keeps the calls in order.
std::string g_browserCalls;

int ReceiveBrowserCall() {
    std::string line;
    for (const resbuf* item = acedGetArgs(); item != nullptr; item = item->rbnext) {
        if (item->restype == RTSHORT) {
            line += std::to_string(item->resval.rint);
        } else if (item->restype == RTSTR) {
            line += std::string(item->resval.rstring);
        } else if (item->restype == RTPICKS) {
            Adesk::Int32 length = 0;
            acedSSLength(item->resval.rlname, &length);
            for (Adesk::Int32 i = 0; i < length; ++i) {
                ads_name entity;
                AcDbObjectId id;
                if (acedSSName(item->resval.rlname, i, entity) == RTNORM && acdbGetObjectId(id, entity) == Acad::eOk)
                    line += " " + id.handle().text();
            }
        } else if (item->restype == RT3DPOINT) {
            char point[96];
            std::snprintf(point, sizeof point, "%.6f,%.6f", item->resval.rpoint[0], item->resval.rpoint[1]);
            line += point;
        }
        line += '|';
    }
    g_browserCalls += line + "\n";
    return acedRetNil();
}

void KeepBrowserCalls(const char* name) {
    const fs::path path = fs::path(platform::win::GetRoot()) / "d" / name;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(g_browserCalls.data(), 1, g_browserCalls.size(), file);
        std::fclose(file);
    }
    g_browserCalls.clear();
}

void ParcelChecks(int parcels) {
    cadastral::LoadConfigTables();
    acDocManager->appContextNewDocument(nullptr);
    acedDefun("kelvo_receive", 0);
    acedRegFunc(ReceiveBrowserCall, 0);
    const makedrawing::Options options = bench_towns::CheckedTown(parcels);
    makedrawing::DrawTown(makedrawing::PlanTown(options, bench_towns::kHouseCodesOfOneClass), options);
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    cadastral::ParcelIntegrityChecker checker;
    ads_name selection;
    if (cadastral::SelectByFilterAndCode(selection, "*polyline,JZD", "300000"))
        for (const AcDbObjectId& id : bench_towns::TakeIds(selection))
            checker.AddParcel(id);
    acutPrintf("\nCheckParcelsForExport: %d", checker.CheckParcelsForExport() ? 1 : 0);
    SaveCurrent("D:\\parcel_checks.dxf");
    KeepBrowserCalls("parcel_checks.txt");
    acDocManager->closeAll();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_outputs <parcels> <folder>\n");
        return 2;
    }
    const int parcels = std::atoi(argv[1]);
    const fs::path root = fs::absolute(argv[2]);
    fs::remove_all(root);
    fs::create_directories(root / "d" / "out");
    platform::win::SetRoot(root.string());
    platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
    auto answers = platform::ui::UseAnswerQueue();
    AnnotationCoding(parcels);
    ExchangePackage(parcels, *answers);
    Merges(parcels, *answers);
    TableExport(parcels);
    CategoryExport(parcels, *answers);
    GapChecks(parcels);
    ResetPrecision(parcels);
    ParcelChecks(parcels);
    std::fputs(platform::cad::CommandLineText().c_str(), stdout);
    platform::win::SetRoot("");
    return 0;
}
