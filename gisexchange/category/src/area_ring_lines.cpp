#include "gisexchange/area_ring_lines.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "drawingutil/curve_kinds.h"
#include "drawingutil/distances.h"
#include "drawingutil/polyline_vertices.h"
#include "platform/gis/bas60.h"

namespace gisexchange {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kPointTolerance = 0.0001;
constexpr double kAngleTolerance = 0.1;

// A closed or open vertex chain with the distance along it to each vertex.
struct Chain {
    AcGePoint2dArray points;
    std::vector<double> stations;
    double length = 0;
};

Chain MakeChain(AcGePoint2dArray points, bool close, double closeGap)
{
    Chain chain;
    if (close && points.length() > 1 && Distance2d(points.first(), points.last()) > closeGap)
        points.append(points.first());
    chain.points = std::move(points);
    double total = 0;
    for (int i = 0; i < chain.points.length(); ++i) {
        if (i > 0)
            total += Distance2d(chain.points[i - 1], chain.points[i]);
        chain.stations.push_back(total);
    }
    chain.length = total;
    return chain;
}

Chain CurveChain(const ads_name entity)
{
    AcGePoint2dArray points;
    GetCurvePoints(entity, points, 0);
    return MakeChain(std::move(points), GetCurveKind(entity, 1) >= kCurveClosedOffset, 0.001);
}

bool OnSpan(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b)
{
    if (Distance2d(p, a) < kPointTolerance || Distance2d(p, b) < kPointTolerance)
        return true;
    double difference = std::fabs(DirectionAngle(a.x, a.y, p.x, p.y) - DirectionAngle(p.x, p.y, b.x, b.y));
    // A side running due north has bearings just above 0 and just below 360.
    return std::min(difference, 360 - difference) <= kAngleTolerance;
}

// The station of the point on the first span holding it; -1 when none does.
double StationOf(const Chain& chain, const AcGePoint2d& p, int* span = nullptr)
{
    for (int i = 0; i + 1 < chain.points.length(); ++i) {
        if (OnSpan(p, chain.points[i], chain.points[i + 1])) {
            if (span != nullptr)
                *span = i;
            return chain.stations[static_cast<std::size_t>(i)] + Distance2d(chain.points[i], p);
        }
    }
    return -1;
}

void Extents(const AcGePoint2dArray& points, AcGePoint2d& low, AcGePoint2d& high)
{
    low = high = points.first();
    for (int i = 1; i < points.length(); ++i) {
        low.set(std::min(low.x, points[i].x), std::min(low.y, points[i].y));
        high.set(std::max(high.x, points[i].x), std::max(high.y, points[i].y));
    }
}

// How far forward along a closed chain from one station to another.
double Forward(double from, double to, double length)
{
    double d = std::fmod(to - from, length);
    return d < 0 ? d + length : d;
}

bool Piece(const Chain& ring, const AcGePoint2d& a, const AcGePoint2d& b, AcGePoint2dArray& out)
{
    if (Distance2d(a, b) < kPointTolerance || ring.length <= 0)
        return false;
    const double sa = StationOf(ring, a), sb = StationOf(ring, b);
    if (sa < 0 || sb < 0)
        return false;
    const double reach = Forward(sa, sb, ring.length);
    if (reach <= 0)
        return false;
    // The vertices strictly between, in the order met going forward from A; the closing point
    // repeats the first and is left out.
    std::vector<std::pair<double, int>> between;
    const int vertices = ring.points.length() - 1;
    for (int j = 0; j < vertices; ++j) {
        double f = Forward(sa, ring.stations[static_cast<std::size_t>(j)], ring.length);
        if (f > kPointTolerance && f < reach - kPointTolerance)
            between.emplace_back(f, j);
    }
    std::sort(between.begin(), between.end());
    out.setLogicalLength(0);
    out.append(a);
    for (const auto& [f, j] : between)
        out.append(ring.points[j]);
    out.append(b);
    return true;
}

struct Collected {
    AcGePoint2dArray points;
    AcGePoint2d start, end;  // in the curve's direction, whichever way the line runs
    double key = 0;
    double startStation = 0;
};

// Ends of a line in the curve's direction: the line runs forward when its steps, each taken the
// short way round the ring, add up to progress.
void OrderEnds(Collected& line, const std::vector<double>& stations, double length)
{
    double progress = 0;
    for (std::size_t i = 1; i < stations.size(); ++i) {
        double step = stations[i] - stations[i - 1];
        if (step > length / 2)
            step -= length;
        else if (step < -length / 2)
            step += length;
        progress += step;
    }
    const bool forward = progress >= 0;
    line.start = forward ? line.points.first() : line.points.last();
    line.end = forward ? line.points.last() : line.points.first();
    line.startStation = forward ? stations.front() : stations.back();
}

// Whether some line's middle lies inside the stretch from A forward to B: such a stretch would
// run over lines already there.
bool CoversCollected(const std::vector<Collected>& collected, double from, double reach, double length)
{
    for (const Collected& line : collected) {
        double f = Forward(from, line.key, length);
        if (f > kPointTolerance && f < reach - kPointTolerance)
            return true;
    }
    return false;
}

}  // namespace

double DirectionAngle(double x1, double y1, double x2, double y2)
{
    if (x1 == x2)
        return y2 >= y1 ? 0 : 180;
    const double s = x2 > x1 ? 1 : -1;
    return (180 - s * 90) - std::atan((y2 - y1) / (x2 - x1)) * kDegreesPerRadian;
}

bool IsPointOnSegment(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b)
{
    if (Distance2d(p, a) < kPointTolerance || Distance2d(p, b) < kPointTolerance)
        return true;
    double difference = std::fabs(DirectionAngle(b.x, b.y, p.x, p.y) - DirectionAngle(p.x, p.y, a.x, a.y));
    return std::min(difference, 360 - difference) <= kAngleTolerance;
}

double DistanceAlongCurve(const ads_name entity, const AcGePoint2d& point)
{
    return StationOf(CurveChain(entity), point);
}

bool ExtractRingPiece(const AcGePoint2dArray& ring, const AcGePoint2d& a, const AcGePoint2d& b,
                      AcGePoint2dArray& out)
{
    return Piece(MakeChain(ring, true, kPointTolerance), a, b, out);
}

struct WrittenLines::Grid {
    double cell = 0;
    std::unordered_map<long long, std::vector<std::size_t>> cells;
    std::vector<std::size_t> wide;  // lines over too many cells to list in each
    std::vector<std::pair<AcGePoint2d, AcGePoint2d>> boxes;

    static constexpr long long kMaxCells = 4096;

    long long Cell(double v) const { return static_cast<long long>(std::floor(v / cell)); }
    static long long Key(long long i, long long j) { return (i << 32) ^ (j & 0xffffffffLL); }
    bool Few(const AcGePoint2d& low, const AcGePoint2d& high) const
    {
        double across = (std::floor(high.x / cell) - std::floor(low.x / cell) + 1) *
                        (std::floor(high.y / cell) - std::floor(low.y / cell) + 1);
        return across <= kMaxCells;
    }
};

WrittenLines::WrittenLines() : grid_(new Grid) {}
WrittenLines::~WrittenLines() { delete grid_; }

void WrittenLines::Add(const AcGePoint2dArray& points, LONG number)
{
    AcGePoint2d low, high;
    Extents(points, low, high);
    const std::size_t index = points_.size();
    points_.push_back(points);
    numbers_.push_back(number);
    Grid& g = *grid_;
    g.boxes.emplace_back(low, high);
    if (g.cell <= 0)  // sized by the first line, which is as large as a whole outline here
        g.cell = std::max({high.x - low.x, high.y - low.y, 1.0});
    if (!g.Few(low, high)) {
        g.wide.push_back(index);
        return;
    }
    for (long long i = g.Cell(low.x); i <= g.Cell(high.x); ++i)
        for (long long j = g.Cell(low.y); j <= g.Cell(high.y); ++j)
            g.cells[Grid::Key(i, j)].push_back(index);
}

std::vector<std::size_t> WrittenLines::Near(const AcGePoint2d& low, const AcGePoint2d& high) const
{
    const Grid& g = *grid_;
    std::vector<std::size_t> found;
    if (points_.empty())
        return found;
    if (!g.Few(low, high)) {
        for (std::size_t i = 0; i < points_.size(); ++i)
            found.push_back(i);
    } else {
        found = g.wide;
        for (long long i = g.Cell(low.x); i <= g.Cell(high.x); ++i)
            for (long long j = g.Cell(low.y); j <= g.Cell(high.y); ++j) {
                auto it = g.cells.find(Grid::Key(i, j));
                if (it != g.cells.end())
                    found.insert(found.end(), it->second.begin(), it->second.end());
            }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
    }
    std::erase_if(found, [&](std::size_t i) {
        const auto& [a, b] = g.boxes[i];
        return a.x > high.x || b.x < low.x || a.y > high.y || b.y < low.y;
    });
    return found;
}

bool BuildAreaRingLines(short file, const ads_name area, WrittenLines& lines, std::vector<LONG>& ring)
{
    const Chain curve = CurveChain(area);
    AcGePoint2dArray boundary;
    GetCurvePoints(area, boundary, 0);
    const Chain closed = MakeChain(boundary, true, kPointTolerance);
    const BYTE params[GIS_LINE_PARAM_SIZE] = {};
    auto write = [&](const AcGePoint2dArray& points) -> LONG {
        std::vector<D_DOT> dots;
        for (int i = 0; i < points.length(); ++i)
            dots.push_back({points[i].x, points[i].y});
        LONG number = GisWriteLine(file, dots.data(), static_cast<LONG>(dots.size()), params, 0);
        if (number > 0)
            lines.Add(points, number);
        return number;
    };

    std::vector<Collected> collected;
    std::vector<LONG> numbers;
    if (curve.points.length() >= 2) {
        AcGePoint2d low, high;
        Extents(curve.points, low, high);
        low += AcGeVector2d(-0.001, -0.001);
        high += AcGeVector2d(0.001, 0.001);
        for (std::size_t k : lines.Near(low, high)) {
            const AcGePoint2dArray& points = lines.Points(k);
            if (points.length() < 2)
                continue;
            std::vector<double> stations;
            for (int i = 0; i < points.length(); ++i) {
                double s = StationOf(curve, points[i]);
                if (s < 0)
                    break;
                stations.push_back(s);
            }
            if (stations.size() != static_cast<std::size_t>(points.length()))
                continue;
            Collected line{points, {}, {}, 0, 0};
            if (points.length() == 2) {
                // A straight line whose middle is off the curve is a chord across it.
                line.key = StationOf(curve, AcGePoint2d((points[0].x + points[1].x) / 2, (points[0].y + points[1].y) / 2));
                if (line.key < 0)
                    continue;
            } else {
                line.key = stations[static_cast<std::size_t>(points.length() / 2)];
            }
            OrderEnds(line, stations, curve.length);
            collected.push_back(std::move(line));
            numbers.push_back(lines.Number(k));
        }
    }
    // Stable, so that lines of equal keys keep the order they were written in.
    std::vector<std::size_t> order(collected.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return collected[a].key < collected[b].key; });
    std::vector<Collected> sorted;
    ring.clear();
    for (std::size_t i : order) {
        sorted.push_back(std::move(collected[i]));
        ring.push_back(numbers[i]);
    }

    if (sorted.empty()) {
        AcGePoint2dArray whole = closed.points;
        LONG number = write(whole);
        if (number <= 0)
            return false;
        ring.push_back(number);
        return true;
    }

    // A gap runs from one line's end to the next line's start, never over a line already there.
    auto gap = [&](const AcGePoint2d& a, const AcGePoint2d& b, AcGePoint2dArray& piece, double& key) {
        if (!Piece(closed, a, b, piece))
            return false;
        const double sa = StationOf(closed, a);
        const double reach = Forward(sa, StationOf(closed, b), closed.length);
        if (CoversCollected(sorted, sa, reach, closed.length))
            return false;
        key = sa + reach / 2;
        return true;
    };
    for (std::size_t k = 1; k < sorted.size(); ++k) {
        AcGePoint2dArray piece;
        double key = 0;
        if (!gap(sorted[k - 1].end, sorted[k].start, piece, key))
            continue;
        LONG number = write(piece);
        if (number <= 0)
            return false;
        ring.insert(ring.begin() + static_cast<std::ptrdiff_t>(k), number);
        Collected filled{piece, piece.first(), piece.last(), key, 0};
        sorted.insert(sorted.begin() + static_cast<std::ptrdiff_t>(k), std::move(filled));
        ++k;
    }
    AcGePoint2dArray piece;
    double key = 0;
    if (gap(sorted.back().end, sorted.front().start, piece, key)) {
        LONG number = write(piece);
        if (number <= 0)
            return false;
        ring.push_back(number);
    }
    return true;
}

}  // namespace gisexchange
