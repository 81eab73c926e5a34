// The overlap checks on generated towns (houses pushed across parcel sides, houses over houses,
// patches over patches and islands), the toolkit's code called in process on the working drawing.
// The browser is not loaded, so each finding's call of "kelvo_receive" fails at once and the
// figures are the checks' own. Then the overlay and the relation of house and parcel pairs beside
// GEOS on the same pairs, so that our figures read as a ratio of GEOS's.
#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <memory>
#include <utility>
#include <vector>

#include "cadastral/config_tables.h"
#include "cadastral/overlap_checks.h"
#include "geometry/curve_boolean.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/ring_relation.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"

namespace {

makedrawing::Options TownOptions(int parcels) {
    makedrawing::Options options;
    options.parcels = parcels;
    options.rates.openHouses = 0.02;
    options.rates.overlappingHouses = 0.05;
    options.rates.housesAcrossBoundaries = 0.05;
    options.rates.overlappingPatches = 0.1;
    options.rates.islandPatches = 0.1;
    return options;
}

// A new drawing of the host holding a generated town, for the commands to work on.
struct Town {
    explicit Town(int parcels) {
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        cadastral::LoadConfigTables();
        acDocManager->appContextNewDocument(nullptr);
        plan = makedrawing::PlanTown(TownOptions(parcels), {"141100", "141101", "141102"});
        faults = makedrawing::DrawTown(plan);
        // As on activating a drawing, the toolkit's document reactor zooms to the extents first.
        acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    }
    ~Town() { acDocManager->closeAll(); }
    makedrawing::TownPlan plan;
    std::vector<makedrawing::DrawnFault> faults;
};

template <void (*Command)()>
void BM_Command(benchmark::State& state) {
    Town town(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Command();
        platform::cad::ClearCommandLine();
    }
    state.counters["faults"] = static_cast<double>(town.faults.size());
}
BENCHMARK(BM_Command<cadastral::CheckFW_Intersect_ZD>)->Name("CheckFW_Intersect_ZD")->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Command<cadastral::FW_Intersect_FW>)->Name("FW_Intersect_FW")->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Command<cadastral::TB_Intersect_TB>)->Name("TB_Intersect_TB")->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Command<cadastral::FindIllegalTBs>)->Name("FindIllegalTBs")->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// Each house with the parcel it was planned in, drawn as lightweight polylines (the parcels with
// their arcs): pushed houses cross a side of it, the others lie inside.
struct PlannedPairs {
    explicit PlannedPairs(int parcels) {
        db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        const makedrawing::TownPlan plan = makedrawing::PlanTown(TownOptions(parcels), {"141100"});
        for (const makedrawing::Parcel& parcel : plan.parcels) {
            const AcDbObjectId p = Draw(parcel.ring, parcel.bulges);
            for (const makedrawing::House& house : parcel.houses) {
                if (!house.closed) continue;
                ids.emplace_back(p, Draw(house.ring, {}));
                rings.emplace_back(Ring(parcel.ring), Ring(house.ring));
            }
        }
    }
    ~PlannedPairs() { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

    static geometry::PointList Ring(const std::vector<makedrawing::Point2>& points) {
        geometry::PointList ring;
        for (const auto& p : points) ring.push_back({p.x, p.y});
        return ring;
    }
    AcDbObjectId Draw(const std::vector<makedrawing::Point2>& points, const std::vector<double>& bulges) {
        auto* lw = new AcDbPolyline;
        for (unsigned i = 0; i < points.size(); ++i)
            lw->addVertexAt(i, AcGePoint2d(points[i].x, points[i].y), i < bulges.size() ? bulges[i] : 0.0);
        lw->setClosed(true);
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite);
        space->appendAcDbEntity(id, lw);
        space->close();
        lw->close();
        return id;
    }

    std::unique_ptr<AcDbDatabase> db;
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> ids;
    std::vector<std::pair<geometry::PointList, geometry::PointList>> rings;
};

void BM_CurveBooleanOfPairs(benchmark::State& state) {
    PlannedPairs pairs(static_cast<int>(state.range(0)));
    int traced = 0;
    for (auto _ : state) {
        traced = 0;
        for (const auto& [parcel, house] : pairs.ids) {
            AcDbObjectIdArray results;
            geometry::CurveBoolean(parcel, house, results, 1, 0.01);
            traced += geometry::CurveBooleanStatus() == 4;
            for (int i = 0; i < results.length(); ++i) {
                AcDbEntity* e = nullptr;
                if (acdbOpenObject(e, results[i], AcDb::kForWrite) == Acad::eOk) {
                    e->erase();
                    e->close();
                }
            }
        }
    }
    state.counters["pairs"] = static_cast<double>(pairs.ids.size());
    state.counters["traced"] = traced;
}
BENCHMARK(BM_CurveBooleanOfPairs)->Arg(10000)->Unit(benchmark::kMillisecond);

struct GeosPolygons {
    explicit GeosPolygons(const PlannedPairs& pairs) : h(GEOS_init_r()) {
        for (const auto& [a, b] : pairs.rings) polygons.emplace_back(Polygon(a), Polygon(b));
    }
    ~GeosPolygons() {
        for (auto& [a, b] : polygons) {
            GEOSGeom_destroy_r(h, a);
            GEOSGeom_destroy_r(h, b);
        }
        GEOS_finish_r(h);
    }
    GEOSGeometry* Polygon(const geometry::PointList& ring) {
        GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h, static_cast<unsigned>(ring.size() + 1), 2);
        for (unsigned i = 0; i <= ring.size(); ++i)
            GEOSCoordSeq_setXY_r(h, seq, i, ring[i % ring.size()].x, ring[i % ring.size()].y);
        return GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, seq), nullptr, 0);
    }
    GEOSContextHandle_t h;
    std::vector<std::pair<GEOSGeometry*, GEOSGeometry*>> polygons;
};

// GEOS on the same pairs (parcels' arcs as their chords): the intersection and its area.
void BM_GeosIntersectionOfPairs(benchmark::State& state) {
    PlannedPairs pairs(static_cast<int>(state.range(0)));
    GeosPolygons geos(pairs);
    for (auto _ : state) {
        double total = 0;
        for (auto& [a, b] : geos.polygons) {
            GEOSGeometry* common = GEOSIntersection_r(geos.h, a, b);
            double area = 0;
            GEOSArea_r(geos.h, common, &area);
            total += area;
            GEOSGeom_destroy_r(geos.h, common);
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["pairs"] = static_cast<double>(geos.polygons.size());
}
BENCHMARK(BM_GeosIntersectionOfPairs)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RingRelationOfPairs(benchmark::State& state) {
    PlannedPairs pairs(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int sum = 0;
        for (const auto& [a, b] : pairs.rings)
            sum += geometry::RingRelation(a, geometry::DoubleList(a.size(), 0.0), b, geometry::DoubleList(b.size(), 0.0));
        benchmark::DoNotOptimize(sum);
    }
    state.counters["pairs"] = static_cast<double>(pairs.rings.size());
}
BENCHMARK(BM_RingRelationOfPairs)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_GeosRelateOfPairs(benchmark::State& state) {
    PlannedPairs pairs(static_cast<int>(state.range(0)));
    GeosPolygons geos(pairs);
    for (auto _ : state) {
        int sum = 0;
        for (auto& [a, b] : geos.polygons) {
            char* matrix = GEOSRelate_r(geos.h, a, b);
            sum += matrix[0];
            GEOSFree_r(geos.h, matrix);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["pairs"] = static_cast<double>(geos.polygons.size());
}
BENCHMARK(BM_GeosRelateOfPairs)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
