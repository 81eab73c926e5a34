// The building measures of a parcel: its net area (inner parcels taken out), the footprint and
// floor area of its houses (courtyards taken out, houses across its boundary counted by the part
// inside), and the coverage and floor-area ratios the exports write.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

struct ParcelCheckContext {
    // Reads the drawing scale (asking for it when the drawing has none).
    ParcelCheckContext();

    std::string parcelCode;
    double netArea = 0;
    double footprint = 0;
    double floorArea = 0;
    double floorAreaRatio = 0;
    double coverageRatio = 0;
    std::vector<AcDbObjectId> innerParcels;  // the direct ones
    double tolerance = 0;                    // the drawing scale x 0.001
    // When set, whether a window polygon along the ring could take a "145000" curve: a house it
    // says no for has no courtyard to take out, and is not selected around.
    std::function<bool(const AcGePoint2dArray& ring)> mayHoldCourtyards;
};

// Fills the context and the parcel's vertices. False when the entity is no closed parcel of code
// "30000..." or "33000...", its area cannot be had, or no net area is left (the ratios would be
// undefined): the measures are then not to be written.
bool MeasureParcel(ParcelCheckContext& context, const ads_name parcel, AcGePoint2dArray& points);
// The house's area less that of every closed "145000" curve inside it (looked for only where the
// context's answer allows).
double HouseNetArea(const ads_name house, const ParcelCheckContext* context = nullptr);
// The first real of the house's "MIRET" data, cut to whole floors; 1 when missing or not above 1.
int HouseFloors(const ads_name house);
// The area common to two closed curves: each is cut where it meets the other, the pieces of each
// inside or on the other are assembled into rings, and their areas added up.
double OverlapArea(const ads_name a, const ads_name b);

}  // namespace gisexchange
