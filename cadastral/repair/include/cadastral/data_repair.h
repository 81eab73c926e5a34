// Commands that tidy a drawing: empty texts and groups, fraction lines made dash notes, and the
// shapefile export of a selection through the main drawing application.
#pragma once

namespace cadastral {

void PurgeData();
void FENSHUXIAN();
void SS_EXPORT_SHP();

}  // namespace cadastral
