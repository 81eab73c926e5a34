#include "makedrawing/options.h"

#include <charconv>
#include <cmath>

namespace makedrawing {

namespace {

struct RateOption {
    const char* name;
    double FaultRates::*rate;
};

constexpr RateOption kRateOptions[] = {
    {"--open-houses", &FaultRates::openHouses},
    {"--overlapping-houses", &FaultRates::overlappingHouses},
    {"--overlapping-parcels", &FaultRates::overlappingParcels},
    {"--gaps", &FaultRates::gaps},
    {"--slivers", &FaultRates::slivers},
    {"--missing-labels", &FaultRates::missingLabels},
    {"--duplicate-labels", &FaultRates::duplicateLabels},
    {"--numbering-gaps", &FaultRates::numberingGaps},
    {"--doubled-vertices", &FaultRates::doubledVertices},
    {"--houses-across-boundaries", &FaultRates::housesAcrossBoundaries},
    {"--overlapping-patches", &FaultRates::overlappingPatches},
    {"--island-patches", &FaultRates::islandPatches},
    {"--extra-vertices", &FaultRates::extraVertices},
    {"--uncoded", &FaultRates::uncoded},
    {"--unknown-codes", &FaultRates::unknownCodes},
    {"--tiny-areas", &FaultRates::tinyAreas},
    {"--empty-fields", &FaultRates::emptyFields},
    {"--missing-notes", &FaultRates::missingNotes},
    {"--doubled-points", &FaultRates::doubledPoints},
    {"--bare-vertices", &FaultRates::bareVertices},
};

template <typename T>
bool ParseWhole(const std::string& text, T& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

const char* Usage()
{
    return "usage: makedrawing --out FILE.dxf [--report FILE.json] [--seed N] [--parcels N]\n"
           "                   [--codes index.ini] [--traps] [--straight-sides]\n"
           "                   [--category-features] [--parcel-groups] [--elevation-points]\n"
           "                   [--courtyards] [--attributes] [--enclosed-parcels] [fault rates...]\n"
           "  --parcels N          number of parcels, 1 to 100000 (default 24)\n"
           "  --seed N             random seed, an unsigned integer (default 1)\n"
           "  --codes FILE         code table whose class \"FW\" codes the houses take\n"
           "                       (default samples/support/index.ini)\n"
           "  --lightweight-parcels R  the chance, from 0 to 1, that a parcel is a lightweight\n"
           "                       polyline rather than an old-style one (default 0)\n"
           "  --boundary-houses R  the chance that a parcel's houses give way to one house with a\n"
           "                       side on a straight side of the parcel (default 0)\n"
           "  --line-points R      the chance that a straight parcel side carries a point on \"GD\"\n"
           "                       (default 0)\n"
           "  --traps              open polylines on the house layer that are no houses (other\n"
           "                       classes, an unknown code, no code), and the first open house\n"
           "                       drawn back to its first point\n"
           "  --straight-sides     street sides without arcs or bends\n"
           "  --category-features  roads, ditches, ownership lines, district boundary lines, break\n"
           "                       points and scattered symbols, as the export by category takes them\n"
           "  --parcel-groups      each parcel in a group with its boundary points and their labels\n"
           "  fault rates, each from 0 to 1 (default 0):\n"
           "  --open-houses R --overlapping-houses R --overlapping-parcels R --gaps R --slivers R\n"
           "  --missing-labels R --duplicate-labels R --numbering-gaps R --doubled-vertices R\n"
           "  --houses-across-boundaries R  a house moved over the east or west side of its parcel\n"
           "  --overlapping-patches R  per block, a patch over the block's patch and past its side\n"
           "  --island-patches R   per block, a patch inside the block's patch; half of them touch\n"
           "                       its side\n"
           "  --extra-vertices R   a vertex in the middle of a side a parcel shares, which the\n"
           "                       neighbour lacks\n"
           "  --uncoded R          per parcel, a line without a code\n"
           "  --unknown-codes R    per parcel, outlines with unknown six- and five-character codes\n"
           "  --tiny-areas R       per parcel, a house outline of almost no area\n"
           "  --elevation-points   elevation points with their height in some parcels\n"
           "  --courtyards         courtyards inside some houses\n"

           "  --attributes         what a surveyor enters (owners, marker and line kinds), parcels\n"
           "                       and houses grouped with their notes, a note per boundary line\n"
           "  --enclosed-parcels   parcels inside some parcels, with their ring number \"HH\"\n"
           "  --empty-fields R     with --attributes, a parcel without owner, a point without marker\n"
           "  --missing-notes R    with --attributes, a parcel lacking one of its notes\n"
           "  --doubled-points R   a second boundary point on a boundary point\n"
           "  --bare-vertices R    a parcel vertex in the middle of a straight side, without a point\n";
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--traps") {
            options.traps = true;
            continue;
        }
        if (name == "--straight-sides") {
            options.straightSides = true;
            continue;
        }
        if (name == "--category-features") {
            options.categoryFeatures = true;
            continue;
        }
        if (name == "--parcel-groups") {
            options.parcelGroups = true;
            continue;
        }
        if (name == "--elevation-points") {
            options.elevationPoints = true;
            continue;
        }
        if (name == "--courtyards") {
            options.courtyards = true;
            continue;
        }
        if (name == "--attributes") {
            options.attributes = true;
            continue;
        }
        if (name == "--enclosed-parcels") {
            options.enclosedParcels = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "option " + name + (name.rfind("--", 0) == 0 ? " needs a value" : " is not known");
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--out") {
            options.output = value;
        } else if (name == "--report") {
            options.report = value;
        } else if (name == "--codes") {
            options.codeTable = value;
        } else if (name == "--seed") {
            if (!ParseWhole(value, options.seed)) {
                error = "--seed wants an unsigned integer, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--parcels") {
            if (!ParseWhole(value, options.parcels) || options.parcels < 1 || options.parcels > kMaxParcels) {
                error = "--parcels wants a whole number from 1 to 100000, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--lightweight-parcels" || name == "--boundary-houses" || name == "--line-points") {
            double parsed = 0;
            if (!ParseWhole(value, parsed) || !std::isfinite(parsed) || parsed < 0 || parsed > 1) {
                error = name + " wants a rate from 0 to 1, not \"" + value + "\"";
                return false;
            }
            (name == "--lightweight-parcels" ? options.lightweightParcels
             : name == "--boundary-houses"   ? options.boundaryHouses
                                             : options.linePoints) = parsed;
        } else {
            const RateOption* rate = nullptr;
            for (const auto& candidate : kRateOptions)
                if (name == candidate.name)
                    rate = &candidate;
            if (rate == nullptr) {
                error = "option " + name + " is not known";
                return false;
            }
            double parsed = 0;
            if (!ParseWhole(value, parsed) || !std::isfinite(parsed) || parsed < 0 || parsed > 1) {
                error = name + " wants a rate from 0 to 1, not \"" + value + "\"";
                return false;
            }
            options.rates.*(rate->rate) = parsed;
        }
    }
    if (!options.help && options.output.empty()) {
        error = "--out is required";
        return false;
    }
    return true;
}

}  // namespace makedrawing
