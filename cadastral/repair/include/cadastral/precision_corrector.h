// Rounding the coordinates of every coded entity to fixed decimals: vertices, centres, end points,
// insertion and point positions to the planar decimals, the elevation of elevation-point blocks to
// the elevation decimals. A map-patch vertex rounded onto the edge of an administrative district
// is added to that district, so that the two keep sharing their boundary. The command
// RESETPRECISION asks for the decimals first.
#pragma once

#include <string>

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

class PrecisionCorrector {
public:
    PrecisionCorrector(int planarDecimals, int elevationDecimals)
        : planarDecimals_(planarDecimals), elevationDecimals_(elevationDecimals) {}

    // The run over the whole drawing.
    void CorrectDrawingPrecision();

    // The value as the host formats it in decimal mode with the decimals, read back. A step finer
    // than the value's own resolution (many decimals, or a negative count) leaves it unchanged.
    static double RoundToDecimals(double value, int decimals);

private:
    // One per entity type; each counts the values it changed.
    void RoundLightweightPolyline(AcDbObjectId id, int& changes) const;
    void RoundOldPolyline(AcDbObjectId id, int& changes) const;
    void RoundCircle(AcDbObjectId id, int& changes) const;
    void RoundLine(AcDbObjectId id, int& changes) const;
    void RoundBlockReference(AcDbObjectId id, int& changes, ads_name controlPoints) const;
    void RoundPoint(AcDbObjectId id, int& changes) const;
    void RoundMapPatch(AcDbObjectId id, int& changes) const;
    void RoundByType(AcDbObjectId id, const std::string& typeName, int& changes, ads_name controlPoints) const;

    int planarDecimals_ = 3;
    int elevationDecimals_ = 2;
};

// The command handler: the decimals from the dialog, then the run.
void RESETPRECISION();

}  // namespace cadastral
