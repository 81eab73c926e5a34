// A town drawing from the generator with some of its houses left open, and the handles of those
// houses as the generator's fault report gives them.
#pragma once

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "testing/files.h"

// Writes <folder>/town.dxf and <folder>/faults.json; `faults` are the generator's fault options.
// The handles of the open houses; empty when the generator failed.
inline std::set<std::string> MakeTownWithOpenHouses(const std::string& folder, int seed, int parcels,
                                                    const std::string& faults)
{
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed " + std::to_string(seed) + " --parcels " +
                             std::to_string(parcels) + " --codes '" DERO_SOURCE_DIR "/samples/support/index.ini'" +
                             " --out '" + folder + "/town.dxf' --report '" + folder + "/faults.json' " + faults;
    std::set<std::string> open;
    if (std::system(make.c_str()) != 0)
        return open;
    const std::string report = dero::testing::ReadFile(folder + "/faults.json");
    const std::regex fault("\"kind\": \"open_house\", \"handle\": \"([0-9A-F]+)\"");
    for (std::sregex_iterator it(report.begin(), report.end(), fault), end; it != end; ++it)
        open.insert((*it)[1]);
    return open;
}
