// The table-driven export of generated towns: in the host with the browser loaded, its report
// against the generator's, its files against the drawing (town_check.py, ezdxf and GEOS), and the
// save commands as a person or a script runs them through cadhost.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "browser/info_item.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/table_export.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/gis/gis_document.h"
#include "platform/text/encoding.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/host_machine.h"
#include "testing/temp_folder.h"

namespace {

using namespace gisexchange;

const std::string kSource = DERO_SOURCE_DIR;
const std::string kTownKinds = " --straight-sides --elevation-points --courtyards --uncoded 0.1 --unknown-codes 0.1"
                               " --tiny-areas 0.1";

int Shell(const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); }

// The generator's count of a kind, from its report.
int ReportedCount(const std::string& report, const std::string& kind)
{
    const std::size_t counts = report.find("\"counts\"");
    if (counts == std::string::npos)
        return -1;
    const std::string tail = report.substr(counts);
    std::smatch match;
    const std::regex pattern("\"" + kind + "\": ([0-9]+)");
    return std::regex_search(tail, match, pattern) ? std::stoi(match[1]) : -1;
}

std::optional<std::vector<std::string>> ReportLines(platform::ui::AnswerQueue& answers)
{
    if (acedCommand(RTSTR, "Kelvo_Show", RTNONE) != RTNORM)
        return std::nullopt;
    const auto items = browser_testing::ExportedItems(answers);
    if (!items)
        return std::nullopt;
    for (const CInfoItem& item : *items) {
        if (item.Title() != kExportReportTitle)
            continue;
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < item.EntryCount(); ++i)
            lines.push_back(browser_testing::EntryText(item, i));
        return lines;
    }
    return std::nullopt;
}

class TownExport : public dero::testing::HostMachineTest {
protected:
    TownExport() : HostMachineTest("town_export") {}

    void SetUp() override
    {
        HostMachineTest::SetUp();
        for (const char* name : {"cvtMapGisAttr.def", "cvtIndex.ini", "cvtExchange.mdb", "lstitems.mdb"})
            std::filesystem::copy_file(kSource + "/samples/support/" + name, SupportFolder() / name);
        ASSERT_TRUE(LoadTemplateData());
        ASSERT_EQ(LoadIndexTable(), IndexLoad::kLoaded);
        LoadExchangeTable();
        std::filesystem::create_directories(Root() / "d" / "out");
        std::filesystem::create_directories(Root() / "d" / "in");
    }

    std::string Town(const std::string& arguments)
    {
        const std::string dxf = (Root() / "d" / "in" / "town.dxf").string();
        EXPECT_EQ(Shell("'" MAKEDRAWING_PROGRAM "' --codes '" + kSource + "/samples/support/index.ini' --out '" + dxf +
                      "' --report '" + dxf + ".json'" + arguments),
                  0);
        return dxf;
    }
};

TEST_F(TownExport, ReportAndFilesMatchTheDrawing)
{
    const std::string dxf = Town(" --seed 7 --parcels 40" + kTownKinds);
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    ASSERT_EQ(acdbHostApplicationServices()->workingDatabase()->readDwgFile(dxf.c_str()), Acad::eOk);
    acdbHostApplicationServices()->workingDatabase()->setUserr1(500);
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false)) << platform::cad::LastModuleError();
    ResetExportState();
    ASSERT_TRUE(ExportDrawingToGis("D:\\out\\", "TOWN", 0));

    const std::string report = dero::testing::ReadFile(dxf + ".json");
    const auto lines = ReportLines(*answers);
    ASSERT_TRUE(lines);
    int numbered = 0, uncoded = 0, unknown = 0, tiny = 0, shortCodes = 0;
    std::string summary;
    for (const std::string& line : *lines) {
        if (line.rfind(std::to_string(numbered + 1) + " ", 0) == 0)
            ++numbered;
        uncoded += line.find("没有编码的实体") != std::string::npos;
        unknown += line.find("编码在编码表中不存在") != std::string::npos;
        tiny += line.find("该面的面积为") != std::string::npos;
        shortCodes += line.find("<99999>") != std::string::npos;
        if (line.rfind("其中： 不能处理实体", 0) == 0)
            summary = line;
    }
    EXPECT_EQ(uncoded, ReportedCount(report, "uncoded"));
    EXPECT_EQ(unknown, ReportedCount(report, "unknown_code"));
    EXPECT_EQ(tiny, ReportedCount(report, "tiny_area"));
    EXPECT_GT(ReportedCount(report, "short_code"), 0);
    EXPECT_EQ(shortCodes, 0) << "five-character codes get no line";
    EXPECT_EQ(numbered, uncoded + unknown + tiny) << "nothing else of the town is left out";
    EXPECT_EQ(summary, "其中： 不能处理实体" + std::to_string(numbered) + "个");

    const std::string check = "/usr/bin/python3 '" + kSource + "/gisexchange/tableexport/tests/town_check.py' '" + dxf +
                              "' '" GISDUMP_PROGRAM "' '" + (Root() / "d" / "out").string() + "' > '" +
                              (Root() / "check.txt").string() + "' 2>&1";
    EXPECT_EQ(Shell(check), 0) << dero::testing::ReadFile(Root() / "check.txt");
    ASSERT_TRUE(acrxDynamicLinker->unloadModule("Tallyview", false));
}

// The script of an unattended export: two variables, then the command, which ends the host.
TEST(TableExportCadhost, ScriptedExportWritesTheProjectAndEndsTheHost)
{
    dero::testing::TempFolder folder("table_export_cadhost");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/root/d/in");
    const std::string dxf = dir + "/root/d/in/town.dxf";
    ASSERT_EQ(Shell("'" MAKEDRAWING_PROGRAM "' --seed 3 --parcels 30 --codes '" + kSource +
                  "/samples/support/index.ini' --out '" + dxf + "'"),
              0);
    dero::testing::WriteFile(dir + "/export.scr", platform::text::GbkToUtf8("SETVAR\nUSERS5\nD:\\in\\town.dwg\nSETVAR\nUSERS4\nD:\\OUT\\乗.MPJ\nMAPGISSAVEX\nCMDECHO\n"));
    const std::string support = "--support '" + kSource + "/samples/support'";
    dero::testing::CadhostRun run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, support + " -s export.scr");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(run.out.find("CMDECHO 的新值"), std::string::npos) << "nothing runs after the export";
    std::string bytes, error;
    platform::gis::GisProject project;
    const std::string written = dir + "/root/d/OUT/" + platform::text::GbkToUtf8("乗.mpj");
    ASSERT_TRUE(std::filesystem::exists(written)) << run.out;
    bytes = dero::testing::ReadFile(written);
    ASSERT_TRUE(platform::gis::ParseGisProject(bytes, &project, &error)) << error;
    ASSERT_FALSE(project.entries.empty());
    for (const auto& entry : project.entries) {
        const std::string ending = entry.path.substr(entry.path.size() - 3);
        EXPECT_TRUE(ending == ".wt" || ending == ".wl" || ending == ".wp") << entry.path;
        EXPECT_NE(entry.record.title[0], '\0') << entry.path;
        EXPECT_EQ(entry.path.rfind("D:\\OUT\\", 0), 0u) << entry.path;
    }

    // A project path of five characters ends the host at once, saying why.
    dero::testing::WriteFile(dir + "/short.scr", "SETVAR\nUSERS5\nD:\\in\\town.dwg\nSETVAR\nUSERS4\na.mpj\nMAPGISSAVEX\n");
    run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, support + " -s short.scr");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("USERS4"), std::string::npos) << run.out;

    // Through cadhost the dialogs cancel: nothing is written and echo is back on.
    std::filesystem::remove_all(dir + "/root/d/OUT");
    for (const char* command : {"MAPGISSAVET", "MAPGISSAVE"}) {
        run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, support + " -c " + command + " -c CMDECHO -c ''");
        EXPECT_EQ(run.status, 0) << command << run.out << run.err;
        EXPECT_NE(run.out.find("CMDECHO 的新值 <1>"), std::string::npos) << command << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir + "/root/d/OUT")) << command;
    }
    // With an answer script the folder chooser is answered and the project is written.
    dero::testing::WriteFile(dir + "/answers.txt", "folder D:\\OUT\n");
    run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir,
                                    "root/d/in/town.dxf " + support + " --answers answers.txt -c MAPGISSAVE -c TOWN");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir + "/root/d/OUT/" + platform::text::GbkToUtf8("工程") + "/TOWN.mpj"))
        << run.out;
}

// The export's files do not hang on how the host's object ids compare: a town exported with ids
// that compare against the drawing's order gives the same files byte for byte.
TEST(TableExportCadhost, FilesDoNotDependOnHowIdsCompare)
{
    dero::testing::TempFolder folder("table_export_id_order");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string town = dir + "/town.dxf";
    ASSERT_EQ(Shell("'" MAKEDRAWING_PROGRAM "' --seed 11 --parcels 60 --codes '" + kSource +
                  "/samples/support/index.ini' --out '" + town + "'" + kTownKinds),
              0);
    const std::string support = "--support '" + kSource + "/samples/support'";
    auto exported = [&](const std::string& name, bool reversed) {
        const std::string run = dir + "/" + name;
        std::filesystem::create_directories(run + "/root/d/in");
        std::filesystem::copy_file(town, run + "/root/d/in/town.dxf");
        dero::testing::WriteFile(run + "/export.scr", "SETVAR\nUSERS5\nD:\\in\\town.dwg\nSETVAR\nUSERS4\nD:\\OUT\\TOWN.MPJ\nMAPGISSAVEX\n");
        if (reversed)
            setenv("DERO_ID_ORDER", "reversed", 1);
        const dero::testing::CadhostRun result = dero::testing::RunCadhost(CADHOST_PROGRAM, run, support + " -s export.scr");
        unsetenv("DERO_ID_ORDER");
        EXPECT_EQ(result.status, 1) << result.out << result.err;
        std::map<std::string, std::string> files;
        const std::filesystem::path out = run + "/root/d/OUT";
        if (std::filesystem::exists(out))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(out))
                if (entry.is_regular_file())
                    files[std::filesystem::relative(entry.path(), out).string()] = dero::testing::ReadFile(entry.path());
        return files;
    };
    const auto normal = exported("normal", false);
    const auto reversed = exported("reversed", true);
    ASSERT_GT(normal.size(), 3u);
    ASSERT_EQ(reversed.size(), normal.size());
    for (const auto& [name, bytes] : normal) {
        const auto other = reversed.find(name);
        ASSERT_NE(other, reversed.end()) << name;
        EXPECT_TRUE(other->second == bytes) << name << " differs";
    }
}

}  // namespace
