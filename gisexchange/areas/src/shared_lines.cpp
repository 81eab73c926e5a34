#include "gisexchange/shared_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "drawingutil/distances.h"
#include "drawingutil/host_objects.h"
#include "gisexchange/cell_index.h"
#include "gisexchange/boundary_cutting.h"

namespace gisexchange {

namespace {

constexpr double kSamePoint = 1e-5;
constexpr double kSameBearing = 0.00001;  // degrees
// Cells of the end index: much wider than the point tolerance, so a match mostly lies in the same cell.
constexpr double kCell = 1e-3;

}  // namespace

// Lines are filed by the cell of their first point in a chained hash table: a power-of-two number
// of buckets, each the first line of a chain that runs through next_. Lines of other cells may
// share a bucket and are told apart by their cell.
struct SharedLineSet::EndIndex {
    struct Key {
        std::int64_t x, y;
        bool operator==(const Key&) const = default;
    };
    static Key KeyOf(const AcGePoint2d& p) { return {CellIndex(p.x, kCell), CellIndex(p.y, kCell)}; }

    std::size_t indexed = 0;

    void Add(int line, const AcGePoint2d& first)
    {
        const auto at = static_cast<std::size_t>(line);
        if (at >= keys_.size()) {
            keys_.resize(at + 1);
            next_.resize(at + 1, kNone);
            filed_.resize(at + 1, 0);
        }
        if (filed_[at] != 0) {
            Unlink(line);
            --count_;
        }
        keys_[at] = KeyOf(first);
        filed_[at] = 1;
        if (++count_ > buckets_.size())
            Grow();
        else
            Link(line);
    }
    void Remove(int line)
    {
        if (static_cast<std::size_t>(line) < filed_.size() && filed_[static_cast<std::size_t>(line)] != 0) {
            Unlink(line);
            filed_[static_cast<std::size_t>(line)] = 0;
            --count_;
        }
    }
    void Rebuild(const std::vector<AcGePoint2dArray>& lines)
    {
        buckets_.assign(buckets_.size(), kNone);
        keys_.clear();
        next_.clear();
        filed_.clear();
        count_ = 0;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!lines[i].isEmpty())
                Add(static_cast<int>(i), lines[i].first());
        indexed = lines.size();
    }
    // The lines whose first point may lie within kSamePoint of the point: those filed in the cells
    // that a square of twice that reach around the point touches (one cell, mostly).
    void Near(const AcGePoint2d& p, std::vector<int>& found) const
    {
        if (buckets_.empty())
            return;
        constexpr double kReach = 2 * kSamePoint;
        const std::int64_t x0 = CellIndex(p.x - kReach, kCell), x1 = CellIndex(p.x + kReach, kCell);
        const std::int64_t y0 = CellIndex(p.y - kReach, kCell), y1 = CellIndex(p.y + kReach, kCell);
        for (std::int64_t x = x0; x <= x1; ++x) {
            for (std::int64_t y = y0; y <= y1; ++y) {
                const Key cell{x, y};
                for (int line = buckets_[BucketOf(cell)]; line != kNone; line = next_[static_cast<std::size_t>(line)])
                    if (keys_[static_cast<std::size_t>(line)] == cell)
                        found.push_back(line);
            }
        }
    }

private:
    static constexpr int kNone = -1;

    std::size_t BucketOf(const Key& k) const
    {
        const std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull ^
                                static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full;
        return static_cast<std::size_t>(h ^ (h >> 29)) & (buckets_.size() - 1);
    }
    void Link(int line)
    {
        const auto at = static_cast<std::size_t>(line);
        std::size_t bucket = BucketOf(keys_[at]);
        next_[at] = buckets_[bucket];
        buckets_[bucket] = line;
    }
    void Unlink(int line)
    {
        int* link = &buckets_[BucketOf(keys_[static_cast<std::size_t>(line)])];
        while (*link != kNone && *link != line)
            link = &next_[static_cast<std::size_t>(*link)];
        if (*link == line)
            *link = next_[static_cast<std::size_t>(line)];
    }
    // Twice the buckets, every filed line linked again.
    void Grow()
    {
        buckets_.assign(std::max<std::size_t>(16, buckets_.size() * 2), kNone);
        for (std::size_t i = 0; i < filed_.size(); ++i)
            if (filed_[i] != 0)
                Link(static_cast<int>(i));
    }

    std::vector<int> buckets_;
    std::vector<Key> keys_;  // by line: the cell of its first point
    std::vector<int> next_;  // by line: the next line of its bucket
    std::vector<char> filed_;
    std::size_t count_ = 0;
};

SharedLineSet::SharedLineSet() = default;
SharedLineSet::~SharedLineSet() = default;

int AddSharedLine(const BoundaryCurveRecord& record, SharedLineSet& set, const AcGePoint2dArray& piece, int value)
{
    if (!set.index)
        set.index = std::make_unique<SharedLineSet::EndIndex>();
    if (set.index->indexed != set.lines.size())
        set.index->Rebuild(set.lines);
    AcDbObjectId contributor;
    if (set.keepContributors)
        drawingutil::IdOfName(record.entity, contributor);

    // A stored line equal to the piece starts near one of the piece's ends. The lowest-numbered
    // match wins, as a walk through every stored line in order would find it.
    std::vector<int> candidates;
    if (!piece.isEmpty()) {
        set.index->Near(piece.first(), candidates);
        set.index->Near(piece.last(), candidates);
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (int i : candidates) {
        auto at = static_cast<std::size_t>(i);
        int c = CompareLinePoints(set.lines[at], piece);
        if (c != 2 && c != -2)
            continue;
        if (record.cancelDuplicates) {
            // The piece was met before: the stretch is common to both curves and goes, with its
            // number, value and contributors, so that later numbers still name their own lines.
            set.lines.erase(set.lines.begin() + i);
            if (at < set.numbers.size())
                set.numbers.erase(set.numbers.begin() + i);
            if (at < set.values.size())
                set.values.erase(set.values.begin() + i);
            if (at < set.contributors.size())
                set.contributors.erase(set.contributors.begin() + i);
            set.index->Rebuild(set.lines);
            return 0;
        }
        if (set.lines[at].length() < piece.length()) {
            set.index->Remove(i);
            set.lines[at] = piece;
            if (c == -2)
                set.lines[at].reverse();
            set.index->Add(i, set.lines[at].first());
        }
        if (value != 0 && at < set.values.size())
            set.values[at] = value;
        if (set.keepContributors && at < set.contributors.size())
            set.contributors[at].push_back(contributor);
        int number = at < set.numbers.size() ? set.numbers[at] : i + 1;
        return c == -2 ? -number : number;
    }
    set.lines.push_back(piece);
    if (set.keepContributors)
        set.contributors.push_back({contributor});
    set.values.push_back(value);
    int number = static_cast<int>(set.lines.size());
    set.numbers.push_back(number);
    if (!piece.isEmpty())
        set.index->Add(number - 1, piece.first());
    set.index->indexed = set.lines.size();
    return number;
}

int CompareLinePoints(const AcGePoint2dArray& lineA, const AcGePoint2dArray& lineB)
{
    // Taking out collinear points keeps the ends: lines whose ends differ are told apart before
    // any copy is made.
    if (lineA.isEmpty() || lineB.isEmpty())
        return 1;
    if (!(Distance2d(lineA.first(), lineB.first()) < kSamePoint && Distance2d(lineA.last(), lineB.last()) < kSamePoint) &&
        !(Distance2d(lineA.first(), lineB.last()) < kSamePoint && Distance2d(lineA.last(), lineB.first()) < kSamePoint))
        return 1;
    AcGePoint2dArray a = lineA, b = lineB;
    RemoveCollinearPoints(a);
    RemoveCollinearPoints(b);
    int n = a.length();
    if (n != b.length() || n == 0)
        return 1;
    bool same = Distance2d(a[0], b[0]) < kSamePoint && Distance2d(a[n - 1], b[n - 1]) < kSamePoint;
    bool reversed = Distance2d(a[0], b[n - 1]) < kSamePoint && Distance2d(a[n - 1], b[0]) < kSamePoint;
    if (!same && !reversed)
        return 1;
    if (Distance2d(a[0], b[0]) < kSamePoint) {
        for (int i = 1; i <= n - 2; ++i)
            if (!(Distance2d(a[i], b[i]) < kSamePoint))
                return 1;
        return 2;
    }
    for (int i = 1; i <= n - 2; ++i)
        if (!(Distance2d(a[i], b[n - 1 - i]) < kSamePoint))
            return 1;
    return -2;
}

void RemoveCollinearPoints(AcGePoint2dArray& points)
{
    if (points.length() < 3)
        return;
    AcGePoint2dArray kept;
    kept.setPhysicalLength(points.length());
    kept.append(points[0]);
    // kept.last() is p[i-1] of the walk; a removed point leaves it in place for the next test.
    for (int i = 1; i < points.length() - 1; ++i) {
        const AcGePoint2d& from = kept.last();
        double toPoint = Bearing(from.x, from.y, points[i].x, points[i].y);
        double toNext = Bearing(from.x, from.y, points[i + 1].x, points[i + 1].y);
        // Bearings wrap at north: 359.999999 and 0 are the same way.
        double difference = std::fmod(std::abs(toPoint - toNext), 360.0);
        if (difference > 180.0)
            difference = 360.0 - difference;
        if (difference < kSameBearing)
            continue;
        kept.append(points[i]);
    }
    kept.append(points.last());
    points = kept;
}

double Bearing(double x1, double y1, double x2, double y2)
{
    if (x2 != x1) {
        double s = x2 > x1 ? 1.0 : -1.0;
        return 180.0 - s * 90.0 - std::atan((y2 - y1) / (x2 - x1)) * 57.29577951308232;
    }
    return y2 >= y1 ? 0.0 : 180.0;
}

}  // namespace gisexchange
