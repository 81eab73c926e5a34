// Regions whose boundaries cross are combined by GEOS as polygons; arcs go in as fine chords.
#include <geos_c.h>

#include <cmath>
#include <memory>

#include "region_loops.h"

namespace platform::cad {
namespace {

// Pieces per whole turn of an arc: chords within 0.03 % of the radius.
constexpr double kPiecesPerTurn = 128;

class GeosContext {
public:
    GeosContext() : handle_(GEOS_init_r()) {}
    ~GeosContext() { GEOS_finish_r(handle_); }
    GeosContext(const GeosContext&) = delete;
    GeosContext& operator=(const GeosContext&) = delete;
    GEOSContextHandle_t get() const { return handle_; }

private:
    GEOSContextHandle_t handle_;
};

struct GeomDeleter {
    GEOSContextHandle_t handle;
    void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(handle, g); }
};
using Geom = std::unique_ptr<GEOSGeometry, GeomDeleter>;

std::vector<AcGePoint2d> Flatten(const CurvePath& loop)
{
    std::vector<AcGePoint2d> points;
    for (const PathSegment& s : loop.segments) {
        const int pieces = s.arc ? std::max(1, static_cast<int>(std::ceil(std::abs(s.sweep) / (2 * M_PI) * kPiecesPerTurn))) : 1;
        for (int k = 0; k < pieces; ++k) {
            AcGePoint3d p = s.pointAt(static_cast<double>(k) / pieces);
            points.emplace_back(p.x, p.y);
        }
    }
    return points;
}

// The area inside one loop, made valid when the loop crosses itself; null when it encloses none.
Geom LoopPolygon(GEOSContextHandle_t h, const CurvePath& loop)
{
    std::vector<AcGePoint2d> points = Flatten(loop);
    if (points.size() < 3)
        return Geom(nullptr, GeomDeleter{h});
    GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h, static_cast<unsigned>(points.size() + 1), 2);
    if (seq == nullptr)
        return Geom(nullptr, GeomDeleter{h});
    for (unsigned i = 0; i <= points.size(); ++i) {
        const AcGePoint2d& p = points[i % points.size()];
        GEOSCoordSeq_setXY_r(h, seq, i, p.x, p.y);
    }
    GEOSGeometry* ring = GEOSGeom_createLinearRing_r(h, seq);
    if (ring == nullptr)
        return Geom(nullptr, GeomDeleter{h});
    Geom polygon(GEOSGeom_createPolygon_r(h, ring, nullptr, 0), GeomDeleter{h});
    if (polygon && GEOSisValid_r(h, polygon.get()) != 1)
        polygon.reset(GEOSMakeValid_r(h, polygon.get()));
    return polygon;
}

// A region's material: the points inside an odd number of its loops.
Geom RegionArea(GEOSContextHandle_t h, const RegionLoops& loops)
{
    Geom area(GEOSGeom_createEmptyPolygon_r(h), GeomDeleter{h});
    for (const CurvePath& loop : loops) {
        Geom polygon = LoopPolygon(h, loop);
        if (!area || !polygon)
            continue;
        area.reset(GEOSSymDifference_r(h, area.get(), polygon.get()));
    }
    return area;
}

bool AppendRing(GEOSContextHandle_t h, const GEOSGeometry* ring, bool hole, double z, RegionLoops& loops)
{
    const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(h, ring);
    unsigned size = 0;
    if (seq == nullptr || GEOSCoordSeq_getSize_r(h, seq, &size) == 0)
        return false;
    if (size < 4)
        return true;  // nothing enclosed
    CurvePath loop;
    loop.closed = true;
    double x0 = 0, y0 = 0;
    GEOSCoordSeq_getXY_r(h, seq, 0, &x0, &y0);
    for (unsigned i = 1; i < size; ++i) {
        double x = 0, y = 0;
        GEOSCoordSeq_getXY_r(h, seq, i, &x, &y);
        loop.AddLine(AcGePoint3d(x0, y0, z), AcGePoint3d(x, y, z), i - 1, i);
        x0 = x;
        y0 = y;
    }
    if (!OrientAsOuterLoop(loop))
        return true;
    loops.push_back(hole ? ReversedLoop(loop) : loop);
    return true;
}

bool CollectLoops(GEOSContextHandle_t h, const GEOSGeometry* g, double z, RegionLoops& loops)
{
    const int type = GEOSGeomTypeId_r(h, g);
    if (type == GEOS_POLYGON) {
        if (GEOSisEmpty_r(h, g) == 1)
            return true;
        if (!AppendRing(h, GEOSGetExteriorRing_r(h, g), false, z, loops))
            return false;
        const int holes = GEOSGetNumInteriorRings_r(h, g);
        for (int i = 0; i < holes; ++i)
            if (!AppendRing(h, GEOSGetInteriorRingN_r(h, g, i), true, z, loops))
                return false;
        return true;
    }
    if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
        const int n = GEOSGetNumGeometries_r(h, g);
        for (int i = 0; i < n; ++i)
            if (!CollectLoops(h, GEOSGetGeometryN_r(h, g, i), z, loops))
                return false;
    }
    return true;  // points and lines left over where areas only touch
}

}  // namespace

bool CombineRegionPolygons(const RegionLoops& a, const RegionLoops& b, RegionOperation operation, RegionLoops& result)
{
    GeosContext context;
    GEOSContextHandle_t h = context.get();
    Geom areaA = RegionArea(h, a);
    Geom areaB = RegionArea(h, b);
    if (!areaA || !areaB)
        return false;
    Geom combined(nullptr, GeomDeleter{h});
    switch (operation) {
        case RegionOperation::kUnite: combined.reset(GEOSUnion_r(h, areaA.get(), areaB.get())); break;
        case RegionOperation::kIntersect: combined.reset(GEOSIntersection_r(h, areaA.get(), areaB.get())); break;
        case RegionOperation::kSubtract: combined.reset(GEOSDifference_r(h, areaA.get(), areaB.get())); break;
    }
    if (!combined)
        return false;
    double z = 0;
    for (const RegionLoops* loops : {&a, &b})
        if (!loops->empty() && !loops->front().Empty()) {
            z = loops->front().segments.front().start.z;
            break;
        }
    RegionLoops loops;
    if (!CollectLoops(h, combined.get(), z, loops))
        return false;
    result = std::move(loops);
    return true;
}

}  // namespace platform::cad
