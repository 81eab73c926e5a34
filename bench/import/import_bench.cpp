// GEOPORTX on a project as the table-driven export leaves it for a town of parcels in a grid: the
// parcels ("zd.wp"), their boundary lines ("jzx.wl", one a side, grouped with their parcel), and
// an elevation point with its label for every tenth parcel ("gcd.wt", "zj.wt"). Each run reads
// the project into a new drawing, tidies it, saves it and asks the host to end.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "gisexchange/batch_import.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/gis_import.h"
#include "platform/cad/db_database.h"
#include "platform/cad/file_search.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/system_variables.h"
#include "platform/gis/gis_document.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"

namespace {

using platform::gis::GisDocument;

GisDocument NewFile(short kind, std::initializer_list<const char*> fields) {
    GisDocument d = platform::gis::NewGisDocument(kind);
    for (const char* name : fields) {
        platform::gis::GisField field;
        field.name = name;
        field.width = 20;
        d.fields.push_back(field);
    }
    return d;
}

void SetText(const char* name, const std::string& text) {
    resbuf value{};
    value.restype = RTSTR;
    value.resval.rstring = const_cast<char*>(text.c_str());
    acedSetVar(name, &value);
}

// The machine of the run: the shipped tables on the search path and one project per town size.
struct Machine {
    Machine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench_import_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            root = pattern;
        const std::filesystem::path support = root / "c" / "support";
        std::filesystem::create_directories(support);
        std::filesystem::create_directories(root / "d" / "out");
        for (const auto& entry : std::filesystem::directory_iterator(DERO_SOURCE_DIR "/samples/support"))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), support / entry.path().filename());
        platform::win::SetRoot(root.string());
        platform::cad::SetSupportPath({"C:\\support"});
        gisexchange::LoadTemplateData();
        gisexchange::LoadIndexTable();
        gisexchange::LoadExchangeTable();
        answers = platform::ui::UseAnswerQueue();
    }
    ~Machine() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // The project of a town, written once: C:\<parcels>\TOWN.mpj.
    std::string ProjectOf(int parcels) const {
        const std::string folder = "C:\\town" + std::to_string(parcels) + "\\";
        if (!made.insert(parcels).second)
            return folder + "TOWN.mpj";
        std::filesystem::create_directories(root / "c" / ("town" + std::to_string(parcels)));
        const int columns = static_cast<int>(std::ceil(std::sqrt(parcels)));
        GisDocument areas = NewFile(GIS_KIND_AREA, {"YSDM", "ZDDM", "编组编码"});
        GisDocument sides = NewFile(GIS_KIND_LINE, {"YSDM", "JZXLB", "编组编码"});
        GisDocument heights = NewFile(GIS_KIND_POINT, {"YSDM", "标示高程", "编组编码"});
        GisDocument labels = NewFile(GIS_KIND_POINT, {"YSDM", "编组编码"});
        std::array<BYTE, GIS_POINT_PARAM_SIZE> symbol{}, note{};
        symbol[0] = 1;
        const float height = 1.5f, width = 1.2f;
        std::memcpy(&note[2], &height, 4);
        std::memcpy(&note[6], &width, 4);
        for (int i = 0; i < parcels; ++i) {
            const double x = (i % columns) * 20.0, y = (i / columns) * 15.0;
            const std::string group = std::to_string(i + 1);
            const std::array<D_DOT, 4> ring = {{{x, y}, {x + 20, y}, {x + 20, y + 15}, {x, y + 15}}};
            areas.lines.push_back({{ring[0], ring[1], ring[2], ring[3], ring[0]}, {}, {"0", "", "", "0"}});
            const LONG line = static_cast<LONG>(areas.lines.size());
            areas.areas.push_back(
                {{1, line}, {}, {"0", "3000", "320102001001" + std::to_string(10000 + i), group}});
            for (int k = 0; k < 4; ++k)
                sides.lines.push_back({{ring[k], ring[(k + 1) % 4]}, {}, {"0", "3030", "1", group}});
            if (i % 10 == 0) {
                heights.points.push_back({{x + 10, y + 7}, "", symbol, {"0", "2021", "12.5", group}});
                labels.points.push_back({{x + 10.5, y + 7.5}, "12.50", note, {"0", "3024", group}});
            }
        }
        platform::gis::GisProject project;
        for (const auto& [name, document] : {std::pair<const char*, const GisDocument*>{"zd.wp", &areas},
                                             {"jzx.wl", &sides},
                                             {"gcd.wt", &heights},
                                             {"zj.wt", &labels}}) {
            platform::gis::WriteFileAtomically(folder + name, platform::gis::SerializeGisDocument(*document));
            project.entries.push_back({name, {}});
        }
        platform::gis::WriteFileAtomically(folder + "TOWN.mpj", platform::gis::SerializeGisProject(project));
        return folder + "TOWN.mpj";
    }

    // A project that names the boundary lines of the town of 10 parcels `entries` times over:
    // C:\town10\REPEAT<entries>.mpj.
    std::string RepeatingProjectOf(int entries) const {
        const std::string folder = "C:\\town10\\";
        ProjectOf(10);
        platform::gis::GisProject project;
        for (int i = 0; i < entries; ++i)
            project.entries.push_back({"zd.wp", {}});
        const std::string path = folder + "REPEAT" + std::to_string(entries) + ".mpj";
        platform::gis::WriteFileAtomically(path, platform::gis::SerializeGisProject(project));
        return path;
    }

    // A project of one district drawn as a fit curve of `vertices` boundary vertices:
    // C:\fit<vertices>\FIT.mpj.
    std::string FitCurveProjectOf(int vertices) const {
        const std::string folder = "C:\\fit" + std::to_string(vertices) + "\\";
        std::filesystem::create_directories(root / "c" / ("fit" + std::to_string(vertices)));
        GisDocument areas = NewFile(GIS_KIND_AREA, {"YSDM", "ZDDM", "编组编码"});
        std::vector<D_DOT> ring;
        for (int i = 0; i < vertices; ++i) {
            const double angle = 2 * M_PI * i / vertices;
            ring.push_back({1000 * std::cos(angle), 1000 * std::sin(angle)});
        }
        ring.push_back(ring.front());
        areas.lines.push_back({ring, {}, {"0", "", "", "0"}});
        platform::gis::GisArea area{{1, 1}, {}, {"0", "3210", "320102001", "1"}};
        area.params[14] = 1;  // drawn as a fit-curve polyline
        areas.areas.push_back(area);
        platform::gis::WriteFileAtomically(folder + "fit.wp", platform::gis::SerializeGisDocument(areas));
        platform::gis::GisProject project;
        project.entries.push_back({"fit.wp", {}});
        platform::gis::WriteFileAtomically(folder + "FIT.mpj", platform::gis::SerializeGisProject(project));
        return folder + "FIT.mpj";
    }

    std::filesystem::path root;
    std::shared_ptr<platform::ui::AnswerQueue> answers;
    mutable std::set<int> made;
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

// One run of GEOPORTX on the project in a new drawing.
void RunGeoportx(benchmark::State& state, const std::string& project) {
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        SetText("users4", project);
        SetText("users5", "D:\\out\\TOWN.dxf");
        state.ResumeTiming();
        gisexchange::BatchImportCommand();
        state.PauseTiming();
        platform::cad::ClearHostExit();
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        db.reset();
        state.ResumeTiming();
    }
}

void BM_Geoportx(benchmark::State& state) {
    const int parcels = static_cast<int>(state.range(0));
    RunGeoportx(state, TheMachine().ProjectOf(parcels));
    state.counters["parcels"] = parcels;
}
BENCHMARK(BM_Geoportx)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// One file named over and over by the project: every entry is read again, and its parcels join
// the groups of the entries before, so that each group holds a parcel of every entry.
void BM_GeoportxRepeatedEntry(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    RunGeoportx(state, TheMachine().RepeatingProjectOf(entries));
    state.counters["entries"] = entries;
}
// One area drawn as a fit curve: the fitting adds a vertex after each of the boundary's; the run
// grows with the boundary, as the two sizes' times show.
void BM_GeoportxFitCurveArea(benchmark::State& state) {
    const int vertices = static_cast<int>(state.range(0));
    RunGeoportx(state, TheMachine().FitCurveProjectOf(vertices));
    state.counters["vertices"] = vertices;
}
BENCHMARK(BM_GeoportxFitCurveArea)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_GeoportxRepeatedEntry)->Arg(400)->Arg(1600)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
