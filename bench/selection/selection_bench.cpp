// Graphical selections on a drawing of 100 000 entities (lines, circles and closed polylines on
// a 1000 x 1000 unit sheet), zoomed to its extents. Each run makes and frees one set.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/selection.h"
#include "platform/cad/view_state.h"

namespace {

constexpr int kEntities = 100000;

AcDbDatabase* Drawing()
{
    static std::unique_ptr<AcDbDatabase> db = [] {
        auto d = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(d.get());
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, d->modelSpaceId(), AcDb::kForWrite);
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> pos(0, 1000), size(0.2, 3);
        for (int i = 0; i < kEntities; ++i) {
            double x = pos(rng), y = pos(rng), s = size(rng);
            AcDbEntity* e = nullptr;
            switch (i % 3) {
            case 0: e = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + s, y + s / 2, 0)); break;
            case 1: e = new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d(0, 0, 1), s / 2); break;
            default: {
                auto* pl = new AcDbPolyline;
                pl->addVertexAt(0, AcGePoint2d(x, y));
                pl->addVertexAt(1, AcGePoint2d(x + s, y));
                pl->addVertexAt(2, AcGePoint2d(x + s, y + s), 0.3);
                pl->addVertexAt(3, AcGePoint2d(x, y + s));
                pl->setClosed(true);
                e = pl;
            }
            }
            ms->appendAcDbEntity(e);
            e->close();
        }
        ms->close();
        platform::cad::ZoomExtents(d.get());
        return d;
    }();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    return db.get();
}

void Window(benchmark::State& state, const char* mode)
{
    Drawing();
    double half = static_cast<double>(state.range(0)) / 2;
    ads_point a{500 - half, 500 - half, 0}, b{500 + half, 500 + half, 0};
    std::size_t found = 0;
    for (auto _ : state) {
        ads_name ss;
        if (acedSSGet(mode, a, b, nullptr, ss) == RTNORM) {
            Adesk::Int32 n = 0;
            acedSSLength(ss, &n);
            found = static_cast<std::size_t>(n);
            acedSSFree(ss);
        }
    }
    state.counters["found"] = static_cast<double>(found);
}

// A concave star of 16 points around the sheet's centre.
void WindowPolygon(benchmark::State& state)
{
    Drawing();
    double r = static_cast<double>(state.range(0)) / 2;
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (int i = 0; i < 16; ++i) {
        double a = i * M_PI / 8, rr = i % 2 == 0 ? r : r / 2;
        *tail = acutNewRb(RTPOINT);
        (*tail)->resval.rpoint[0] = 500 + rr * std::cos(a);
        (*tail)->resval.rpoint[1] = 500 + rr * std::sin(a);
        tail = &(*tail)->rbnext;
    }
    std::size_t found = 0;
    for (auto _ : state) {
        ads_name ss;
        if (acedSSGet("WP", head, nullptr, nullptr, ss) == RTNORM) {
            Adesk::Int32 n = 0;
            acedSSLength(ss, &n);
            found = static_cast<std::size_t>(n);
            acedSSFree(ss);
        }
    }
    acutRelRb(head);
    state.counters["found"] = static_cast<double>(found);
}

void BM_Window(benchmark::State& state) { Window(state, "W"); }
void BM_Crossing(benchmark::State& state) { Window(state, "C"); }
void BM_WindowPolygon(benchmark::State& state) { WindowPolygon(state); }

// Editing between selections: one entity moves, then a small crossing selection runs, as the
// gap fusion does vertex after vertex.
void BM_MoveThenCrossing(benchmark::State& state)
{
    AcDbDatabase* db = Drawing();
    AcDbObjectId id(db->objects().At(db->objects().Size() - 1));
    ads_point a{495, 495, 0}, b{505, 505, 0};
    double dx = 0.001;
    for (auto _ : state) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, AcDb::kForWrite) == Acad::eOk) {
            if (auto* pl = AcDbPolyline::cast(e)) {
                AcGePoint2d p;
                pl->getPointAt(0, p);
                pl->setPointAt(0, AcGePoint2d(p.x + dx, p.y));
            }
            e->close();
        }
        dx = -dx;
        ads_name ss;
        if (acedSSGet("C", a, b, nullptr, ss) == RTNORM)
            acedSSFree(ss);
    }
}

}  // namespace

BENCHMARK(BM_Window)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Crossing)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowPolygon)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveThenCrossing)->Unit(benchmark::kMicrosecond);
