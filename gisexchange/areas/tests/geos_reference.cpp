#include "geos_reference.h"

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace gisexchange::reference {

namespace {

GEOSContextHandle_t Context()
{
    static GEOSContextHandle_t context = GEOS_init_r();
    return context;
}

struct GeomFree {
    void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(Context(), g); }
};
using Geom = std::unique_ptr<GEOSGeometry, GeomFree>;

GEOSCoordSequence* Sequence(const AcGePoint2dArray& points, bool close)
{
    bool addClosing = close && points.length() > 0 && points.first() != points.last();
    auto n = static_cast<unsigned>(points.length() + (addClosing ? 1 : 0));
    GEOSCoordSequence* seq = GEOSCoordSeq_create_r(Context(), n, 2);
    for (int i = 0; i < points.length(); ++i)
        GEOSCoordSeq_setXY_r(Context(), seq, static_cast<unsigned>(i), points[i].x, points[i].y);
    if (addClosing)
        GEOSCoordSeq_setXY_r(Context(), seq, n - 1, points[0].x, points[0].y);
    return seq;
}

Geom Polygon(const AcGePoint2dArray& ring)
{
    GEOSGeometry* shell = GEOSGeom_createLinearRing_r(Context(), Sequence(ring, true));
    return Geom(GEOSGeom_createPolygon_r(Context(), shell, nullptr, 0));
}

Geom Lines(const std::vector<AcGePoint2dArray>& lines, bool close)
{
    std::vector<GEOSGeometry*> parts;
    for (const AcGePoint2dArray& line : lines)
        if (line.length() >= 2)
            parts.push_back(GEOSGeom_createLineString_r(Context(), Sequence(line, close)));
    return Geom(GEOSGeom_createCollection_r(Context(), GEOS_MULTILINESTRING, parts.data(),
                                            static_cast<unsigned>(parts.size())));
}

double Length(const GEOSGeometry* g)
{
    double length = 0;
    GEOSLength_r(Context(), g, &length);
    return length;
}

}  // namespace

bool GeosValidRing(const AcGePoint2dArray& ring)
{
    if (ring.length() < 3)
        return false;
    Geom polygon = Polygon(ring);
    return GEOSisValid_r(Context(), polygon.get()) == 1;
}

int GeosLocate(const AcGePoint2dArray& ring, const AcGePoint2d& point)
{
    Geom polygon = Polygon(ring);
    Geom p(GEOSGeom_createPointFromXY_r(Context(), point.x, point.y));
    Geom boundary(GEOSBoundary_r(Context(), polygon.get()));
    if (GEOSIntersects_r(Context(), boundary.get(), p.get()) == 1)
        return 0;
    return GEOSContains_r(Context(), polygon.get(), p.get()) == 1 ? -1 : 1;
}

double GeosIntersectionArea(const AcGePoint2dArray& a, const AcGePoint2dArray& b)
{
    Geom pa = Polygon(a), pb = Polygon(b);
    Geom common(GEOSIntersection_r(Context(), pa.get(), pb.get()));
    double area = 0;
    GEOSArea_r(Context(), common.get(), &area);
    return area;
}

std::vector<AcGePoint2dArray> GeosNodedLines(const std::vector<AcGePoint2dArray>& lines, bool closeRings)
{
    Geom all = Lines(lines, closeRings);
    Geom noded(GEOSNode_r(Context(), all.get()));
    std::vector<AcGePoint2dArray> result;
    int count = GEOSGetNumGeometries_r(Context(), noded.get());
    for (int i = 0; i < count; ++i) {
        const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(Context(), GEOSGetGeometryN_r(Context(), noded.get(), i));
        unsigned n = 0;
        GEOSCoordSeq_getSize_r(Context(), seq, &n);
        AcGePoint2dArray line;
        for (unsigned k = 0; k < n; ++k) {
            double x = 0, y = 0;
            GEOSCoordSeq_getXY_r(Context(), seq, k, &x, &y);
            line.append(AcGePoint2d(x, y));
        }
        result.push_back(line);
    }
    return result;
}

std::vector<double> GeosPolygonizeAreas(const std::vector<AcGePoint2dArray>& lines)
{
    Geom all = Lines(lines, false);
    Geom noded(GEOSNode_r(Context(), all.get()));
    const GEOSGeometry* input = noded.get();
    Geom faces(GEOSPolygonize_r(Context(), &input, 1));
    std::vector<double> areas;
    int count = GEOSGetNumGeometries_r(Context(), faces.get());
    for (int i = 0; i < count; ++i) {
        // The outer outline only: holes are faces of their own.
        const GEOSGeometry* shell = GEOSGetExteriorRing_r(Context(), GEOSGetGeometryN_r(Context(), faces.get(), i));
        const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(Context(), shell);
        unsigned n = 0;
        GEOSCoordSeq_getSize_r(Context(), seq, &n);
        double sum = 0;
        for (unsigned k = 1; k < n; ++k) {
            double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            GEOSCoordSeq_getXY_r(Context(), seq, k - 1, &x0, &y0);
            GEOSCoordSeq_getXY_r(Context(), seq, k, &x1, &y1);
            sum += x0 * y1 - x1 * y0;
        }
        areas.push_back(std::abs(sum) / 2);
    }
    std::sort(areas.begin(), areas.end());
    return areas;
}

double GeosDissolvedLength(const std::vector<AcGePoint2dArray>& lines, bool closeRings)
{
    Geom all = Lines(lines, closeRings);
    Geom dissolved(GEOSUnaryUnion_r(Context(), all.get()));
    return Length(dissolved.get());
}

double GeosUncoveredLength(const std::vector<AcGePoint2dArray>& a, bool closeA,
                           const std::vector<AcGePoint2dArray>& b, bool closeB)
{
    Geom la = Lines(a, closeA), lb = Lines(b, closeB);
    Geom ua(GEOSUnaryUnion_r(Context(), la.get())), ub(GEOSUnaryUnion_r(Context(), lb.get()));
    Geom rest(GEOSDifference_r(Context(), ua.get(), ub.get()));
    return Length(rest.get());
}

}  // namespace gisexchange::reference
