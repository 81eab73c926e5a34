#include "makedrawing/town_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "fault_placement.h"
#include "makedrawing/random.h"
#include "plane.h"

namespace makedrawing {

namespace {

// Survey coordinates of the town's south-west corner: easting as x, northing as y.
constexpr double kOriginX = 500000.0;
constexpr double kOriginY = 3400000.0;
constexpr double kBlockWidth = 120.0;
constexpr double kRowDepth = 30.0;
constexpr double kStreet = 12.0;
// Houses keep this far from their parcel's nodes, so that moved vertices never reach them.
constexpr double kHouseInset = 3.0;
constexpr const char* kAreaCode = "330102";

const char* const kSurnames[] = {"张", "王", "李", "赵", "陈", "刘", "杨", "黄"};
const char* const kGivenNames[] = {"建国", "秀英", "志强", "桂兰", "伟", "芳", "军", "敏"};
const char* const kLandClasses[] = {"071", "072", "051", "061", "081"};
struct Structure {
    const char* code;
    const char* word;
};
const Structure kStructures[] = {{"1", "钢"}, {"2", "钢混"}, {"3", "混"}, {"4", "砖混"}, {"5", "砖木"}};

template <typename T, std::size_t N>
const T& Pick(Random& random, const T (&items)[N])
{
    return items[random.Int(0, static_cast<int>(N) - 1)];
}

std::string Digits(int value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%0*d", width, value);
    return buffer;
}

std::vector<Point2> Rectangle(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// Houses of one parcel, side by side inside the rectangle its nodes leave free.
void PlanHouses(Parcel& parcel, const std::vector<std::string>& houseCodes, Random& random)
{
    const auto& r = parcel.ring;  // south-west, south-east, north-east, north-west
    double left = std::max(r[0].x, r[3].x) + kHouseInset;
    double right = std::min(r[1].x, r[2].x) - kHouseInset;
    double bottom = std::max(r[0].y, r[1].y) + kHouseInset;
    double top = std::min(r[2].y, r[3].y) - kHouseInset;
    parcel.notePosition = {(left + right) / 2, (bottom + top) / 2};
    double roll = random.Unit();
    int count = roll < 0.15 ? 0 : roll < 0.7 ? 1 : 2;
    const double spacing = 2.0;
    double slot = (right - left - spacing * (count - 1)) / std::max(count, 1);
    for (int i = 0; i < count; ++i) {
        double width = slot * random.Between(0.55, 0.9);
        double height = (top - bottom) * random.Between(0.5, 0.85);
        double x0 = left + i * (slot + spacing) + random.Between(0, slot - width);
        double y0 = bottom + random.Between(0, top - bottom - height);
        House house;
        house.ring = Rectangle(x0, y0, x0 + width, y0 + height);
        house.code = houseCodes[static_cast<std::size_t>(random.Int(0, static_cast<int>(houseCodes.size()) - 1))];
        const Structure& structure = Pick(random, kStructures);
        house.structure = structure.code;
        house.structureWord = structure.word;
        bool simple = house.code == "141300" || house.code == "141400";
        house.floors = simple ? 1 : random.Int(1, 6);
        parcel.houses.push_back(std::move(house));
    }
}

// The street side of a parcel (the edge from ring index `edge`) drawn as an arc bulging into the
// street, or bent at a point of the second class; most stay straight.
void ShapeStreetSide(Parcel& parcel, int edge, TownPlan& plan, Random& random)
{
    double roll = random.Unit();
    auto e = static_cast<std::size_t>(edge);
    if (roll < 0.15) {
        parcel.bulges[e] = random.Between(0.06, 0.12);
    } else if (roll < 0.3) {
        const Point2& a = parcel.ring[e];
        const Point2& b = parcel.ring[(e + 1) % parcel.ring.size()];
        double length = std::hypot(b.x - a.x, b.y - a.y);
        double offset = random.Between(0.3, 0.8);
        // Outward is to the right of a counter-clockwise edge.
        Point2 bend{(a.x + b.x) / 2 + (b.y - a.y) / length * offset, (a.y + b.y) / 2 - (b.x - a.x) / length * offset};
        BoundaryPoint point;
        point.at = bend;
        point.turning = true;
        point.labelled = false;
        int node = static_cast<int>(plan.points.size());
        plan.points.push_back(point);
        auto at = static_cast<std::ptrdiff_t>(e + 1);
        parcel.ring.insert(parcel.ring.begin() + at, bend);
        parcel.bulges.insert(parcel.bulges.begin() + at, 0.0);
        parcel.nodes.insert(parcel.nodes.begin() + at, node);
    }
}

struct BlockPlace {
    int street;  // row of blocks, from 1
    int block;   // column of blocks, from 1
    double x;
    double y;
};

void PlanBlock(TownPlan& plan, const BlockPlace& place, int parcels, const std::vector<std::string>& houseCodes,
               bool straightSides, Random& random)
{
    int columns = (parcels + 1) / 2;
    // Node (j, k): column line j from the west, k 0 south, 1 middle, 2 north.
    std::vector<Point2> nodes(static_cast<std::size_t>((columns + 1) * 3));
    for (int j = 0; j <= columns; ++j) {
        double base = kBlockWidth * j / columns;
        bool inner = j > 0 && j < columns;
        for (int k = 0; k < 3; ++k) {
            double x = base + (inner ? random.Between(-1.5, 1.5) : 0.0);
            double y = k * kRowDepth + (k == 1 ? random.Between(-1.5, 1.5) : 0.0);
            nodes[static_cast<std::size_t>(j * 3 + k)] = {place.x + x, place.y + y};
        }
    }
    std::vector<int> pointOf(nodes.size(), -1);
    auto use = [&](int j, int k) {
        auto n = static_cast<std::size_t>(j * 3 + k);
        if (pointOf[n] < 0) {
            pointOf[n] = static_cast<int>(plan.points.size());
            BoundaryPoint point;
            point.at = nodes[n];
            plan.points.push_back(point);
        }
        return pointOf[n];
    };
    std::string prefix = Digits(place.street, 3) + Digits(place.block, 3);
    int serial = 0;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < 2 && serial < parcels; ++r) {
            if (r == 1 && c * 2 + 1 >= parcels)
                continue;  // an odd count leaves the last north parcel out
            Parcel parcel;
            int corner[4][2] = {{c, r}, {c + 1, r}, {c + 1, r + 1}, {c, r + 1}};
            for (auto& jk : corner) {
                parcel.nodes.push_back(use(jk[0], jk[1]));
                parcel.ring.push_back(nodes[static_cast<std::size_t>(jk[0] * 3 + jk[1])]);
            }
            parcel.bulges.assign(4, 0.0);
            ++serial;
            parcel.number = prefix + Digits(serial, 4) + "000";
            parcel.owner = std::string(Pick(random, kSurnames)) + Pick(random, kGivenNames);
            parcel.landClass = Pick(random, kLandClasses);
            PlanHouses(parcel, houseCodes, random);
            if (!straightSides)
                ShapeStreetSide(parcel, r == 0 ? 0 : 2, plan, random);
            plan.parcels.push_back(std::move(parcel));
        }
    }
    double half = kStreet / 2;
    District district;
    district.ring = Rectangle(place.x - half, place.y - half, place.x + kBlockWidth + half,
                              place.y + 2 * kRowDepth + half);
    district.code = plan.areaCode + prefix;
    district.name = "第" + Digits(place.street, 3) + "街道第" + Digits(place.block, 3) + "街坊";
    plan.districts.push_back(std::move(district));
    plan.patches.push_back(Rectangle(place.x, place.y, place.x + kBlockWidth, place.y + 2 * kRowDepth));
    plan.high.x = std::max(plan.high.x, place.x + kBlockWidth + half);
    plan.high.y = std::max(plan.high.y, place.y + 2 * kRowDepth + half);
}

// One house in place of the parcel's houses, standing on a straight side of the parcel, away from
// its ends; it reaches less far into the parcel than the other houses keep from its nodes.
void PlanBoundaryHouse(Parcel& parcel, Random& random)
{
    std::vector<std::size_t> sides;
    const std::size_t n = parcel.ring.size();
    for (std::size_t e = 0; e < n; ++e) {
        const Point2& a = parcel.ring[e];
        const Point2& b = parcel.ring[(e + 1) % n];
        if (parcel.bulges[e] == 0.0 && std::hypot(b.x - a.x, b.y - a.y) > 4 * kHouseInset)
            sides.push_back(e);
    }
    if (sides.empty() || parcel.houses.empty())
        return;
    for (const House& house : parcel.houses)
        if (!house.faults.empty())
            return;  // the faults put in on purpose stay
    std::size_t e = sides[static_cast<std::size_t>(random.Int(0, static_cast<int>(sides.size()) - 1))];
    const Point2& a = parcel.ring[e];
    const Point2& b = parcel.ring[(e + 1) % n];
    double length = std::hypot(b.x - a.x, b.y - a.y);
    Point2 along{(b.x - a.x) / length, (b.y - a.y) / length};
    Point2 inward{-along.y, along.x};  // left of a counter-clockwise side
    double from = random.Between(kHouseInset, length / 2 - kHouseInset);
    double to = random.Between(length / 2, length - kHouseInset);
    double depth = random.Between(1.0, kHouseInset - 1.0);
    Point2 p0{a.x + along.x * from, a.y + along.y * from};
    Point2 p1{a.x + along.x * to, a.y + along.y * to};
    House house = parcel.houses.front();
    house.ring = {p0, p1, {p1.x + inward.x * depth, p1.y + inward.y * depth},
                  {p0.x + inward.x * depth, p0.y + inward.y * depth}};
    parcel.houses.assign(1, house);
}

void PlanLinePoints(TownPlan& plan, double rate, Random& random)
{
    for (const Parcel& parcel : plan.parcels) {
        const std::size_t n = parcel.ring.size();
        for (std::size_t e = 0; e < n; ++e) {
            if (parcel.bulges[e] != 0.0 || !random.Chance(rate))
                continue;
            const Point2& a = parcel.ring[e];
            const Point2& b = parcel.ring[(e + 1) % n];
            double t = random.Between(0.2, 0.8);
            plan.linePoints.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
        }
    }
}

// Parcels inside every sixth parcel, where its houses were: a triangle, or two squares sharing a
// side, which together make one inner ring (ring number 2). Each vertex is a boundary point of its
// own; the outer parcel's notes move to the left of them.
void PlanEnclosedParcels(TownPlan& plan)
{
    const std::size_t outer = plan.parcels.size();
    int made = 0;
    for (std::size_t i = 1; i < outer; i += 6) {
        Parcel& host = plan.parcels[i];
        const auto& r = host.ring;
        const double left = std::max(r[0].x, r[3].x) + kHouseInset;
        const double right = std::min(r[1].x, r[2].x) - kHouseInset;
        const double bottom = std::max(r[0].y, r[1].y) + kHouseInset + 2;
        const double top = std::min(r[2].y, r[3].y) - kHouseInset - 2;
        const double middle = (left + right) / 2;
        if (right - middle < 4 || top - bottom < 4)
            continue;
        host.houses.clear();
        host.notePosition = {(left + middle) / 2, (bottom + top) / 2};
        const double x0 = middle + 1, x1 = right - 1;
        const double xm = (x0 + x1) / 2;
        std::vector<std::vector<Point2>> rings;
        if (made % 2 == 0)
            rings.push_back({{x0, bottom}, {x1, bottom}, {xm, top}});
        else
            rings = {Rectangle(x0, bottom, xm, top), Rectangle(xm, bottom, x1, top)};
        std::map<std::pair<double, double>, int> nodes;
        const std::string prefix = host.number.substr(0, 6);
        for (std::size_t k = 0; k < rings.size(); ++k) {
            Parcel parcel;
            parcel.ring = rings[k];
            parcel.bulges.assign(parcel.ring.size(), 0.0);
            for (const Point2& p : parcel.ring) {
                auto [at, added] = nodes.try_emplace({p.x, p.y}, static_cast<int>(plan.points.size()));
                if (added) {
                    BoundaryPoint point;
                    point.at = p;
                    plan.points.push_back(point);
                }
                parcel.nodes.push_back(at->second);
            }
            parcel.number = prefix + Digits(9000 + made * 2 + static_cast<int>(k), 4) + "000";
            parcel.owner = host.owner;
            parcel.landClass = host.landClass;
            parcel.notePosition = Centroid(parcel.ring);
            parcel.ringNumber = 2;
            plan.parcels.push_back(std::move(parcel));
        }
        ++made;
    }
}

}  // namespace

const char* FaultName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::OpenHouse:
        return "open_house";
    case FaultKind::Uncoded:
        return "uncoded";
    case FaultKind::UnknownCode:
        return "unknown_code";
    case FaultKind::ShortCode:
        return "short_code";
    case FaultKind::TinyArea:
        return "tiny_area";
    case FaultKind::OverlappingHouse:
        return "overlapping_house";
    case FaultKind::OverlappingParcel:
        return "overlapping_parcel";
    case FaultKind::Gap:
        return "gap";
    case FaultKind::Sliver:
        return "sliver";
    case FaultKind::MissingLabel:
        return "missing_label";
    case FaultKind::DuplicateLabel:
        return "duplicate_label";
    case FaultKind::NumberingGap:
        return "numbering_gap";
    case FaultKind::DoubledVertex:
        return "doubled_vertex";
    case FaultKind::ExtraVertex:
        return "extra_vertex";
    case FaultKind::EmptyField:
        return "empty_field";
    case FaultKind::MissingNote:
        return "missing_note";
    case FaultKind::DoubledPoint:
        return "doubled_point";
    case FaultKind::BareVertex:
        return "bare_vertex";
    case FaultKind::HouseAcrossBoundary:
        return "house_across_boundary";
    case FaultKind::OverlappingPatch:
        return "overlapping_patch";
    case FaultKind::IslandPatch:
        return "island_patch";
    }
    return "unknown";
}

TownPlan PlanTown(const Options& options, const std::vector<std::string>& houseCodes,
                  const std::vector<std::string>& otherCodes)
{
    Random random(options.seed);
    TownPlan plan;
    plan.areaCode = kAreaCode;
    // Blocks of 6 to 12 parcels, laid out on a roughly square grid of streets.
    int estimate = (options.parcels + 8) / 9;
    int perRow = std::max(1, static_cast<int>(std::ceil(std::sqrt(estimate * (2 * kRowDepth + kStreet) /
                                                                 (kBlockWidth + kStreet)))));
    plan.low = {kOriginX - kStreet / 2, kOriginY - kStreet / 2};
    plan.high = plan.low;
    int left = options.parcels;
    for (int index = 0; left > 0; ++index) {
        int parcels = std::min(left, 2 * random.Int(3, 6));
        BlockPlace place{index / perRow + 1, index % perRow + 1, 0, 0};
        place.x = kOriginX + (place.block - 1) * (kBlockWidth + kStreet);
        place.y = kOriginY + (place.street - 1) * (2 * kRowDepth + kStreet);
        PlanBlock(plan, place, parcels, houseCodes, options.straightSides, random);
        left -= parcels;
    }
    if (options.enclosedParcels)
        PlanEnclosedParcels(plan);
    PlaceOutlineFaults(plan, options.rates, random);
    NumberPoints(plan, options.rates, random);
    PlaceHouseFaults(plan, options.rates, random);
    PlaceHousesAcrossBoundaries(plan, options.rates, random);
    PlaceOverlapFaults(plan, options.rates, random);
    // Last, and without drawing on the random source: a town without traps stays as it was.
    if (options.traps)
        PlaceTraps(plan, houseCodes, otherCodes);
    // Also last, drawing on the source only when asked.
    if (options.lightweightParcels > 0)
        for (auto& parcel : plan.parcels)
            parcel.lightweight = random.Chance(options.lightweightParcels);
    if (options.boundaryHouses > 0)
        for (auto& parcel : plan.parcels)
            if (parcel.faults.empty() && random.Chance(options.boundaryHouses))
                PlanBoundaryHouse(parcel, random);
    if (options.linePoints > 0)
        PlanLinePoints(plan, options.linePoints, random);
    return plan;
}

}  // namespace makedrawing
