#include "makedrawing/fault_report.h"

#include <charconv>
#include <iterator>

namespace makedrawing {

namespace {

std::string Number(double value)
{
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, end);
}

}  // namespace

std::string FaultReport(const Options& options, const std::vector<DrawnFault>& faults)
{
    const FaultRates& r = options.rates;
    // In the order of the fault kinds.
    std::pair<const char*, double> rates[] = {
        {"open_house", r.openHouses},        {"overlapping_house", r.overlappingHouses},
        {"overlapping_parcel", r.overlappingParcels}, {"gap", r.gaps},
        {"sliver", r.slivers},               {"missing_label", r.missingLabels},
        {"duplicate_label", r.duplicateLabels}, {"numbering_gap", r.numberingGaps},
        {"doubled_vertex", r.doubledVertices}, {"house_across_boundary", r.housesAcrossBoundaries},
        {"overlapping_patch", r.overlappingPatches}, {"island_patch", r.islandPatches},
        {"extra_vertex", r.extraVertices},
        {"uncoded", r.uncoded}, {"unknown_code", r.unknownCodes}, {"short_code", r.unknownCodes},
        {"tiny_area", r.tinyAreas}, {"empty_field", r.emptyFields},
        {"missing_note", r.missingNotes},    {"doubled_point", r.doubledPoints},
        {"bare_vertex", r.bareVertices},
    };
    static_assert(std::size(rates) == kFaultKinds);
    // Kinds added later appear only when asked for, so that the reports of earlier towns stay as
    // they were: houses across boundaries alone, the patch kinds together.
    const bool patches = r.overlappingPatches > 0 || r.islandPatches > 0;
    auto shown = [&](int k) {
        const auto kind = static_cast<FaultKind>(k);
        if (kind == FaultKind::HouseAcrossBoundary) return r.housesAcrossBoundaries > 0;
        if (kind == FaultKind::ExtraVertex) return r.extraVertices > 0;
        if (kind == FaultKind::Uncoded) return r.uncoded > 0;
        if (kind == FaultKind::UnknownCode || kind == FaultKind::ShortCode) return r.unknownCodes > 0;
        if (kind == FaultKind::TinyArea) return r.tinyAreas > 0;
        if (kind == FaultKind::EmptyField) return r.emptyFields > 0;
        if (kind == FaultKind::MissingNote) return r.missingNotes > 0;
        if (kind == FaultKind::DoubledPoint) return r.doubledPoints > 0;
        if (kind == FaultKind::BareVertex) return r.bareVertices > 0;
        if (kind == FaultKind::OverlappingPatch || kind == FaultKind::IslandPatch) return patches;
        return true;
    };
    int counts[kFaultKinds] = {};
    for (const auto& fault : faults)
        ++counts[static_cast<int>(fault.kind)];
    std::string out = "{\n  \"seed\": " + std::to_string(options.seed) +
                      ",\n  \"parcels\": " + std::to_string(options.parcels) + ",\n  \"rates\": {";
    for (int i = 0; i < kFaultKinds; ++i)
        if (shown(i))
            out += std::string(i ? ", " : "") + "\"" + rates[i].first + "\": " + Number(rates[i].second);
    out += "},\n  \"counts\": {";
    for (int k = 0; k < kFaultKinds; ++k)
        if (shown(k))
            out += std::string(k ? ", " : "") + "\"" + FaultName(static_cast<FaultKind>(k)) + "\": " +
                   std::to_string(counts[k]);
    out += "},\n  \"faults\": [";
    for (std::size_t i = 0; i < faults.size(); ++i) {
        out += i ? ",\n    " : "\n    ";
        out += std::string("{\"kind\": \"") + FaultName(faults[i].kind) + "\", \"handle\": \"" + faults[i].handle + "\"";
        if (!faults[i].related.empty())
            out += ", \"related\": \"" + faults[i].related + "\"";
        out += "}";
    }
    out += faults.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

}  // namespace makedrawing
