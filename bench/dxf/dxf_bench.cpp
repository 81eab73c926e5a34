// How long a drawing of 100 000 coded entities (lines, circles and polylines, each with extended
// data) takes to write as DXF and to read back.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
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

}  // namespace
