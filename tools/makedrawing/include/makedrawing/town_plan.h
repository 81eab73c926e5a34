// The plan of a generated town, before anything is drawn: districts (one per block, bounded by
// the street centre lines), the block's land-use patch, two rows of parcels per block sharing
// their corner nodes exactly, boundary points on the nodes, houses inside the parcels, and the
// faults put in on purpose. Pure data, so the whole plan follows from the seed alone.
#pragma once

#include <string>
#include <vector>

#include "makedrawing/options.h"

namespace makedrawing {

struct Point2 {
    double x = 0;
    double y = 0;
};

enum class FaultKind {
    OpenHouse,
    OverlappingHouse,
    OverlappingParcel,
    Gap,
    Sliver,
    MissingLabel,
    DuplicateLabel,
    NumberingGap,
    DoubledVertex,
    HouseAcrossBoundary,
    OverlappingPatch,
    IslandPatch,
    ExtraVertex,
    // What the table-driven export cannot convert: an entity without a code, one with a six- or a
    // five-character code the index lacks, and an area too small to build.
    Uncoded,
    UnknownCode,
    ShortCode,
    TinyArea,
    EmptyField,
    MissingNote,
    DoubledPoint,
    BareVertex,
};
constexpr int kFaultKinds = 21;
// The kind's name in the report.
const char* FaultName(FaultKind kind);

struct District {
    std::vector<Point2> ring;
    std::string code;  // 12 characters: area code, street, block
    std::string name;
};

struct BoundaryPoint {
    Point2 at;
    int number = 0;
    bool turning = false;  // a point of the second class, on "GD", without a label
    bool labelled = true;
    std::vector<FaultKind> faults;
};

struct House {
    std::vector<Point2> ring;  // counter-clockwise
    bool closed = true;
    std::string code;
    std::string structure;      // structure code
    std::string structureWord;  // what its structure note says
    int floors = 1;
    int overlaps = -1;  // index, in its parcel, of the house it was put over
    std::vector<FaultKind> faults;
};

struct Parcel {
    std::vector<Point2> ring;  // counter-clockwise
    std::vector<double> bulges;
    std::vector<int> nodes;  // the node (index into points) of each ring vertex, or -1
    std::string number;      // 13 characters: street, block, basic number, branch
    std::string owner;
    std::string landClass;
    Point2 notePosition;
    std::vector<House> houses;
    std::vector<FaultKind> faults;
    bool lightweight = false;  // drawn as a lightweight polyline
    int ringNumber = 0;        // inside another parcel: its ring number, from 2
};

// An open polyline on the house layer that is no house: coded with another class, with a code the
// table does not know, or with no code at all (empty).
struct Decoy {
    std::vector<Point2> line;
    std::string code;
};

// A patch put over or into a block's patch on purpose; `touches` says whether an island meets the
// block patch's side (islands that do not are no fault).
struct ExtraPatch {
    std::vector<Point2> ring;
    int block = 0;  // index into patches
    FaultKind kind = FaultKind::OverlappingPatch;
    bool touches = false;
};

struct TownPlan {
    std::string areaCode;
    std::vector<District> districts;
    std::vector<std::vector<Point2>> patches;
    std::vector<Parcel> parcels;
    std::vector<BoundaryPoint> points;
    std::vector<Decoy> decoys;
    std::vector<ExtraPatch> extraPatches;
    std::vector<Point2> linePoints;  // points on "GD" lying on parcel sides
    Point2 low;
    Point2 high;
};

// houseCodes must not be empty; otherCodes (the table's codes of other classes) feed the traps.
TownPlan PlanTown(const Options& options, const std::vector<std::string>& houseCodes,
                  const std::vector<std::string>& otherCodes = {});

}  // namespace makedrawing
