// Command-line options of makedrawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace makedrawing {

// Rates in [0, 1]: the chance that one candidate (a house, a parcel, a boundary point) gets the
// fault. Parcel outline faults are never put on neighbours of a parcel that already has one, so
// the counts can fall below rate × candidates.
struct FaultRates {
    double openHouses = 0;
    double overlappingHouses = 0;
    double overlappingParcels = 0;
    double gaps = 0;
    double slivers = 0;
    double missingLabels = 0;
    double duplicateLabels = 0;
    double numberingGaps = 0;
    double doubledVertices = 0;
    // Houses moved part of the way over a side of their parcel that a neighbour shares.
    double housesAcrossBoundaries = 0;
    double overlappingPatches = 0;
    double islandPatches = 0;
    // A vertex in the middle of a straight side a parcel shares, which the neighbour lacks.
    double extraVertices = 0;
    // Per parcel: an uncoded line, a pair of outlines with unknown six- and five-character codes,
    // a house outline too small to be an area.
    double uncoded = 0;
    double unknownCodes = 0;
    double tinyAreas = 0;
    // With the surveyed attributes: a parcel without its owner or a boundary point without its
    // marker kind; a parcel note left out. Regardless of them: a second boundary point on a
    // point, and a parcel vertex put in the middle of a straight side without a point.
    double emptyFields = 0;
    double missingNotes = 0;
    double doubledPoints = 0;
    double bareVertices = 0;
};

struct Options {
    std::uint64_t seed = 1;
    int parcels = 24;
    std::string output;
    std::string report;
    std::string codeTable = "samples/support/index.ini";
    FaultRates rates;
    // Polylines on the house layer that are not houses (other classes, unknown codes, no code),
    // and a house left open with its first point repeated at the end: what a house check must not
    // be fooled by. Off by default, so that a seed gives the same drawing as before.
    bool traps = false;
    // The chance that a parcel is drawn as a lightweight polyline rather than an old-style one, as
    // in drawings made before the toolkit was installed. 0 by default, for the same reason.
    double lightweightParcels = 0;
    // Street sides drawn straight (no arcs, no bends), for comparisons with geometry that knows
    // only straight spans. Off by default, like the traps.
    bool straightSides = false;
    // The features of the export by category besides the town: linear features, patch lines,
    // ownership lines, district boundary lines, break points and scattered symbols. Off by default.
    bool categoryFeatures = false;
    // The chance that a parcel's houses give way to one house standing on a straight side of the
    // parcel, and that a straight parcel side carries a point (type POINT) on the layer "GD".
    // 0 by default, like the lightweight parcels.
    double boundaryHouses = 0;
    double linePoints = 0;
    // Each parcel in an anonymous group with the boundary points at its vertices and their labels,
    // as coding leaves a parcel. Off by default.
    bool parcelGroups = false;
    // Elevation points (block references "202101" with a "HEIGHT" attribute) in some parcels, and
    // courtyards ("141910") inside some houses. Off by default.
    bool elevationPoints = false;
    bool courtyards = false;
    // What a surveyor enters that the sample "attributeCheck.def" requires, parcels and houses
    // grouped with their notes, and a note per boundary line. Off by default.
    bool attributes = false;
    // Some parcels with parcels inside them, in place of their houses: a triangle alone, or two
    // squares side by side, tagged with the ring number "HH" that testqzj gives them. Off by
    // default.
    bool enclosedParcels = false;
    bool help = false;
};

constexpr int kMaxParcels = 100000;

// False with a message naming the bad option; never throws.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);
const char* Usage();

}  // namespace makedrawing
