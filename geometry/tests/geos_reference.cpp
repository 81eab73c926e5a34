#include "geos_reference.h"

#include <geos_c.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace geometry::testing {

namespace {

void Report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

class Geos {
public:
    Geos() : handle_(GEOS_init_r()) {
        GEOSContext_setErrorHandler_r(handle_, Report);
    }
    ~Geos() { GEOS_finish_r(handle_); }
    GEOSContextHandle_t get() const { return handle_; }

private:
    GEOSContextHandle_t handle_;
};

struct GeomDeleter {
    GEOSContextHandle_t handle;
    void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(handle, g); }
};
using Geom = std::unique_ptr<GEOSGeometry, GeomDeleter>;

GEOSCoordSequence* Sequence(GEOSContextHandle_t h, const PointList& ring) {
    GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h, static_cast<unsigned>(ring.size()), 2);
    for (unsigned i = 0; i < ring.size(); ++i) GEOSCoordSeq_setXY_r(h, seq, i, ring[i].x, ring[i].y);
    return seq;
}

PointList Points(GEOSContextHandle_t h, const GEOSGeometry* ring) {
    const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(h, ring);
    unsigned size = 0;
    GEOSCoordSeq_getSize_r(h, seq, &size);
    PointList points(size);
    for (unsigned i = 0; i < size; ++i) GEOSCoordSeq_getXY_r(h, seq, i, &points[i].x, &points[i].y);
    return points;
}

void CollectShells(GEOSContextHandle_t h, const GEOSGeometry* g, std::vector<PointList>& shells) {
    const int type = GEOSGeomTypeId_r(h, g);
    if (type == GEOS_POLYGON) {
        if (!GEOSisEmpty_r(h, g)) shells.push_back(Points(h, GEOSGetExteriorRing_r(h, g)));
        return;
    }
    if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
        for (int i = 0; i < GEOSGetNumGeometries_r(h, g); ++i) CollectShells(h, GEOSGetGeometryN_r(h, g, i), shells);
    }
}

}  // namespace

std::vector<PointList> GeosUnionShells(const std::vector<PointList>& rings) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    std::vector<GEOSGeometry*> polygons;
    for (const PointList& ring : rings) {
        GEOSGeometry* shell = GEOSGeom_createLinearRing_r(h, Sequence(h, ring));
        polygons.push_back(GEOSGeom_createPolygon_r(h, shell, nullptr, 0));
    }
    Geom all(GEOSGeom_createCollection_r(h, GEOS_MULTIPOLYGON, polygons.data(), static_cast<unsigned>(polygons.size())),
             GeomDeleter{h});
    Geom merged(GEOSUnaryUnion_r(h, all.get()), GeomDeleter{h});
    if (!merged) throw std::runtime_error("GEOS union failed");
    std::vector<PointList> shells;
    CollectShells(h, merged.get(), shells);
    return shells;
}

std::vector<PointList> GeosOutlinesPerGroup(const std::vector<PointList>& rings) {
    std::vector<size_t> group(rings.size());
    for (size_t i = 0; i < group.size(); ++i) group[i] = i;
    auto root = [&](size_t i) {
        while (group[i] != i) i = group[i] = group[group[i]];
        return i;
    };
    {
        Geos geos;
        GEOSContextHandle_t h = geos.get();
        std::vector<Geom> lines;
        for (const PointList& ring : rings) lines.emplace_back(GEOSGeom_createLineString_r(h, Sequence(h, ring)), GeomDeleter{h});
        for (size_t i = 0; i < rings.size(); ++i) {
            for (size_t j = i + 1; j < rings.size(); ++j) {
                if (GEOSIntersects_r(h, lines[i].get(), lines[j].get()) == 1) group[root(i)] = root(j);
            }
        }
    }
    std::vector<PointList> shells;
    for (size_t g = 0; g < rings.size(); ++g) {
        if (root(g) != g) continue;
        std::vector<PointList> members;
        for (size_t i = 0; i < rings.size(); ++i) {
            if (root(i) == g) members.push_back(rings[i]);
        }
        for (PointList& shell : GeosUnionShells(GeosPolygonizeShells(members))) shells.push_back(std::move(shell));
    }
    return shells;
}

std::vector<PointList> GeosPolygonizeShells(const std::vector<PointList>& rings) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    std::vector<GEOSGeometry*> lines;
    for (const PointList& ring : rings) lines.push_back(GEOSGeom_createLineString_r(h, Sequence(h, ring)));
    Geom all(GEOSGeom_createCollection_r(h, GEOS_MULTILINESTRING, lines.data(), static_cast<unsigned>(lines.size())),
             GeomDeleter{h});
    Geom noded(GEOSUnaryUnion_r(h, all.get()), GeomDeleter{h});
    if (!noded) throw std::runtime_error("GEOS noding failed");
    const GEOSGeometry* input[] = {noded.get()};
    Geom faces(GEOSPolygonize_r(h, input, 1), GeomDeleter{h});
    if (!faces) throw std::runtime_error("GEOS polygonize failed");
    std::vector<PointList> shells;
    CollectShells(h, faces.get(), shells);
    return shells;
}

int GeosPointLocation(const PointList& ring, const Point2d& p) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    PointList closed = ring;
    closed.push_back(ring.front());
    Geom polygon(GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, Sequence(h, closed)), nullptr, 0),
                 GeomDeleter{h});
    if (GEOSisValid_r(h, polygon.get()) != 1) return 2;
    Geom point(GEOSGeom_createPointFromXY_r(h, p.x, p.y), GeomDeleter{h});
    if (GEOSContains_r(h, polygon.get(), point.get()) == 1) return -1;
    return GEOSIntersects_r(h, polygon.get(), point.get()) == 1 ? 0 : 1;
}

PointList GeosSegmentIntersection(const Point2d& a, const Point2d& b, const Point2d& c, const Point2d& d) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    Geom first(GEOSGeom_createLineString_r(h, Sequence(h, {a, b})), GeomDeleter{h});
    Geom second(GEOSGeom_createLineString_r(h, Sequence(h, {c, d})), GeomDeleter{h});
    Geom meet(GEOSIntersection_r(h, first.get(), second.get()), GeomDeleter{h});
    if (!meet) throw std::runtime_error("GEOS intersection failed");
    if (GEOSisEmpty_r(h, meet.get())) return {};
    PointList points;
    if (GEOSGeomTypeId_r(h, meet.get()) == GEOS_POINT) {
        Point2d p;
        GEOSGeomGetX_r(h, meet.get(), &p.x);
        GEOSGeomGetY_r(h, meet.get(), &p.y);
        return {p};
    }
    if (GEOSGeomTypeId_r(h, meet.get()) == GEOS_LINESTRING) {
        PointList line = Points(h, meet.get());
        return {line.front(), line.back()};
    }
    throw std::runtime_error("GEOS gave an unexpected segment intersection");
}

namespace {

Geom ClosedLine(GEOSContextHandle_t h, const PointList& ring, bool closed) {
    PointList line = ring;
    if (closed) line.push_back(ring.front());
    return Geom(GEOSGeom_createLineString_r(h, Sequence(h, line)), GeomDeleter{h});
}

Geom Polygon(GEOSContextHandle_t h, const PointList& ring) {
    PointList closed = ring;
    closed.push_back(ring.front());
    return Geom(GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, Sequence(h, closed)), nullptr, 0),
                GeomDeleter{h});
}

void CollectMeeting(GEOSContextHandle_t h, const GEOSGeometry* g, GeosMeeting& meeting) {
    const int type = GEOSGeomTypeId_r(h, g);
    if (GEOSisEmpty_r(h, g)) return;
    if (type == GEOS_POINT) {
        Point2d p;
        GEOSGeomGetX_r(h, g, &p.x);
        GEOSGeomGetY_r(h, g, &p.y);
        meeting.points.push_back(p);
    } else if (type == GEOS_LINESTRING) {
        const PointList line = Points(h, g);
        meeting.stretchEnds.push_back(line.front());
        meeting.stretchEnds.push_back(line.back());
    } else {
        for (int i = 0; i < GEOSGetNumGeometries_r(h, g); ++i) CollectMeeting(h, GEOSGetGeometryN_r(h, g, i), meeting);
    }
}

}  // namespace

GeosMeeting GeosBoundaryMeeting(const PointList& ring1, const PointList& ring2) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    Geom first = ClosedLine(h, ring1, true);
    Geom second = ClosedLine(h, ring2, true);
    Geom meet(GEOSIntersection_r(h, first.get(), second.get()), GeomDeleter{h});
    if (!meet) throw std::runtime_error("GEOS intersection failed");
    GeosMeeting meeting;
    CollectMeeting(h, meet.get(), meeting);
    return meeting;
}

double GeosBoundaryDistance(const PointList& ring, bool closed, const Point2d& p) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    Geom line = ClosedLine(h, ring, closed);
    Geom point(GEOSGeom_createPointFromXY_r(h, p.x, p.y), GeomDeleter{h});
    double distance = 0.0;
    if (GEOSDistance_r(h, line.get(), point.get(), &distance) != 1) throw std::runtime_error("GEOS distance failed");
    return distance;
}

int GeosRingRelation(const PointList& ring1, const PointList& ring2) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    Geom a = Polygon(h, ring1);
    Geom b = Polygon(h, ring2);
    if (GEOSisValid_r(h, a.get()) != 1 || GEOSisValid_r(h, b.get()) != 1) return 1000;
    char* matrix = GEOSRelate_r(h, a.get(), b.get());
    if (matrix == nullptr) throw std::runtime_error("GEOS relate failed");
    auto matches = [&](const char* pattern) { return GEOSRelatePatternMatch_r(h, matrix, pattern) == 1; };
    const bool boundaries = matrix[4] != 'F';
    int code = 0;
    if (matches("T*F**FFF*")) code = 100;
    else if (matches("FF*FF****")) code = -2;
    else if (matrix[0] == 'F') code = -1;
    else if (matches("T*F**F***")) code = boundaries ? 1 : 2;
    else if (matches("T*****FF*")) code = boundaries ? 11 : 12;
    GEOSFree_r(h, matrix);
    return code;
}

}  // namespace geometry::testing

namespace geometry::testing {

GeosOverlayResult GeosOverlay(const PointList& ring1, const PointList& ring2, int operation) {
    Geos geos;
    GEOSContextHandle_t h = geos.get();
    Geom a = Polygon(h, ring1);
    Geom b = Polygon(h, ring2);
    GeosOverlayResult result;
    if (GEOSisValid_r(h, a.get()) != 1 || GEOSisValid_r(h, b.get()) != 1) return result;
    result.valid = true;
    GEOSGeometry* raw = nullptr;
    switch (operation) {
        case 1: raw = GEOSIntersection_r(h, a.get(), b.get()); break;
        case 2: raw = GEOSUnion_r(h, a.get(), b.get()); break;
        case 3: raw = GEOSDifference_r(h, a.get(), b.get()); break;
        default: raw = GEOSDifference_r(h, b.get(), a.get()); break;
    }
    Geom out(raw, GeomDeleter{h});
    if (!out) throw std::runtime_error("GEOS overlay failed");
    GEOSArea_r(h, out.get(), &result.area);
    const int type = GEOSGeomTypeId_r(h, out.get());
    for (int i = 0; i < GEOSGetNumGeometries_r(h, out.get()); ++i) {
        const GEOSGeometry* part = GEOSGetGeometryN_r(h, out.get(), i);
        if (GEOSGeomTypeId_r(h, part) == GEOS_POLYGON && !GEOSisEmpty_r(h, part)) ++result.parts;
    }
    result.onePolygonWithoutHoles =
        type == GEOS_POLYGON && result.parts == 1 && GEOSGetNumInteriorRings_r(h, out.get()) == 0;
    result.boundariesCross = GEOSOverlaps_r(h, a.get(), b.get()) == 1;
    return result;
}

}  // namespace geometry::testing
