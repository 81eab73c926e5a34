// The generated towns the benchmarks run on. bench_outputs keeps what the commands write on the
// same towns, so both take their options from here.
#pragma once

#include <string>
#include <vector>

#include "makedrawing/export_features.h"
#include "makedrawing/options.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/selection.h"

namespace bench_towns {

// House codes of three classes, and of one class with two subclasses.
inline const std::vector<std::string> kHouseCodesOfThreeClasses = {"141100", "141200", "141300"};
inline const std::vector<std::string> kHouseCodesOfOneClass = {"141100", "141101", "141102"};

// Arcs and a third of the parcels lightweight, houses on their parcel's line, points on parcel sides.
inline makedrawing::Options CodingTown(int parcels) {
    makedrawing::Options options;
    options.parcels = parcels;
    options.lightweightParcels = 0.3;
    options.boundaryHouses = 0.3;
    options.linePoints = 0.2;
    return options;
}

// Parcels with their attributes, some inside others, houses on their parcel's line.
inline makedrawing::Options PackageTown(int parcels) {
    makedrawing::Options options;
    options.parcels = parcels;
    options.attributes = true;
    options.enclosedParcels = true;
    options.boundaryHouses = 0.3;
    return options;
}

// Elevation points and courtyards beside the parcels, as the table-driven export finds them.
inline makedrawing::Options ExportTown(int parcels) {
    makedrawing::Options options;
    options.parcels = parcels;
    options.elevationPoints = true;
    options.courtyards = true;
    return options;
}

// The export town drawn into a database of its own and saved under `name` (a machine path).
inline void SaveExportTown(int parcels, const std::string& name) {
    AcDbDatabase db;
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    const makedrawing::Options options = ExportTown(parcels);
    const makedrawing::TownPlan plan = makedrawing::PlanTown(options, kHouseCodesOfThreeClasses);
    std::vector<makedrawing::DrawnFault> faults = makedrawing::DrawTown(plan);
    makedrawing::DrawExportFeatures(plan, options, faults);
    db.saveAs(name.c_str());
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

// Moved corners and vertices a neighbour lacks.
inline makedrawing::Options MergesTown(int parcels) {
    makedrawing::Options options;
    options.parcels = parcels;
    options.rates.slivers = 0.05;
    options.rates.extraVertices = 0.05;
    return options;
}

// The merges' town with doubled vertices as well.
inline makedrawing::Options GapsTown(int parcels) {
    makedrawing::Options options = MergesTown(parcels);
    options.rates.doubledVertices = 0.05;
    return options;
}

// A surveyed town with a few empty fields, missing notes, doubled points and bare vertices.
inline makedrawing::Options CheckedTown(int parcels) {
    makedrawing::Options options;
    options.parcels = parcels;
    options.attributes = true;
    options.rates.emptyFields = 0.02;
    options.rates.missingNotes = 0.02;
    options.rates.doubledPoints = 0.01;
    options.rates.bareVertices = 0.02;
    return options;
}

// The ids of a selection set's entities in its order; the set is freed.
inline std::vector<AcDbObjectId> TakeIds(ads_name set) {
    std::vector<AcDbObjectId> ids;
    Adesk::Int32 length = 0;
    acedSSLength(set, &length);
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (acedSSName(set, i, entity) == RTNORM && acdbGetObjectId(id, entity) == Acad::eOk)
            ids.push_back(id);
    }
    acedSSFree(set);
    return ids;
}

}  // namespace bench_towns
