#include "fault_placement.h"

#include <algorithm>

#include "plane.h"

namespace makedrawing {

namespace {

// The parcels on each node.
std::vector<std::vector<int>> NodeUsers(const TownPlan& plan)
{
    std::vector<std::vector<int>> users(plan.points.size());
    for (std::size_t i = 0; i < plan.parcels.size(); ++i)
        for (int node : plan.parcels[i].nodes)
            if (node >= 0)
                users[static_cast<std::size_t>(node)].push_back(static_cast<int>(i));
    return users;
}

// A fault on a parcel moves its vertices, and a neighbour with a fault of its own would blur
// which parcel moved: at most one parcel of a neighbourhood gets one.
bool NeighbourhoodClean(const Parcel& parcel, const std::vector<std::vector<int>>& users,
                        const std::vector<bool>& faulted)
{
    for (int node : parcel.nodes)
        if (node >= 0)
            for (int other : users[static_cast<std::size_t>(node)])
                if (faulted[static_cast<std::size_t>(other)])
                    return false;
    return true;
}

std::size_t UsersAt(const Parcel& parcel, std::size_t vertex, const std::vector<std::vector<int>>& users)
{
    int node = parcel.nodes[vertex];
    return node < 0 ? 0 : users[static_cast<std::size_t>(node)].size();
}

// Vertices shared with another parcel.
std::vector<std::size_t> SharedVertices(const Parcel& parcel, const std::vector<std::vector<int>>& users)
{
    std::vector<std::size_t> shared;
    for (std::size_t v = 0; v < parcel.ring.size(); ++v)
        if (UsersAt(parcel, v, users) >= 2)
            shared.push_back(v);
    return shared;
}

bool SharesWithSameNeighbour(int self, int a, int b, const std::vector<std::vector<int>>& users)
{
    if (a < 0 || b < 0)
        return false;
    for (int p : users[static_cast<std::size_t>(a)])
        if (p != self)
            for (int q : users[static_cast<std::size_t>(b)])
                if (p == q)
                    return true;
    return false;
}

// Moves the vertex off its node: inwards leaves a void beside the neighbours, outwards covers them.
void MoveVertex(Parcel& parcel, std::size_t vertex, const Point2& centre, double distance)
{
    parcel.ring[vertex] = MoveTowards(parcel.ring[vertex], centre, distance);
    parcel.nodes[vertex] = -1;
}

bool PlaceOutlineFault(Parcel& parcel, int self, FaultKind kind, const std::vector<std::vector<int>>& users,
                       Random& random)
{
    Point2 centre = Centroid(parcel.ring);
    std::vector<std::size_t> shared = SharedVertices(parcel, users);
    if (shared.empty())
        return false;
    if (kind == FaultKind::OverlappingParcel) {
        // The node shared by most parcels, so that the moved corner lies over its neighbours.
        std::size_t best = shared.front();
        for (std::size_t v : shared)
            if (UsersAt(parcel, v, users) > UsersAt(parcel, best, users))
                best = v;
        MoveVertex(parcel, best, centre, -random.Between(1.0, 2.5));
    } else if (kind == FaultKind::Gap) {
        std::vector<std::size_t> edges;
        for (std::size_t v = 0; v < parcel.ring.size(); ++v)
            if (SharesWithSameNeighbour(self, parcel.nodes[v], parcel.nodes[(v + 1) % parcel.ring.size()], users))
                edges.push_back(v);
        if (edges.empty())
            return false;
        std::size_t v = edges[static_cast<std::size_t>(random.Int(0, static_cast<int>(edges.size()) - 1))];
        MoveVertex(parcel, v, centre, random.Between(0.2, 0.8));
        MoveVertex(parcel, (v + 1) % parcel.ring.size(), centre, random.Between(0.2, 0.8));
    } else {
        std::size_t v = shared[static_cast<std::size_t>(random.Int(0, static_cast<int>(shared.size()) - 1))];
        MoveVertex(parcel, v, centre, random.Between(0.01, 0.09));
    }
    parcel.faults.push_back(kind);
    return true;
}

// A vertex in the middle of a straight side shared with one neighbour, who keeps the side whole.
bool AddExtraVertex(Parcel& parcel, int self, const std::vector<std::vector<int>>& users, Random& random)
{
    const std::size_t n = parcel.ring.size();
    std::vector<std::size_t> sides;
    for (std::size_t v = 0; v < n; ++v)
        if (parcel.bulges[v] == 0.0 && SharesWithSameNeighbour(self, parcel.nodes[v], parcel.nodes[(v + 1) % n], users))
            sides.push_back(v);
    if (sides.empty())
        return false;
    std::size_t v = sides[static_cast<std::size_t>(random.Int(0, static_cast<int>(sides.size()) - 1))];
    const Point2& a = parcel.ring[v];
    const Point2& b = parcel.ring[(v + 1) % n];
    auto at = static_cast<std::ptrdiff_t>(v + 1);
    parcel.ring.insert(parcel.ring.begin() + at, Point2{(a.x + b.x) / 2, (a.y + b.y) / 2});
    parcel.nodes.insert(parcel.nodes.begin() + at, -1);
    parcel.bulges.insert(parcel.bulges.begin() + at, 0.0);
    parcel.faults.push_back(FaultKind::ExtraVertex);
    return true;
}

void DoubleVertex(Parcel& parcel, Random& random)
{
    auto k = static_cast<std::size_t>(random.Int(0, static_cast<int>(parcel.ring.size()) - 1));
    auto at = static_cast<std::ptrdiff_t>(k + 1);
    Point2 copy = parcel.ring[k];
    int node = parcel.nodes[k];
    parcel.ring.insert(parcel.ring.begin() + at, copy);
    parcel.nodes.insert(parcel.nodes.begin() + at, node);
    // The new zero-length segment is straight; the old segment's bulge follows the copy.
    parcel.bulges.insert(parcel.bulges.begin() + static_cast<std::ptrdiff_t>(k), 0.0);
    parcel.faults.push_back(FaultKind::DoubledVertex);
}

}  // namespace

void PlaceOutlineFaults(TownPlan& plan, const FaultRates& rates, Random& random)
{
    std::vector<std::vector<int>> users = NodeUsers(plan);
    std::vector<bool> faulted(plan.parcels.size(), false);
    for (std::size_t i = 0; i < plan.parcels.size(); ++i) {
        Parcel& parcel = plan.parcels[i];
        double roll = random.Unit();
        FaultKind kind;
        if (roll < rates.overlappingParcels)
            kind = FaultKind::OverlappingParcel;
        else if (roll < rates.overlappingParcels + rates.gaps)
            kind = FaultKind::Gap;
        else if (roll < rates.overlappingParcels + rates.gaps + rates.slivers)
            kind = FaultKind::Sliver;
        else
            continue;
        if (NeighbourhoodClean(parcel, users, faulted) &&
            PlaceOutlineFault(parcel, static_cast<int>(i), kind, users, random))
            faulted[i] = true;
    }
    // Drawn only when asked for, so that the random sequence, and the towns, stay as before.
    if (rates.extraVertices > 0)
        for (std::size_t i = 0; i < plan.parcels.size(); ++i)
            if (random.Chance(rates.extraVertices) && NeighbourhoodClean(plan.parcels[i], users, faulted) &&
                AddExtraVertex(plan.parcels[i], static_cast<int>(i), users, random))
                faulted[i] = true;
    for (Parcel& parcel : plan.parcels)
        if (random.Chance(rates.doubledVertices))
            DoubleVertex(parcel, random);
}

void NumberPoints(TownPlan& plan, const FaultRates& rates, Random& random)
{
    int next = 0;
    int nextTurning = 0;
    // The last point whose number a duplicate may take: it has its label and is no duplicate.
    BoundaryPoint* previous = nullptr;
    for (BoundaryPoint& point : plan.points) {
        if (point.turning) {
            point.number = ++nextTurning;
            continue;
        }
        double roll = random.Unit();
        double duplicate = rates.duplicateLabels;
        double gap = duplicate + rates.numberingGaps;
        double missing = gap + rates.missingLabels;
        if (roll < duplicate && previous != nullptr) {
            point.number = previous->number;
            point.faults.push_back(FaultKind::DuplicateLabel);
            previous = nullptr;
        } else if (roll >= duplicate && roll < gap) {
            next += 2;
            point.number = next;
            point.faults.push_back(FaultKind::NumberingGap);
            previous = &point;
        } else if (roll >= gap && roll < missing) {
            point.number = ++next;
            point.labelled = false;
            point.faults.push_back(FaultKind::MissingLabel);
            previous = nullptr;
        } else {
            point.number = ++next;
            previous = &point;
        }
    }
}

void PlaceHouseFaults(TownPlan& plan, const FaultRates& rates, Random& random)
{
    for (Parcel& parcel : plan.parcels) {
        std::size_t count = parcel.houses.size();
        for (std::size_t h = 0; h < count; ++h) {
            double roll = random.Unit();
            if (roll < rates.overlappingHouses) {
                // Over the middle and the north part of the house, inside its own column of the
                // parcel, so that it covers that house only.
                House extra = parcel.houses[h];
                const auto& r = parcel.houses[h].ring;
                double w = r[1].x - r[0].x;
                double height = r[2].y - r[1].y;
                extra.ring = {{r[0].x + w / 4, r[0].y + height / 2},
                              {r[1].x - w / 4, r[0].y + height / 2},
                              {r[1].x - w / 4, r[2].y + height / 10},
                              {r[0].x + w / 4, r[2].y + height / 10}};
                extra.overlaps = static_cast<int>(h);
                extra.faults = {FaultKind::OverlappingHouse};
                parcel.houses.push_back(std::move(extra));
            } else if (roll < rates.overlappingHouses + rates.openHouses) {
                // Drawn open: either the last side is missing, or the ring comes back to its
                // first vertex without the closed flag, which is the harder one to see.
                House& house = parcel.houses[h];
                house.closed = false;
                if (random.Chance(0.5))
                    house.ring.push_back(house.ring.front());
                house.faults.push_back(FaultKind::OpenHouse);
            }
        }
    }
}

void PlaceHousesAcrossBoundaries(TownPlan& plan, const FaultRates& rates, Random& random)
{
    // The side a parcel shares with the parcel beside it in its row: the two nodes they have in
    // common; false when the other is no such neighbour.
    auto sharedSide = [&](const Parcel& a, const Parcel& b, double& x) {
        std::vector<double> xs;
        for (int node : a.nodes)
            if (node >= 0 && std::find(b.nodes.begin(), b.nodes.end(), node) != b.nodes.end())
                xs.push_back(plan.points[static_cast<std::size_t>(node)].at.x);
        if (xs.size() != 2)
            return false;
        x = (xs[0] + xs[1]) / 2;
        return true;
    };
    // Houses are rectangles: whether the moved one would cover another house.
    auto covers = [](const std::vector<Point2>& a, const std::vector<Point2>& b) {
        return a[0].x < b[1].x && b[0].x < a[1].x && a[0].y < b[2].y && b[0].y < a[2].y;
    };
    for (std::size_t p = 0; p < plan.parcels.size(); ++p) {
        Parcel& parcel = plan.parcels[p];
        for (std::size_t h = 0; h < parcel.houses.size(); ++h) {
            House& house = parcel.houses[h];
            // An extra house and the house it covers stay together.
            bool covered = std::any_of(parcel.houses.begin(), parcel.houses.end(),
                                       [&](const House& other) { return other.overlaps == static_cast<int>(h); });
            if (!house.closed || house.overlaps >= 0 || covered || !random.Chance(rates.housesAcrossBoundaries))
                continue;
            // Over the east side when a neighbour lies there, else over the west side; a parcel
            // without a neighbour in its row keeps its houses.
            double side = 0;
            std::size_t beside = p + 2;
            bool east = beside < plan.parcels.size() && sharedSide(parcel, plan.parcels[beside], side);
            beside = p - 2;
            if (!east && !(p >= 2 && sharedSide(parcel, plan.parcels[beside], side)))
                continue;
            if (east)
                beside = p + 2;
            double width = house.ring[1].x - house.ring[0].x;
            double reach = random.Between(0.25, 0.6) * width;
            double shift = east ? side + reach - house.ring[1].x : side - reach - house.ring[0].x;
            std::vector<Point2> moved = house.ring;
            for (Point2& corner : moved)
                corner.x += shift;
            // Only across the boundary: never over another house, here or next door.
            bool free = true;
            for (std::size_t k = 0; k < parcel.houses.size(); ++k)
                free = free && (k == h || !covers(moved, parcel.houses[k].ring));
            for (const House& other : plan.parcels[beside].houses)
                free = free && !covers(moved, other.ring);
            if (!free)
                continue;
            house.ring = moved;
            house.faults.push_back(FaultKind::HouseAcrossBoundary);
        }
    }
}

void PlaceTraps(TownPlan& plan, const std::vector<std::string>& houseCodes, const std::vector<std::string>& otherCodes)
{
    // A house code with a digit more: close to a real code, known to no table.
    auto known = [&](const std::string& code) {
        return std::find(houseCodes.begin(), houseCodes.end(), code) != houseCodes.end() ||
               std::find(otherCodes.begin(), otherCodes.end(), code) != otherCodes.end();
    };
    std::string unknown = houseCodes.front() + "9";
    while (known(unknown))
        unknown += "9";
    for (std::size_t b = 0; b < plan.patches.size(); ++b) {
        // The patch's south-west corner; the street runs below it.
        const Point2 corner = plan.patches[b].front();
        const std::string kinds[] = {otherCodes.empty() ? unknown : otherCodes[b % otherCodes.size()], unknown, ""};
        for (std::size_t k = 0; k < 3; ++k) {
            const double x = corner.x + 10.0 + 30.0 * static_cast<double>(k);
            Decoy decoy;
            decoy.line = {{x, corner.y - 4.0}, {x + 8.0, corner.y - 4.0}, {x + 8.0, corner.y - 1.0}, {x, corner.y - 1.0}};
            if (k == 2)
                decoy.line.push_back(decoy.line.front());
            decoy.code = kinds[k];
            plan.decoys.push_back(std::move(decoy));
        }
    }
    for (Parcel& parcel : plan.parcels)
        for (House& house : parcel.houses)
            if (!house.closed) {
                const Point2 first = house.ring.front();
                const Point2 last = house.ring.back();
                if (first.x != last.x || first.y != last.y)
                    house.ring.push_back(first);
                return;
            }
}

void PlaceOverlapFaults(TownPlan& plan, const FaultRates& rates, Random& random)
{
    for (std::size_t b = 0; b < plan.patches.size(); ++b) {
        const std::vector<Point2>& block = plan.patches[b];  // south-west, south-east, north-east, north-west
        const double x0 = block[0].x, y0 = block[0].y, x1 = block[2].x;
        if (random.Chance(rates.overlappingPatches)) {
            // Over the east end and out into the street, short of the next block.
            ExtraPatch patch;
            const double y = y0 + random.Between(5.0, 30.0);
            const double reach = random.Between(1.0, 4.0);
            patch.ring = {{x1 - 20.0, y}, {x1 + reach, y}, {x1 + reach, y + 15.0}, {x1 - 20.0, y + 15.0}};
            patch.block = static_cast<int>(b);
            patch.kind = FaultKind::OverlappingPatch;
            plan.extraPatches.push_back(std::move(patch));
        }
        if (random.Chance(rates.islandPatches)) {
            // At the west end; every other one lies on the block patch's west side.
            ExtraPatch island;
            const double y = y0 + random.Between(5.0, 30.0);
            island.touches = random.Chance(0.5);
            const double from = island.touches ? x0 : x0 + 3.0;
            island.ring = {{from, y}, {x0 + 18.0, y}, {x0 + 18.0, y + 20.0}, {from, y + 20.0}};
            island.block = static_cast<int>(b);
            island.kind = FaultKind::IslandPatch;
            plan.extraPatches.push_back(std::move(island));
        }
    }
}

}  // namespace makedrawing
