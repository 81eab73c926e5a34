// How long a drawing of 100 000 coded entities (lines, circles and polylines, each with extended
// data) takes to write as DXF and to read back; and reading that file beside GDAL's DXF reader
// (the ogrinfo program), in the same run. And reading a dictionary of 5 000 and of 20 000 entries:
// filing each entry finds its key among those filed before, which must not read them all.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"

namespace {

constexpr int kEntities = 100000;

std::unique_ptr<AcDbDatabase> BigDrawing() {
    auto db = std::make_unique<AcDbDatabase>();
    AcDbRegAppTable* apps = nullptr;
    db->getRegAppTable(apps, AcDb::kForWrite);
    auto* app = new AcDbRegAppTableRecord;
    app->setName("MIRET");
    apps->add(app);
    app->close();
    apps->close();
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
    for (int i = 0; i < kEntities; ++i) {
        double x = i % 1000, y = i / 1000;
        AcDbEntity* entity;
        if (i % 3 == 0) {
            entity = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 0.5, y + 0.5, 0));
        } else if (i % 3 == 1) {
            entity = new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d(0, 0, 1), 0.25);
        } else {
            auto* pline = new AcDbPolyline;
            for (unsigned v = 0; v < 4; ++v)
                pline->addVertexAt(v, AcGePoint2d(x + (v & 1), y + (v >> 1)));
            pline->setClosed(true);
            entity = pline;
        }
        platform::cad::XDataApp data;
        data.app = "MIRET";
        data.items = {platform::cad::DxfTag::String(1000, "141101" + std::to_string(i)),
                      platform::cad::DxfTag::Integer(1070, i % 7),
                      platform::cad::DxfTag::Real(1040, x * 0.5)};
        entity->setXDataApps({data});
        ms->appendAcDbEntity(entity);
        entity->close();
    }
    ms->close();
    return db;
}

const AcDbDatabase& Drawing() {
    static std::unique_ptr<AcDbDatabase> db = BigDrawing();
    return *db;
}

void BM_WriteDxf(benchmark::State& state) {
    const AcDbDatabase& db = Drawing();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = platform::cad::WriteDxf(db);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_WriteDxf)->Unit(benchmark::kMillisecond);

void BM_ReadDxf(benchmark::State& state) {
    const std::string text = platform::cad::WriteDxf(Drawing());
    for (auto _ : state) {
        AcDbDatabase db(false, true);
        std::string error;
        if (!platform::cad::ReadDxf(text, db, error))
            state.SkipWithError(error.c_str());
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_ReadDxf)->Unit(benchmark::kMillisecond);

// A drawing whose named-objects dictionary holds a dictionary of that many xrecords, keyed as a
// town's parcels are, in GBK.
std::string DictionaryDrawing(int entries) {
    AcDbDatabase db;
    AcDbDictionary* nod = nullptr;
    db.getNamedObjectsDictionary(nod, AcDb::kForWrite);
    auto* parcels = new AcDbDictionary;
    AcDbObjectId parcelsId;
    nod->setAt("宗地", parcels, parcelsId);
    nod->close();
    for (int i = 0; i < entries; ++i) {
        auto* record = new AcDbXrecord;
        AcDbObjectId id;
        parcels->setAt(("宗地JC" + std::to_string(1000000 + i)).c_str(), record, id);
        record->close();
    }
    parcels->close();
    return platform::cad::WriteDxf(db);
}

void BM_ReadDictionary(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string text = DictionaryDrawing(entries);
    for (auto _ : state) {
        AcDbDatabase db(false, true);
        std::string error;
        if (!platform::cad::ReadDxf(text, db, error))
            state.SkipWithError(error.c_str());
    }
    // Linear reading keeps entries per second the same at both sizes.
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_ReadDictionary)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The drawing written once to a file of its own, removed when the program ends.
class DrawingFile {
public:
    DrawingFile()
        : path_(std::filesystem::temp_directory_path() / ("bench_dxf_" + std::to_string(::getpid()) + ".dxf"))
    {
        std::ofstream(path_, std::ios::binary) << platform::cad::WriteDxf(Drawing());
    }
    ~DrawingFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

const std::string& DrawingPath()
{
    static DrawingFile file;
    static const std::string path = file.path();
    return path;
}

// GDAL reads every entity to count them: "-noextent" keeps it to one pass, as ours is. Returns the
// count ogrinfo gives, or -1.
long GdalFeatureCount(const std::string& path)
{
    const std::string command = "ogrinfo -ro -al -so -noextent '" + path + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    long count = -1;
    char line[512];
    while (std::fgets(line, sizeof(line), pipe) != nullptr) {
        long n;
        if (std::sscanf(line, "Feature Count: %ld", &n) == 1)
            count = count < 0 ? n : count + n;
    }
    return ::pclose(pipe) == 0 ? count : -1;
}

// <chrono> cannot be compiled for the GBK execution character set (its "µs" literal): seconds from
// the monotonic clock instead.
double Seconds(clockid_t clock = CLOCK_MONOTONIC)
{
    timespec now;
    ::clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time of the programs this one ran and waited for: ogrinfo's own work, whatever else
// the machine is doing.
double ChildSeconds()
{
    rusage usage;
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_ReadDxfFileBesideGdal(benchmark::State& state)
{
    const std::string& path = DrawingPath();
    double ours = 0, gdal = 0, oursCpu = 0, gdalCpu = 0;
    for (auto _ : state) {
        const double start = Seconds();
        const double startCpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        {
            AcDbDatabase db(false, true);
            if (db.readDwgFile(path.c_str()) != Acad::eOk) {
                state.SkipWithError(platform::cad::LastDrawingFileError().c_str());
                return;
            }
        }
        const double read = Seconds();
        oursCpu += Seconds(CLOCK_PROCESS_CPUTIME_ID) - startCpu;
        const double childCpu = ChildSeconds();
        const long features = GdalFeatureCount(path);
        const double gdalRead = Seconds();
        gdalCpu += ChildSeconds() - childCpu;
        if (features != kEntities) {
            state.SkipWithError(("ogrinfo counted " + std::to_string(features) + " features").c_str());
            return;
        }
        ours += read - start;
        gdal += gdalRead - read;
        state.SetIterationTime(read - start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours / n * 1e3;
    state.counters["gdal_ms"] = gdal / n * 1e3;
    // Above 1 when ours is the faster; the processor times tell more on a busy machine.
    state.counters["gdal_over_ours"] = gdal / ours;
    state.counters["ours_cpu_ms"] = oursCpu / n * 1e3;
    state.counters["gdal_cpu_ms"] = gdalCpu / n * 1e3;
    state.counters["gdal_over_ours_cpu"] = gdalCpu / oursCpu;
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_ReadDxfFileBesideGdal)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
