#include "polyline_fitting.h"

#include <cmath>

namespace platform::cad {

namespace {
AcGeVector2d Unit(const AcGeVector2d& v)
{
    double len = v.length();
    return len > 0 ? v / len : AcGeVector2d(1, 0);
}

double Cross(const AcGeVector2d& a, const AcGeVector2d& b) { return a.x * b.y - a.y * b.x; }

// Bulge of the arc from a to b that leaves a in direction t.
double BulgeFromTangent(const AcGePoint2d& a, const AcGePoint2d& b, const AcGeVector2d& t)
{
    AcGeVector2d chord = b - a;
    if (chord.length() == 0)
        return 0;
    double half = std::atan2(Cross(t, chord), t.dotProduct(chord));  // half of the arc's angle
    return std::tan(half / 2);
}
}  // namespace

std::vector<FitVertex> CurveFit(const std::vector<AcGePoint2d>& p, bool closed)
{
    std::vector<FitVertex> out;
    std::size_t n = p.size();
    if (n < 2) {
        for (const auto& q : p)
            out.push_back(FitVertex{q, 0, false, 0});
        return out;
    }
    // Tangent at each vertex: parallel to the chord of its neighbours; open ends mirror the
    // neighbouring tangent across their span.
    std::vector<AcGeVector2d> tangents(n);
    for (std::size_t i = 0; i < n; ++i) {
        bool hasPrev = closed || i > 0, hasNext = closed || i + 1 < n;
        if (hasPrev && hasNext)
            tangents[i] = Unit(p[(i + 1) % n] - p[(i + n - 1) % n]);
    }
    if (!closed) {
        if (n == 2) {
            tangents[0] = tangents[1] = Unit(p[1] - p[0]);
        } else {
            AcGeVector2d c0 = Unit(p[1] - p[0]);
            tangents[0] = c0 * (2 * tangents[1].dotProduct(c0)) - tangents[1];
            AcGeVector2d c1 = Unit(p[n - 1] - p[n - 2]);
            tangents[n - 1] = c1 * (2 * tangents[n - 2].dotProduct(c1)) - tangents[n - 2];
        }
    }
    std::size_t spans = closed ? n : n - 1;
    for (std::size_t i = 0; i < spans; ++i) {
        const AcGePoint2d& a = p[i];
        const AcGePoint2d& b = p[(i + 1) % n];
        AcGeVector2d t0 = tangents[i], t1 = tangents[(i + 1) % n];
        AcGeVector2d v = b - a;
        // Biarc with equal tangent lengths d: |v - d (t0 + t1)| = 2 d.
        AcGeVector2d t = t0 + t1;
        double denom = 2 * (1 - t0.dotProduct(t1));
        double d;
        if (std::abs(denom) < 1e-12)
            d = v.dotProduct(v) / (4 * std::max(v.dotProduct(t1), 1e-12));
        else
            d = (-v.dotProduct(t) + std::sqrt(std::max(0.0, v.dotProduct(t) * v.dotProduct(t) + denom * v.dotProduct(v)))) /
                denom;
        AcGePoint2d q0 = a + t0 * d, q1 = b - t1 * d;
        AcGePoint2d j((q0.x + q1.x) / 2, (q0.y + q1.y) / 2);
        out.push_back(FitVertex{a, BulgeFromTangent(a, j, t0), false, t0.angle()});
        out.push_back(FitVertex{j, BulgeFromTangent(j, b, Unit(q1 - q0)), true, 0});
    }
    if (!closed)
        out.push_back(FitVertex{p[n - 1], 0, false, tangents[n - 1].angle()});
    return out;
}

std::vector<AcGePoint2d> SplineFit(const std::vector<AcGePoint2d>& control, int degree, bool closed,
                                   int segmentsPerSpan)
{
    std::vector<AcGePoint2d> pts;
    int n = static_cast<int>(control.size());
    if (n <= degree || degree < 1)
        return control;
    std::vector<AcGePoint2d> cp = control;
    std::vector<double> knots;
    double u0, u1;
    if (closed) {
        for (int i = 0; i < degree; ++i)
            cp.push_back(control[static_cast<std::size_t>(i)]);
        int m = static_cast<int>(cp.size()) + degree + 1;
        for (int i = 0; i < m; ++i)
            knots.push_back(i);
        u0 = degree;
        u1 = static_cast<double>(cp.size());
    } else {
        for (int i = 0; i <= degree; ++i)
            knots.push_back(0);
        for (int i = 1; i < n - degree; ++i)
            knots.push_back(i);
        for (int i = 0; i <= degree; ++i)
            knots.push_back(n - degree);
        u0 = 0;
        u1 = n - degree;
    }
    auto eval = [&](double u) {
        int k = degree;
        while (k + 1 < static_cast<int>(cp.size()) && knots[static_cast<std::size_t>(k + 1)] <= u)
            ++k;
        std::vector<AcGePoint2d> d(cp.begin() + (k - degree), cp.begin() + k + 1);
        for (int r = 1; r <= degree; ++r)
            for (int j = degree; j >= r; --j) {
                int i = k - degree + j;
                double den = knots[static_cast<std::size_t>(i + degree - r + 1)] - knots[static_cast<std::size_t>(i)];
                double a = den == 0 ? 0 : (u - knots[static_cast<std::size_t>(i)]) / den;
                d[static_cast<std::size_t>(j)] = AcGePoint2d((1 - a) * d[static_cast<std::size_t>(j - 1)].x + a * d[static_cast<std::size_t>(j)].x,
                                                             (1 - a) * d[static_cast<std::size_t>(j - 1)].y + a * d[static_cast<std::size_t>(j)].y);
            }
        return d[static_cast<std::size_t>(degree)];
    };
    int total = static_cast<int>((u1 - u0) * segmentsPerSpan);
    for (int s = 0; s <= total; ++s) {
        if (closed && s == total)
            break;
        double u = u0 + (u1 - u0) * s / total;
        if (s == total)
            u = u1 - 1e-12;
        pts.push_back(s == total && !closed ? control.back() : eval(u));
    }
    return pts;
}

}  // namespace platform::cad
