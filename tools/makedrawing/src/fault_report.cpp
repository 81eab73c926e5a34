#include "makedrawing/fault_report.h"

#include <charconv>

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
    std::pair<const char*, double> rates[] = {
        {"open_house", r.openHouses},        {"overlapping_house", r.overlappingHouses},
        {"overlapping_parcel", r.overlappingParcels}, {"gap", r.gaps},
        {"sliver", r.slivers},               {"missing_label", r.missingLabels},
        {"duplicate_label", r.duplicateLabels}, {"numbering_gap", r.numberingGaps},
        {"doubled_vertex", r.doubledVertices}, {"straddling_house", r.straddlingHouses},
        {"overlapping_patch", r.overlappingPatches}, {"island_patch", r.islandPatches},
    };
    // The overlap kinds came later: a report that asks for none of them reads as before.
    const bool overlaps = r.straddlingHouses > 0 || r.overlappingPatches > 0 || r.islandPatches > 0;
    const int kinds = overlaps ? kFaultKinds : static_cast<int>(FaultKind::StraddlingHouse);
    int counts[kFaultKinds] = {};
    for (const auto& fault : faults)
        ++counts[static_cast<int>(fault.kind)];
    std::string out = "{\n  \"seed\": " + std::to_string(options.seed) +
                      ",\n  \"parcels\": " + std::to_string(options.parcels) + ",\n  \"rates\": {";
    for (int i = 0; i < kinds; ++i)
        out += std::string(i ? ", " : "") + "\"" + rates[i].first + "\": " + Number(rates[i].second);
    out += "},\n  \"counts\": {";
    for (int k = 0; k < kinds; ++k)
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
